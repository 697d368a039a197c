// Single-precision vector and matrix types of the host SDK.
//
// Every operation here is written out in the order of its arithmetic so that
// results are bit-identical on every build (the project compiles with
// -ffp-contract=off and SSE floating point; never -ffast-math).
#pragma once

#include <cstdint>

struct vec2 {
    float x = 0.0f;
    float y = 0.0f;

    constexpr vec2() = default;
    constexpr vec2(float x_, float y_) : x(x_), y(y_) {}

    float& operator[](int i) { return i == 0 ? x : y; }
    float operator[](int i) const { return i == 0 ? x : y; }

    vec2& operator+=(const vec2& b) { x += b.x; y += b.y; return *this; }
    vec2& operator-=(const vec2& b) { x -= b.x; y -= b.y; return *this; }
    vec2& operator*=(float s) { x *= s; y *= s; return *this; }
};

inline vec2 operator+(vec2 a, const vec2& b) { return a += b; }
inline vec2 operator-(vec2 a, const vec2& b) { return a -= b; }
inline vec2 operator*(vec2 a, float s) { return a *= s; }
inline vec2 operator*(float s, vec2 a) { return a *= s; }
inline bool operator==(const vec2& a, const vec2& b) { return a.x == b.x && a.y == b.y; }
inline bool operator!=(const vec2& a, const vec2& b) { return !(a == b); }

struct vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    constexpr vec3() = default;
    constexpr vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    // Component by index: 0 x, 1 y, 2 z.
    float& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
    float operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }

    vec3& operator+=(const vec3& b) { x += b.x; y += b.y; z += b.z; return *this; }
    vec3& operator-=(const vec3& b) { x -= b.x; y -= b.y; z -= b.z; return *this; }
    vec3& operator*=(float s) { x *= s; y *= s; z *= s; return *this; }
};

inline vec3 operator+(vec3 a, const vec3& b) { return a += b; }
inline vec3 operator-(vec3 a, const vec3& b) { return a -= b; }
inline vec3 operator-(const vec3& a) { return vec3(-a.x, -a.y, -a.z); }
inline vec3 operator*(vec3 a, float s) { return a *= s; }
inline vec3 operator*(float s, vec3 a) { return a *= s; }
inline bool operator==(const vec3& a, const vec3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
inline bool operator!=(const vec3& a, const vec3& b) { return !(a == b); }

// vec3 * vec3 is the cross product, as in the host SDK.
inline vec3 operator*(const vec3& a, const vec3& b) {
    return vec3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

inline float dot(const vec3& a, const vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

struct vec4 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;

    constexpr vec4() = default;
    constexpr vec4(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
};

// 4 x 4 matrix in row-vector form: a point is a row multiplied on the left,
// the translation sits in row 3. Indexed m[row][column].
struct mat4 {
    float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

    constexpr mat4() = default;

    static constexpr mat4 identity() { return mat4(); }

    float* operator[](int row) { return m[row]; }
    const float* operator[](int row) const { return m[row]; }

    // General inverse used for skin matrices. d is the determinant of the
    // upper-left 3 x 3 block; when it is exactly 0 the matrix comes back
    // unchanged. Otherwise entry (i, j) is the signed 3 x 3 minor of entry
    // (j, i) times 1/d, and entry (3, 3) is 1. Exact for matrices whose last
    // column is (0, 0, 0, 1).
    mat4 inv() const;
};

inline bool operator==(const mat4& a, const mat4& b) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (a.m[r][c] != b.m[r][c]) return false;
    return true;
}
inline bool operator!=(const mat4& a, const mat4& b) { return !(a == b); }

// Matrix product in row-vector order: a * b applies a first, then b.
inline mat4 operator*(const mat4& a, const mat4& b) {
    mat4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                        a.m[i][3] * b.m[3][j];
    return r;
}

// Point times matrix. The result is divided by the bottom-right element alone
// (not by the full homogeneous w) when that element is not exactly 1; for
// affine matrices both agree.
inline vec3 operator*(const vec3& p, const mat4& M) {
    vec3 r(p.x * M.m[0][0] + p.y * M.m[1][0] + p.z * M.m[2][0] + M.m[3][0],
           p.x * M.m[0][1] + p.y * M.m[1][1] + p.z * M.m[2][1] + M.m[3][1],
           p.x * M.m[0][2] + p.y * M.m[1][2] + p.z * M.m[2][2] + M.m[3][2]);
    if (M.m[3][3] != 1.0f) {
        const float s = 1.0f / M.m[3][3];
        r.x *= s;
        r.y *= s;
        r.z *= s;
    }
    return r;
}

namespace kx::detail {
// Determinant of the 3 x 3 matrix a, expanded along its first row.
inline float det3(const float a[3][3]) {
    return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
           a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
           a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
}

// Determinant of m without row `skip_row` and column `skip_col`.
inline float minor4(const mat4& m, int skip_row, int skip_col) {
    float a[3][3];
    for (int r = 0, i = 0; r < 4; ++r) {
        if (r == skip_row) continue;
        for (int c = 0, j = 0; c < 4; ++c) {
            if (c == skip_col) continue;
            a[i][j++] = m.m[r][c];
        }
        ++i;
    }
    return det3(a);
}
}  // namespace kx::detail

inline mat4 mat4::inv() const {
    const float upper[3][3] = {{m[0][0], m[0][1], m[0][2]},
                               {m[1][0], m[1][1], m[1][2]},
                               {m[2][0], m[2][1], m[2][2]}};
    const float d = kx::detail::det3(upper);
    if (!(d < 0.0f) && !(d > 0.0f)) return *this;
    const float rd = 1.0f / d;
    mat4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            if (i == 3 && j == 3) continue;
            const float sign = ((i + j) & 1) ? -1.0f : 1.0f;
            r.m[i][j] = sign * kx::detail::minor4(*this, j, i) * rd;
        }
    r.m[3][3] = 1.0f;
    return r;
}
