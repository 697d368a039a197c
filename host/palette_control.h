// One control of a host palette: the SDK control object the window sees,
// and what the host keeps of it (the control_services behind the object).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "frame/sdk/image.h"
#include "frame/sdk/window.h"

namespace host {

enum class control_kind {
    push_button,
    checkbox,
    number,
    popup_menu,
    static_text,
    spacer,
    group,
    tab,
    toolbar_button,  // a push button the plug-in made and added itself
};

// "push-button", "checkbox", ..., "toolbar-button".
const char* kind_name(control_kind kind);

// The state of a control as the user would see it.
struct control_state {
    control_kind kind = control_kind::spacer;
    std::string id;
    std::string title;  // starts as the layout's label
    std::string tooltip;
    std::string unit;
    int width = -1;         // the layout's fixed size; -1 when it gives none
    int height = -1;
    bool integer = false;   // numbers of type integer
    bool editable = true;   // false for read-only number displays
    bool enabled = true;
    bool shown = true;
    // Numbers: the float; checkboxes: 0 or 1 (any value not 0 is checked);
    // popup menus: the chosen item's index.
    float value = 0.0f;
    int decimals = 0;
    std::vector<std::string> items;  // popup menus
    int invalidations = 0;
    int initialised = 0;          // initialise callbacks made for the control
    int setups = 0;               // setup callbacks made for it
    std::optional<bool> handled;  // the last setup callback's answer
    kx::rect_class frame;         // toolbar buttons: where the plug-in put them
};

class palette_control final : public control_services {
public:
    // Takes `object` (made by the host for a layout control, or by the
    // plug-in for a toolbar button) and attaches itself to it.
    palette_control(control_state state, std::unique_ptr<window_control> object);
    ~palette_control();
    palette_control(const palette_control&) = delete;
    palette_control& operator=(const palette_control&) = delete;

    const control_state& state() const { return state_; }
    control_state& state() { return state_; }
    window_control& object() const { return *object_; }
    // The image the control shows (borrowed), or null.
    image_interface* image() const { return image_.get(); }

    // ---- control_services --------------------------------------------------
    const char* get_id() override { return state_.id.c_str(); }
    void set_title(const char* title) override { state_.title = title ? title : ""; }
    void set_enabled(bool on) override { state_.enabled = on; }
    bool get_enabled() override { return state_.enabled; }
    void set_shown(bool on) override { state_.shown = on; }
    bool get_shown() override { return state_.shown; }
    void invalidate() override { ++state_.invalidations; }
    float get_value() override { return state_.value; }
    void set_value(float value) override { state_.value = value; }
    void set_decimals(int decimals) override { state_.decimals = decimals; }
    // Items separated by '|'; an empty text empties the list, and a bar at
    // the end adds no empty item.
    void set_items(const char* items) override;
    void set_tooltip(const char* text) override { state_.tooltip = text ? text : ""; }
    // Holds its own reference to the image; null removes it.
    void set_image(image_interface* image) override;

private:
    control_state state_;
    std::unique_ptr<window_control> object_;
    kx::host_ref<image_interface> image_;
};

}  // namespace host
