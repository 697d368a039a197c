// Edge queries of Polygon_class: edges by their end vertices, the selected
// edges, and the faces on the two sides of each edge.
#include <algorithm>
#include <stdexcept>

#include "mesh/polygon_class.h"
#include "mesh/polygon_scope.h"

namespace {

// Whether both ends of an edge occur in the vertex list, with the list
// searched as a sorted list is: lo from the start up to the first entry
// above lo, hi from the entry after lo's up to the first entry above hi.
// Used for lists that are not ascending, where a binary search would give
// different answers.
bool ends_listed_by_scan(const int* list, int n, int lo, int hi) {
    int i = 0;
    while (i < n && list[i] <= lo && list[i] != lo) ++i;
    if (i == n || list[i] != lo) return false;
    for (int j = i + 1; j < n && list[j] <= hi; ++j)
        if (list[j] == hi) return true;
    return false;
}

// The same answer for an ascending list, by binary search.
bool ends_listed_sorted(const int* list, int n, int lo, int hi) {
    const int* end = list + n;
    const int* at_lo = std::lower_bound(list, end, lo);
    if (at_lo == end || *at_lo != lo) return false;
    const int* at_hi = std::lower_bound(at_lo + 1, end, hi);
    return at_hi != end && *at_hi == hi;
}

void add_edge(std::set<int>& out, int e) { out.insert(e); }
void add_edge(std::vector<int>& out, int e) { out.push_back(e); }

template <class Out>
int edges_by_vertices(polygon_mesh_class& mesh, const Array<int>& vertices, Out& out, bool clear) {
    if (clear) out.clear();
    const int* list = vertices.data();
    const int n = vertices.size();
    const bool ascending = std::is_sorted(list, list + n);
    const int edges = mesh.get_number_of_edges();
    for (int e = 0; e < edges; ++e) {
        const edge_class& edge = mesh.edge(e);
        const int v0 = edge.get_v0();
        const int v1 = edge.get_v1();
        const int lo = std::min(v0, v1);
        const int hi = std::max(v0, v1);
        if (ascending ? ends_listed_sorted(list, n, lo, hi) : ends_listed_by_scan(list, n, lo, hi)) add_edge(out, e);
    }
    return static_cast<int>(out.size());
}

template <class Out>
void selected_edges(Polygon_class& p, Out& out, int mode) {
    out.clear();
    polygon_mesh_class& mesh = *p.mesh;
    if (mode == 1) {
        const int edges = mesh.get_number_of_edges();
        for (int e = 0; e < edges; ++e)
            if (mesh.edge(e).get_active()) add_edge(out, e);
        return;
    }
    const int selected = mesh.get_number_of_active_vertices();
    if (selected < 2) return;
    Array<int> vertices(selected);
    mesh.get_active_vertex_indices(vertices.data());
    p.get_edges_by_vertices(vertices, out, true);
}

}  // namespace

int Polygon_class::get_edges_by_vertices(const Array<int>& vertices, std::set<int>& out, bool clear) {
    return edges_by_vertices(*mesh, vertices, out, clear);
}

int Polygon_class::get_edges_by_vertices(const Array<int>& vertices, std::vector<int>& out, bool clear) {
    return edges_by_vertices(*mesh, vertices, out, clear);
}

void Polygon_class::active_edges(std::set<int>& out, int mode) { selected_edges(*this, out, mode); }

void Polygon_class::active_edges(std::vector<int>& out, int mode) { selected_edges(*this, out, mode); }

template <class Edges>
void Polygon_class::faces_pair_by_edges(const Edges& edges, int count, Array<int>& face_a, Array<int>& face_b,
                                        Array<bool>* fresh, bool flag) {
    if (face_a.size() < count || face_b.size() < count || (fresh && fresh->size() < count))
        throw std::invalid_argument("face pair lists shorter than the edge list");
    // Faces produced so far in this call; an edge's pair is fresh when both
    // of its faces are new here (a missing face, -1, counts like a face).
    std::set<int> seen;
    mesh->begin_face_of_edge();
    polygon_scope::closer end([&] { mesh->end_face_of_edge(); });
    int k = 0;
    for (int e : edges) {
        const int v0 = mesh->edge(e).get_v0();
        face_b[k] = mesh->face_of_edge_b(e, v0, flag);
        face_a[k] = mesh->face_of_edge_a(e, v0, flag);
        if (fresh) {
            const std::size_t before = seen.size();
            seen.insert(face_b[k]);
            seen.insert(face_a[k]);
            (*fresh)[k] = seen.size() == before + 2;
        }
        ++k;
    }
}

void Polygon_class::get_faces_pair_by_edges(const std::vector<int>& edges, Array<int>& face_a, Array<int>& face_b,
                                            Array<bool>* fresh, bool flag) {
    faces_pair_by_edges(edges, static_cast<int>(edges.size()), face_a, face_b, fresh, flag);
}

void Polygon_class::get_faces_pair_by_edges(const Array<int>& edges, Array<int>& face_a, Array<int>& face_b,
                                            Array<bool>* fresh, bool flag) {
    faces_pair_by_edges(edges, edges.size(), face_a, face_b, fresh, flag);
}

void Polygon_class::get_faces_pair_by_edges(const std::set<int>& edges, Array<int>& face_a, Array<int>& face_b,
                                            Array<bool>* fresh, bool flag) {
    faces_pair_by_edges(edges, static_cast<int>(edges.size()), face_a, face_b, fresh, flag);
}
