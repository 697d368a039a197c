// Several files of one command, run by up to `jobs` worker processes at
// once. Each worker is forked from the command and runs one file after
// another, each file with a host of its own, so that a file starts from
// what the command started with; a worker whose file left the engine's
// exported globals changed (cli/batch_globals.h) ends, and the next file
// goes to a new one. A file that fails ends only itself; one that crashes
// ends its worker, and the files after it go to a new one. On Windows,
// which has no fork, the files run in the command's own process one after
// another (run_batch says how).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "cli/file_command.h"
#include "host/text_resources.h"

namespace cli {

struct batch_settings {
    int jobs = 1;                     // workers at once (at least 1)
    std::FILE* human = nullptr;       // where each file's human lines and the summary go; null: nowhere
    bool progress_bar = false;        // draw a bar over the files on standard error (a terminal)
    host::language lang = host::language::english;
};

// Runs `run` on every task in forked workers (the caller must have no
// other threads running), collecting each file's outcome through a pipe;
// its human lines go to `human` and its errors to standard error, file by
// file in task order. Ends with a summary line on `human`. Returns the
// outcomes in task order; a file whose worker ended without its outcome
// (killed by a signal) gives exit code 1 and an error saying how it ended.
std::vector<file_outcome> run_batch(const std::vector<file_task>& tasks, const file_runner& run,
                                    const batch_settings& settings);

// The outcome of `run` on `task` in this process: exceptions become the
// outcome's error, and the error is printed ("twinel: error: ...") on
// standard error.
file_outcome run_task(const file_task& task, const file_runner& run, std::FILE* human);

}  // namespace cli
