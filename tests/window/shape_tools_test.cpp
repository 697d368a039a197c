// The Shape tool and Element tool buttons of the palette: questions,
// offsets, face reversal, open edges, the nearest pair and its reduction.
// (Separation, useless diagonals and lines from marked edges are run by the
// session scripts shape_*.twinel.)
#include <gtest/gtest.h>

#include <vector>

#include "host/modify_tools.h"
#include "tests/window/window_fixture.h"

namespace {

using twinel_test::mesh_lists;
using twinel_test::window_fixture;

std::vector<int> selected_edges(window_fixture& w) {
    std::vector<int> out;
    for (int e = 0; e < w.mesh().get_number_of_edges(); ++e)
        if (w.mesh().edge(e).get_active()) out.push_back(e);
    return out;
}

std::vector<int> selected_vertices(window_fixture& w) {
    std::vector<int> out(static_cast<std::size_t>(w.mesh().get_number_of_active_vertices()));
    if (!out.empty()) w.mesh().get_active_vertex_indices(out.data());
    return out;
}

// The edges with a face on one side only.
std::vector<int> rim_edges(window_fixture& w) {
    std::vector<int> out;
    polygon_mesh_class& m = w.mesh();
    m.begin_face_of_edge();
    for (int e = 0; e < m.get_number_of_edges(); ++e) {
        const int v0 = m.edge(e).get_v0();
        if (m.face_of_edge_a(e, v0, false) < 0 || m.face_of_edge_b(e, v0, false) < 0) out.push_back(e);
    }
    m.end_face_of_edge();
    return out;
}

// Vertex (x, y) of symmetric_mesh.
int at(int x, int y) { return 5 * y + x + 2; }

}  // namespace

TEST(shape_tools, reverse_faces_twice_restores_every_face_and_the_flip_flag) {
    window_fixture w(twinel_test::symmetric_mesh());
    const host::mesh_data before = w.shape().data();
    w.palette().press("flip_face");
    EXPECT_TRUE(w.mesh().get_face_flip());
    std::vector<int> corners(4);
    w.mesh().face(0).get_vertex_indices(corners.data());
    EXPECT_EQ(corners, (std::vector<int>{at(-2, 1), at(-1, 1), at(-1, 0), at(-2, 0)}));
    EXPECT_EQ(w.scene().undo_records_made(), 1);
    w.palette().press("flip_face");
    EXPECT_TRUE(twinel_test::identical(w.shape().data(), before)) << "UVs went round with their corners";
}

TEST(shape_tools, move_offset_asks_first_and_follows_the_face_flip_flag) {
    window_fixture w(twinel_test::unit_cube());
    const vec3 corner = w.mesh().vertex(7).get_position();
    w.app().queue_answer(host::answer::no);
    w.palette().press("p_offset");
    EXPECT_EQ(w.app().questions().back(), "Do ?");
    EXPECT_EQ(w.mesh().vertex(7).get_position(), corner);

    w.app().queue_answer(host::answer::yes);
    w.palette().set_value("p_o_value", 0.5f);
    w.palette().press("p_offset");
    const vec3 normal = w.mesh().vertex(7).get_normal();
    EXPECT_GT(normal.x, 0.0f) << "outwards";
    EXPECT_EQ(w.mesh().vertex(7).get_position(), corner + normal * 0.5f);

    // Reversed faces turn the normals inwards; the offset still goes out.
    w.palette().press("flip_face");
    w.app().queue_answer(host::answer::yes);
    w.palette().press("p_offset");
    EXPECT_LT(w.mesh().vertex(7).get_normal().x, 0.0f);
    EXPECT_GT(w.mesh().vertex(7).get_position().x, corner.x + normal.x * 0.5f);
}

TEST(shape_tools, vertex_offset_moves_the_selection_and_with_a_pairing_its_partners) {
    window_fixture w(twinel_test::symmetric_mesh());
    w.palette().press("twinel");
    w.edit_vertices();
    w.palette().refresh();
    w.select_vertices({});
    w.palette().press("v_offset");
    EXPECT_TRUE(w.said("No vertex selected."));

    const vec3 before = w.mesh().vertex(at(2, 1)).get_position();
    w.select_vertices({at(2, 1)});
    w.palette().press("v_offset");
    const vec3 moved = w.mesh().vertex(at(2, 1)).get_position();
    EXPECT_EQ(moved, before + w.mesh().vertex(at(2, 1)).get_normal() * 1.0f);
    const vec3 mirror = w.mesh().vertex(at(-2, 1)).get_position();
    EXPECT_EQ(mirror, vec3(-moved.x, moved.y, moved.z));
    EXPECT_EQ(w.mesh().vertex(at(1, 1)).get_position(), vec3(1.0f, 1.0f, 0.25f + 0.1f)) << "others stay";
}

