// The point-times-matrix product and the two matrix inverses.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "frame/sdk/math.h"
#include "mesh/reverse_matrix.h"

namespace {

mat4 affine(const float a[3][3], const vec3& t) {
    mat4 m;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m.m[i][j] = a[i][j];
    m.m[3][0] = t.x;
    m.m[3][1] = t.y;
    m.m[3][2] = t.z;
    return m;
}

// Random affine matrices with a determinant well away from 0.
class random_affine {
public:
    explicit random_affine(unsigned seed) : rng_(seed) {}
    mat4 next() {
        std::uniform_real_distribution<float> entry(-2.0f, 2.0f), shift(-10.0f, 10.0f);
        for (;;) {
            float a[3][3];
            for (auto& row : a)
                for (float& x : row) x = entry(rng_);
            const mat4 m = affine(a, vec3(shift(rng_), shift(rng_), shift(rng_)));
            if (std::fabs(kx::detail::det3(a)) > 0.25f) return m;
        }
    }

private:
    std::mt19937 rng_;
};

void expect_identity(const mat4& m, float tolerance) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(m.m[i][j], i == j ? 1.0f : 0.0f, tolerance) << i << "," << j;
}

TEST(point_times_matrix, divides_by_the_bottom_right_element_only_when_it_is_not_1) {
    mat4 m;
    m.m[3][0] = 2.0f;
    m.m[3][1] = 2.0f;
    m.m[3][2] = 2.0f;
    m.m[3][3] = 2.0f;
    EXPECT_EQ(vec3(2, 4, 6) * m, vec3(2, 3, 4));

    // With 1 there, the last column is not a homogeneous divisor.
    mat4 n;
    n.m[0][3] = 5.0f;
    n.m[3][0] = 1.0f;
    EXPECT_EQ(vec3(1, 2, 3) * n, vec3(2, 2, 3));
}

TEST(point_times_matrix, matrix_product_applies_the_left_matrix_first) {
    random_affine gen(7);
    const mat4 a = gen.next(), b = gen.next();
    const vec3 p(0.5f, -1.25f, 3.0f);
    const vec3 once = p * (a * b), twice = (p * a) * b;
    EXPECT_NEAR(once.x, twice.x, 1e-3f);
    EXPECT_NEAR(once.y, twice.y, 1e-3f);
    EXPECT_NEAR(once.z, twice.z, 1e-3f);
}

TEST(reverse_matrix, inverts_random_affine_matrices) {
    random_affine gen(20240611);
    for (int k = 0; k < 200; ++k) {
        const mat4 m = gen.next();
        SCOPED_TRACE(k);
        expect_identity(reverse_matrix(m) * m, 2e-4f);
        expect_identity(m * reverse_matrix(m), 2e-4f);
    }
}

TEST(reverse_matrix, is_exact_for_power_of_two_scales_and_ignores_the_last_column) {
    const float a[3][3] = {{2, 0, 0}, {0, 4, 0}, {0, 0, 8}};
    mat4 m = affine(a, vec3(1, 2, 3));
    const float b[3][3] = {{0.5f, 0, 0}, {0, 0.25f, 0}, {0, 0, 0.125f}};
    const mat4 expected = affine(b, vec3(-0.5f, -0.5f, -0.375f));
    EXPECT_EQ(reverse_matrix(m), expected);
    m.m[0][3] = 1.0f;
    m.m[2][3] = 3.0f;
    m.m[3][3] = 5.0f;
    EXPECT_EQ(reverse_matrix(m), expected);
}

TEST(reverse_matrix, singular_block_gives_the_identity) {
    const float flat[3][3] = {{1, 2, 3}, {2, 4, 6}, {0, 1, 1}};
    EXPECT_EQ(reverse_matrix(affine(flat, vec3(5, 6, 7))), mat4::identity());
    const float zero[3][3] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
    EXPECT_EQ(reverse_matrix(affine(zero, vec3(1, 1, 1))), mat4::identity());
}

TEST(mat4_inv, inverts_random_affine_matrices) {
    random_affine gen(99);
    for (int k = 0; k < 200; ++k) {
        const mat4 m = gen.next();
        SCOPED_TRACE(k);
        expect_identity(m.inv() * m, 2e-4f);
    }
}

TEST(mat4_inv, singular_block_comes_back_unchanged) {
    const float flat[3][3] = {{1, 2, 3}, {2, 4, 6}, {0, 1, 1}};
    const mat4 m = affine(flat, vec3(5, 6, 7));
    EXPECT_EQ(m.inv(), m);
}

TEST(mat4_inv, maps_a_transformed_point_back) {
    random_affine gen(3);
    const mat4 m = gen.next();
    const vec3 p(1.5f, -2.0f, 0.25f);
    const vec3 back = (p * m) * m.inv();
    EXPECT_NEAR(back.x, p.x, 1e-4f);
    EXPECT_NEAR(back.y, p.y, 1e-4f);
    EXPECT_NEAR(back.z, p.z, 1e-4f);
}

}  // namespace
