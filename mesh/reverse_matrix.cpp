#include "mesh/reverse_matrix.h"

mat4 reverse_matrix(const mat4& m) {
    const float a00 = m.m[0][0], a01 = m.m[0][1], a02 = m.m[0][2];
    const float a10 = m.m[1][0], a11 = m.m[1][1], a12 = m.m[1][2];
    const float a20 = m.m[2][0], a21 = m.m[2][1], a22 = m.m[2][2];

    // Cofactors c[i][j] of A, each in single precision.
    const float c[3][3] = {{a11 * a22 - a12 * a21, a12 * a20 - a10 * a22, a10 * a21 - a11 * a20},
                           {a02 * a21 - a01 * a22, a00 * a22 - a02 * a20, a01 * a20 - a00 * a21},
                           {a01 * a12 - a02 * a11, a02 * a10 - a00 * a12, a00 * a11 - a01 * a10}};
    const float d = a00 * c[0][0] + a01 * c[0][1] + a02 * c[0][2];
    if (d == 0.0f) return mat4::identity();

    const double r = 1.0 / static_cast<double>(d);
    mat4 inverse;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            inverse.m[i][j] = static_cast<float>(static_cast<double>(c[j][i]) * r);

    const float tx = m.m[3][0], ty = m.m[3][1], tz = m.m[3][2];
    for (int j = 0; j < 3; ++j)
        inverse.m[3][j] = -(tx * inverse.m[0][j] + ty * inverse.m[1][j] + tz * inverse.m[2][j]);
    inverse.m[0][3] = 0.0f;
    inverse.m[1][3] = 0.0f;
    inverse.m[2][3] = 0.0f;
    inverse.m[3][3] = 1.0f;
    return inverse;
}
