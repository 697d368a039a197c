// The palette's Repair page: what each step finds, selects or marks, and
// which of its messages wait for verbose.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/window/window_fixture.h"

namespace {

using twinel_test::mesh_lists;
using twinel_test::window_fixture;

// Two quads side by side, the second given twice when `overlapped`.
mesh_lists two_quads(bool overlapped) {
    mesh_lists m;
    m.positions = {{-1, 0, 0}, {0, 0, 0}, {1, 0, 0}, {-1, 1, 0}, {0, 1, 0}, {1, 1, 0}};
    m.faces = {{0, 1, 4, 3}, {1, 2, 5, 4}};
    if (overlapped) m.faces.push_back({1, 2, 5, 4});
    return m;
}

std::vector<int> selected_faces(window_fixture& w) {
    std::vector<int> faces;
    for (int f = 0; f < w.mesh().get_number_of_faces(); ++f)
        if (w.mesh().face(f).get_active()) faces.push_back(f);
    return faces;
}

const std::vector<std::int32_t>& face_marks(window_fixture& w) { return w.app().marks().marks(w.shape(), 4); }

TEST(repair_commands, overlapped_faces_are_reported_even_without_verbose_and_their_absence_only_with_it) {
    window_fixture clean(two_quads(false));
    clean.palette().set_value("verbose", 0);
    clean.palette().press("face-overlaped");
    EXPECT_TRUE(clean.app().message_lines().empty());
    clean.palette().set_value("verbose", 1);
    clean.palette().press("face-overlaped");
    EXPECT_TRUE(clean.said("No overlaped faces."));

    window_fixture w(two_quads(true));
    w.palette().set_value("verbose", 0);
    w.palette().press("face-overlaped");
    EXPECT_TRUE(w.said("     1 overlaped faces found. Selected these."));
    EXPECT_EQ(selected_faces(w), (std::vector<int>{1}));
    EXPECT_TRUE(w.scene().is_modify_mode());
    EXPECT_EQ(w.scene().get_selection_mode(), kx::sdk::face_selection);
}

TEST(repair_commands, faces_of_five_corners_are_marked_and_quads_are_not) {
    window_fixture quads(twinel_test::unit_cube());
    quads.palette().press("face-over4t");
    EXPECT_TRUE(quads.said("No faces with over 4 vertices found."));
    EXPECT_TRUE(face_marks(quads).empty());

    mesh_lists m = two_quads(false);
    m.positions.push_back({0.5f, 2, 0});
    m.faces.push_back({3, 4, 6, 5, 2});  // face 2: five corners, not planar, still counted
    window_fixture w(m);
    w.palette().press("face-over4t");
    EXPECT_TRUE(w.said("      1 faces with over 4 vertices found."));
    EXPECT_EQ(face_marks(w), (std::vector<std::int32_t>{2}));
    EXPECT_TRUE(selected_faces(w).empty()) << "marking leaves the selection alone";
}

TEST(repair_commands, all_repair_without_a_checked_step_changes_nothing) {
    window_fixture w(two_quads(true));
    w.palette().press("master-repair");
    EXPECT_TRUE(w.app().message_lines().empty());
    EXPECT_EQ(w.mesh().get_number_of_faces(), 3);
    EXPECT_TRUE(selected_faces(w).empty());
}

TEST(repair_commands, all_repair_runs_the_checked_steps_in_the_page_order) {
    // Vertex 6 duplicates vertex 2: the third quad overlaps the second only
    // once the duplicate is merged.
    mesh_lists m = two_quads(false);
    m.positions.push_back({1, 0, 0});
    m.faces.push_back({1, 6, 5, 4});
    window_fixture w(m);
    for (const char* flag : {"reduc-verti-flag", "face-overlaped-flag", "face-over4-flag"})
        w.palette().set_value(flag, 1);
    w.palette().press("master-repair");
    EXPECT_EQ(w.mesh().get_number_of_vertices(), 6);
    EXPECT_TRUE(w.said("     1 overlaped faces found. Selected these."));
    EXPECT_TRUE(w.said("No faces with over 4 vertices found."));
}

TEST(repair_commands, face_directions_are_turned_only_when_they_disagree) {
    window_fixture w(twinel_test::unit_cube());
    w.palette().press("face-norm");
    EXPECT_TRUE(w.said("No inverted normal faces."));

    mesh_lists m = two_quads(false);
    m.faces[1] = {4, 5, 2, 1};  // wound the other way
    window_fixture flipped(m);
    flipped.palette().press("face-norm");
    EXPECT_TRUE(flipped.app().message_lines().empty());
    EXPECT_TRUE(flipped.mesh().check_face_directions());
}

TEST(repair_commands, next_forgets_the_trident_list_when_the_mesh_lost_a_listed_face) {
    mesh_lists m;
    m.positions = {{0, 0, 0}, {0, 0, 1}, {1, 0, 0}, {-1, 0, 0}, {0, 1, 0}};
    m.faces = {{0, 1, 2}, {1, 0, 3}, {0, 1, 4}};
    window_fixture w(m);
    w.palette().press("face-triplet");
    w.palette().refresh();
    ASSERT_TRUE(w.palette().control("next-tri-face").enabled);
    w.mesh().begin_removing_faces();
    w.mesh().remove_face(2);
    w.mesh().end_removing_faces();
    w.palette().press("next-tri-face");
    w.palette().press("next-tri-face");
    EXPECT_EQ(selected_faces(w), (std::vector<int>{1}));
    w.palette().press("next-tri-face");  // face 2 is gone
    w.palette().refresh();
    EXPECT_FALSE(w.palette().control("next-tri-face").enabled);
    EXPECT_EQ(selected_faces(w), (std::vector<int>{1})) << "nothing else selected";
}

}  // namespace