TEST(shape_tools, open_edges_join_the_edge_selection_in_edge_editing_and_are_marked_otherwise) {
    window_fixture closed(twinel_test::unit_cube());
    closed.palette().press("mark_p_edge");
    EXPECT_TRUE(closed.app().marks().marks(closed.shape(), 2).empty());

    window_fixture w(twinel_test::symmetric_mesh());
    const std::vector<int> rim = rim_edges(w);
    ASSERT_EQ(rim.size(), 12u);
    w.palette().press("mark_p_edge");
    const auto& marks = w.app().marks().marks(w.shape(), 2);
    EXPECT_EQ(std::vector<int>(marks.begin(), marks.end()), rim);
    EXPECT_TRUE(selected_edges(w).empty());

    // Edge selection in modify mode: added to what is selected.
    const int inner = w.edge_between(at(0, 0), at(0, 1));
    w.mesh().edge(inner).set_active(true);
    w.scene().set_selection_mode(kx::sdk::edge_selection);
    w.scene().enter_modify_mode();
    w.palette().press("mark_p_edge");
    std::vector<int> expected = rim;
    expected.insert(std::lower_bound(expected.begin(), expected.end(), inner), inner);
    EXPECT_EQ(selected_edges(w), expected);
}

TEST(shape_tools, get_shortest_selects_the_pair_and_a_zero_distance_never_reaches_the_margin) {
    mesh_lists m = twinel_test::unit_cube();
    m.positions.push_back(m.positions[3]);
    window_fixture w(m);
    w.scene().enter_modify_mode();  // face selection: the button switches to vertices
    w.palette().idle();
    w.palette().refresh();
    w.palette().press("find_near");
    EXPECT_TRUE(w.scene().is_modify_mode());
    EXPECT_EQ(w.scene().get_selection_mode(), kx::sdk::vertex_selection);
    EXPECT_EQ(selected_vertices(w), (std::vector<int>{3, 8}));
    const host::control_state& distance = w.palette().control("distance_value");
    EXPECT_TRUE(distance.shown);
    EXPECT_EQ(distance.value, 0.0f);
    EXPECT_EQ(distance.decimals, 4);

    w.palette().refresh();
    const float margin = w.palette().control("margin").value;
    w.palette().press("set_margin");
    w.palette().refresh();
    EXPECT_EQ(w.palette().control("margin").value, margin);
}

TEST(shape_tools, reduse_merges_the_pair_and_the_partners_drawn_in_modify_mode) {
    window_fixture w(twinel_test::symmetric_mesh());
    w.palette().press("twinel");
    w.edit_vertices();
    w.palette().refresh();

    // (1, 1) and (2, 1), with (-1, 1) and (-2, 1) on the other side. Each
    // pair merges into its lower vertex; 6 and 9 go, so (1, 1) becomes 7.
    w.select_vertices({at(1, 1), at(2, 1)});
    host::draw_modify_wireframe(w.app(), w.shape());  // the host draws the paired mesh
    w.palette().press("reduse_v");
    EXPECT_EQ(w.mesh().get_number_of_vertices(), 13);
    w.palette().refresh();
    EXPECT_EQ(w.palette().control("unmatch_v_number").value, 0.0f);
    EXPECT_EQ(w.palette().control("unmatch_f_number").value, 0.0f);
    const vec3 merged = w.mesh().vertex(7).get_position();
    EXPECT_EQ(merged.x, 1.5f);
    EXPECT_EQ(w.mesh().vertex(5).get_position(), vec3(-1.5f, merged.y, merged.z));

    // The vertex (0, 1) on the plane, now 6, with 7: its partner is itself,
    // so 5, 6 and 7 become one vertex, still on the plane.
    w.select_vertices({6, 7});
    host::draw_modify_wireframe(w.app(), w.shape());
    w.palette().press("reduse_v");
    EXPECT_EQ(w.mesh().get_number_of_vertices(), 11);
    EXPECT_EQ(w.mesh().vertex(5).get_position().x, 0.0f);
    w.palette().refresh();
    EXPECT_EQ(w.palette().control("unmatch_v_number").value, 0.0f);
}
