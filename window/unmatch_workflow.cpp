// Finishing a pairing by hand: stepping to each vertex or face left without
// a partner, stepping through candidate partners ordered by mirror
// distance, and linking, creating or removing. The current element is shown
// selected in the host, the candidate as an element mark.
#include <string>
#include <vector>

#include <boost/format.hpp>

#include "frame/globals.h"
#include "frame/sdk/korvo.h"
#include "frame/sdk/polygon_mesh.h"
#include "frame/sdk/scene.h"
#include "symmetry/twinel_class.h"
#include "window/symmetry_window.h"

namespace {

// Steps a cursor through a candidate list: onto the first entry for a new
// list, else onto the next, going back to the first after the last.
int next_cursor(int cursor, bool fresh, std::size_t size) {
    if (fresh || cursor < 0 || static_cast<std::size_t>(cursor) + 1 >= size) return 0;
    return cursor + 1;
}

// Clears the shape's marks of one kind, when the host has the component.
void clear_marks(shape_class* shape, mark_request::TARGET target) {
    if (Mark.component && shape) Mark.clear(*shape, target);
}

// Makes `element` the shape's only mark of its kind.
void mark_one(shape_class* shape, mark_request::TARGET target, int element) {
    if (Mark.component && shape) Mark.mark(*shape, target, 1, &element, false);
}

// Vertex k alone selected (after the caller cleared the selection).
void select_vertex(polygon_mesh_class& mesh, int k) {
    if (k < 0 || k >= mesh.get_number_of_vertices()) return;
    mesh.begin_vertex_selection();
    mesh.vertex(k).set_active(true);
    mesh.end_vertex_selection();
}

void select_face(polygon_mesh_class& mesh, int k) {
    if (k >= 0 && k < mesh.get_number_of_faces()) mesh.face(k).set_active(true);
}

// A number control showing a count, redrawn.
void show_count(window_interface::number_class* control, int count) {
    if (!control) return;
    control->set_value(static_cast<float>(count));
    control->invalidate();
}

}  // namespace

// ---- vertices ---------------------------------------------------------------------

void symmetry_window::select_next_unmatch_vertex(scene_interface& scene) {
    twinel_class* twinel = current_twinel;
    if (!twinel || !twinel->polygon.mesh) return;
    const int k = twinel->unmatch_vertex_index(u_v_index);
    if (!scene.is_modify_mode()) scene.enter_modify_mode();
    if (scene.get_selection_mode() != kx::sdk::vertex_selection) scene.set_selection_mode(kx::sdk::vertex_selection);
    twinel->polygon.shape->clear_active_elements();
    clear_marks(twinel->polygon.shape, mark_request::VERTICES);
    p_v_index = -1;
    select_vertex(*twinel->polygon.mesh, k);
    scene.update_figure();
    u_v_index = k;
}

void symmetry_window::mark_next_vertex_pair(scene_interface&) {
    twinel_class* twinel = current_twinel;
    if (!twinel || u_v_index < 0) return;
    const bool fresh = p_v_index == -1;
    if (fresh) twinel->get_proposal_vertex_list(u_v_index, vertex_proposals);
    if (vertex_proposals.empty()) return;
    vertex_proposal_cursor = next_cursor(vertex_proposal_cursor, fresh, vertex_proposals.size());
    p_v_index = vertex_proposals[static_cast<std::size_t>(vertex_proposal_cursor)];
    mark_one(twinel->polygon.shape, mark_request::VERTICES, p_v_index);
}

void symmetry_window::force_vertex_link(scene_interface& scene) {
    twinel_class* twinel = current_twinel;
    if (!twinel || !twinel->polygon.mesh) return;
    const int n = twinel->polygon.mesh->get_number_of_vertices();
    if (u_v_index < 0 || p_v_index < 0 || u_v_index >= n || p_v_index >= n) return;
    twinel->vertex_link(u_v_index, p_v_index);
    refresh_after_vertex_repair(&scene);
}

const char* symmetry_window::append_pair_vertex(scene_interface& scene) {
    if (!current_twinel || u_v_index < 0) return nullptr;
    if (const char* failure = current_twinel->append_pair_vertex(u_v_index)) {
        delete_twinel(&scene);
        return failure;
    }
    refresh_after_vertex_repair(&scene);
    return nullptr;
}

const char* symmetry_window::remove_unmatch_vertex(scene_interface& scene) {
    if (!current_twinel || u_v_index < 0) return nullptr;
    if (const char* failure = current_twinel->remove_unmatch_vertex(u_v_index)) {
        delete_twinel(&scene);
        return failure;
    }
    refresh_after_vertex_repair(&scene);
    return nullptr;
}

