#include "host/mesh_algorithms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <set>

#include "host/merge_vertices.h"
#include "host/mesh_generator.h"
#include "tests/common/mesh_builder.h"

using host::mesh_data;

namespace {

using face_list = std::vector<std::vector<int>>;

mesh_data mesh_from(const std::vector<vec3>& positions, const face_list& faces) {
    mesh_data m;
    for (const vec3& p : positions) m.add_vertex(p);
    for (const auto& f : faces) m.add_face(static_cast<int>(f.size()), f.data());
    host::rebuild_edges(m);
    return m;
}

face_list faces_of(const mesh_data& m) {
    face_list out;
    for (int f = 0; f < m.face_count(); ++f) out.emplace_back(m.face_vertices(f), m.face_vertices(f) + m.face_size[f]);
    return out;
}

std::vector<std::array<int, 2>> edges_of(const mesh_data& m) { return {m.edges.begin(), m.edges.end()}; }

// Four points of a unit square in y = 0 and a fifth above its centre.
std::vector<vec3> square_points() { return {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}, {0.5f, 1, 0.5f}}; }

// A strip of `n` quads closed into a ring; with `twist` the last quad joins
// the first one the other way round (a Moebius strip).
mesh_data ring_strip(int n, bool twist) {
    std::vector<vec3> points;
    for (int i = 0; i < n; ++i) {
        points.emplace_back(static_cast<float>(i), 0.0f, 0.0f);
        points.emplace_back(static_cast<float>(i), 1.0f, 0.0f);
    }
    face_list faces;
    for (int i = 0; i < n; ++i) {
        const int a = 2 * i, b = 2 * i + 1;
        int c = 2 * ((i + 1) % n), d = c + 1;
        if (twist && i == n - 1) std::swap(c, d);
        faces.push_back({a, c, d, b});
    }
    return mesh_from(points, faces);
}

// Directed sides used more than once.
int repeated_directed_sides(const mesh_data& m) {
    std::map<std::pair<int, int>, int> count;
    for (const auto& f : faces_of(m))
        for (std::size_t k = 0; k < f.size(); ++k) ++count[{f[k], f[(k + 1) % f.size()]}];
    int repeated = 0;
    for (const auto& c : count) repeated += c.second > 1;
    return repeated;
}

}  // namespace

TEST(mesh_algorithms, remove_elements_takes_faces_and_edges_with_a_vertex_and_renumbers) {
    mesh_data m = mesh_from(square_points(), {{0, 1, 4}, {1, 2, 4}, {2, 3, 4}, {3, 0, 4}});
    m.vertex_skin = {0, -1, 0, -1, 0};
    m.skins.resize(1);
    m.normals = {{0, 0, 1}, {0, 0, 2}, {0, 0, 3}, {0, 0, 4}, {0, 0, 5}};
    m.vertex_selected[3] = 1;
    host::remove_elements(m, {0, 1, 0, 0, 0}, {}, {});
    EXPECT_EQ(faces_of(m), (face_list{{1, 2, 3}, {2, 0, 3}}));
    EXPECT_EQ(m.vertex_skin, (std::vector<std::int32_t>{0, 0, -1, 0}));
    EXPECT_EQ(m.normals[1], vec3(0, 0, 3));
    EXPECT_EQ(m.vertex_selected, (std::vector<std::uint8_t>{0, 0, 1, 0}));
    // Edges 0-1, 1-4 and 1-2 went with vertex 1; the others are renumbered.
    EXPECT_EQ(edges_of(m), (std::vector<std::array<int, 2>>{{3, 0}, {1, 3}, {1, 2}, {2, 3}, {2, 0}}));
    EXPECT_TRUE(m.valid());
}

