// Mirror arithmetic of the symmetry engine, written out in the order of its
// operations so that every build gives the same bits.
//
// `plane` selects the mirrored component: 0 x (YZ plane), 1 y (ZX plane),
// 2 z (XY plane), as vec3's index operator reads it.
#pragma once

#include <cmath>

#include "frame/sdk/math.h"
#include "mesh/single_distance.h"

namespace symmetry {

// The component of `p` that mirroring negates.
inline float plane_coordinate(const vec3& p, int plane) { return p[plane]; }

// `p` with its plane coordinate negated.
inline vec3 mirror(vec3 p, int plane) {
    p[plane] = -p[plane];
    return p;
}

// Squared distance of a and b, the squares summed in single precision.
inline float distance_squared(const vec3& a, const vec3& b) { return single_distance_squared(a, b); }

// Distance of a and b: single-precision squares, the square root taken in
// double precision and rounded back to single.
inline float distance(const vec3& a, const vec3& b) { return single_distance(a, b); }

// Whether a lies within the margin whose square (formed in single
// precision) is `margin_squared` of the point b_mirrored. Equality counts;
// a NaN anywhere gives false.
inline bool within_margin(const vec3& a, const vec3& b_mirrored, float margin_squared) {
    return static_cast<double>(margin_squared) >= static_cast<double>(distance_squared(a, b_mirrored));
}

}  // namespace symmetry
