// Palette windows: the window a plug-in implements and the controls the host
// builds from its KXUL layout.
//
// The plug-in derives from window_interface (and, for controls it creates
// itself, from window_interface::push_button_class) and overrides the
// callbacks. The host attaches its own services to each window and control;
// the non-virtual operations forward to them and do nothing while none is
// attached.
#pragma once

#include "dialog.h"
#include "plugin.h"
#include "uuid.h"

class scene_interface;
class shape_class;
class image_interface;
class window_control;

// Host-side operations of one control.
class control_services {
public:
    virtual const char* get_id() = 0;
    virtual void set_title(const char* title) = 0;
    virtual void set_enabled(bool on) = 0;
    virtual bool get_enabled() = 0;
    virtual void set_shown(bool on) = 0;
    virtual bool get_shown() = 0;
    virtual void invalidate() = 0;
    // Number controls hold a float; checkboxes an int (checked when not 0);
    // popup menus the zero-based index of the chosen item.
    virtual float get_value() = 0;
    virtual void set_value(float value) = 0;
    // Number of decimals a number control shows.
    virtual void set_decimals(int decimals) = 0;
    // Popup items, separated by '|'.
    virtual void set_items(const char* items) = 0;
    virtual void set_tooltip(const char* text) = 0;
    // The host takes its own reference to the image; null removes it.
    virtual void set_image(image_interface* image) = 0;

protected:
    ~control_services() = default;
};

// Host-side operations of one palette window.
class window_services {
public:
    virtual void set_trigger_kind(int kind) = 0;
    // Loads the window's KXUL layout `name`; the host then calls the
    // initialise callbacks once per control. False when it cannot be loaded.
    virtual bool load_layout(const char* name) = 0;
    virtual kx::rect_class get_layout_bounds() = 0;
    virtual void set_client_rect(const kx::rect_class& rect) = 0;
    virtual kx::point_class get_frame_position() = 0;
    virtual void move_frame(const kx::point_class& position) = 0;
    virtual bool is_shown() = 0;
    virtual void set_title(const char* title) = 0;
    // Adds a control the plug-in made; the host owns it from then on and
    // deletes it with the window.
    virtual void add_control(window_control& control, const kx::rect_class& frame) = 0;

protected:
    ~window_services() = default;
};

// Base of every control; identified by its id string.
class window_control {
public:
    virtual ~window_control() = default;

    const char* get_id() const { return services_ ? services_->get_id() : ""; }
    void set_title(const char* title) { if (services_) services_->set_title(title); }
    void set_enabled(bool on) { if (services_) services_->set_enabled(on); }
    bool get_enabled() const { return services_ && services_->get_enabled(); }
    void set_shown(bool on) { if (services_) services_->set_shown(on); }
    bool get_shown() const { return services_ && services_->get_shown(); }
    void invalidate() { if (services_) services_->invalidate(); }
    void set_tooltip(const char* text) { if (services_) services_->set_tooltip(text); }
    void set_image(image_interface* image) { if (services_) services_->set_image(image); }

    // Called by the host when it takes the control into a window.
    void attach(control_services* services) { services_ = services; }

protected:
    control_services* services_ = nullptr;
};

class window_interface : public plugin_interface, public dialog_handler {
public:
    using control_class = window_control;

    class push_button_class : public window_control {
    public:
        // Toolbar buttons made by the plug-in override these.
        virtual void clicked() {}
        virtual bool undoable() { return false; }
    };

    class checkbox_class : public window_control {
    public:
        int get_value() const { return services_ ? static_cast<int>(services_->get_value()) : 0; }
        void set_value(int value) { if (services_) services_->set_value(static_cast<float>(value)); }
    };

    class number_class : public window_control {
    public:
        float get_value() const { return services_ ? services_->get_value() : 0.0f; }
        void set_value(float value) { if (services_) services_->set_value(value); }
        void set_decimals(int decimals) { if (services_) services_->set_decimals(decimals); }
    };

