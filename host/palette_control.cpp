#include "host/palette_control.h"

namespace host {

const char* kind_name(control_kind kind) {
    switch (kind) {
        case control_kind::push_button: return "push-button";
        case control_kind::checkbox: return "checkbox";
        case control_kind::number: return "number";
        case control_kind::popup_menu: return "popup-menu";
        case control_kind::static_text: return "static-text";
        case control_kind::spacer: return "spacer";
        case control_kind::group: return "group";
        case control_kind::tab: return "tab";
        case control_kind::toolbar_button: return "toolbar-button";
    }
    return "control";
}

palette_control::palette_control(control_state state, std::unique_ptr<window_control> object)
    : state_(std::move(state)), object_(std::move(object)) {
    object_->attach(this);
}

palette_control::~palette_control() {
    // Detached first, so that the object's own destructor (plug-in code for
    // toolbar buttons) cannot reach a control that is going away.
    object_->attach(nullptr);
}

void palette_control::set_items(const char* items) {
    state_.items.clear();
    const std::string text = items ? items : "";
    if (text.empty()) return;
    std::string::size_type start = 0;
    for (;;) {
        const auto bar = text.find('|', start);
        if (bar == std::string::npos) {
            if (start < text.size()) state_.items.push_back(text.substr(start));
            return;
        }
        state_.items.push_back(text.substr(start, bar - start));
        start = bar + 1;
    }
}

void palette_control::set_image(image_interface* image) { image_ = kx::host_ref<image_interface>::share(image); }

}  // namespace host
