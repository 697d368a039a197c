#include "host/line_shape.h"

#include <stdexcept>
#include <string>

namespace host {

const control_point_data& control_point_proxy::data() const {
    const auto& points = line_->state_.points;
    if (index_ >= static_cast<int>(points.size()))
        throw std::out_of_range("control point " + std::to_string(index_) + " does not exist");
    return points[static_cast<std::size_t>(index_)];
}

control_point_data& control_point_proxy::edit() {
    data();  // range check before announcing the change
    line_->will_change(change_kind::content);
    return line_->state_.points[static_cast<std::size_t>(index_)];
}

line_shape::line_shape(scene& owner, const std::string& name, std::vector<control_point_data> points, bool closed)
    : shape(owner, 4, name) {
    state_.points = std::move(points);
    state_.closed = closed;
}

control_point_class* line_shape::get_control_point(int index) {
    if (index < 0 || index >= static_cast<int>(state_.points.size())) return nullptr;
    while (static_cast<int>(proxies_.size()) <= index) proxies_.emplace_back(*this, static_cast<int>(proxies_.size()));
    return &proxies_[static_cast<std::size_t>(index)];
}

void line_shape::set_points(std::vector<control_point_data> points) {
    will_change(change_kind::content);
    state_.points = std::move(points);
}

void line_shape::set_closed(bool closed) {
    will_change(change_kind::content);
    state_.closed = closed;
}

std::unique_ptr<shape> line_shape::clone() const {
    auto copy = std::make_unique<line_shape>(owner(), state_.name);
    copy->copy_data_from(*this);
    return copy;
}

control_point_data line_shape::point_at(const vec3& position) {
    control_point_data p;
    p.position = p.first_handle = p.second_handle = p.third_handle = p.fourth_handle = position;
    return p;
}

}  // namespace host
