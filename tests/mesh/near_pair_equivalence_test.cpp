// The tree search for the nearest pair of positions against the plain
// sweep it replaces, side by side on random point sets: columns of equal x,
// whole sets in one plane of constant x, duplicates, underflowing
// distances and non-finite coordinates.
#include "mesh/near_pair.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "tests/support/random_draws.h"

namespace {

constexpr float inf = std::numeric_limits<float>::infinity();
constexpr float nan = std::numeric_limits<float>::quiet_NaN();

// For each entry X in x order and each Y after it: a strictly nearer pair
// replaces the best, otherwise the scan of X stops once Y is too far
// along x.
Polygon_class::vertices_pair plain_sweep(const std::vector<vec3>& positions) {
    std::vector<int> order;
    for (std::size_t v = 0; v < positions.size(); ++v)
        if (!std::isnan(positions[v].x)) order.push_back(static_cast<int>(v));
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return positions[static_cast<std::size_t>(a)].x < positions[static_cast<std::size_t>(b)].x;
    });
    Polygon_class::vertices_pair best;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const vec3& p = positions[static_cast<std::size_t>(order[i])];
        for (std::size_t j = i + 1; j < order.size(); ++j) {
            const vec3& q = positions[static_cast<std::size_t>(order[j])];
            const float dx = p.x - q.x, dy = p.y - q.y, dz = p.z - q.z;
            const float d = static_cast<float>(std::sqrt(static_cast<double>(dx * dx + dy * dy + dz * dz)));
            if (d < best.distance)
                best = {order[i], order[j], d};
            else if (q.x - p.x > best.distance)
                break;
        }
    }
    return best;
}

std::vector<vec3> random_points(twinel_test::random_draws& g, int round) {
    const int n = g.below(round % 5 == 0 ? 500 : 60);
    std::vector<vec3> points;
    const int family = round % 7;
    if (family == 6) {
        // A whole lattice in shuffled order, no duplicates: the nearest
        // distance is the spacing, shared by many pairs of the first entry.
        for (int x = 0; x < 3; ++x)
            for (int y = 0; y < 4; ++y)
                for (int z = 0; z < 4; ++z) points.push_back(vec3(0.5f * x, 0.5f * y, 0.5f * z));
        for (std::size_t i = points.size(); i > 1; --i)
            std::swap(points[i - 1], points[static_cast<std::size_t>(g.below(static_cast<int>(i)))]);
        return points;
    }
    while (static_cast<int>(points.size()) < n) {
        switch (family) {
        case 0:  // smooth cloud
            points.push_back(vec3(g.uniform(-2, 2), g.uniform(-2, 2), g.uniform(-2, 2)));
            break;
        case 1:  // lattice: columns of equal x, equal distances everywhere
            points.push_back(vec3(g.lattice(0.25f, 4), g.lattice(0.125f, 8), g.lattice(0.5f, 2)));
            break;
        case 2:  // everything in the plane x = 0: no scan ever stops early
            points.push_back(vec3(0.0f, g.lattice(0.0625f, 20), g.uniform(-1, 1)));
            break;
        case 3:  // a sparse set with a far outlier
            points.push_back(g.chance(0.05) ? vec3(1e30f, 0, -1e30f) : vec3(g.uniform(-1, 1), g.uniform(-1, 1), 0));
            break;
        default:  // near pairs at many scales
            points.push_back(vec3(g.uniform(-1, 1), g.uniform(-1, 1), g.uniform(-1, 1)));
            break;
        }
        if (g.chance(0.05) && !points.empty())
            points.push_back(points[static_cast<std::size_t>(g.below(static_cast<int>(points.size())))]);
        if (g.chance(0.03)) {
            vec3 odd = points.back();
            const float values[] = {nan, inf, -inf, FLT_MAX, -FLT_MAX};
            odd[g.below(3)] = values[g.below(5)];
            points.push_back(odd);
        }
    }
    // Now and then everything shrinks until squares underflow, and some
    // points move by less than the smallest normal square root.
    if (round % 8 == 3) {
        const float scales[] = {1e-20f, 1e-24f, 1e-30f, 1e-36f};
        const float scale = scales[g.below(4)];
        for (vec3& p : points) {
            p = p * scale;
            if (g.chance(0.3)) p[g.below(3)] += g.uniform(-3e-21f, 3e-21f);
        }
    }
    return points;
}

TEST(near_pair_equivalence, tree_search_finds_the_pair_of_the_plain_sweep) {
    twinel_test::random_draws g(7331u);
    int found = 0;
    for (int round = 0; round < 800; ++round) {
        const std::vector<vec3> points = random_points(g, round);
        const Polygon_class::vertices_pair expected = plain_sweep(points);
        // The tree throughout, for scans over 3 entries, for scans over 3
        // once 50 entries are walked, and as a mesh would run.
        for (const auto& [budget, limit] : {std::pair(0, 0), std::pair(0, 3), std::pair(50, 3), std::pair(-1, 64)}) {
            const Polygon_class::vertices_pair got = nearest_pair(points, budget, limit);
            ASSERT_EQ(got.first, expected.first) << "round " << round << ", walks " << budget << ", " << limit;
            ASSERT_EQ(got.second, expected.second) << "round " << round << ", walks " << budget << ", " << limit;
            ASSERT_EQ(std::memcmp(&got.distance, &expected.distance, sizeof(float)), 0) << "round " << round;
        }
        found += expected.first >= 0;
    }
    EXPECT_GT(found, 600);
}

TEST(near_pair_equivalence, underflowing_distances_follow_the_sweep) {
    // Every square underflows: the sweep takes the first pair in its order,
    // and a scan stops at an entry too far along x before reaching a pair
    // at distance 0 behind it.
    const std::vector<vec3> points = {
        vec3(0.0f, 0, 0), vec3(2e-30f, 1e-30f, 0), vec3(2e-30f, 0, 0), vec3(3e-30f, 0, 0), vec3(3e-30f, 0, 0)};
    const Polygon_class::vertices_pair expected = plain_sweep(points);
    for (int walks : {0, -1}) {
        const Polygon_class::vertices_pair got = nearest_pair(points, walks, walks);
        EXPECT_EQ(got.first, expected.first);
        EXPECT_EQ(got.second, expected.second);
        EXPECT_EQ(got.distance, expected.distance);
    }
}

TEST(near_pair_equivalence, a_large_flat_mesh_in_the_yz_plane_is_fast) {
    // 250,000 vertices at x = 0: the sweep would compare every pair.
    std::vector<vec3> points;
    for (int y = 0; y < 500; ++y)
        for (int z = 0; z < 500; ++z)
            points.push_back(vec3(0.0f, 0.1f * static_cast<float>(y), 0.1f * static_cast<float>(z) + (y == 250 && z == 9 ? 0.05f : 0.0f)));
    const Polygon_class::vertices_pair got = nearest_pair(points);
    EXPECT_EQ(got.first, 250 * 500 + 9);
    EXPECT_EQ(got.second, 250 * 500 + 10);
}

}  // namespace
