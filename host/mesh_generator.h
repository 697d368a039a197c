// Deterministic meshes for tests, benchmarks and examples.
//
// Every generator is a pure function of its arguments (random choices come
// from a seeded std::mt19937, whose sequence the standard fixes), so a test
// sees the same mesh on every machine. Sizes are chosen by an approximate
// vertex count, from a few dozen up to millions.
#pragma once

#include <cstdint>

#include "host/mesh_data.h"

namespace host {

struct torus_options {
    int target_vertices = 400;  // about this many vertices (at least 4 x 3)
    float major_radius = 1.0f;
    float minor_radius = 0.4f;
    // Largest displacement of each coordinate of the vertices on the negative
    // side (x < 0); 0 keeps the torus exactly symmetric.
    float jitter = 0.0f;
    std::uint32_t seed = 1;
    bool uvs = false;  // parameter UVs in [0, 1], distance UVs in lengths
};

// A closed quad torus around the y axis, symmetric about the plane x = 0:
// vertex (i, j) of ring column i and tube row j has index i * rows + j;
// columns 0 and columns / 2 lie exactly on the plane and column i mirrors
// column columns - i exactly (before jitter). Faces wind outwards, column by
// column; edges are built.
mesh_data make_torus(const torus_options& options);

// The x >= 0 half of make_torus (seam columns included): the torus's first
// columns / 2 + 1 columns and the faces between them, same indices.
mesh_data make_half_torus(const torus_options& options);

// A flat grid of quads in the y = 0 plane, `size` wide, centred on the
// origin and symmetric about x = 0 (an odd number of columns), faces
// winding towards +y.
mesh_data make_grid(int target_vertices, float size, bool uvs);

// The same faces, each with its own copies of its vertices (a "polygon
// soup" as some exporters write it). UVs and face flags are kept.
mesh_data make_polygon_soup(const mesh_data& mesh);

// Reverses round(fraction * face count) faces chosen at random; returns
// their number.
int reverse_random_faces(mesh_data& mesh, double fraction, std::uint32_t seed);

}  // namespace host
