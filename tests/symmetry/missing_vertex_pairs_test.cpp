// Pairing the vertices a table repair lost, through the tree, against the
// plain walk over the list, on random lists with partly paired tables,
// self-pairs near the plane, duplicates and odd margins.
#include "symmetry/missing_vertex_pairs.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#include "tests/support/random_draws.h"

namespace {

constexpr float inf = std::numeric_limits<float>::infinity();
constexpr float nan = std::numeric_limits<float>::quiet_NaN();

// The walk, written out with the mirror test spelled as it is defined: the
// squared distance from a to b's mirror, in single precision, within the
// margin's square.
void plain_walk(const std::vector<int>& missing, const std::vector<vec3>& positions, int plane, float margin,
                Interconnection_class& table) {
    const float margin_squared = margin * margin;
    for (std::size_t x = 0; x < missing.size(); ++x) {
        const vec3& a = positions[static_cast<std::size_t>(missing[x])];
        for (std::size_t y = x; y < missing.size(); ++y) {
            const int b = missing[y];
            vec3 m = positions[static_cast<std::size_t>(b)];
            m[plane] = -m[plane];
            const float dx = a.x - m.x, dy = a.y - m.y, dz = a.z - m.z;
            const float d2 = dx * dx + dy * dy + dz * dz;
            if (!table.has_pair(b) && static_cast<double>(margin_squared) >= static_cast<double>(d2))
                table.link(missing[x], b);
        }
    }
}

TEST(missing_vertex_pairs, tree_links_as_the_plain_walk_does) {
    twinel_test::random_draws g(515u);
    const float margins[] = {0.1f, 0.1f, 0.05f, 0.0f, 1e-30f, -0.1f, 2.0f, nan, inf, 1e20f};
    int links = 0;
    for (int round = 0; round < 600; ++round) {
        Symmetry_class settings;
        settings.plane = g.below(3);
        settings.margin = margins[g.below(10)];
        const int n = 1 + g.below(round % 4 == 0 ? 400 : 60);
        std::vector<vec3> positions;
        while (static_cast<int>(positions.size()) < n) {
            vec3 p = round % 3 == 0 ? vec3(g.lattice(0.05f, 6), g.lattice(0.05f, 6), g.lattice(0.05f, 6))
                                    : vec3(g.uniform(-1, 1), g.uniform(-1, 1), g.uniform(-1, 1));
            if (g.chance(0.1)) p[settings.plane] = g.uniform(-0.06f, 0.06f);  // near the plane
            positions.push_back(p);
            if (g.chance(0.6)) {  // a mirror partner, jittered about the margin
                vec3 q = p;
                q[settings.plane] = -q[settings.plane];
                q[g.below(3)] += g.uniform(-0.12f, 0.12f);
                positions.push_back(q);
            }
            if (g.chance(0.05)) positions.push_back(positions[static_cast<std::size_t>(g.below(static_cast<int>(positions.size())))]);
            if (round % 50 == 7 && g.chance(0.02)) positions.back()[g.below(3)] = g.chance(0.5) ? nan : inf;
        }
        // The list: most vertices, in a shuffled order; some already paired.
        std::vector<int> missing;
        for (int v = 0; v < static_cast<int>(positions.size()); ++v)
            if (!g.chance(0.2)) missing.push_back(v);
        for (std::size_t i = missing.size(); i > 1; --i)
            std::swap(missing[i - 1], missing[static_cast<std::size_t>(g.below(static_cast<int>(i)))]);
        Interconnection_class start;
        start.resize(static_cast<int>(positions.size()));
        for (int k = 0; k < static_cast<int>(positions.size()) / 8; ++k)
            start.link(g.below(static_cast<int>(positions.size())), g.below(static_cast<int>(positions.size())));

        Interconnection_class expected = start;
        plain_walk(missing, positions, settings.plane, settings.margin, expected);
        for (std::size_t tree_from : {std::size_t{0}, std::size_t{64}}) {
            Interconnection_class got = start;
            pair_missing_vertices(missing, positions, settings, got, tree_from);
            ASSERT_EQ(got.links, expected.links) << "round " << round << ", margin " << settings.margin;
            ASSERT_EQ(got.unmatched, expected.unmatched) << "round " << round;
        }
        for (int v = 0; v < expected.size(); ++v) links += expected.partner(v) >= 0;
    }
    EXPECT_GT(links, 20000);
}

}  // namespace
