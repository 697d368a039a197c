// The vertex sweep against a plain walk over ordered multimaps, run side by
// side on random point sets full of ties, boundary distances, non-finite
// coordinates and dense clusters; the complete vertex tables must agree.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

#include "mesh/polygon_class.h"
#include "symmetry/twinel_class.h"
#include "symmetry/vertex_sweep.h"
#include "tests/common/mesh_builder.h"
#include "tests/support/random_draws.h"

namespace {

constexpr float inf = std::numeric_limits<float>::infinity();
constexpr float nan = std::numeric_limits<float>::quiet_NaN();

// ---- the plain walk ---------------------------------------------------------

float plain_distance(const vec3& a, const vec3& b) {
    const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    const float s = dx * dx + dy * dy + dz * dz;
    return static_cast<float>(std::sqrt(static_cast<double>(s)));
}

bool plain_is_sym(const vec3& a, vec3 b, int plane, float margin) {
    b[plane] = -b[plane];
    const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    const float d2 = dx * dx + dy * dy + dz * dz;
    const float mm = margin * margin;
    return static_cast<double>(mm) >= static_cast<double>(d2);
}

// The vertex table the pairing passes make, walked literally: for each
// positive entry the negative entries are visited one by one.
Interconnection_class plain_vertex_table(const std::vector<vec3>& positions, int plane, float margin,
                                         float reduse_margin) {
    std::multimap<float, ver_inf> positive, negative;
    std::vector<int> on_plane;
    for (int i = 0; i < static_cast<int>(positions.size()); ++i) {
        const vec3& p = positions[static_cast<std::size_t>(i)];
        const float c = p[plane];
        if (c > reduse_margin)
            positive.emplace(c, ver_inf{i, p, false});
        else if (c < -reduse_margin)
            negative.emplace(-c, ver_inf{i, p, false});
        else
            on_plane.push_back(i);
    }
    Interconnection_class table;
    table.resize(static_cast<int>(positions.size()));
    for (int i : on_plane) table.link(i);

    const float t = 0.002f;
    for (const auto& [pk, pv] : positive) {
        for (const auto& [nk, nv] : negative) {
            if (table.has_pair(nv.index)) continue;
            if (nk > pk + t) break;
            if (!(pk <= nk + t)) continue;
            if (plain_distance(pv.position, nv.position) <= t) table.link(pv.index, nv.index);
        }
    }

    auto start = negative.begin();
    for (const auto& [pk, pv] : positive) {
        if (table.has_pair(pv.index)) continue;
        // Entries more than the margin below P are dropped for good.
        while (start != negative.end() && pk - start->first > margin) ++start;
        for (auto n = start; n != negative.end(); ++n) {
            if (table.has_pair(n->second.index)) continue;
            if (n->first - pk > margin) break;
            if (plain_is_sym(n->second.position, pv.position, plane, margin)) {
                table.link(pv.index, n->second.index);
                break;
            }
        }
    }
    return table;
}

// ---- random point sets ------------------------------------------------------

struct case_setup {
    std::vector<vec3> positions;
    int plane = 0;
    float margin = 0.1f;
    float reduse_margin = 0.01f;
};

class generator : public twinel_test::random_draws {
public:
    using random_draws::random_draws;

    float pick_margin() {
        static const float margins[] = {0.0f, 1e-30f, 0.001f, 0.0625f, 0.1f, 0.125f, 0.25f, 1.0f, 3.0f,
                                        1e20f, -0.1f, inf, nan};
        return margins[below(sizeof margins / sizeof *margins)];
    }
    float pick_reduse_margin() {
        static const float margins[] = {0.0f, 0.0005f, 0.0625f, 0.01f, 0.125f, -0.05f, nan};
        return margins[below(sizeof margins / sizeof *margins)];
    }

