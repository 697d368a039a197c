// The mesh analyses of Polygon_class: overlapped faces, faces on edges with
// more than two faces, faces with more than four corners, and the
// containment test behind the overlap search.
#include <gtest/gtest.h>

#include <vector>

#include "host/mesh_generator.h"
#include "mesh/mesh_analysis.h"
#include "tests/common/mesh_builder.h"

namespace {

using face_list = std::vector<std::vector<int>>;

twinel_test::mesh_lists with_faces(int vertices, face_list faces) {
    twinel_test::mesh_lists m;
    for (int v = 0; v < vertices; ++v) m.positions.emplace_back(static_cast<float>(v), 0.0f, 0.0f);
    m.faces = std::move(faces);
    return m;
}

std::vector<vec2> some_uvs(std::size_t n) { return std::vector<vec2>(n, vec2(0.25f, 0.75f)); }

// Runs the overlap search over a mesh built from the lists.
std::vector<int> redundant(const twinel_test::mesh_lists& m) {
    twinel_test::test_scene t(m);
    Polygon_class p(&t.shape());
    std::vector<int> out{-7};
    p.get_redundant_faces(out);
    return out;
}

const face_list quad{{0, 1, 2, 3}};

face_list plus(face_list a, const face_list& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST(mesh_analysis, is_in_reads_the_small_cycle_from_the_large_ones_start) {
    const Array<int> large{0, 1, 2, 3};
    EXPECT_TRUE(is_in(Array<int>{0, 1, 2}, large));
    EXPECT_TRUE(is_in(Array<int>{0, 2, 3}, large));
    EXPECT_TRUE(is_in(Array<int>{1, 2, 0}, large));  // starts where large does
    EXPECT_TRUE(is_in(Array<int>{2, 3, 0, 1}, large));
    EXPECT_FALSE(is_in(Array<int>{0, 2, 1}, large));  // wrong order
    EXPECT_FALSE(is_in(Array<int>{1, 2, 3}, large));  // misses large[0]
    EXPECT_FALSE(is_in(Array<int>{1, 0, 4}, large));
    EXPECT_FALSE(is_in(Array<int>{0, 1, 2, 3, 4}, large));  // longer than large
    EXPECT_FALSE(is_in(Array<int>{}, large));
    EXPECT_FALSE(is_in(Array<int>{}, Array<int>{}));
    EXPECT_TRUE(is_in(Array<int>{0}, large));
}

TEST(mesh_analysis, identical_faces_report_the_lower_one_unless_it_has_uvs) {
    EXPECT_EQ(redundant(with_faces(4, plus(quad, {{0, 1, 2, 3}}))), (std::vector<int>{0}));
    EXPECT_EQ(redundant(with_faces(4, plus(quad, {{2, 3, 0, 1}}))), (std::vector<int>{0}));
    // A flipped copy is the same face.
    EXPECT_EQ(redundant(with_faces(4, plus(quad, {{0, 3, 2, 1}}))), (std::vector<int>{0}));

    twinel_test::mesh_lists with_uv = with_faces(4, plus(quad, {{0, 3, 2, 1}}));
    with_uv.uvs = {some_uvs(4), {}};
    EXPECT_EQ(redundant(with_uv), (std::vector<int>{1}));

    // Three copies: each face is reported at most once, the last one stays.
    EXPECT_EQ(redundant(with_faces(4, {{0, 1, 2, 3}, {1, 2, 3, 0}, {0, 1, 2, 3}})), (std::vector<int>{0, 1}));
    // The same vertices in another cycle are a different face.
    EXPECT_TRUE(redundant(with_faces(4, plus(quad, {{0, 2, 1, 3}}))).empty());
}

TEST(mesh_analysis, smaller_faces_on_a_larger_outline_are_reported) {
    EXPECT_EQ(redundant(with_faces(5, plus(quad, {{0, 1, 2}}))), (std::vector<int>{1}));
    EXPECT_EQ(redundant(with_faces(5, plus(quad, {{0, 2, 3}}))), (std::vector<int>{1}));
    // The smaller face first, and one found on the reversed outline.
    EXPECT_EQ(redundant(with_faces(5, plus({{0, 1, 2}}, quad))), (std::vector<int>{0}));
    EXPECT_EQ(redundant(with_faces(5, plus({{3, 2, 1}}, quad))), (std::vector<int>{0}));
    // A reversed triangle is looked for on the reversed outline read from
    // the larger face's last corner, which (2, 1, 0) does not use.
    EXPECT_TRUE(redundant(with_faces(5, plus({{2, 1, 0}}, quad))).empty());
    // An ordinary neighbour across the side 0-1.
    EXPECT_TRUE(redundant(with_faces(5, plus(quad, {{1, 0, 4}}))).empty());
    // A clean closed mesh.
    twinel_test::test_scene t;
    host::torus_options torus;
    torus.target_vertices = 200;
    Polygon_class p(&t.scene().add_mesh("torus", host::make_torus(torus)));
    std::vector<int> out;
    p.get_redundant_faces(out);
    EXPECT_TRUE(out.empty());
}

TEST(mesh_analysis, a_face_passing_a_vertex_twice_overlaps_itself) {
    EXPECT_EQ(redundant(with_faces(5, {{0, 1, 2}, {1, 2, 1, 3}})), (std::vector<int>{1}));
}

TEST(mesh_analysis, overlap_search_around_a_vertex_with_many_faces) {
    // A fan of 40 triangles (0, k+1, k+2) around vertex 0, so the hub's list
    // is long, with overlaps placed among them.
    face_list faces;
    for (int k = 0; k < 40; ++k) faces.push_back({0, k + 1, k + 2});
    faces.push_back({0, 6, 7});        // a copy of triangle 5
    faces.push_back({0, 12, 11});      // a flipped copy of triangle 10
    faces.push_back({0, 20, 21, 22});  // a quad over triangles 19 and 20
    faces.push_back({30, 31, 50});     // touches triangle 29 at a side only
    twinel_test::mesh_lists m = with_faces(51, faces);
    EXPECT_EQ(redundant(m), (std::vector<int>{5, 10, 19, 20}));

    m.uvs.assign(faces.size(), {});
    m.uvs[5] = some_uvs(3);
    EXPECT_EQ(redundant(m), (std::vector<int>{10, 19, 20, 40}));
}

TEST(mesh_analysis, overlap_search_shows_and_closes_its_progress) {
    twinel_test::test_scene t(with_faces(4, plus(quad, quad)));
    const int refs = t.scene().ref_count();
    Polygon_class p(&t.shape());
    std::vector<int> out;
    p.get_redundant_faces(out);
    EXPECT_EQ(t.scene().progress_titles(), (std::vector<std::string>{"finding redundant faces"}));
    EXPECT_EQ(t.scene().ref_count(), refs);
}

TEST(mesh_analysis, trident_faces_lie_on_edges_with_more_than_two_faces) {
    // Edge 0-1 (edge 0) carries faces 0, 1, 2; edge 1-2 (edge 1) faces 0, 3, 4.
    twinel_test::test_scene t(with_faces(7, {{0, 1, 2}, {1, 0, 3}, {0, 1, 4}, {2, 1, 5}, {1, 2, 6}}));
    Polygon_class p(&t.shape());
    std::vector<int> faces{9}, edges{9};
    p.get_trident_faces(faces, edges);
    EXPECT_EQ(edges, (std::vector<int>{0, 1}));
    EXPECT_EQ(faces, (std::vector<int>{0, 1, 2, 0, 3, 4}));

    twinel_test::test_scene cube(twinel_test::unit_cube());
    Polygon_class clean(&cube.shape());
    clean.get_trident_faces(faces, edges);
    EXPECT_TRUE(faces.empty());
    EXPECT_TRUE(edges.empty());
}

TEST(mesh_analysis, analyser_gives_each_side_to_the_lowest_edge_of_its_vertex_pair) {
    // A fan of 20 triangles around vertex 0 (a long list there), then a
    // second edge 0-5 and a second edge 7-8 (short lists at both ends).
    face_list faces;
    for (int k = 0; k < 20; ++k) faces.push_back({0, k + 1, k + 2});
    host::mesh_data d = twinel_test::make_mesh_data(with_faces(22, faces));
    const int edges = d.edge_count();
    d.add_edge(5, 0);
    d.add_edge(8, 7);
    twinel_test::test_scene t;
    Polygon_class p(&t.scene().add_mesh("fan", d));

    Polygon_class::edges_analizer analyser(p);
    ASSERT_EQ(analyser.vertex_count(), 22);
    ASSERT_EQ(analyser.edge_count(), edges + 2);
    const list_view<Polygon_class::edges_analizer::vertex_edge> hub = analyser.vertex_edges(0);
    EXPECT_EQ(hub.size(), 22);
    for (int k = 1; k < hub.size(); ++k) EXPECT_LT(hub[k - 1].second, hub[k].second);
    EXPECT_EQ(hub[hub.size() - 1], std::make_pair(5, edges));

    const int e05 = analyser.edge_between(5, 0);
    EXPECT_LT(e05, edges);
    EXPECT_EQ(analyser.edge_between(0, 5), e05);
    EXPECT_EQ(analyser.edge_between(7, 8), analyser.edge_between(8, 7));
    EXPECT_LT(analyser.edge_between(7, 8), edges);
    EXPECT_EQ(analyser.edge_between(0, 99), -1);

    analyser.setup_faces();
    EXPECT_EQ(analyser.edge_faces(e05).size(), 2);
    EXPECT_TRUE(analyser.edge_faces(edges).empty());
    EXPECT_TRUE(analyser.edge_faces(edges + 1).empty());
}

TEST(mesh_analysis, over4_faces_have_five_corners_or_more) {
    twinel_test::test_scene t(with_faces(7, {{0, 1, 2, 3, 4}, {0, 1, 2, 3}, {0, 1, 2}, {0, 1, 2, 3, 4, 5, 6}}));
    Polygon_class p(&t.shape());
    std::vector<int> faces{5};
    EXPECT_EQ(p.get_over4_faces(faces), 2);
    EXPECT_EQ(faces, (std::vector<int>{0, 3}));
}
