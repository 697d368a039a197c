// `twinel script`: a session of the reference host driven line by line.
// With --json, the session's outcome is reported as JSON on standard
// output and what the script prints goes to standard error.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/messages.h"
#include "cli/script.h"

namespace cli {
namespace {

struct script_options {
    std::string file;
    bool json = false;
    std::string scratch;  // empty: a temporary folder
};

// The session's outcome: the lines run, the expectations met, the
// messages shown, the files written and the failure (with its line, null
// for the script as a whole), if any.
nlohmann::ordered_json outcome_json(const std::string& file, const script_runner& runner,
                                    const std::optional<script_error>& failure) {
    nlohmann::ordered_json failed;
    if (failure)
        failed = {{"line", failure->line() > 0 ? nlohmann::ordered_json(failure->line()) : nlohmann::ordered_json()},
                  {"message", failure->what()}};
    return {{"script", file},
            {"lines_run", runner.lines_run()},
            {"expectations_met", runner.expectations_met()},
            {"messages", runner.messages()},
            {"files_written", runner.files_written()},
            {"failure", failed},
            {"exit_code", failure ? exit_failure : exit_ok}};
}

void run_script(const global_options& options, const script_options& o) {
    auto app = open_host(options);
    std::ostream& human = o.json ? std::cerr : std::cout;
    std::optional<script_error> failure;
    {
        script_runner runner(*app, human);
        try {
            if (!o.scratch.empty()) runner.keep_scratch_in(o.scratch);
            if (o.file == "-") {
                runner.run(std::cin, "<stdin>");
            } else {
                std::ifstream in(o.file);
                if (!in) throw command_error("cannot read the script " + o.file);
                runner.run(in, o.file);
            }
        } catch (const script_error& e) {
            failure = e;
        }
        human.flush();
        if (!failure)
            human << format("script: %i lines run, %i expectations met\n", runner.lines_run(),
                            runner.expectations_met());
        if (o.json) {
            const std::string text =
                outcome_json(o.file, runner, failure).dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
            std::cout << text << '\n' << std::flush;
        }
    }
    if (failure) throw command_error(failure->what());
}

}  // namespace

void add_script_command(CLI::App& app, const global_options& options) {
    auto o = std::make_shared<script_options>();
    CLI::App* cmd = app.add_subcommand("script", "Run a session script against the palette and the host (- for stdin)");
    cmd->add_option("file", o->file, "Script file, or - for standard input")->required();
    cmd->add_flag("--json", o->json,
                  "Print the session's outcome (lines run, messages, files written, the failure and its line) as JSON "
                  "on standard output (what the script prints goes to standard error)");
    cmd->add_option("--scratch", o->scratch,
                    "Folder for the script's @NAME files, made when missing and kept afterwards (default: a "
                    "temporary folder removed at the end)");
    cmd->callback([&options, o] { run_script(options, *o); });
}

}  // namespace cli
