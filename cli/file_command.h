// What the file commands (convert, check, repair, pair, mirror-half,
// symmetry) share: several inputs, outputs named after them in a folder,
// a JSON result per file on standard output or in a report file, --quiet,
// and batches run in parallel (cli/batch.h).
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "cli/session.h"

namespace cli {

struct file_options {
    std::vector<std::string> inputs;
    std::string output;  // a file, "-", or a folder (DIR/); empty for commands that write no mesh
    bool json = false;   // the result as JSON on standard output, the human lines on standard error
    std::string report;  // the JSON result to this file as well ("-": standard output)
    bool quiet = false;  // nothing but errors
    int jobs = 0;        // files at once in a batch; 0: one per core
};

// One file of a command: what to read, where to write ("" when the
// command writes no mesh).
struct file_task {
    std::string input;
    std::string output;
};

// What one file gave: its exit code, the failure to print (empty when
// none) and the command's findings as a JSON object.
struct file_outcome {
    int exit_code = exit_ok;
    std::string error;
    nlohmann::ordered_json report = nlohmann::ordered_json::object();
};

// Runs the command on one file, printing its human lines on `human` (null
// with --quiet). May throw command_error or any std::exception: the
// failure becomes the file's outcome.
using file_runner = std::function<file_outcome(const file_task& task, std::FILE* human)>;

// Thrown by a command's callback to end `twinel` with `code` after it
// printed all there was to print.
struct command_exit {
    int code;
};

// Adds the shared options to `cmd`: the inputs (one or more, each a file
// or "-"), -o/--output when `writes`, --json, --report, --quiet and
// --jobs.
void add_file_options(CLI::App& cmd, file_options& o, bool writes);

// Prints `line` and a line end on `to`; nothing when `to` is null.
void print_line(std::FILE* to, const std::string& line);

// Runs `run` over every input of `o`: one input in this process, several
// as a batch (cli/batch.h); then prints or writes the JSON result asked
// for. Usage errors (a single input that is missing or a folder, file
// types, an output over an input, two inputs giving one output, -o - or
// --json clashing on standard output) throw command_error before any file
// is read; one of several inputs that is missing or cannot be read fails
// alone, as its reading does. When a file did not succeed, throws
// command_exit with the highest code of a file.
void run_files(const global_options& options, const file_options& o, bool writes, const file_runner& run);

}  // namespace cli
