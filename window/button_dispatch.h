// What a press of each palette button does: one row per button id, each a
// small function of the window and the host's current scene. Rows check
// their own preconditions and do nothing when these fail.
#pragma once

class symmetry_window;
class scene_interface;

using button_action = void (*)(symmetry_window& window, scene_interface& scene);

struct button_row {
    const char* id;  // the control's KXUL id
    button_action action;
};

// The row of the button `id`, or null for a button without one (a press
// then does nothing).
const button_row* find_button_row(const char* id);
