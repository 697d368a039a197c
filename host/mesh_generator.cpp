#include "host/mesh_generator.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

#include "host/mesh_algorithms.h"

namespace host {

namespace {

constexpr double two_pi = 6.283185307179586476925286766559;

// Uniform in [-1, 1) with 24 random bits, computed exactly in float so the
// value does not depend on the standard library's distributions.
float uniform_signed(std::mt19937& rng) {
    return static_cast<float>(rng() >> 8) * (2.0f / 16777216.0f) - 1.0f;
}

// Uniform in [0, bound) without modulo bias.
std::uint32_t uniform_below(std::mt19937& rng, std::uint32_t bound) {
    const std::uint32_t threshold = static_cast<std::uint32_t>(-bound) % bound;
    for (;;) {
        const std::uint32_t r = static_cast<std::uint32_t>(rng());
        if (r >= threshold) return r % bound;
    }
}

struct torus_layout {
    int columns;  // around the ring, even
    int rows;     // around the tube
};

torus_layout torus_size(int target_vertices) {
    const int rows = std::max(3, static_cast<int>(std::lround(std::sqrt(target_vertices / 2.0))));
    int columns = static_cast<int>(std::lround(static_cast<double>(target_vertices) / rows));
    columns = std::max(4, columns + (columns & 1));
    return {columns, rows};
}

// Appends the quads between column/row lattice points; `wrap_columns` closes
// the ring, rows always wrap when `wrap_rows` is set.
void add_lattice_faces(mesh_data& mesh, int columns, int rows, int face_columns, bool wrap_rows, bool uvs,
                       float u_length, float v_length) {
    const int face_rows = wrap_rows ? rows : rows - 1;
    for (int i = 0; i < face_columns; ++i) {
        const int i1 = (i + 1) % columns;
        for (int j = 0; j < face_rows; ++j) {
            const int j1 = (j + 1) % rows;
            const std::int32_t v[4] = {i * rows + j, i1 * rows + j, i1 * rows + j1, i * rows + j1};
            if (!uvs) {
                mesh.add_face(4, v);
                continue;
            }
            const float u0 = static_cast<float>(i) / static_cast<float>(face_columns);
            const float u1 = static_cast<float>(i + 1) / static_cast<float>(face_columns);
            const float w0 = static_cast<float>(j) / static_cast<float>(face_rows);
            const float w1 = static_cast<float>(j + 1) / static_cast<float>(face_rows);
            const vec2 puv[4] = {{u0, w0}, {u1, w0}, {u1, w1}, {u0, w1}};
            vec2 duv[4];
            for (int k = 0; k < 4; ++k) duv[k] = vec2(puv[k].x * u_length, puv[k].y * v_length);
            mesh.add_face(4, v, puv, duv);
        }
    }
}

}  // namespace

mesh_data make_torus(const torus_options& options) {
    const torus_layout size = torus_size(options.target_vertices);
    const int half = size.columns / 2;
    mesh_data mesh;
    mesh.positions.reserve(static_cast<std::size_t>(size.columns) * size.rows);
    std::vector<float> ring_x(size.columns), ring_z(size.columns), tube_c(size.rows), tube_s(size.rows);
    for (int j = 0; j < size.rows; ++j) {
        const double v = two_pi * j / size.rows;
        tube_c[j] = static_cast<float>(std::cos(v));
        tube_s[j] = static_cast<float>(std::sin(v));
    }
    for (int i = 0; i <= half; ++i) {
        const double u = two_pi * i / size.columns;
        ring_x[i] = (i == 0 || i == half) ? 0.0f : static_cast<float>(std::sin(u));
        ring_z[i] = i == 0 ? 1.0f : (i == half ? -1.0f : static_cast<float>(std::cos(u)));
    }
    for (int i = half + 1; i < size.columns; ++i) {
        ring_x[i] = -ring_x[size.columns - i];
        ring_z[i] = ring_z[size.columns - i];
    }
    std::mt19937 rng(options.seed);
    for (int i = 0; i < size.columns; ++i) {
        for (int j = 0; j < size.rows; ++j) {
            const float radius = options.major_radius + options.minor_radius * tube_c[j];
            vec3 p(radius * ring_x[i], options.minor_radius * tube_s[j], radius * ring_z[i]);
            if (i > half && options.jitter > 0.0f) {
                p.x += options.jitter * uniform_signed(rng);
                p.y += options.jitter * uniform_signed(rng);
                p.z += options.jitter * uniform_signed(rng);
            }
            mesh.add_vertex(p);
        }
    }
    const auto u_length = static_cast<float>(two_pi * options.major_radius);
    const auto v_length = static_cast<float>(two_pi * options.minor_radius);
    add_lattice_faces(mesh, size.columns, size.rows, size.columns, true, options.uvs, u_length, v_length);
    rebuild_edges(mesh);
    return mesh;
}

mesh_data make_half_torus(const torus_options& options) {
    torus_options exact = options;
    exact.jitter = 0.0f;
    mesh_data mesh = make_torus(exact);
    const torus_layout size = torus_size(options.target_vertices);
    std::vector<std::uint8_t> drop(mesh.vertex_count(), 0);
    std::fill(drop.begin() + static_cast<std::ptrdiff_t>(size.columns / 2 + 1) * size.rows, drop.end(), 1);
    remove_elements(mesh, drop, {}, {});
    return mesh;
}

mesh_data make_grid(int target_vertices, float size, bool uvs) {
    int columns = std::max(3, static_cast<int>(std::lround(std::sqrt(static_cast<double>(target_vertices)))));
    columns |= 1;
    const int rows = std::max(2, static_cast<int>(std::lround(static_cast<double>(target_vertices) / columns)));
    const int centre = columns / 2;
    const float step = size / static_cast<float>(columns - 1);
    mesh_data mesh;
    for (int i = 0; i < columns; ++i) {
        // Mirror columns use the same product, negated, so they are exact.
        const float x = static_cast<float>(std::abs(i - centre)) * step;
        for (int j = 0; j < rows; ++j)
            mesh.add_vertex(vec3(i < centre ? -x : x, 0.0f, static_cast<float>(j) * step - size * 0.5f));
    }
    // The lattice runs +x along columns and +z along rows; reversing each
    // quad makes it face +y.
    add_lattice_faces(mesh, columns, rows, columns - 1, false, uvs, size, step * static_cast<float>(rows - 1));
    for (int f = 0; f < mesh.face_count(); ++f) reverse_face(mesh, f);
    rebuild_edges(mesh);
    return mesh;
}

mesh_data make_polygon_soup(const mesh_data& mesh) {
    mesh_data soup;
    std::vector<std::int32_t> vertices;
    std::vector<vec2> puv, duv;
    for (int f = 0; f < mesh.face_count(); ++f) {
        const int n = mesh.face_size[f];
        const std::int32_t s = mesh.face_start[f];
        vertices.resize(n);
        for (int k = 0; k < n; ++k) vertices[k] = soup.add_vertex(mesh.positions[mesh.corner_vertex[s + k]]);
        const bool uv = mesh.face_has_uv[f] != 0;
        puv.assign(mesh.corner_puv.begin() + s, mesh.corner_puv.begin() + s + n);
        duv.assign(mesh.distance_uvs().begin() + s, mesh.distance_uvs().begin() + s + n);
        const int g = soup.add_face(n, vertices.data(), uv ? puv.data() : nullptr, uv ? duv.data() : nullptr);
        soup.face_selected[g] = mesh.face_selected[f];
    }
    rebuild_edges(soup);
    return soup;
}

int reverse_random_faces(mesh_data& mesh, double fraction, std::uint32_t seed) {
    const int nf = mesh.face_count();
    const int count = std::clamp(static_cast<int>(std::lround(fraction * nf)), 0, nf);
    std::vector<std::int32_t> faces(nf);
    std::iota(faces.begin(), faces.end(), 0);
    std::mt19937 rng(seed);
    for (int k = 0; k < count; ++k) {
        const int pick = k + static_cast<int>(uniform_below(rng, static_cast<std::uint32_t>(nf - k)));
        std::swap(faces[k], faces[pick]);
        reverse_face(mesh, faces[k]);
    }
    return count;
}

}  // namespace host
