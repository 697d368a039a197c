// The linear conflict pass of the useless-edge selection against the
// pass that compares every candidate with every later one, on random
// triangulated grids full of equal scores and on random candidate lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "mesh/polygon_class.h"
#include "mesh/useless_edges.h"
#include "tests/common/mesh_builder.h"

namespace {

using korvo_polygon::edge_candidates;
using korvo_polygon::edges_struct;

// For each candidate X in key order and each later candidate Y: Y becomes
// invalid when it is valid and X's edge is one of its sides.
void quadratic_pass(edge_candidates& candidates) {
    for (auto x = candidates.begin(); x != candidates.end(); ++x)
        for (auto y = std::next(x); y != candidates.end(); ++y) {
            edges_struct& c = y->second;
            if (c.valid && std::find(std::begin(c.sides), std::end(c.sides), x->second.edge) != std::end(c.sides))
                c.valid = false;
        }
}

std::vector<bool> flags(const edge_candidates& candidates) {
    std::vector<bool> out;
    for (const auto& entry : candidates) out.push_back(entry.second.valid);
    return out;
}

// Picks from [0, n) (std::mt19937 gives the same numbers everywhere).
int pick(std::mt19937& random, int n) { return static_cast<int>(random() % static_cast<std::uint32_t>(n)); }

// A w x h grid at integer positions, mostly flat so that scores tie; each
// cell a quad or split by either diagonal; vertices and edges shuffled.
host::mesh_data random_grid(std::mt19937& random) {
    const int w = 2 + pick(random, 6);
    const int h = 1 + pick(random, 6);
    twinel_test::mesh_lists m;
    for (int y = 0; y <= h; ++y)
        for (int x = 0; x <= w; ++x) {
            const float z = pick(random, 5) == 0 ? static_cast<float>(pick(random, 3)) : 0.0f;
            const float stretch = pick(random, 4) == 0 ? 0.5f : 0.0f;  // some long cells
            m.positions.emplace_back(static_cast<float>(x) * (1.0f + stretch), static_cast<float>(y), z);
        }
    std::vector<int> renumber(m.positions.size());
    for (std::size_t k = 0; k < renumber.size(); ++k) renumber[k] = static_cast<int>(k);
    std::shuffle(renumber.begin(), renumber.end(), random);
    std::vector<vec3> positions(m.positions.size());
    for (std::size_t k = 0; k < renumber.size(); ++k) positions[static_cast<std::size_t>(renumber[k])] = m.positions[k];
    m.positions = positions;
    const auto at = [&](int x, int y) { return renumber[static_cast<std::size_t>(y * (w + 1) + x)]; };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int a = at(x, y), b = at(x + 1, y), c = at(x + 1, y + 1), d = at(x, y + 1);
            switch (pick(random, 7)) {
                case 0: m.faces.push_back({a, b, c, d}); break;
                case 1: case 2: case 3: m.faces.push_back({a, b, c}); m.faces.push_back({a, c, d}); break;
                default: m.faces.push_back({a, b, d}); m.faces.push_back({b, c, d}); break;
            }
        }
    host::mesh_data data = twinel_test::make_mesh_data(m);
    std::shuffle(data.edges.begin(), data.edges.end(), random);
    return data;
}

}  // namespace

TEST(useless_edges_equivalence, linear_pass_selects_as_the_quadratic_pass_on_random_grids) {
    std::mt19937 random(20240611);
    const float face_angles[] = {5, 15, 30, 60};
    const float side_angles[] = {60, 85, 90, 95, 120, 150, 175};
    int conflicts = 0;
    for (int round = 0; round < 300; ++round) {
        twinel_test::test_scene t;
        host::mesh_shape& shape = t.scene().add_mesh("grid", random_grid(random));
        Polygon_class polygon(&shape);
        const auto limits = korvo_polygon::make_useless_edge_limits(face_angles[pick(random, 4)],
                                                                    side_angles[pick(random, 7)]);
        edge_candidates fast = korvo_polygon::collect_useless_edges(polygon, limits);
        edge_candidates slow = fast;
        const int valid = korvo_polygon::resolve_useless_edge_conflicts(fast);
        quadratic_pass(slow);
        const std::vector<bool> kept = flags(slow);
        ASSERT_EQ(flags(fast), kept) << "round " << round;
        EXPECT_EQ(valid, std::count(kept.begin(), kept.end(), true));
        conflicts += static_cast<int>(fast.size()) - valid;
    }
    EXPECT_GT(conflicts, 100) << "the grids should exercise the conflict rule";
}

TEST(useless_edges_equivalence, linear_pass_matches_on_arbitrary_candidate_lists) {
    // Repeated edges, sides naming the candidate's own edge, -1 sides and
    // candidates that start out invalid: whatever a list holds.
    std::mt19937 random(7);
    const float keys[] = {-1.0f, -0.75f, -0.5f};
    for (int round = 0; round < 300; ++round) {
        edge_candidates fast;
        const int n = pick(random, 40);
        for (int k = 0; k < n; ++k) {
            edges_struct c;
            c.edge = pick(random, 25);
            for (int& side : c.sides) side = pick(random, 27) - 1;
            c.valid = pick(random, 10) != 0;
            fast.emplace(keys[pick(random, 3)], c);
        }
        edge_candidates slow = fast;
        korvo_polygon::resolve_useless_edge_conflicts(fast);
        quadratic_pass(slow);
        ASSERT_EQ(flags(fast), flags(slow)) << "round " << round;
    }
}
