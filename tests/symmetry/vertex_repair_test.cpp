#include <gtest/gtest.h>

#include "mesh/polygon_class.h"
#include "symmetry/twinel_class.h"
#include "tests/common/mesh_builder.h"
#include "tests/symmetry/pairing_fixture.h"

namespace {

using twinel_test::mesh_lists;
using twinel_test::test_scene;

using twinel_test::points;

using twinel_test::quiet_settings;

struct paired {
    paired(test_scene& t, const Symmetry_class& s = quiet_settings()) : polygon(&t.shape()), twinel(polygon, s) {}
    // A fresh table with every vertex unpaired.
    void clear_table() {
        twinel.vertex_table.resize(0);
        twinel.vertex_table.resize(t_count());
    }
    int t_count() { return polygon.mesh->get_number_of_vertices(); }
    Polygon_class polygon;
    twinel_class twinel;
};

vec3 at(test_scene& t, int v) { return t.mesh().vertex(v).get_position(); }

std::vector<int> selected(test_scene& t) {
    std::vector<int> out;
    for (int v = 0; v < t.mesh().get_number_of_vertices(); ++v)
        if (t.mesh().vertex(v).get_active()) out.push_back(v);
    return out;
}

// Every pair of the table lies at exact mirror positions (x mirrored).
::testing::AssertionResult mirrored_pairs(test_scene& t, const Interconnection_class& table) {
    for (int v = 0; v < table.size(); ++v) {
        const int w = table.partner(v);
        if (w < 0) continue;
        const vec3 a = at(t, v), b = at(t, w);
        if (a != vec3(-b.x, b.y, b.z))
            return ::testing::AssertionFailure() << v << " and " << w << " are not mirror images";
    }
    return ::testing::AssertionSuccess();
}

TEST(vertex_repair, missing_halves_are_appended_and_the_seam_goes_onto_the_plane) {
    mesh_lists m = twinel_test::half_mesh();
    m.positions[0].x = 0.03f;  // within margin / 2 of the plane
    test_scene t(m);
    paired p(t);
    p.clear_table();
    EXPECT_EQ(p.twinel.make_unmatch_vertices_pair(true), nullptr);
    ASSERT_EQ(t.mesh().get_number_of_vertices(), 15);
    EXPECT_EQ(p.twinel.vertex_table.size(), 15);
    EXPECT_EQ(p.twinel.vertex_table.unmatched, 0);
    EXPECT_TRUE(p.twinel.vertex_table.is_self(0));
    EXPECT_EQ(at(t, 0).x, 0.0f);
    // Appended in index order: vertex 1 (x 1) is the first one off the plane.
    EXPECT_EQ(p.twinel.vertex_table.partner(1), 9);
    EXPECT_TRUE(mirrored_pairs(t, p.twinel.vertex_table));
}

TEST(vertex_repair, wrong_side_vertices_fail_the_overlap_check_and_stay_selected) {
    mesh_lists m = twinel_test::half_mesh();
    m.positions.emplace_back(-0.1f, 3, 0);  // vertex 9, at -margin
    m.positions.emplace_back(-0.04f, 4, 0);  // vertex 10, within margin / 2
    test_scene t(m);
    paired p(t);
    p.clear_table();
    EXPECT_STREQ(p.twinel.make_unmatch_vertices_pair(true), "Faces overlapped to symmetry plane.");
    EXPECT_EQ(t.mesh().get_number_of_vertices(), 11);
    EXPECT_EQ(selected(t), std::vector<int>({9}));
    EXPECT_EQ(t.scene().get_selection_mode(), 2);
    EXPECT_TRUE(t.scene().is_modify_mode());
    EXPECT_EQ(at(t, 10), vec3(-0.04f, 4, 0));  // nothing moved

    // Without the check the same vertex just gets a mirror.
    test_scene u(m);
    paired q(u);
    q.clear_table();
    EXPECT_EQ(q.twinel.make_unmatch_vertices_pair(false), nullptr);
    EXPECT_EQ(q.twinel.vertex_table.unmatched, 0);
    const int mirror_of_9 = q.twinel.vertex_table.partner(9);
    EXPECT_EQ(at(u, mirror_of_9), vec3(0.1f, 3, 0));
    EXPECT_EQ(at(u, 10), vec3(0, 4, 0));
}

TEST(vertex_repair, creating_partners_needs_a_table_of_the_mesh_size) {
    test_scene t(twinel_test::half_mesh());
    paired p(t);
    p.twinel.vertex_table.resize(3);
    EXPECT_STREQ(p.twinel.make_unmatch_vertices_pair(false), "Number unmatch between vertices number and inner table.");
    EXPECT_EQ(t.mesh().get_number_of_vertices(), 9);
}

TEST(vertex_repair, mirror_vertices_in_world_coordinates_land_in_local_coordinates) {
    test_scene t(points({{-9, 1, 0}}));  // world (1, 1, 0)
    mat4 move;
    move[3][0] = 10;
    t.shape().set_local_matrix(move);
    Symmetry_class s = quiet_settings();
    s.use_world = true;
    paired p(t, s);
    p.clear_table();
    EXPECT_EQ(p.twinel.make_unmatch_vertices_pair(true), nullptr);
    EXPECT_EQ(at(t, 1), vec3(-11, 1, 0));  // world (-1, 1, 0)
}

TEST(vertex_repair, next_unpaired_vertex_prefers_the_base_side) {
    test_scene t(points({{-1, 0, 0}, {2, 0, 0}, {-3, 0, 0}, {4, 0, 0}, {0, 5, 0}}));
    paired p(t);
    p.clear_table();
    EXPECT_EQ(p.twinel.unmatch_vertex_index(-1), 1);
    EXPECT_EQ(p.twinel.unmatch_vertex_index(1), 3);
    EXPECT_EQ(p.twinel.unmatch_vertex_index(3), 0);  // none after: the first unpaired
    EXPECT_EQ(p.twinel.unmatch_vertex_index(9), 1);  // past the end: from the start
    p.twinel.base_side = 2;  // plane coordinate <= 0 preferred
    EXPECT_EQ(p.twinel.unmatch_vertex_index(0), 2);
    EXPECT_EQ(p.twinel.unmatch_vertex_index(2), 4);
    p.twinel.base_side = 0;
    p.twinel.vertex_table.link(1, 0);
    p.twinel.vertex_table.link(3, 2);
    EXPECT_EQ(p.twinel.unmatch_vertex_index(-1), 4);  // only an on-plane one left
    p.twinel.vertex_table.link(4);
    EXPECT_EQ(p.twinel.unmatch_vertex_index(-1), -1);
}

TEST(vertex_repair, proposals_list_unpaired_vertices_nearest_mirror_first) {
    test_scene t(points({{1, 0, 0}, {-1.5f, 0, 0}, {-1.25f, 0, 0}, {-0.75f, 0, 0}, {-1, 3, 0}, {-1, 0, 0}}));
    paired p(t);
    p.clear_table();
    p.twinel.vertex_table.link(5);  // paired vertices are never proposed
    std::vector<int> out{42};
    p.twinel.get_proposal_vertex_list(0, out);
    // Distances from the mirror (-1, 0, 0) of vertex 0: 2 (itself), 0.5,
    // 0.25, 0.25 (a tie, by index), 3.
    EXPECT_EQ(out, std::vector<int>({2, 3, 1, 0, 4}));
    p.twinel.get_proposal_vertex_list(99, out);
    EXPECT_TRUE(out.empty());
    for (int v = 0; v < 5; ++v) p.twinel.vertex_table.link(v);
    p.twinel.get_proposal_vertex_list(0, out);
    EXPECT_TRUE(out.empty());
}

TEST(vertex_repair, a_deleted_vertex_leaves_exactly_its_partner_unpaired) {
    for (int removed : {0, 4, 7, 14}) {
        test_scene t(twinel_test::symmetric_mesh());
        paired p(t);
        ASSERT_EQ(p.twinel.make_vertices_link(), nullptr);
        const int partner = p.twinel.vertex_table.partner(removed);
        t.mesh().remove_vertex(removed);
        EXPECT_EQ(p.twinel.repair_vertices_link_with_span(-1), partner == removed ? 0 : 1) << removed;
        EXPECT_EQ(p.twinel.vertex_table.size(), 14);
        if (partner != removed) {
            EXPECT_FALSE(p.twinel.vertex_table.has_pair(partner > removed ? partner - 1 : partner));
        }
        EXPECT_TRUE(mirrored_pairs(t, p.twinel.vertex_table));
        // The same table as pairing the changed mesh from scratch.
        paired fresh(t);
        ASSERT_EQ(fresh.twinel.make_vertices_link(), nullptr);
        EXPECT_EQ(p.twinel.vertex_table.links, fresh.twinel.vertex_table.links) << removed;
    }
}

TEST(vertex_repair, appended_vertices_stay_unpaired_until_given_partners) {
    test_scene t(twinel_test::symmetric_mesh());
    paired p(t);
    ASSERT_EQ(p.twinel.make_vertices_link(), nullptr);
    const std::vector<int> before = p.twinel.vertex_table.links;
    t.mesh().append_vertex(vec3(1.5f, 5, 0));
    EXPECT_EQ(p.twinel.repair_vertices_link_with_span(1), 1);
    EXPECT_EQ(std::vector<int>(p.twinel.vertex_table.links.begin(), p.twinel.vertex_table.links.end() - 1), before);
    EXPECT_FALSE(p.twinel.vertex_table.has_pair(15));
    // Its mirror vertex comes from creating partners.
    EXPECT_EQ(p.twinel.make_unmatch_vertices_pair(false), nullptr);
    EXPECT_EQ(p.twinel.vertex_table.partner(15), 16);
    EXPECT_EQ(at(t, 16), vec3(-1.5f, 5, 0));
}

TEST(vertex_repair, vertices_without_their_old_partner_pair_among_themselves) {
    // Two pairs near the plane; deleting one vertex of a pair leaves the
    // other within margin / 2 of the plane, where it pairs with itself.
    test_scene t(points({{0.03f, 7, 0}, {5, 0, 0}, {-0.03f, 7, 0}, {-5, 0, 0}}));
    Symmetry_class s = quiet_settings();
    s.reduse_margin = 0.001f;
    paired p(t, s);
    ASSERT_EQ(p.twinel.make_vertices_link(), nullptr);
    ASSERT_EQ(p.twinel.vertex_table.partner(0), 2);
    t.mesh().remove_vertex(2);
    EXPECT_EQ(p.twinel.repair_vertices_link_with_span(1), 0);
    EXPECT_TRUE(p.twinel.vertex_table.is_self(0));
    EXPECT_EQ(p.twinel.vertex_table.partner(1), 2);
}

TEST(vertex_repair, search_looks_around_the_old_partner_then_around_the_neighbours_partners) {
    test_scene t(points({{1, 0, 0}, {2, 0, 0}, {-1, 0, 0}, {-2, 0, 0}, {-7, 0, 0}}));
    paired p(t);
    std::vector<vec3> positions;
    for (int v = 0; v < 5; ++v) positions.push_back(at(t, v));
    EXPECT_EQ(p.twinel.search_new_vertices_pair(0, 2, 0, positions), 2);
    EXPECT_EQ(p.twinel.search_new_vertices_pair(0, 3, 1, positions), 2);  // within one place
    EXPECT_EQ(p.twinel.search_new_vertices_pair(0, 4, 1, positions), -1);
    EXPECT_EQ(p.twinel.search_new_vertices_pair(0, 9, 8, positions), 2);  // an old index beyond the mesh
    Interconnection_class old;
    old.resize(5);
    old.link(0, 4);  // stale: vertex 4 is no mirror of vertex 0
    old.link(1, 3);
    // Vertex 0's own old partner fails; neighbour 1's old partner 3 has
    // vertex 2 within one place.
    EXPECT_EQ(p.twinel.search_new_vertices_pair(0, old, 1, positions), 2);
    EXPECT_EQ(p.twinel.search_new_vertices_pair(0, old, 0, positions), -1);
}

TEST(vertex_repair, selecting_unpaired_vertices_selects_exactly_those) {
    test_scene t(twinel_test::symmetric_mesh());
    t.mesh().vertex(3).set_active(true);
    paired p(t);
    p.clear_table();
    p.twinel.vertex_table.link(0, 4);
    p.twinel.vertex_table.link(2);
    p.twinel.select_unmatch_vertices();
    std::vector<int> expected;
    for (int v = 0; v < 15; ++v)
        if (v != 0 && v != 2 && v != 4) expected.push_back(v);
    EXPECT_EQ(selected(t), expected);
    EXPECT_EQ(t.scene().get_selection_mode(), 2);
}

}  // namespace
