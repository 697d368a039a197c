// twinel: the reference host with a command line, for meshes in files.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "cli/allocator_settings.h"
#include "cli/file_command.h"
#include "cli/platform.h"
#include "cli/session.h"

int main(int argc, char** argv) {
    cli::tune_allocator();
    cli::binary_standard_streams();
    std::vector<std::string> arguments = cli::utf8_arguments(argc, argv);
    std::vector<char*> words;
    for (std::string& a : arguments) words.push_back(a.data());
    cli::global_options options;
    CLI::App app("Twinel: pair, repair and mirror polygon meshes across a symmetry plane.", "twinel");
    // A word starting with "/" is a path on every system, never a
    // Windows-style option (the subcommands take this setting from here).
    app.allow_windows_style_options(false);
    app.set_version_flag("--version", "twinel 10.0.0, build 9");
    app.add_option("--lang", options.lang, "Language of messages: en or ja")
        ->check(CLI::IsMember({"en", "ja"}))
        ->capture_default_str();
    app.add_option("--plugin", options.plugin, std::string("Plug-in library to load (default: ") + cli::plugin_file_name() + " beside twinel)");
    app.require_subcommand(1);
    app.fallthrough();

    cli::add_info_command(app, options);
    cli::add_convert_command(app, options);
    cli::add_check_command(app, options);
    cli::add_repair_command(app, options);
    cli::add_pair_commands(app, options);
    cli::add_symmetry_command(app, options);
    cli::add_script_command(app, options);
    cli::add_serve_command(app, options);
    cli::add_generate_command(app, options);

    try {
        app.parse(static_cast<int>(arguments.size()), words.data());
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        // One line naming what was wrong: a missing input file, a folder
        // given as one, an unknown option or value.
        std::cerr << "twinel: error: " << e.what() << " (see twinel --help)\n";
        return cli::exit_usage;
    } catch (const cli::command_exit& e) {
        // The command printed what it had to say; only the code is left.
        return e.code;
    } catch (const cli::command_error& e) {
        std::fflush(stdout);
        std::cerr << "twinel: error: " << e.what() << '\n';
        return e.code();
    } catch (const std::exception& e) {
        std::fflush(stdout);
        std::cerr << "twinel: error: " << e.what() << '\n';
        return cli::exit_failure;
    }
    return cli::exit_ok;
}
