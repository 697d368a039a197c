#include "window/button_dispatch.h"

#include <cstring>

#include "frame/sdk/scene.h"
#include "symmetry/twinel_class.h"
#include "window/host_boundary.h"
#include "window/symmetry_window.h"
#include "window/uv_view.h"

namespace {

// ---- figure updates ---------------------------------------------------------------

void inhibit_update(symmetry_window&, scene_interface& scene) { scene.inhibit_update(); }
void allow_update(symmetry_window&, scene_interface& scene) { scene.allow_update(); }
void update_figure(symmetry_window&, scene_interface& scene) { scene.update_figure(); }
void force_update(symmetry_window&, scene_interface& scene) { scene.force_update(); }

// ---- the pairing ----------------------------------------------------------------------

// Pairs the current mesh, or releases its pairing when it has one.
void twinel(symmetry_window& w, scene_interface& scene) {
    if (!w.is_polygon) return;
    if (!w.current_twinel)
        w.make_twinel(false);
    else
        w.delete_twinel(&scene);
    w.start_trigger(&scene, true);
}

// Builds the missing mirror half of the current mesh and pairs it.
void make_twinel(symmetry_window& w, scene_interface& scene) {
    if (!w.is_polygon) return;
    w.make_twinel(true);
    w.start_trigger(&scene, true);
}

// Re-symmetrizes the selected vertices (only in modify mode), or all.
void sym_ver(symmetry_window& w, scene_interface& scene) {
    if (w.modify_mode) w.do_sym(&scene, false);
}
void sym_vers(symmetry_window& w, scene_interface& scene) { w.do_sym(&scene, true); }

// Mirrors the UVs of every paired face (all) or of the selected ones.
void sym_uvs(symmetry_window& w, scene_interface& scene, bool all) {
    if (!w.current_twinel) return;
    if (const char* message = w.current_twinel->sym_uvs(all))
        if (w.settings.verbose) w.show(message);
    refresh_uv_view(&scene);
}
void sym_uvk(symmetry_window& w, scene_interface& scene) { sym_uvs(w, scene, true); }
void sym_uva(symmetry_window& w, scene_interface& scene) { sym_uvs(w, scene, false); }

// ---- element tools -----------------------------------------------------------------------

// The window's own margin (not a pairing's copy) takes the distance that
// "find_near" found.
void take_near_distance(symmetry_window& w, scene_interface& scene, float Symmetry_class::*margin) {
    const window_interface::number_class* distance = w.controls.distance_value;
    if (!distance || !(distance->get_value() > 0.0f)) return;
    w.settings.*margin = distance->get_value();
    w.start_trigger(&scene, false);
}
void set_margin(symmetry_window& w, scene_interface& scene) { take_near_distance(w, scene, &Symmetry_class::margin); }
void set_r_margin(symmetry_window& w, scene_interface& scene) {
    take_near_distance(w, scene, &Symmetry_class::reduse_margin);
}

constexpr button_row rows[] = {
    {"inhibit_update", inhibit_update},
    {"allow-update", allow_update},
    {"update_figure", update_figure},
    {"force_update", force_update},
    {"twinel", twinel},
    {"make_twinel", make_twinel},
    {"sym_ver", sym_ver},
    {"sym_vers", sym_vers},
    {"sym_uvk", sym_uvk},
    {"sym_uva", sym_uva},
    {"set_margin", set_margin},
    {"set_r_margin", set_r_margin},
};

}  // namespace

const button_row* find_button_row(const char* id) {
    if (!id) return nullptr;
    for (const button_row& row : rows)
        if (std::strcmp(row.id, id) == 0) return &row;
    return nullptr;
}

void symmetry_window::push_button_clicked(push_button_class& button) {
    at_host_boundary([&] {
        const kx::host_ref<scene_interface> scene(host.get_scene());
        if (!scene) return;
        if (const button_row* row = find_button_row(button.get_id())) row->action(*this, *scene);
    });
}
