#include "mesh/mesh_analysis.h"

#include <algorithm>

namespace {

// Vertex lists longer than this get a sorted copy for their lookups; the
// lists of ordinary meshes (four to six edges) are scanned directly.
constexpr int long_list = 16;

bool is_vertex(int v, int count) { return v >= 0 && v < count; }

}  // namespace

// ---- edges_analizer --------------------------------------------------------

Polygon_class::edges_analizer::edges_analizer(Polygon_class& p) : polygon(p) {
    polygon_mesh_class& mesh = *p.mesh;
    const int vertices = std::max(p.shape->get_number_of_control_points(), 0);
    const int edges = mesh.get_number_of_edges();
    std::vector<vertex_edge> ends(static_cast<std::size_t>(edges));
    vertex_start_.assign(static_cast<std::size_t>(vertices) + 1, 0);
    for (int e = 0; e < edges; ++e) {
        const edge_class& edge = mesh.edge(e);
        vertex_edge& end = ends[static_cast<std::size_t>(e)];
        end = {edge.get_v0(), edge.get_v1()};
        if (is_vertex(end.first, vertices)) ++vertex_start_[static_cast<std::size_t>(end.first) + 1];
        if (is_vertex(end.second, vertices)) ++vertex_start_[static_cast<std::size_t>(end.second) + 1];
    }
    for (int v = 0; v < vertices; ++v)
        vertex_start_[static_cast<std::size_t>(v) + 1] += vertex_start_[static_cast<std::size_t>(v)];

    // Fill in ascending edge order, so each vertex's list is ascending too.
    vertex_edges_.resize(static_cast<std::size_t>(vertex_start_.back()));
    std::vector<int> next(vertex_start_.begin(), vertex_start_.end() - 1);
    for (int e = 0; e < edges; ++e) {
        const auto [a, b] = ends[static_cast<std::size_t>(e)];
        if (is_vertex(a, vertices)) vertex_edges_[static_cast<std::size_t>(next[static_cast<std::size_t>(a)]++)] = {b, e};
        if (is_vertex(b, vertices)) vertex_edges_[static_cast<std::size_t>(next[static_cast<std::size_t>(b)]++)] = {a, e};
    }

    for (int v = 0; v < vertices; ++v) {
        const list_view<vertex_edge> list = vertex_edges(v);
        if (list.size() <= long_list) continue;
        if (sorted_edges_.empty()) sorted_edges_.resize(vertex_edges_.size());
        const std::size_t at = static_cast<std::size_t>(vertex_start_[static_cast<std::size_t>(v)]);
        std::copy(list.begin(), list.end(), sorted_edges_.begin() + static_cast<std::ptrdiff_t>(at));
        std::sort(sorted_edges_.begin() + static_cast<std::ptrdiff_t>(at),
                  sorted_edges_.begin() + static_cast<std::ptrdiff_t>(at) + list.size());
    }

    edge_start_.assign(static_cast<std::size_t>(edges) + 1, 0);
}

list_view<Polygon_class::edges_analizer::vertex_edge> Polygon_class::edges_analizer::vertex_edges(int v) const {
    const vertex_edge* base = vertex_edges_.data();
    return {base + vertex_start_[static_cast<std::size_t>(v)], base + vertex_start_[static_cast<std::size_t>(v) + 1]};
}

list_view<int> Polygon_class::edges_analizer::edge_faces(int e) const {
    const int* base = edge_faces_.data();
    return {base + edge_start_[static_cast<std::size_t>(e)], base + edge_start_[static_cast<std::size_t>(e) + 1]};
}

int Polygon_class::edges_analizer::edge_between(int a, int b) const {
    if (!is_vertex(a, vertex_count())) return -1;
    const list_view<vertex_edge> list = vertex_edges(a);
    if (list.size() <= long_list) {
        for (const vertex_edge& ve : list)
            if (ve.first == b) return ve.second;
        return -1;
    }
    // The list is ascending by edge, so its first entry ending at b is the
    // lowest edge ending at b: the first (b, *) of the sorted copy.
    const std::ptrdiff_t at = vertex_start_[static_cast<std::size_t>(a)];
    const auto first = sorted_edges_.begin() + at;
    const auto last = first + list.size();
    const auto found = std::lower_bound(first, last, vertex_edge{b, -1});
    return found != last && found->first == b ? found->second : -1;
}