TEST(mesh_algorithms, remove_elements_by_face_and_edge_masks_keeps_vertices) {
    mesh_data m = mesh_from(square_points(), {{0, 1, 4}, {1, 2, 4}, {2, 3, 4}, {3, 0, 4}});
    m.add_face(3, std::vector<std::int32_t>{0, 1, 2}.data(), std::vector<vec2>{{1, 2}, {3, 4}, {5, 6}}.data());
    const int edges = m.edge_count();
    host::remove_elements(m, {}, {1, 0, 0, 0, 0, 0, 0, 0}, {0, 1, 1, 0, 0});
    EXPECT_EQ(m.vertex_count(), 5);
    EXPECT_EQ(faces_of(m), (face_list{{0, 1, 4}, {3, 0, 4}, {0, 1, 2}}));
    EXPECT_EQ(m.corner_puv[m.face_start[2] + 2], vec2(5, 6));
    EXPECT_EQ(m.edge_count(), edges - 1);
    EXPECT_TRUE(m.valid());
}

TEST(mesh_algorithms, rebuild_edges_gives_one_edge_per_side_pair_in_order_of_first_use) {
    // Two triangles sharing 1-2, a two-corner face, and a loop side (3, 3).
    mesh_data m = mesh_from(square_points(), {{0, 1, 2}, {2, 1, 3}, {4, 0}, {3, 3, 4}});
    m.edges = {{2, 1}, {0, 3}};
    m.edge_selected = {1, 1};
    host::rebuild_edges(m);
    EXPECT_EQ(edges_of(m), (std::vector<std::array<int, 2>>{{0, 1}, {1, 2}, {2, 0}, {1, 3}, {3, 2}, {4, 0}, {3, 4}}));
    EXPECT_EQ(m.edge_selected, (std::vector<std::uint8_t>{0, 1, 0, 0, 0, 0, 0}));
}

