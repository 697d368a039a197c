#include "cli/session.h"

#include <filesystem>
#include <system_error>

#include <CLI/CLI.hpp>

#include "cli/commands.h"

namespace cli {

std::string plugin_path(const global_options& options) {
    if (!options.plugin.empty()) return options.plugin;
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    const std::filesystem::path dir = ec ? std::filesystem::current_path() : exe.parent_path();
    return (dir / "twinel.so").string();
}

std::unique_ptr<host::application> open_host(const global_options& options) {
    host::language lang;
    try {
        lang = host::parse_language(options.lang);
    } catch (const std::invalid_argument& e) {
        throw command_error(e.what(), exit_usage);
    }
    auto app = std::make_unique<host::application>(lang);
    try {
        app->load_plugin(plugin_path(options));
    } catch (const std::exception& e) {
        throw command_error(e.what());
    }
    return app;
}

bool is_standard_stream(const std::string& path) { return path == "-"; }

std::FILE* progress_stream(std::initializer_list<std::string> outputs) {
    for (const std::string& output : outputs)
        if (is_standard_stream(output)) return stderr;
    return stdout;
}

void check_not_input(const std::string& input, const std::string& output) {
    if (is_standard_stream(input) || is_standard_stream(output)) return;
    // A device or a FIFO is never overwritten: reading and writing /dev/null
    // at once is no mistake.
    std::error_code ec;
    if (std::filesystem::is_regular_file(input, ec) && std::filesystem::exists(output, ec) &&
        std::filesystem::equivalent(input, output, ec))
        throw command_error("refusing to overwrite the input file " + input + " (choose another output)",
                            exit_usage);
}

CLI::Validator existing_input() {
    return CLI::Validator(
        [](std::string& path) { return is_standard_stream(path) ? std::string() : CLI::ExistingFile(path); },
        "FILE|-");
}

}  // namespace cli
