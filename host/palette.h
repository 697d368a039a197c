// A palette window of the reference host, without a screen: it gives a
// plug-in's window_interface object its window_services, builds the
// controls of the window's KXUL layout, passes the application's scene
// events on, and lets tests and scripts act as the user.
//
//   host::palette& p = app.open_palette();   // initialised and shown
//   p.press("twinel");                       // push_button_clicked, one undo step
//   p.set_value("margin", 0.5f);             // stored, then number_value_changed
//   p.refresh();                             // every setup callback once
//   p.idle(30);                              // thirty idle calls
//   p.control("unmatch_v_number").shown;     // what the user sees
//   p.press_toolbar(2);                      // the third toolbar button
//
// User actions refuse what a user could not do (a hidden palette, a
// disabled or hidden control, a read-only number, a popup index without an
// item) with a palette_error that names the control.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "frame/sdk/window.h"
#include "host/palette_control.h"
#include "host/scene_observer.h"

namespace host {

class application;

class palette_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One scene event as the window received it.
struct palette_event {
    std::string name;  // "scene_opened", "shapes_created", ...
    int count = 0;     // shapes passed with it
    bool flag = true;  // the host flag after the window's callback (the host passes true)
};

class palette final : public window_services, public scene_observer {
public:
    // Attaches to `window` (holding a counted reference) and follows the
    // application's scene events. The palette starts hidden and without
    // controls; nothing is called on the window yet.
    palette(application& app, window_interface& window);
    // Detaches from the window, deletes every control (the toolbar buttons
    // the plug-in added too, so the plug-in's library must still be loaded)
    // and stops following events.
    ~palette();
    palette(const palette&) = delete;
    palette& operator=(const palette&) = delete;

    // Calls the window's initialize() the first time; later calls do nothing.
    void initialize();
    bool initialized() const { return initialized_; }
    void show() { shown_ = true; }
    void hide() { shown_ = false; }

    // ---- acting as the user ------------------------------------------------
    // Presses the push button or toolbar button `id`: push_button_clicked
    // for a layout button, the button's clicked() for a toolbar button. When
    // the window (or the toolbar button) is undoable and there is a current
    // scene, the press is one undo step of that scene.
    void press(const std::string& id);
    // Presses toolbar button `index` (0 is the first the plug-in added).
    void press_toolbar(int index);
    // Stores `value` in the checkbox, number or popup menu `id`, then calls
    // the matching value-changed callback. Checkboxes take 0 or 1, popup
    // menus the index of one of their items, numbers any value.
    void set_value(const std::string& id, float value);
    // One refresh pass: the setup callback of every push button, checkbox,
    // number, popup menu and static text of the layout, in layout order;
    // each answer is kept in the control's `handled`. Returns how many
    // answered handled.
    int refresh();
    // `count` idle calls.
    void idle(int count = 1);

    // ---- reading -----------------------------------------------------------
    bool has_control(const std::string& id) const;
    // The first control with that id (layout controls, then toolbar
    // buttons). Throws palette_error naming a missing id.
    const control_state& control(const std::string& id) const;
    image_interface* image(const std::string& id) const;
    // Every layout control in layout order (groups and tabs included).
    std::vector<const control_state*> controls() const;
    int toolbar_size() const { return static_cast<int>(toolbar_.size()); }
    // Throws palette_error for an index out of range.
    const control_state& toolbar(int index) const;
    image_interface* toolbar_image(int index) const;

    const std::string& title() const { return title_; }
    int trigger_kind() const { return trigger_kind_; }
    bool layout_loaded() const { return layout_loaded_; }
    const std::string& layout_name() const { return layout_name_; }
    // Why the last load_layout failed; empty after a success.
    const std::string& layout_error() const { return layout_error_; }
    kx::rect_class client_rect() const { return client_rect_; }
    // Where the frame stands; setting it here is not recorded as a move.
    void set_frame_position(const kx::point_class& p) { frame_ = p; }
    kx::point_class frame_position() const { return frame_; }
    // Every move_frame the window made, in order.
    const std::vector<kx::point_class>& frame_moves() const { return moves_; }
    const std::vector<palette_event>& events() const { return events_; }
    window_interface& window() const { return *window_; }

    // ---- window_services -----------------------------------------------------
    void set_trigger_kind(int kind) override { trigger_kind_ = kind; }
    // Finds "<name>.kxul" (any case) in the application's resource folders,
    // language folder of the application's language; builds every control
    // with its services and calls the initialise callback of each push
    // button, checkbox, number and popup menu once, in layout order. False,
    // with layout_error() and a message-window line saying why, when the
    // file is missing or malformed or a layout is loaded already.
    bool load_layout(const char* name) override;
    kx::rect_class get_layout_bounds() override { return bounds_; }
    void set_client_rect(const kx::rect_class& rect) override { client_rect_ = rect; }
    kx::point_class get_frame_position() override { return frame_; }
    void move_frame(const kx::point_class& position) override;
    bool is_shown() override { return shown_; }
    void set_title(const char* title) override { title_ = title ? title : ""; }
    // Takes the plug-in's push button as toolbar button "toolbar_<n>".
    void add_control(window_control& control, const kx::rect_class& frame) override;

    // ---- scene_observer: passed to the window with the host flag ------------
    void scene_opened(scene& s) override;
    void active_scene_changed(scene& s) override;
    void shapes_created(scene& s, const std::vector<shape_class*>& shapes) override;
    void shapes_copied(scene& s, const std::vector<shape_class*>& shapes) override;
    void shapes_inserted(scene& s, const std::vector<shape_class*>& shapes) override;
    void shapes_being_deleted(scene& s, const std::vector<shape_class*>& shapes) override;
    void active_shapes_changed(scene& s, const std::vector<shape_class*>& shapes) override;
    void browser_updated(scene& s) override;
    void shapes_restored(scene& s, const std::vector<shape_class*>& shapes) override;

private:
    palette_control* find(const std::string& id) const;
    palette_control& usable(const std::string& id) const;
    void click(palette_control& c);
    void record(const char* name, int count, bool flag) { events_.push_back({name, count, flag}); }

    application& app_;
    kx::host_ref<window_interface> window_;
    bool initialized_ = false;
    bool shown_ = false;
    bool layout_loaded_ = false;
    std::string layout_name_;
    std::string layout_error_;
    std::vector<std::unique_ptr<palette_control>> controls_;  // layout order
    std::vector<std::unique_ptr<palette_control>> toolbar_;   // in the order added
    std::string title_;
    int trigger_kind_ = 0;
    kx::rect_class bounds_;
    kx::rect_class client_rect_;
    kx::point_class frame_;
    std::vector<kx::point_class> moves_;
    std::vector<palette_event> events_;
};

}  // namespace host
