// Removal operations of Polygon_class: edges with the faces beside them
// (joining two triangles into a quadrilateral on request), and invalid faces.
#include <algorithm>
#include <stdexcept>
#include <vector>

#include "mesh/polygon_class.h"
#include "mesh/polygon_scope.h"

namespace {

void record(std::set<int>* removed, int face) {
    if (removed) removed->insert(face);
}

// Whether a face with these corners is invalid: fewer than 3 corners, or one
// vertex at two corners (anywhere, not only at neighbouring ones).
bool invalid_corners(std::vector<int>& corners) {
    const std::size_t n = corners.size();
    if (n < 3) return true;
    if (n <= 16) {
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = i + 1; j < n; ++j)
                if (corners[i] == corners[j]) return true;
        return false;
    }
    std::sort(corners.begin(), corners.end());
    return std::adjacent_find(corners.begin(), corners.end()) != corners.end();
}

}  // namespace

void Polygon_class::remove_edge(int edge, int face_a, int face_b, std::set<int>* removed, bool reface) {
    const edge_class& e = mesh->edge(edge);
    const int v0 = e.get_v0();
    const int v1 = e.get_v1();
    const bool has_a = face_a >= 0;
    const bool has_b = face_b >= 0;
    if (has_a != has_b) {
        const int face = has_a ? face_a : face_b;
        mesh->remove_face(face);
        record(removed, face);
    } else if (has_a) {
        if (reface && mesh->face(face_a).get_number_of_vertices() == 3 &&
            mesh->face(face_b).get_number_of_vertices() == 3) {
            combine_face(face_a, face_b, v0, v1);
            mesh->remove_face(face_b);
            record(removed, face_b);
        } else {
            mesh->remove_face(std::max(face_a, face_b));
            mesh->remove_face(std::min(face_a, face_b));
            record(removed, face_a);
            record(removed, face_b);
        }
    }
    mesh->remove_edge(edge);
}

template <class Edges>
void Polygon_class::remove_edges_batch(const Edges& edges, int count, const Array<int>& face_a,
                                       const Array<int>& face_b, std::set<int>* removed,
                                       const Array<bool>* reface) {
    if (face_a.size() < count || face_b.size() < count || (reface && reface->size() < count))
        throw std::invalid_argument("face pair lists shorter than the edge list");
    shape->begin_modification();
    polygon_scope::closer end_modification([&] { shape->end_modification(); });
    // Edge batch first, face batch second; closed in the opposite order.
    mesh->begin_removing_edges();
    polygon_scope::closer end_edges([&] { mesh->end_removing_edges(); });
    mesh->begin_removing_faces();
    polygon_scope::closer end_faces([&] { mesh->end_removing_faces(); });
    int k = 0;
    for (int e : edges) {
        remove_edge(e, face_a[k], face_b[k], removed, reface ? (*reface)[k] : false);
        ++k;
    }
}

template <class Edges>
void Polygon_class::remove_edges_complete(const Edges& edges, int count, bool reface, std::set<int>* removed) {
    if (removed) removed->clear();
    Array<int> face_a(count);
    Array<int> face_b(count);
    Array<bool> fresh(reface ? count : 0);
    Array<bool>* flags = reface ? &fresh : nullptr;
    get_faces_pair_by_edges(edges, face_a, face_b, flags, false);
    remove_edges_batch(edges, count, face_a, face_b, removed, flags);
}

void Polygon_class::remove_edges(const std::set<int>& edges, const Array<int>& face_a, const Array<int>& face_b,
                                 std::set<int>* removed, const Array<bool>* reface) {
    remove_edges_batch(edges, static_cast<int>(edges.size()), face_a, face_b, removed, reface);
}

void Polygon_class::remove_edges(const std::vector<int>& edges, const Array<int>& face_a,
                                 const Array<int>& face_b, std::set<int>* removed, const Array<bool>* reface) {
    remove_edges_batch(edges, static_cast<int>(edges.size()), face_a, face_b, removed, reface);
}

void Polygon_class::remove_edges(const std::set<int>& edges, bool reface, std::set<int>* removed) {
    remove_edges_complete(edges, static_cast<int>(edges.size()), reface, removed);
}

void Polygon_class::remove_edges(const std::vector<int>& edges, bool reface, std::set<int>* removed) {
    remove_edges_complete(edges, static_cast<int>(edges.size()), reface, removed);
}

int Polygon_class::remove_invalide_faces() {
    std::vector<int> invalid;
    std::vector<int> corners;
    const int count = mesh->get_number_of_faces();
    for (int f = 0; f < count; ++f) {
        const face_class& face = mesh->face(f);
        const int n = face.get_number_of_vertices();
        corners.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        if (n > 0) face.get_vertex_indices(corners.data());
        if (invalid_corners(corners)) invalid.push_back(f);
    }
    if (invalid.empty()) return 0;
    mesh->begin_removing_faces();
    polygon_scope::closer end([&] { mesh->end_removing_faces(); });
    for (int f : invalid) mesh->remove_face(f);
    return static_cast<int>(invalid.size());
}