    case_setup make(int round) {
        case_setup c;
        c.plane = below(3);
        c.margin = pick_margin();
        c.reduse_margin = pick_reduse_margin();
        const int n = 2 + below(round % 5 == 0 ? 400 : 120);
        const int family = round % 6;
        const float step = family == 1 ? 0.0625f : 0.03125f;
        while (static_cast<int>(c.positions.size()) < n) {
            vec3 p;
            switch (family) {
            case 0:  // smooth cloud
                p = vec3(uniform(-2, 2), uniform(-2, 2), uniform(-2, 2));
                break;
            case 1:
            case 2:  // lattice: ties in keys and in whole positions
                p = vec3(lattice(step, 8), lattice(step, 8), lattice(step, 8));
                break;
            case 3: {  // dense cluster around a few centres, on both sides
                const float cx = 0.05f * static_cast<float>(below(5) - 2);
                p = vec3(cx + uniform(-0.02f, 0.02f), uniform(-0.02f, 0.02f), uniform(-0.02f, 0.02f));
                break;
            }
            case 4:  // points close to the plane, where pass 1 and the on-plane band act
                p = vec3(uniform(-0.003f, 0.003f), lattice(0.001f, 3), lattice(0.001f, 3));
                break;
            default:  // mirror pairs with jitter
                p = vec3(uniform(0.01f, 1), uniform(-1, 1), uniform(-1, 1));
                break;
            }
            // Bring the plane coordinate to the plane in use.
            std::swap(p.x, p[c.plane]);
            c.positions.push_back(p);
            // Mirror partners, some exact, some jittered by about the margin.
            if (chance(0.5)) {
                vec3 q = p;
                q[c.plane] = -q[c.plane];
                if (chance(0.5)) {
                    const float j = std::isfinite(c.margin) ? std::fabs(c.margin) : 0.1f;
                    const int axis = below(3);
                    q[axis] += chance(0.5) ? uniform(-j, j) : (chance(0.5) ? j : -j);
                }
                c.positions.push_back(q);
            }
            // Duplicates, plane boundary values and non-finite coordinates.
            if (chance(0.05)) c.positions.push_back(c.positions[static_cast<std::size_t>(below(static_cast<int>(c.positions.size())))]);
            if (chance(0.04)) {
                vec3 b = p;
                const float r = c.reduse_margin;
                const float choices[] = {r, -r, std::nextafter(r, inf), -std::nextafter(r, inf), 0.0f, -0.0f};
                b[c.plane] = choices[below(6)];
                c.positions.push_back(b);
            }
            if (chance(0.02)) {
                vec3 b = p;
                const float odd[] = {nan, inf, -inf};
                b[below(3)] = odd[below(3)];
                c.positions.push_back(b);
            }
        }
        // Now and then everything shrinks until squared distances underflow.
        if (round % 7 == 3) {
            const float scale = chance(0.5) ? 1e-22f : 1e-35f;
            const float tiny_margins[] = {0.0f, 1e-30f, 2e-23f};
            c.margin = tiny_margins[below(3)];
            c.reduse_margin = chance(0.5) ? 0.0f : 1e-24f;
            // Either everything shrinks (pass 1 then pairs what is close) or
            // only the coordinates along the plane.
            const bool keep_plane = chance(0.5);
            for (vec3& p : c.positions) {
                const float along = p[c.plane];
                p = p * scale;
                if (keep_plane) p[c.plane] = along;
                if (chance(0.3)) p[(c.plane + 1 + below(2)) % 3] += uniform(-3e-23f, 3e-23f);
            }
        }
        return c;
    }

};

// ---- comparison ---------------------------------------------------------------

Interconnection_class fast_vertex_table(const case_setup& c) {
    twinel_test::mesh_lists lists;
    lists.positions = c.positions;
    twinel_test::test_scene t(lists);
    Polygon_class polygon(&t.shape());
    Symmetry_class settings;
    settings.plane = static_cast<std::int8_t>(c.plane);
    settings.margin = c.margin;
    settings.reduse_margin = c.reduse_margin;
    settings.verbose = false;
    twinel_class pairing(polygon, settings);
    EXPECT_EQ(pairing.make_vertices_link(), nullptr);
    return pairing.vertex_table;
}

TEST(vertex_pairing_equivalence, sweep_matches_the_plain_walk_on_random_meshes) {
    generator g(2024);
    int paired_somewhere = 0;
    for (int round = 0; round < 360; ++round) {
        const case_setup c = g.make(round);
        const Interconnection_class expected = plain_vertex_table(c.positions, c.plane, c.margin, c.reduse_margin);
        const Interconnection_class got = fast_vertex_table(c);
        ASSERT_EQ(got.links, expected.links) << "round " << round << ", plane " << c.plane << ", margin "
                                             << c.margin << ", on-plane margin " << c.reduse_margin;
        ASSERT_EQ(got.unmatched, expected.unmatched) << "round " << round;
        if (expected.unmatched < expected.size()) ++paired_somewhere;
    }
    EXPECT_GT(paired_somewhere, 200);
}

TEST(vertex_pairing_equivalence, pass_one_cases_match_the_plain_walk) {
    // Tiny on-plane margins let unmirrored neighbours across the plane meet
    // within the fixed tolerance; many candidates compete for each vertex.
    // Negative on-plane margins move both sides' keys below zero, where the
    // key window of the pass cuts candidates off.
    generator g(99);
    const float reduse_margins[] = {0.0f, 0.0002f, -0.0015f, -0.001f};
    for (int round = 0; round < 160; ++round) {
        case_setup c;
        c.plane = g.below(3);
        c.reduse_margin = reduse_margins[round % 4];
        c.margin = g.pick_margin();
        const int n = 20 + g.below(200);
        for (int i = 0; i < n; ++i) {
            const float along = g.chance(0.5) ? g.uniform(-0.004f, 0.003f) : g.lattice(0.00025f, 12);
            vec3 p(along, g.lattice(0.0005f, 4), g.lattice(0.0005f, 4));
            if (c.reduse_margin < -0.001f && g.chance(0.2)) {
                // A vertex just above the plane and one whose key lies at the
                // window's upper end (within an ulp) for it.
                const float key = g.uniform(-0.0005f, 0.0f);
                vec3 q = p;
                p.x = key;
                const float upper = key + 0.002f;
                const float ends[] = {upper, std::nextafter(upper, 1.0f), std::nextafter(upper, 0.0f)};
                q.x = -ends[g.below(3)];
                std::swap(q.x, q[c.plane]);
                c.positions.push_back(q);
            }
            std::swap(p.x, p[c.plane]);
            c.positions.push_back(p);
        }
        const Interconnection_class expected = plain_vertex_table(c.positions, c.plane, c.margin, c.reduse_margin);
        ASSERT_EQ(fast_vertex_table(c).links, expected.links) << "round " << round;
    }
}

TEST(vertex_pairing_equivalence, larger_sets_match_without_the_host) {
    generator g(5);
    for (int round = 0; round < 6; ++round) {
        case_setup c = g.make(round);
        while (c.positions.size() < 3000) {
            const case_setup more = g.make(round);
            c.positions.insert(c.positions.end(), more.positions.begin(), more.positions.end());
        }
        const Interconnection_class expected = plain_vertex_table(c.positions, c.plane, c.margin, c.reduse_margin);
        const plane_split split = split_by_plane(c.positions, c.plane, c.reduse_margin);
        const std::vector<int> partner = pair_sides(split.positive, split.negative, c.plane, c.margin, nullptr);
        Interconnection_class got;
        got.resize(static_cast<int>(c.positions.size()));
        for (const ver_inf& r : split.on_plane) got.link(r.index);
        for (int k = 0; k < split.positive.size(); ++k)
            if (partner[static_cast<std::size_t>(k)] >= 0)
                got.link(split.positive.vertex[static_cast<std::size_t>(k)],
                         split.negative.vertex[static_cast<std::size_t>(partner[static_cast<std::size_t>(k)])]);
        ASSERT_EQ(got.links, expected.links) << "round " << round;
    }
}

}  // namespace