TEST(mesh_algorithms, reduce_merges_into_the_lowest_index_and_keeps_survivor_order) {
    // Two triangles of a soup sharing the side (1,0,0)-(0,0,1); -0 meets +0.
    mesh_data m = mesh_from({{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {1, -0.0f, 0}, {1, 0, 1}, {0, 0, 1}},
                            {{0, 1, 2}, {3, 4, 5}});
    m.vertex_selected[3] = 1;
    EXPECT_EQ(host::reduce_duplicated_vertices(m), 2);
    EXPECT_EQ(m.positions, (std::vector<vec3>{{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {1, 0, 1}}));
    EXPECT_EQ(faces_of(m), (face_list{{0, 1, 2}, {1, 3, 2}}));
    EXPECT_EQ(m.vertex_selected, (std::vector<std::uint8_t>{0, 0, 0, 0}));  // the survivor's flag
    EXPECT_EQ(m.edge_count(), 5);  // the shared side's two edges became one
    EXPECT_TRUE(m.valid());
}

TEST(mesh_algorithms, reduce_never_merges_nan_and_leaves_a_clean_mesh_untouched) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    mesh_data m = mesh_from({{nan, 0, 0}, {nan, 0, 0}, {1, 0, 0}}, {{0, 1, 2}});
    const mesh_data before = m;
    EXPECT_EQ(host::reduce_duplicated_vertices(m), 0);
    EXPECT_EQ(faces_of(m), faces_of(before));
    EXPECT_EQ(edges_of(m), edges_of(before));
}

TEST(mesh_algorithms, reduce_drops_faces_the_merge_made_invalid_but_not_older_ones) {
    // Quad 0 gets a repeated vertex (1 and 4 coincide, not neighbours),
    // triangle 1 collapses (2 and 5 coincide); the two-corner face and the
    // face that repeated a vertex before stay for the invalid-face repair.
    mesh_data m = mesh_from({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {1, 0, 0}, {1, 1, 0}},
                            {{0, 1, 2, 4}, {2, 5, 3}, {0, 3}, {0, 3, 0, 2}, {0, 1, 2}});
    m.edges.push_back({5, 2});  // becomes a loop
    m.edge_selected.push_back(0);
    m.edges.push_back({4, 0});  // duplicates 0-1, and carries its selection over
    m.edge_selected.push_back(1);
    EXPECT_EQ(host::reduce_duplicated_vertices(m), 2);
    EXPECT_EQ(faces_of(m), (face_list{{0, 3}, {0, 3, 0, 2}, {0, 1, 2}}));
    std::set<std::pair<int, int>> pairs;
    for (const auto& ed : m.edges) {
        EXPECT_NE(ed[0], ed[1]);
        EXPECT_TRUE(pairs.insert({std::min(ed[0], ed[1]), std::max(ed[0], ed[1])}).second);
    }
    EXPECT_EQ(m.edges[0], (std::array<std::int32_t, 2>{0, 1}));
    EXPECT_EQ(m.edge_selected[0], 1);
    EXPECT_TRUE(m.valid());
}

TEST(mesh_algorithms, reduce_matches_a_quadratic_reference_on_random_meshes) {
    std::mt19937 rng(7);
    for (int round = 0; round < 40; ++round) {
        const int nv = 5 + static_cast<int>(rng() % 60);
        std::vector<vec3> points;
        for (int v = 0; v < nv; ++v)  // few distinct values, so many repeats
            points.emplace_back(static_cast<float>(rng() % 3), static_cast<float>(rng() % 2), (rng() % 2) ? 0.0f : -0.0f);
        face_list faces;
        for (int f = 0; f < 30; ++f) {
            std::vector<int> face;
            const int n = 3 + static_cast<int>(rng() % 3);
            for (int k = 0; k < n; ++k) face.push_back(static_cast<int>(rng() % nv));
            faces.push_back(face);
        }
        mesh_data m = mesh_from(points, faces);

        std::vector<int> rep(nv), index(nv);
        int survivors = 0;
        for (int v = 0; v < nv; ++v) {
            rep[v] = v;
            for (int w = 0; w < v && rep[v] == v; ++w)
                if (points[w] == points[v]) rep[v] = w;
            if (rep[v] == v) index[v] = survivors++;
        }
        const auto distinct = [](std::vector<int> f) {
            std::sort(f.begin(), f.end());
            return std::adjacent_find(f.begin(), f.end()) == f.end();
        };
        face_list expected;
        for (const auto& f : faces) {
            std::vector<int> merged;
            for (int v : f) merged.push_back(index[rep[v]]);
            if (distinct(merged) || !distinct(f)) expected.push_back(merged);
        }
        EXPECT_EQ(host::reduce_duplicated_vertices(m), nv - survivors);
        EXPECT_EQ(m.vertex_count(), survivors);
        EXPECT_EQ(faces_of(m), expected);
        std::set<std::pair<int, int>> pairs;
        for (const auto& ed : m.edges) {
            EXPECT_NE(ed[0], ed[1]);
            EXPECT_TRUE(pairs.insert({std::min(ed[0], ed[1]), std::max(ed[0], ed[1])}).second);
        }
        ASSERT_TRUE(m.valid());
    }
}

TEST(mesh_algorithms, check_face_directions_finds_a_directed_side_used_twice) {
    mesh_data m = host::make_torus({});
    EXPECT_TRUE(host::check_face_directions(m));
    host::reverse_face(m, 17);
    EXPECT_FALSE(host::check_face_directions(m));
}

TEST(mesh_algorithms, adjust_face_directions_restores_a_torus_with_reversed_faces) {
    host::torus_options options;
    options.uvs = true;
    const mesh_data original = host::make_torus(options);
    mesh_data m = original;
    const int reversed = host::reverse_random_faces(m, 0.3, 5);
    EXPECT_EQ(host::adjust_face_directions(m), reversed);
    EXPECT_EQ(m.corner_vertex, original.corner_vertex);
    EXPECT_EQ(m.corner_puv, original.corner_puv);
    EXPECT_EQ(m.distance_uvs(), original.distance_uvs());
    EXPECT_EQ(host::adjust_face_directions(m), 0);
}

TEST(mesh_algorithms, adjust_face_directions_decides_per_piece_and_ties_keep_the_lowest_face) {
    // Two separate pieces of two faces each (a tie in both): the class of
    // each piece's lowest face stays. A third piece of three faces has its
    // majority reversed.
    mesh_data m = mesh_from({{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}, {5, 0, 0}, {6, 0, 0}, {6, 0, 1}, {5, 0, 1},
                             {9, 0, 0}, {10, 0, 0}, {10, 0, 1}, {9, 0, 1}, {11, 0, 1}},
                            {{0, 1, 2}, {2, 0, 3}, {4, 6, 5}, {4, 6, 7}, {8, 9, 10}, {11, 10, 8}, {11, 12, 10}});
    EXPECT_EQ(host::adjust_face_directions(m), 3);
    EXPECT_EQ(faces_of(m), (face_list{{0, 1, 2}, {3, 0, 2}, {4, 6, 5}, {7, 6, 4}, {10, 9, 8}, {11, 10, 8},
                                      {11, 12, 10}}));
    EXPECT_TRUE(host::check_face_directions(m));
}

TEST(mesh_algorithms, adjust_face_directions_does_not_connect_across_a_side_of_three_faces) {
    // Three triangles fan around the side 0-1, all running it 0 -> 1: no
    // connection, so each is a piece of its own and nothing changes.
    mesh_data m = mesh_from({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}}, {{0, 1, 2}, {0, 1, 3}, {0, 1, 4}});
    EXPECT_EQ(host::adjust_face_directions(m), 0);
    EXPECT_FALSE(host::check_face_directions(m));
}

