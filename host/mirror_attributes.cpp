#include "host/mirror_attributes.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace host {
namespace {

std::uint64_t key_of(const vec3& p) {
    std::uint32_t b[3];
    for (int c = 0; c < 3; ++c) {
        const float v = p[c] == 0.0f ? 0.0f : p[c];  // -0 and +0 are one position
        std::memcpy(&b[c], &v, 4);
    }
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (std::uint32_t x : b) h = (h ^ x) * 0x100000001b3ULL;
    return h;
}

bool same_position(const vec3& a, const vec3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

vec3 mirrored(vec3 p, int axis) {
    p[axis] = -p[axis];
    return p;
}

}  // namespace

void inherit_mirror_attributes(mesh_data& m, int axis, int first_new_vertex, int first_new_face,
                               const std::vector<vec3>& positions_before) {
    mesh_extras& x = m.extras;
    const bool normals = !m.corner_normal.empty();
    if (!normals && x.vertex_flags.empty() && x.face_style.empty()) return;
    const int nv = m.vertex_count(), nf = m.face_count();

    // Each vertex's mirror partner, by exact position.
    std::unordered_multimap<std::uint64_t, int> at;
    at.reserve(static_cast<std::size_t>(nv));
    for (int v = 0; v < nv; ++v) at.emplace(key_of(m.positions[v]), v);
    std::vector<int> partner(static_cast<std::size_t>(nv), -1);
    for (int v = 0; v < nv; ++v) {
        const vec3 q = mirrored(m.positions[v], axis);
        const auto range = at.equal_range(key_of(q));
        for (auto it = range.first; it != range.second; ++it)
            if (same_position(m.positions[it->second], q)) {
                partner[v] = it->second;
                break;
            }
    }
    if (!x.vertex_flags.empty())
        for (int v = std::max(0, first_new_vertex); v < nv; ++v)
            if (const int p = partner[v]; p >= 0 && p < first_new_vertex) {
                x.vertex_flags[v] = x.vertex_flags[p];
                x.vertex_w[v] = x.vertex_w[p];
                x.vertex_color[v] = x.vertex_color[p];
            }

    // Faces by their sorted vertices, to find each face's mirror face.
    const auto sorted_vertices = [&](int f, bool mirror) {
        std::vector<int> vs(m.face_vertices(f), m.face_vertices(f) + m.face_size[f]);
        if (mirror)
            for (int& v : vs) v = partner[v];
        std::sort(vs.begin(), vs.end());
        return vs;
    };
    const auto hash_of = [](const std::vector<int>& vs) {
        std::uint64_t h = 0xcbf29ce484222325ULL;
        for (int v : vs) h = (h ^ static_cast<std::uint32_t>(v)) * 0x100000001b3ULL;
        return h;
    };
    std::vector<std::uint8_t> moved(static_cast<std::size_t>(nv), 0);
    for (int v = 0; v < nv && v < static_cast<int>(positions_before.size()); ++v)
        moved[v] = !same_position(positions_before[v], m.positions[v]);
    std::vector<int> wanted;  // faces that take something from their mirror
    for (int f = 0; f < nf; ++f) {
        bool want = f >= first_new_face;
        for (int k = 0; k < m.face_size[f] && !want; ++k) want = normals && moved[m.corner(f, k)];
        if (want) wanted.push_back(f);
    }
    if (wanted.empty()) return;
    std::unordered_multimap<std::uint64_t, int> faces;
    faces.reserve(static_cast<std::size_t>(nf));
    for (int f = 0; f < nf; ++f) faces.emplace(hash_of(sorted_vertices(f, false)), f);

    for (int f : wanted) {
        const int n = m.face_size[f];
        bool complete = n > 0;
        for (int k = 0; k < n && complete; ++k) complete = partner[m.corner(f, k)] >= 0;
        if (!complete) continue;
        const std::vector<int> want = sorted_vertices(f, true);
        int g = -1;
        const auto range = faces.equal_range(hash_of(want));
        for (auto it = range.first; it != range.second && g < 0; ++it)
            if (it->second != f && (it->second < first_new_face || f < first_new_face) &&
                sorted_vertices(it->second, false) == want)
                g = it->second;
        if (g < 0) continue;
        const bool is_new = f >= first_new_face;
        if (is_new && !x.face_style.empty()) x.face_style[f] = x.face_style[g];
        if (!normals || !m.face_has_normals[g]) continue;
        if (is_new) m.face_has_normals[f] = 1;
        if (!m.face_has_normals[f]) continue;
        const std::int32_t fs = m.face_start[f], gs = m.face_start[g];
        for (int k = 0; k < n; ++k) {
            const int v = m.corner(f, k);
            if (!is_new && !moved[v]) continue;
            for (int j = 0; j < m.face_size[g]; ++j)
                if (m.corner(g, j) == partner[v]) {
                    m.corner_normal[fs + k] = mirrored(m.corner_normal[gs + j], axis);
                    if (!x.corner_normal_source.empty()) x.corner_normal_source[fs + k] = -1;
                    break;
                }
        }
    }
}

}  // namespace host