    class popup_menu_class : public window_control {
    public:
        int get_value() const { return services_ ? static_cast<int>(services_->get_value()) : 0; }
        void set_value(int value) { if (services_) services_->set_value(static_cast<float>(value)); }
        void set_items(const char* items) { if (services_) services_->set_items(items); }
    };

    class static_text_class : public window_control {};

    // Operations the host provides for the window.
    void set_trigger_kind(int kind) { if (services_) services_->set_trigger_kind(kind); }
    bool load_layout(const char* name) { return services_ && services_->load_layout(name); }
    kx::rect_class get_layout_bounds() const { return services_ ? services_->get_layout_bounds() : kx::rect_class{}; }
    void set_client_rect(const kx::rect_class& rect) { if (services_) services_->set_client_rect(rect); }
    kx::point_class get_frame_position() const { return services_ ? services_->get_frame_position() : kx::point_class{}; }
    void move_frame(const kx::point_class& position) { if (services_) services_->move_frame(position); }
    bool is_shown() const { return services_ && services_->is_shown(); }
    void set_title(const char* title) { if (services_) services_->set_title(title); }
    void add_control(window_control* control, const kx::rect_class& frame) {
        if (services_) services_->add_control(*control, frame);
        else delete control;
    }

    // Called by the host when it shows the window.
    void attach(window_services* services) { services_ = services; }

    // Host events. Each first sets the host's flag to false.
    virtual void active_shapes_changed(bool& flag, scene_interface& scene, int count, shape_class* const* shapes) {
        flag = false, (void)scene, (void)count, (void)shapes;
    }
    virtual void scene_opened(bool& flag, scene_interface* scene) { flag = false, (void)scene; }
    virtual void shapes_copied(bool& flag, int count, shape_class* const* shapes) { flag = false, (void)count, (void)shapes; }
    virtual void shapes_being_deleted(bool& flag, scene_interface* scene, int count, shape_class* const* shapes) {
        flag = false, (void)scene, (void)count, (void)shapes;
    }
    virtual void shapes_created(bool& flag, int count, shape_class* const* shapes) { flag = false, (void)count, (void)shapes; }
    virtual void shapes_inserted(bool& flag, int count, shape_class* const* shapes) { flag = false, (void)count, (void)shapes; }
    virtual void active_scene_changed(bool& flag, scene_interface* scene) { flag = false, (void)scene; }
    virtual void browser_updated(bool& flag) { flag = false; }
    // Undo or redo has put these shapes back as they were in another state:
    // their meshes, tree links and attributes with their data.
    virtual void shapes_restored(bool& flag, scene_interface* scene, int count, shape_class* const* shapes) {
        flag = false, (void)scene, (void)count, (void)shapes;
    }

    // Dialog callbacks (the window may be the handler of its dialogs).
    void load_dialog_data(dialog_interface&) override {}
    bool respond(dialog_interface&, int, int) override { return false; }
    void save_dialog_data(dialog_interface&) override {}
    int terminate(dialog_interface&, int code) override { return code; }

    // Life of the palette.
    virtual void initialize() {}
    virtual void idle() {}
    virtual bool should_clear() { return false; }

    // Control callbacks, each identifying its control by id.
    virtual void push_button_clicked(push_button_class&) {}
    virtual void checkbox_value_changed(checkbox_class&) {}
    virtual void number_value_changed(number_class&) {}
    virtual void popup_menu_value_changed(popup_menu_class&) {}
    virtual void initialize_push_button(push_button_class&) {}
    virtual void initialize_checkbox(checkbox_class&) {}
    virtual void initialize_number(number_class&) {}
    virtual void initialize_popup_menu(popup_menu_class&) {}
    // Setup callbacks answer whether the plug-in brought the control up to date.
    virtual bool setup_push_button(push_button_class&) { return false; }
    virtual bool setup_checkbox(checkbox_class&) { return false; }
    virtual bool setup_number(number_class&) { return false; }
    virtual bool setup_popup_menu(popup_menu_class&) { return false; }
    virtual bool setup_static_text(static_text_class&) { return false; }
    virtual bool undoable() { return false; }

protected:
    window_services* services_ = nullptr;
};
