// Finishing a pairing by hand through the palette's "Twinel" page.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/window/window_fixture.h"

namespace {

using twinel_test::mesh_lists;
using twinel_test::window_fixture;

// Two quads across x = 0 with vertex 2 pushed out to x = 1.3: vertices 0
// and 2 stay unpaired, 3<->5 pair, 1 and 4 lie on the plane.
mesh_lists pushed_strip() {
    mesh_lists m;
    m.positions = {{-1, 0, 0}, {0, 0, 0}, {1.3f, 0, 0}, {-1, 1, 0}, {0, 1, 0}, {1, 1, 0}};
    m.faces = {{0, 1, 4, 3}, {1, 2, 5, 4}};
    return m;
}

float shows(window_fixture& w, const char* id) { return w.palette().control(id).value; }

void press(window_fixture& w, const char* id) {
    w.palette().press(id);
    w.palette().refresh();
}

std::vector<int> corners(polygon_mesh_class& mesh, int face) {
    std::vector<int> c(static_cast<std::size_t>(mesh.face(face).get_number_of_vertices()));
    mesh.face(face).get_vertex_indices(c.data());
    return c;
}

TEST(unmatch_workflow, remove_then_create_then_a_mirror_face_completes_the_pairing) {
    window_fixture w(pushed_strip());
    press(w, "twinel");
    press(w, "next_u_vertex");
    ASSERT_EQ(shows(w, "u_v_index"), 2.0f);

    // Vertex 2 goes with the face on it; the face count shown follows at once.
    press(w, "v_remove");
    EXPECT_EQ(w.mesh().get_number_of_vertices(), 5);
    EXPECT_EQ(w.mesh().get_number_of_faces(), 1);
    EXPECT_EQ(shows(w, "unmatch_v_number"), 1.0f);
    EXPECT_EQ(shows(w, "unmatch_f_number"), 1.0f);
    EXPECT_EQ(shows(w, "u_v_index"), 0.0f) << "the workflow moves on to the next unpaired vertex";
    EXPECT_TRUE(w.mesh().vertex(0).get_active());

    // Its mirror vertex pairs the last vertex; the face table is then made,
    // and the face still lacks its mirror.
    press(w, "v_append");
    ASSERT_EQ(w.mesh().get_number_of_vertices(), 6);
    EXPECT_EQ(w.mesh().vertex(5).get_position(), vec3(1, 0, 0));
    EXPECT_EQ(shows(w, "unmatch_v_number"), 0.0f);
    EXPECT_FALSE(w.palette().control("u_v_index").shown);
    EXPECT_EQ(shows(w, "unmatch_f_number"), 1.0f);
    EXPECT_TRUE(w.palette().control("next_u_face").enabled);

    press(w, "next_u_face");
    EXPECT_EQ(shows(w, "u_f_index"), 0.0f);
    EXPECT_TRUE(w.mesh().face(0).get_active());
    press(w, "f_append");
    ASSERT_EQ(w.mesh().get_number_of_faces(), 2);
    EXPECT_EQ(corners(w.mesh(), 1), (std::vector<int>{4, 3, 1, 5})) << "partners of 0 1 3 2, reversed";
    EXPECT_EQ(shows(w, "unmatch_f_number"), 0.0f);
    EXPECT_FALSE(w.palette().control("u_f_index").shown);
    EXPECT_TRUE(w.paired(w.shape()));
}

TEST(unmatch_workflow, a_vertex_that_is_its_own_candidate_goes_onto_the_plane) {
    window_fixture w(pushed_strip());
    press(w, "twinel");
    press(w, "next_u_vertex");
    press(w, "next_p_vertex");
    EXPECT_EQ(shows(w, "p_v_index"), 0.0f);
    press(w, "next_p_vertex");
    ASSERT_EQ(shows(w, "p_v_index"), 2.0f);
    press(w, "v_link");
    EXPECT_EQ(w.mesh().vertex(2).get_position(), vec3(0, 0, 0));
    EXPECT_EQ(shows(w, "unmatch_v_number"), 1.0f);
    EXPECT_EQ(shows(w, "u_v_index"), 0.0f);
    EXPECT_FALSE(w.palette().control("p_v_index").shown);
}

// The symmetric strip without the mirrors of faces 0 and 1 (faces 2 and 3):
// every vertex is paired, the first two faces are not.
mesh_lists strip_missing_two_faces() {
    mesh_lists m = twinel_test::symmetric_mesh();
    m.faces.erase(m.faces.begin() + 2, m.faces.begin() + 4);
    m.uvs.clear();
    return m;
}

TEST(unmatch_workflow, faces_are_linked_by_hand_without_moving_anything) {
    window_fixture w(strip_missing_two_faces());
    press(w, "twinel");
    ASSERT_EQ(shows(w, "unmatch_f_number"), 2.0f);
    const vec3 before = w.mesh().vertex(0).get_position();
    press(w, "next_u_face");
    EXPECT_EQ(shows(w, "u_f_index"), 0.0f);
    // The face itself is no candidate: the one other face comes round again.
    press(w, "next_p_face");
    EXPECT_EQ(shows(w, "p_f_index"), 1.0f);
    EXPECT_EQ(w.app().marks().marks(w.shape(), 4), (std::vector<std::int32_t>{1}));
    press(w, "next_p_face");
    EXPECT_EQ(shows(w, "p_f_index"), 1.0f);
    press(w, "f_link");
    EXPECT_EQ(shows(w, "unmatch_f_number"), 0.0f);
    EXPECT_TRUE(w.app().marks().marks(w.shape(), 4).empty());
    EXPECT_EQ(w.mesh().vertex(0).get_position(), before);
    EXPECT_EQ(w.mesh().get_number_of_faces(), 6);
}

TEST(unmatch_workflow, removing_a_face_steps_to_the_next_unpaired_face) {
    window_fixture w(strip_missing_two_faces());
    press(w, "twinel");
    press(w, "next_u_face");
    const int edges = w.mesh().get_number_of_edges();
    press(w, "f_remove");
    EXPECT_EQ(w.mesh().get_number_of_faces(), 5);
    EXPECT_EQ(w.mesh().get_number_of_edges(), edges - 2);
    EXPECT_EQ(shows(w, "unmatch_f_number"), 1.0f);
    EXPECT_EQ(shows(w, "u_f_index"), 0.0f) << "face 1 moved down to 0";
    EXPECT_TRUE(w.mesh().face(0).get_active());
    EXPECT_FALSE(w.mesh().face(1).get_active());
}

TEST(unmatch_workflow, the_pair_listing_is_exactly_the_start_line_the_pairs_and_the_end_line) {
    mesh_lists triangle;
    triangle.positions = {{-1, 0, 0}, {0, 1, 0}, {1, 0, 0}};
    triangle.faces = {{0, 1, 2}};
    window_fixture w(triangle);
    press(w, "twinel");
    w.app().clear_messages();
    press(w, "remake_v_link");
    EXPECT_EQ(w.app().message_lines(),
              (std::vector<std::string>{"Start output of vertices sym list.", "     0<->     2", "     1<->     1",
                                        "     2<->     0", "***End output of vertices sym list."}));
    EXPECT_TRUE(w.paired(w.shape()));
}

TEST(unmatch_workflow, remaking_the_vertex_table_forgets_the_repair_position) {
    window_fixture w(pushed_strip());
    press(w, "twinel");
    press(w, "next_u_vertex");
    press(w, "next_p_vertex");
    ASSERT_TRUE(w.palette().control("v_link").enabled);
    w.app().clear_messages();
    press(w, "remake_v_link");
    EXPECT_EQ(shows(w, "unmatch_v_number"), 2.0f) << "rebuilt, with the same two vertices left over";
    EXPECT_FALSE(w.palette().control("u_v_index").shown);
    EXPECT_FALSE(w.palette().control("v_link").enabled);
    EXPECT_TRUE(w.app().message_lines().empty()) << "no listing while a vertex is unpaired";
}

}  // namespace
