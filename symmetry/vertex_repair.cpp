// Keeping the vertex table up to date after the mesh changed, creating
// partners for unpaired vertices, and the queries of the repair workflow.
#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

#include "frame/sdk/polygon_mesh.h"
#include "frame/sdk/scene.h"
#include "symmetry/mirror.h"
#include "symmetry/missing_vertex_pairs.h"
#include "symmetry/twinel_class.h"

namespace {

// What make_unmatch_vertices_pair decided for one vertex.
struct planned_vertex {
    int index;
    vec3 position;
    bool on_plane;  // moves onto the plane; otherwise gets a mirror vertex
};

}  // namespace

const char* twinel_class::make_unmatch_vertices_pair(bool check_overlap) {
    if (!polygon.shape || !polygon.mesh) return nullptr;
    polygon_mesh_class& mesh = *polygon.mesh;
    if (vertex_table.size() != mesh.get_number_of_vertices())
        return "Number unmatch between vertices number and inner table.";

    const int n = vertex_table.size();
    const float h = 0.5f * margin;
    std::vector<planned_vertex> planned;
    std::vector<int> overlapped;
    for (int i = 0; i < n; ++i) {
        if (vertex_table.has_pair(i)) continue;
        const vec3 p = get_position(mesh.vertex(i));
        const float c = symmetry::plane_coordinate(p, plane);
        if (-h <= c && c <= h) {
            vertex_table.link(i);
            planned.push_back({i, p, true});
        } else if (check_overlap && (c > 0.0f) == (base_side == 2)) {
            overlapped.push_back(i);
        } else {
            vertex_table.append(i);
            planned.push_back({i, p, false});
        }
    }

    if (!overlapped.empty()) {
        const kx::host_ref<scene_interface> scene(polygon.shape->get_scene());
        if (scene) {
            if (!scene->is_modify_mode()) scene->enter_modify_mode();
            if (scene->get_selection_mode() != kx::sdk::vertex_selection)
                scene->set_selection_mode(kx::sdk::vertex_selection);
        }
        polygon.select_vertices(overlapped);
        return "Faces overlapped to symmetry plane.";
    }

    // The host appends vertices at the end, so the k-th vertex appended
    // here takes the index of the k-th entry appended above.
    for (const planned_vertex& v : planned) {
        if (v.on_plane) {
            vec3 p = v.position;
            p[plane] = 0.0f;
            set_position(mesh.vertex(v.index), p);
        } else {
            vec3 p = symmetry::mirror(v.position, plane);
            if (use_world) p = p * polygon.shape->get_transformation_from_world();
            mesh.append_vertex(p);
        }
    }
    return nullptr;
}

void twinel_class::get_proposal_vertex_list(int i, std::vector<int>& out) {
    out.clear();
    if (!polygon.mesh || i < 0 || i >= polygon.mesh->get_number_of_vertices()) return;
    polygon_mesh_class& mesh = *polygon.mesh;
    const vec3 p = get_position(mesh.vertex(i));
    std::vector<std::pair<float, int>> found;
    const int n = mesh.get_number_of_vertices();
    for (int k = 0; k < n; ++k) {
        if (vertex_table.has_pair(k)) continue;
        found.emplace_back(symmetry::distance(p, symmetry::mirror(get_position(mesh.vertex(k)), plane)), k);
    }
    // Ascending distance, equal distances by index (the list is built in
    // index order and the sort is stable); NaN distances have no place in
    // that order and go last.
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        if (std::isnan(a.first)) return false;
        return std::isnan(b.first) || a.first < b.first;
    });
    out.reserve(found.size());
    for (const auto& f : found) out.push_back(f.second);
}

int twinel_class::unmatch_vertex_index(int after) {
    if (vertex_table.unmatched == 0 || !polygon.mesh) return -1;
    polygon_mesh_class& mesh = *polygon.mesh;
    const int n = std::min(vertex_table.size(), mesh.get_number_of_vertices());
    const int start = after < -1 || after + 1 > vertex_table.size() ? 0 : after + 1;
    for (int v = start; v < n; ++v) {
        if (vertex_table.has_pair(v)) continue;
        const float c = symmetry::plane_coordinate(get_position(mesh.vertex(v)), plane);
        if ((c > 0.0f) != (base_side == 2)) return v;
    }
    for (int v = 0; v < vertex_table.size(); ++v)
        if (!vertex_table.has_pair(v)) return v;
    return -1;
}

int twinel_class::search_new_vertices_pair(int i, int c, int span, const std::vector<vec3>& positions) const {
    const int n = static_cast<int>(positions.size());
    if (i < 0 || i >= n) return -1;
    const vec3& p = positions[static_cast<std::size_t>(i)];
    auto test = [&](int v) { return is_sym(p, positions[static_cast<std::size_t>(v)]); };
    if (c >= 0 && c < n && test(c)) return c;
    const long long first = std::max<long long>(static_cast<long long>(c) - span, 0);
    const long long last = std::min<long long>(static_cast<long long>(c) + span + 1, n);
    for (long long v = first; v < last; ++v)
        if (v != c && test(static_cast<int>(v))) return static_cast<int>(v);
    return -1;
}

int twinel_class::search_new_vertices_pair(int i, const Interconnection_class& old, int span,
                                           const std::vector<vec3>& positions) const {
    const int c = old.partner(i);
    if (c != -1) {
        const int found = search_new_vertices_pair(i, c, span, positions);
        if (found >= 0) return found;
    }
    const long long first = std::max<long long>(static_cast<long long>(i) - span, 0);
    const long long last = std::min<long long>(static_cast<long long>(i) + span + 1, old.size());
    for (long long w = first; w < last; ++w) {
        if (w == i) continue;
        const int cw = old.partner(static_cast<int>(w));
        if (cw == -1) continue;
        const int found = search_new_vertices_pair(i, cw, span, positions);
        if (found >= 0) return found;
    }
    return -1;
}

int twinel_class::repair_vertices_link_with_span(int span) {
    const int s = span == INT_MIN ? INT_MAX : std::abs(span);
    const Interconnection_class old = vertex_table;
    const std::vector<vec3> positions = read_positions();
    const int n = static_cast<int>(positions.size());
    vertex_table.resize(0);
    vertex_table.resize(n);

    std::vector<int> missing;
    const int searched = std::min(n, old.size());
    for (int i = 0; i < searched; ++i) {
        if (old.partner(i) == -1) continue;
        const int j = search_new_vertices_pair(i, old, s, positions);
        if (j >= 0)
            vertex_table.link(i, j);
        else
            missing.push_back(i);
    }
    // Vertices whose partner was not found pair among themselves; a vertex
    // within margin / 2 of the plane meets itself first.
    pair_missing_vertices(missing, positions, *this, vertex_table);
    return vertex_table.unmatched;
}

void twinel_class::select_unmatch_vertices() {
    if (!polygon.mesh) return;
    std::vector<int> unpaired;
    const int n = polygon.mesh->get_number_of_vertices();
    for (int v = 0; v < n; ++v)
        if (!vertex_table.has_pair(v)) unpaired.push_back(v);
    polygon.select_vertices(unpaired);
}
