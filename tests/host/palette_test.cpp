#include "host/palette.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "frame/sdk/window.h"
#include "host/kxul_file.h"
#include "host/palette_layout.h"
#include "tests/common/mesh_builder.h"

namespace {

using twinel_test::test_scene;

// Moves vertex `v` of the current scene's active mesh by one along x.
void nudge(korvo_interface& host, int v) {
    kx::host_ref<scene_interface> s(host.get_scene());
    vertex_class& vertex = s->get_active_shape()->get_polygon_mesh()->vertex(v);
    const vec3 p = vertex.get_position();
    vertex.set_position(vec3{p.x + 1.0f, p.y, p.z});
}

// A toolbar button as a plug-in makes one: it counts its clicks and its
// destruction, and moves vertex 2 when clicked.
struct toolbar_button : window_interface::push_button_class {
    toolbar_button(korvo_interface& host, bool undo, int& deleted) : host_(host), undo_(undo), deleted_(deleted) {}
    ~toolbar_button() override { ++deleted_; }
    void clicked() override {
        ++clicks;
        nudge(host_, 2);
    }
    bool undoable() override { return undo_; }
    int clicks = 0;

private:
    korvo_interface& host_;
    bool undo_;
    int& deleted_;
};

// A window that records every callback the host makes.
class recording_window : public kx::ref_counted<window_interface> {
public:
    explicit recording_window(korvo_interface& host, std::string layout = "window")
        : host_(host), layout_(std::move(layout)) {}

    kx::uuid_class get_uuid() override { return kx::uuid_class(1, 2, 3, 4); }
    int get_korvo_version() override { return kx::sdk::korvo_sdk_version; }

    void initialize() override {
        log.push_back("initialize");
        set_trigger_kind(2);
        loaded = load_layout(layout_.c_str());
        set_client_rect(get_layout_bounds());
        set_title("twinel");
        for (int k = 0; k < 2; ++k) {
            auto* b = new toolbar_button(host_, k == 1, buttons_deleted);
            buttons.push_back(b);
            add_control(b, kx::rect_class{2 + 40 * k, 2, 42 + 40 * k, 22});
            kx::host_ref<image_interface> image(host_.create_image_interface(k == 0 ? "mesh_mode" : "renew"));
            b->set_image(image.get());
            b->set_tooltip(k == 0 ? "first" : "second");
        }
    }
    void idle() override {
        ++idles;
        const kx::point_class p = get_frame_position();
        if (is_shown() && (p.x < 1 || p.y < 1)) move_frame(kx::point_class{100, 100});
    }

    void push_button_clicked(push_button_class& b) override {
        log.push_back(std::string("click ") + b.get_id());
        // One press, two edits: undo must take both back.
        nudge(host_, 0);
        nudge(host_, 1);
    }
    void checkbox_value_changed(checkbox_class& c) override { changed("checkbox", c.get_id(), c.get_value()); }
    void number_value_changed(number_class& n) override { changed("number", n.get_id(), n.get_value()); }
    void popup_menu_value_changed(popup_menu_class& p) override { changed("popup", p.get_id(), p.get_value()); }

    void initialize_push_button(push_button_class& b) override {
        log.push_back(std::string("init push-button ") + b.get_id());
        if (std::string(b.get_id()) == "next-tri-face") b.set_enabled(false);
    }
    void initialize_checkbox(checkbox_class& c) override { log.push_back(std::string("init checkbox ") + c.get_id()); }
    void initialize_number(number_class& n) override {
        log.push_back(std::string("init number ") + n.get_id());
        if (std::string(n.get_id()) == "margin") n.set_value(0.1f);
    }
    void initialize_popup_menu(popup_menu_class& p) override { log.push_back(std::string("init popup-menu ") + p.get_id()); }

    bool setup_push_button(push_button_class& b) override { return setup(b); }
    bool setup_checkbox(checkbox_class& c) override { return setup(c); }
    bool setup_number(number_class& n) override {
        if (std::string(n.get_id()) == "unmatch_v_number") n.set_shown(false);
        if (std::string(n.get_id()) == "distance_value") {
            n.set_decimals(4);
            n.invalidate();
        }
        return setup(n);
    }
    bool setup_popup_menu(popup_menu_class& p) override {
        if (std::string(p.get_id()) == "uv-index") p.set_items("Lump edit|face 3|");
        return setup(p);
    }
    bool setup_static_text(static_text_class& t) override {
        if (std::string(t.get_id()) == "ele_list") t.set_title("3 , 5 , 7 ");
        return setup(t);
    }
    bool undoable() override { return true; }

