// The HTTP side of `twinel serve`: the page's files and a JSON API over
// the page's session, on the loopback address only.
//
//   GET  /api/layout            the palette's layout (serve_state.h)
//   GET  /api/state             the session's state
//   GET  /api/mesh?id=N&have=R  a mesh as binary arrays (serve_meshes.h)
//   GET  /api/toolbar/N.png     a toolbar button's image
//   GET  /api/files             the OBJ files of the served folder
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

    // Binds 127.0.0.1:`port` (0: a free port); answers the port, or -1
    // when it cannot be bound.
    int bind(int port);
    // Serves until stop(); false when the server fails.
    bool listen();
    // Ends listen() from another thread.
    void stop();

    static constexpr std::size_t max_body = 1 << 20;

private:
    struct impl;
    std::unique_ptr<impl> impl_;
};

}  // namespace cli
