#include "host/application.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "frame/sdk/window.h"
#include "host/dialog.h"
#include "host/image.h"
#include "tests/common/mesh_builder.h"

namespace {

namespace fs = std::filesystem;
using twinel_test::test_scene;

// A scratch folder removed at the end of the test.
struct scratch_dir {
    fs::path path;
    explicit scratch_dir(const std::string& name)
        : path(fs::temp_directory_path() / ("twinel_host_" + name + "_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()))) {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~scratch_dir() { fs::remove_all(path); }
};

TEST(application, a_question_without_a_queued_answer_is_an_error) {
    host::application app;
    app.queue_answer(host::answer::no);
    app.queue_answer(host::answer::yes);
    EXPECT_FALSE(app.show_message("Do ?", true));
    EXPECT_TRUE(app.show_message("Do ?", true));
    EXPECT_THROW(app.show_message("Force symmetrize this lines?", true), host::no_answer_error);
    EXPECT_TRUE(app.show_message("UV save finished.", false));
    app.message("a line");
    EXPECT_EQ(app.message_lines(),
              (std::vector<std::string>{"Do ?", "Do ?", "Force symmetrize this lines?", "UV save finished.", "a line"}));
    EXPECT_EQ(app.questions().size(), 3u);
}

TEST(application, texts_come_from_the_resources_of_its_language) {
    scratch_dir dir("texts");
    fs::create_directories(dir.path / "ja");
    std::ofstream(dir.path / "ja" / "text.kxul")
        << "<kxul><text id=\"TEXT\"><entry key=\"Twinel\">ツイネル</entry></text>"
           "<strings id=\"TWINEL_STRINGS\"><string>zero</string><string>one</string></strings></kxul>";
    host::application ja(host::language::japanese), en;
    ja.add_resource_dir(dir.path.string());
    en.add_resource_dir(dir.path.string());
    const char* first = ja.gettext("Twinel");
    EXPECT_STREQ(first, "ツイネル");
    EXPECT_EQ(ja.gettext("Twinel"), first) << "the same stored text every time";
    EXPECT_STREQ(en.gettext("Twinel"), "Twinel");
    EXPECT_STREQ(ja.gettext("untranslated"), "untranslated");

    kx::host_ref<string_table_interface> table(ja.get_string_table("twinel_strings"));
    ASSERT_TRUE(table);
    EXPECT_EQ(table->size(), 2);
    EXPECT_STREQ(table->get(1), "one");
    EXPECT_EQ(table->get(2), nullptr);
    EXPECT_EQ(en.get_string_table("twinel_strings"), nullptr);
}

TEST(application, element_marks_round_trip_per_shape_and_target) {
    test_scene t(twinel_test::unit_cube());
    auto* component =
        static_cast<element_mark_interface*>(t.app().find_plugin_interface(kx::sdk::elements_preference_uuid));
    ASSERT_NE(component, nullptr);
    EXPECT_EQ(component->get_uuid(), kx::sdk::elements_preference_uuid);
    const std::int32_t edges[] = {3, 1, 4};
    mark_request r;
    r.component = component;
    r.command = mark_request::MARK;
    r.target = mark_request::EDGES;
    r.count = 3;
    r.list = edges;
    component->mark_elements(t.shape(), r);

    mark_request get;
    get.command = mark_request::GET;
    get.target = mark_request::EDGES;
    component->mark_elements(t.shape(), get);
    ASSERT_EQ(get.count, 3);
    EXPECT_EQ(std::vector<int>(get.list, get.list + 3), (std::vector<int>{3, 1, 4}));
    get.target = mark_request::FACES;
    component->mark_elements(t.shape(), get);
    EXPECT_EQ(get.count, 0);

    mark_request clear;
    clear.command = mark_request::CLEAR;
    clear.target = mark_request::EDGES;
    component->mark_elements(t.shape(), clear);
    EXPECT_TRUE(t.app().marks().marks(t.shape(), mark_request::EDGES).empty());

    mark_request bad;
    bad.command = 2;
    EXPECT_THROW(component->mark_elements(t.shape(), bad), std::invalid_argument);
}

TEST(application, images_save_by_extension_and_load_from_resources) {
    scratch_dir dir("images");
    host::application app;
    kx::host_ref<image_interface> img(app.create_image_interface(3, 2));
    ASSERT_TRUE(img);
    EXPECT_TRUE(img->has_content());
    const kx::rgba8_class red(255, 0, 0, 255);
    img->set_pixel(2, 1, red);
    img->set_pixel(3, 1, red);  // outside: ignored
    EXPECT_EQ(img->get_pixel(2, 1), red);
    EXPECT_EQ(img->get_pixel(0, 0), kx::rgba8_class());

    fs::create_directories(dir.path / "images");
    EXPECT_TRUE(img->save((dir.path / "images" / "arrow.tga").string().c_str()));
    EXPECT_TRUE(img->save((dir.path / "out.PNG").string().c_str()));
    EXPECT_TRUE(img->save((dir.path / "out.bmp").string().c_str()));
    EXPECT_FALSE(img->save((dir.path / "out.jpg").string().c_str()));
    EXPECT_FALSE(img->save(""));
    EXPECT_FALSE(img->save((dir.path / "missing" / "out.png").string().c_str()));

    app.add_resource_dir(dir.path.string());
    kx::host_ref<image_interface> loaded(app.create_image_interface("ARROW"));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->get_width(), 3);
    EXPECT_EQ(loaded->get_pixel(2, 1), red);
    EXPECT_EQ(loaded->get_pixel(1, 1), kx::rgba8_class());
    kx::host_ref<image_interface> png(host::image::load((dir.path / "out.PNG").string()));
    ASSERT_TRUE(png);
    EXPECT_EQ(png->get_pixel(2, 1), red);
    EXPECT_EQ(app.create_image_interface("renew"), nullptr);
    EXPECT_EQ(app.create_image_interface(0, 5), nullptr);
}

// A handler that records what the dialog asked of it.
struct recording_handler : dialog_handler {
    std::string calls;
    void load_dialog_data(dialog_interface& d) override {
        calls += "load ";
        d.set_int(21, 512);
    }
    bool respond(dialog_interface&, int item, int) override { return item == 12; }
    void save_dialog_data(dialog_interface& d) override { calls += "save:" + std::to_string(d.get_int(21)) + " "; }
    int terminate(dialog_interface&, int code) override {
        calls += "end:" + std::to_string(code);
        return code;
    }
};

TEST(application, dialogs_run_accepted_unless_a_cancel_is_queued) {
    host::application app;
    app.add_resource_dir(TWINEL_SOURCE_DIR "/resources");  // dialogs need their layout
    recording_handler handler;
    kx::host_ref<dialog_interface> d(app.create_dialog_interface(kx::uuid_class(1, 2, 3, 4), "uv_dialog_id", &handler));
    ASSERT_TRUE(d);
    app.set_dialog_input([](host::dialog& dlg) { dlg.set_int(21, 640); });
    EXPECT_EQ(d->run(), 1);
    EXPECT_EQ(handler.calls, "load save:640 end:1");

    handler.calls.clear();
    app.queue_answer(host::answer::cancel);
    EXPECT_EQ(d->run(), 2);
    EXPECT_EQ(handler.calls, "load end:2");
    EXPECT_STREQ(d->get_string(11), "");
    EXPECT_TRUE(static_cast<host::dialog&>(*d).press(12));
}

// Follows the events of the application's scenes.
struct event_log : host::scene_observer {
    std::vector<std::string> events;
    void shapes_created(host::scene&, const std::vector<shape_class*>& s) override {
        events.push_back("created " + std::string(s.front()->get_name()));
    }
    void shapes_being_deleted(host::scene&, const std::vector<shape_class*>& s) override {
        events.push_back("deleting " + std::string(s.front()->get_name()));
    }
    void active_shapes_changed(host::scene&, const std::vector<shape_class*>& s) override {
        events.push_back("active " + std::to_string(s.size()));
    }
};

TEST(application, observers_follow_scene_events) {
    test_scene t(twinel_test::unit_cube());
    event_log log;
    t.app().add_observer(log);
    const vec3 p[] = {{0, 0, 0}, {1, 1, 1}};
    shape_class* line = t.scene().create_line(2, p, false, 0, 0);
    t.scene().set_active_shapes(1, &line);
    t.scene().remove_shape(*line);
    t.app().remove_observer(log);
    EXPECT_EQ(log.events, (std::vector<std::string>{"created line_1", "active 1", "deleting line_1"}));
    kx::host_ref<scene_interface> current(t.app().get_scene());
    EXPECT_EQ(current.get(), &t.scene());
}

TEST(application, loads_the_plugin_and_finds_its_objects_by_identifier) {
    host::application app;
    app.load_plugin(TWINEL_PLUGIN_PATH);
    const auto windows = app.plugins().objects_of(kx::sdk::window_iid);
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(app.find_plugin_interface(windows.front()->get_uuid()), windows.front());
    EXPECT_EQ(app.plugins().objects_of(kx::sdk::modifier_iid).size(), 4u);
    EXPECT_STREQ(app.gettext("product_name"), "twinel");
    EXPECT_EQ(app.find_plugin_interface(kx::uuid_class(7, 7, 7, 7)), nullptr);
}

}  // namespace
