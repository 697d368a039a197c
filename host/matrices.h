// Matrices the host builds for its own scenes (generators, tests).
#pragma once

#include "frame/sdk/math.h"

namespace host {

// A move by (x, y, z) in row-vector form: the translation sits in row 3.
inline mat4 translation(float x, float y, float z) {
    mat4 m;
    m.m[3][0] = x;
    m.m[3][1] = y;
    m.m[3][2] = z;
    return m;
}

}  // namespace host
