// Inverse of an affine matrix in row-vector form.
#pragma once

#include "frame/sdk/math.h"

// The inverse of `m`, read as an affine matrix: its upper-left 3 x 3 block A
// and its translation t (row 3); m's last column is not read. The inverse
// block is adj(A) times 1/det(A), the scaling done in double precision and
// rounded to single; row 3 is -(t x inverse block); the last column is
// (0, 0, 0, 1). Returns the identity when det(A) is exactly 0.
mat4 reverse_matrix(const mat4& m);
