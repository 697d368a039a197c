#include "symmetry/unmatched_face_pairs.h"

#include <algorithm>
#include <unordered_map>

#include "frame/sdk/polygon_mesh.h"
#include "mesh/mesh_analysis.h"
#include "symmetry/face_cycles.h"

namespace {

bool is_face(polygon_mesh_class& mesh, int face) { return face >= 0 && face < mesh.get_number_of_faces(); }

// Whether the cycle `small` occurs in order within the cycle `large`.
bool occurs_in(const std::vector<int>& small, const std::vector<int>& large) {
    return korvo_polygon::is_in({small.data(), static_cast<int>(small.size()), false},
                                {large.data(), static_cast<int>(large.size()), false});
}

// One pair of the walk. Returns the face it rebuilt (a or b), or -1.
int pair_faces(polygon_mesh_class& mesh, const Interconnection_class& vertex_table,
               Interconnection_class& face_table, int a, int b, std::vector<int>& mirror_a,
               std::vector<int>& mirror_b) {
    if (!is_face(mesh, a) || !is_face(mesh, b)) return -1;
    const std::vector<int> va = vertex_list(mesh.face(a));
    const std::vector<int> vb = vertex_list(mesh.face(b));
    mirror_list(va.data(), static_cast<int>(va.size()), vertex_table, mirror_a);
    // The face with fewer corners becomes the exact mirror of the other; a
    // mirror list naming an unpaired vertex is never written.
    int rebuilt;
    if (va.size() < vb.size()) {
        if (!occurs_in(mirror_a, vb)) return -1;
        mirror_list(vb.data(), static_cast<int>(vb.size()), vertex_table, mirror_b);
        if (has_unpaired_vertex(mirror_b)) return -1;
        mesh.face(a).set_vertex_indices(static_cast<int>(mirror_b.size()), mirror_b.data());
        rebuilt = a;
    } else {
        if (!occurs_in(vb, mirror_a) || has_unpaired_vertex(mirror_a)) return -1;
        mesh.face(b).set_vertex_indices(static_cast<int>(mirror_a.size()), mirror_a.data());
        rebuilt = b;
    }
    face_table.link(a, b);
    return rebuilt;
}

}  // namespace

void pair_unmatched_faces(polygon_mesh_class& mesh, const Interconnection_class& vertex_table,
                          Interconnection_class& face_table, const std::vector<int>& faces, std::size_t index_from) {
    std::vector<int> mirror_a, mirror_b;
    if (faces.size() < index_from) {
        for (std::size_t x = 0; x < faces.size(); ++x)
            for (std::size_t y = x + 1; y < faces.size(); ++y)
                pair_faces(mesh, vertex_table, face_table, faces[x], faces[y], mirror_a, mirror_b);
        return;
    }

    // Vertex value -> list positions whose face holds it. Entries are only
    // ever added (a rebuilt face adds its new values at every position it
    // holds); stale ones cost a pair that the walk's test rejects.
    std::unordered_map<int, std::vector<int>> at_value;
    std::unordered_map<int, std::vector<int>> positions_of;
    const auto index = [&](int position, const std::vector<int>& values) {
        for (int v : values) at_value[v].push_back(position);
    };
    for (std::size_t y = 0; y < faces.size(); ++y) {
        const int f = faces[y];
        if (!is_face(mesh, f)) continue;
        positions_of[f].push_back(static_cast<int>(y));
        index(static_cast<int>(y), vertex_list(mesh.face(f)));
    }

    std::vector<int> later;
    for (std::size_t x = 0; x < faces.size(); ++x) {
        const int a = faces[x];
        if (!is_face(mesh, a)) continue;
        // The later positions that can act with a, from `after` on.
        const auto gather = [&](int after) {
            later.clear();
            const std::vector<int> va = vertex_list(mesh.face(a));
            mirror_list(va.data(), static_cast<int>(va.size()), vertex_table, mirror_a);
            if (mirror_a.empty()) return;
            const auto found = at_value.find(mirror_a[0]);
            if (found == at_value.end()) return;
            for (int y : found->second)
                if (y > after) later.push_back(y);
            std::sort(later.begin(), later.end());
            later.erase(std::unique(later.begin(), later.end()), later.end());
        };
        gather(static_cast<int>(x));
        for (std::size_t k = 0; k < later.size(); ++k) {
            const int y = later[k];
            const int rebuilt = pair_faces(mesh, vertex_table, face_table, a, faces[static_cast<std::size_t>(y)],
                                           mirror_a, mirror_b);
            if (rebuilt < 0) continue;
            const std::vector<int> now = vertex_list(mesh.face(rebuilt));
            for (int position : positions_of[rebuilt]) index(position, now);
            if (rebuilt == a) {
                // a's mirror list changed: the rest of its pairs follow the
                // new one.
                gather(y);
                k = static_cast<std::size_t>(-1);
            }
        }
    }
}
