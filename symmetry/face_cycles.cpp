#include "symmetry/face_cycles.h"

#include <algorithm>

#include "frame/sdk/polygon_mesh.h"
#include "mesh/mesh_analysis.h"

std::vector<int> vertex_list(face_class& f) {
    std::vector<int> list(static_cast<std::size_t>(std::max(f.get_number_of_vertices(), 0)));
    if (!list.empty()) f.get_vertex_indices(list.data());
    return list;
}

face_buffer read_face_buffer(polygon_mesh_class& mesh) {
    face_buffer faces;
    korvo_polygon::read_faces(mesh, faces.start, faces.corners);
    return faces;
}

vertex_faces::vertex_faces(const face_buffer& buffer, int vertices)
    : start(static_cast<std::size_t>(std::max(vertices, 0)) + 1, 0) {
    const auto inside = [vertices](int v) { return v >= 0 && v < vertices; };
    for (int v : buffer.corners)
        if (inside(v)) ++start[static_cast<std::size_t>(v) + 1];
    for (std::size_t v = 1; v < start.size(); ++v) start[v] += start[v - 1];
    faces.resize(static_cast<std::size_t>(start.back()));
    std::vector<int> next(start.begin(), start.end() - 1);
    for (int f = 0; f < buffer.size(); ++f) {
        const int* corners = buffer.vertices(f);
        for (int k = 0; k < buffer.count(f); ++k)
            if (inside(corners[k])) faces[static_cast<std::size_t>(next[static_cast<std::size_t>(corners[k])]++)] = f;
    }
}

int vertex_faces::count(int v) const {
    if (v < 0 || v + 1 >= static_cast<int>(start.size())) return 0;
    return start[static_cast<std::size_t>(v) + 1] - start[static_cast<std::size_t>(v)];
}

int rarest_vertex(const std::vector<int>& list, const vertex_faces& at) {
    int best = -1, fewest = 0;
    for (int v : list) {
        if (v < 0 || v + 1 >= static_cast<int>(at.start.size())) return -1;
        const int c = at.count(v);
        if (best < 0 || c < fewest) {
            best = v;
            fewest = c;
        }
    }
    return best;
}

std::uint32_t face_key(const int* vertices, int n, const Interconnection_class& table) {
    std::uint32_t key = 0;
    for (int k = 0; k < n; ++k)
        key += static_cast<std::uint32_t>(vertices[k]) + static_cast<std::uint32_t>(table.partner(vertices[k]));
    return key;
}

bool same_rotation(const int* face, int nf, const int* list, int nl) {
    if (nf != nl || nf == 0) return false;
    const int* at = std::find(list, list + nl, face[0]);
    if (at == list + nl) return false;
    int k = static_cast<int>(at - list);
    for (int j = 1; j < nf; ++j) {
        if (++k == nl) k = 0;
        if (face[j] != list[k]) return false;
    }
    return true;
}

void mirror_list(const int* vertices, int n, const Interconnection_class& table, std::vector<int>& out) {
    out.resize(static_cast<std::size_t>(std::max(n, 0)));
    for (int k = 0; k < n; ++k) out[static_cast<std::size_t>(n - 1 - k)] = table.partner(vertices[k]);
}

bool has_unpaired_vertex(const std::vector<int>& list) {
    return std::find(list.begin(), list.end(), -1) != list.end();
}
