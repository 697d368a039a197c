#include "cli/serve_meshes.h"

#include <algorithm>
#include <cstring>

#include "host/mesh_shape.h"
#include "host/scene.h"

namespace cli {

namespace {

// The faces as the page draws them: sizes, and corners one face after
// the other (the host's slots may hold garbage between faces).
void face_lists(const host::mesh_data& m, std::vector<std::int32_t>& sizes, std::vector<std::int32_t>& corners) {
    sizes.assign(m.face_size.begin(), m.face_size.end());
    corners.clear();
    for (int f = 0; f < m.face_count(); ++f)
        corners.insert(corners.end(), m.face_vertices(f), m.face_vertices(f) + m.face_size[f]);
}

bool same_faces(const host::mesh_data& m, const std::vector<std::int32_t>& sizes,
                const std::vector<std::int32_t>& corners) {
    if (m.face_size != sizes) return false;
    std::size_t at = 0;
    for (int f = 0; f < m.face_count(); ++f) {
        const std::size_t n = static_cast<std::size_t>(m.face_size[f]);
        if (at + n > corners.size() || std::memcmp(m.face_vertices(f), corners.data() + at, n * 4) != 0) return false;
        at += n;
    }
    return at == corners.size();
}

std::vector<std::int32_t> edge_list(const host::mesh_data& m) {
    std::vector<std::int32_t> out;
    out.reserve(m.edges.size() * 2);
    for (const auto& e : m.edges) out.insert(out.end(), e.begin(), e.end());
    return out;
}

bool same_edges(const host::mesh_data& m, const std::vector<std::int32_t>& edges) {
    static_assert(sizeof(m.edges[0]) == 2 * sizeof(std::int32_t), "an edge is its two ends");
    return edges.size() == m.edges.size() * 2 &&
           (edges.empty() || std::memcmp(edges.data(), m.edges.data(), edges.size() * sizeof(std::int32_t)) == 0);
}

// The vertices whose positions differ bit for bit; runs of equal
// positions are skipped a block at a time.
std::vector<std::int32_t> moved_vertices(const std::vector<vec3>& now, const std::vector<vec3>& seen) {
    constexpr std::size_t block = 4096;
    std::vector<std::int32_t> moved;
    for (std::size_t b = 0; b < now.size(); b += block) {
        const std::size_t n = std::min(block, now.size() - b);
        if (std::memcmp(&now[b], &seen[b], n * sizeof(vec3)) == 0) continue;
        for (std::size_t v = b; v < b + n; ++v)
            if (std::memcmp(&now[v], &seen[v], sizeof(vec3)) != 0) moved.push_back(static_cast<std::int32_t>(v));
    }
    return moved;
}

void put(std::string& out, const void* data, std::size_t bytes) {
    out.append(static_cast<const char*>(data), bytes);
}

void put_int(std::string& out, std::int32_t v) { put(out, &v, 4); }

}  // namespace

int mesh_revisions::id_of(const host::shape& s) {
    const auto found = ids_.find(&s);
    if (found != ids_.end()) return found->second;
    return ids_[&s] = next_id_++;
}

void mesh_revisions::update(host::scene& scene, int generation) {
    if (&scene != scene_ || generation != generation_) {
        ids_.clear();
        meshes_.clear();
        scene_ = &scene;
        generation_ = generation;
    }
    for (host::shape* s : scene.shapes_in_order()) {
        const auto* shape = dynamic_cast<const host::mesh_shape*>(s);
        if (!shape) continue;
        const host::mesh_data& m = shape->data();
        const int id = id_of(*shape);
        auto known = meshes_.find(id);
        if (known == meshes_.end()) {
            tracked t;
            t.shape = shape;
            t.positions = m.positions;
            face_lists(m, t.face_sizes, t.corners);
            t.edges = edge_list(m);
            meshes_.emplace(id, std::move(t));
            continue;
        }
        tracked& t = known->second;
        const bool faces = same_faces(m, t.face_sizes, t.corners) && same_edges(m, t.edges);
        if (faces && m.positions.size() == t.positions.size()) {
            std::vector<std::int32_t> moved = moved_vertices(m.positions, t.positions);
            if (moved.empty()) continue;
            for (std::int32_t v : moved) t.positions[static_cast<std::size_t>(v)] = m.positions[static_cast<std::size_t>(v)];
            t.moved = std::move(moved);
            t.whole = false;
        } else {
            t.positions = m.positions;
            face_lists(m, t.face_sizes, t.corners);
            t.edges = edge_list(m);
            t.moved.clear();
            t.whole = true;
        }
        ++t.revision;
    }
}

int mesh_revisions::revision(int id) const {
    const auto found = meshes_.find(id);
    return found == meshes_.end() ? -1 : found->second.revision;
}

bool mesh_revisions::tracked::few_moved() const { return !whole && moved.size() * 2 < positions.size(); }

const std::vector<std::int32_t>* mesh_revisions::recent_moves(int id, std::size_t most) const {
    const auto found = meshes_.find(id);
    if (found == meshes_.end() || !found->second.few_moved() || found->second.moved.size() > most) return nullptr;
    return &found->second.moved;
}

const vec3& mesh_revisions::position(int id, std::int32_t v) const {
    return meshes_.at(id).positions.at(static_cast<std::size_t>(v));
}

std::string mesh_revisions::encode(int id, int have) const {
    const auto found = meshes_.find(id);
    if (found == meshes_.end()) return std::string();
    const tracked& t = found->second;
    const bool unchanged = have == t.revision;
    // A page one revision behind needs only the moved vertices, unless
    // most of them moved.
    const bool moved = !unchanged && have == t.revision - 1 && t.few_moved();
    std::string out;
    put(out, "TWMS", 4);
    put_int(out, unchanged ? 2 : moved ? 1 : 0);
    put_int(out, t.revision);
    put_int(out, static_cast<std::int32_t>(t.positions.size()));
    put_int(out, static_cast<std::int32_t>(t.face_sizes.size()));
    put_int(out, static_cast<std::int32_t>(t.corners.size()));
    put_int(out, static_cast<std::int32_t>(t.edges.size() / 2));
    put_int(out, moved ? static_cast<std::int32_t>(t.moved.size()) : 0);
    if (unchanged) return out;
    if (moved) {
        put(out, t.moved.data(), t.moved.size() * 4);
        for (std::int32_t v : t.moved) put(out, &t.positions[static_cast<std::size_t>(v)], sizeof(vec3));
        return out;
    }
    static_assert(sizeof(vec3) == 12, "positions go out as three packed floats");
    put(out, t.positions.data(), t.positions.size() * sizeof(vec3));
    put(out, t.face_sizes.data(), t.face_sizes.size() * 4);
    put(out, t.corners.data(), t.corners.size() * 4);
    put(out, t.edges.data(), t.edges.size() * 4);
    return out;
}

}  // namespace cli
