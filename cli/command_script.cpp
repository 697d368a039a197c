// `twinel script`: a session of the reference host driven line by line.
#include <fstream>
#include <iostream>
#include <string>

#include "cli/commands.h"
#include "cli/script.h"

namespace cli {
namespace {

void run_script(const global_options& options, const std::string& file) {
    auto app = open_host(options);
    script_runner runner(*app, std::cout);
    try {
        if (file == "-") {
            runner.run(std::cin, "<stdin>");
        } else {
            std::ifstream in(file);
            if (!in) throw command_error("cannot read the script " + file);
            runner.run(in, file);
        }
    } catch (const script_error& e) {
        std::cout.flush();
        throw command_error(e.what());
    }
    std::cout << "script: " << runner.lines_run() << " lines run, " << runner.expectations_met()
              << " expectations met\n";
}

}  // namespace

void add_script_command(CLI::App& app, const global_options& options) {
    auto file = std::make_shared<std::string>();
    CLI::App* cmd = app.add_subcommand("script", "Run a session script against the palette and the host (- for stdin)");
    cmd->add_option("file", *file, "Script file, or - for standard input")->required();
    cmd->callback([&options, file] { run_script(options, *file); });
}

}  // namespace cli