    void scene_opened(bool& flag, scene_interface*) override { event(flag, "scene_opened"); }
    void active_scene_changed(bool& flag, scene_interface*) override { event(flag, "active_scene_changed"); }
    void shapes_created(bool& flag, int n, shape_class* const*) override { event(flag, "shapes_created", n); }
    void shapes_copied(bool& flag, int n, shape_class* const*) override { event(flag, "shapes_copied", n); }
    void shapes_inserted(bool& flag, int n, shape_class* const*) override { event(flag, "shapes_inserted", n); }
    void shapes_being_deleted(bool& flag, scene_interface*, int n, shape_class* const* shapes) override {
        event(flag, "shapes_being_deleted " + std::string(shapes[0]->get_name()), n);
    }
    void active_shapes_changed(bool& flag, scene_interface&, int n, shape_class* const*) override {
        event(flag, "active_shapes_changed", n);
    }
    void browser_updated(bool& flag) override { event(flag, "browser_updated"); }

    std::vector<std::string> log;
    std::vector<std::string> events;
    std::vector<toolbar_button*> buttons;
    int buttons_deleted = 0;
    bool loaded = false;
    bool answer = true;  // what the setup callbacks answer
    int idles = 0;

private:
    bool setup(window_control& c) {
        log.push_back(std::string("setup ") + c.get_id());
        return answer;
    }
    void changed(const char* kind, const char* id, float value) {
        log.push_back(std::string("changed ") + kind + " " + id + " " + std::to_string(value));
    }
    void event(bool& flag, const std::string& name, int count = 0) {
        flag = false;
        events.push_back(name + (count ? " " + std::to_string(count) : ""));
    }

    korvo_interface& host_;
    std::string layout_;
};

// A cube scene, the recording window, and its palette initialised and shown.
struct palette_fixture {
    test_scene t{twinel_test::unit_cube()};
    kx::host_ref<recording_window> window;
    std::unique_ptr<host::palette> palette;

    explicit palette_fixture(const std::string& layout = "window") {
        t.app().add_resource_dir(TWINEL_SOURCE_DIR "/resources");
        window = kx::host_ref<recording_window>::share(new recording_window(t.app(), layout));
        palette = std::make_unique<host::palette>(t.app(), *window);
        palette->initialize();
        palette->show();
    }
    std::vector<std::string> log_starting(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const std::string& line : window->log)
            if (line.rfind(prefix, 0) == 0) out.push_back(line);
        return out;
    }
};

host::palette_layout english_layout() {
    const std::string path =
        host::find_kxul_file({TWINEL_SOURCE_DIR "/resources"}, host::language::english, "window");
    return host::read_palette_layout(path, "WINDOW");
}

TEST(palette, initialize_loads_the_layout_and_calls_each_initialise_callback_once_in_order) {
    palette_fixture f;
    host::palette& p = *f.palette;
    EXPECT_TRUE(f.window->loaded);
    EXPECT_TRUE(p.layout_loaded());
    EXPECT_EQ(p.trigger_kind(), 2);
    EXPECT_EQ(p.title(), "twinel");
    const kx::rect_class bounds = p.get_layout_bounds();
    EXPECT_EQ(p.client_rect().right, bounds.right);
    EXPECT_GT(bounds.right, 100);
    EXPECT_GT(bounds.bottom, 300);

    // One initialise call per push button, checkbox, number and popup menu,
    // in the order of the layout file.
    std::vector<std::string> expected;
    const host::palette_layout layout = english_layout();
    for (const host::layout_node* n : host::layout_controls(layout)) {
        switch (n->kind) {
            case host::layout_kind::push_button: expected.push_back("init push-button " + n->id); break;
            case host::layout_kind::checkbox: expected.push_back("init checkbox " + n->id); break;
            case host::layout_kind::number: expected.push_back("init number " + n->id); break;
            case host::layout_kind::popup_menu: expected.push_back("init popup-menu " + n->id); break;
            default: break;
        }
    }
    EXPECT_EQ(f.log_starting("init "), expected);
    ASSERT_GE(expected.size(), 3u);
    EXPECT_EQ(expected[0], "init popup-menu sym_mode");
    EXPECT_EQ(expected[2], "init number margin");
    EXPECT_EQ(p.control("ele_list").initialised, 0) << "static texts have no initialise callback";
    EXPECT_EQ(p.control("dummy0").initialised, 0);

    // What the window did during its callbacks stays on the controls.
    EXPECT_FLOAT_EQ(p.control("margin").value, 0.1f);
    EXPECT_FALSE(p.control("next-tri-face").enabled);

    // A second initialize is not passed on.
    p.initialize();
    EXPECT_EQ(f.log_starting("initialize").size(), 1u);
}

