// The UV grouping that unites UVs, through runs and the UV grid, against
// the plain walk over the whole list, on random collected lists: UVs on a
// lattice (equal distances at the radius), tight clusters, far outliers and
// non-finite values.
#include "uv/uv_grouping.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/support/random_draws.h"

namespace {

using uv_editing::face_uv;

constexpr float inf = std::numeric_limits<float>::infinity();
constexpr float nan = std::numeric_limits<float>::quiet_NaN();

std::vector<int> plain_groups(std::vector<face_uv> list, bool all, float limit) {
    int groups = 0;
    for (std::size_t seed = 0; seed < list.size(); ++seed) {
        if (list[seed].group >= 0) continue;
        list[seed].group = groups;
        for (std::size_t k = seed + 1; k < list.size(); ++k) {
            face_uv& r = list[k];
            if (r.group >= 0 || (!all && r.vertex != list[seed].vertex)) continue;
            const float du = r.uv.x - list[seed].uv.x, dv = r.uv.y - list[seed].uv.y;
            if (du * du + dv * dv < limit) r.group = groups;
        }
        ++groups;
    }
    std::vector<int> out;
    for (const face_uv& r : list) out.push_back(r.group);
    return out;
}

TEST(uv_grouping, grid_and_runs_group_as_the_plain_walk) {
    twinel_test::random_draws g(4096u);
    const float limits[] = {1e-4f, 1e-4f, 0.0025f, 0.01f, 0.0f, -1.0f, nan, inf, 1e-40f, 1e30f};
    int joined = 0;
    for (int round = 0; round < 600; ++round) {
        const float limit = limits[g.below(10)];
        std::vector<face_uv> list;
        const int vertices = 1 + g.below(round % 4 == 0 ? 200 : 30);
        for (int v = 0; v < vertices; ++v) {
            const int corners = 1 + g.below(6);
            const vec2 centre(g.uniform(0, 1), g.uniform(0, 1));
            for (int c = 0; c < corners; ++c) {
                face_uv r;
                r.vertex = v * 7;
                r.face = c;
                switch (round % 4) {
                case 0:  // a lattice: distances exactly at the radius
                    r.uv = vec2(0.01f * static_cast<float>(g.below(20)), 0.01f * static_cast<float>(g.below(20)));
                    break;
                case 1:  // tight clusters around each vertex's UV
                    r.uv = centre + vec2(g.uniform(-0.02f, 0.02f), g.uniform(-0.02f, 0.02f));
                    break;
                case 2:  // a few far away
                    r.uv = g.chance(0.05) ? vec2(1e20f, -1e20f) : centre;
                    break;
                default:
                    r.uv = vec2(g.uniform(-1, 1), g.uniform(-1, 1));
                    break;
                }
                if (round % 40 == 5 && g.chance(0.03)) r.uv.x = g.chance(0.5) ? nan : inf;
                list.push_back(r);
            }
        }
        for (bool all : {true, false}) {
            const std::vector<int> expected = plain_groups(list, all, limit);
            for (std::size_t grid_from : {std::size_t{0}, std::size_t{64}}) {
                std::vector<face_uv> got = list;
                const int groups = uv_editing::group_uv_records(got, all, limit, grid_from);
                std::vector<int> assigned;
                for (const face_uv& r : got) assigned.push_back(r.group);
                ASSERT_EQ(assigned, expected) << "round " << round << ", all " << all << ", limit " << limit;
                ASSERT_EQ(groups, expected.empty() ? 0 : *std::max_element(expected.begin(), expected.end()) + 1);
            }
            joined += static_cast<int>(expected.size()) -
                      (expected.empty() ? 0 : *std::max_element(expected.begin(), expected.end()) + 1);
        }
    }
    EXPECT_GT(joined, 5000);
}

TEST(uv_grouping, a_vertex_met_again_later_still_groups_across_the_list) {
    // Not collected in runs: vertex 1 appears at both ends. Without `all`
    // its two records still unite.
    std::vector<face_uv> list(3);
    list[0].vertex = 1;
    list[1].vertex = 2;
    list[2].vertex = 1;
    for (face_uv& r : list) r.uv = vec2(0.5f, 0.5f);
    EXPECT_EQ(uv_editing::group_uv_records(list, false, 0.01f), 2);
    EXPECT_EQ(list[2].group, 0);
}

}  // namespace
