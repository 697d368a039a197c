#include "tests/common/mesh_builder.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "host/mesh_algorithms.h"

namespace twinel_test {

host::mesh_data make_mesh_data(const mesh_lists& lists) {
    host::mesh_data d;
    for (const vec3& p : lists.positions) d.add_vertex(p);
    for (std::size_t f = 0; f < lists.faces.size(); ++f) {
        const std::vector<int>& face = lists.faces[f];
        const vec2* uv = f < lists.uvs.size() && !lists.uvs[f].empty() ? lists.uvs[f].data() : nullptr;
        if (uv && lists.uvs[f].size() != face.size()) throw std::invalid_argument("one UV per corner, please");
        d.add_face(static_cast<int>(face.size()), face.data(), uv, uv);
    }
    host::rebuild_edges(d);
    return d;
}

mesh_lists unit_cube() {
    mesh_lists m;
    for (int k = 0; k < 8; ++k)
        m.positions.emplace_back((k & 1) ? 0.5f : -0.5f, (k & 2) ? 0.5f : -0.5f, (k & 4) ? 0.5f : -0.5f);
    // Counter-clockwise seen from outside.
    m.faces = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    return m;
}

namespace {

// Rows y = 0..2 of columns x = first..2, with quads between them.
mesh_lists strip(int first_column) {
    mesh_lists m;
    const int columns = 3 - first_column;
    for (int y = 0; y <= 2; ++y)
        for (int x = first_column; x <= 2; ++x) {
            const float fx = static_cast<float>(x), fy = static_cast<float>(y);
            m.positions.emplace_back(fx, fy, fx * fx / 4.0f + fy / 10.0f);
        }
    auto uv = [&](int index) {
        const vec3& p = m.positions[static_cast<std::size_t>(index)];
        return vec2((p.x + 2.0f) / 4.0f, p.y / 2.0f);
    };
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x + 1 < columns; ++x) {
            const int a = y * columns + x;
            const std::vector<int> face{a, a + 1, a + 1 + columns, a + columns};
            m.faces.push_back(face);
            m.uvs.push_back({uv(face[0]), uv(face[1]), uv(face[2]), uv(face[3])});
        }
    return m;
}

}  // namespace

mesh_lists symmetric_mesh() { return strip(-2); }

mesh_lists half_mesh() { return strip(0); }

mesh_lists jittered(const mesh_lists& lists, float amplitude, unsigned seed, bool negative_only) {
    mesh_lists m = lists;
    std::uint64_t state = 0x9E3779B97F4A7C15ull ^ seed;
    auto next = [&]() {
        // xorshift64*: the same sequence on every platform.
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        const std::uint64_t r = state * 0x2545F4914F6CDD1Dull;
        return static_cast<float>(static_cast<double>(r >> 11) / 9007199254740992.0 * 2.0 - 1.0);
    };
    for (vec3& p : m.positions) {
        if (negative_only && !(p.x < 0.0f)) continue;
        for (int c = 0; c < 3; ++c) p[c] += amplitude * next();
    }
    return m;
}

namespace {

template <class T>
bool same_bits(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

}  // namespace

bool identical(const host::mesh_data& a, const host::mesh_data& b) {
    if (a.skins.size() != b.skins.size()) return false;
    for (std::size_t k = 0; k < a.skins.size(); ++k) {
        const host::skin_data &sa = a.skins[k], &sb = b.skins[k];
        if (std::memcmp(&sa.matrix, &sb.matrix, sizeof(mat4)) != 0 || sa.binds.size() != sb.binds.size()) return false;
        for (std::size_t j = 0; j < sa.binds.size(); ++j)
            if (sa.binds[j].joint != sb.binds[j].joint ||
                std::memcmp(&sa.binds[j].weight, &sb.binds[j].weight, sizeof(float)) != 0)
                return false;
    }
    return same_bits(a.positions, b.positions) && same_bits(a.vertex_selected, b.vertex_selected) &&
           same_bits(a.vertex_skin, b.vertex_skin) && same_bits(a.normals, b.normals) && same_bits(a.edges, b.edges) &&
           same_bits(a.edge_selected, b.edge_selected) && same_bits(a.face_start, b.face_start) &&
           same_bits(a.face_size, b.face_size) && same_bits(a.face_has_uv, b.face_has_uv) &&
           same_bits(a.face_selected, b.face_selected) && same_bits(a.face_has_normals, b.face_has_normals) &&
           same_bits(a.corner_vertex, b.corner_vertex) && same_bits(a.corner_puv, b.corner_puv) &&
           same_bits(a.distance_uvs(), b.distance_uvs()) && same_bits(a.corner_normal, b.corner_normal) &&
           a.garbage_corners == b.garbage_corners && a.face_flip == b.face_flip;
}

host::mesh_shape& add_mesh(host::scene& scene, const mesh_lists& lists, const std::string& name) {
    return scene.add_mesh(name, make_mesh_data(lists));
}

test_scene::test_scene(host::language lang)
    : app_(std::make_unique<host::application>(lang)), scene_(&app_->new_scene()) {}

test_scene::test_scene(const mesh_lists& lists, const std::string& name) : test_scene() {
    shape_ = &add_mesh(*scene_, lists, name);
    shape_class* active = shape_;
    scene_->set_active_shapes(1, &active);
    scene_->clear_history();
}

host::mesh_shape& test_scene::shape() {
    if (!shape_) throw std::logic_error("this test scene holds no mesh shape");
    return *shape_;
}

}  // namespace twinel_test
