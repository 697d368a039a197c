// Skin symmetry: mirror joints found by name, bindings copied onto partners,
// vertices on the plane, the source side, stopping at a missing mirror, and
// the palette button's messages.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "mesh/polygon_class.h"
#include "symmetry/twinel_class.h"
#include "tests/common/mesh_builder.h"
#include "tests/window/window_fixture.h"

namespace {

using binding = std::pair<std::string, float>;

std::vector<binding> bindings(polygon_mesh_class& mesh, int v) {
    skin_class& skin = mesh.vertex(v).get_skin();
    std::vector<binding> out;
    for (int k = 0; k < skin.get_number_of_binds(); ++k) {
        shape_class* joint = skin.get_bind_joint(k);
        out.emplace_back(joint ? joint->get_name() : "", skin.get_bind_weight(k));
    }
    return out;
}

void bind(polygon_mesh_class& mesh, int v, shape_class* joint, float weight) {
    skin_class& skin = mesh.vertex(v).get_skin();
    skin.append_bind();
    skin.set_bind_weight(skin.get_number_of_binds() - 1, weight);
    skin.set_bind_joint(skin.get_number_of_binds() - 1, joint);
}

// Vertices on the YZ plane's sides, paired by hand: 0 (x = 1) with 1
// (x = -1), 2 (x = 2) with 3 (x = -2), 4 (x = 3) with 5 (x = -3); 6
// (x = 0.001) and 7 (x = 0) with themselves; 8 (x = 4) unpaired. Joints are
// parts of the same scene.
struct skinned {
    explicit skinned(int base_side = 0) : t(lists()), polygon(&t.shape()), twinel(polygon, settings(base_side)) {
        twinel.vertex_table.resize(9);
        twinel.vertex_table.link(0, 1);
        twinel.vertex_table.link(2, 3);
        twinel.vertex_table.link(4, 5);
        twinel.vertex_table.link(6);
        twinel.vertex_table.link(7);
        for (const char* name : {"left_arm", "right_arm", "spine", "l_hip", "r_hip", "r_hand", "Left_leg", "right_leg"})
            t.scene().add_part(name);
    }
    static twinel_test::mesh_lists lists() {
        twinel_test::mesh_lists m;
        for (float x : {1.0f, -1.0f, 2.0f, -2.0f, 3.0f, -3.0f, 0.001f, 0.0f, 4.0f}) m.positions.emplace_back(x, 0.0f, 0.0f);
        return m;
    }
    static Symmetry_class settings(int base_side) {
        Symmetry_class s;
        s.base_side = static_cast<std::uint8_t>(base_side);
        return s;
    }
    shape_class* joint(const char* name) { return t.scene().get_shape_by_name(name); }
    polygon_mesh_class& mesh() { return t.mesh(); }

