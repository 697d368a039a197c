// Separation of a polygon-mesh shape into new shapes, one per group of
// connected pieces.
#include "mesh/polygon_fork.h"

#include <algorithm>
#include <numeric>
#include <string>

#include <boost/format.hpp>

#include "frame/sdk/scene.h"
#include "frame/sdk/shape.h"
#include "mesh/polygon_class.h"
#include "mesh/polygon_scope.h"

namespace korvo_polygon {
namespace {

// Union-find over the vertices, with path halving.
int root_of(std::vector<int>& parent, int v) {
    while (parent[static_cast<std::size_t>(v)] != v) {
        int& up = parent[static_cast<std::size_t>(v)];
        up = parent[static_cast<std::size_t>(up)];
        v = up;
    }
    return v;
}

}  // namespace

// Labelling edge by edge (a new label for an edge between unlabelled
// vertices, merged labels keeping the lower one and the labels above
// closing up) names each piece by the rank of its first edge. The union
// of the edges' ends gives the same labels without relabelling the
// vertices at every merge.
int label_pieces(polygon_mesh_class& mesh, std::vector<int>& labels) {
    const int vertices = mesh.get_number_of_vertices();
    const int edges = mesh.get_number_of_edges();
    labels.assign(static_cast<std::size_t>(std::max(vertices, 0)), 0);
    std::vector<int> parent(labels.size());
    std::iota(parent.begin(), parent.end(), 0);
    std::vector<char> on_edge(labels.size(), 0);
    std::vector<int> ends;  // a and b of every usable edge, in edge order
    ends.reserve(2 * static_cast<std::size_t>(std::max(edges, 0)));
    for (int e = 0; e < edges; ++e) {
        const edge_class& edge = mesh.edge(e);
        const int a = edge.get_v0();
        const int b = edge.get_v1();
        if (a < 0 || a >= vertices || b < 0 || b >= vertices) continue;
        ends.push_back(a);
        ends.push_back(b);
        on_edge[static_cast<std::size_t>(a)] = on_edge[static_cast<std::size_t>(b)] = 1;
        const int ra = root_of(parent, a);
        const int rb = root_of(parent, b);
        if (ra != rb) parent[static_cast<std::size_t>(std::max(ra, rb))] = std::min(ra, rb);
    }
    // Number the pieces in the order their first edges come.
    std::vector<int> piece(labels.size(), 0);
    int pieces = 0;
    for (std::size_t k = 0; k < ends.size(); k += 2) {
        int& label = piece[static_cast<std::size_t>(root_of(parent, ends[k]))];
        if (label == 0) label = ++pieces;
    }
    for (int v = 0; v < vertices; ++v)
        if (on_edge[static_cast<std::size_t>(v)]) labels[static_cast<std::size_t>(v)] = piece[static_cast<std::size_t>(root_of(parent, v))];
    return pieces;
}

}  // namespace korvo_polygon

namespace {

// One new shape to make: its number k and the lowest label it takes; it
// takes every label from there up that no shape made before it took.
struct part_plan {
    int k;
    int lowest;
};

// The new shapes in the order they are made (k falling). Without sharing,
// shape k takes piece k, and the last one made, M, takes every piece from
// M up. Sharing among fewer shapes than pieces deals the labels out in
// blocks, as evenly as possible, the larger blocks at the top.
std::vector<part_plan> plan_parts(int pieces, int max_parts, bool share) {
    std::vector<part_plan> plan;
    if (!share || max_parts >= pieces) {
        const int parts = share ? pieces : std::min(pieces, max_parts);
        for (int k = parts; k >= 1; --k) plan.push_back({k, k});
        return plan;
    }
    const int q = pieces / max_parts;
    const int r = pieces % max_parts;
    int highest = pieces;
    for (int k = max_parts; k >= 1; --k) {
        const int size = max_parts - k < r ? q + 1 : q;
        const int lowest = highest - size + 1;
        plan.push_back({k, lowest});
        highest = lowest - 1;
    }
    return plan;
}

// Removes from `part` every vertex whose label is below `lowest` or
// already taken (0), and marks the labels it keeps as taken.
void keep_labels(Polygon_class& part, std::vector<int>& labels, int lowest) {
    if (!part.shape || !part.mesh) return;
    polygon_mesh_class& mesh = *part.mesh;
    const int count = std::min(mesh.get_number_of_vertices(), static_cast<int>(labels.size()));
    part.shape->begin_modification();
    polygon_scope::closer end_modification([&] { part.shape->end_modification(); });
    mesh.begin_removing_vertices();
    polygon_scope::closer end_batch([&] { mesh.end_removing_vertices(); });
    for (int v = 0; v < count; ++v) {
        int& label = labels[static_cast<std::size_t>(v)];
        if (label < lowest || label == 0)
            mesh.remove_vertex(v);
        else
            label = 0;
    }
}

}  // namespace

Polygon_class Polygon_class::_fork_sub(scene_interface* scene, shape_class& source, int k) {
    if (scene && scene->is_editing()) scene->refresh();
    shape_class* copy = source.duplicate(mat4::identity());
    const char* name = copy->get_name();
    const std::string renamed = std::string(name ? name : "") + (boost::format("_%i") % k).str();
    copy->set_name(renamed.c_str());
    return Polygon_class(copy);
}

int Polygon_class::fork(int max_parts, bool share) {
    if (max_parts < 2 || !shape || !mesh) return 0;
    if (mesh->get_number_of_vertices() < 3 || mesh->get_number_of_edges() < 3) return 0;
    std::vector<int> labels;
    const int pieces = korvo_polygon::label_pieces(*mesh, labels);
    if (pieces < 2) return 0;
    // The new shapes are placed in the shape's scene; a shape outside one
    // has nowhere to put them.
    const kx::host_ref<scene_interface> scene(shape->get_scene());
    if (!scene) return 0;

    // The new shapes are copies of one intermediate copy of the whole
    // shape, so each lands next to it, below the source, in the order made.
    shape_class* whole = shape->duplicate(mat4::identity());
    for (const part_plan& part : plan_parts(pieces, max_parts, share)) {
        Polygon_class made = _fork_sub(scene.get(), *whole, part.k);
        keep_labels(made, labels, part.lowest);
    }

    const char* name = shape->get_name();
    const std::string renamed = std::string("#_") + (name ? name : "");
    shape->set_name(renamed.c_str());
    shape_class* const source[1] = {shape};
    scene->set_active_shapes(1, source);
    scene->update_figure();
    scene->remove_shape(*whole);
    return share ? pieces : std::min(pieces, max_parts);
}
