#include "host/mesh_data.h"

#include <algorithm>
#include <cstring>

namespace host {

bool mesh_extras::empty() const {
    return vertex_flags.empty() && face_style.empty() && styles.empty() && corner_uv_source.empty() &&
           corner_normal_source.empty() && texcoord_size.empty() && obj_header.empty();
}

int mesh_data::add_vertex(const vec3& p) {
    positions.push_back(p);
    vertex_selected.push_back(0);
    if (!vertex_skin.empty()) vertex_skin.push_back(-1);
    if (!normals.empty()) normals.push_back(vec3());
    if (!extras.vertex_flags.empty()) {
        extras.vertex_flags.push_back(0);
        extras.vertex_w.push_back(0.0f);
        extras.vertex_color.push_back(vec4(1.0f, 1.0f, 1.0f, 1.0f));
    }
    return vertex_count() - 1;
}

int mesh_data::add_edge(int v0, int v1) {
    edges.push_back({v0, v1});
    edge_selected.push_back(0);
    return edge_count() - 1;
}

void mesh_data::unshare_uvs() {
    if (!duv_shared) return;
    corner_duv = corner_puv;
    duv_shared = false;
}

int mesh_data::add_face(int n, const std::int32_t* vertices, const vec2* puv, const vec2* duv) {
    // Distance UVs that differ from the parameter UVs end the sharing.
    if (duv_shared && duv && puv &&
        !std::equal(duv, duv + n, puv, [](const vec2& a, const vec2& b) { return std::memcmp(&a, &b, sizeof a) == 0; }))
        unshare_uvs();
    const std::int32_t start = static_cast<std::int32_t>(corner_vertex.size());
    face_start.push_back(start);
    face_size.push_back(n);
    face_has_uv.push_back(puv || duv ? 1 : 0);
    face_selected.push_back(0);
    face_has_normals.push_back(0);
    corner_vertex.insert(corner_vertex.end(), vertices, vertices + n);
    for (int k = 0; k < n; ++k) {
        corner_puv.push_back(puv ? puv[k] : (duv ? duv[k] : vec2()));
        if (!duv_shared) corner_duv.push_back(duv ? duv[k] : (puv ? puv[k] : vec2()));
    }
    if (!corner_normal.empty()) corner_normal.resize(corner_vertex.size());
    if (!extras.face_style.empty()) extras.face_style.push_back(-1);
    if (!extras.corner_uv_source.empty()) extras.corner_uv_source.resize(corner_vertex.size(), -1);
    if (!extras.corner_normal_source.empty()) extras.corner_normal_source.resize(corner_vertex.size(), -1);
    return face_count() - 1;
}

void mesh_data::set_face_vertices(int f, int n, const std::int32_t* vertices) {
    const int old_n = face_size[f];
    if (n > old_n) {
        // Move the face to a new slot at the end, keeping the UVs it had.
        const std::int32_t old_start = face_start[f];
        const std::int32_t start = static_cast<std::int32_t>(corner_vertex.size());
        corner_vertex.resize(start + n);
        corner_puv.resize(start + n);
        if (!duv_shared) corner_duv.resize(start + n);
        for (int k = 0; k < old_n; ++k) {
            corner_puv[start + k] = corner_puv[old_start + k];
            if (!duv_shared) corner_duv[start + k] = corner_duv[old_start + k];
        }
        if (!corner_normal.empty()) corner_normal.resize(corner_vertex.size());
        for (std::vector<std::int32_t>* source : {&extras.corner_uv_source, &extras.corner_normal_source}) {
            if (source->empty()) continue;
            source->resize(corner_vertex.size(), -1);
            std::copy_n(source->begin() + old_start, old_n, source->begin() + start);
        }
        face_start[f] = start;
        garbage_corners += old_n;
    } else {
        garbage_corners += old_n - n;
    }
    face_size[f] = n;
    std::copy(vertices, vertices + n, corner_vertex.begin() + face_start[f]);
    face_has_normals[f] = 0;
    if (garbage_corners > static_cast<std::int64_t>(corner_vertex.size() / 2) + 1024) compact();
}

void mesh_data::compact() {
    std::vector<std::int32_t> cv;
    std::vector<vec2> puv, duv;
    std::vector<vec3> nrm;
    std::vector<std::int32_t> uv_source, normal_source;
    std::size_t total = 0;
    for (int f = 0; f < face_count(); ++f) total += static_cast<std::size_t>(face_size[f]);
    cv.reserve(total);
    puv.reserve(total);
    if (!duv_shared) duv.reserve(total);
    const bool with_normals = !corner_normal.empty();
    if (with_normals) nrm.reserve(total);
    for (int f = 0; f < face_count(); ++f) {
        const std::int32_t s = face_start[f];
        const std::int32_t n = face_size[f];
        face_start[f] = static_cast<std::int32_t>(cv.size());
        cv.insert(cv.end(), corner_vertex.begin() + s, corner_vertex.begin() + s + n);
        puv.insert(puv.end(), corner_puv.begin() + s, corner_puv.begin() + s + n);
        if (!duv_shared) duv.insert(duv.end(), corner_duv.begin() + s, corner_duv.begin() + s + n);
        if (with_normals) nrm.insert(nrm.end(), corner_normal.begin() + s, corner_normal.begin() + s + n);
        if (!extras.corner_uv_source.empty())
            uv_source.insert(uv_source.end(), extras.corner_uv_source.begin() + s,
                             extras.corner_uv_source.begin() + s + n);
        if (!extras.corner_normal_source.empty())
            normal_source.insert(normal_source.end(), extras.corner_normal_source.begin() + s,
                                 extras.corner_normal_source.begin() + s + n);
    }
    corner_vertex.swap(cv);
    corner_puv.swap(puv);
    corner_duv.swap(duv);
    corner_normal.swap(nrm);
    extras.corner_uv_source.swap(uv_source);
    extras.corner_normal_source.swap(normal_source);
    garbage_corners = 0;
}

bool mesh_data::valid() const {
    const std::size_t nv = positions.size(), ne = edges.size(), nf = face_size.size();
    if (vertex_selected.size() != nv) return false;
    if (!vertex_skin.empty() && vertex_skin.size() != nv) return false;
    if (!normals.empty() && normals.size() != nv) return false;
    if (edge_selected.size() != ne) return false;
    if (face_start.size() != nf || face_has_uv.size() != nf || face_selected.size() != nf ||
        face_has_normals.size() != nf)
        return false;
    if (corner_puv.size() != corner_vertex.size() ||
        corner_duv.size() != (duv_shared ? std::size_t{0} : corner_vertex.size()))
        return false;
    if (!corner_normal.empty() && corner_normal.size() != corner_vertex.size()) return false;
    for (const auto& e : edges)
        if (e[0] < 0 || e[1] < 0 || e[0] >= static_cast<int>(nv) || e[1] >= static_cast<int>(nv)) return false;
    for (std::size_t f = 0; f < nf; ++f) {
        if (face_size[f] < 0 || face_start[f] < 0 ||
            static_cast<std::size_t>(face_start[f]) + static_cast<std::size_t>(face_size[f]) > corner_vertex.size())
            return false;
        for (int k = 0; k < face_size[f]; ++k) {
            const std::int32_t v = corner_vertex[face_start[f] + k];
            if (v < 0 || v >= static_cast<std::int32_t>(nv)) return false;
        }
    }
    for (std::int32_t s : vertex_skin)
        if (s < -1 || s >= static_cast<std::int32_t>(skins.size())) return false;
    const mesh_extras& x = extras;
    if (!x.vertex_flags.empty() && (x.vertex_flags.size() != nv || x.vertex_w.size() != nv || x.vertex_color.size() != nv))
        return false;
    if (!x.face_style.empty() && x.face_style.size() != nf) return false;
    for (std::int32_t s : x.face_style)
        if (s < -1 || s >= static_cast<std::int32_t>(x.styles.size())) return false;
    for (const std::vector<std::int32_t>* source : {&x.corner_uv_source, &x.corner_normal_source})
        if (!source->empty() && source->size() != corner_vertex.size()) return false;
    if (x.texcoord_w.size() != x.texcoord_size.size()) return false;
    return true;
}

}  // namespace host
