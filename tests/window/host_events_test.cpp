#include <gtest/gtest.h>

#include "host/part.h"
#include "tests/window/window_fixture.h"

namespace {

using twinel_test::window_fixture;

TEST(host_events, a_copied_paired_shape_arrives_without_the_attribute_or_a_pairing) {
    window_fixture w(twinel_test::symmetric_mesh());
    w.palette().press("twinel");
    ASSERT_TRUE(w.paired(w.shape()));

    shape_class* copy = w.shape().duplicate(mat4());
    ASSERT_NE(copy, nullptr);
    EXPECT_FALSE(w.paired(*copy));
    EXPECT_TRUE(w.paired(w.shape())) << "the original keeps its pairing";
    ASSERT_FALSE(w.palette().events().empty());
    EXPECT_EQ(w.palette().events().back().name, "shapes_copied");
    EXPECT_FALSE(w.palette().events().back().flag);

    w.select(*copy);
    w.palette().refresh();
    EXPECT_EQ(w.palette().title(), "twinel[mesh]");
    EXPECT_TRUE(w.palette().control("make_twinel").enabled);
}

TEST(host_events, deleting_a_part_releases_the_pairings_below_it_but_not_inside_a_surface) {
    window_fixture w(twinel_test::symmetric_mesh());
    host::part& group = w.scene().add_part("group");
    host::part& surface = w.scene().add_part("surface", kx::sdk::surface_part);
    host::mesh_shape& inner = w.scene().add_mesh("inner", twinel_test::make_mesh_data(twinel_test::symmetric_mesh()), &group);
    host::mesh_shape& kept = w.scene().add_mesh("kept", twinel_test::make_mesh_data(twinel_test::symmetric_mesh()), &surface);
    for (host::mesh_shape* m : {&kept, &inner}) {
        w.select(*m);
        w.palette().refresh();
        w.palette().press("twinel");
        w.palette().refresh();
        ASSERT_TRUE(w.paired(*m));
    }

    w.scene().remove_shape(surface);
    EXPECT_TRUE(w.paired(kept)) << "a surface part is not looked into";
    w.scene().remove_shape(group);
    EXPECT_FALSE(w.paired(inner));

    // The window holds neither the released pairing nor the deleted mesh:
    // what was enabled for them does nothing, and the next refresh, with no
    // active shape left, offers no pairing.
    w.palette().press("sym_vers");
    w.palette().refresh();
    EXPECT_FALSE(w.palette().control("twinel").enabled);
    EXPECT_FALSE(w.palette().control("sym_vers").enabled);
}

TEST(host_events, shape_events_wait_while_a_new_scene_is_counting_down) {
    window_fixture w(twinel_test::symmetric_mesh());
    w.palette().press("twinel");
    w.app().new_scene();
    EXPECT_EQ(w.palette().refresh(), 0) << "refreshes wait for the countdown";
    w.app().set_current_scene(w.scene());
    // The deletion comes while the window still counts down: the pairing
    // stays, but the window lets go of the shape.
    w.scene().remove_shape(w.shape());
    EXPECT_TRUE(w.paired(w.shape()));
    w.palette().press("twinel");
    EXPECT_TRUE(w.paired(w.shape())) << "a shape on its way out is not the window's shape";
}

}  // namespace
