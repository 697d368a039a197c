#include "host/application.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <stdexcept>

#include "host/dialog.h"
#include "host/dialog_layout.h"
#include "host/image.h"
#include "host/kxul_file.h"
#include "host/modify_tools.h"
#include "host/native_file_dialogs.h"
#include "host/palette.h"
#include "host/scene.h"

namespace host {
namespace {

// A message table handed to a plug-in: a counted copy of the texts.
class string_table final : public kx::ref_counted<string_table_interface> {
public:
    explicit string_table(std::vector<std::string> texts) : texts_(std::move(texts)) {}
    int size() override { return static_cast<int>(texts_.size()); }
    const char* get(int index) override {
        if (index < 0 || index >= size()) return nullptr;
        return texts_[static_cast<std::size_t>(index)].c_str();
    }

private:
    std::vector<std::string> texts_;
};

template <class T>
T* handed_out(T* object) {
    if (object) object->AddRef();
    return object;
}

}  // namespace

application::application(language lang)
    : lang_(lang), marks_(kx::host_ref<element_marks>::share(new element_marks())) {
    // The engine is also linked into the program itself (the pipeline
    // commands, the tests): its dialogs ask this application as well.
    answer_file_dialogs(nullptr, *this);
}

application::~application() { stop_answering_file_dialogs(*this); }

// ---- scenes ----------------------------------------------------------------

scene& application::new_scene() {
    scenes_.push_back(kx::host_ref<scene>::share(new scene(*this)));
    scene& s = *scenes_.back();
    notify([&](scene_observer& o) { o.scene_opened(s); });
    set_current_scene(s);
    return s;
}

void application::set_current_scene(scene& s) {
    const bool ours = std::any_of(scenes_.begin(), scenes_.end(), [&](const auto& r) { return r.get() == &s; });
    if (!ours) throw std::invalid_argument("the scene belongs to another application");
    current_ = &s;
    notify([&](scene_observer& o) { o.active_scene_changed(s); });
}

scene_interface* application::get_scene() { return handed_out(static_cast<scene_interface*>(current_)); }

// ---- texts -----------------------------------------------------------------

const char* application::intern(const std::string& text) { return interned_.insert(text).first->c_str(); }

const char* application::gettext(const char* key) {
    const std::string k = key ? key : "";
    for (const text_resources& t : texts_)
        if (const std::string* found = t.translate(k)) return intern(*found);
    return intern(k);
}

string_table_interface* application::get_string_table(const char* name) {
    if (!name) return nullptr;
    for (const text_resources& t : texts_)
        if (const std::vector<std::string>* table = t.table(name)) return handed_out(new string_table(*table));
    return nullptr;
}

void application::add_resources(resource_files resources) {
    texts_.emplace_back(resources, lang_);
    resources_.push_back(std::move(resources));
}

void application::add_resource_dir(const std::string& dir) { add_resources(resource_files::read_folder(dir)); }

// ---- messages --------------------------------------------------------------

void application::add_line(const std::string& line) {
    lines_.push_back(line);
    if (sink_) sink_(line);
}

bool application::show_message(const char* text, bool question) {
    const std::string t = text ? text : "";
    add_line(t);
    if (!question) return true;
    questions_.push_back(t);
    if (answers_.empty()) {
        unanswered_.push_back("the question \"" + t + "\" was asked, but no answer is queued");
        throw no_answer_error(unanswered_.back());
    }
    const answer a = answers_.front();
    answers_.pop_front();
    return a == answer::yes || a == answer::ok;
}

void application::message(const char* line) { add_line(line ? line : ""); }

bool application::take_dialog_cancel() {
    if (!dialog_answer_queued()) {
        if (!dialogs_need_answers_) return false;
        unanswered_.push_back("a dialog was shown, but no ok or cancel is queued");
        return true;
    }
    const answer a = answers_.front();
    answers_.pop_front();
    return a == answer::cancel;
}

const char* application::ask_file_path(const char* current, int type_count, const char* const* types,
                                       bool open) {
    file_request request;
    request.current = current ? current : "";
    for (int i = 0; types && i < type_count; ++i) request.types.emplace_back(types[i] ? types[i] : "");
    request.open = open;
    file_requests_.push_back(std::move(request));
    if (file_answers_.empty()) {
        unanswered_.push_back(std::string("a file path to ") + (open ? "open" : "save") +
                              " was asked for, but no path or cancel is queued");
        throw no_answer_error(unanswered_.back());
    }
    const std::optional<std::string> a = std::move(file_answers_.front());
    file_answers_.pop_front();
    return a ? intern(*a) : nullptr;
}

// ---- dialogs and images ------------------------------------------------------

dialog_interface* application::create_dialog_interface(const kx::uuid_class& id, const char* layout,
                                                       dialog_handler* handler) {
    if (!handler) return nullptr;
    const std::string name = layout ? layout : "";
    const resource_file* file = find_kxul(resources_, lang_, name);
    if (!file) return nullptr;
    try {
        return handed_out(new dialog(*this, id, name, read_dialog_layout(*file, name), *handler));
    } catch (const std::exception& e) {
        // Nothing may be thrown into the plug-in; the message window says why.
        add_line(std::string("The dialog layout could not be read: ") + e.what());
        return nullptr;
    }
}

image_interface* application::create_image_interface(const char* name) {
    if (!name || !*name) return nullptr;
    std::string file = name;
    std::transform(file.begin(), file.end(), file.begin(), [](unsigned char c) { return std::tolower(c); });
    // A resource name is a plain name, never a path.
    if (file.find('/') != std::string::npos || file.find('\\') != std::string::npos || file == "..") return nullptr;
    for (const resource_files& set : resources_)
        if (const resource_file* found = set.find("images/" + file + ".tga"))
            if (image* img = image::decode(found->bytes)) return img;
    return nullptr;
}

image_interface* application::create_image_interface(int width, int height) {
    if (width <= 0 || height <= 0 || width > image::max_side || height > image::max_side) return nullptr;
    auto* made = new image(width, height);
    made->on_saved([saved = saved_files_](const std::string& path) { saved->push_back(path); });
    return handed_out(made);
}

// ---- plug-ins and events -----------------------------------------------------

plugin_interface* application::find_plugin_interface(const kx::uuid_class& id) {
    if (id == kx::sdk::elements_preference_uuid) return marks_.get();
    return plugins_.find(id);
}

void application::load_plugin(const std::string& path) {
    const plugin_library& lib = plugins_.open(path);
    answer_file_dialogs(lib.handle(), *this);
    // Texts first: the plug-in's objects translate while they are made.
    add_resources(lib.resources());
    plugins_.make_objects(lib, *this);
}

void application::after_user_edit(shape_class& shape) { draw_modify_wireframe(*this, shape); }

// ---- the plug-in window's palette ----------------------------------------------

palette& application::open_palette() {
    if (!palette_) {
        const std::vector<plugin_interface*> windows = plugins_.objects_of(kx::sdk::window_iid);
        if (windows.empty()) throw std::runtime_error("no loaded plug-in has a window");
        palette_ = std::make_unique<palette>(*this, *static_cast<window_interface*>(windows.front()));
        palette_->initialize();
        palette_->show();
    }
    return *palette_;
}

void application::remove_observer(scene_observer& o) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), &o), observers_.end());
}

void application::notify(const std::function<void(scene_observer&)>& event) {
    // A copy, so that an observer may come or go during the event.
    const std::vector<scene_observer*> current = observers_;
    for (scene_observer* o : current) event(*o);
}

}  // namespace host
