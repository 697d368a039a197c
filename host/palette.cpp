#include "host/palette.h"

#include <algorithm>
#include <cmath>

#include <boost/format.hpp>

#include "host/application.h"
#include "host/kxul_file.h"
#include "host/palette_layout.h"
#include "host/scene.h"

namespace host {
namespace {

control_kind kind_of(layout_kind kind) {
    switch (kind) {
        case layout_kind::push_button: return control_kind::push_button;
        case layout_kind::checkbox: return control_kind::checkbox;
        case layout_kind::number: return control_kind::number;
        case layout_kind::popup_menu: return control_kind::popup_menu;
        case layout_kind::static_text: return control_kind::static_text;
        case layout_kind::group: return control_kind::group;
        case layout_kind::tab: return control_kind::tab;
        case layout_kind::spacer:
        case layout_kind::vbox:
        case layout_kind::hbox: break;
    }
    return control_kind::spacer;
}

// The SDK object the window sees for a control of the layout.
std::unique_ptr<window_control> make_object(control_kind kind) {
    switch (kind) {
        case control_kind::push_button: return std::make_unique<window_interface::push_button_class>();
        case control_kind::checkbox: return std::make_unique<window_interface::checkbox_class>();
        case control_kind::number: return std::make_unique<window_interface::number_class>();
        case control_kind::popup_menu: return std::make_unique<window_interface::popup_menu_class>();
        case control_kind::static_text: return std::make_unique<window_interface::static_text_class>();
        default: return std::make_unique<window_interface::control_class>();
    }
}

control_state state_of(const layout_node& n) {
    control_state s;
    s.kind = kind_of(n.kind);
    s.id = n.id;
    s.title = n.label;
    s.tooltip = n.tooltip;
    s.unit = n.unit;
    s.integer = n.integer;
    s.editable = n.editable;
    s.items = n.items;
    // Real numbers show three decimals until the window chooses otherwise.
    if (s.kind == control_kind::number && !s.integer) s.decimals = 3;
    s.width = n.width;
    s.height = n.height;
    return s;
}

// A scene event's shape list as the SDK passes it.
shape_class* const* list(const std::vector<shape_class*>& shapes) { return shapes.empty() ? nullptr : shapes.data(); }
int count(const std::vector<shape_class*>& shapes) { return static_cast<int>(shapes.size()); }

// Runs `call` inside one undo step of the application's current scene when
// `undoable`; without a scene, just runs it.
template <class F>
void as_one_step(application& app, bool undoable, F&& call) {
    scene* current = app.current_scene();
    if (!undoable || !current) {
        call();
        return;
    }
    const kx::host_ref<scene> hold = kx::host_ref<scene>::share(current);
    const undo_scope step(*current);
    call();
}

}  // namespace

palette::palette(application& app, window_interface& window)
    : app_(app), window_(kx::host_ref<window_interface>::share(&window)) {
    window_->attach(this);
    app_.add_observer(*this);
}

palette::~palette() {
    app_.remove_observer(*this);
    window_->attach(nullptr);
    // The window may still hold handles of the controls; it is told nothing,
    // as a closed host window would not be either.
    window_.reset();
    toolbar_.clear();
    controls_.clear();
}

void palette::initialize() {
    if (initialized_) return;
    initialized_ = true;
    window_->initialize();
}

// ---- window_services -----------------------------------------------------------

bool palette::load_layout(const char* name) {
    const std::string wanted = name ? name : "";
    const auto refuse = [&](const std::string& why) {
        layout_error_ = why;
        app_.message((boost::format("The palette layout \"%s\" was not loaded: %s") % wanted % why).str().c_str());
        return false;
    };
    if (layout_loaded_) return refuse("the palette has its layout already");
    const resource_file* file = find_kxul(app_.resources(), app_.lang(), wanted);
    if (!file) return refuse("no resource folder has it");
    palette_layout layout;
    try {
        layout = read_palette_layout(*file, wanted);
    } catch (const std::exception& e) {
        return refuse(e.what());
    }
    for (const layout_node* n : layout_controls(layout)) {
        const control_kind kind = kind_of(n->kind);
        controls_.push_back(std::make_unique<palette_control>(state_of(*n), make_object(kind)));
    }
    bounds_ = layout_bounds(layout);
    layout_loaded_ = true;
    layout_name_ = wanted;
    layout_error_.clear();

    for (const auto& c : controls_) {
        window_control& object = c->object();
        switch (c->state().kind) {
            case control_kind::push_button:
                window_->initialize_push_button(static_cast<window_interface::push_button_class&>(object));
                break;
            case control_kind::checkbox:
                window_->initialize_checkbox(static_cast<window_interface::checkbox_class&>(object));
                break;
            case control_kind::number:
                window_->initialize_number(static_cast<window_interface::number_class&>(object));
                break;
            case control_kind::popup_menu:
                window_->initialize_popup_menu(static_cast<window_interface::popup_menu_class&>(object));
                break;
            default: continue;
        }
        ++c->state().initialised;
    }
    return true;
}

void palette::move_frame(const kx::point_class& position) {
    frame_ = position;
    moves_.push_back(position);
}

void palette::add_control(window_control& control, const kx::rect_class& frame) {
    control_state s;
    s.kind = control_kind::toolbar_button;
    s.id = "toolbar_" + std::to_string(toolbar_.size());
    s.frame = frame;
    // Plug-ins add only push buttons of their own (window_interface's
    // contract), so the button's callbacks are reachable through that class.
    toolbar_.push_back(std::make_unique<palette_control>(std::move(s), std::unique_ptr<window_control>(&control)));
}

// ---- acting as the user --------------------------------------------------------

palette_control* palette::find(const std::string& id) const {
    for (const auto* group : {&controls_, &toolbar_})
        for (const auto& c : *group)
            if (c->state().id == id) return c.get();
    return nullptr;
}

palette_control& palette::usable(const std::string& id) const {
    palette_control* c = find(id);
    if (!c) throw palette_error("the palette has no control \"" + id + "\"");
    if (!shown_) throw palette_error("the palette is hidden, so \"" + id + "\" cannot be used");
    if (!c->state().enabled) throw palette_error("the control \"" + id + "\" is disabled");
    if (!c->state().shown) throw palette_error("the control \"" + id + "\" is hidden");
    return *c;
}

void palette::click(palette_control& c) {
    auto& button = static_cast<window_interface::push_button_class&>(c.object());
    if (c.state().kind == control_kind::toolbar_button)
        as_one_step(app_, button.undoable(), [&] { button.clicked(); });
    else
        as_one_step(app_, window_->undoable(), [&] { window_->push_button_clicked(button); });
}

void palette::press(const std::string& id) {
    palette_control& c = usable(id);
    const control_kind kind = c.state().kind;
    if (kind != control_kind::push_button && kind != control_kind::toolbar_button)
        throw palette_error((boost::format("the control \"%s\" is a %s, not a button") % id % kind_name(kind)).str());
    click(c);
}

void palette::press_toolbar(int index) { press(toolbar(index).id); }

void palette::set_value(const std::string& id, float value) {
    palette_control& c = usable(id);
    control_state& s = c.state();
    window_control& object = c.object();
    switch (s.kind) {
        case control_kind::checkbox:
            if (value != 0.0f && value != 1.0f)
                throw palette_error((boost::format("the checkbox \"%s\" takes 0 or 1, not %g") % id % value).str());
            s.value = value;
            window_->checkbox_value_changed(static_cast<window_interface::checkbox_class&>(object));
            return;
        case control_kind::number:
            if (!s.editable) throw palette_error("the number \"" + id + "\" is read-only");
            s.value = value;
            window_->number_value_changed(static_cast<window_interface::number_class&>(object));
            return;
        case control_kind::popup_menu:
            if (!(value >= 0.0f && value < static_cast<float>(s.items.size())) || value != std::floor(value))
                throw palette_error((boost::format("the popup menu \"%s\" has no item %g (it has %i)") % id % value %
                                     s.items.size()).str());
            s.value = value;
            window_->popup_menu_value_changed(static_cast<window_interface::popup_menu_class&>(object));
            return;
        default:
            throw palette_error(
                (boost::format("the control \"%s\" is a %s, which holds no value") % id % kind_name(s.kind)).str());
    }
}

int palette::refresh() {
    int handled = 0;
    for (const auto& c : controls_) {
        window_control& object = c->object();
        bool answer = false;
        switch (c->state().kind) {
            case control_kind::push_button:
                answer = window_->setup_push_button(static_cast<window_interface::push_button_class&>(object));
                break;
            case control_kind::checkbox:
                answer = window_->setup_checkbox(static_cast<window_interface::checkbox_class&>(object));
                break;
            case control_kind::number:
                answer = window_->setup_number(static_cast<window_interface::number_class&>(object));
                break;
            case control_kind::popup_menu:
                answer = window_->setup_popup_menu(static_cast<window_interface::popup_menu_class&>(object));
                break;
            case control_kind::static_text:
                answer = window_->setup_static_text(static_cast<window_interface::static_text_class&>(object));
                break;
            default: continue;
        }
        ++c->state().setups;
        c->state().handled = answer;
        if (answer) ++handled;
    }
    return handled;
}

void palette::idle(int count) {
    for (int k = 0; k < count; ++k) window_->idle();
}

// ---- reading -----------------------------------------------------------------------

bool palette::has_control(const std::string& id) const { return find(id) != nullptr; }

const control_state& palette::control(const std::string& id) const {
    const palette_control* c = find(id);
    if (!c) throw palette_error("the palette has no control \"" + id + "\"");
    return c->state();
}

image_interface* palette::image(const std::string& id) const {
    const palette_control* c = find(id);
    if (!c) throw palette_error("the palette has no control \"" + id + "\"");
    return c->image();
}

std::vector<const control_state*> palette::controls() const {
    std::vector<const control_state*> out;
    for (const auto& c : controls_) out.push_back(&c->state());
    return out;
}

const control_state& palette::toolbar(int index) const {
    if (index < 0 || index >= toolbar_size())
        throw palette_error((boost::format("the toolbar has no button %i (it has %i)") % index % toolbar_size()).str());
    return toolbar_[static_cast<std::size_t>(index)]->state();
}

image_interface* palette::toolbar_image(int index) const {
    toolbar(index);
    return toolbar_[static_cast<std::size_t>(index)]->image();
}

// ---- scene events ------------------------------------------------------------------

void palette::scene_opened(scene& s) {
    bool flag = true;
    window_->scene_opened(flag, &s);
    record("scene_opened", 0, flag);
}

void palette::active_scene_changed(scene& s) {
    bool flag = true;
    window_->active_scene_changed(flag, &s);
    record("active_scene_changed", 0, flag);
}

void palette::shapes_created(scene&, const std::vector<shape_class*>& shapes) {
    bool flag = true;
    window_->shapes_created(flag, count(shapes), list(shapes));
    record("shapes_created", count(shapes), flag);
}

void palette::shapes_copied(scene&, const std::vector<shape_class*>& shapes) {
    bool flag = true;
    window_->shapes_copied(flag, count(shapes), list(shapes));
    record("shapes_copied", count(shapes), flag);
}

void palette::shapes_inserted(scene&, const std::vector<shape_class*>& shapes) {
    bool flag = true;
    window_->shapes_inserted(flag, count(shapes), list(shapes));
    record("shapes_inserted", count(shapes), flag);
}

void palette::shapes_being_deleted(scene& s, const std::vector<shape_class*>& shapes) {
    bool flag = true;
    window_->shapes_being_deleted(flag, &s, count(shapes), list(shapes));
    record("shapes_being_deleted", count(shapes), flag);
}

void palette::active_shapes_changed(scene& s, const std::vector<shape_class*>& shapes) {
    bool flag = true;
    window_->active_shapes_changed(flag, s, count(shapes), list(shapes));
    record("active_shapes_changed", count(shapes), flag);
}

void palette::shapes_restored(scene& s, const std::vector<shape_class*>& shapes) {
    bool flag = true;
    window_->shapes_restored(flag, &s, count(shapes), list(shapes));
    record("shapes_restored", count(shapes), flag);
}

void palette::browser_updated(scene&) {
    bool flag = true;
    window_->browser_updated(flag);
    record("browser_updated", 0, flag);
}

}  // namespace host
