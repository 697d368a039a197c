// Reading a whole input file into memory.
#pragma once

#include <string>

namespace host {

// The whole content of the file at `path`, read to its end so that pipes,
// FIFOs and devices read like files; "-" reads standard input. Throws
// host::file_error naming `name` when the file cannot be opened or read or
// is a folder.
std::string read_input(const std::string& path, const std::string& name);

// How errors name an input: "<stdin>" for "-", else the path.
std::string input_name(const std::string& path);

}  // namespace host
