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

// ---- the Repair page ---------------------------------------------------------------

// "update" after a repair step: only for a polygon mesh, unless the row
// asks for it in any case.
void update_mesh(symmetry_window& w, scene_interface& scene) {
    if (w.is_polygon) scene.update_figure();
}

void master_repair(symmetry_window& w, scene_interface& scene) {
    if (!w.is_polygon) return;
    w.run_checked_repairs(scene);
    update_mesh(w, scene);
}
// The window re-reads the scene even without a mesh.
void reduc_verti(symmetry_window& w, scene_interface& scene) {
    w.reduce_duplicated_vertices();
    w.start_trigger(&scene, false);
}
void make_edges(symmetry_window& w, scene_interface&) { w.remake_all_edges(); }
void face_norm(symmetry_window& w, scene_interface& scene) {
    w.adjust_face_direction(scene);
    scene.update_figure();
}
void face_invalid(symmetry_window& w, scene_interface& scene) {
    w.remove_invalide_faces();
    scene.update_figure();
}
void face_overlaped(symmetry_window& w, scene_interface& scene) {
    w.sel_overlaped_faces(scene);
    scene.update_figure();
}
void face_triplet(symmetry_window& w, scene_interface& scene) {
    w.sel_trident_faces(scene);
    scene.update_figure();
}
void face_over4t(symmetry_window& w, scene_interface& scene) {
    w.mark_over4_faces(false);
    scene.update_figure();
}
void next_tri_face(symmetry_window& w, scene_interface& scene) { w.next_trident_face(scene); }

// ---- the unmatch repair workflow -------------------------------------------------------

// Runs a workflow step on the current pairing, then re-reads the scene
// keeping the step indices.
template <void (symmetry_window::*step)(scene_interface&)>
void workflow_step(symmetry_window& w, scene_interface& scene) {
    if (!w.current_twinel) return;
    (w.*step)(scene);
    w.start_trigger(&scene, false);
}

// The same for creating and removing, whose message is shown whether or
// not verbose is on (the pairing has been released by then).
template <const char* (symmetry_window::*step)(scene_interface&)>
void workflow_edit(symmetry_window& w, scene_interface& scene) {
    if (!w.current_twinel) return;
    if (const char* message = (w.*step)(scene)) w.show(message);
    w.start_trigger(&scene, false);
}

// With an unpaired vertex the vertex table is made again; with none the
// pairs are listed and nothing is rebuilt.
void remake_v_link(symmetry_window& w, scene_interface& scene) {
    if (!w.current_twinel) return;
    if (w.current_twinel->vertex_table.unmatched < 1) {
        w.list_vertex_pairs(scene);
        return;
    }
    w.remake_vertices_link();
    w.start_trigger(&scene, true);
}
void remake_f_link(symmetry_window& w, scene_interface& scene) {
    if (!w.current_twinel) return;
    w.remake_faces_link();
    w.start_trigger(&scene, true);
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
    {"master-repair", master_repair},
    {"reduc-verti", reduc_verti},
    {"make-edges", make_edges},
    {"face-norm", face_norm},
    {"face-invalid", face_invalid},
    {"face-overlaped", face_overlaped},
    {"face-triplet", face_triplet},
    {"next-tri-face", next_tri_face},
    {"face-over4t", face_over4t},
    {"next_u_vertex", workflow_step<&symmetry_window::select_next_unmatch_vertex>},
    {"next_p_vertex", workflow_step<&symmetry_window::mark_next_vertex_pair>},
    {"v_link", workflow_step<&symmetry_window::force_vertex_link>},
    {"v_append", workflow_edit<&symmetry_window::append_pair_vertex>},
    {"v_remove", workflow_edit<&symmetry_window::remove_unmatch_vertex>},
    {"next_u_face", workflow_step<&symmetry_window::select_next_unmatch_face>},
    {"next_p_face", workflow_step<&symmetry_window::mark_next_face_pair>},
    {"f_link", workflow_step<&symmetry_window::force_face_link>},
    {"f_append", workflow_edit<&symmetry_window::append_pair_face>},
    {"f_remove", workflow_edit<&symmetry_window::remove_unmatch_face>},
    {"remake_v_link", remake_v_link},
    {"remake_f_link", remake_f_link},
    // UV tools and skin symmetry (uv_commands.cpp, skin_command.cpp).
    {"duv-puv", [](symmetry_window& w, scene_interface& scene) { w.copy_uvs(scene, true); }},
    {"puv-duv", [](symmetry_window& w, scene_interface& scene) { w.copy_uvs(scene, false); }},
    {"uv-offset", [](symmetry_window& w, scene_interface& scene) { w.change_uvs(scene, true); }},
    {"uv-factor", [](symmetry_window& w, scene_interface& scene) { w.change_uvs(scene, false); }},
    {"uv-to-1", [](symmetry_window& w, scene_interface& scene) { w.unite_uvs(scene); }},
    {"uv-to-s", [](symmetry_window& w, scene_interface& scene) { w.separate_uvs(scene); }},
    {"move-uv", [](symmetry_window& w, scene_interface& scene) { w.collect_uv_edit(scene); }},
    {"do-move-uv", [](symmetry_window& w, scene_interface& scene) { w.apply_uv_edit(scene); }},
    {"sym_skin", [](symmetry_window& w, scene_interface&) { w.symmetrize_skins(); }},
    // Shape and element tools (shape_tools.cpp).
    {"p_offset", [](symmetry_window& w, scene_interface& scene) { w.offset_shape(scene); }},
    {"v_offset", [](symmetry_window& w, scene_interface& scene) { w.offset_selected_vertices(scene); }},
    {"sep_polygon", [](symmetry_window& w, scene_interface& scene) { w.separate_polygon(scene); }},
    {"flip_face", [](symmetry_window& w, scene_interface& scene) { w.reverse_faces(scene); }},
    {"mark_p_edge", [](symmetry_window& w, scene_interface& scene) { w.mark_open_edges(scene); }},
    {"sel-unedge", [](symmetry_window& w, scene_interface& scene) { w.select_useless_edges(scene); }},
    {"mark_to_line", [](symmetry_window& w, scene_interface& scene) { w.marked_edges_to_lines(scene); }},
    {"find_near", [](symmetry_window& w, scene_interface& scene) { w.find_nearest_pair(scene); }},
    {"reduse_v", [](symmetry_window& w, scene_interface& scene) { w.reduse_pair_vertices(scene); }},
    // The UV template export (template_dialog.cpp).
    {"uv_save", [](symmetry_window& w, scene_interface&) { w.save_uv_template(); }},
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
    keep_pairing_state_with_shape();
}
