// The "Shape tool" and "Element tool" buttons of the palette: how the window
// checks the current shape and the scene, asks before large edits, and runs
// the mesh tools (offsets along normals, separation, face reversal, open
// edges, useless diagonals, the nearest vertex pair and its reduction,
// lines from marked edges).
#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include <boost/format.hpp>

#include "frame/globals.h"
#include "frame/sdk/korvo.h"
#include "frame/sdk/polygon_mesh.h"
#include "frame/sdk/scene.h"
#include "frame/sdk/shape.h"
#include "mesh/face_class.h"
#include "mesh/marked_edges_to_line.h"
#include "mesh/polygon_scope.h"
#include "symmetry/twinel_class.h"
#include "window/host_boundary.h"
#include "window/message_table.h"
#include "window/symmetry_window.h"

namespace {

// Entries of the message table.
namespace message {
constexpr int too_many_parts = 6;  // %5i parts
constexpr int simple_polygon = 7;
constexpr int no_vertex_selected = 8;
}  // namespace message

// The angle limits of "Sel. useless" until the layout hands their controls over.
constexpr float default_face_angle = 15.0f;
constexpr float default_side_angle = 95.0f;

float value_or(const window_interface::number_class* c, float fallback) { return c ? c->get_value() : fallback; }

// Whether the window has a polygon mesh to work on; shows "Reselect
// polygon mesh shape." when it has none.
bool reselect(symmetry_window& w) {
    if (w.is_polygon && w.current_polygon.mesh) return true;
    w.show("Reselect polygon mesh shape.");
    return false;
}

// Asks the user `key` (translated) as a yes-or-no question.
bool ask(symmetry_window& w, const char* key) { return w.host.show_message(w.host.gettext(key), true); }

// An offset distance, turned round when the mesh's faces are flipped so
// that a positive distance still moves outwards.
float outward(polygon_mesh_class& mesh, float distance) { return mesh.get_face_flip() ? -distance : distance; }

// Moves each listed vertex by distance x its normal, reading every normal
// before the first move. Positions that stay the same are not written.
void move_along_normals(polygon_mesh_class& mesh, const std::vector<int>& vertices, float distance) {
    std::vector<vec3> normals;
    normals.reserve(vertices.size());
    for (int v : vertices) normals.push_back(mesh.vertex(v).get_normal());
    for (std::size_t k = 0; k < vertices.size(); ++k) {
        vertex_class& vertex = mesh.vertex(vertices[k]);
        const vec3 from = vertex.get_position();
        const vec3 to = from + normals[k] * distance;
        if (to != from) vertex.set_position(to);
    }
}

// Makes exactly `group` the selected vertices of the mesh.
void select_only(polygon_mesh_class& mesh, const std::vector<int>& group) {
    std::vector<int> selected(static_cast<std::size_t>(std::max(mesh.get_number_of_active_vertices(), 0)));
    if (!selected.empty()) mesh.get_active_vertex_indices(selected.data());
    mesh.begin_vertex_selection();
    polygon_scope::closer end([&] { mesh.end_vertex_selection(); });
    for (int v : selected) mesh.vertex(v).set_active(false);
    for (int v : group) mesh.vertex(v).set_active(true);
}

// Merges the vertices {a, b} and their partners {pa, pb} as two groups.
// When the groups share a vertex (one of a, b lies on the plane, or a and
// b are each other's partners) merging one after the other would merge a
// vertex the first merge has already renumbered, so the union is merged
// once. Otherwise the group holding the higher index goes first: a merge
// keeps its lowest vertex and closes up the numbering above the others,
// which leaves every index of the other group, all lower, as it was.
void merge_with_partners(scene_interface& scene, polygon_mesh_class& mesh, int a, int b, int pa, int pb) {
    std::vector<int> own{std::min(a, b), std::max(a, b)};
    std::vector<int> mirror{std::min(pa, pb), std::max(pa, pb)};
    std::vector<int> both;
    std::set_union(own.begin(), own.end(), mirror.begin(), mirror.end(), std::back_inserter(both));
    both.erase(std::unique(both.begin(), both.end()), both.end());
    if (both.size() < 4) {
        select_only(mesh, both);
        scene.merge_selected_vertices();
        return;
    }
    if (own.back() > mirror.back()) std::swap(own, mirror);
    select_only(mesh, mirror);
    scene.merge_selected_vertices();
    if (own.back() >= mesh.get_number_of_vertices()) return;
    select_only(mesh, own);
    scene.merge_selected_vertices();
}

}  // namespace

