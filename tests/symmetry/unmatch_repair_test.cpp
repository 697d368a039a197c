// Pairing by hand: removing a vertex or a face while both pair tables keep
// describing the mesh.
#include <gtest/gtest.h>

#include <vector>

#include "mesh/polygon_class.h"
#include "symmetry/twinel_class.h"
#include "tests/common/mesh_builder.h"

namespace {

using twinel_test::mesh_lists;
using twinel_test::test_scene;

Symmetry_class quiet_settings() {
    Symmetry_class s;
    s.verbose = false;
    return s;
}

// The symmetric strip (vertex 5y + c at x = c - 2; faces 0-3 in the first
// row, 4-7 in the second), paired as "Twinel" pairs it, or with `extra` a
// vertex beyond x = 2 that has no mirror and a triangle on it.
struct paired_strip {
    explicit paired_strip(bool extra = false)
        : t(extra ? with_fin() : twinel_test::symmetric_mesh()),
          polygon(&t.shape()),
          twinel(polygon, quiet_settings(), false) {}
    static mesh_lists with_fin() {
        mesh_lists m = twinel_test::symmetric_mesh();
        m.uvs.clear();
        m.positions.emplace_back(2.5f, 2.5f, 0.0f);  // vertex 15
        m.faces.push_back({14, 15, 9});               // face 8
        return m;
    }
    polygon_mesh_class& mesh() { return t.mesh(); }
    // The tables as large as the mesh, and every paired face paired with
    // its mirror face.
    ::testing::AssertionResult in_step() {
        if (twinel.vertex_table.size() != mesh().get_number_of_vertices() ||
            twinel.face_table.size() != mesh().get_number_of_faces())
            return ::testing::AssertionFailure() << "tables out of step with the mesh";
        for (int f = 0; f < mesh().get_number_of_faces(); ++f) {
            if (!twinel.face_table.has_pair(f)) continue;
            const int n = mesh().face(f).get_number_of_vertices();
            Array<int> corners(n), mirror(n);
            mesh().face(f).get_vertex_indices(corners.data());
            twinel.vertex_table.get_reverse_array(corners, mirror);
            if (!twinel.is_same_vertex_indices(twinel.face_table.partner(f), mirror))
                return ::testing::AssertionFailure() << "face " << f << " is paired with a face that is not its mirror";
        }
        return ::testing::AssertionSuccess();
    }
    test_scene t;
    Polygon_class polygon;
    twinel_class twinel;
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
