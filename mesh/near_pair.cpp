// The two vertices of a mesh that lie closest together.
#include <algorithm>
#include <cmath>
#include <vector>

#include "mesh/polygon_class.h"

namespace {

struct by_x {
    float x;
    int vertex;
};

// |a - b|: the squares summed in single precision, the square root taken in
// double precision and rounded back to single.
float distance(const vec3& a, const vec3& b) {
    const float dx = a.x - b.x;
    const float dy = a.y - b.y;
    const float dz = a.z - b.z;
    return static_cast<float>(std::sqrt(static_cast<double>(dx * dx + dy * dy + dz * dz)));
}

}  // namespace

Polygon_class::vertices_pair Polygon_class::find_first_near_vertices_pair() {
    vertices_pair best;
    const int n = mesh ? mesh->get_number_of_vertices() : 0;
    std::vector<vec3> positions(static_cast<std::size_t>(std::max(n, 0)));
    std::vector<by_x> order;
    order.reserve(positions.size());
    for (int v = 0; v < n; ++v) {
        positions[static_cast<std::size_t>(v)] = mesh->vertex(v).get_position();
        // A vertex without a comparable x is at no distance from any other
        // and cannot be ordered; leaving it out changes no answer.
        const float x = positions[static_cast<std::size_t>(v)].x;
        if (!std::isnan(x)) order.push_back({x, v});
    }
    // Ascending x, equal x in index order.
    std::stable_sort(order.begin(), order.end(), [](const by_x& a, const by_x& b) { return a.x < b.x; });

    for (auto x = order.begin(); x != order.end(); ++x) {
        const vec3& px = positions[static_cast<std::size_t>(x->vertex)];
        for (auto y = x + 1; y != order.end(); ++y) {
            const float d = distance(px, positions[static_cast<std::size_t>(y->vertex)]);
            if (d < best.distance) {
                best = {x->vertex, y->vertex, d};
            } else if (y->x - x->x > best.distance) {
                // Every later entry lies further along x than the best
                // distance.
                break;
            }
        }
    }
    return best;
}
