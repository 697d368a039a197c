// Distances between positions as the mesh tools and the symmetry engine form
// them, written out in the order of their operations so that every build
// gives the same bits.
#pragma once

#include <cmath>

#include "frame/sdk/math.h"

// From this value up, a distance is never shorter than any of its
// components: the square of a component this large is a normal float, and
// the rounded root of that square gives the component back. Below it a
// square may underflow.
constexpr float single_distance_exact_from = 1e-18f;

// Squared distance of a and b, the squares summed in single precision.
inline float single_distance_squared(const vec3& a, const vec3& b) {
    const float dx = a.x - b.x;
    const float dy = a.y - b.y;
    const float dz = a.z - b.z;
    return dx * dx + dy * dy + dz * dz;
}

// Distance of a and b: single-precision squares, the square root taken in
// double precision and rounded back to single.
inline float single_distance(const vec3& a, const vec3& b) {
    return static_cast<float>(std::sqrt(static_cast<double>(single_distance_squared(a, b))));
}
