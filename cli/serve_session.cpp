#include "cli/serve_session.h"

#include <boost/format.hpp>

#include "host/application.h"

namespace cli {

namespace {

// The host's own turn after every user action: a real host calls the
// window's idle hook and refreshes the palette between events, which is
// where live symmetry runs and where controls follow the new state.
const char* const host_turn[] = {"idle", "refresh"};

}  // namespace

page_session::page_session(const global_options& options, const served_folder& folder, const std::string& file)
    : options_(options), folder_(folder) {
    app_ = open_host(options_);
    runner_ = std::make_unique<script_runner>(*app_, out_);
    if (!file.empty()) {
        folder_.check_name(file);
        run_kept("open " + file);
    }
    // The window holds refreshes back for its first idle calls.
    run_kept("idle 300");
    run_kept("refresh");
}

page_session::~page_session() = default;

bool page_session::run_kept(const std::string& line) {
    if (!runner_->run_line(line)) return false;
    lines_.push_back(line);
    return true;
}

line_result page_session::run(const std::string& line) {
    if (line.find_first_of("\n\r") != std::string::npos) throw refused_line("one line at a time");
    if (line.size() > max_line_length) throw refused_line("the line is too long");
    std::vector<std::string> words;
    try {
        words = split_words(line);
    } catch (const std::invalid_argument& e) {
        throw refused_line(e.what());
    }
    folder_.check_line(words);

    line_result result;
    out_.str("");
    try {
        if (run_kept(line))
            for (const char* turn : host_turn) run_kept(turn);
        result.ok = true;
    } catch (const std::exception& e) {
        result.error = e.what();
        // What the plug-in asked and nobody answered; the host keeps it
        // until the next line.
        for (const std::string& why : app_->unanswered()) {
            if (why.rfind("the question", 0) == 0 && !app_->questions().empty()) {
                result.question = app_->questions().back();
            } else if (why.rfind("a file path", 0) == 0 && !app_->file_requests().empty()) {
                result.file_request = true;
                result.file_open = app_->file_requests().back().open;
                result.file_types = app_->file_requests().back().types;
            } else if (why.rfind("a dialog", 0) == 0) {
                result.dialog = true;
                if (app_->unanswered_dialog() && !app_->unanswered_dialog()->items.empty())
                    result.dialog_shown = app_->unanswered_dialog();
            }
        }
    }
    result.output = out_.str();
    return result;
}

std::string page_session::script() const {
    std::string text = (boost::format("# A session of twinel serve (--lang %s), replayed by `twinel script` from the "
                                      "folder it served.\n") %
                        options_.lang)
                           .str();
    for (const std::string& line : lines_) text += line + '\n';
    return text;
}

void page_session::switch_language(const std::string& lang) {
    if (lang != "en" && lang != "ja") throw std::invalid_argument("the language is en or ja, not " + lang);
    // The plug-in keeps globals of its own, so one host is loaded at a
    // time: the old one goes before the new one starts.
    const std::string before = options_.lang;
    const auto start = [&](const std::string& code) {
        runner_.reset();
        app_.reset();
        options_.lang = code;
        app_ = open_host(options_);
        runner_ = std::make_unique<script_runner>(*app_, out_);
        ++generation_;
        for (std::size_t k = 0; k < lines_.size(); ++k) {
            try {
                runner_->run_line(lines_[k]);
            } catch (const std::exception& e) {
                out_.str("");
                return (boost::format("replaying line %i (%s) in %s: %s") % (k + 1) % lines_[k] % code % e.what()).str();
            }
        }
        out_.str("");
        return std::string();
    };
    const std::string failure = start(lang);
    if (failure.empty()) return;
    start(before);
    throw script_error(failure);
}

}  // namespace cli
