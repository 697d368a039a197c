// The window's life (construction, initialisation, idle calls) and its
// control flow: taking a shape, re-reading the scene, making, releasing
// and re-symmetrizing the pairing.
#include "window/symmetry_window.h"

#include <cstring>
#include <string>

#include "frame/globals.h"
#include "frame/identifiers.h"
#include "frame/sdk/image.h"
#include "frame/sdk/scene.h"
#include "frame/sdk/shape.h"
#include "symmetry/pairing_registry.h"
#include "symmetry/pairing_state.h"
#include "symmetry/twinel_class.h"
#include "window/host_boundary.h"
#include "window/message_table.h"
#include "window/toolbar_buttons.h"

namespace {

// make_pairing's text for a failure that brought no message of its own; it
// is shown as it stands, untranslated.
constexpr const char* unexplained_failure = "***Twinel ERROR*** at make twinel.";

// What a failed repair that threw no message of its own says.
constexpr const char* repair_failure = "Twinel++ repair error";

// Where the toolbar buttons sit in the window's top margin.
constexpr int toolbar_left = 2;
constexpr int toolbar_top = 2;
constexpr int toolbar_button_width = 40;
constexpr int toolbar_button_height = 20;

// Message-table entries of the toolbar tooltips, in toolbar order.
constexpr int toolbar_tooltip_first = 10;

// Image resources of the toolbar buttons, in toolbar order.
constexpr const char* toolbar_images[symmetry_window::toolbar_size] = {
    "mesh_mode", "renew", "remove_edge", "append_edge", "sym_vertice", "paste_plane"};

// Toolbar positions of the buttons whose enabled state follows the shape.
constexpr int remove_edge_slot = 2;
constexpr int append_edge_slot = 3;
constexpr int sym_vertices_slot = 4;
constexpr int paste_plane_slot = 5;

// Whether `shape` is one of the listed shapes or lies below one of them.
bool is_within(const shape_class* shape, int count, shape_class* const* shapes) {
    for (const shape_class* s = shape; s; s = s->get_dad())
        for (int k = 0; k < count; ++k)
            if (shapes[k] == s) return true;
    return false;
}

}  // namespace

symmetry_window::symmetry_window(korvo_interface& h) : host(h) {
    hold_message_table(host.get_string_table("twinel_strings"));
    element_titles = {host.gettext("Vertex number"), host.gettext("Edge   number"), host.gettext("Face   number")};
    settings.host = &host;
    CSym = nullptr;
}

symmetry_window::~symmetry_window() {
    if (Sym_W == this) Sym_W = nullptr;
}

kx::uuid_class symmetry_window::get_uuid() { return symmetry_window_uuid; }

int symmetry_window::get_korvo_version() { return kx::sdk::korvo_sdk_version; }

// ---- life of the palette ----------------------------------------------------

void symmetry_window::initialize() {
    set_trigger_kind(2);
    load_layout("window");
    layout_bounds = get_layout_bounds();
    set_client_rect(layout_bounds);
    const kx::point_class frame = get_frame_position();
    if (frame.x < 0 || frame.y < 0) move_frame(kx::point_class{0, 0});
    busy = false;
    shown = false;
    modify_mode = false;
    is_polygon = false;
    set_title(host.gettext("product_name"));
    uninitialised = false;
    // The host answers this identifier with its element-mark component.
    Mark.component = static_cast<element_mark_interface*>(host.find_plugin_interface(elements_preference_uuid));
    release_title = host.gettext("Release Sym.");
    twinel_title = host.gettext("Twinel");
    make_toolbar();
    template_dialog.reset(host.create_dialog_interface(symmetry_window_uuid, "uv_dialog_id", this));
    template_values.dialog_closed = true;
    trident_faces.clear();
}

void symmetry_window::make_toolbar() {
    std::array<push_button_class*, toolbar_size> made = {
        new modify_vertex_mode_button(*this), new renew_button(*this),        new remove_edge_button(*this),
        new append_edge_button(*this),        new sym_vertices_button(*this), new paste_plane_button(*this)};
    for (int k = 0; k < toolbar_size; ++k) {
        push_button_class* button = made[static_cast<std::size_t>(k)];
        const int left = toolbar_left + toolbar_button_width * k;
        // The host owns the button from here on.
        add_control(button, kx::rect_class{left, toolbar_top, left + toolbar_button_width,
                                           toolbar_top + toolbar_button_height});
        toolbar[static_cast<std::size_t>(k)] = button;
        // The control takes its own reference to the image.
        const kx::host_ref<image_interface> image(host.create_image_interface(toolbar_images[k]));
        button->set_image(image.get());
        button->set_tooltip(table_message(toolbar_tooltip_first + k));
        if (k >= remove_edge_slot) button->set_enabled(false);
    }
}

void symmetry_window::idle() {
    if (uninitialised || busy) return;
    at_host_boundary([&] {
        if (start_countdown > 0) --start_countdown;
        const kx::host_ref<scene_interface> scene(host.get_scene());
        const bool visible = is_shown();
        if (visible != shown) {
            shown = visible;
            if (shown && scene) {
                const kx::point_class frame = get_frame_position();
                if (frame.x < 1 || frame.y < 1) move_frame(kx::point_class{100, 100});
                start_trigger(scene.get(), true);
            }
        } else if (shown && scene && scene->is_modify_mode() != modify_mode) {
            modify_mode = scene->is_modify_mode();
            start_trigger(scene.get(), true);
        }
        if (CSym) {
            do_sym(scene.get(), false);
            CSym = nullptr;
        }
    });
}

// ---- control flow -------------------------------------------------------------

