#include "host/primitive_shape.h"

#include <limits>
#include <stdexcept>
#include <string>

namespace host {

primitive_shape::primitive_shape(scene& owner, const std::string& name, int kind, const vec3& first,
                                 const vec3& second)
    : shape(owner, kind, name) {
    state_.primitive_points[0] = first;
    state_.primitive_points[1] = second;
}

vec3 primitive_shape::get_primitive_point(int which) const {
    if (which == 0 || which == 1) return state_.primitive_points[which];
    const float nan = std::numeric_limits<float>::quiet_NaN();
    return vec3(nan, nan, nan);
}

void primitive_shape::set_primitive_point(int which, const vec3& p) {
    if (which != 0 && which != 1) throw std::out_of_range("a primitive has points 0 and 1, not " + std::to_string(which));
    will_change(change_kind::content);
    state_.primitive_points[which] = p;
}

std::unique_ptr<shape> primitive_shape::clone() const {
    auto copy = std::make_unique<primitive_shape>(owner(), state_.name, get_type(), vec3(), vec3());
    copy->copy_data_from(*this);
    return copy;
}

}  // namespace host
