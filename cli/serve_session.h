// The one session of the reference host behind `twinel serve`: the host
// with the plug-in loaded, a script runner over it, and every line it ran,
// so that the page's session can be downloaded as a script and replayed
// with `twinel script`.
#pragma once

#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/script.h"
#include "cli/serve_paths.h"
#include "cli/session.h"
#include "host/dialog.h"

namespace cli {

// What running one line gave.
struct line_result {
    bool ok = false;
    std::string output;  // what the line printed, message-window lines as "| ..."
    std::string error;   // why it failed
    // What the line asked that nobody had answered (the page asks the user
    // and runs the line again after queueing the answer).
    std::optional<std::string> question;  // the question's text
    bool file_request = false;            // a file path to open or save
    bool file_open = false;
    std::vector<std::string> file_types;
    bool dialog = false;  // a dialog (ok or cancel)
    std::optional<host::dialog_view> dialog_shown;  // what it showed, when it has a layout
};

class page_session {
public:
    // Opens the host in `options.lang` with the plug-in, then runs the
    // start of a session: `open FILE` when `file` is not empty, and the
    // host's first idle calls and refresh. Throws command_error when the
    // host cannot be loaded, refused_line or script_error for the file.
    page_session(const global_options& options, const served_folder& folder, const std::string& file);
    ~page_session();

    // Runs one line of the session language. A line naming files outside
    // the folder is refused (refused_line) before it runs, and so is text
    // holding a line break. A line that succeeds is kept, followed by the
    // host's own turn between user actions (`idle`, then `refresh`), which
    // is kept too; a failing line is not kept, and leaves the session as
    // the line left it (lines check their words before they act).
    line_result run(const std::string& line);

    // The lines kept so far, in order.
    const std::vector<std::string>& lines() const { return lines_; }
    // The kept lines as a script, with a heading comment.
    std::string script() const;

    // Starts the host again in `lang` ("en" or "ja") and replays every kept
    // line there. Throws std::invalid_argument for another language, and
    // script_error (with the session as it was) when the replay fails.
    void switch_language(const std::string& lang);
    const std::string& language() const { return options_.lang; }

    host::application& app() { return *app_; }
    // Changes whenever the host is started again: shapes of an earlier
    // generation are gone.
    int generation() const { return generation_; }

    static constexpr std::size_t max_line_length = 900 * 1024;  // a selection of many elements

private:
    bool run_kept(const std::string& line);

    global_options options_;
    const served_folder& folder_;
    std::ostringstream out_;
    std::unique_ptr<host::application> app_;
    std::unique_ptr<script_runner> runner_;
    std::vector<std::string> lines_;
    int generation_ = 0;
};

}  // namespace cli
