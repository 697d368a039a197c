// `twinel serve`: the palette and a 3D view in the browser, over one
// session of the reference host.
#include <atomic>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <thread>

#ifdef _WIN32
#include "host/windows_api.h"
#else
#include <pthread.h>
#include <unistd.h>
#endif

#include <boost/format.hpp>
#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/platform.h"
#include "cli/serve_http.h"
#include "cli/serve_paths.h"
#include "cli/serve_session.h"

namespace cli {
namespace {

struct serve_options {
    std::string file;
    int port = 8765;
    std::string address = "127.0.0.1";
    std::string page;  // empty: web/ beside the executable
    bool json = false;  // the start as one JSON line on standard output, the human lines on standard error
};

#ifdef _WIN32
// Ctrl+C, Ctrl+Break and the console's closing come on a thread of their
// own, and Windows gives the handler no context: the event it sets is the
// one thing this process keeps for them, while a server runs.
std::atomic<HANDLE> console_stop{nullptr};

BOOL WINAPI on_console_stop(DWORD) {
    if (const HANDLE event = console_stop.load()) ::SetEvent(event);
    return TRUE;
}

// A request to stop: the console's events, or the server's own.
class stop_requests {
public:
    stop_requests() : event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        console_stop = event_;
        ::SetConsoleCtrlHandler(on_console_stop, TRUE);
    }
    ~stop_requests() {
        ::SetConsoleCtrlHandler(on_console_stop, FALSE);
        console_stop = nullptr;
        ::CloseHandle(event_);
    }
    void wait() { ::WaitForSingleObject(event_, INFINITE); }
    void request() { ::SetEvent(event_); }

private:
    HANDLE event_;
};
#else
// Ctrl+C (and SIGTERM) end the server cleanly without a signal handler:
// both are blocked in every thread (the server's threads, started later,
// inherit the mask) and the serving thread waits for them with sigwait.
class stop_requests {
public:
    stop_requests() {
        sigemptyset(&signals_);
        sigaddset(&signals_, SIGINT);
        sigaddset(&signals_, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &signals_, &before_);
    }
    ~stop_requests() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
    void wait() {
        int signal = 0;
        sigwait(&signals_, &signal);
    }
    void request() { kill(getpid(), SIGTERM); }

private:
    sigset_t signals_, before_;
};
#endif

std::filesystem::path page_folder(const serve_options& o) {
    if (!o.page.empty()) return o.page;
    return executable_folder() / "web";
}

void serve(const global_options& options, const serve_options& o) {
    const served_folder folder(std::filesystem::current_path());
    std::unique_ptr<page_session> session;
    try {
        session = std::make_unique<page_session>(options, folder, o.file);
    } catch (const refused_line& e) {
        throw command_error(e.what(), exit_usage);
    } catch (const command_error&) {
        throw;
    } catch (const std::exception& e) {
        throw command_error(e.what());
    }
    page_server server(*session, folder, page_folder(o));

    stop_requests stop;
    const int port = server.bind(o.address, o.port);
    if (port < 0) {
        throw command_error((boost::format("cannot listen on %s:%i (is the port in use, or the address not this "
                                           "machine's?)") % o.address % o.port).str());
    }
    if (!page_server::is_loopback(o.address))
        std::cerr << boost::format("twinel: warning: serving on %s:%i: whoever reaches it can run session lines "
                                   "without a password, and so read and write the files below %s and run every "
                                   "command of the plug-in\n") %
                         o.address % port % folder.root().string();
    bool failed = false;
    std::thread listener([&] {
        failed = !server.listen();
        // A server that stops by itself wakes the waiting thread.
        if (failed) stop.request();
    });
    const bool everywhere = o.address == "0.0.0.0" || o.address == "::";
    const std::string shown = everywhere || o.address == "localhost" ? std::string("127.0.0.1")
                              : o.address.find(':') != std::string::npos ? "[" + o.address + "]"
                                                                         : o.address;
    std::ostream& human = o.json ? std::cerr : std::cout;
    human << boost::format("twinel: serving %s on http://%s:%i/%s (Ctrl+C ends)\n") % folder.root().string() % shown %
                 port % (everywhere ? " and every address of this machine" : "")
          << std::flush;
    if (o.json)
        std::cout << nlohmann::ordered_json{{"url", (boost::format("http://%s:%i/") % shown % port).str()},
                                            {"address", o.address},
                                            {"port", port},
                                            {"folder", folder.root().string()},
                                            {"page", page_folder(o).string()},
                                            {"file", o.file.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(o.file)},
                                            {"lang", options.lang}}
                         .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)
                  << '\n'
                  << std::flush;
    stop.wait();
    server.stop();
    listener.join();
    if (failed) throw command_error("the server stopped");
    human << boost::format("twinel: stopped after %i session lines\n") % session->lines().size();
}

}  // namespace

void add_serve_command(CLI::App& app, const global_options& options) {
    auto o = std::make_shared<serve_options>();
    CLI::App* cmd = app.add_subcommand(
        "serve", "Serve the palette and a 3D view of the session in the browser, on 127.0.0.1");
    cmd->add_option("file", o->file, "Mesh file to open first, inside the current folder");
    cmd->add_option("--port", o->port, "Port on 127.0.0.1 (0 picks a free one)")
        ->check(CLI::Range(0, 65535))
        ->capture_default_str();
    cmd->add_option("--bind", o->address,
                    "Address to serve on (default 127.0.0.1; another exposes the session to whoever reaches it)")
        ->capture_default_str();
    cmd->add_option("--page", o->page, "Folder of the built page (default: web/ beside twinel)");
    cmd->add_flag("--json", o->json,
                  "Print the address and settings as one JSON line on standard output when serving starts (the other "
                  "lines go to standard error)");
    cmd->callback([&options, o] { serve(options, *o); });
}

}  // namespace cli