void symmetry_window::command(int operation) {
    switch (operation) {
        case 0: remove_edges(); break;
        case 1: append_edge(); break;
        case 2: sym_vertices(); break;
        case 3: paste_to_plane(); break;
        default: return;
    }
    keep_pairing_state_with_shape();
    // An edit in modify mode is followed by live symmetry on the next idle
    // call, whether the host redraws the mesh afterwards (its wireframe hook
    // sets CSym too) or not.
    at_host_boundary([&] {
        const kx::host_ref<scene_interface> scene(host.get_scene());
        if (scene && scene->is_modify_mode() && is_polygon && current_twinel) CSym = current_twinel;
    });
}

void symmetry_window::start_trigger(scene_interface* scene, bool reset) {
    if (!scene || !is_shown() || scene->get_number_of_active_shapes() < 1) return;
    shape_class* active = scene->get_active_shape();
    if (!active) return;
    reset_steps = reset;
    shape_change(*scene, active);
    if (current_shape.type != object_type::part) {
        scene->force_update();
        scene->refresh();
        reset_steps = true;
    }
}

void symmetry_window::shape_change(scene_interface& scene, shape_class* shape) {
    if (reset_steps) {
        nearest.first = -1;
        u_v_index = u_f_index = p_v_index = p_f_index = -1;
        trident_faces.clear();
        trident_cursor = -1;
    }
    current_shape.set_shape(shape);
    if (current_shape.type == object_type::polygon_mesh) {
        is_polygon = true;
        // The same shape keeps its wrapper, and with it an undo record that
        // an operation may have open.
        if (current_polygon.shape != shape || !current_polygon.mesh) current_polygon.set_shape(shape);
        current_twinel = SymS.get_extend_object(shape);
    } else {
        is_polygon = false;
        current_polygon.set_shape(nullptr);
        current_twinel = nullptr;
    }
    modify_mode = scene.is_modify_mode();

    std::string title = host.gettext("product_name");
    if (shape) {
        title += "[";
        title += shape->get_name() ? shape->get_name() : "";
        if (current_twinel) title += ":*";
        title += "]";
    }
    set_title(title.c_str());
    enable_toolbar(scene);
}

void symmetry_window::enable_toolbar(scene_interface& scene) {
    const auto enable = [&](int slot, bool on) {
        if (push_button_class* button = toolbar[static_cast<std::size_t>(slot)]) button->set_enabled(on);
    };
    enable(0, true);
    enable(1, true);
    const bool mesh_edit = is_polygon && scene.is_modify_mode();
    enable(remove_edge_slot, mesh_edit);
    enable(append_edge_slot, mesh_edit);
    enable(paste_plane_slot, mesh_edit);
    enable(sym_vertices_slot, mesh_edit || current_shape.type == object_type::line ||
                                  current_shape.type == object_type::surface);
}

void symmetry_window::make_twinel(bool makeup) {
    twinel_class* made = nullptr;
    const char* failure = make_pairing(current_polygon, settings, makeup, &made);
    // make_pairing registers what it answers, so the pointer is never one
    // the registry does not own.
    current_twinel = made;
    if (!failure) return;
    current_twinel = nullptr;
    if (std::strcmp(failure, unexplained_failure) == 0)
        host.show_message(unexplained_failure, false);
    else
        show(failure);
}

void symmetry_window::delete_twinel(scene_interface*) {
    if (is_polygon) SymS.remove(current_polygon.shape);
    current_twinel = nullptr;
    CSym = nullptr;
    if (settings.verbose) show("Release Twinel.");
}

void symmetry_window::do_sym(scene_interface* scene, bool all) {
    if (!current_twinel || !current_polygon.shape) return;
    const flag_guard hold(busy);
    // The mirror moves and repairs follow the edit that called for them, so
    // they join its undo step: undo and redo take both together.
    const kx::host_ref<undo_record_interface> record(current_polygon.shape->create_joining_undo_record());
    const char* failure = nullptr;
    try {
        current_twinel->do_sym(all);
        keep_pairing_state(*current_twinel);
    } catch (const char* message) {
        failure = message ? message : repair_failure;
    } catch (...) {
        failure = repair_failure;
    }
    // A pairing whose tables cannot be repaired is of no further use.
    if (failure) release_after_failure(scene, failure);
    if (record) record->close(0);
}

void symmetry_window::release_after_failure(scene_interface* scene, const char* message) {
    // The user must learn that the symmetry is gone, and why, whatever
    // "verbose" says.
    show(message);
    if (is_polygon) SymS.remove(current_polygon.shape);
    current_twinel = nullptr;
    CSym = nullptr;
    show("Release Twinel.");
    start_trigger(scene, true);
}

void symmetry_window::keep_pairing_state_with_shape() {
    at_host_boundary([&] {
        if (is_polygon && current_twinel && SymS.get_extend_object(current_polygon.shape) == current_twinel)
            keep_pairing_state(*current_twinel);
    });
}

// ---- helpers ------------------------------------------------------------------

Symmetry_class& symmetry_window::shown_settings() {
    if (current_twinel) return *current_twinel;
    return settings;
}

void symmetry_window::show(const char* key) { host.show_message(host.gettext(key), false); }

void symmetry_window::forget_deleted(int count, shape_class* const* shapes) {
    if (current_twinel && (!is_polygon || SymS.get_extend_object(current_polygon.shape) != current_twinel))
        current_twinel = nullptr;
    if (count <= 0 || !shapes || !current_shape.shape) return;
    if (!is_within(current_shape.shape, count, shapes)) return;
    current_shape.set_shape(nullptr);
    current_polygon.set_shape(nullptr);
    is_polygon = false;
    current_twinel = nullptr;
}
