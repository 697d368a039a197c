#include "cli/batch.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "cli/messages.h"
#include "cli/progress_bar.h"

namespace cli {
namespace {

// The three pipes a child writes: its standard output (the human lines),
// its standard error and its outcome as JSON.
constexpr int stream_count = 3;
constexpr int result_stream = 2;

struct child {
    std::size_t task = 0;
    pid_t pid = -1;
    int fds[stream_count] = {-1, -1, -1};  // the parent's read ends; -1 once at their end
    std::string text[stream_count];

    bool ended() const { return fds[0] < 0 && fds[1] < 0 && fds[2] < 0; }
};

void write_all(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;  // the parent is gone: nobody to tell
        done += static_cast<std::size_t>(n);
    }
}

// The child's side: the task with its streams on the pipes, the outcome
// sent as JSON; never returns.
[[noreturn]] void run_child(const file_task& task, const file_runner& run, bool quiet, const int (&write_ends)[stream_count]) {
    ::dup2(write_ends[0], STDOUT_FILENO);
    ::dup2(write_ends[1], STDERR_FILENO);
    ::close(write_ends[0]);
    ::close(write_ends[1]);
    int code = exit_failure;
    try {
        const file_outcome o = run_task(task, run, quiet ? nullptr : stdout);
        code = o.exit_code;
        std::fflush(stdout);
        std::fflush(stderr);
        const nlohmann::ordered_json sent = {{"exit_code", o.exit_code}, {"error", o.error}, {"report", o.report}};
        write_all(write_ends[result_stream], sent.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    } catch (...) {
        // Out of memory while sending: the parent reports a child without
        // an outcome.
    }
    std::fflush(stdout);
    std::fflush(stderr);
    // No exit handlers and no destructors of the parent's objects: they
    // belong to the parent, which runs them itself.
    ::_exit(code);
}

void close_all(int (&fds)[stream_count]) {
    for (int& fd : fds)
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
}

// Starts the child of task `index`; on failure the outcome says why and
// the returned child has ended already (pid -1).
child start_child(std::size_t index, const file_task& task, const file_runner& run, bool quiet,
                  file_outcome& failed) {
    child c;
    c.task = index;
    int write_ends[stream_count] = {-1, -1, -1};
    for (int k = 0; k < stream_count; ++k) {
        int p[2];
        if (::pipe2(p, O_CLOEXEC) != 0) {
            failed = {exit_failure, task.input + ": cannot start a process (" + std::strerror(errno) + ")", {}};
            close_all(c.fds);
            close_all(write_ends);
            return c;
        }
        c.fds[k] = p[0];
        write_ends[k] = p[1];
    }
    // What the parent buffered would otherwise be printed by the child too.
    std::fflush(stdout);
    std::fflush(stderr);
    c.pid = ::fork();
    if (c.pid == 0) {
        close_all(c.fds);
        run_child(task, run, quiet, write_ends);
    }
    const int error = errno;
    close_all(write_ends);
    if (c.pid < 0) {
        close_all(c.fds);
        failed = {exit_failure, task.input + ": cannot start a process (" + std::strerror(error) + ")", {}};
    }
    return c;
}

// Reads what is there on the child's pipe k; closes it at its end.
void read_stream(child& c, int k) {
    char buffer[1 << 16];
    const ssize_t n = ::read(c.fds[k], buffer, sizeof buffer);
    if (n > 0) {
        c.text[k].append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
        ::close(c.fds[k]);
        c.fds[k] = -1;
    }
}

// The outcome the ended child sent, or one saying how it ended without.
file_outcome outcome_of(child& c, const file_task& task) {
    int status = 0;
    while (::waitpid(c.pid, &status, 0) < 0 && errno == EINTR) {
    }
    try {
        const auto sent = nlohmann::ordered_json::parse(c.text[result_stream]);
        return {sent.at("exit_code").get<int>(), sent.at("error").get<std::string>(), sent.at("report")};
    } catch (const std::exception&) {
        if (WIFSIGNALED(status))
            return {exit_failure,
                    format("%s: stopped by signal %i (%s)", task.input, WTERMSIG(status), strsignal(WTERMSIG(status))),
                    {}};
        return {exit_failure, format("%s: ended without a result (exit code %i)", task.input, WEXITSTATUS(status)), {}};
    }
}

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

std::vector<file_outcome> run_batch(const std::vector<file_task>& tasks, const file_runner& run,
                                    const batch_settings& settings) {
    const auto start = std::chrono::steady_clock::now();
    const std::size_t n = tasks.size();
    const std::size_t jobs = static_cast<std::size_t>(std::max(1, settings.jobs));
    std::vector<file_outcome> outcomes(n);
    std::vector<bool> finished(n, false);
    std::vector<std::string> human_text(n), error_text(n);
    progress_bar bar(settings.progress_bar ? stderr : nullptr, static_cast<int>(n));
    std::vector<child> running;
    std::size_t next = 0, printed = 0;
    int done = 0, last_drawn = 0;
    const auto finish = [&](std::size_t task, std::string human, std::string errors) {
        finished[task] = true;
        human_text[task] = std::move(human);
        error_text[task] = std::move(errors);
        ++done;
    };
    bar.draw(0);
    while (printed < n) {
        while (running.size() < jobs && next < n) {
            child c = start_child(next, tasks[next], run, settings.human == nullptr, outcomes[next]);
            if (c.pid < 0)
                finish(next, "", "twinel: error: " + outcomes[next].error + "\n");
            else
                running.push_back(std::move(c));
            ++next;
        }
        if (!running.empty()) {
            std::vector<pollfd> polled;
            std::vector<std::pair<std::size_t, int>> owner;  // (running child, stream) of each entry
            for (std::size_t r = 0; r < running.size(); ++r)
                for (int k = 0; k < stream_count; ++k)
                    if (running[r].fds[k] >= 0) {
                        polled.push_back({running[r].fds[k], POLLIN, 0});
                        owner.emplace_back(r, k);
                    }
            if (::poll(polled.data(), polled.size(), -1) < 0 && errno != EINTR)
                throw command_error(std::string("cannot wait for the batch's processes (") + std::strerror(errno) + ")");
            for (std::size_t p = 0; p < polled.size(); ++p)
                if (polled[p].revents != 0) read_stream(running[owner[p].first], owner[p].second);
            for (std::size_t r = 0; r < running.size();) {
                if (!running[r].ended()) {
                    ++r;
                    continue;
                }
                child& c = running[r];
                outcomes[c.task] = outcome_of(c, tasks[c.task]);
                std::string errors = std::move(c.text[1]);
                if (c.text[result_stream].empty() && !outcomes[c.task].error.empty())
                    errors += "twinel: error: " + outcomes[c.task].error + "\n";
                finish(c.task, std::move(c.text[0]), std::move(errors));
                running.erase(running.begin() + static_cast<std::ptrdiff_t>(r));
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
    print_summary(settings.human, settings.lang, tasks, outcomes,
                  std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return outcomes;
}

}  // namespace cli
