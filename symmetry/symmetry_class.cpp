#include "symmetry/symmetry_class.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "frame/sdk/korvo.h"
#include "frame/sdk/polygon_mesh.h"
#include "frame/sdk/scene.h"
#include "frame/sdk/shape.h"
#include "mesh/polygon_class.h"
#include "symmetry/mirror.h"
#include "symmetry/mirror_matching.h"
#include "symmetry/modification_bracket.h"

namespace {

bool is_bound(const skin_class& skin) { return skin.get_number_of_binds() >= 1; }

// Ascending keys, equal keys in insertion order. A NaN key (a vertex with a
// NaN coordinate) has no place in that order; such records go last.
void sort_by_key(std::vector<mirror_record>& records) {
    std::stable_sort(records.begin(), records.end(), [](const mirror_record& a, const mirror_record& b) {
        if (std::isnan(a.key)) return false;
        return std::isnan(b.key) || a.key < b.key;
    });
}

// Indices of the selected vertices, as the host lists them.
std::vector<int> selected_vertices(polygon_mesh_class& mesh) {
    std::vector<int> indices(static_cast<std::size_t>(std::max(0, mesh.get_number_of_active_vertices())));
    if (!indices.empty()) mesh.get_active_vertex_indices(indices.data());
    return indices;
}

}  // namespace

bool Symmetry_class::is_sym(const vec3& a, const vec3& b) const {
    return symmetry::within_margin(a, symmetry::mirror(b, plane), margin * margin);
}

vec3 Symmetry_class::get_position(vertex_class& v) const {
    const vec3 p = v.get_position();
    if (!use_world) return p;
    const skin_class& skin = v.get_skin();
    if (is_bound(skin)) return p * skin.get_skin_matrix();
    return p * world_matrix;
}

void Symmetry_class::set_position(vertex_class& v, vec3 p) const {
    if (use_world) {
        const skin_class& skin = v.get_skin();
        p = is_bound(skin) ? p * skin.get_skin_matrix().inv() : p * inverse_world_matrix;
    }
    set_local_position(v, p);
}

void Symmetry_class::set_local_position(vertex_class& v, vec3 p) const {
    const vec3 current = v.get_position();
    if (current.x != p.x || current.y != p.y || current.z != p.z) v.set_position(p);
}

void Symmetry_class::set_sym_vertex(vertex_class& from, vertex_class& to) const {
    set_position(to, symmetry::mirror(get_position(from), plane));
}

void Symmetry_class::take_matrices(const shape_class& s) {
    world_matrix = s.get_transformation_to_world();
    inverse_world_matrix = s.get_transformation_from_world();
}

void Symmetry_class::paste_to_plane(Polygon_class& polygon, const ver_inf_map& records) const {
    modification_bracket bracket(polygon.shape);
    for (const auto& entry : records) {
        vec3 p = entry.second.position;
        p[plane] = 0.0f;
        set_position(polygon.mesh->vertex(entry.second.index), p);
    }
}

void Symmetry_class::paste_to_plane(Polygon_class& polygon, const std::vector<ver_inf>& records) const {
    modification_bracket bracket(polygon.shape);
    for (const ver_inf& r : records) {
        vec3 p = r.position;
        p[plane] = 0.0f;
        set_position(polygon.mesh->vertex(r.index), p);
    }
}

void Symmetry_class::active_to_plane(scene_interface*, Polygon_class& polygon) {
    if (!polygon.mesh) return;
    if (use_world && polygon.shape) take_matrices(*polygon.shape);
    const std::vector<int> selected = selected_vertices(*polygon.mesh);
    modification_bracket bracket(polygon.shape);
    for (int i : selected) {
        vertex_class& v = polygon.mesh->vertex(i);
        vec3 p = get_position(v);
        p[plane] = 0.0f;
        set_position(v, p);
    }
}

bool Symmetry_class::symmetrize_active_vertices(scene_interface* scene, Polygon_class& polygon, bool ignore_margin) {
    if (!polygon.mesh) return false;
    if (use_world && polygon.shape) take_matrices(*polygon.shape);
    polygon_mesh_class& mesh = *polygon.mesh;

    // Source records keep their plane coordinate as key, targets its
    // negation, so that a vertex and its partner's mirror have close keys.
    std::vector<mirror_record> sources, targets;
    for (int i : selected_vertices(mesh)) {
        const vec3 p = get_position(mesh.vertex(i));
        const float c = symmetry::plane_coordinate(p, plane);
        if ((c > 0.0f) != (base_side == 2))
            sources.push_back({c, p, i});
        else
            targets.push_back({-c, p, i});
    }
    if (sources.size() != targets.size()) {
        if (scene) scene->show_message(translate("Unmatch opposite vertices value."), false);
        return true;
    }
    sort_by_key(sources);
    sort_by_key(targets);
    const std::vector<int> partner = match_mirror_records(sources, targets, plane, ignore_margin ? FLT_MAX : margin);

    modification_bracket bracket(polygon.shape);
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const int t = partner[i];
        if (t < 0) continue;
        set_sym_vertex(mesh.vertex(sources[i].vertex), mesh.vertex(targets[static_cast<std::size_t>(t)].vertex));
    }
    return false;
}

const char* Symmetry_class::translate(const char* key) const { return host ? host->gettext(key) : key; }
