// The grid matching of selected vertices against the plain walk it
// replaces, side by side on random selections full of ties, exact mirrors,
// points on the plane, underflowing distances and non-finite coordinates.
#include "symmetry/mirror_matching.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

#include "symmetry/mirror.h"
#include "tests/support/random_draws.h"

namespace {

constexpr float inf = std::numeric_limits<float>::infinity();
constexpr float nan = std::numeric_limits<float>::quiet_NaN();

// ---- the plain walk ---------------------------------------------------------

float plain_distance(const vec3& a, vec3 b, int plane) {
    b[plane] = -b[plane];
    const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    const float s = dx * dx + dy * dy + dz * dz;
    return static_cast<float>(std::sqrt(static_cast<double>(s)));
}

// For each source in order: every free target from the first, up to the
// first whose key is too far ahead; the strictly nearest mirror wins.
std::vector<int> plain_matching(const std::vector<mirror_record>& sources, const std::vector<mirror_record>& targets,
                                int plane, float limit) {
    std::vector<int> partner(sources.size(), -1);
    std::vector<bool> done(targets.size(), false);
    for (std::size_t i = 0; i < sources.size(); ++i) {
        float best = limit;
        int candidate = -1;
        for (std::size_t k = 0; k < targets.size(); ++k) {
            if (done[k]) continue;
            if (targets[k].key - sources[i].key > best) break;
            const float d = plain_distance(sources[i].position, targets[k].position, plane);
            if (d < best) {
                best = d;
                candidate = static_cast<int>(k);
            }
        }
        if (candidate < 0) continue;
        done[static_cast<std::size_t>(candidate)] = true;
        partner[i] = candidate;
    }
    return partner;
}

// ---- random selections --------------------------------------------------------

struct selection {
    std::vector<mirror_record> sources, targets;
    int plane = 0;
    float limit = FLT_MAX;
};

void sort_walk_order(std::vector<mirror_record>& records) {
    std::stable_sort(records.begin(), records.end(), [](const mirror_record& a, const mirror_record& b) {
        if (std::isnan(a.key)) return false;
        return std::isnan(b.key) || a.key < b.key;
    });
}

class generator : public twinel_test::random_draws {
public:
    using random_draws::random_draws;

    float pick_limit() {
        static const float limits[] = {FLT_MAX, FLT_MAX, FLT_MAX, 0.1f, 0.0625f, 1.0f, 0.0f,
                                       -0.1f,   1e-19f,  1e-30f,  inf,  nan};
        return limits[below(sizeof limits / sizeof *limits)];
    }

