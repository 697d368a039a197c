// Removal operations of Polygon_class: edges with the faces beside them
// (joining two triangles into a quadrilateral on request), and invalid faces.
#include <algorithm>
#include <array>
#include <cstdint>
#include <stdexcept>
#include <unordered_map>
#include <vector>

#include "frame/sdk/polygon_mesh.h"
#include "mesh/face_class.h"
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

// Where an edge has a face on one side only, another face may still hold
// the edge running the same way: the two are wound opposite ways. Removing
// the edge would then delete the one face found and leave the other
// without it. The other face is taken as the missing side instead and
// turned round, so that the edge's faces are joined (with the winding of
// the face found) or removed together, as for faces wound alike. A face
// that other edges of the call also name is not turned round (their sides
// would change); its edge then removes both faces without joining them.
template <class Edges>
void turn_opposite_faces(polygon_mesh_class& mesh, const Edges& edges, Array<int>& face_a, Array<int>& face_b,
                         std::vector<bool>& joinable) {
    // The directed side each one-sided edge's face runs along, by edge.
    std::unordered_map<std::int64_t, std::vector<int>> wanted;
    const auto key = [](int from, int to) {
        return (static_cast<std::int64_t>(from) << 32) | static_cast<std::uint32_t>(to);
    };
    std::vector<std::array<int, 2>> ends;
    int k = 0;
    for (int e : edges) {
        const edge_class& edge = mesh.edge(e);
        ends.push_back({edge.get_v0(), edge.get_v1()});
        // Side A runs from v1 to v0, side B from v0 to v1.
        if ((face_a[k] >= 0) != (face_b[k] >= 0)) {
            const auto& v = ends.back();
            wanted[face_a[k] >= 0 ? key(v[1], v[0]) : key(v[0], v[1])].push_back(k);
        }
        ++k;
    }
    if (wanted.empty()) return;
    std::vector<int> corners;
    const int faces = mesh.get_number_of_faces();
    for (int f = 0; f < faces; ++f) {
        face_class& face = mesh.face(f);
        const int n = face.get_number_of_vertices();
        if (n < 2) continue;
        corners.resize(static_cast<std::size_t>(n));
        face.get_vertex_indices(corners.data());
        for (int i = 0; i < n; ++i) {
            const auto it = wanted.find(key(corners[static_cast<std::size_t>(i)],
                                            corners[static_cast<std::size_t>((i + 1) % n)]));
            if (it == wanted.end()) continue;
            for (int j : it->second) {
                int& missing = face_a[j] >= 0 ? face_b[j] : face_a[j];
                const int found = face_a[j] >= 0 ? face_a[j] : face_b[j];
                if (missing < 0 && found != f) missing = f;
            }
        }
    }
    // How often each face is named, to tell which may be turned round.
    std::unordered_map<int, int> named;
    for (int j = 0; j < k; ++j) {
        if (face_a[j] >= 0) ++named[face_a[j]];
        if (face_b[j] >= 0) ++named[face_b[j]];
    }
    for (const auto& w : wanted) {
        for (int j : w.second) {
            if (face_a[j] < 0 || face_b[j] < 0) continue;
            // The face found first along the side is the one added here.
            const int added = key(ends[static_cast<std::size_t>(j)][1], ends[static_cast<std::size_t>(j)][0]) == w.first
                                  ? face_b[j]
                                  : face_a[j];
            if (named[added] != 1) {
                joinable[static_cast<std::size_t>(j)] = false;
                continue;
            }
            face_class& face = mesh.face(added);
            Face_class turned(face);
            turned.reverse();
            turned.set(face, face_uv::both);
        }
    }
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
    get_faces_pair_by_edges(edges, face_a, face_b, nullptr, false);
    std::vector<bool> joinable(static_cast<std::size_t>(count), true);
    turn_opposite_faces(*mesh, edges, face_a, face_b, joinable);
    Array<bool> fresh(reface ? count : 0);
    if (reface) {
        // An edge's two faces are joined only when both are new in this
        // call (a missing face, -1, counts like a face).
        std::set<int> seen;
        for (int k = 0; k < count; ++k) {
            const std::size_t before = seen.size();
            seen.insert(face_b[k]);
            seen.insert(face_a[k]);
            fresh[k] = seen.size() == before + 2 && joinable[static_cast<std::size_t>(k)];
        }
    }
    remove_edges_batch(edges, count, face_a, face_b, removed, reface ? &fresh : nullptr);
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
