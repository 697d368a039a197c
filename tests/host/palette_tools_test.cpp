#include "host/modify_tools.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "frame/sdk/window.h"
#include "host/palette.h"
#include "tests/common/mesh_builder.h"

namespace {

using twinel_test::test_scene;

// A modify-mode tool made by the test: it records its wireframe calls and,
// when run, moves the first two vertices of the active mesh.
class recording_modifier : public kx::ref_counted<modifier_interface> {
public:
    explicit recording_modifier(bool undo) : undo_(undo) {}
    kx::uuid_class get_uuid() override { return kx::uuid_class(9, 9, 9, 9); }
    int get_korvo_version() override { return kx::sdk::korvo_sdk_version; }
    bool modify(scene_interface& scene) override {
        ++runs;
        polygon_mesh_class& mesh = *scene.get_active_shape()->get_polygon_mesh();
        for (int v = 0; v < 2; ++v) mesh.vertex(v).set_position(vec3{9.0f, 9.0f, 9.0f});
        return false;
    }
    void make_wireframe(shape_class& shape, const mat4& matrix, int pass, int flags, void* reserved) override {
        drawn.push_back(shape.get_name());
        last_matrix = matrix;
        EXPECT_EQ(pass, 0);
        EXPECT_EQ(flags, 0);
        EXPECT_EQ(reserved, nullptr);
    }
    bool undoable() override { return undo_; }

    int runs = 0;
    std::vector<std::string> drawn;
    mat4 last_matrix;

private:
    bool undo_;
};

std::vector<std::string> names(host::application& app) {
    std::vector<std::string> out;
    for (const host::modify_tool& t : host::modify_tools(app)) out.push_back(t.name);
    return out;
}

TEST(palette_tools, the_plugin_tools_are_listed_by_name_and_run_on_a_scene) {
    test_scene t(twinel_test::unit_cube());
    t.app().load_plugin(TWINEL_PLUGIN_PATH);
    EXPECT_EQ(names(t.app()), (std::vector<std::string>{"Remove_edges", "Append_edge", "Sym_vertices", "Paste_to_plane"}));
    EXPECT_TRUE(host::run_modify_tool(t.app(), "Append_edge", t.scene()));
    EXPECT_TRUE(host::run_modify_tool(t.app(), "3", t.scene())) << "by position";
    try {
        host::run_modify_tool(t.app(), "Remove edges", t.scene());
        FAIL() << "an unknown tool must be an error";
    } catch (const std::invalid_argument& e) {
        EXPECT_NE(std::string(e.what()).find("\"Remove edges\""), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("\"Remove_edges\""), std::string::npos) << e.what();
    }
    EXPECT_THROW(host::run_modify_tool(t.app(), "4", t.scene()), std::invalid_argument);
}

TEST(palette_tools, a_tool_run_is_one_undo_step_when_the_tool_is_undoable) {
    test_scene t(twinel_test::unit_cube());
    auto* undoable = new recording_modifier(true);
    auto* plain = new recording_modifier(false);
    t.app().plugins().adopt(kx::sdk::modifier_iid, *undoable, "Move two");
    t.app().plugins().adopt(kx::sdk::modifier_iid, *plain, "Move two plainly");
    EXPECT_EQ(names(t.app()), (std::vector<std::string>{"Move two", "Move two plainly"}));
    const host::mesh_data before = t.data();

    EXPECT_FALSE(host::run_modify_tool(t.app(), "Move two", t.scene())) << "what modify answered";
    EXPECT_EQ(undoable->runs, 1);
    EXPECT_EQ(t.scene().history().undo_count(), 1u) << "two edits, one step";
    ASSERT_TRUE(t.scene().undo());
    EXPECT_TRUE(twinel_test::identical(t.data(), before));

    host::run_modify_tool(t.app(), "Move two plainly", t.scene());
    EXPECT_EQ(plain->runs, 1);
    EXPECT_EQ(t.scene().history().undo_count(), 0u) << "no step for a tool that is not undoable";
    EXPECT_TRUE(undoable->drawn.empty()) << "no redraw hook outside modify mode";
}

TEST(palette_tools, user_edits_in_modify_mode_reach_every_wireframe_hook) {
    test_scene t(twinel_test::unit_cube());
    auto* tool = new recording_modifier(true);
    t.app().plugins().adopt(kx::sdk::modifier_iid, *tool, "Recorder");
    t.app().after_user_edit(t.shape());
    EXPECT_TRUE(tool->drawn.empty()) << "outside modify mode nothing is drawn";

    t.scene().enter_modify_mode();
    mat4 moved;
    moved[3][0] = 2.0f;
    t.shape().set_local_matrix(moved);
    t.app().after_user_edit(t.shape());
    ASSERT_EQ(tool->drawn, (std::vector<std::string>{"mesh"}));
    EXPECT_EQ(tool->last_matrix[3][0], 2.0f) << "the shape's world matrix";

    // A tool run in modify mode is an edit too: the active shape is redrawn.
    host::run_modify_tool(t.app(), "Recorder", t.scene());
    EXPECT_EQ(tool->drawn.size(), 2u);
}

TEST(palette_tools, the_plugin_wireframe_hook_takes_the_edited_shape) {
    test_scene t(twinel_test::unit_cube());
    t.app().load_plugin(TWINEL_PLUGIN_PATH);
    // The remove-edges tool sets CSym to the edited shape's pairing; the
    // cube has none, so a marker placed there beforehand is cleared.
    void** csym = static_cast<void**>(t.app().plugins().libraries().front()->data_symbol("CSym"));
    ASSERT_NE(csym, nullptr);
    int marker = 0;
    *csym = &marker;
    t.app().after_user_edit(t.shape());
    EXPECT_EQ(*csym, &marker) << "outside modify mode";
    t.scene().enter_modify_mode();
    t.app().after_user_edit(t.shape());
    EXPECT_EQ(*csym, nullptr);
}

TEST(palette_tools, the_plugin_window_opens_in_a_palette_of_the_application) {
    host::application bare;
    EXPECT_THROW(bare.open_palette(), std::runtime_error);

    host::application app;
    app.load_plugin(TWINEL_PLUGIN_PATH);
    EXPECT_EQ(app.current_palette(), nullptr);
    host::palette& p = app.open_palette();
    EXPECT_EQ(&app.open_palette(), &p);
    EXPECT_EQ(app.current_palette(), &p);
    EXPECT_TRUE(p.initialized());
    EXPECT_TRUE(p.is_shown());
    EXPECT_EQ(p.window().get_uuid().word[0], 0x5006100Au);
    EXPECT_EQ(static_cast<plugin_interface*>(&p.window()), app.plugins().objects_of(kx::sdk::window_iid).front());

    // Scene events now reach the plug-in's window.
    app.new_scene();
    ASSERT_EQ(p.events().size(), 2u);
    EXPECT_EQ(p.events()[0].name, "scene_opened");
    EXPECT_FALSE(p.events()[0].flag);
    EXPECT_FALSE(p.events()[1].flag);
}

}  // namespace
