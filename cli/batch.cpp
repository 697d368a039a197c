#include "cli/batch.h"

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>

#include "cli/batch_globals.h"
#include "cli/messages.h"
#include "cli/progress_bar.h"

namespace cli {
namespace {

#ifndef _WIN32
// The three pipes a worker writes: its standard output (the human lines),
// its standard error and the outcomes of its files as JSON, each ended by
// a NUL (dumped JSON holds none: a NUL in a string is written \u0000).
constexpr int stream_count = 3;
constexpr int result_stream = 2;
constexpr char outcome_end = '\0';
constexpr std::size_t no_task = static_cast<std::size_t>(-1);

struct worker {
    pid_t pid = -1;
    int task_fd = -1;  // the parent's end of the socket the file numbers go down; -1 once closed
    int fds[stream_count] = {-1, -1, -1};  // the parent's read ends; -1 once at their end
    std::string text[stream_count];
    std::size_t task = no_task;  // the file it runs

    bool ended() const { return fds[0] < 0 && fds[1] < 0 && fds[2] < 0; }
};

void close_fd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

void close_all(int (&fds)[stream_count]) {
    for (int& fd : fds) close_fd(fd);
}

void write_all(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;  // the parent is gone: nobody to tell
        done += static_cast<std::size_t>(n);
    }
}

// Reads exactly `size` bytes; false at the end of the stream or an error.
bool read_all(int fd, void* to, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, static_cast<char*>(to) + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The worker's side: runs the files whose numbers come on `task_fd`, one
// after another, sending each outcome as JSON with whether it is the
// worker's last: the stream of numbers ended, or the file left the
// engine's globals changed, so that the next file starts in a fresh
// process. Never returns.
[[noreturn]] void run_worker(const std::vector<file_task>& tasks, const file_runner& run, bool quiet, int task_fd,
                             const int (&write_ends)[stream_count]) {
    ::dup2(write_ends[0], STDOUT_FILENO);
    ::dup2(write_ends[1], STDERR_FILENO);
    ::close(write_ends[0]);
    ::close(write_ends[1]);
    const engine_globals at_start = engine_globals::now();
    std::uint64_t index = 0;
    bool last = false;
    while (!last && read_all(task_fd, &index, sizeof index) && index < tasks.size()) {
        try {
            const file_outcome o = run_task(tasks[index], run, quiet ? nullptr : stdout);
            std::fflush(stdout);
            std::fflush(stderr);
            last = engine_globals::now() != at_start;
            const nlohmann::ordered_json sent = {
                {"exit_code", o.exit_code}, {"error", o.error}, {"report", o.report}, {"last", last}};
            write_all(write_ends[result_stream],
                      sent.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + outcome_end);
        } catch (...) {
            // Out of memory while sending: the parent reports a file
            // without an outcome.
            break;
        }
    }
    std::fflush(stdout);
    std::fflush(stderr);
    // No exit handlers and no destructors of the parent's objects: they
    // belong to the parent, which runs them itself.
    ::_exit(exit_ok);
}

// Forks a worker; on failure says why in `error` and the returned worker
// has pid -1. The new process closes its copies of the `others`' ends, so
// that each worker sees the end of its own numbers when the parent closes
// them.
worker start_worker(const std::vector<file_task>& tasks, const file_runner& run, bool quiet,
                    const std::vector<worker>& others, std::string& error) {
    worker w;
    int write_ends[stream_count] = {-1, -1, -1};
    int numbers[2] = {-1, -1};
    const auto failed = [&] {
        error = format("cannot start a process (%s)", std::strerror(errno));
        close_all(w.fds);
        close_all(write_ends);
        close_fd(numbers[0]);
        close_fd(numbers[1]);
        w.pid = -1;
        return std::move(w);
    };
    for (int k = 0; k < stream_count; ++k) {
        int p[2];
        if (::pipe2(p, O_CLOEXEC) != 0) return failed();
        w.fds[k] = p[0];
        write_ends[k] = p[1];
        // The parent drains what a file printed once its outcome came.
        ::fcntl(p[0], F_SETFL, ::fcntl(p[0], F_GETFL) | O_NONBLOCK);
    }
    // A socket rather than a pipe: a send to a worker that died gives an
    // error, not SIGPIPE.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, numbers) != 0) return failed();
    // What the parent buffered would otherwise be printed by the worker too.
    std::fflush(stdout);
    std::fflush(stderr);
    w.pid = ::fork();
    if (w.pid < 0) return failed();
    if (w.pid == 0) {
        for (const worker& o : others) {
            if (o.task_fd >= 0) ::close(o.task_fd);
            for (int fd : o.fds)
                if (fd >= 0) ::close(fd);
        }
        close_all(w.fds);
        ::close(numbers[0]);
        run_worker(tasks, run, quiet, numbers[1], write_ends);
    }
    close_all(write_ends);
    close_fd(numbers[1]);
    w.task_fd = numbers[0];
    return w;
}

// Sends the worker the number of `task`; false when it cannot take it (it
// ended): its socket is closed then.
bool give(worker& w, std::size_t task) {
    const std::uint64_t index = task;
    if (::send(w.task_fd, &index, sizeof index, MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof index)) {
        close_fd(w.task_fd);
        return false;
    }
    w.task = task;
    return true;
}

// Reads what is there on the worker's pipe k; closes it at its end. With
// `drain`, reads until nothing is left.
void read_stream(worker& w, int k, bool drain = false) {
    char buffer[1 << 16];
    while (w.fds[k] >= 0) {
        const ssize_t n = ::read(w.fds[k], buffer, sizeof buffer);
        if (n > 0) {
            w.text[k].append(buffer, static_cast<std::size_t>(n));
            if (!drain) return;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            return;
        } else {
            close_fd(w.fds[k]);
        }
    }
}

// The outcome the worker sent for its file, once all of it has come: the
// file's lines are all in the pipes by then (the worker flushed them
// first), and are moved to `human` and `errors`. False while it has not.
bool take_outcome(worker& w, const file_task& task, file_outcome& o, std::string& human, std::string& errors,
                  bool& last) {
    const std::size_t end = w.text[result_stream].find(outcome_end);
    if (end == std::string::npos) return false;
    read_stream(w, 0, true);
    read_stream(w, 1, true);
    try {
        const auto sent = nlohmann::ordered_json::parse(w.text[result_stream].begin(),
                                                        w.text[result_stream].begin() + static_cast<std::ptrdiff_t>(end));
        o = {sent.at("exit_code").get<int>(), sent.at("error").get<std::string>(), sent.at("report")};
        last = sent.at("last").get<bool>();
    } catch (const std::exception& e) {
        o = {exit_failure, format("%s: the result of its process cannot be read (%s)", task.input, e.what()), {}};
        last = true;
    }
    w.text[result_stream].erase(0, end + 1);
    human = std::move(w.text[0]);
    errors = std::move(w.text[1]);
    w.text[0].clear();
    w.text[1].clear();
    return true;
}

// Waits for the ended worker; its exit status.
int reap(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// The outcome of a file whose worker ended before sending it.
file_outcome ended_without_outcome(const file_task& task, int status) {
    if (WIFSIGNALED(status))
        return {exit_failure,
                format("%s: stopped by signal %i (%s)", task.input, WTERMSIG(status), strsignal(WTERMSIG(status))), {}};
    return {exit_failure, format("%s: ended without a result (exit code %i)", task.input, WEXITSTATUS(status)), {}};
}

#endif  // !_WIN32

void print_summary(std::FILE* human, host::language lang, const std::vector<file_task>& tasks,
                   const std::vector<file_outcome>& outcomes, double seconds) {
    int failed = 0;
    std::string names;
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        if (outcomes[i].exit_code == exit_ok) continue;
        ++failed;
        names += (names.empty() ? "" : ", ") + tasks[i].input;
    }
    print_line(human, format(own_text(lang, "%i files: %i succeeded, %i failed (%.1f s)"),
                             static_cast<int>(tasks.size()), static_cast<int>(tasks.size()) - failed, failed, seconds));
    if (failed > 0) print_line(human, format(own_text(lang, "failed: %s"), names));
}

}  // namespace

file_outcome run_task(const file_task& task, const file_runner& run, std::FILE* human) {
    file_outcome o;
    try {
        o = run(task, human);
    } catch (const command_error& e) {
        o = {e.code(), e.what(), {}};
    } catch (const std::exception& e) {
        o = {exit_failure, e.what(), {}};
    } catch (const char* message) {
        // An engine message that no step caught: still this file's failure
        // alone, named, not the end of the batch.
        o = {exit_failure, task.input + ": " + (message ? message : "failed"), {}};
    }
    if (!o.error.empty()) {
        if (human) std::fflush(human);
        std::fprintf(stderr, "twinel: error: %s\n", o.error.c_str());
    }
    return o;
}

#ifdef _WIN32
// Windows has no fork: the files run in this process one after another,
// each with a host of its own. A file that leaves the engine's globals
// changed would hand that state to the next file, so the files after it
// fail, naming it, instead of running on what it left.
std::vector<file_outcome> run_batch(const std::vector<file_task>& tasks, const file_runner& run,
                                    const batch_settings& settings) {
    const auto start = std::chrono::steady_clock::now();
    std::vector<file_outcome> outcomes(tasks.size());
    progress_bar bar(settings.progress_bar ? stderr : nullptr, static_cast<int>(tasks.size()));
    const engine_globals at_start = engine_globals::now();
    std::string changed_by;
    bar.draw(0);
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        bar.clear();
        if (!changed_by.empty()) {
            outcomes[i] = {exit_failure,
                           format("%s: not run: %s left the engine's state changed", tasks[i].input, changed_by), {}};
            std::fprintf(stderr, "twinel: error: %s\n", outcomes[i].error.c_str());
        } else {
            outcomes[i] = run_task(tasks[i], run, settings.human);
            if (engine_globals::now() != at_start) changed_by = tasks[i].input;
        }
        if (settings.human) std::fflush(settings.human);
        bar.draw(static_cast<int>(i + 1));
    }
    bar.clear();
    print_summary(settings.human, settings.lang, tasks, outcomes,
                  std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return outcomes;
}
#else
std::vector<file_outcome> run_batch(const std::vector<file_task>& tasks, const file_runner& run,
                                    const batch_settings& settings) {
    const auto start = std::chrono::steady_clock::now();
    const std::size_t n = tasks.size();
    const std::size_t jobs = static_cast<std::size_t>(std::max(1, settings.jobs));
    const bool quiet = settings.human == nullptr;
    std::vector<file_outcome> outcomes(n);
    std::vector<bool> finished(n, false);
    std::vector<std::string> human_text(n), error_text(n);
    progress_bar bar(settings.progress_bar ? stderr : nullptr, static_cast<int>(n));
    std::vector<worker> workers;
    std::size_t next = 0, printed = 0;
    int done = 0, last_drawn = 0;
    const auto finish = [&](std::size_t task, std::string human, std::string errors) {
        finished[task] = true;
        human_text[task] = std::move(human);
        error_text[task] = std::move(errors);
        ++done;
    };
    const auto fail = [&](std::size_t task, file_outcome outcome, std::string human, std::string errors) {
        errors += format("twinel: error: %s\n", outcome.error);
        outcomes[task] = std::move(outcome);
        finish(task, std::move(human), std::move(errors));
    };
    bar.draw(0);
    while (printed < n) {
        // The next files to the idle workers, then to new ones while there
        // is room; a worker with nothing left to do is told so (its socket
        // closed) and ends.
        for (worker& w : workers) {
            if (w.task != no_task || w.task_fd < 0) continue;
            if (next < n && give(w, next))
                ++next;
            else
                close_fd(w.task_fd);
        }
        while (workers.size() < jobs && next < n) {
            std::string error;
            worker w = start_worker(tasks, run, quiet, workers, error);
            if (w.pid < 0) {
                fail(next, {exit_failure, format("%s: %s", tasks[next].input, error), {}}, "", "");
                ++next;
                continue;
            }
            if (give(w, next)) ++next;
            workers.push_back(std::move(w));
        }
        if (!workers.empty()) {
            std::vector<pollfd> polled;
            std::vector<std::pair<std::size_t, int>> owner;  // (worker, stream) of each entry
            for (std::size_t r = 0; r < workers.size(); ++r)
                for (int k = 0; k < stream_count; ++k)
                    if (workers[r].fds[k] >= 0) {
                        polled.push_back({workers[r].fds[k], POLLIN, 0});
                        owner.emplace_back(r, k);
                    }
            if (::poll(polled.data(), polled.size(), -1) < 0 && errno != EINTR)
                throw command_error(format("cannot wait for the batch's processes (%s)", std::strerror(errno)));
            for (std::size_t p = 0; p < polled.size(); ++p)
                if (polled[p].revents != 0) read_stream(workers[owner[p].first], owner[p].second);
            for (worker& w : workers) {
                file_outcome o;
                std::string human, errors;
                bool last = false;
                if (w.task == no_task || !take_outcome(w, tasks[w.task], o, human, errors, last)) continue;
                outcomes[w.task] = std::move(o);
                finish(w.task, std::move(human), std::move(errors));
                w.task = no_task;
                if (last) close_fd(w.task_fd);
            }
            for (std::size_t r = 0; r < workers.size();) {
                worker& w = workers[r];
                if (!w.ended()) {
                    ++r;
                    continue;
                }
                const int status = reap(w.pid);
                close_fd(w.task_fd);
                if (w.task != no_task)
                    fail(w.task, ended_without_outcome(tasks[w.task], status), std::move(w.text[0]),
                         std::move(w.text[1]));
                workers.erase(workers.begin() + static_cast<std::ptrdiff_t>(r));
            }
        }
        // Each file's lines as one block, in the order of the inputs.
        const int drawn = done;
        bool cleared = false;
        while (printed < n && finished[printed]) {
            bar.clear();
            cleared = true;
            if (settings.human && !human_text[printed].empty()) {
                std::fwrite(human_text[printed].data(), 1, human_text[printed].size(), settings.human);
                std::fflush(settings.human);
            }
            std::fwrite(error_text[printed].data(), 1, error_text[printed].size(), stderr);
            ++printed;
        }
        if (cleared || drawn != last_drawn) bar.draw(done);
        last_drawn = done;
    }
    bar.clear();
    // Every file has its outcome; the workers still running have been
    // told there is nothing more and end by themselves.
    for (worker& w : workers) {
        close_fd(w.task_fd);
        for (int& fd : w.fds) close_fd(fd);
        reap(w.pid);
    }
    print_summary(settings.human, settings.lang, tasks, outcomes,
                  std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return outcomes;
}
#endif  // _WIN32

}  // namespace cli
