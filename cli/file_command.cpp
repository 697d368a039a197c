#include "cli/file_command.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "cli/batch.h"
#include "cli/commands.h"
#include "cli/messages.h"
#include "cli/platform.h"
#include "host/io/output_file.h"

namespace cli {
namespace {

namespace fs = std::filesystem;

// Whether `output` names a folder to write each input's output in: it
// ends in "/". A folder named without one stays an output that cannot be
// written ("Is a directory"), as with a single input.
bool names_folder(const std::string& output) { return !output.empty() && output.back() == '/'; }

// The files of the command: each input with its output, checked for every
// usage error before anything is read or written. The output folder is
// made when missing.
std::vector<file_task> plan_tasks(const file_options& o, bool writes) {
    check_file_types({o.inputs.begin(), o.inputs.end()});
    if (std::count(o.inputs.begin(), o.inputs.end(), "-") > 1)
        throw command_error("standard input (-) can be read only once", exit_usage);
    const bool folder = writes && names_folder(o.output);
    if (writes && !folder && o.inputs.size() > 1)
        throw command_error("several inputs need a folder for their outputs: -o DIR/", exit_usage);
    std::vector<file_task> tasks;
    std::map<fs::path, std::string> written;  // output (absolute, normalised) -> its input
    for (const std::string& input : o.inputs) {
        file_task t{input, writes ? o.output : std::string()};
        if (folder) {
            if (is_standard_stream(input))
                throw command_error("standard input (-) has no name to name its output after: give -o a file",
                                    exit_usage);
            t.output = (fs::path(o.output) / fs::path(input).filename()).string();
        }
        if (writes) {
            check_file_types({t.output});
            const fs::path key = fs::absolute(t.output).lexically_normal();
            const auto [at, added] = written.emplace(key, input);
            if (!added && !is_standard_stream(t.output))
                throw command_error(format("%s and %s would both be written to %s", at->second, input, t.output),
                                    exit_usage);
        }
        tasks.push_back(std::move(t));
    }
    // No output, nor the report, may be any of the inputs: each existing
    // one is looked up among the inputs by its file's identity, so that a
    // batch of thousands costs one look at each name.
    std::map<std::string, std::string> input_files;  // identity -> input
    for (const std::string& input : o.inputs) {
        if (is_standard_stream(input)) continue;
        if (const auto id = regular_file_identity(input)) input_files.emplace(*id, input);
    }
    std::vector<std::string> outputs;
    if (writes)
        for (const file_task& t : tasks) outputs.push_back(t.output);
    if (!o.report.empty()) outputs.push_back(o.report);
    for (const std::string& output : outputs) {
        if (is_standard_stream(output)) continue;
        const auto id = regular_file_identity(output);
        if (!id) continue;
        const auto same = input_files.find(*id);
        if (same != input_files.end()) check_not_input(same->second, output);
    }
    if (folder) {
        std::error_code ec;
        fs::create_directories(o.output, ec);
        if (ec) throw command_error(o.output + ": cannot make the folder (" + ec.message() + ")");
    }
    return tasks;
}

// The JSON result of one file: its names, the command's findings, its
// exit code and error.
nlohmann::ordered_json file_json(const file_task& task, const file_outcome& outcome, bool writes) {
    nlohmann::ordered_json j = {{"input", task.input}};
    if (writes) j["output"] = task.output;
    for (const auto& [key, value] : outcome.report.items()) j[key] = value;
    j["exit_code"] = outcome.exit_code;
    j["error"] = outcome.error.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(outcome.error);
    return j;
}

int default_jobs() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

}  // namespace

void print_line(std::FILE* to, const std::string& line) {
    if (to) std::fprintf(to, "%s\n", line.c_str());
}

void add_file_options(CLI::App& cmd, file_options& o, bool writes) {
    // Whether each input exists is checked by run_files: with several, a
    // missing one fails alone.
    cmd.add_option("input", o.inputs, "Mesh (.obj), scene (.json) or glTF (.gltf, .glb) files to read; - for standard input")
        ->required();
    if (writes)
        cmd.add_option("-o,--output", o.output,
                       "File to write, - for standard output in the input's format, or a folder (DIR/) to write "
                       "each input's output in under the input's name")
            ->required();
    cmd.add_flag("--json", o.json, "Print the result as JSON on standard output (the other lines go to standard error)");
    cmd.add_option("--report", o.report, "Write the JSON result to this file as well (- for standard output)");
    cmd.add_flag("--quiet", o.quiet, "Print nothing but errors");
    cmd.add_option("--jobs", o.jobs, "Files at once with several inputs (default: one per core)")
        ->check(CLI::Range(1, 1024));
}

void run_files(const global_options& options, const file_options& o, bool writes, const file_runner& run) {
    const bool json_out = o.json || is_standard_stream(o.report);
    if (writes && is_standard_stream(o.output) && json_out)
        throw command_error(o.json ? "the mesh and the JSON result cannot both go to standard output (-)"
                                   : "the mesh and the report cannot both go to standard output (-)",
                            exit_usage);
    if (o.inputs.size() == 1) {
        // One input that is missing, or a folder, is a usage error, as any
        // other argument that cannot be taken; among several, that file's
        // reading fails and the others run.
        std::string input = o.inputs.front();
        const std::string why = existing_input()(input);
        if (!why.empty()) throw command_error(format("input: %s (see twinel --help)", why), exit_usage);
    }
    const std::vector<file_task> tasks = plan_tasks(o, writes);
    std::FILE* human = o.quiet ? nullptr : (json_out || is_standard_stream(o.output)) ? stderr : stdout;

    const auto start = std::chrono::steady_clock::now();
    std::vector<file_outcome> outcomes;
    if (tasks.size() == 1) {
        outcomes.push_back(run_task(tasks[0], run, human));
    } else {
        batch_settings b;
        b.jobs = o.jobs > 0 ? o.jobs : default_jobs();
        b.human = human;
        b.progress_bar = !o.quiet && is_terminal(stderr);
        b.lang = host::parse_language(options.lang);
        outcomes = run_batch(tasks, run, b);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    int code = exit_ok, failed = 0;
    for (const file_outcome& outcome : outcomes) {
        code = std::max(code, outcome.exit_code);
        failed += outcome.exit_code != exit_ok;
    }
    if (json_out || !o.report.empty()) {
        nlohmann::ordered_json result;
        if (tasks.size() == 1) {
            result = file_json(tasks[0], outcomes[0], writes);
        } else {
            result["files"] = nlohmann::ordered_json::array();
            for (std::size_t i = 0; i < tasks.size(); ++i) result["files"].push_back(file_json(tasks[i], outcomes[i], writes));
            result["summary"] = {{"files", tasks.size()},
                                 {"succeeded", static_cast<int>(tasks.size()) - failed},
                                 {"failed", failed},
                                 {"seconds", seconds}};
        }
        const std::string text = result.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + '\n';
        if (json_out) {
            std::fwrite(text.data(), 1, text.size(), stdout);
            std::fflush(stdout);
        }
        if (!o.report.empty() && !is_standard_stream(o.report)) {
            host::output_file out(o.report);
            out.write(text);
            out.commit();
        }
    }
    if (code != exit_ok) throw command_exit{code};
}

}  // namespace cli
