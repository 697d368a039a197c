// The reference host application: korvo_interface for plug-ins, and the
// owner of scenes, the message window, text resources and loaded plug-ins.
//
// Questions are answered from a queue that the caller fills beforehand, so
// nothing ever waits for a user; a question with an empty queue throws
// no_answer_error.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_set>
#include <vector>

#include "frame/sdk/korvo.h"
#include "host/dialog.h"
#include "host/element_marks.h"
#include "host/plugin_set.h"
#include "host/scene_observer.h"
#include "host/resource_files.h"
#include "host/text_resources.h"

namespace host {

class scene;
class dialog;
class palette;

// Queued replies: yes/no answer questions (ok and cancel count as yes and
// no there); ok/cancel answer dialogs.
enum class answer { yes, no, ok, cancel };

// A question was asked while no answer was queued.
class no_answer_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class application final : public korvo_interface {
public:
    explicit application(language lang = language::english);
    ~application();
    application(const application&) = delete;
    application& operator=(const application&) = delete;

    // ---- korvo_interface -------------------------------------------------
    // Counted; null when there is no scene.
    scene_interface* get_scene() override;
    // The translation from the loaded text resources, else the key; the
    // text stays valid as long as the application.
    const char* gettext(const char* key) override;
    // A counted copy of the named message table, or null.
    string_table_interface* get_string_table(const char* name) override;
    // The plug-in objects made at load time and the host's element-mark
    // component; borrowed.
    plugin_interface* find_plugin_interface(const kx::uuid_class& id) override;
    // A counted host::dialog (see dialog.h); null without a handler.
    dialog_interface* create_dialog_interface(const kx::uuid_class& id, const char* layout,
                                              dialog_handler* handler) override;
    // images/<name in lower case>.tga from the resource folders; null when
    // no folder has it or it cannot be read.
    image_interface* create_image_interface(const char* name) override;
    // A blank (transparent black) image; null for a size out of range.
    image_interface* create_image_interface(int width, int height) override;
    // Appends the text to the message window; a question then takes the
    // next queued answer (no_answer_error when there is none).
    bool show_message(const char* text, bool question) override;
    void message(const char* line) override;
    // Records the request and answers from the file-path queue: the queued
    // path, or null for a queued cancel; no_answer_error when nothing is
    // queued. The path stays valid as long as the application.
    const char* ask_file_path(const char* current, int type_count, const char* const* types,
                              bool open) override;

    // ---- scenes ----------------------------------------------------------
    // A new empty scene, announced as opened, which becomes the current one.
    scene& new_scene();
    scene* current_scene() const { return current_; }
    // Throws std::invalid_argument for a scene of another application.
    void set_current_scene(scene& s);

    // ---- language and resources -----------------------------------------
    language lang() const { return lang_; }
    // Adds a plug-in's resources (texts of the application's language,
    // message tables, layouts, images). Throws host::file_error for a
    // malformed text file.
    void add_resources(resource_files resources);
    // The same for a resource folder.
    void add_resource_dir(const std::string& dir);
    // The resources in the order they were added (KXUL layouts and images
    // are looked up there).
    const std::vector<resource_files>& resources() const { return resources_; }

    // ---- message window --------------------------------------------------
    const std::vector<std::string>& message_lines() const { return lines_; }
    void clear_messages() { lines_.clear(); }
    // Called with every new line as it arrives (for the command line).
    void set_message_sink(std::function<void(const std::string&)> sink) { sink_ = std::move(sink); }
    void queue_answer(answer a) { answers_.push_back(a); }
    std::size_t queued_answers() const { return answers_.size(); }
    // The questions asked so far, in order.
    const std::vector<std::string>& questions() const { return questions_; }

    // Every question, file-path request and (with dialogs_need_answers)
    // dialog that found no answer queued, in order, as a sentence; the
    // plug-in may swallow the no_answer_error, this list keeps it.
    const std::vector<std::string>& unanswered() const { return unanswered_; }
    void clear_unanswered() {
        unanswered_.clear();
        unanswered_dialog_.reset();
    }

