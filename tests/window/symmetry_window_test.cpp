#include <gtest/gtest.h>

#include <string>

#include "tests/window/window_fixture.h"

namespace {

using twinel_test::window_fixture;

float value(window_fixture& w, const char* id) { return w.palette().control(id).value; }

TEST(symmetry_window, a_fresh_window_shows_the_default_settings_and_its_toolbar) {
    twinel_test::test_scene t(twinel_test::unit_cube());
    t.app().load_plugin(TWINEL_PLUGIN_PATH);
    host::palette& p = t.app().open_palette();
    EXPECT_EQ(p.trigger_kind(), 2);
    EXPECT_EQ(p.title(), "twinel");
    const auto shows = [&](const char* id) { return p.control(id).value; };
    EXPECT_EQ(shows("margin"), 0.1f);
    EXPECT_EQ(shows("reduse_margin"), 0.01f);
    EXPECT_EQ(shows("PUV-center"), 0.5f);
    EXPECT_EQ(shows("DUV-center"), 0.5f);
    EXPECT_EQ(shows("PUV_margin"), 0.02f);
    EXPECT_EQ(shows("DUV_margin"), 0.02f);
    EXPECT_EQ(shows("sep_num"), 30.0f);
    for (const char* checked : {"verbose", "do_adjust", "sep_type", "reface"}) EXPECT_EQ(shows(checked), 1.0f) << checked;
    for (const char* clear : {"use-world", "do_symUV", "reduc-verti-flag", "face-over4-flag"})
        EXPECT_EQ(shows(clear), 0.0f) << clear;
    EXPECT_EQ(shows("face-angle-limit"), 15.0f);
    EXPECT_EQ(shows("side-angle-limit"), 95.0f);
    EXPECT_EQ(shows("p_o_value"), 1.0f);
    EXPECT_EQ(shows("v_o_value"), 1.0f);
    EXPECT_FALSE(p.control("unmatch_v_number").shown);
    EXPECT_FALSE(p.control("distance_value").shown);
    EXPECT_FALSE(p.control("next-tri-face").enabled);

    ASSERT_EQ(p.toolbar_size(), 6);
    for (int k = 0; k < 6; ++k) {
        const host::control_state& b = p.toolbar(k);
        EXPECT_EQ(b.frame.left, 2 + 40 * k);
        EXPECT_EQ(b.frame.top, 2);
        EXPECT_EQ(b.frame.right - b.frame.left, 40);
        EXPECT_EQ(b.frame.bottom - b.frame.top, 20);
        EXPECT_NE(p.toolbar_image(k), nullptr) << k;
        EXPECT_EQ(b.enabled, k < 2) << "the four edit buttons start disabled";
    }
    EXPECT_EQ(p.toolbar(0).tooltip, "Change selection mode to vertex selection mode, and enter modify mode.");
    EXPECT_EQ(p.toolbar(5).tooltip, "Paste selected vertices to Symmetry plane.");
}

TEST(symmetry_window, twinel_pairs_the_mesh_and_a_second_press_releases_it) {
    window_fixture w(twinel_test::symmetric_mesh());
    host::palette& p = w.palette();
    EXPECT_EQ(p.title(), "twinel[mesh]");
    EXPECT_TRUE(p.control("make_twinel").enabled);
    EXPECT_FALSE(p.control("sym_vers").enabled);

    p.press("twinel");
    p.refresh();
    EXPECT_TRUE(w.paired(w.shape()));
    EXPECT_EQ(p.title(), "twinel[mesh:*]");
    EXPECT_EQ(p.control("twinel").title, "Release Sym.");
    EXPECT_TRUE(p.control("unmatch_v_number").shown);
    EXPECT_EQ(value(w, "unmatch_v_number"), 0.0f);
    EXPECT_FALSE(p.control("unmatch_v_number").enabled);
    EXPECT_FALSE(p.control("make_twinel").enabled);
    EXPECT_FALSE(p.control("master-repair").enabled);
    EXPECT_TRUE(p.control("sym_vers").enabled);
    EXPECT_FALSE(p.control("sym_ver").enabled) << "outside modify mode";

    w.app().clear_messages();
    p.press("twinel");
    p.refresh();
    EXPECT_FALSE(w.paired(w.shape()));
    EXPECT_EQ(p.title(), "twinel[mesh]");
    EXPECT_EQ(p.control("twinel").title, "Twinel");
    EXPECT_FALSE(p.control("unmatch_v_number").shown);
    EXPECT_TRUE(w.said("Release Twinel."));

    // Without verbose the release is silent.
    p.set_value("verbose", 0.0f);
    p.press("twinel");
    w.app().clear_messages();
    p.press("twinel");
    EXPECT_FALSE(w.paired(w.shape()));
    EXPECT_TRUE(w.app().message_lines().empty());
}

TEST(symmetry_window, a_failed_pairing_is_shown_and_leaves_no_pairing) {
    // Every vertex of the cube lies off the plane x = 0 with no partner
    // within the margin once the cube is moved aside.
    twinel_test::mesh_lists moved = twinel_test::unit_cube();
    for (vec3& v : moved.positions) v.x += 3.0f;
    window_fixture w(moved);
    w.palette().press("twinel");
    w.palette().refresh();
    EXPECT_TRUE(w.said("To many unmatch vertices"));
    EXPECT_FALSE(w.paired(w.shape()));
    EXPECT_EQ(w.palette().title(), "twinel[mesh]");
    EXPECT_TRUE(w.palette().control("make_twinel").enabled);

    w.palette().set_value("sym_source", 2.0f);
    w.palette().press("make_twinel");
    EXPECT_TRUE(w.said("Can't make Twinel at base side is average."));
    EXPECT_FALSE(w.paired(w.shape()));
}

TEST(symmetry_window, settings_edited_while_paired_belong_to_the_pairing) {
    window_fixture w(twinel_test::symmetric_mesh());
    host::palette& p = w.palette();
    p.press("twinel");
    p.refresh();
    EXPECT_FALSE(p.control("sym_mode").enabled) << "the plane of a pairing cannot change";

    p.set_value("margin", 0.5f);
    p.set_value("sym_source", 1.0f);
    p.set_value("verbose", 0.0f);
    p.refresh();
    EXPECT_EQ(value(w, "margin"), 0.5f);
    EXPECT_EQ(value(w, "sym_source"), 1.0f);

    p.press("twinel");  // released silently: the pairing's verbose is off, the window's is on
    p.refresh();
    EXPECT_TRUE(p.control("sym_mode").enabled);
    EXPECT_EQ(value(w, "margin"), 0.1f);
    EXPECT_EQ(value(w, "sym_source"), 0.0f);
    EXPECT_EQ(value(w, "verbose"), 1.0f);
    EXPECT_TRUE(w.said("Release Twinel.")) << "the window's own verbose decides";

    p.set_value("sym_mode", 1.0f);
    p.refresh();
    EXPECT_EQ(value(w, "sym_mode"), 1.0f);
}

TEST(symmetry_window, sep_num_keeps_the_whole_part_of_what_is_typed) {
    window_fixture w(twinel_test::symmetric_mesh());
    host::palette& p = w.palette();
    const std::pair<float, float> typed[] = {{12.9f, 12.0f}, {-3.7f, -3.0f}, {1e20f, 2147483647.0f}};
    for (const auto& [in, kept] : typed) {
        p.set_value("sep_num", in);
        p.refresh();
        EXPECT_EQ(value(w, "sep_num"), kept) << in;
    }
}

TEST(symmetry_window, live_symmetry_follows_an_edit_in_modify_mode) {
    window_fixture w(twinel_test::symmetric_mesh());
    w.palette().press("twinel");
    w.edit_vertices();
    // Vertex 9 is (2, 1, 1.1); its partner, vertex 5, is (-2, 1, 1.1).
    w.select_vertices({9});
    w.mesh().vertex(9).set_position(vec3{2.5f, 1.25f, 1.0f});
    w.app().after_user_edit(w.shape());
    const vec3 before = w.mesh().vertex(5).get_position();
    EXPECT_EQ(before.x, -2.0f) << "nothing moves before the idle call";
    w.palette().idle();
    const vec3 after = w.mesh().vertex(5).get_position();
    EXPECT_EQ(after.x, -2.5f);
    EXPECT_EQ(after.y, 1.25f);
    EXPECT_EQ(after.z, 1.0f);
    void** csym = static_cast<void**>(w.app().plugins().libraries().front()->data_symbol("CSym"));
    EXPECT_EQ(*csym, nullptr) << "consumed by the idle call";
}

TEST(symmetry_window, the_element_readout_shows_the_first_selected_element) {
    window_fixture w(twinel_test::symmetric_mesh());
    host::palette& p = w.palette();
    p.refresh();
    EXPECT_FALSE(p.control("ele_list").shown) << "outside modify mode";
    w.scene().enter_modify_mode();
    w.mesh().face(1).set_active(true);  // corners 1, 2, 7, 6
    w.mesh().face(3).set_active(true);
    p.refresh();
    EXPECT_EQ(p.control("ele_title").title, "Face   number");
    EXPECT_EQ(p.control("ele_num").value, 1.0f);
    EXPECT_EQ(p.control("ele_list").title, "1 , 2 , 7 , 6 ");

    w.edit_vertices();
    w.select_vertices({12, 4});
    p.refresh();
    EXPECT_EQ(p.control("ele_title").title, "Vertex number");
    EXPECT_EQ(p.control("ele_list").title, "4");
}

TEST(symmetry_window, japanese_texts_come_from_the_japanese_resources) {
    window_fixture w(twinel_test::symmetric_mesh(), host::language::japanese);
    host::palette& p = w.palette();
    EXPECT_EQ(p.toolbar(1).tooltip, "Twinel ウィンドウを更新します。");
    p.press("twinel");
    p.refresh();
    EXPECT_EQ(p.title(), "twinel[mesh:*]");
    EXPECT_EQ(p.control("twinel").title, "対称解除");
    p.press("twinel");
    p.refresh();
    EXPECT_EQ(p.control("twinel").title, "対称ペア作成");
    EXPECT_TRUE(w.said("対称ペアを解除しました。"));
}

}  // namespace