void Polygon_class::edges_analizer::setup_faces() {
    std::vector<int> face_start;
    std::vector<int> corners;
    korvo_polygon::read_faces(*polygon.mesh, face_start, corners);
    const int faces = static_cast<int>(face_start.size()) - 1;
    const int edges = edge_count();

    // The edge of every side (corner k to k + 1), -1 for a side without one.
    std::vector<int> side_edge(corners.size());
    edge_start_.assign(static_cast<std::size_t>(edges) + 1, 0);
    for (int f = 0; f < faces; ++f) {
        const int s = face_start[static_cast<std::size_t>(f)];
        const int n = face_start[static_cast<std::size_t>(f) + 1] - s;
        for (int k = 0; k < n; ++k) {
            const int a = corners[static_cast<std::size_t>(s + k)];
            const int b = corners[static_cast<std::size_t>(s + (k + 1) % n)];
            const int e = edge_between(a, b);
            side_edge[static_cast<std::size_t>(s + k)] = e;
            if (e >= 0) ++edge_start_[static_cast<std::size_t>(e) + 1];
        }
    }
    for (int e = 0; e < edges; ++e) edge_start_[static_cast<std::size_t>(e) + 1] += edge_start_[static_cast<std::size_t>(e)];

    // Fill in face order, so each edge lists its faces ascending.
    edge_faces_.resize(static_cast<std::size_t>(edge_start_.back()));
    std::vector<int> next(edge_start_.begin(), edge_start_.end() - 1);
    for (int f = 0; f < faces; ++f)
        for (int c = face_start[static_cast<std::size_t>(f)]; c < face_start[static_cast<std::size_t>(f) + 1]; ++c) {
            const int e = side_edge[static_cast<std::size_t>(c)];
            if (e >= 0) edge_faces_[static_cast<std::size_t>(next[static_cast<std::size_t>(e)]++)] = f;
        }
}

// ---- face corners ----------------------------------------------------------

void korvo_polygon::read_faces(polygon_mesh_class& mesh, std::vector<int>& start, std::vector<int>& corners) {
    const int faces = mesh.get_number_of_faces();
    start.assign(static_cast<std::size_t>(faces) + 1, 0);
    corners.clear();
    corners.reserve(static_cast<std::size_t>(faces) * 4);
    for (int f = 0; f < faces; ++f) {
        const face_class& face = mesh.face(f);
        const int n = std::max(face.get_number_of_vertices(), 0);
        const std::size_t at = corners.size();
        corners.resize(at + static_cast<std::size_t>(n));
        if (n > 0) face.get_vertex_indices(corners.data() + at);
        start[static_cast<std::size_t>(f) + 1] = static_cast<int>(corners.size());
    }
}

// ---- searches --------------------------------------------------------------

void Polygon_class::get_trident_faces(std::vector<int>& faces, std::vector<int>& edges) {
    faces.clear();
    edges.clear();
    edges_analizer analyser(*this);
    analyser.setup_faces();
    for (int e = 0; e < analyser.edge_count(); ++e) {
        const list_view<int> on_edge = analyser.edge_faces(e);
        if (on_edge.size() <= 2) continue;
        edges.push_back(e);
        faces.insert(faces.end(), on_edge.begin(), on_edge.end());
    }
}

int Polygon_class::get_over4_faces(std::vector<int>& faces) {
    faces.clear();
    const int count = mesh->get_number_of_faces();
    for (int f = 0; f < count; ++f)
        if (mesh->face(f).get_number_of_vertices() > 4) faces.push_back(f);
    return static_cast<int>(faces.size());
}