    twinel_test::test_scene t;
    Polygon_class polygon;
    twinel_class twinel;
};

TEST(skin_symmetry, the_mirror_joint_swaps_a_leading_side_prefix_case_sensitively) {
    skinned s;
    for (const char* name : {"left_hand", "rightHand", "l_leg", "r-foot", "upper_left", "Left_arm"})
        s.t.scene().add_part(name);
    const auto mirror = [&](const char* name) {
        shape_class* m = twinel_class::get_sym_joint(s.joint(name));
        return m ? std::string(m->get_name()) : std::string("(none)");
    };
    EXPECT_EQ(mirror("right_arm"), "left_arm");
    EXPECT_EQ(mirror("left_arm"), "right_arm");
    EXPECT_EQ(mirror("l_hip"), "r_hip");
    EXPECT_EQ(mirror("r_hip"), "l_hip");
    EXPECT_EQ(mirror("rightHand"), "(none)") << "leftHand is not in the scene";
    EXPECT_EQ(mirror("left_hand"), "(none)") << "right_hand is not in the scene";
    EXPECT_EQ(mirror("r-foot"), "(none)") << "l-foot is not in the scene";
    EXPECT_EQ(mirror("spine"), "spine");
    EXPECT_EQ(mirror("upper_left"), "upper_left") << "only a prefix counts";
    EXPECT_EQ(mirror("Left_arm"), "Left_arm") << "prefixes are case-sensitive";
    EXPECT_EQ(twinel_class::get_sym_joint(nullptr), nullptr);
}

TEST(skin_symmetry, each_partner_takes_its_sources_bindings_with_mirror_joints) {
    skinned s;
    polygon_mesh_class& m = s.mesh();
    bind(m, 0, s.joint("left_arm"), 0.7f);
    bind(m, 0, s.joint("spine"), 0.3f);
    // The partner had more bindings: the extra ones go from the end.
    for (const char* j : {"r_hip", "l_hip", "spine"}) bind(m, 1, s.joint(j), 0.1f);
    // A source without bindings leaves its partner without any.
    bind(m, 3, s.joint("spine"), 1.0f);
    // Negative-side vertices are not sources: 5 gives 4 nothing, and loses
    // its binding to its source 4, which has none.
    bind(m, 5, s.joint("right_arm"), 1.0f);

    EXPECT_FALSE(s.twinel.sym_skins());
    EXPECT_EQ(bindings(m, 1), (std::vector<binding>{{"right_arm", 0.7f}, {"spine", 0.3f}}));
    EXPECT_EQ(bindings(m, 0), (std::vector<binding>{{"left_arm", 0.7f}, {"spine", 0.3f}}));
    EXPECT_TRUE(bindings(m, 3).empty());
    EXPECT_TRUE(bindings(m, 4).empty());
    EXPECT_TRUE(bindings(m, 5).empty());
}

TEST(skin_symmetry, a_vertex_on_the_plane_gains_each_mirror_joint_with_the_same_weight) {
    for (int base_side : {0, 2}) {
        skinned s(base_side);
        polygon_mesh_class& m = s.mesh();
        // 6 lies on the positive side of the plane band, 7 exactly on it.
        for (int v : {6, 7}) {
            bind(m, v, s.joint("l_hip"), 0.5f);
            bind(m, v, s.joint("spine"), 0.2f);
            bind(m, v, s.joint("r_hip"), 0.25f);
            bind(m, v, s.joint("Left_leg"), 0.05f);
        }
        EXPECT_FALSE(s.twinel.sym_skins());
        // The earlier of l_hip and r_hip decides both weights; centre joints
        // gain nothing.
        const std::vector<binding> gained{{"l_hip", 0.5f}, {"spine", 0.2f}, {"r_hip", 0.5f}, {"Left_leg", 0.05f}};
        const std::vector<binding> unchanged{{"l_hip", 0.5f}, {"spine", 0.2f}, {"r_hip", 0.25f}, {"Left_leg", 0.05f}};
        // With base side 0 the sources are strictly positive, with 2 those at
        // or below 0.
        EXPECT_EQ(bindings(m, 6), base_side == 0 ? gained : unchanged) << base_side;
        EXPECT_EQ(bindings(m, 7), base_side == 0 ? unchanged : gained) << base_side;
    }
}

TEST(skin_symmetry, a_missing_mirror_or_joint_stops_the_run_and_leaves_that_partner_alone) {
    skinned s;
    polygon_mesh_class& m = s.mesh();
    bind(m, 0, s.joint("left_arm"), 0.7f);
    bind(m, 2, s.joint("spine"), 0.4f);
    bind(m, 2, s.joint("r_hand"), 0.6f);  // there is no l_hand
    bind(m, 3, s.joint("spine"), 1.0f);
    bind(m, 4, s.joint("left_arm"), 1.0f);

    EXPECT_EQ(s.twinel.sym_skins().value_or(""), " No found sym joint of[r_hand] at[2 -> 3]");
    EXPECT_EQ(bindings(m, 1), (std::vector<binding>{{"right_arm", 0.7f}})) << "done before the stop";
    EXPECT_EQ(bindings(m, 3), (std::vector<binding>{{"spine", 1.0f}})) << "the failing vertex's partner";
    EXPECT_TRUE(bindings(m, 5).empty()) << "after the stop";

    // A binding without a joint stops the run too.
    m.vertex(2).get_skin().set_bind_joint(1, nullptr);
    EXPECT_EQ(s.twinel.sym_skins().value_or(""), "Not found valide joint");
    EXPECT_EQ(bindings(m, 3), (std::vector<binding>{{"spine", 1.0f}}));
}

// The palette's "Symmerize Skin": the warning of an incomplete pairing and
// the pairing's message, in the user's language and only with verbose.
TEST(skin_symmetry, the_palette_button_shows_its_messages_translated_and_only_with_verbose) {
    twinel_test::mesh_lists lists = twinel_test::symmetric_mesh();
    lists.positions.emplace_back(5.0f, 5.0f, 5.0f);  // one vertex without partner
    twinel_test::window_fixture w(lists, host::language::japanese);
    w.scene().add_part("r_hand");
    bind(w.mesh(), 4, w.scene().get_shape_by_name("r_hand"), 1.0f);  // x = 2, partner 0
    w.palette().press("twinel");
    w.palette().refresh();

    w.app().clear_messages();
    w.palette().press("sym_skin");
    EXPECT_TRUE(w.said("形状の対称ペアが完全ではありません。ペアのある頂点だけにスキンを設定します。"));
    EXPECT_TRUE(w.said(" [r_hand] の対称ジョイントが見つかりません [4 -> 0]"));

    // The window's own verbose decides, not the pairing's copy: release,
    // switch it off, pair again.
    w.palette().press("twinel");
    w.palette().set_value("verbose", 0.0f);
    w.palette().press("twinel");
    w.app().clear_messages();
    w.palette().press("sym_skin");
    EXPECT_TRUE(w.app().message_lines().empty());
}

}  // namespace
