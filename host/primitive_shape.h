// Primitive shapes (boxes, discs and the like: kinds 3, 5, 6, 8), which
// carry two fixed points.
#pragma once

#include "host/shape.h"

namespace host {

class primitive_shape final : public shape {
public:
    // `first` is the first point; `second` the second point or vector.
    primitive_shape(scene& owner, const std::string& name, int kind, const vec3& first, const vec3& second);

    // which 0 the first point, 1 the second; NaN components otherwise.
    vec3 get_primitive_point(int which) const override;

    void set_primitive_point(int which, const vec3& p);
    std::unique_ptr<shape> clone() const override;
};

}  // namespace host
