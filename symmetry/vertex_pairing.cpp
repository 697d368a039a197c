// Pairing the vertices of a mesh from scratch: the sweep over both sides of
// the plane, then the move of recognised pairs to exact mirror positions.
#include <algorithm>

#include "frame/sdk/polygon_mesh.h"
#include "frame/sdk/scene.h"
#include "symmetry/mirror.h"
#include "symmetry/modification_bracket.h"
#include "symmetry/twinel_class.h"
#include "symmetry/vertex_sweep.h"

namespace {

// Vertex counts above which the start of the analysis is announced.
constexpr int announced_vertex_count = 40000;

// Moves every recognised pair to mirror positions from the base side, then
// the on-plane vertices onto the plane, inside one update bracket.
void place_pairs(twinel_class& t, const plane_split& split) {
    polygon_mesh_class& mesh = *t.polygon.mesh;
    const Interconnection_class& table = t.vertex_table;
    modification_bracket bracket(t.polygon.shape);
    if (t.base_side == 1) {
        for (int k = 0; k < split.negative.size(); ++k) {
            const int v = split.negative.vertex[static_cast<std::size_t>(k)];
            if (!table.has_pair(v)) continue;
            t.set_position(mesh.vertex(table.partner(v)),
                           symmetry::mirror(split.negative.position[static_cast<std::size_t>(k)], t.plane));
        }
    } else if (t.base_side == 2) {
        for (int k = 0; k < split.positive.size(); ++k) {
            const int v = split.positive.vertex[static_cast<std::size_t>(k)];
            if (!table.has_pair(v)) continue;
            vertex_class& partner = mesh.vertex(table.partner(v));
            const vec3 q = symmetry::mirror(t.get_position(partner), t.plane);
            const vec3 average = (split.positive.position[static_cast<std::size_t>(k)] + q) * 0.5f;
            t.set_position(mesh.vertex(v), average);
            t.set_position(partner, symmetry::mirror(average, t.plane));
        }
    } else {
        for (int k = 0; k < split.positive.size(); ++k) {
            const int v = split.positive.vertex[static_cast<std::size_t>(k)];
            if (!table.has_pair(v)) continue;
            t.set_position(mesh.vertex(table.partner(v)),
                           symmetry::mirror(split.positive.position[static_cast<std::size_t>(k)], t.plane));
        }
    }
    t.paste_to_plane(t.polygon, split.on_plane);
}

}  // namespace

const char* twinel_class::make_vertices_link() {
    if (!polygon.shape || !polygon.mesh) return nullptr;
    const kx::host_ref<scene_interface> scene(polygon.shape->get_scene());
    const int n = polygon.mesh->get_number_of_vertices();
    if (n > announced_vertex_count && verbose && scene)
        scene->show_message(translate("Start vertices analize."), false);

    const plane_split split = split_by_plane(read_positions(), plane, reduse_margin);
    if (split.positive.size() != split.negative.size() && !do_adjust) return "Unmatch opposite vertices value.";

    vertex_table.resize(0);
    vertex_table.resize(n);
    const kx::host_ref<progress_interface> progress(scene ? scene->create_progress("vertices analize") : nullptr);
    if (progress) progress->set_range(0, 2 * split.positive.size());

    for (const ver_inf& r : split.on_plane) vertex_table.link(r.index);
    std::vector<int> partner;
    try {
        sweep_progress counter(std::max(1, n / 100), [&progress](int position) {
            if (progress) progress->set_position(position);
        });
        partner = pair_sides(split.positive, split.negative, plane, margin, &counter);
    } catch (...) {
        return "Tarminated by break.";
    }
    for (int k = 0; k < split.positive.size(); ++k) {
        const int j = partner[static_cast<std::size_t>(k)];
        if (j >= 0)
            vertex_table.link(split.positive.vertex[static_cast<std::size_t>(k)],
                              split.negative.vertex[static_cast<std::size_t>(j)]);
    }

    if (do_adjust || vertex_table.unmatched == 0) {
        try {
            place_pairs(*this, split);
        } catch (...) {
            return "Error at sym vertices placeing.";
        }
    }
    return nullptr;
}
