#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "frame/sdk/shape.h"
#include "mesh/surface_point.h"

namespace {

Surface_point sample() {
    Surface_point s;
    s.position = vec3(1, 2, 3);
    s.first_handle = vec3(4, 5, 6);
    s.second_handle = vec3(7, 8, 9);
    s.third_handle = vec3(10, 11, 12);
    s.fourth_handle = vec3(13, 14, 15);
    s.first_flag = false;
    s.second_flag = true;
    return s;
}

TEST(Surface_point, sum_adds_coordinates_and_ors_flags) {
    Surface_point a = sample(), b = sample();
    b.first_flag = true;
    b.second_flag = false;
    a += b;
    EXPECT_EQ(a.position, vec3(2, 4, 6));
    EXPECT_EQ(a.fourth_handle, vec3(26, 28, 30));
    EXPECT_TRUE(a.first_flag);
    EXPECT_TRUE(a.second_flag);
}

TEST(Surface_point, averaging_is_sum_then_half) {
    Surface_point a = sample(), b = sample();
    b.position = vec3(3, 2, -3);
    a += b;
    a *= 0.5f;
    EXPECT_EQ(a.position, vec3(2, 2, 0));
    EXPECT_EQ(a.second_handle, vec3(7, 8, 9));
    EXPECT_FALSE(a.first_flag);
    EXPECT_TRUE(a.second_flag);
}

TEST(Surface_point, matrix_moves_all_five_points_as_points_and_keeps_flags) {
    mat4 m;
    m.m[0][0] = -1.0f;  // mirror x, then shift
    m.m[3][0] = 10.0f;
    m.m[3][2] = 1.0f;
    const Surface_point s = sample();
    const Surface_point t = s * m;
    EXPECT_EQ(t.position, vec3(9, 2, 4));
    EXPECT_EQ(t.first_handle, vec3(6, 5, 7));
    EXPECT_EQ(t.second_handle, vec3(3, 8, 10));
    EXPECT_EQ(t.third_handle, vec3(0, 11, 13));
    EXPECT_EQ(t.fourth_handle, vec3(-3, 14, 16));
    EXPECT_EQ(t.second_flag, s.second_flag);
    Surface_point u = s;
    u *= m;
    EXPECT_EQ(u.fourth_handle, t.fourth_handle);
}

// A control point that logs the order of the writes it receives.
class logging_point : public control_point_class {
public:
    Surface_point value = sample();
    std::vector<std::string> writes;

    vec3 get_position() const override { return value.position; }
    vec3 get_first_handle() const override { return value.first_handle; }
    vec3 get_second_handle() const override { return value.second_handle; }
    bool get_first_flag() const override { return value.first_flag; }
    vec3 get_third_handle() const override { return value.third_handle; }
    vec3 get_fourth_handle() const override { return value.fourth_handle; }
    bool get_second_flag() const override { return value.second_flag; }
    void set_position(const vec3& p) override { value.position = p, writes.push_back("position"); }
    void set_first_handle(const vec3& p) override { value.first_handle = p, writes.push_back("first"); }
    void set_second_handle(const vec3& p) override { value.second_handle = p, writes.push_back("second"); }
    void set_third_handle(const vec3& p) override { value.third_handle = p, writes.push_back("third"); }
    void set_fourth_handle(const vec3& p) override { value.fourth_handle = p, writes.push_back("fourth"); }
    void set_first_flag(bool f) override { value.first_flag = f, writes.push_back("first_flag"); }
    void set_second_flag(bool f) override { value.second_flag = f, writes.push_back("second_flag"); }
    skin_class& get_skin() const override { throw std::logic_error("no skin here"); }
};

TEST(Surface_point, get_and_set_copy_all_seven_values_handles_before_flags) {
    logging_point cp;
    Surface_point s;
    s.get(cp);
    EXPECT_EQ(s.third_handle, vec3(10, 11, 12));
    EXPECT_TRUE(s.second_flag);

    s.position = vec3(0, 0, 0);
    s.first_flag = true;
    s.set(cp);
    EXPECT_EQ(cp.writes, (std::vector<std::string>{"position", "first", "second", "third", "fourth", "first_flag",
                                                   "second_flag"}));
    EXPECT_EQ(cp.value.position, vec3(0, 0, 0));
    EXPECT_TRUE(cp.value.first_flag);
    EXPECT_EQ(cp.value.fourth_handle, vec3(13, 14, 15));
}

}  // namespace
