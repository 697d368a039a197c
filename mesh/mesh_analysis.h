// The pieces of the mesh analyses of Polygon_class: the edge-face adjacency
// (edges_analizer) behind the three-connected-face search, and the face
// cycles and containment tests behind the overlapped-face search. All of
// them compare vertex indices only, never positions.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "mesh/polygon_class.h"

// A read-only run of elements inside one of the analysers' flat buffers.
template <class T>
struct list_view {
    const T* first = nullptr;
    const T* last = nullptr;
    const T* begin() const { return first; }
    const T* end() const { return last; }
    int size() const { return static_cast<int>(last - first); }
    bool empty() const { return first == last; }
    const T& operator[](int i) const { return first[i]; }
};

// Edge-face adjacency of one mesh, built on demand. Every list is held in
// one flat buffer with per-element offsets, so building it allocates a few
// arrays rather than one list per vertex or per edge.
class Polygon_class::edges_analizer {
public:
    using vertex_edge = std::pair<int, int>;  // (other vertex, edge index)

    Polygon_class& polygon;

    // Reads every edge of the mesh, ascending, and lists it at both ends:
    // (b, e) at a and (a, e) at b for an edge e from a to b (twice at a for
    // an edge from a to a). Sizes: the shape's vertex count, the mesh's edge
    // count; ends outside the vertex range are not listed. The edge-face
    // lists start empty.
    explicit edges_analizer(Polygon_class& p);

    // Fills the edge-face lists: for each face, ascending, and each side
    // (corner k to corner k + 1, cyclically), the face is appended to the
    // first edge of the side's first vertex that ends at its second vertex
    // (the lowest-indexed edge joining the two); a side without an edge adds
    // nothing. Replaces lists filled before.
    void setup_faces();

    int vertex_count() const { return static_cast<int>(vertex_start_.size()) - 1; }
    int edge_count() const { return static_cast<int>(edge_start_.size()) - 1; }
    // The edges ending at vertex v, in ascending edge order.
    list_view<vertex_edge> vertex_edges(int v) const;
    // The faces using edge e, in the order setup_faces found them (empty
    // before setup_faces).
    list_view<int> edge_faces(int e) const;
    // The first edge in a's list whose other end is b, or -1.
    int edge_between(int a, int b) const;

private:
    std::vector<int> vertex_start_;           // vertex v's edges: [start[v], start[v + 1])
    std::vector<vertex_edge> vertex_edges_;
    // Each long vertex list again, sorted by (other vertex, edge), so that
    // lookups at vertices with many edges take a binary search.
    std::vector<vertex_edge> sorted_edges_;
    std::vector<int> edge_start_;             // edge e's faces: [start[e], start[e + 1])
    std::vector<int> edge_faces_;
};

namespace korvo_polygon {

// A face's corner cycle in a flat buffer, read forwards or backwards.
struct cycle {
    const int* corners = nullptr;
    int size = 0;
    bool reversed = false;
    int operator[](int k) const { return reversed ? corners[size - 1 - k] : corners[k]; }
};

// One face during the overlap search: where its corners lie in the
// search's flat corner buffer, and whether it is still unreported.
struct face_work {
    int start = 0;      // first corner in the buffer
    int size = 0;       // number of corners
    bool alive = true;  // false once the face has been reported

    // The corners in winding order, and in reverse order
    // (reversed[n - 1 - k] = vertices[k]).
    cycle vertices(const int* buffer) const { return {buffer + start, size, false}; }
    cycle reversed(const int* buffer) const { return {buffer + start, size, true}; }
};

// Reads the corners of every face of `mesh` into one buffer: face f's
// corners are corners[start[f] .. start[f + 1]).
void read_faces(polygon_mesh_class& mesh, std::vector<int>& start, std::vector<int>& corners);

// is_in (see polygon_class.h) on cycles.
bool is_in(const cycle& small, const cycle& large);
// Whether two cycles of the same length are the same cycle: b, read
// forwards from its first corner equal to a[0], repeats a; or b read
// backwards does.
bool same_cycle(const cycle& a, const cycle& b);

}  // namespace korvo_polygon
