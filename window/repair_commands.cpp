// The Repair page: cleaning a polygon mesh before it is paired. The steps
// are host mesh operations and the mesh analyses; what lives here is how
// the window drives them, selects or marks what they find, and reports it
// with the numbered messages of the message table.
#include <initializer_list>
#include <string>
#include <vector>

#include <boost/format.hpp>

#include "frame/globals.h"
#include "frame/sdk/korvo.h"
#include "frame/sdk/polygon_mesh.h"
#include "frame/sdk/scene.h"
#include "mesh/polygon_scope.h"
#include "window/message_table.h"
#include "window/symmetry_window.h"

namespace {

// Entries of the message table the Repair page shows.
namespace message {
constexpr int no_abnormal_faces = 1;
constexpr int removed_invalid_faces = 2;      // %7i faces removed
constexpr int over4_faces_found = 9;          // %7i faces
constexpr int no_inverted_faces = 16;
constexpr int overlapped_faces_found = 17;    // %6i faces
constexpr int no_overlapped_faces = 18;
constexpr int trident_faces_found = 19;       // %6i faces, %6i edges
constexpr int no_trident_faces = 20;
constexpr int no_over4_faces = 21;
}  // namespace message

// Table entry `index` filled with `args`. A translation whose directives do
// not match the arguments shows what it can rather than throwing.
template <class... Args>
std::string table_text(int index, Args... args) {
    boost::format text(table_message(index));
    text.exceptions(boost::io::all_error_bits ^ (boost::io::too_many_args_bit | boost::io::too_few_args_bit));
    (void)std::initializer_list<int>{(text % args, 0)...};
    return text.str();
}

}  // namespace

// ---- the steps ------------------------------------------------------------------

void symmetry_window::run_checked_repairs(scene_interface& scene) {
    if (repair.reduce_vertices) {
        reduce_duplicated_vertices();
        start_trigger(&scene, false);
    }
    if (repair.make_edges) remake_all_edges();
    if (repair.face_directions) adjust_face_direction(scene);
    if (repair.invalid_faces) remove_invalide_faces();
    if (repair.overlapped_faces) sel_overlaped_faces(scene);
    if (repair.trident_faces) sel_trident_faces(scene);
    if (repair.over4_faces) mark_over4_faces(true);
}

void symmetry_window::reduce_duplicated_vertices() {
    if (is_polygon && current_polygon.mesh) current_polygon.mesh->reduce_duplicated_vertices();
}

void symmetry_window::remake_all_edges() {
    if (is_polygon && current_polygon.mesh) current_polygon.mesh->rebuild_edges();
}

void symmetry_window::remove_invalide_faces() {
    if (!is_polygon || !current_polygon.mesh) return;
    const int removed = current_polygon.remove_invalide_faces();
    if (!settings.verbose) return;
    if (removed < 1)
        host.show_message(table_message(message::no_abnormal_faces), false);
    else
        host.show_message(table_text(message::removed_invalid_faces, removed).c_str(), false);
}

void symmetry_window::sel_overlaped_faces(scene_interface& scene) {
    if (!is_polygon || !current_polygon.mesh) return;
    std::vector<int> faces;
    current_polygon.get_redundant_faces(faces);
    if (!faces.empty()) {
        sel_faces(scene, faces);
        // The user has to deal with these, so the count shows even without
        // verbose.
        host.show_message(
            table_text(message::overlapped_faces_found, static_cast<int>(faces.size())).c_str(), false);
    } else if (settings.verbose) {
        host.show_message(table_message(message::no_overlapped_faces), false);
    }
}

void symmetry_window::sel_trident_faces(scene_interface& scene) {
    if (!is_polygon || !current_polygon.mesh) return;
    trident_cursor = -1;
    std::vector<int> edges;
    current_polygon.get_trident_faces(trident_faces, edges);
    if (trident_faces.empty()) {
        if (settings.verbose) host.show_message(table_message(message::no_trident_faces), false);
        return;
    }
    sel_faces(scene, trident_faces);
    mark_line(edges, false);
    if (settings.verbose)
        host.show_message(table_text(message::trident_faces_found, static_cast<int>(trident_faces.size()),
                                     static_cast<int>(edges.size()))
                              .c_str(),
                          false);
    // Without reset, so that "next" can step through the list.
    start_trigger(&scene, false);
}

void symmetry_window::next_trident_face(scene_interface& scene) {
    if (!is_polygon || !current_polygon.mesh) return;
    if (trident_faces.empty() || !scene.is_modify_mode()) return;
    const int size = static_cast<int>(trident_faces.size());
    trident_cursor = trident_cursor < 0 || trident_cursor + 1 >= size ? 0 : trident_cursor + 1;
    const int face = trident_faces[static_cast<std::size_t>(trident_cursor)];
    if (face < current_polygon.mesh->get_number_of_faces())
        sel_face(scene, face);
    else
        start_trigger(&scene, true);  // the mesh changed since the search: forget the list
}

void symmetry_window::mark_over4_faces(bool) {
    if (!is_polygon || !current_polygon.mesh) return;
    std::vector<int> faces;
    current_polygon.get_over4_faces(faces);
    if (!faces.empty()) {
        mark_face(faces, false);
        if (settings.verbose)
            host.show_message(table_text(message::over4_faces_found, static_cast<int>(faces.size())).c_str(),
                              false);
    } else if (settings.verbose) {
        host.show_message(table_message(message::no_over4_faces), false);
    }
}

void symmetry_window::adjust_face_direction(scene_interface&) {
    if (!is_polygon || !current_polygon.mesh) return;
    polygon_mesh_class& mesh = *current_polygon.mesh;
    if (!mesh.check_face_directions())
        mesh.adjust_face_directions();
    else if (settings.verbose)
        host.show_message(table_message(message::no_inverted_faces), false);
}

// ---- selection and marks ----------------------------------------------------------

void symmetry_window::sel_face(scene_interface& scene, int face) { sel_faces(scene, std::vector<int>{face}); }

void symmetry_window::sel_faces(scene_interface& scene, const std::vector<int>& faces) {
    if (!is_polygon || !current_polygon.mesh) return;
    polygon_mesh_class& mesh = *current_polygon.mesh;
    if (scene.get_selection_mode() != kx::sdk::face_selection) scene.set_selection_mode(kx::sdk::face_selection);
    if (!scene.is_modify_mode()) scene.enter_modify_mode();
    scene.inhibit_update();
    polygon_scope::closer allow([&] { scene.allow_update(); });
    const int count = mesh.get_number_of_faces();
    for (int f = 0; f < count; ++f) mesh.face(f).set_active(false);
    for (int f : faces)
        if (f >= 0 && f < count) mesh.face(f).set_active(true);
}

void symmetry_window::mark_line(const std::vector<int>& edges, bool) {
    if (!Mark.component || !current_shape.shape) return;
    Mark.mark(*current_shape.shape, mark_request::EDGES, static_cast<int>(edges.size()), edges.data(), false);
}

void symmetry_window::mark_face(const std::vector<int>& faces, bool) {
    if (!Mark.component || !current_shape.shape) return;
    Mark.mark(*current_shape.shape, mark_request::FACES, static_cast<int>(faces.size()), faces.data(), false);
}
