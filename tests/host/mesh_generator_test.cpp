#include "host/mesh_generator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <tuple>

#include "host/mesh_algorithms.h"

using host::mesh_data;

namespace {

std::set<std::tuple<float, float, float>> position_set(const mesh_data& m) {
    std::set<std::tuple<float, float, float>> s;
    for (const vec3& p : m.positions) s.insert({p.x, p.y, p.z});
    return s;
}

}  // namespace

TEST(mesh_generator, torus_is_closed_outward_and_exactly_symmetric_about_x0) {
    for (int target : {12, 400, 5000}) {
        const mesh_data m = host::make_torus({target});
        EXPECT_NEAR(m.vertex_count(), target, target / 5 + 4);
        EXPECT_EQ(m.face_count(), m.vertex_count());       // a closed quad torus
        EXPECT_EQ(m.edge_count(), 2 * m.vertex_count());   // every side shared by two faces
        EXPECT_TRUE(host::check_face_directions(m));
        const auto positions = position_set(m);
        int on_plane = 0;
        for (const vec3& p : m.positions) {
            EXPECT_TRUE(positions.count({-p.x, p.y, p.z})) << p.x << " " << p.y << " " << p.z;
            on_plane += p.x == 0.0f;
        }
        EXPECT_GE(on_plane, 6);  // two seam columns of at least three
    }
}

TEST(mesh_generator, jitter_moves_only_the_negative_side_within_its_amplitude) {
    host::torus_options options;
    const mesh_data exact = host::make_torus(options);
    options.jitter = 0.01f;
    const mesh_data a = host::make_torus(options), b = host::make_torus(options);
    options.seed = 2;
    const mesh_data c = host::make_torus(options);
    EXPECT_EQ(a.positions, b.positions);
    EXPECT_NE(a.positions, c.positions);
    int moved = 0;
    for (int v = 0; v < exact.vertex_count(); ++v) {
        const vec3 d = a.positions[v] - exact.positions[v];
        if (exact.positions[v].x >= 0.0f) {
            EXPECT_EQ(d, vec3()) << v;
            continue;
        }
        moved += d != vec3();
        for (int k = 0; k < 3; ++k) EXPECT_LE(std::fabs(d[k]), 0.0101f);
    }
    EXPECT_GT(moved, 0);
}

TEST(mesh_generator, half_torus_is_the_non_negative_prefix_of_the_torus) {
    host::torus_options options;
    options.uvs = true;
    const mesh_data full = host::make_torus(options);
    const mesh_data half = host::make_half_torus(options);
    ASSERT_GT(half.vertex_count(), full.vertex_count() / 2);
    ASSERT_LT(half.vertex_count(), full.vertex_count());
    for (int v = 0; v < half.vertex_count(); ++v) {
        EXPECT_EQ(half.positions[v], full.positions[v]);
        EXPECT_GE(half.positions[v].x, 0.0f);
    }
    EXPECT_EQ(half.face_count(), full.face_count() / 2);
    for (int f = 0; f < half.face_count(); ++f)
        for (int k = 0; k < 4; ++k) EXPECT_EQ(half.corner(f, k), full.corner(f, k));
}

TEST(mesh_generator, soup_and_reversed_faces_undo_through_the_repairs) {
    host::torus_options options;
    options.target_vertices = 2000;
    const mesh_data torus = host::make_torus(options);
    mesh_data soup = host::make_polygon_soup(torus);
    const int soup_vertices = soup.vertex_count();
    EXPECT_EQ(soup_vertices, 4 * torus.face_count());
    EXPECT_EQ(host::reduce_duplicated_vertices(soup), soup_vertices - torus.vertex_count());
    EXPECT_EQ(soup.vertex_count(), torus.vertex_count());

    mesh_data reversed = torus;
    EXPECT_EQ(host::reverse_random_faces(reversed, 0.25, 9), (torus.face_count() + 2) / 4);
    int differ = 0;
    for (int f = 0; f < torus.face_count(); ++f) differ += torus.corner(f, 1) != reversed.corner(f, 1);
    EXPECT_EQ(differ, (torus.face_count() + 2) / 4);

    const mesh_data grid = host::make_grid(100, 2.0f, true);
    const auto positions = position_set(grid);
    for (const vec3& p : grid.positions) EXPECT_TRUE(positions.count({-p.x, p.y, p.z}));
}