// ---- offsets ----------------------------------------------------------------------

void symmetry_window::offset_shape(scene_interface& scene) {
    if (!reselect(*this) || !ask(*this, "Do ?")) return;
    trans_offset(&scene, outward(*current_polygon.mesh, value_or(controls.p_o_value, 1.0f)));
}

void symmetry_window::trans_offset(scene_interface*, float distance) {
    if (!is_polygon || !current_polygon.mesh) return;
    polygon_mesh_class& mesh = *current_polygon.mesh;
    mesh.compute_vertex_normals();
    current_polygon.shape->begin_modification();
    polygon_scope::closer end([&] { current_polygon.shape->end_modification(); });
    std::vector<int> all(static_cast<std::size_t>(std::max(mesh.get_number_of_vertices(), 0)));
    for (std::size_t v = 0; v < all.size(); ++v) all[v] = static_cast<int>(v);
    move_along_normals(mesh, all, distance);
}

void symmetry_window::offset_selected_vertices(scene_interface& scene) {
    if (!reselect(*this)) return;
    polygon_mesh_class& mesh = *current_polygon.mesh;
    const float distance = outward(mesh, value_or(controls.v_o_value, 1.0f));
    // Edge and face selection have no selected vertices of their own; the
    // vertex flags left from an earlier vertex selection are not moved.
    std::vector<int> selected;
    if (scene.get_selection_mode() == kx::sdk::vertex_selection) current_polygon.get_active_vertices(selected);
    if (selected.empty()) {
        host.show_message(table_message(message::no_vertex_selected), false);
        return;
    }
    scene.inhibit_update();
    polygon_scope::closer allow([&] { scene.allow_update(); });
    mesh.compute_vertex_normals();
    current_polygon.shape->begin_modification();
    polygon_scope::closer end([&] { current_polygon.shape->end_modification(); });
    move_along_normals(mesh, selected, distance);
    if (current_twinel) do_sym(&scene, false);
}

// ---- shape tools ------------------------------------------------------------------

void symmetry_window::separate_polygon(scene_interface&) {
    if (!reselect(*this) || !ask(*this, "Start to separete polygon.")) return;
    int parts = 0;
    {
        const flag_guard hold(busy);
        parts = current_polygon.fork(settings.sep_num, settings.sep_type);
    }
    if (parts < 0) {
        boost::format text(table_message(message::too_many_parts));
        text.exceptions(boost::io::all_error_bits ^ (boost::io::too_many_args_bit | boost::io::too_few_args_bit));
        host.show_message((text % -parts).str().c_str(), false);
    } else if (parts < 2) {
        host.show_message(table_message(message::simple_polygon), false);
    }
}

void symmetry_window::reverse_faces(scene_interface& scene) {
    if (!reselect(*this)) return;
    polygon_mesh_class& mesh = *current_polygon.mesh;
    scene.inhibit_update();
    polygon_scope::closer allow([&] { scene.allow_update(); });
    current_polygon.shape->begin_modification();
    polygon_scope::closer end([&] { current_polygon.shape->end_modification(); });
    current_polygon.start_undo();
    polygon_scope::closer close([&] { current_polygon.end_undo(); });
    const int faces = mesh.get_number_of_faces();
    for (int f = 0; f < faces; ++f) {
        face_class& face = mesh.face(f);
        Face_class copy(face);
        copy.reverse();
        copy.set(face, face_uv::both);
    }
    mesh.set_face_flip(!mesh.get_face_flip());
}

