#include "symmetry/sweep_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <set>

namespace {

// Entries of random clouds go in and out in random order; every query must
// find exactly what a scan of the present entries finds.
TEST(sweep_grid, finds_what_a_scan_of_the_present_entries_finds) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> coordinate(-1.0f, 1.0f);
    for (int round = 0; round < 40; ++round) {
        const float reach = round % 4 == 0 ? 0.5f : 0.05f;
        std::vector<vec3> positions;
        for (int k = 0; k < 600; ++k) {
            vec3 p(coordinate(rng), coordinate(rng) * (round % 3 == 0 ? 0.01f : 1.0f), coordinate(rng));
            if (k % 97 == 5) p.y = std::numeric_limits<float>::infinity();
            positions.push_back(p);
        }
        sweep_grid grid(positions, 1, 2, reach);
        std::set<int> present;
        int next = 0;
        for (int step = 0; step < 1500; ++step) {
            if (next < 600 && rng() % 3 != 0) {
                grid.insert(next);
                if (std::isfinite(positions[static_cast<std::size_t>(next)].y)) present.insert(next);
                ++next;
            } else if (!present.empty()) {
                auto it = present.begin();
                std::advance(it, rng() % present.size());
                grid.remove(*it);
                grid.remove(*it);  // a second removal does nothing
                present.erase(it);
            }
            const vec3 q(0.0f, coordinate(rng), coordinate(rng));
            auto near = [&](int k) {
                const vec3& p = positions[static_cast<std::size_t>(k)];
                return std::fabs(p.y - q.y) <= reach && std::fabs(p.z - q.z) <= reach && (p.x > 0.0f) == (step % 2 == 0);
            };
            int first = -1, last = -1;
            for (int k : present)
                if (near(k)) {
                    if (first < 0) first = k;
                    last = k;
                }
            ASSERT_EQ(grid.first(q, near), first) << "round " << round << " step " << step;
            ASSERT_EQ(grid.last(q, near), last) << "round " << round << " step " << step;
        }
    }
}

TEST(sweep_grid, infinite_reach_puts_everything_in_one_bucket) {
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<vec3> positions{{0, 1e30f, 0}, {0, inf, 0}, {0, -5, 2}};
    sweep_grid grid(positions, 1, 2, HUGE_VAL);
    for (int k = 0; k < 3; ++k) grid.insert(k);
    auto any = [](int) { return true; };
    EXPECT_EQ(grid.first(vec3(0, -inf, 0), any), 0);
    EXPECT_EQ(grid.last(vec3(0, 0, 0), any), 2);
    grid.remove(0);
    EXPECT_EQ(grid.first(vec3(), any), 1);

    // A finite reach leaves non-finite points and queries out.
    sweep_grid finite(positions, 1, 2, 1.0);
    for (int k = 0; k < 3; ++k) finite.insert(k);
    EXPECT_EQ(finite.first(vec3(0, inf, 0), any), -1);
    EXPECT_EQ(finite.first(vec3(0, -5, 2.5f), any), 2);
    EXPECT_EQ(finite.first(vec3(0, 1e30f, 0), any), 0);
}

}  // namespace
