// Keeping a paired mesh symmetric through the user's edits: do_sym after
// vertices were moved, added, inserted into an edge or removed; mirror
// elements; the symmetric edge tools.
#include <gtest/gtest.h>

#include <set>

#include "host/mesh_generator.h"
#include "host/mesh_shape.h"
#include "mesh/polygon_class.h"
#include "symmetry/twinel_class.h"
#include "tests/common/mesh_builder.h"
#include "tests/symmetry/pairing_fixture.h"

namespace {

using twinel_test::mesh_lists;
using twinel_test::quiet_settings;
using twinel_test::test_scene;

using paired_strip = twinel_test::paired_mesh;

TEST(symmetric_editing, the_lower_index_of_a_pair_decides_and_selected_vertices_are_sources) {
    paired_strip s;
    s.mesh().vertex(1).set_position(vec3(-1.25f, 0.5f, 0.0f));  // 1 pairs with 3
    s.twinel.do_sym(true);
    EXPECT_EQ(s.at(3), vec3(1.25f, 0.5f, 0.0f));
    s.mesh().vertex(3).set_position(vec3(1.5f, 0.0f, 0.0f));
    s.twinel.do_sym(true);
    EXPECT_EQ(s.at(3), vec3(1.25f, 0.5f, 0.0f)) << "vertex 1 moves it back";
    s.mesh().vertex(3).set_position(vec3(1.5f, 0.0f, 0.0f));
    s.mesh().vertex(3).set_active(true);
    s.twinel.do_sym(false);
    EXPECT_EQ(s.at(1), vec3(-1.5f, 0.0f, 0.0f));
}

TEST(symmetric_editing, removing_a_paired_vertex_removes_its_partner_and_their_faces) {
    paired_strip s;
    s.mesh().remove_vertex(1);  // the host takes faces 0 and 1 with it
    s.twinel.do_sym(true);
    EXPECT_EQ(s.mesh().get_number_of_vertices(), 13);
    EXPECT_EQ(s.mesh().get_number_of_faces(), 4);
    EXPECT_TRUE(s.in_step(true));
    // Both vertices of a pair at once: the rebuilt table has no unpaired
    // vertex where two were expected.
    const int a = 3, b = s.twinel.vertex_table.partner(3);  // x = -2 and x = 2 in row 1
    ASSERT_NE(a, b);
    s.mesh().begin_removing_vertices();
    s.mesh().remove_vertex(a);
    s.mesh().remove_vertex(b);
    s.mesh().end_removing_vertices();
    try {
        s.twinel.do_sym(true);
        ADD_FAILURE() << "no repair error";
    } catch (const char* message) {
        EXPECT_STREQ(message, "Twinel++ repair error");
    }
    EXPECT_FALSE(s.twinel.busy);
}

TEST(symmetric_editing, removing_a_torus_vertex_takes_only_the_faces_of_the_pair) {
    // Renumbering moves some mirror faces (those across the torus's rows)
    // beyond the repair windows; they must still be found, not removed.
    host::torus_options o;
    o.target_vertices = 2000;
    o.major_radius = 4.0f;
    o.minor_radius = 1.6f;
    test_scene t;
    host::mesh_shape& shape = t.scene().add_mesh("torus", host::make_torus(o));
    Polygon_class polygon(&shape);
    twinel_class twinel(polygon, quiet_settings(), false);
    const int faces = shape.data().face_count();
    shape.polygon().remove_vertex(shape.data().vertex_count() / 3);
    twinel.do_sym(true);
    EXPECT_EQ(shape.data().face_count(), faces - 8);
    EXPECT_EQ(twinel.face_table.size(), faces - 8);
    EXPECT_EQ(twinel.face_table.unmatched, 0);
}

TEST(symmetric_editing, an_added_vertex_gets_a_mirror_and_an_inserted_one_rebuilds_the_mirror_face) {
    paired_strip s;
    s.mesh().append_vertex(vec3(1.5f, 3.0f, 0.0f));
    s.twinel.do_sym(true);
    ASSERT_EQ(s.mesh().get_number_of_vertices(), 17);
    EXPECT_EQ(s.twinel.vertex_table.partner(15), 16);
    EXPECT_EQ(s.at(16), vec3(-1.5f, 3.0f, 0.0f));

    // A vertex inserted into the boundary edge 3-4 of face 3 (3 4 9 8): its
    // mirror face 0 becomes the mirror of the new pentagon.
    const int x = s.mesh().append_vertex(vec3(1.5f, 0.0f, 0.5f));
    const int pentagon[5] = {3, x, 4, 9, 8};
    s.mesh().face(3).set_vertex_indices(5, pentagon);
    s.twinel.do_sym(true);
    EXPECT_EQ(s.mesh().face(0).get_number_of_vertices(), 5);
    EXPECT_EQ(s.twinel.face_table.partner(0), 3);
    EXPECT_TRUE(s.in_step(true));
    EXPECT_EQ(s.mesh().get_number_of_edges(), 24);  // rebuilt: 22 + 2 halves of split edges
}

TEST(symmetric_editing, a_counterpart_lacking_a_mirror_vertex_is_not_reconciled) {
    paired_strip s;
    // Face 3 (3 4 9 8) loses vertex 4 to two new ones: no longer the mirror
    // of face 0 with one extra vertex.
    const int x = s.mesh().append_vertex(vec3(1.4f, 0.0f, 0.5f));
    const int y = s.mesh().append_vertex(vec3(1.6f, 0.0f, 0.5f));
    const int changed[5] = {3, x, y, 9, 8};
    s.mesh().face(3).set_vertex_indices(5, changed);
    try {
        s.twinel.do_sym(true);
        ADD_FAILURE() << "the faces were reconciled";
    } catch (const char* message) {
        EXPECT_STREQ(message, "survive unmatch faces");
    }
    EXPECT_EQ(s.mesh().face(0).get_number_of_vertices(), 4);
    std::vector<int> wrong_list{3};  // the list must name every unpaired face
    s.twinel.repair_faces_in_unmatch_faces(wrong_list);
    EXPECT_EQ(s.t.app().message_lines().back(), "Face unmatch[2] unmatch table size[1]");
}

TEST(symmetric_editing, a_mirror_face_over_an_unpaired_vertex_is_refused) {
    paired_strip s;
    const int v = s.mesh().append_vertex(vec3(2.5f, 2.5f, 0.0f));
    const int triangle[3] = {14, v, 9};
    s.mesh().append_face(3, triangle);
    s.twinel.vertex_table.resize(v + 1);  // v stays unpaired
    s.twinel.face_table.resize(9);
    EXPECT_STREQ(s.twinel.make_unmatch_face_pair(8), "Unpaired vertex in mirror face.");
    EXPECT_STREQ(s.twinel.append_pair_face(8, true), "Unpaired vertex in mirror face.");
    EXPECT_STREQ(s.twinel.make_unmatch_faces_pair(), "Unpaired vertex in mirror face.");
    EXPECT_EQ(s.mesh().get_number_of_faces(), 9);
    EXPECT_EQ(s.twinel.face_table.size(), 9);
    EXPECT_STREQ(s.twinel.append_pair_face(2, true), "append error");  // already paired
    // Once the vertex has its mirror, the face gets one too.
    EXPECT_EQ(s.twinel.append_pair_vertex(v), nullptr);
    EXPECT_EQ(s.at(v + 1), vec3(-2.5f, 2.5f, 0.0f));
    EXPECT_EQ(s.twinel.append_pair_face(8, true), nullptr);
    EXPECT_TRUE(s.in_step(true));
    EXPECT_EQ(s.twinel.edge_count, s.mesh().get_number_of_edges());
}

TEST(symmetric_editing, edges_are_added_and_removed_with_their_mirror_edges) {
    paired_strip s;
    // A diagonal of face 0 (0 1 6 5) splits it; its mirror splits face 3.
    EXPECT_EQ(s.twinel.append_edge(0, 6), nullptr);
    EXPECT_EQ(s.mesh().get_number_of_faces(), 10);
    EXPECT_TRUE(s.in_step(true));
    // Removing the diagonal in edge selection joins both pairs of triangles.
    s.twinel.edge_count = s.mesh().get_number_of_edges();
    for (int e = 0; e < s.mesh().get_number_of_edges(); ++e) {
        const edge_class& edge = s.mesh().edge(e);
        if (std::set<int>{edge.get_v0(), edge.get_v1()} == std::set<int>{0, 6}) s.mesh().edge(e).set_active(true);
    }
    s.twinel.remove_edges(true, kx::sdk::edge_selection);
    EXPECT_EQ(s.mesh().get_number_of_faces(), 8);
    EXPECT_EQ(s.twinel.face_table.size(), 8);
    EXPECT_TRUE(s.in_step(true));
}

}  // namespace
