#include <gtest/gtest.h>

#include <string>

#include "host/application.h"

namespace {

TEST(application_file_paths, answers_come_in_queue_order_and_each_request_is_recorded) {
    host::application app;
    app.queue_file_path("/a.png");
    app.queue_file_cancel();
    app.queue_file_path("/b.tga");
    const char* types[] = {"png", nullptr};
    const char* first = app.ask_file_path("/start.png", 2, types, false);
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first, "/a.png");
    EXPECT_EQ(app.ask_file_path(nullptr, 0, nullptr, true), nullptr);
    EXPECT_STREQ(app.ask_file_path("", 1, types, false), "/b.tga");
    EXPECT_STREQ(first, "/a.png") << "an answer stays valid after later ones";

    ASSERT_EQ(app.file_requests().size(), 3u);
    EXPECT_EQ(app.file_requests()[0].current, "/start.png");
    EXPECT_EQ(app.file_requests()[0].types, (std::vector<std::string>{"png", ""}));
    EXPECT_EQ(app.file_requests()[1].current, "");
    EXPECT_TRUE(app.file_requests()[1].types.empty());
    EXPECT_TRUE(app.file_requests()[1].open);
}

TEST(application_file_paths, a_request_with_nothing_queued_is_an_error_and_still_recorded) {
    host::application app;
    app.queue_answer(host::answer::ok);  // answers of questions do not count
    const char* types[] = {"png"};
    try {
        app.ask_file_path("/x", 1, types, false);
        FAIL() << "no answer was queued";
    } catch (const host::no_answer_error& e) {
        EXPECT_NE(std::string(e.what()).find("file path to save"), std::string::npos) << e.what();
    }
    EXPECT_EQ(app.file_requests().size(), 1u);
    EXPECT_EQ(app.queued_answers(), 1u);
}

}  // namespace
