// The HTTP side of `twinel serve`: the page's files and a JSON API over
// the page's session, on the loopback address unless told otherwise.
//
//   GET  /api/layout            the palette's layout (serve_state.h)
//   GET  /api/state             the session's state
//   GET  /api/mesh?id=N&have=R  a mesh as binary arrays (serve_meshes.h)
//   GET  /api/toolbar/N.png     a toolbar button's image
//   GET  /api/files             the mesh and scene files of the served folder
//   GET  /api/session           the lines run so far, as a .twinel script
//   POST /api/run   {"line": L} runs one line: {ok, error?, output,
//                               question?, file_request?, dialog?, state}
//   POST /api/lang  {"lang": C} starts the host again in language C and
//                               replays the session: {ok, error?, state}
//
// A malformed request is answered 400 with {"error": ...} and runs
// nothing; a refused line (a file outside the served folder) 403; a body
// above max_body bytes 413. Requests are served one at a time against the
// session.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace cli {

class page_session;
class served_folder;

class page_server {
public:
    // `page` is the folder of the bundled page (index.html, app.js, ...).
    page_server(page_session& session, const served_folder& folder, const std::filesystem::path& page);
    ~page_server();
    page_server(const page_server&) = delete;
    page_server& operator=(const page_server&) = delete;

    // Binds `address`:`port` (0: a free port); answers the port, or -1
    // when it cannot be bound. Requests must then name 127.0.0.1 or
    // localhost with the port in their Host header, or the bound address;
    // with 0.0.0.0 or :: any address of the machine, given as digits (never
    // a name, which another site could point at this machine).
    int bind(const std::string& address, int port);
    // Serves until stop(); false when the server fails.
    bool listen();
    // Ends listen() from another thread, once it has begun (a listen()
    // still to start, on a thread already running it, is waited for).
    void stop();

    static constexpr std::size_t max_body = 1 << 20;

    // Whether `address` is a loopback address (127.x.y.z, ::1, localhost).
    static bool is_loopback(std::string_view address);

private:
    struct impl;
    std::unique_ptr<impl> impl_;
};

}  // namespace cli
