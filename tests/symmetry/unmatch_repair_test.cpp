// Pairing by hand: removing a vertex or a face while both pair tables keep
// describing the mesh.
#include <gtest/gtest.h>

#include <vector>

#include "mesh/polygon_class.h"
#include "symmetry/twinel_class.h"
#include "tests/common/mesh_builder.h"
#include "tests/symmetry/pairing_fixture.h"

namespace {

using twinel_test::mesh_lists;
using twinel_test::quiet_settings;
using twinel_test::test_scene;

// The strip (faces 0-3 in the first row, 4-7 in the second) with a vertex
// beyond x = 2 that has no mirror and a triangle on it.
mesh_lists strip_with_fin() {
    mesh_lists m = twinel_test::symmetric_mesh();
    m.uvs.clear();
    m.positions.emplace_back(2.5f, 2.5f, 0.0f);  // vertex 15
    m.faces.push_back({14, 15, 9});               // face 8
    return m;
}

// The strip, or with `extra` the strip with the fin, paired as "Twinel" pairs it.
struct paired_strip : twinel_test::paired_mesh {
    explicit paired_strip(bool extra = false)
        : paired_mesh(extra ? strip_with_fin() : twinel_test::symmetric_mesh()) {}
};

TEST(unmatch_repair, removing_a_vertex_takes_its_faces_out_of_the_face_table_at_once) {
    paired_strip s(true);
    ASSERT_EQ(s.twinel.vertex_table.unmatched, 1);
    ASSERT_EQ(s.twinel.make_faces_link(), nullptr);
    ASSERT_EQ(s.twinel.face_table.unmatched, 1);  // the triangle over vertex 15

    EXPECT_EQ(s.twinel.remove_unmatch_vertex(15), nullptr);
    EXPECT_EQ(s.mesh().get_number_of_vertices(), 15);
    EXPECT_EQ(s.mesh().get_number_of_faces(), 8);
    EXPECT_TRUE(s.in_step());
    EXPECT_EQ(s.twinel.vertex_table.unmatched, 0);
    EXPECT_EQ(s.twinel.face_table.unmatched, 0);
    EXPECT_FALSE(s.twinel.is_modified()) << "the edge count is recorded too";
}

TEST(unmatch_repair, faces_removed_with_a_vertex_leave_their_partners_unpaired) {
    paired_strip s;
    ASSERT_EQ(s.twinel.face_table.partner(0), 3);
    // Vertex 6 (x = -1, y = 1) is a corner of faces 0, 1, 4 and 5.
    EXPECT_EQ(s.twinel.remove_unmatch_vertex(6), nullptr);
    EXPECT_EQ(s.mesh().get_number_of_faces(), 4);
    EXPECT_TRUE(s.in_step());
    EXPECT_EQ(s.twinel.vertex_table.unmatched, 1) << "the partner of vertex 6";
    EXPECT_EQ(s.twinel.face_table.unmatched, 4) << "the mirrors of the four faces";
}

TEST(unmatch_repair, removal_outside_the_tables_changes_nothing) {
    paired_strip s;
    EXPECT_STREQ(s.twinel.remove_unmatch_vertex(15), "remove_error");
    EXPECT_STREQ(s.twinel.remove_unmatch_vertex(-1), "remove_error");
    EXPECT_STREQ(s.twinel.remove_unmatch_face(8), "remove_error");
    EXPECT_EQ(s.mesh().get_number_of_vertices(), 15);
    EXPECT_EQ(s.mesh().get_number_of_faces(), 8);
    EXPECT_TRUE(s.in_step());
}

TEST(unmatch_repair, removing_a_face_unpairs_its_partner_and_rebuilds_the_edges) {
    paired_strip s;
    const int edges = s.mesh().get_number_of_edges();
    EXPECT_EQ(s.twinel.remove_unmatch_face(0), nullptr);
    EXPECT_EQ(s.mesh().get_number_of_faces(), 7);
    EXPECT_EQ(s.mesh().get_number_of_edges(), edges - 2) << "the two outer sides of face 0";
    EXPECT_TRUE(s.in_step());
    EXPECT_EQ(s.twinel.face_table.unmatched, 1);
    EXPECT_FALSE(s.twinel.face_table.has_pair(2)) << "face 3, the mirror of face 0, moved down to 2";
    EXPECT_FALSE(s.twinel.is_modified());
}

}  // namespace
