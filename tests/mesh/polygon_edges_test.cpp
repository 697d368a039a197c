// Polygon_class: edges by their end vertices, selected edges, and the face
// pair beside each edge with its fresh flags.
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <vector>

#include "mesh/polygon_class.h"
#include "tests/common/mesh_builder.h"

namespace {

// The index of the edge joining a and b, or -1.
int edge_of(const host::mesh_data& d, int a, int b) {
    for (int e = 0; e < d.edge_count(); ++e) {
        const auto& ends = d.edges[static_cast<std::size_t>(e)];
        if ((ends[0] == a && ends[1] == b) || (ends[0] == b && ends[1] == a)) return e;
    }
    return -1;
}

// Two triangles over the unit square, sharing the diagonal 0-2; both wind
// the same way, so the diagonal runs 2->0 in the first and 0->2 in the second.
twinel_test::mesh_lists two_triangles() {
    twinel_test::mesh_lists m;
    m.positions = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    m.faces = {{0, 1, 2}, {0, 2, 3}};
    return m;
}

}  // namespace

TEST(polygon_edges, edges_by_vertices_needs_both_ends_listed) {
    twinel_test::test_scene t(twinel_test::unit_cube());
    Polygon_class p(&t.shape());
    const host::mesh_data& d = t.data();

    // The bottom face (0, 2, 3, 1): its four sides, nothing else.
    std::vector<int> edges;
    EXPECT_EQ(p.get_edges_by_vertices(Array<int>{0, 1, 2, 3}, edges, true), 4);
    std::set<int> expected{edge_of(d, 0, 2), edge_of(d, 2, 3), edge_of(d, 3, 1), edge_of(d, 1, 0)};
    EXPECT_EQ(std::set<int>(edges.begin(), edges.end()), expected);
    EXPECT_TRUE(std::is_sorted(edges.begin(), edges.end()));

    // Without clearing, a vector collects again; a set does not repeat.
    EXPECT_EQ(p.get_edges_by_vertices(Array<int>{0, 4}, edges, false), 5);
    EXPECT_EQ(edges.back(), edge_of(d, 0, 4));
    std::set<int> as_set{edge_of(d, 0, 4)};
    EXPECT_EQ(p.get_edges_by_vertices(Array<int>{0, 1, 4, 5}, as_set, false), 4);

    // A list that is not ascending is searched as if it were: the search
    // for an end stops at the first larger entry.
    EXPECT_EQ(p.get_edges_by_vertices(Array<int>{1, 0}, edges, true), 0);
    EXPECT_EQ(p.get_edges_by_vertices(Array<int>{0, 4, 1}, edges, true), 1);
    EXPECT_EQ(edges, (std::vector<int>{edge_of(d, 0, 4)}));
}

TEST(polygon_edges, active_edges_by_edge_flags_or_by_selected_vertices) {
    twinel_test::test_scene t(twinel_test::unit_cube());
    Polygon_class p(&t.shape());
    const host::mesh_data& d = t.data();
    polygon_mesh_class& m = t.mesh();
    const int e01 = edge_of(d, 0, 1), e26 = edge_of(d, 2, 6);
    m.edge(e26).set_active(true);
    m.edge(e01).set_active(true);

    std::vector<int> edges{99};
    p.active_edges(edges, 1);
    EXPECT_EQ(edges, (std::vector<int>{std::min(e01, e26), std::max(e01, e26)}));

    // Other modes go by the selected vertices: one vertex gives nothing.
    m.vertex(0).set_active(true);
    std::set<int> set_out{99};
    p.active_edges(set_out, 0);
    EXPECT_TRUE(set_out.empty());
    m.vertex(1).set_active(true);
    p.active_edges(set_out, 0);
    EXPECT_EQ(set_out, (std::set<int>{e01}));
    m.vertex(3).set_active(true);
    p.active_edges(edges, 2);
    EXPECT_EQ(std::set<int>(edges.begin(), edges.end()), (std::set<int>{e01, edge_of(d, 1, 3)}));
}

TEST(polygon_edges, face_pairs_follow_the_sides_of_each_edge) {
    twinel_test::test_scene t(two_triangles());
    Polygon_class p(&t.shape());
    const host::mesh_data& d = t.data();
    const int diagonal = edge_of(d, 0, 2), open = edge_of(d, 0, 1);
    const int v0 = d.edges[static_cast<std::size_t>(diagonal)][0];

    Array<int> a(2), b(2);
    p.get_faces_pair_by_edges(std::vector<int>{diagonal, open}, a, b, nullptr, false);
    // Side A runs from the edge's second vertex to its first.
    EXPECT_EQ(a[0], v0 == 0 ? 0 : 1);
    EXPECT_EQ(b[0], v0 == 0 ? 1 : 0);
    EXPECT_EQ(std::min(a[1], b[1]), -1);
    EXPECT_EQ(std::max(a[1], b[1]), 0);

    // The three list forms agree; a set is walked ascending.
    Array<int> a2(2), b2(2);
    p.get_faces_pair_by_edges(Array<int>{diagonal, open}, a2, b2, nullptr, false);
    EXPECT_EQ(a2, a);
    EXPECT_EQ(b2, b);
    p.get_faces_pair_by_edges(std::set<int>{diagonal, open}, a2, b2, nullptr, false);
    const int first = diagonal < open ? 0 : 1;
    EXPECT_EQ(a2[0], a[first]);
    EXPECT_EQ(b2[1], b[1 - first]);
}

TEST(polygon_edges, fresh_flags_mark_pairs_new_to_the_call) {
    // Triangle 0 has two open sides (0-1, 1-2) and shares 0-2 with triangle 1.
    twinel_test::test_scene t(two_triangles());
    Polygon_class p(&t.shape());
    const host::mesh_data& d = t.data();
    const int e01 = edge_of(d, 0, 1), e12 = edge_of(d, 1, 2), e02 = edge_of(d, 0, 2), e23 = edge_of(d, 2, 3);

    Array<int> a(2), b(2);
    Array<bool> fresh(2);
    // Two edges of the same triangle: the second repeats triangle 0.
    p.get_faces_pair_by_edges(std::vector<int>{e02, e12}, a, b, &fresh, false);
    EXPECT_EQ(fresh, (Array<bool>{true, false}));
    // An open edge is fresh once; a second open edge repeats the missing face.
    p.get_faces_pair_by_edges(std::vector<int>{e01, e23}, a, b, &fresh, false);
    EXPECT_EQ(fresh, (Array<bool>{true, false}));
    // Each call starts a new set.
    p.get_faces_pair_by_edges(std::vector<int>{e23, e01}, a, b, &fresh, false);
    EXPECT_EQ(fresh, (Array<bool>{true, false}));
}

TEST(polygon_edges, short_face_lists_are_refused_before_any_lookup) {
    twinel_test::test_scene t(two_triangles());
    Polygon_class p(&t.shape());
    Array<int> a(1), b(2);
    Array<bool> fresh(1);
    EXPECT_THROW(p.get_faces_pair_by_edges(std::vector<int>{0, 1}, a, b, nullptr, false), std::invalid_argument);
    Array<int> a2(2);
    EXPECT_THROW(p.get_faces_pair_by_edges(std::vector<int>{0, 1}, a2, b, &fresh, false), std::invalid_argument);
    EXPECT_EQ(a[0], 0);
}
