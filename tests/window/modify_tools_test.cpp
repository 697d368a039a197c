#include <gtest/gtest.h>

#include <vector>

#include "frame/sdk/modifier.h"
#include "host/modify_tools.h"
#include "tests/window/window_fixture.h"

namespace {

using twinel_test::window_fixture;

std::vector<int> selected_vertices(polygon_mesh_class& mesh) {
    std::vector<int> out(static_cast<std::size_t>(mesh.get_number_of_active_vertices()));
    if (!out.empty()) mesh.get_active_vertex_indices(out.data());
    return out;
}

TEST(modify_tools, remove_edges_on_a_paired_mesh_removes_the_mirror_edges_and_keeps_the_selection) {
    window_fixture w(twinel_test::symmetric_mesh());
    w.palette().press("twinel");
    w.edit_vertices();
    // Edge 8-9 joins (1, 1) and (2, 1); its mirror joins 6 and 5.
    ASSERT_GE(w.edge_between(8, 9), 0);
    ASSERT_GE(w.edge_between(5, 6), 0);
    w.select_vertices({8, 9});

    EXPECT_TRUE(host::run_modify_tool(w.app(), "Remove_edges", w.scene()));
    EXPECT_EQ(w.edge_between(8, 9), -1);
    EXPECT_EQ(w.edge_between(5, 6), -1);
    EXPECT_EQ(w.mesh().get_number_of_faces(), 4) << "two quads beside each edge";
    EXPECT_EQ(selected_vertices(w.mesh()), (std::vector<int>{8, 9}));
    w.palette().refresh();
    EXPECT_TRUE(w.paired(w.shape()));
    EXPECT_EQ(w.palette().control("unmatch_f_number").value, 0.0f);

    ASSERT_TRUE(w.scene().undo());
    EXPECT_EQ(w.mesh().get_number_of_faces(), 8) << "one undo step";
}

TEST(modify_tools, append_edge_wants_exactly_two_selected_vertices) {
    window_fixture w(twinel_test::symmetric_mesh());
    w.edit_vertices();
    w.select_vertices({8, 9, 14});
    const int edges = w.mesh().get_number_of_edges();
    host::run_modify_tool(w.app(), "Append_edge", w.scene());
    EXPECT_TRUE(w.said("Select only 2 vertices pair."));
    EXPECT_EQ(w.mesh().get_number_of_edges(), edges);

    w.select_vertices({8, 14});
    host::run_modify_tool(w.app(), "Append_edge", w.scene());
    EXPECT_GE(w.edge_between(8, 14), 0) << "the diagonal splits its quad";
}

TEST(modify_tools, paste_to_plane_without_a_selection_opens_no_undo_record) {
    window_fixture w(twinel_test::symmetric_mesh());
    w.edit_vertices();
    w.select_vertices({});
    const host::mesh_data before = w.shape().data();
    const auto step = w.scene().history().current_step();
    // Straight to the component, outside any step the host would open.
    auto* paste = static_cast<modifier_interface*>(w.app().plugins().objects_of(kx::sdk::modifier_iid).at(3));
    EXPECT_TRUE(paste->modify(w.scene()));
    EXPECT_EQ(w.scene().history().current_step(), step);
    EXPECT_TRUE(twinel_test::identical(w.shape().data(), before));
}

TEST(modify_tools, paste_to_plane_with_use_world_pastes_onto_the_world_plane) {
    window_fixture w(twinel_test::symmetric_mesh());
    mat4 moved;
    moved[3][0] = 1.0f;
    w.shape().set_local_matrix(moved);
    w.palette().set_value("use-world", 1.0f);
    w.edit_vertices();
    w.select_vertices({9});  // local (2, 1, 1.1), world x = 3

    host::run_modify_tool(w.app(), "Paste_to_plane", w.scene());
    EXPECT_EQ(w.mesh().vertex(9).get_position().x, -1.0f);
    EXPECT_EQ(w.mesh().vertex(9).get_position().y, 1.0f);
    ASSERT_TRUE(w.scene().undo());
    EXPECT_EQ(w.mesh().vertex(9).get_position().x, 2.0f);
}

TEST(modify_tools, the_toolbar_follows_the_shape_and_switches_to_vertex_modify_mode) {
    window_fixture w(twinel_test::symmetric_mesh());
    host::palette& p = w.palette();
    for (int k = 2; k < 6; ++k) EXPECT_FALSE(p.toolbar(k).enabled) << "outside modify mode";

    p.press_toolbar(0);
    EXPECT_TRUE(w.scene().is_modify_mode());
    EXPECT_EQ(w.scene().get_selection_mode(), kx::sdk::vertex_selection);
    p.idle();
    EXPECT_FALSE(p.toolbar(2).enabled) << "the window entered modify mode itself; idle sees no change";
    p.press_toolbar(1);  // renew
    for (int k = 0; k < 6; ++k) EXPECT_TRUE(p.toolbar(k).enabled) << k;

    // Symmetrize the selected pair 8 (1, 1) and 6 (-1, 1): the positive
    // side is the source.
    w.mesh().vertex(6).set_position(vec3{-0.75f, 1.0f, 0.25f});
    w.select_vertices({6, 8});
    p.press_toolbar(4);
    EXPECT_EQ(w.mesh().vertex(6).get_position().x, -1.0f);
    EXPECT_EQ(w.mesh().vertex(6).get_position().z, w.mesh().vertex(8).get_position().z);
}

}  // namespace