TEST(mesh_algorithms, adjust_face_directions_terminates_on_a_moebius_strip_with_one_seam_left) {
    mesh_data a = ring_strip(9, true);
    for (int f : {2, 5}) host::reverse_face(a, f);
    mesh_data b = a;
    const int flipped = host::adjust_face_directions(a);
    EXPECT_EQ(host::adjust_face_directions(b), flipped);
    EXPECT_EQ(faces_of(a), faces_of(b));
    EXPECT_EQ(repeated_directed_sides(a), 1);
    // The same strip without the twist comes out consistent.
    mesh_data ring = ring_strip(9, false);
    for (int f : {2, 5}) host::reverse_face(ring, f);
    EXPECT_EQ(host::adjust_face_directions(ring), 2);
    EXPECT_TRUE(host::check_face_directions(ring));
}

TEST(mesh_algorithms, reverse_face_moves_uvs_and_normals_with_their_corners) {
    mesh_data m;
    for (int v = 0; v < 4; ++v) m.add_vertex(vec3(static_cast<float>(v), 0, 0));
    const std::int32_t c[4] = {0, 1, 2, 3};
    const vec2 puv[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const vec2 duv[4] = {{0, 5}, {1, 5}, {1, 6}, {0, 6}};
    m.add_face(4, c, puv, duv);
    m.corner_normal = {{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}};
    host::reverse_face(m, 0);
    EXPECT_EQ(faces_of(m), (face_list{{3, 2, 1, 0}}));
    EXPECT_EQ(m.corner_puv, (std::vector<vec2>{{0, 1}, {1, 1}, {1, 0}, {0, 0}}));
    EXPECT_EQ(m.distance_uvs()[0], vec2(0, 6));
    EXPECT_EQ(m.corner_normal[0], vec3(4, 0, 0));
}

TEST(mesh_algorithms, compute_vertex_normals_are_unit_area_weighted_and_zero_when_unused) {
    mesh_data grid = host::make_grid(30, 2.0f, false);
    grid.add_vertex(vec3(5, 5, 5));
    host::compute_vertex_normals(grid);
    for (int v = 0; v + 1 < grid.vertex_count(); ++v) {
        EXPECT_EQ(grid.normals[v].x, 0.0f);
        EXPECT_NEAR(grid.normals[v].y, 1.0f, 1e-7f);
        EXPECT_EQ(grid.normals[v].z, 0.0f);
    }
    EXPECT_EQ(grid.normals.back(), vec3());

    // A corner shared by a large and a small face leans towards the large one.
    mesh_data m = mesh_from({{0, 0, 0}, {4, 0, 0}, {0, 4, 0}, {0, 0, 1}}, {{0, 1, 2}, {0, 3, 1}});
    host::compute_vertex_normals(m);
    const vec3 n = m.normals[0];
    EXPECT_NEAR(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 1.0f, 1e-6f);
    EXPECT_GT(n.y, 0.0f);
    EXPECT_GT(n.z, 3.0f * n.y);

    mesh_data torus = host::make_torus({});
    host::compute_vertex_normals(torus);
    EXPECT_GT(torus.normals[0].z, 0.99f);  // outermost vertex of the seam column, facing +z
}

TEST(mesh_algorithms, split_face_along_a_quad_diagonal_carries_uvs) {
    mesh_data m;
    for (int v = 0; v < 5; ++v) m.add_vertex(vec3(static_cast<float>(v), 0, 0));
    const std::int32_t tri[3] = {0, 1, 4};
    m.add_face(3, tri);
    const std::int32_t quad[4] = {0, 1, 2, 3};
    const vec2 uv[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    m.add_face(4, quad, uv);
    m.face_selected[1] = 1;
    EXPECT_EQ(host::split_face_along(m, 0, 1), -1);  // neighbours everywhere
    EXPECT_EQ(host::split_face_along(m, 3, 1), 2);
    EXPECT_EQ(faces_of(m), (face_list{{0, 1, 4}, {3, 0, 1}, {1, 2, 3}}));
    EXPECT_EQ(m.corner_puv[m.face_start[1]], vec2(0, 1));
    EXPECT_EQ(m.corner_puv[m.face_start[2] + 1], vec2(1, 1));
    EXPECT_EQ(m.distance_uvs()[m.face_start[2] + 1], vec2(1, 1));
    EXPECT_TRUE(m.face_has_uv[2] && m.face_selected[2]);
    EXPECT_TRUE(m.valid());
}

TEST(mesh_algorithms, split_face_along_a_pentagon_takes_the_lowest_qualifying_face) {
    mesh_data m = mesh_from({{0, 0, 0}, {1, 0, 0}, {2, 1, 0}, {1, 2, 0}, {0, 1, 0}, {0, 0, 5}},
                            {{0, 1, 5}, {0, 1, 2, 3, 4}, {4, 3, 2, 1, 0}});
    EXPECT_EQ(host::split_face_along(m, 1, 4), 3);
    EXPECT_EQ(faces_of(m), (face_list{{0, 1, 5}, {1, 2, 3, 4}, {4, 3, 2, 1, 0}, {4, 0, 1}}));
    EXPECT_EQ(host::split_face_along(m, 9, 1), -1);
    EXPECT_TRUE(m.valid());
}

TEST(mesh_algorithms, side_index_matches_a_quadratic_reference) {
    std::mt19937 rng(11);
    for (int round = 0; round < 20; ++round) {
        const int nv = 4 + static_cast<int>(rng() % 12);
        std::vector<vec3> points(nv);
        face_list faces;
        for (int f = 0; f < 25; ++f) {
            std::vector<int> face;
            for (int k = 0, n = 3 + static_cast<int>(rng() % 3); k < n; ++k) face.push_back(static_cast<int>(rng() % nv));
            faces.push_back(face);
        }
        mesh_data m = mesh_from(points, faces);
        for (int e = 0; e < 10; ++e) m.add_edge(static_cast<int>(rng() % nv), static_cast<int>(rng() % nv));
        const host::side_index index(m);
        for (int a = -1; a <= nv; ++a)
            for (int b = -1; b <= nv; ++b) {
                int face = -1, edge = -1;
                for (int f = 0; f < static_cast<int>(faces.size()) && face < 0; ++f)
                    for (std::size_t k = 0; k < faces[f].size(); ++k)
                        if (faces[f][k] == a && faces[f][(k + 1) % faces[f].size()] == b) face = f;
                for (int e = 0; e < m.edge_count() && edge < 0; ++e)
                    if ((m.edges[e][0] == a && m.edges[e][1] == b) || (m.edges[e][0] == b && m.edges[e][1] == a)) edge = e;
                ASSERT_EQ(index.face_with_side(a, b), face) << a << " " << b;
                ASSERT_EQ(index.edge_between(a, b), edge) << a << " " << b;
            }
    }
}

// A mesh whose distance UVs share the parameter UVs' array (as an OBJ file
// is read) must go through every edit exactly as one holding two equal
// copies, and end the sharing only when the sets come to differ.
TEST(mesh_algorithms, shared_distance_uvs_behave_as_their_own_copy_through_every_edit) {
    std::mt19937 rng(7);
    const auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    const auto uv = [&] { return vec2(static_cast<float>(pick(64)) / 8.0f, static_cast<float>(pick(64)) / 8.0f); };
    for (int round = 0; round < 20; ++round) {
        mesh_data plain;
        for (int v = 0; v < 40; ++v)
            plain.add_vertex(vec3(static_cast<float>(pick(4)), static_cast<float>(pick(4)), static_cast<float>(v % 3)));
        const auto random_face = [&](std::vector<std::int32_t>& vs, std::vector<vec2>& uvs) {
            vs.clear();
            uvs.clear();
            const int n = 3 + pick(4);
            while (static_cast<int>(vs.size()) < n) {
                const int v = pick(plain.vertex_count());
                if (std::find(vs.begin(), vs.end(), v) == vs.end()) vs.push_back(v), uvs.push_back(uv());
            }
        };
        std::vector<std::int32_t> vs;
        std::vector<vec2> uvs, other;
        for (int f = 0; f < 30; ++f) {
            random_face(vs, uvs);
            plain.add_face(static_cast<int>(vs.size()), vs.data(), uvs.data());
        }
        host::rebuild_edges(plain);
        mesh_data shared = plain;
        shared.corner_duv.clear();
        shared.duv_shared = true;
        for (int step = 0; step < 60; ++step) {
            const int op = pick(round % 2 ? 11 : 10);  // odd rounds may end the sharing
            const auto both = [&](auto&& edit) { edit(plain), edit(shared); };
            if (op == 0 || op == 1 || op == 10) {
                random_face(vs, uvs);
                other = uvs;
                if (op == 10) other[0].x += 1.0f;
                const int n = static_cast<int>(vs.size());
                both([&](mesh_data& m) { m.add_face(n, vs.data(), uvs.data(), op == 0 ? nullptr : other.data()); });
            } else if (op == 2 && plain.face_count() > 0) {
                const int f = pick(plain.face_count());
                random_face(vs, uvs);
                both([&](mesh_data& m) { m.set_face_vertices(f, static_cast<int>(vs.size()), vs.data()); });
            } else if (op == 3) {
                both([](mesh_data& m) { m.compact(); });
            } else if (op == 4 && plain.face_count() > 0) {
                const int f = pick(plain.face_count());
                both([&](mesh_data& m) { host::reverse_face(m, f); });
            } else if (op == 5 && plain.face_count() > 0) {
                const int f = pick(plain.face_count());
                const int a = plain.corner(f, 0), b = plain.corner(f, pick(plain.face_size[f]));
                both([&](mesh_data& m) { host::split_face_along(m, a, b); });
            } else if (op == 6 && plain.vertex_count() > 2) {
                const std::vector<int> group{pick(plain.vertex_count()), pick(plain.vertex_count())};
                both([&](mesh_data& m) { host::merge_vertices(m, group); });
            } else if (op == 7 && plain.face_count() > 0) {
                std::vector<std::uint8_t> faces(static_cast<std::size_t>(plain.face_count()), 0);
                faces[static_cast<std::size_t>(pick(plain.face_count()))] = 1;
                both([&](mesh_data& m) { host::remove_elements(m, {}, {}, faces); });
            } else if (op == 8) {
                both([](mesh_data& m) { host::adjust_face_directions(m); });
            } else if (op == 9 && plain.face_count() > 0) {
                // A corner's parameter UV written: the distance set keeps the old one.
                const std::size_t c = static_cast<std::size_t>(plain.face_start[static_cast<std::size_t>(pick(plain.face_count()))]);
                const vec2 w = uv();
                both([&](mesh_data& m) {
                    m.unshare_uvs();
                    m.corner_puv[c] = w;
                });
            }
            ASSERT_TRUE(shared.valid()) << "round " << round << " step " << step << " op " << op;
            ASSERT_TRUE(twinel_test::identical(plain, shared)) << "round " << round << " step " << step << " op " << op;
            if (op == 9 || op == 10) {
                ASSERT_FALSE(shared.duv_shared) << "op " << op;
            }
        }
    }
}