void symmetry_window::mark_open_edges(scene_interface& scene) {
    if (!Mark.component || !is_polygon || !current_polygon.mesh) return;
    polygon_mesh_class& mesh = *current_polygon.mesh;
    mesh.begin_face_of_edge();
    polygon_scope::closer close([&] { mesh.end_face_of_edge(); });
    std::vector<int> open;
    const int edges = mesh.get_number_of_edges();
    for (int e = 0; e < edges; ++e) {
        const int v0 = mesh.edge(e).get_v0();
        if (mesh.face_of_edge_a(e, v0, true) == -1 || mesh.face_of_edge_b(e, v0, true) == -1) open.push_back(e);
    }
    if (open.empty()) return;
    if (!scene.is_modify_mode() || scene.get_selection_mode() != kx::sdk::edge_selection) {
        Mark.mark(*current_polygon.shape, mark_request::EDGES, static_cast<int>(open.size()), open.data(), false);
        return;
    }
    scene.inhibit_update();
    polygon_scope::closer allow([&] { scene.allow_update(); });
    for (int e : open) mesh.edge(e).set_active(true);
}

void symmetry_window::select_useless_edges(scene_interface& scene) {
    if (!is_polygon || !current_polygon.mesh) return;
    scene.inhibit_update();
    polygon_scope::closer allow([&] { scene.allow_update(); });
    if (scene.get_selection_mode() != kx::sdk::edge_selection) scene.set_selection_mode(kx::sdk::edge_selection);
    const float face_angle = value_or(controls.face_angle_limit, default_face_angle);
    const float side_angle = value_or(controls.side_angle_limit, default_side_angle);
    if (!current_polygon.select_useless_edges(face_angle, side_angle)) {
        if (settings.verbose) show("No conform edges.");
    } else if (!scene.is_modify_mode()) {
        scene.enter_modify_mode();
    }
}

void symmetry_window::marked_edges_to_lines(scene_interface& scene) {
    if (!Mark.component || !is_polygon || !current_polygon.mesh) return;
    const std::pair<int, const int*> marks = Mark.get_mark(*current_polygon.shape, mark_request::EDGES);
    if (marks.first == 0) {
        if (settings.verbose) show("No Marked line.");
        return;
    }
    marked_edges_to_line::make_lines(&scene, current_polygon, marks.second, marks.first);
}

// ---- element tools ----------------------------------------------------------------

void symmetry_window::find_nearest_pair(scene_interface&) {
    if (!reselect(*this)) return;
    const Polygon_class::vertices_pair pair = current_polygon.find_first_near_vertices_pair();
    nearest.first = pair.first;
    nearest.second = pair.second;
    nearest.distance = pair.distance;
    if (pair.first < 0) return;
    modify_vertex();
    current_polygon.select_vertices(std::vector<int>{pair.first, pair.second});
    if (number_class* shown = controls.distance_value) {
        shown->set_decimals(4);
        shown->set_value(pair.distance);
        shown->set_shown(true);
        shown->invalidate();
    }
}

void symmetry_window::reduse_pair_vertices(scene_interface& scene) {
    if (scene.get_selection_mode() != kx::sdk::vertex_selection || !scene.is_modify_mode()) return;
    if (!is_polygon || !current_polygon.mesh) return;
    polygon_mesh_class& mesh = *current_polygon.mesh;
    std::vector<int> selected;
    if (current_polygon.get_active_vertices(selected) != 2) return;

    // Partners come from the pairing drawn in modify mode, and only while it
    // is this shape's pairing and its table still numbers this mesh's
    // vertices; otherwise they would name unrelated vertices.
    twinel_class* pairing = CSym && CSym == current_twinel ? CSym : nullptr;
    if (pairing && pairing->vertex_table.size() != mesh.get_number_of_vertices()) pairing = nullptr;
    const int pa = pairing ? pairing->vertex_table.partner(selected[0]) : -1;
    const int pb = pairing ? pairing->vertex_table.partner(selected[1]) : -1;
    if (pa < 0 || pb < 0) {
        scene.merge_selected_vertices();
        mesh.reduce_duplicated_vertices();
        start_trigger(&scene, false);
        return;
    }
    {
        const flag_guard hold(busy);
        merge_with_partners(scene, mesh, selected[0], selected[1], pa, pb);
        mesh.reduce_duplicated_vertices();
        remake_vertices_link();
        if (pairing->vertex_table.unmatched == 0) remake_faces_link();
    }
    start_trigger(&scene, false);
}
