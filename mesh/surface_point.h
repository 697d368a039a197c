// A plain copy of one control point of a line shape: its position, its two
// handle pairs and its two flags, with the arithmetic line symmetry needs.
#pragma once

#include "frame/sdk/math.h"

class control_point_class;

struct Surface_point {
    vec3 position;
    vec3 first_handle;   // the handle pair along the line
    vec3 second_handle;
    vec3 third_handle;   // the second handle pair
    vec3 fourth_handle;
    bool first_flag = false;
    bool second_flag = false;

    // Reads all seven values of `cp`, in the order of its accessors.
    void get(const control_point_class& cp);
    // Writes all seven values to `cp`: position, the four handles, then the
    // two flags.
    void set(control_point_class& cp) const;

    // All five points transformed by `m` (operator*(vec3, mat4)); flags kept.
    Surface_point operator*(const mat4& m) const;
    Surface_point& operator*=(const mat4& m);
    // All fifteen coordinates scaled by `s`; flags kept.
    Surface_point& operator*=(float s);
    // Coordinates added; each flag becomes the OR of both.
    Surface_point& operator+=(const Surface_point& q);
};
