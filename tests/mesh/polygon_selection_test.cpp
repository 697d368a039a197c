// Polygon_class: the undo bracket and the face and vertex selections.
#include <gtest/gtest.h>

#include <vector>

#include "mesh/polygon_class.h"
#include "tests/common/mesh_builder.h"

namespace {

// A row of `n` unit quads: vertices 0..n on y = 0, n+1..2n+1 on y = 1.
twinel_test::mesh_lists quad_row(int n) {
    twinel_test::mesh_lists m;
    for (int row = 0; row < 2; ++row)
        for (int x = 0; x <= n; ++x) m.positions.emplace_back(static_cast<float>(x), static_cast<float>(row), 0.0f);
    for (int x = 0; x < n; ++x) m.faces.push_back({x, x + 1, x + n + 2, x + n + 1});
    return m;
}

std::vector<int> selected_faces(const host::mesh_data& d) {
    std::vector<int> out;
    for (int f = 0; f < d.face_count(); ++f)
        if (d.face_selected[static_cast<std::size_t>(f)]) out.push_back(f);
    return out;
}

std::vector<int> selected_vertices(const host::mesh_data& d) {
    std::vector<int> out;
    for (int v = 0; v < d.vertex_count(); ++v)
        if (d.vertex_selected[static_cast<std::size_t>(v)]) out.push_back(v);
    return out;
}

void select_face_flags(twinel_test::test_scene& t, std::vector<int> faces) {
    for (int f : faces) t.mesh().face(f).set_active(true);
}

}  // namespace

TEST(polygon_selection, select_faces_walks_the_list_as_a_cursor) {
    twinel_test::test_scene t(quad_row(8));
    Polygon_class p(&t.shape());
    ASSERT_NE(p.mesh, nullptr);

    select_face_flags(t, {0, 1, 6});
    p.select_faces(Array<int>{2, 5});
    EXPECT_EQ(selected_faces(t.data()), (std::vector<int>{2, 5}));

    // A repeated entry stops the walk there: faces after 3 keep their state.
    select_face_flags(t, {0, 6, 7});
    p.select_faces(Array<int>{3, 3});
    EXPECT_EQ(selected_faces(t.data()), (std::vector<int>{3, 5, 6, 7}));

    // A descending list does the same after its first entry.
    p.select_faces(Array<int>{4, 1});
    EXPECT_EQ(selected_faces(t.data()), (std::vector<int>{4, 5, 6, 7}));

    p.select_faces(Array<int>{});
    EXPECT_TRUE(selected_faces(t.data()).empty());

    select_face_flags(t, {1, 4});
    p.unselect_all_face();
    EXPECT_TRUE(selected_faces(t.data()).empty());
}

TEST(polygon_selection, face_selection_switches_the_scene_into_face_and_modify_mode) {
    twinel_test::test_scene t(quad_row(3));
    Polygon_class p(&t.shape());
    host::scene& s = t.scene();
    const int refs = s.ref_count();

    s.set_selection_mode(2);
    p.select_faces(Array<int>{1});
    EXPECT_EQ(s.get_selection_mode(), 0);
    EXPECT_TRUE(s.is_modify_mode());
    EXPECT_EQ(s.counters().refreshes, 1);
    EXPECT_EQ(s.counters().inhibits, 1);
    EXPECT_EQ(s.counters().allows, 1);
    EXPECT_EQ(s.counters().inhibit_depth, 0);
    EXPECT_EQ(s.ref_count(), refs);

    // Already in face mode: no refresh, and modify mode is not entered.
    s.exit_modify_mode();
    p.unselect_all_face();
    EXPECT_FALSE(s.is_modify_mode());
    EXPECT_EQ(s.counters().refreshes, 1);
    EXPECT_EQ(s.counters().inhibits, 2);
    EXPECT_EQ(s.counters().allows, 2);
    EXPECT_EQ(s.ref_count(), refs);
}

TEST(polygon_selection, select_vertices_replaces_every_selection) {
    twinel_test::test_scene t(quad_row(3));
    Polygon_class p(&t.shape());
    host::scene& s = t.scene();
    const int refs = s.ref_count();
    select_face_flags(t, {0, 2});
    t.mesh().vertex(6).set_active(true);

    p.select_vertices(std::vector<int>{5, 1, 3});
    EXPECT_EQ(selected_vertices(t.data()), (std::vector<int>{1, 3, 5}));
    EXPECT_TRUE(selected_faces(t.data()).empty());
    EXPECT_EQ(s.get_selection_mode(), 2);
    EXPECT_TRUE(s.is_modify_mode());
    EXPECT_EQ(s.counters().refreshes, 1);
    EXPECT_EQ(t.shape().polygon().vertex_selection_brackets(), 1);

    p.select_vertices(Array<int>{7});
    EXPECT_EQ(selected_vertices(t.data()), (std::vector<int>{7}));
    EXPECT_EQ(s.counters().refreshes, 1);
    EXPECT_EQ(s.ref_count(), refs);

    std::vector<int> active{42, 42, 42, 42};
    EXPECT_EQ(p.get_active_vertices(active), 1);
    EXPECT_EQ(active, (std::vector<int>{7}));
    p.select_vertices(Array<int>{});
    EXPECT_EQ(p.get_active_vertices(active), 0);
    EXPECT_TRUE(active.empty());
}

TEST(polygon_selection, undo_bracket_makes_one_step_and_releases_its_record) {
    twinel_test::test_scene t(quad_row(2));
    Polygon_class p(&t.shape());
    host::scene& s = t.scene();
    const int refs = s.ref_count();

    p.end_undo();  // nothing open: nothing happens
    EXPECT_FALSE(s.can_undo());

    p.start_undo();
    EXPECT_TRUE(p.undo_record);
    p.start_undo();  // the first record is dropped, a new one opened
    p.append_face(Array<int>{0, 1, 4});
    p.end_undo();
    EXPECT_FALSE(p.undo_record);
    EXPECT_FALSE(s.history().is_open());
    EXPECT_EQ(s.history().undo_count(), 1u);
    EXPECT_EQ(s.ref_count(), refs);
    EXPECT_EQ(t.data().face_count(), 3);

    ASSERT_TRUE(s.undo());
    EXPECT_EQ(t.data().face_count(), 2);
}
