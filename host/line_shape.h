// Line shapes (kind 4): control points with handles, open or closed.
#pragma once

#include <deque>
#include <vector>

#include "frame/sdk/shape.h"
#include "host/shape.h"

namespace host {

class line_shape;

// One control point of a line, read and written in place; it is its own skin.
class control_point_proxy final : public control_point_class, public skin_view {
public:
    control_point_proxy(line_shape& line, int index) : line_(&line), index_(index) {}

    vec3 get_position() const override { return data().position; }
    vec3 get_first_handle() const override { return data().first_handle; }
    vec3 get_second_handle() const override { return data().second_handle; }
    bool get_first_flag() const override { return data().first_flag; }
    vec3 get_third_handle() const override { return data().third_handle; }
    vec3 get_fourth_handle() const override { return data().fourth_handle; }
    bool get_second_flag() const override { return data().second_flag; }

    void set_position(const vec3& p) override { edit().position = p; }
    void set_first_handle(const vec3& p) override { edit().first_handle = p; }
    void set_second_handle(const vec3& p) override { edit().second_handle = p; }
    void set_third_handle(const vec3& p) override { edit().third_handle = p; }
    void set_fourth_handle(const vec3& p) override { edit().fourth_handle = p; }
    void set_first_flag(bool f) override { edit().first_flag = f; }
    void set_second_flag(bool f) override { edit().second_flag = f; }

    skin_class& get_skin() const override { return const_cast<control_point_proxy&>(*this); }

protected:
    const skin_data* find_skin() const override { return &data().skin; }
    skin_data& make_skin() override { return edit().skin; }

private:
    // Throw std::out_of_range when the line no longer has the point.
    const control_point_data& data() const;
    control_point_data& edit();
    line_shape* line_;
    int index_;
};

class line_shape final : public shape {
public:
    line_shape(scene& owner, const std::string& name, std::vector<control_point_data> points = {},
               bool closed = false);

    int get_number_of_control_points() const override { return static_cast<int>(state_.points.size()); }
    // Null when out of range. Stays valid as long as the line exists.
    control_point_class* get_control_point(int index) override;
    bool is_closed() const override { return state_.closed; }

    // Host side.
    const std::vector<control_point_data>& points() const { return state_.points; }
    void set_points(std::vector<control_point_data> points);
    void set_closed(bool closed);
    std::unique_ptr<shape> clone() const override;

    // A point at `position` with every handle on it and both flags off.
    static control_point_data point_at(const vec3& position);

private:
    friend class control_point_proxy;
    std::deque<control_point_proxy> proxies_;
};

}  // namespace host