TEST(palette, controls_carry_the_attributes_of_the_layout) {
    palette_fixture f;
    const host::palette& p = *f.palette;
    const host::control_state& margin = p.control("margin");
    EXPECT_EQ(margin.kind, host::control_kind::number);
    EXPECT_EQ(margin.title, "Symmetry Margin");
    EXPECT_EQ(margin.unit, "mm");
    EXPECT_EQ(margin.tooltip, "Margin distance of vertices pair are symmetry tolerance value");
    EXPECT_FALSE(margin.integer);
    EXPECT_TRUE(margin.editable);
    EXPECT_EQ(margin.decimals, 3);

    const host::control_state& index = p.control("u_v_index");
    EXPECT_TRUE(index.integer);
    EXPECT_FALSE(index.editable);
    EXPECT_EQ(index.decimals, 0);
    EXPECT_EQ(index.width, 60);
    EXPECT_EQ(index.height, 14);

    EXPECT_EQ(p.control("sym_mode").items, (std::vector<std::string>{"YZ plane", "ZX plane", "XY plane"}));
    EXPECT_EQ(p.control("sym_mode").value, 0.0f);
    EXPECT_TRUE(p.control("uv-index").items.empty());
    EXPECT_EQ(p.control("dummy_tri").kind, host::control_kind::spacer);
    EXPECT_EQ(p.control("tab").kind, host::control_kind::tab);
    EXPECT_EQ(p.control("sym").title, "Twinel") << "the first of the two groups named sym";
    EXPECT_EQ(p.control("reduc-verti").title, "Reduct duplicated vertices.");
    EXPECT_EQ(p.control("reduc-verti-flag").title, "");
    EXPECT_EQ(p.control("f_link").tooltip, "Pairze selected nad Marked faces pair.");
    EXPECT_TRUE(p.control("f_link").enabled);
    EXPECT_TRUE(p.control("f_link").shown);

    try {
        p.control("no-such-control");
        FAIL() << "a missing id must be an error";
    } catch (const host::palette_error& e) {
        EXPECT_NE(std::string(e.what()).find("\"no-such-control\""), std::string::npos) << e.what();
    }
}

TEST(palette, the_layout_comes_in_the_language_of_the_application) {
    host::application ja(host::language::japanese);
    ja.add_resource_dir(TWINEL_SOURCE_DIR "/resources");
    kx::host_ref<recording_window> window = kx::host_ref<recording_window>::share(new recording_window(ja));
    host::palette p(ja, *window);
    p.initialize();
    ASSERT_TRUE(window->loaded);
    EXPECT_EQ(p.control("sym_vers").title, "全頂点を対称化");
    EXPECT_EQ(p.control("margin").unit, "mm");
    // The two symmetrize buttons trade places in this language.
    const auto& log = window->log;
    const auto at = [&](const std::string& line) { return std::find(log.begin(), log.end(), line) - log.begin(); };
    EXPECT_LT(at("init push-button sym_ver"), at("init push-button make_twinel"));
    EXPECT_GT(at("init push-button sym_vers"), at("init push-button make_twinel"));
}

