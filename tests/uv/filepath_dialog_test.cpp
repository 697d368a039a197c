// The file dialog of builds without a native one: the host is asked, over
// the reference host's queue of scripted answers.
#include "uv/filepath_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/application.h"
#include "tests/frame/fake_korvo.h"

namespace {

const char* types[] = {"png", "bmp", "pct", "tga", "psd"};

TEST(filepath_dialog, saving_asks_the_host_with_the_types_and_adds_the_first_type) {
    host::application app;
    app.queue_file_path("/maps/layout");
    app.queue_file_path("/maps/ready.TGA");
    std::string path = "/maps/old.tga";
    ASSERT_TRUE(filepath_dialog(app, path, 1, types + 3, false));
    EXPECT_EQ(path, "/maps/layout.tga");
    ASSERT_TRUE(filepath_dialog(app, path, 1, types + 3, false));
    EXPECT_EQ(path, "/maps/ready.TGA");

    ASSERT_EQ(app.file_requests().size(), 2u);
    const host::application::file_request& first = app.file_requests()[0];
    EXPECT_EQ(first.current, "/maps/old.tga");
    EXPECT_EQ(first.types, std::vector<std::string>{"tga"});
    EXPECT_FALSE(first.open);
    EXPECT_EQ(app.file_requests()[1].current, "/maps/layout.tga");
}

TEST(filepath_dialog, opening_takes_the_chosen_path_as_it_is) {
    host::application app;
    app.queue_file_path("/maps/layout");
    std::string path;
    ASSERT_TRUE(filepath_dialog(app, path, 5, types, true));
    EXPECT_EQ(path, "/maps/layout");
    ASSERT_EQ(app.file_requests().size(), 1u);
    EXPECT_TRUE(app.file_requests()[0].open);
    EXPECT_EQ(app.file_requests()[0].types, (std::vector<std::string>{"png", "bmp", "pct", "tga", "psd"}));
}

TEST(filepath_dialog, cancel_and_an_empty_answer_clear_the_path) {
    host::application app;
    app.queue_file_cancel();
    app.queue_file_path("");
    app.queue_file_cancel();
    for (bool open : {false, false, true}) {
        std::string path = "/maps/layout.png";
        EXPECT_FALSE(filepath_dialog(app, path, 1, types, open));
        EXPECT_EQ(path, "");
    }
    EXPECT_EQ(app.queued_file_paths(), 0u);
}

TEST(filepath_dialog, a_host_without_the_service_counts_as_a_cancel) {
    // korvo_interface's own answer, as a host that predates the service
    // gives: the stand-in root interface leaves the service alone.
#ifdef _WIN32
    GTEST_SKIP() << "on Windows the plug-in shows the common dialog and never asks the host";
#endif
    twinel_test::fake_korvo host;
    std::string path = "/maps/layout.png";
    EXPECT_FALSE(filepath_dialog(host, path, 1, types, false));
    EXPECT_EQ(path, "");
}

}  // namespace
