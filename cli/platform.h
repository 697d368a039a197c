// The few system services the command needs, in their POSIX and Windows
// forms: where the program is, whether a stream is a terminal, a file's
// identity, and the name of the plug-in library beside the program.
#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cli {

// The folder of the running program; the current folder when the system
// cannot tell.
std::filesystem::path executable_folder();

// Whether `stream` writes to a terminal (a console on Windows).
bool is_terminal(std::FILE* stream);

// What names `path`'s file when it is an existing regular file (device and
// inode on POSIX, volume and file index on Windows), so that two names of
// one file compare equal; nothing otherwise.
std::optional<std::string> regular_file_identity(const std::string& path);

// Makes the standard streams binary where the system distinguishes (on
// Windows, text mode would write "\r\n" for every "\n" and end reading at
// a ^Z): meshes read from standard input and written to standard output
// keep their bytes, and printed lines are the same bytes on every system.
void binary_standard_streams();

// The program's arguments as UTF-8, the encoding of every path in the
// host: on Windows they are read again from the wide command line (the
// narrow `argv` holds the ANSI code page's approximation of any other
// character); elsewhere they are `argv` as given.
std::vector<std::string> utf8_arguments(int argc, char** argv);

// The plug-in library's file name: twinel.so, twinel64.dll or twinel32.dll.
const char* plugin_file_name();

}  // namespace cli