void symmetry_window::refresh_after_vertex_repair(scene_interface* scene) {
    twinel_class* twinel = current_twinel;
    if (!twinel || !twinel->polygon.mesh) return;
    const int unpaired = twinel->vertex_table.unmatched;
    show_count(controls.unmatch_v_number, unpaired);
    twinel->polygon.shape->clear_active_elements();
    clear_marks(twinel->polygon.shape, mark_request::VERTICES);
    p_v_index = -1;
    if (unpaired == 0) {
        u_v_index = -1;
        // With every vertex paired the faces can be paired at once.
        remake_faces_link();
        start_trigger(scene, true);
        return;
    }
    const int k = twinel->unmatch_vertex_index(u_v_index);
    select_vertex(*twinel->polygon.mesh, k);
    u_v_index = k;
    if (scene) scene->update_figure();
}

// ---- faces ------------------------------------------------------------------------

void symmetry_window::select_next_unmatch_face(scene_interface& scene) {
    twinel_class* twinel = current_twinel;
    if (!twinel || !twinel->polygon.mesh) return;
    const int k = twinel->unmatch_faces_index(u_f_index);
    if (!scene.is_modify_mode()) scene.enter_modify_mode();
    if (scene.get_selection_mode() != kx::sdk::face_selection) scene.set_selection_mode(kx::sdk::face_selection);
    twinel->polygon.unselect_all_face();
    clear_marks(twinel->polygon.shape, mark_request::FACES);
    p_f_index = -1;
    select_face(*twinel->polygon.mesh, k);
    u_f_index = k;
    scene.update_figure();
}

void symmetry_window::mark_next_face_pair(scene_interface&) {
    twinel_class* twinel = current_twinel;
    if (!twinel || u_f_index < 0) return;
    const bool fresh = p_f_index == -1;
    if (fresh) twinel->get_proposal_face_list(u_f_index, face_proposals);
    if (face_proposals.empty()) return;
    face_proposal_cursor = next_cursor(face_proposal_cursor, fresh, face_proposals.size());
    p_f_index = face_proposals[static_cast<std::size_t>(face_proposal_cursor)];
    mark_one(twinel->polygon.shape, mark_request::FACES, p_f_index);
}

void symmetry_window::force_face_link(scene_interface& scene) {
    twinel_class* twinel = current_twinel;
    if (!twinel || !twinel->polygon.mesh) return;
    const int n = twinel->polygon.mesh->get_number_of_faces();
    if (u_f_index < 0 || p_f_index < 0 || u_f_index >= n || p_f_index >= n) return;
    twinel->face_table.link(u_f_index, p_f_index);
    refresh_after_face_repair(&scene);
}

const char* symmetry_window::append_pair_face(scene_interface& scene) {
    if (!current_twinel || u_f_index < 0) return nullptr;
    if (const char* failure = current_twinel->append_pair_face(u_f_index, true)) {
        delete_twinel(&scene);
        return failure;
    }
    refresh_after_face_repair(&scene);
    return nullptr;
}

const char* symmetry_window::remove_unmatch_face(scene_interface& scene) {
    if (!current_twinel || u_f_index < 0) return nullptr;
    if (const char* failure = current_twinel->remove_unmatch_face(u_f_index)) {
        delete_twinel(&scene);
        return failure;
    }
    refresh_after_face_repair(&scene);
    return nullptr;
}

void symmetry_window::refresh_after_face_repair(scene_interface* scene) {
    twinel_class* twinel = current_twinel;
    if (!twinel || !twinel->polygon.mesh) return;
    const int unpaired = twinel->face_table.unmatched;
    show_count(controls.unmatch_f_number, unpaired);
    twinel->polygon.unselect_all_face();
    clear_marks(twinel->polygon.shape, mark_request::FACES);
    p_f_index = -1;
    if (unpaired == 0) {
        u_f_index = -1;
        start_trigger(scene, true);
        return;
    }
    const int k = twinel->unmatch_faces_index(u_f_index);
    select_face(*twinel->polygon.mesh, k);
    u_f_index = k;
    if (scene) scene->update_figure();
}

// ---- the tables ---------------------------------------------------------------------

void symmetry_window::remake_vertices_link() {
    if (!current_twinel) return;
    const char* failure = current_twinel->make_vertices_link();
    if (failure && settings.verbose) show(failure);
}

void symmetry_window::remake_faces_link() {
    if (!current_twinel) return;
    const char* failure = current_twinel->vertex_table.unmatched > 0 ? "Can't do in complete symmetize vertices."
                                                                     : current_twinel->make_faces_link();
    if (failure && settings.verbose) show(failure);
}

void symmetry_window::list_vertex_pairs(scene_interface& scene) {
    if (!current_twinel) return;
    const Interconnection_class& table = current_twinel->vertex_table;
    scene.message(host.gettext("Start output of vertices sym list."));
    for (int i = 0; i < table.size(); ++i)
        scene.message((boost::format("%6i<->%6i") % i % table.partner(i)).str().c_str());
    scene.message(host.gettext("***End output of vertices sym list."));
}
