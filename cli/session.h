// What every `twinel` command shares: the global options, the reference host
// with the plug-in loaded, and the conventions for errors and exit codes.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "host/application.h"

namespace cli {

enum exit_code : int { exit_ok = 0, exit_failure = 1, exit_usage = 2 };

struct global_options {
    std::string lang = "en";
    std::string plugin;  // empty: twinel.so beside the executable
};

// A failure the command reports in one line on stderr, with its exit code.
class command_error : public std::runtime_error {
public:
    explicit command_error(const std::string& what, int code = exit_failure)
        : std::runtime_error(what), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

// The plug-in library to load: the given path, or twinel.so beside the
// running executable.
std::string plugin_path(const global_options& options);

// The reference host in the chosen language with the plug-in loaded (its
// resources give the texts). Throws command_error when it cannot be loaded.
std::unique_ptr<host::application> open_host(const global_options& options);

// Refuses to write `output` over `input` (the same file under any name).
void check_not_input(const std::string& input, const std::string& output);

}  // namespace cli