    // ---- dialogs ---------------------------------------------------------
    // Takes the next queued answer when it is ok or cancel; true for cancel.
    // Any other answer stays queued and the dialog is accepted, unless
    // dialogs need answers: then the dialog is cancelled and counts as
    // unanswered.
    bool take_dialog_cancel();
    // Whether an ok or cancel waits in the queue for the next dialog.
    bool dialog_answer_queued() const {
        return !answers_.empty() && (answers_.front() == answer::ok || answers_.front() == answer::cancel);
    }
    // The last dialog shown with no answer queued, as it was shown; kept
    // until clear_unanswered.
    void keep_unanswered_dialog(dialog_view view) { unanswered_dialog_ = std::move(view); }
    const std::optional<dialog_view>& unanswered_dialog() const { return unanswered_dialog_; }
    void set_dialogs_need_answers(bool on) { dialogs_need_answers_ = on; }
    // Called by a running dialog between loading and saving its data, as
    // the user's edits (tests and the command line set item values here).
    void set_dialog_input(std::function<void(dialog&)> input) { dialog_input_ = std::move(input); }
    void dialog_input(dialog& d) {
        if (dialog_input_) dialog_input_(d);
    }

    // ---- file paths ------------------------------------------------------
    // What a plug-in asked for with ask_file_path.
    struct file_request {
        std::string current;             // the starting path ("" for null)
        std::vector<std::string> types;  // the offered extensions, in order
        bool open = false;               // an existing file to open
    };
    // Queues the user's next file-path answer: a path, or a cancel.
    void queue_file_path(std::string path) { file_answers_.emplace_back(std::move(path)); }
    void queue_file_cancel() { file_answers_.emplace_back(); }
    std::size_t queued_file_paths() const { return file_answers_.size(); }
    const std::vector<file_request>& file_requests() const { return file_requests_; }
    // The paths of the files the images this application made have
    // written, in order (a path once per save).
    const std::vector<std::string>& saved_files() const { return *saved_files_; }

    // ---- plug-ins and events ---------------------------------------------
    // Loads a plug-in library, reads its resources and makes its objects.
    void load_plugin(const std::string& path);
    plugin_set& plugins() { return plugins_; }
    element_marks& marks() { return *marks_; }

    // The host redraws `shape` after the user edited it: in modify mode the
    // modifier objects' wireframe hook runs (see modify_tools.h). Call it
    // after every edit made to a mesh on the user's behalf.
    void after_user_edit(shape_class& shape);

    // ---- the plug-in window's palette (palette.h) --------------------------
    // The palette of the first plug-in window: made, attached, initialised
    // and shown on the first call; the same palette afterwards. Throws
    // std::runtime_error when no loaded plug-in made a window.
    palette& open_palette();
    // Null until open_palette.
    palette* current_palette() const { return palette_.get(); }

    void add_observer(scene_observer& o) { observers_.push_back(&o); }
    void remove_observer(scene_observer& o);
    // Calls `event` on every observer.
    void notify(const std::function<void(scene_observer&)>& event);

private:
    const char* intern(const std::string& text);
    void add_line(const std::string& line);

    language lang_;
    std::vector<text_resources> texts_;
    std::vector<resource_files> resources_;
    std::unordered_set<std::string> interned_;

    std::vector<std::string> lines_;
    std::vector<std::string> questions_;
    std::vector<std::string> unanswered_;
    std::optional<dialog_view> unanswered_dialog_;
    bool dialogs_need_answers_ = false;
    std::deque<answer> answers_;
    std::deque<std::optional<std::string>> file_answers_;
    std::vector<file_request> file_requests_;
    // Shared with the images handed out, which may outlive the application.
    std::shared_ptr<std::vector<std::string>> saved_files_ = std::make_shared<std::vector<std::string>>();
    std::function<void(const std::string&)> sink_;
    std::function<void(dialog&)> dialog_input_;
    std::vector<scene_observer*> observers_;

    // Destroyed in reverse order: plug-ins (their objects, then their
    // libraries) go before the scenes, since unloading a library may still
    // touch shapes; the mark component outlives the scenes, which drop
    // their shapes' marks as they go.
    kx::host_ref<element_marks> marks_;
    std::vector<kx::host_ref<scene>> scenes_;
    scene* current_ = nullptr;
    plugin_set plugins_;
    // Goes first: its controls include buttons the plug-in made.
    std::unique_ptr<palette> palette_;
};

}  // namespace host
