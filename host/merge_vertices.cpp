#include "host/merge_vertices.h"

#include <algorithm>
#include <set>
#include <utility>

#include "host/mesh_algorithms.h"

namespace host {
namespace {

// Rewrites face f after its corners moved to `target`: neighbouring equal
// corners collapse into the first of each run. Answers whether the face is
// still valid.
bool collapse_face(mesh_data& m, int f) {
    const std::size_t start = static_cast<std::size_t>(m.face_start[static_cast<std::size_t>(f)]);
    const int n = m.face_size[static_cast<std::size_t>(f)];
    std::vector<std::int32_t> verts;
    std::vector<vec2> puv, duv;
    // The corners' source indices in the file, UV then normal.
    std::vector<std::int32_t>* sources[2] = {&m.extras.corner_uv_source, &m.extras.corner_normal_source};
    std::vector<std::int32_t> kept[2];
    for (int k = 0; k < n; ++k) {
        const std::int32_t v = m.corner_vertex[start + static_cast<std::size_t>(k)];
        if (!verts.empty() && verts.back() == v) continue;
        verts.push_back(v);
        puv.push_back(m.corner_puv[start + static_cast<std::size_t>(k)]);
        duv.push_back(m.distance_uvs()[start + static_cast<std::size_t>(k)]);
        for (int q = 0; q < 2; ++q)
            if (!sources[q]->empty()) kept[q].push_back((*sources[q])[start + static_cast<std::size_t>(k)]);
    }
    while (verts.size() > 1 && verts.back() == verts.front()) {
        verts.pop_back();
        puv.pop_back();
        duv.pop_back();
        for (auto& q : kept)
            if (!q.empty()) q.pop_back();
    }
    const int count = static_cast<int>(verts.size());
    if (count != n) {
        m.set_face_vertices(f, count, verts.data());
        const std::size_t s = static_cast<std::size_t>(m.face_start[static_cast<std::size_t>(f)]);
        std::copy(puv.begin(), puv.end(), m.corner_puv.begin() + static_cast<std::ptrdiff_t>(s));
        if (!m.duv_shared) std::copy(duv.begin(), duv.end(), m.corner_duv.begin() + static_cast<std::ptrdiff_t>(s));
        for (int q = 0; q < 2; ++q)
            if (!sources[q]->empty()) std::copy(kept[q].begin(), kept[q].end(), sources[q]->begin() + static_cast<std::ptrdiff_t>(s));
    }
    if (count < 3) return false;
    std::sort(verts.begin(), verts.end());
    return std::adjacent_find(verts.begin(), verts.end()) == verts.end();
}

}  // namespace

int merge_vertices(mesh_data& m, const std::vector<int>& vertices) {
    std::vector<int> group;
    for (int v : vertices)
        if (v >= 0 && v < m.vertex_count()) group.push_back(v);
    std::sort(group.begin(), group.end());
    group.erase(std::unique(group.begin(), group.end()), group.end());
    if (group.size() < 2) return 0;

    const std::int32_t target = group.front();
    double sum[3] = {0.0, 0.0, 0.0};
    for (int v : group)
        for (int c = 0; c < 3; ++c) sum[c] += static_cast<double>(m.positions[static_cast<std::size_t>(v)][c]);
    const double n = static_cast<double>(group.size());
    m.positions[static_cast<std::size_t>(target)] =
        vec3(static_cast<float>(sum[0] / n), static_cast<float>(sum[1] / n), static_cast<float>(sum[2] / n));

    std::vector<std::uint8_t> vertex_mask(static_cast<std::size_t>(m.vertex_count()), 0);
    for (std::size_t k = 1; k < group.size(); ++k) vertex_mask[static_cast<std::size_t>(group[k])] = 1;
    auto moved = [&](std::int32_t v) { return vertex_mask[static_cast<std::size_t>(v)] != 0; };

    std::vector<std::uint8_t> face_mask(static_cast<std::size_t>(m.face_count()), 0);
    for (int f = 0; f < m.face_count(); ++f) {
        const std::size_t start = static_cast<std::size_t>(m.face_start[static_cast<std::size_t>(f)]);
        const int size = m.face_size[static_cast<std::size_t>(f)];
        bool touched = false;
        for (int k = 0; k < size; ++k) {
            std::int32_t& v = m.corner_vertex[start + static_cast<std::size_t>(k)];
            if (moved(v)) v = target, touched = true;
        }
        if (touched && !collapse_face(m, f)) face_mask[static_cast<std::size_t>(f)] = 1;
    }

    std::vector<std::uint8_t> edge_mask(static_cast<std::size_t>(m.edge_count()), 0);
    std::set<std::pair<std::int32_t, std::int32_t>> at_target;
    for (int e = 0; e < m.edge_count(); ++e) {
        auto& ends = m.edges[static_cast<std::size_t>(e)];
        for (auto& v : ends)
            if (moved(v)) v = target;
        if (ends[0] != target && ends[1] != target) continue;
        const auto key = std::minmax(ends[0], ends[1]);
        if (ends[0] == ends[1] || !at_target.insert(key).second) edge_mask[static_cast<std::size_t>(e)] = 1;
    }

    remove_elements(m, vertex_mask, edge_mask, face_mask);
    return static_cast<int>(group.size()) - 1;
}

}  // namespace host
