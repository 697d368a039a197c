// New private folders in the system's temporary folder, for files a
// process keeps only while it runs (a script's scratch files, a DLL's
// resources copied out of it).
#pragma once

#include <filesystem>
#include <string>

namespace host {

// Makes a new, empty folder in the temporary folder whose name starts with
// `prefix` and returns its path. On POSIX systems it is made by mkdtemp
// (mode 0700); on Windows a name is tried until one is free, since
// creating a folder that exists fails. Throws std::runtime_error naming
// the temporary folder when none can be made. The caller removes it.
std::filesystem::path make_temp_folder(const std::string& prefix);

}  // namespace host
