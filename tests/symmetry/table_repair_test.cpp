// Keeping the pair tables in step with the mesh while the repair workflow
// still has unpaired vertices.
#include <gtest/gtest.h>

#include "mesh/polygon_class.h"
#include "symmetry/twinel_class.h"
#include "tests/common/mesh_builder.h"
#include "tests/symmetry/pairing_fixture.h"

namespace {

using twinel_test::mesh_lists;
using twinel_test::quiet_settings;
using twinel_test::test_scene;

// Every entry is -1 or a partner that points back, and the count of -1
// entries is the table's unmatched count.
::testing::AssertionResult consistent(const Interconnection_class& table) {
    int unmatched = 0;
    for (int i = 0; i < table.size(); ++i) {
        const int j = table.links[static_cast<std::size_t>(i)];
        if (j == -1) {
            ++unmatched;
        } else if (j < 0 || j >= table.size() || table.links[static_cast<std::size_t>(j)] != i) {
            return ::testing::AssertionFailure() << "entry " << i << " holds " << j;
        }
    }
    if (unmatched != table.unmatched)
        return ::testing::AssertionFailure() << unmatched << " entries are -1, the count says " << table.unmatched;
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(table_repair, the_face_table_follows_the_faces_while_vertices_are_unpaired) {
    // The strip with its corner vertex 14 (x = 2) pushed off its mirror:
    // it and vertex 0 stay unpaired, so the faces are not paired yet.
    mesh_lists m = twinel_test::symmetric_mesh();
    m.positions[14].x += 0.5f;
    test_scene t(m);
    Polygon_class polygon(&t.shape());
    twinel_class pairing(polygon, quiet_settings(), false);
    ASSERT_EQ(pairing.vertex_table.unmatched, 2);
    ASSERT_EQ(pairing.face_table.size(), 8);

    // The user deletes a paired vertex in the middle: the host takes the
    // faces around it along. The next do_sym must leave a face table of the
    // mesh's size, not one whose entries name faces that moved or went.
    t.mesh().remove_vertex(7);
    const int faces = t.mesh().get_number_of_faces();
    ASSERT_LT(faces, 8);
    pairing.do_sym(true);
    EXPECT_EQ(pairing.vertex_table.size(), t.mesh().get_number_of_vertices());
    EXPECT_EQ(pairing.face_table.size(), faces);
    EXPECT_TRUE(consistent(pairing.face_table));
    EXPECT_TRUE(consistent(pairing.vertex_table));

    // The same when faces alone are added while vertices are unpaired.
    const int corners[3] = {1, 2, 6};
    t.mesh().append_face(3, corners);
    pairing.do_sym(true);
    EXPECT_EQ(pairing.face_table.size(), faces + 1);
    EXPECT_TRUE(consistent(pairing.face_table));
}