TEST(palette, a_refresh_calls_every_setup_callback_in_order_and_keeps_the_answers) {
    palette_fixture f;
    host::palette& p = *f.palette;
    const int handled = p.refresh();

    std::vector<std::string> expected;
    int kinds = 0;
    for (const host::control_state* c : p.controls()) {
        if (c->kind == host::control_kind::push_button || c->kind == host::control_kind::checkbox ||
            c->kind == host::control_kind::number || c->kind == host::control_kind::popup_menu ||
            c->kind == host::control_kind::static_text) {
            expected.push_back("setup " + c->id);
            ++kinds;
            EXPECT_EQ(c->setups, 1) << c->id;
            EXPECT_EQ(c->handled, std::optional<bool>(true)) << c->id;
        } else {
            EXPECT_EQ(c->setups, 0) << c->id;
            EXPECT_FALSE(c->handled.has_value()) << c->id;
        }
    }
    EXPECT_EQ(f.log_starting("setup "), expected);
    EXPECT_EQ(handled, kinds);

    // Changes the window made while refreshing are what the user sees.
    EXPECT_FALSE(p.control("unmatch_v_number").shown);
    EXPECT_EQ(p.control("distance_value").decimals, 4);
    EXPECT_EQ(p.control("distance_value").invalidations, 1);
    EXPECT_EQ(p.control("uv-index").items, (std::vector<std::string>{"Lump edit", "face 3"}));
    EXPECT_EQ(p.control("ele_list").title, "3 , 5 , 7 ");

    f.window->answer = false;
    EXPECT_EQ(p.refresh(), 0);
    EXPECT_EQ(p.control("margin").handled, std::optional<bool>(false));
    EXPECT_EQ(p.control("margin").setups, 2);
    EXPECT_EQ(p.control("distance_value").invalidations, 2);
}

TEST(palette, set_value_stores_the_value_before_the_value_changed_callback) {
    palette_fixture f;
    host::palette& p = *f.palette;
    p.set_value("margin", 0.5f);
    p.set_value("verbose", 1.0f);
    p.set_value("sym_source", 2.0f);
    EXPECT_EQ(f.log_starting("changed "),
              (std::vector<std::string>{"changed number margin 0.500000", "changed checkbox verbose 1.000000",
                                        "changed popup sym_source 2.000000"}));
    EXPECT_EQ(p.control("sym_source").value, 2.0f);

    // What no user could enter is refused before the window hears of it.
    EXPECT_THROW(p.set_value("verbose", 2.0f), host::palette_error);
    EXPECT_THROW(p.set_value("sym_mode", 3.0f), host::palette_error);
    EXPECT_THROW(p.set_value("sym_mode", 0.5f), host::palette_error);
    EXPECT_THROW(p.set_value("uv-index", 0.0f), host::palette_error) << "no items yet";
    EXPECT_THROW(p.set_value("unmatch_v_number", 3.0f), host::palette_error) << "read-only";
    EXPECT_THROW(p.set_value("twinel", 1.0f), host::palette_error) << "a button holds no value";
    EXPECT_THROW(p.set_value("missing", 1.0f), host::palette_error);
    EXPECT_EQ(f.log_starting("changed ").size(), 3u);
    EXPECT_EQ(p.control("verbose").value, 1.0f);
}

TEST(palette, a_press_calls_push_button_clicked_as_one_undo_step) {
    palette_fixture f;
    host::palette& p = *f.palette;
    const host::mesh_data before = f.t.data();
    const std::size_t steps = f.t.scene().history().undo_count();

    p.press("twinel");
    EXPECT_EQ(f.log_starting("click "), (std::vector<std::string>{"click twinel"}));
    EXPECT_EQ(f.t.scene().history().undo_count(), steps + 1) << "two edits, one step";
    EXPECT_FALSE(twinel_test::identical(f.t.data(), before));
    ASSERT_TRUE(f.t.scene().undo());
    EXPECT_TRUE(twinel_test::identical(f.t.data(), before)) << "undo takes the whole press back";

    // Only what a user could press.
    EXPECT_THROW(p.press("next-tri-face"), host::palette_error) << "disabled";
    EXPECT_THROW(p.press("verbose"), host::palette_error) << "not a button";
    p.hide();
    EXPECT_THROW(p.press("twinel"), host::palette_error);
    EXPECT_EQ(f.log_starting("click ").size(), 1u);
}

