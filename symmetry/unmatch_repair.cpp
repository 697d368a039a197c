// Pairing by hand: what the palette's repair workflow does to a pairing when
// the user links two vertices or removes an element left without a partner.
#include <vector>

#include "frame/sdk/polygon_mesh.h"
#include "mesh/polygon_scope.h"
#include "symmetry/modification_bracket.h"
#include "symmetry/twinel_class.h"

namespace {

constexpr const char* remove_error = "remove_error";

// The faces that have vertex v at one of their corners, ascending.
std::vector<int> faces_at_vertex(polygon_mesh_class& mesh, int v) {
    std::vector<int> found;
    std::vector<int> corners;
    const int faces = mesh.get_number_of_faces();
    for (int f = 0; f < faces; ++f) {
        face_class& face = mesh.face(f);
        const int n = face.get_number_of_vertices();
        if (n < 1) continue;
        corners.resize(static_cast<std::size_t>(n));
        face.get_vertex_indices(corners.data());
        for (int c : corners) {
            if (c == v) {
                found.push_back(f);
                break;
            }
        }
    }
    return found;
}

}  // namespace

void twinel_class::vertex_link(int i, int j) {
    if (vertex_table.link(i, j) < 0) return;
    modification_bracket bracket(polygon.shape);
    sym_vertex(i);
}

const char* twinel_class::remove_unmatch_vertex(int i) {
    if (!polygon.mesh) return remove_error;
    polygon_mesh_class& mesh = *polygon.mesh;
    if (i < 0 || i >= vertex_table.size() || i >= mesh.get_number_of_vertices()) return remove_error;

    // The host deletes the faces that use the vertex along with it; their
    // entries must go from the face table in the same step, or the table
    // would describe faces that no longer exist.
    const std::vector<int> doomed = faces_at_vertex(mesh, i);
    const int faces_before = mesh.get_number_of_faces();
    vertex_table.reduse(i);
    try {
        mesh.begin_removing_vertices();
        polygon_scope::closer end([&] { mesh.end_removing_vertices(); });
        mesh.remove_vertex(i);
    } catch (...) {
        return "Twinel ERROR at removing vertices";
    }
    // Only faces the host really removed leave the table; a table that did
    // not match the mesh before is left for the next repair to notice.
    if (face_table.size() == faces_before &&
        mesh.get_number_of_faces() == faces_before - static_cast<int>(doomed.size()))
        face_table.reduse(doomed, false);
    edge_count = mesh.get_number_of_edges();
    return nullptr;
}

const char* twinel_class::remove_unmatch_face(int face) {
    if (!polygon.mesh) return remove_error;
    polygon_mesh_class& mesh = *polygon.mesh;
    if (face < 0 || face >= face_table.size() || face >= mesh.get_number_of_faces()) return remove_error;
    face_table.reduse(face);
    try {
        mesh.remove_face(face);
        mesh.rebuild_edges();
    } catch (...) {
        return "Twinel ERROR at removing faces";
    }
    edge_count = mesh.get_number_of_edges();
    return nullptr;
}
