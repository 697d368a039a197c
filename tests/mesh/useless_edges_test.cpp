// Selection of useless diagonals: the angle limits, the flatness ranking
// and which of two candidates sharing a triangle stays selected.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "mesh/polygon_class.h"
#include "tests/common/mesh_builder.h"

namespace {

using twinel_test::mesh_lists;

// A flat w x h rectangle split by its diagonal 0-2.
mesh_lists split_rectangle(float w, float h) {
    mesh_lists m;
    m.positions = {{0, 0, 0}, {w, 0, 0}, {w, h, 0}, {0, h, 0}};
    m.faces = {{0, 1, 2}, {0, 2, 3}};
    return m;
}

// Adds the mesh with the listed edges (vertex pairs) first, in that order,
// then the others as the host made them.
host::mesh_shape& add_with_edge_order(host::scene& scene, const mesh_lists& lists,
                                      const std::vector<std::pair<int, int>>& first) {
    host::mesh_data d = twinel_test::make_mesh_data(lists);
    std::vector<std::array<std::int32_t, 2>> edges;
    for (const auto& [a, b] : first)
        for (const auto& e : d.edges)
            if ((e[0] == a && e[1] == b) || (e[0] == b && e[1] == a)) edges.push_back(e);
    for (const auto& e : d.edges)
        if (std::find(edges.begin(), edges.end(), e) == edges.end()) edges.push_back(e);
    d.edges = edges;
    return scene.add_mesh("mesh", std::move(d));
}

// The selected edges as vertex pairs (lower vertex first).
std::vector<std::pair<int, int>> selected_edges(const host::mesh_data& d) {
    std::vector<std::pair<int, int>> out;
    for (int e = 0; e < d.edge_count(); ++e)
        if (d.edge_selected[static_cast<std::size_t>(e)])
            out.emplace_back(std::min(d.edges[e][0], d.edges[e][1]), std::max(d.edges[e][0], d.edges[e][1]));
    return out;
}

using pairs = std::vector<std::pair<int, int>>;

}  // namespace

TEST(useless_edges, square_and_long_rectangle_diagonals_by_side_angle) {
    twinel_test::test_scene square(split_rectangle(1, 1));
    Polygon_class p(&square.shape());
    square.mesh().edge(0).set_active(true);  // an outer side, selected beforehand
    EXPECT_TRUE(p.select_useless_edges(15, 95));
    EXPECT_EQ(selected_edges(square.data()), (pairs{{0, 2}})) << "every other edge is deselected";
    EXPECT_FALSE(p.select_useless_edges(15, 85)) << "corners of 90 degrees exceed 85";
    EXPECT_TRUE(selected_edges(square.data()).empty());

    // The 2:1 rectangle splits its corners into 26.6 and 63.4 degrees; from
    // 90 degrees up (the float cosine of 90 is already negative) each half
    // of a split corner may reach 180 less half the side angle.
    twinel_test::test_scene rectangle(split_rectangle(2, 1));
    Polygon_class r(&rectangle.shape());
    EXPECT_TRUE(r.select_useless_edges(15, 95));
    EXPECT_TRUE(r.select_useless_edges(15, 90));
    EXPECT_FALSE(r.select_useless_edges(15, 85));
    EXPECT_FALSE(r.select_useless_edges(15, 60)) << "below 90 degrees each half of a split corner must stay within 30";
}

TEST(useless_edges, of_candidates_sharing_a_triangle_the_earlier_in_rank_wins) {
    // Two unit squares stacked, split by the diagonals 0-3 and 2-5. At a
    // side angle of 150 the shared side 2-3 is a candidate too (its
    // parallelogram has corners of 135 degrees) and shares a triangle with
    // each diagonal. All three are equally flat, so edge order decides, and
    // a candidate that lost still knocks out the later ones it touches.
    mesh_lists m;
    m.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {0, 2, 0}, {1, 2, 0}};
    m.faces = {{0, 1, 3}, {0, 3, 2}, {2, 3, 5}, {2, 5, 4}};
    const std::pair<int, int> d1{0, 3}, middle{2, 3}, d2{2, 5};
    struct order_case {
        std::vector<std::pair<int, int>> order;
        pairs selected;
    };
    for (const order_case& c : {order_case{{middle, d1, d2}, {middle}}, order_case{{d1, middle, d2}, {d1}},
                                order_case{{d1, d2, middle}, {d1, d2}}}) {
        twinel_test::test_scene t;
        host::mesh_shape& shape = add_with_edge_order(t.scene(), m, c.order);
        Polygon_class p(&shape);
        EXPECT_TRUE(p.select_useless_edges(15, 150));
        EXPECT_EQ(selected_edges(shape.data()), c.selected);
        EXPECT_TRUE(p.select_useless_edges(15, 95));
        EXPECT_EQ(selected_edges(shape.data()), (pairs{{0, 3}, {2, 5}})) << "at 95 degrees 2-3 is no candidate";
    }

    // Folding each square along its diagonal makes the middle side the
    // flattest: it comes first whatever the edge order. The rim edges,
    // open, are never candidates.
    m.positions[1].z = 0.2f;
    m.positions[4].z = 0.2f;
    twinel_test::test_scene folded;
    host::mesh_shape& shape = add_with_edge_order(folded.scene(), m, {d1, d2, middle});
    Polygon_class p(&shape);
    EXPECT_TRUE(p.select_useless_edges(30, 150));
    EXPECT_EQ(selected_edges(shape.data()), (pairs{middle}));
}