TEST(palette, toolbar_buttons_are_kept_pressed_and_deleted_with_the_palette) {
    palette_fixture f;
    host::palette& p = *f.palette;
    ASSERT_EQ(p.toolbar_size(), 2);
    EXPECT_EQ(p.toolbar(1).id, "toolbar_1");
    EXPECT_EQ(p.toolbar(1).kind, host::control_kind::toolbar_button);
    EXPECT_EQ(p.toolbar(1).frame.left, 42);
    EXPECT_EQ(p.toolbar(1).frame.bottom, 22);
    EXPECT_EQ(p.toolbar(0).tooltip, "first");
    // The window released its own image references; the palette holds one.
    ASSERT_NE(p.toolbar_image(0), nullptr);
    EXPECT_EQ(p.toolbar_image(0)->get_width(), 36);
    EXPECT_EQ(p.toolbar_image(1)->get_width(), 29);
    EXPECT_THROW(p.toolbar(2), host::palette_error);

    const std::size_t steps = f.t.scene().history().undo_count();
    p.press_toolbar(0);  // not undoable: no step of its own
    EXPECT_EQ(f.t.scene().history().undo_count(), steps);
    p.press("toolbar_1");  // undoable: one step
    EXPECT_EQ(f.t.scene().history().undo_count(), steps + 1);
    EXPECT_EQ(f.window->buttons[0]->clicks, 1);
    EXPECT_EQ(f.window->buttons[1]->clicks, 1);
    EXPECT_TRUE(f.log_starting("click ").empty()) << "toolbar buttons run their own clicked()";

    f.palette.reset();
    EXPECT_EQ(f.window->buttons_deleted, 2);
}

TEST(palette, scene_events_reach_the_window_which_clears_the_host_flag) {
    palette_fixture f;
    host::palette& p = *f.palette;
    host::scene& s = f.t.app().new_scene();
    const vec3 points[] = {{0, 0, 0}, {1, 0, 0}};
    shape_class* line = s.create_line(2, points, false, 0, 0);
    s.set_active_shapes(1, &line);
    line->duplicate(mat4::identity());
    s.announce_inserted({line});
    s.announce_browser_updated();
    s.remove_shape(*line);

    EXPECT_EQ(f.window->events,
              (std::vector<std::string>{"scene_opened", "active_scene_changed", "shapes_created 1",
                                        "active_shapes_changed 1", "shapes_copied 1", "shapes_inserted 1",
                                        "browser_updated", "shapes_being_deleted line_1 1"}));
    ASSERT_EQ(p.events().size(), f.window->events.size());
    for (const host::palette_event& e : p.events()) EXPECT_FALSE(e.flag) << e.name;
    EXPECT_EQ(p.events()[2].name, "shapes_created");
    EXPECT_EQ(p.events()[2].count, 1);

    // A palette that is gone hears nothing more.
    f.palette.reset();
    f.t.app().new_scene();
    EXPECT_EQ(f.window->events.size(), 8u);
}

TEST(palette, idle_calls_reach_the_window_and_its_frame_moves_are_recorded) {
    palette_fixture f;
    host::palette& p = *f.palette;
    p.set_frame_position(kx::point_class{-5, 40});
    EXPECT_TRUE(p.frame_moves().empty()) << "placing the frame from outside is no move";
    p.idle(3);
    EXPECT_EQ(f.window->idles, 3);
    ASSERT_EQ(p.frame_moves().size(), 1u);
    EXPECT_EQ(p.frame_position().x, 100);
    EXPECT_EQ(p.frame_position().y, 100);
}

TEST(palette, a_layout_that_cannot_be_loaded_is_refused_with_the_reason) {
    palette_fixture f("no_such_layout");
    EXPECT_FALSE(f.window->loaded);
    EXPECT_FALSE(f.palette->layout_loaded());
    EXPECT_NE(f.palette->layout_error().find("no resource folder"), std::string::npos);
    ASSERT_FALSE(f.t.app().message_lines().empty());
    EXPECT_NE(f.t.app().message_lines().back().find("no_such_layout"), std::string::npos);
    EXPECT_TRUE(f.palette->controls().empty());

    // A palette takes one layout only: the window keeps the handles of the
    // first one's controls.
    palette_fixture g("WINDOW");
    ASSERT_TRUE(g.window->loaded) << "layout names are found in any case";
    EXPECT_FALSE(g.palette->load_layout("window"));
    EXPECT_EQ(g.log_starting("init number margin").size(), 1u);
}

}  // namespace
