// Several files of one command, each in a child process of its own, up to
// `jobs` at a time: the plug-in keeps its state in the globals it exports,
// so two meshes are never paired in one process at once, and a file that
// fails (or crashes) ends only its own child.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "cli/file_command.h"
#include "host/text_resources.h"

namespace cli {

struct batch_settings {
    int jobs = 1;                     // children at once (at least 1)
    std::FILE* human = nullptr;       // where each file's human lines and the summary go; null: nowhere
    bool progress_bar = false;        // draw a bar over the files on standard error (a terminal)
    host::language lang = host::language::english;
};

// Runs `run` on every task in a forked child (the caller must have no
// other threads running), collecting each child's outcome through a
// pipe; its human lines go to `human` and its errors to standard error,
// file by file in task order. Ends with a summary line on `human`.
// Returns the outcomes in task order; a child that ends without an outcome
// (killed by a signal) gives exit code 1 and an error saying how it ended.
std::vector<file_outcome> run_batch(const std::vector<file_task>& tasks, const file_runner& run,
                                    const batch_settings& settings);

// The outcome of `run` on `task` in this process: exceptions become the
// outcome's error, and the error is printed ("twinel: error: ...") on
// standard error.
file_outcome run_task(const file_task& task, const file_runner& run, std::FILE* human);

}  // namespace cli
