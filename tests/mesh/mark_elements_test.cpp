#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "frame/globals.h"
#include "mesh/mark_elements.h"

namespace {

// An element-mark component that records the requests it receives and
// answers a get with its own list.
class recording_component : public element_mark_interface {
public:
    int AddRef() override { return 1; }
    int Release() override { return 1; }
    kx::uuid_class get_uuid() override { return kx::sdk::elements_preference_uuid; }
    int get_korvo_version() override { return kx::sdk::korvo_sdk_version; }

    void mark_elements(shape_class& shape, mark_request& record) override {
        if (fail) throw std::runtime_error("component failure");
        last_shape = &shape;
        seen.push_back(record);
        if (record.command == mark_request::GET) {
            record.count = static_cast<int>(kept.size());
            record.list = kept.data();
        }
    }

    bool fail = false;
    shape_class* last_shape = nullptr;
    std::vector<mark_request> seen;
    std::vector<int> kept{4, 8, 15};
};

shape_class& some_shape() {
    static int storage;
    return *reinterpret_cast<shape_class*>(&storage);
}

TEST(mark_elements, without_a_component_every_request_reports_failure) {
    mark_elements m;
    const int list[] = {1, 2};
    EXPECT_EQ(m.mark(some_shape(), mark_request::EDGES, 2, list, true), 1);
    EXPECT_EQ(m.clear(some_shape(), mark_request::FACES), 1);
    const auto got = m.get_mark(some_shape(), mark_request::VERTICES);
    EXPECT_EQ(got.first, -1);
    EXPECT_EQ(got.second, nullptr);
}

TEST(mark_elements, the_exported_record_starts_without_a_component) {
    EXPECT_EQ(Mark.component, nullptr);
    EXPECT_EQ(Mark.command, 0);
    EXPECT_EQ(Mark.target, mark_request::VERTICES);
    EXPECT_FALSE(Mark.flag);
    EXPECT_EQ(Mark.count, 0);
    EXPECT_EQ(Mark.list, nullptr);
}

TEST(mark_elements, mark_clear_and_get_fill_the_record_for_the_component) {
    recording_component component;
    mark_elements m;
    m.component = &component;
    const int list[] = {3, 9, 27};

    EXPECT_EQ(m.mark(some_shape(), mark_request::FACES, 3, list, true), 0);
    ASSERT_EQ(component.seen.size(), 1u);
    EXPECT_EQ(component.last_shape, &some_shape());
    EXPECT_EQ(component.seen[0].command, 3);
    EXPECT_EQ(component.seen[0].target, mark_request::FACES);
    EXPECT_EQ(component.seen[0].count, 3);
    EXPECT_EQ(component.seen[0].list, list);
    EXPECT_TRUE(component.seen[0].flag);

    EXPECT_EQ(m.clear(some_shape(), mark_request::EDGES), 0);
    EXPECT_EQ(component.seen[1].command, 0);
    EXPECT_EQ(component.seen[1].target, mark_request::EDGES);

    const auto got = m.get_mark(some_shape(), mark_request::EDGES);
    EXPECT_EQ(component.seen[2].command, 1);
    EXPECT_EQ(got.first, 3);
    EXPECT_EQ(got.second, component.kept.data());
    // The record keeps the last request.
    EXPECT_EQ(m.command, 1);
    EXPECT_EQ(m.count, 3);
}

TEST(mark_elements, a_throwing_component_is_swallowed_and_reported) {
    recording_component component;
    component.fail = true;
    mark_elements m;
    m.component = &component;
    const int list[] = {1};
    EXPECT_EQ(m.mark(some_shape(), mark_request::VERTICES, 1, list, false), 1);
    EXPECT_EQ(m.clear(some_shape(), mark_request::VERTICES), 1);
    const auto got = m.get_mark(some_shape(), mark_request::VERTICES);
    EXPECT_EQ(got.first, -1);
    EXPECT_EQ(got.second, nullptr);
}

TEST(mark_elements, a_list_that_is_no_list_is_not_sent) {
    recording_component component;
    mark_elements m;
    m.component = &component;
    EXPECT_EQ(m.mark(some_shape(), mark_request::EDGES, -1, nullptr, false), 1);
    EXPECT_EQ(m.mark(some_shape(), mark_request::EDGES, 2, nullptr, false), 1);
    EXPECT_TRUE(component.seen.empty());
    EXPECT_EQ(m.mark(some_shape(), mark_request::EDGES, 0, nullptr, false), 0);  // marks nothing
}

}  // namespace