    selection make(int round) {
        selection c;
        c.plane = below(3);
        c.limit = pick_limit();
        const int family = round % 6;
        const int n = 1 + below(round % 5 == 0 ? 600 : 80);
        std::vector<vec3> points;
        while (static_cast<int>(points.size()) < n) {
            vec3 p;
            switch (family) {
            case 0:  // smooth cloud
                p = vec3(uniform(-2, 2), uniform(-2, 2), uniform(-2, 2));
                break;
            case 1:
            case 2:  // lattice: equal keys and equal distances everywhere
                p = vec3(lattice(0.125f, 6), lattice(0.125f, 6), lattice(0.125f, 6));
                break;
            case 3:  // a flat sheet with long columns of equal keys
                p = vec3(lattice(0.25f, 4), uniform(-1, 1), 0.0f);
                break;
            case 4:  // a far outlier stretches the grid
                p = chance(0.02) ? vec3(1e30f, uniform(-1e30f, 1e30f), 0) : vec3(uniform(-1, 1), uniform(-1, 1), 0);
                break;
            default:  // mirror pairs, jittered or exact
                p = vec3(uniform(0.01f, 1), uniform(-1, 1), uniform(-1, 1));
                break;
            }
            std::swap(p.x, p[c.plane]);
            points.push_back(p);
            if (chance(0.6)) {
                vec3 q = p;
                q[c.plane] = -q[c.plane];
                if (chance(0.5)) q[below(3)] += uniform(-0.05f, 0.05f);
                points.push_back(q);
            }
            if (chance(0.05)) points.push_back(points[static_cast<std::size_t>(below(static_cast<int>(points.size())))]);
            if (chance(0.04)) {
                vec3 b = p;
                b[c.plane] = chance(0.5) ? 0.0f : -0.0f;
                points.push_back(b);
            }
            if (chance(0.03)) {
                vec3 b = p;
                const float odd[] = {nan, inf, -inf, FLT_MAX, -FLT_MAX};
                b[below(3)] = odd[below(5)];
                points.push_back(b);
            }
        }
        // Now and then everything shrinks until squared distances underflow.
        if (round % 7 == 3) {
            const float scales[] = {1e-20f, 1e-24f, 1e-26f, 1e-35f};
            const float scale = scales[below(4)];
            const float tiny_limits[] = {FLT_MAX, 1e-24f, 1e-27f, 1e-30f, 0.0f};
            c.limit = tiny_limits[below(5)];
            for (vec3& p : points) {
                p = p * scale;
                if (chance(0.3)) p[below(3)] += uniform(-3e-21f, 3e-21f);
            }
        }
        // Split as the selection is split: positive side against the rest.
        for (const vec3& p : points) {
            const float key = p[c.plane];
            if (key > 0.0f)
                c.sources.push_back({key, p});
            else
                c.targets.push_back({-key, p});
        }
        sort_walk_order(c.sources);
        sort_walk_order(c.targets);
        return c;
    }

};

TEST(mirror_matching_equivalence, matches_the_plain_walk_on_random_selections) {
    generator g(20261207u);
    int matched = 0;
    for (int round = 0; round < 700; ++round) {
        const selection c = g.make(round);
        const std::vector<int> expected = plain_matching(c.sources, c.targets, c.plane, c.limit);
        const std::vector<int> got = match_mirror_records(c.sources, c.targets, c.plane, c.limit);
        ASSERT_EQ(got, expected) << "round " << round << ", plane " << c.plane << ", limit " << c.limit;
        matched += static_cast<int>(std::count_if(got.begin(), got.end(), [](int k) { return k >= 0; }));
    }
    EXPECT_GT(matched, 10000);  // the rounds really pair things
}

TEST(mirror_matching_equivalence, settles_underflowing_distances_by_the_walk_rule) {
    // Targets whose mirrors lie within 1e-30 of the source: every square
    // underflows, each distance is 0, and the walk takes the first of them
    // in key order -- unless a key lies too far ahead of the source's key.
    const std::vector<mirror_record> sources = {{1.0f, vec3(1.0f, 0, 0)}};
    const std::vector<mirror_record> near_targets = {
        {std::nextafter(1.0f, 0.0f), vec3(-std::nextafter(1.0f, 0.0f), 1e-30f, 0)},
        {1.0f, vec3(-1.0f, 0, 0)},
    };
    EXPECT_EQ(match_mirror_records(sources, near_targets, 0, FLT_MAX), plain_matching(sources, near_targets, 0, FLT_MAX));
    const std::vector<mirror_record> tiny_sources = {{1e-30f, vec3(1e-30f, 0, 0)}};
    const std::vector<mirror_record> tiny_targets = {
        {0.0f, vec3(0.0f, 0, 0)},
        {1e-30f, vec3(-1e-30f, 2e-30f, 0)},
        {2e-30f, vec3(-2e-30f, 0, 0)},
    };
    // A mirror 4e-30 ahead of the source is at distance 0, but a limit of
    // 1e-30 stops the walk before it.
    const std::vector<mirror_record> ahead = {{5e-30f, vec3(-5e-30f, 0, 0)}};
    EXPECT_EQ(plain_matching(tiny_sources, ahead, 0, 1e-30f), std::vector<int>{-1});
    EXPECT_EQ(match_mirror_records(tiny_sources, ahead, 0, 1e-30f), std::vector<int>{-1});
    for (float limit : {FLT_MAX, 1e-31f, 0.0f}) {
        EXPECT_EQ(match_mirror_records(tiny_sources, tiny_targets, 0, limit),
                  plain_matching(tiny_sources, tiny_targets, 0, limit))
            << limit;
    }
}

TEST(mirror_matching_equivalence, pairs_a_large_exact_mirror_in_one_pass) {
    // A sheet with long columns of equal keys, mirrored exactly: each
    // source finds its own mirror, which the plain walk would reach only
    // after visiting every target of the column.
    std::vector<mirror_record> sources, targets;
    for (int x = 1; x <= 50; ++x)
        for (int y = 0; y < 400; ++y) {
            const vec3 p(0.25f * static_cast<float>(x), 0.01f * static_cast<float>(y), 0.0f);
            sources.push_back({p.x, p});
            targets.push_back({p.x, vec3(-p.x, p.y, p.z)});
        }
    sort_walk_order(sources);
    sort_walk_order(targets);
    const std::vector<int> partner = match_mirror_records(sources, targets, 0, FLT_MAX);
    for (std::size_t i = 0; i < sources.size(); ++i) {
        ASSERT_GE(partner[i], 0);
        EXPECT_EQ(targets[static_cast<std::size_t>(partner[i])].position, symmetry::mirror(sources[i].position, 0));
    }
}

}  // namespace
