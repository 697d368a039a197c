// The subcommands of `twinel`. Each adds itself to the command line and
// runs when chosen; a run throws command_error on failure.
#pragma once

#include <CLI/CLI.hpp>

#include "cli/session.h"

namespace cli {

// The check of an input file argument: an existing file that is not a
// folder (a FIFO or a device will do), or "-" for standard input. Its
// messages are CLI::ExistingFile's; the path is UTF-8 on every system.
CLI::Validator existing_input();

void add_info_command(CLI::App& app, const global_options& options);
void add_convert_command(CLI::App& app, const global_options& options);
void add_check_command(CLI::App& app, const global_options& options);
void add_repair_command(CLI::App& app, const global_options& options);
void add_generate_command(CLI::App& app, const global_options& options);
void add_pair_commands(CLI::App& app, const global_options& options);
void add_symmetry_command(CLI::App& app, const global_options& options);
void add_script_command(CLI::App& app, const global_options& options);
void add_serve_command(CLI::App& app, const global_options& options);

}  // namespace cli
