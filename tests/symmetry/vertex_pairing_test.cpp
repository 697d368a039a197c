#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "host/mesh_generator.h"
#include "mesh/polygon_class.h"
#include "symmetry/twinel_class.h"
#include "symmetry/vertex_sweep.h"
#include "tests/common/mesh_builder.h"
#include "tests/symmetry/pairing_fixture.h"

namespace {

using twinel_test::mesh_lists;
using twinel_test::test_scene;

using twinel_test::points;

using twinel_test::quiet_settings;

// A pairing of the test scene's mesh with the given settings.
struct paired {
    paired(test_scene& t, const Symmetry_class& s) : polygon(&t.shape()), twinel(polygon, s) {}
    Polygon_class polygon;
    twinel_class twinel;
};

vec3 at(test_scene& t, int v) { return t.mesh().vertex(v).get_position(); }

TEST(vertex_pairing, on_plane_band_ends_exactly_at_the_on_plane_margin) {
    Symmetry_class s = quiet_settings();
    s.reduse_margin = 0.25f;
    const float beyond = std::nextafter(0.25f, 1.0f);
    test_scene t(points({{0.25f, 1, 0}, {-0.25f, 2, 0}, {beyond, 3, 0}, {-beyond, 4, 0}, {0, 5, 0}}));
    paired p(t, s);
    EXPECT_EQ(p.twinel.make_vertices_link(), nullptr);
    EXPECT_TRUE(p.twinel.vertex_table.is_self(0));
    EXPECT_TRUE(p.twinel.vertex_table.is_self(1));
    EXPECT_TRUE(p.twinel.vertex_table.is_self(4));
    // Just outside the band the two vertices are sides; they are 2 apart
    // along y, farther than the margin, so they stay unpaired.
    EXPECT_FALSE(p.twinel.vertex_table.has_pair(2));
    EXPECT_FALSE(p.twinel.vertex_table.has_pair(3));
    EXPECT_EQ(p.twinel.vertex_table.unmatched, 2);
    // do_adjust puts the on-plane vertices onto the plane.
    EXPECT_EQ(at(t, 0), vec3(0, 1, 0));
    EXPECT_EQ(at(t, 1), vec3(0, 2, 0));
    EXPECT_EQ(at(t, 2), vec3(beyond, 3, 0));
}

TEST(vertex_pairing, unequal_sides_need_do_adjust) {
    // A symmetric mesh with one extra vertex on the positive side.
    mesh_lists m = twinel_test::jittered(twinel_test::symmetric_mesh(), 0.01f);
    m.positions.emplace_back(1.5f, 5, 0);
    {
        test_scene t(m);
        Symmetry_class s = quiet_settings();
        s.do_adjust = false;
        paired p(t, s);
        p.twinel.vertex_table.resize(3);
        p.twinel.vertex_table.link(0, 2);
        const host::mesh_data before = t.data();
        EXPECT_STREQ(p.twinel.make_vertices_link(), "Unmatch opposite vertices value.");
        EXPECT_EQ(p.twinel.vertex_table.links, std::vector<int>({2, -1, 0}));  // left as it was
        EXPECT_TRUE(twinel_test::identical(before, t.data()));
    }
    {
        test_scene t(m);
        paired p(t, quiet_settings());
        EXPECT_EQ(p.twinel.make_vertices_link(), nullptr);
        EXPECT_EQ(p.twinel.vertex_table.unmatched, 1);
        EXPECT_FALSE(p.twinel.vertex_table.has_pair(15));
        // The recognised pairs moved: the negative side mirrors the positive.
        for (int v = 0; v < 15; ++v) {
            const int w = p.twinel.vertex_table.partner(v);
            ASSERT_GE(w, 0);
            const vec3 a = at(t, v), b = at(t, w);
            EXPECT_EQ(a, vec3(-b.x, b.y, b.z)) << v;
        }
        EXPECT_EQ(at(t, 15), vec3(1.5f, 5, 0));
    }
}

TEST(vertex_pairing, without_do_adjust_an_incomplete_pairing_moves_nothing) {
    mesh_lists m = twinel_test::jittered(twinel_test::symmetric_mesh(), 0.01f);
    m.positions.emplace_back(1.5f, 5, 0);
    m.positions.emplace_back(-1.5f, 9, 0);  // equal sides, but no partner for either
    test_scene t(m);
    Symmetry_class s = quiet_settings();
    s.do_adjust = false;
    paired p(t, s);
    const host::mesh_data before = t.data();
    EXPECT_EQ(p.twinel.make_vertices_link(), nullptr);
    EXPECT_EQ(p.twinel.vertex_table.unmatched, 2);
    EXPECT_EQ(p.twinel.vertex_table.partner(0), 4);
    EXPECT_TRUE(p.twinel.vertex_table.is_self(2));
    EXPECT_TRUE(twinel_test::identical(before, t.data()));
}

TEST(vertex_pairing, pass_one_takes_the_last_candidate_and_frees_the_others) {
    // With a tiny on-plane margin, vertices across the plane closer than
    // 0.002 meet in the fixed-tolerance pass, unmirrored.
    Symmetry_class s = quiet_settings();
    s.reduse_margin = 0.0001f;
    s.margin = 0.0f;  // the margin pass adds nothing
    s.do_adjust = false;
    test_scene t(points({{0.0005f, 0, 0},     // P0, key 0.0005
                         {0.0007f, 0, 0},     // P1, key 0.0007
                         {-0.0005f, 0, 0},    // N2, key 0.0005
                         {-0.0006f, 0, 0}}));  // N3, key 0.0006
    paired p(t, s);
    EXPECT_EQ(p.twinel.make_vertices_link(), nullptr);
    // P0 meets N2 and then N3 and keeps N3; P1 takes the released N2.
    EXPECT_EQ(p.twinel.vertex_table.partner(0), 3);
    EXPECT_EQ(p.twinel.vertex_table.partner(1), 2);
}

TEST(vertex_pairing, pass_two_takes_the_first_candidate_by_key_not_the_nearest) {
    Symmetry_class s = quiet_settings();
    s.do_adjust = false;
    test_scene t(points({{1, 0, 0},          // P0
                         {-0.96f, 0.05f, 0},  // key 0.96, 0.064 from P0's mirror
                         {-1, 0.01f, 0},      // key 1, 0.01 away: nearer, but later
                         {1.02f, 0.3f, 0}}));  // P3, far from both
    paired p(t, s);
    EXPECT_EQ(p.twinel.make_vertices_link(), nullptr);
    EXPECT_EQ(p.twinel.vertex_table.partner(0), 1);
    EXPECT_FALSE(p.twinel.vertex_table.has_pair(2));
    EXPECT_FALSE(p.twinel.vertex_table.has_pair(3));
}

TEST(vertex_pairing, base_sides_decide_which_positions_survive) {
    const mesh_lists m = points({{1, 0.02f, 0}, {-1.04f, 0, 0}});
    for (int side : {0, 1, 2}) {
        test_scene t(m);
        Symmetry_class s = quiet_settings();
        s.base_side = static_cast<std::uint8_t>(side);
        paired p(t, s);
        ASSERT_EQ(p.twinel.make_vertices_link(), nullptr);
        ASSERT_EQ(p.twinel.vertex_table.partner(0), 1);
        if (side == 0) {
            EXPECT_EQ(at(t, 0), vec3(1, 0.02f, 0));
            EXPECT_EQ(at(t, 1), vec3(-1, 0.02f, 0));
        } else if (side == 1) {
            EXPECT_EQ(at(t, 0), vec3(1.04f, 0, 0));
            EXPECT_EQ(at(t, 1), vec3(-1.04f, 0, 0));
        } else {
            // Halfway between each vertex and the other's mirror.
            const vec3 half = (vec3(1, 0.02f, 0) + vec3(1.04f, 0, 0)) * 0.5f;
            EXPECT_EQ(at(t, 0), half);
            EXPECT_EQ(at(t, 1), vec3(-half.x, half.y, half.z));
        }
    }
}

TEST(vertex_pairing, world_coordinates_put_the_plane_through_the_world_origin) {
    // Symmetric about local x = -10, i.e. about world x = 0.
    test_scene t(points({{-9, 1, 0}, {-11.05f, 1, 0}, {-10, 2, 0}}));
    mat4 move;
    move[3][0] = 10;
    t.shape().set_local_matrix(move);
    Symmetry_class s = quiet_settings();
    s.use_world = true;
    paired p(t, s);
    EXPECT_EQ(p.twinel.world_matrix, move);
    EXPECT_EQ(p.twinel.make_vertices_link(), nullptr);
    EXPECT_EQ(p.twinel.vertex_table.partner(0), 1);
    EXPECT_TRUE(p.twinel.vertex_table.is_self(2));
    EXPECT_EQ(at(t, 1), vec3(-11, 1, 0));
    // Without use_world the same mesh has no on-plane vertex and no pairs.
    test_scene u(points({{-9, 1, 0}, {-11.05f, 1, 0}, {-10, 2, 0}}));
    u.shape().set_local_matrix(move);
    paired q(u, quiet_settings());
    EXPECT_EQ(q.twinel.world_matrix, mat4::identity());
    EXPECT_EQ(q.twinel.make_vertices_link(), nullptr);
    EXPECT_EQ(q.twinel.vertex_table.unmatched, 3);
}

TEST(vertex_pairing, a_jittered_torus_pairs_completely_and_ends_symmetric) {
    host::torus_options o;
    o.target_vertices = 3000;
    o.major_radius = 10;
    o.minor_radius = 4;
    o.jitter = 0.005f;
    test_scene t;
    host::mesh_shape& shape = t.scene().add_mesh("torus", host::make_torus(o));
    Polygon_class polygon(&shape);
    Symmetry_class s = quiet_settings();
    s.margin = 0.02f;
    twinel_class pairing(polygon, s);
    EXPECT_EQ(pairing.make_vertices_link(), nullptr);
    ASSERT_EQ(pairing.vertex_table.unmatched, 0);
    const auto& positions = shape.data().positions;
    int on_plane = 0;
    for (int v = 0; v < static_cast<int>(positions.size()); ++v) {
        const int w = pairing.vertex_table.partner(v);
        const vec3 a = positions[static_cast<std::size_t>(v)], b = positions[static_cast<std::size_t>(w)];
        ASSERT_EQ(a, vec3(-b.x, b.y, b.z)) << v;
        if (w == v) ++on_plane;
    }
    EXPECT_EQ(on_plane, 2 * static_cast<int>(std::lround(std::sqrt(3000 / 2.0))));  // the two seam columns
    EXPECT_EQ(t.scene().progress_titles(), std::vector<std::string>({"vertices analize"}));
}

TEST(vertex_pairing, large_meshes_announce_the_analysis_when_verbose) {
    host::torus_options o;
    o.target_vertices = 41000;
    for (bool verbose : {true, false}) {
        test_scene t;
        host::mesh_shape& shape = t.scene().add_mesh("torus", host::make_torus(o));
        Polygon_class polygon(&shape);
        Symmetry_class s;
        s.verbose = verbose;
        s.margin = 0.001f;
        twinel_class pairing(polygon, s);
        EXPECT_EQ(pairing.make_vertices_link(), nullptr);
        const auto& lines = t.app().message_lines();
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "Start vertices analize."), verbose ? 1 : 0);
    }
}

TEST(vertex_pairing, progress_counts_each_positive_vertex_in_both_passes_and_is_throttled) {
    std::vector<vec3> positions;
    for (int i = 0; i < 25; ++i) {
        positions.emplace_back(1.0f + static_cast<float>(i), 0, 0);
        positions.emplace_back(-1.0f - static_cast<float>(i), 0, 0);
    }
    const plane_split split = split_by_plane(positions, 0, 0.01f);
    std::vector<int> reported;
    sweep_progress progress(4, [&](int position) { reported.push_back(position); });
    pair_sides(split.positive, split.negative, 0, 0.1f, &progress);
    // 50 entries handled in all; a report whenever the count is more than
    // 4 past the last one.
    EXPECT_EQ(reported, std::vector<int>({5, 10, 15, 20, 25, 30, 35, 40, 45, 50}));
}

}  // namespace
