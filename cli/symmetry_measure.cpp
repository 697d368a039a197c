#include "cli/symmetry_measure.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "host/mesh_shape.h"
#include "host/scene.h"
#include "mesh/polygon_class.h"
#include "symmetry/twinel_class.h"

namespace cli {
namespace {

vec3 mirrored(vec3 p, int plane) {
    (plane == 0 ? p.x : plane == 1 ? p.y : p.z) *= -1.0f;
    return p;
}

double distance(const vec3& a, const vec3& b) {
    const double dx = double(a.x) - b.x, dy = double(a.y) - b.y, dz = double(a.z) - b.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// The counts and distances of the pairing's tables, over the positions
// as read.
void count_pairs(const twinel_class& pairing, const std::vector<vec3>& before, symmetry_measure& m) {
    double sum = 0.0;
    const int n = std::min(pairing.vertex_table.size(), static_cast<int>(before.size()));
    for (int v = 0; v < n; ++v) {
        const int p = pairing.vertex_table.links[static_cast<std::size_t>(v)];
        if (p < 0 || p >= n) {
            ++m.unpaired;
            m.unpaired_vertices.push_back(v);
            continue;
        }
        (p == v ? m.on_plane : m.paired) += 1;
        const double d = distance(before[static_cast<std::size_t>(v)], mirrored(before[static_cast<std::size_t>(p)], m.plane));
        sum += d;
        if (d > m.largest_distance) m.largest_distance = d;
    }
    const int with_partner = m.paired + m.on_plane;
    m.mean_distance = with_partner > 0 ? sum / with_partner : 0.0;
    // Faces are paired only once every vertex is; before that, or when the
    // vertex step failed, none is.
    m.unpaired_faces = pairing.face_table.size() == m.faces ? pairing.face_table.unmatched : m.faces;
}

// A copy of `shape` in its place in the tree, with its transform, so
// that a measure in the world sees what the shape's pairing would.
host::mesh_shape& add_copy(host::scene& scene, const host::mesh_shape& shape) {
    host::mesh_shape& copy = scene.add_mesh(shape.get_name(), shape.data(), shape.parent());
    copy.set_local_matrix(shape.local_matrix());
    return copy;
}

}  // namespace

std::vector<vec3> measured_positions(host::mesh_shape& shape, const Symmetry_class& settings) {
    Symmetry_class reader = settings;
    if (reader.use_world) reader.take_matrices(shape);
    Polygon_class polygon(&shape);
    std::vector<vec3> positions;
    const int n = polygon.mesh ? polygon.mesh->get_number_of_vertices() : 0;
    positions.reserve(static_cast<std::size_t>(std::max(0, n)));
    for (int v = 0; v < n; ++v) positions.push_back(reader.get_position(polygon.mesh->vertex(v)));
    return positions;
}

vertex_moves moves_between(const std::vector<vec3>& before, const std::vector<vec3>& after) {
    vertex_moves moves;
    const std::size_t n = std::min(before.size(), after.size());
    for (std::size_t v = 0; v < n; ++v) {
        if (std::memcmp(&before[v], &after[v], sizeof(vec3)) == 0) continue;
        ++moves.count;
        const double d = distance(before[v], after[v]);
        if (d > moves.largest) moves.largest = d;
    }
    return moves;
}

symmetry_measure measure_symmetry(host::scene& scene, const host::mesh_shape& shape, const Symmetry_class& settings) {
    symmetry_measure m;
    m.plane = settings.plane;
    m.margin = settings.margin;
    m.on_plane_margin = settings.reduse_margin;
    m.vertices = shape.data().vertex_count();
    m.faces = shape.data().face_count();
    host::mesh_shape* copy = &add_copy(scene, shape);
    const std::vector<vec3> before = measured_positions(*copy, settings);
    {
        Polygon_class polygon(copy);
        try {
            // The pairing "Twinel" makes: its tables, and what it moved.
            const twinel_class pairing(polygon, settings, false);
            count_pairs(pairing, before, m);
            const vertex_moves moves = moves_between(before, measured_positions(*copy, settings));
            m.moved_vertices = moves.count;
            m.largest_move = moves.largest;
        } catch (const char* message) {
            m.message = message ? message : "***Twinel ERROR*** at make twinel.";
        }
    }
    if (!m.message.empty()) {
        // The failed pairing took its tables with it: the same steps on a
        // fresh copy, without the final verdict, give the counts.
        scene.remove_shape(*copy);
        copy = &add_copy(scene, shape);
        Polygon_class polygon(copy);
        twinel_class pairing(polygon, settings);
        pairing.make_twinel();
        count_pairs(pairing, before, m);
    }
    scene.remove_shape(*copy);
    return m;
}

bool more_symmetric(const symmetry_measure& a, const symmetry_measure& b) {
    if (a.unpaired != b.unpaired) return a.unpaired < b.unpaired;
    if (a.unpaired_faces != b.unpaired_faces) return a.unpaired_faces < b.unpaired_faces;
    return a.mean_distance < b.mean_distance;
}

}  // namespace cli
