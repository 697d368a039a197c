// Separation of a mesh into part shapes, its piece labelling, and the
// nearest vertex pair.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "frame/sdk/shape.h"
#include "mesh/polygon_class.h"
#include "mesh/polygon_fork.h"
#include "tests/common/mesh_builder.h"

namespace {

using twinel_test::mesh_lists;

// `count` unit cubes side by side along x, cube k at x = 3k.
mesh_lists cubes(int count) {
    mesh_lists m;
    const mesh_lists cube = twinel_test::unit_cube();
    for (int k = 0; k < count; ++k) {
        const int base = static_cast<int>(m.positions.size());
        for (vec3 p : cube.positions) m.positions.push_back(p + vec3(3.0f * static_cast<float>(k), 0, 0));
        for (std::vector<int> f : cube.faces) {
            for (int& v : f) v += base;
            m.faces.push_back(f);
        }
    }
    return m;
}

// The cubes a part holds, by the x of its vertices (8 vertices each).
std::vector<int> cubes_in(host::scene& scene, const std::string& name) {
    auto* shape = dynamic_cast<host::mesh_shape*>(scene.get_shape_by_name(name.c_str()));
    if (!shape) return {-1};
    std::vector<int> found;
    const host::mesh_data& d = shape->data();
    for (const vec3& p : d.positions) found.push_back(static_cast<int>(std::lround((p.x + 0.5f) / 3.0f)));
    std::sort(found.begin(), found.end());
    for (int cube : found)
        if (std::count(found.begin(), found.end(), cube) != 8) return {-2};
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

// Labels as assigned edge by edge: a fresh label for two unlabelled ends,
// merges keep the lower label and close up the labels above.
std::vector<int> labels_edge_by_edge(const host::mesh_data& d) {
    std::vector<int> label(static_cast<std::size_t>(d.vertex_count()), 0);
    int next = 1, top = 0;
    for (const auto& e : d.edges) {
        int& la = label[static_cast<std::size_t>(e[0])];
        int& lb = label[static_cast<std::size_t>(e[1])];
        if (la == 0 && lb == 0) {
            la = lb = next++;
        } else if (la == 0 || lb == 0) {
            la = lb = std::max(la, lb);
        } else if (la != lb) {
            const int lo = std::min(la, lb), hi = std::max(la, lb);
            for (int i = 0; i <= top; ++i) {
                int& l = label[static_cast<std::size_t>(i)];
                if (l == hi) l = lo;
                else if (l > hi) --l;
            }
            --next;
        }
        top = std::max({top, e[0], e[1]});
    }
    return label;
}

}  // namespace

TEST(separation, one_part_per_cube_named_after_the_shape) {
    mesh_lists m = cubes(3);
    m.positions.push_back({50, 0, 0});  // on no edge: in no part
    twinel_test::test_scene t(m);
    Polygon_class p(&t.shape());
    EXPECT_EQ(p.fork(30, false), 3);
    EXPECT_EQ(cubes_in(t.scene(), "mesh_1"), std::vector<int>{0});
    EXPECT_EQ(cubes_in(t.scene(), "mesh_2"), std::vector<int>{1});
    EXPECT_EQ(cubes_in(t.scene(), "mesh_3"), std::vector<int>{2});
    EXPECT_EQ(t.shape().data().vertex_count(), 25) << "the source keeps its mesh";
    EXPECT_STREQ(t.shape().get_name(), "#_mesh");
    EXPECT_EQ(t.scene().get_shape_by_name("mesh"), nullptr) << "the intermediate copy is gone";
    EXPECT_EQ(t.scene().get_active_shape(), &t.shape());
    // Parts follow the source in part order.
    const int at = t.scene().get_shape_index(t.shape());
    for (int k = 1; k <= 3; ++k)
        EXPECT_STREQ(t.scene().get_shape_by_index(at + k)->get_name(), ("mesh_" + std::to_string(k)).c_str());
}

TEST(separation, more_pieces_than_parts_go_to_the_last_part_or_are_dealt_out) {
    twinel_test::test_scene rest(cubes(3));
    Polygon_class p(&rest.shape());
    EXPECT_EQ(p.fork(2, false), 2);
    EXPECT_EQ(cubes_in(rest.scene(), "mesh_1"), std::vector<int>{0});
    EXPECT_EQ(cubes_in(rest.scene(), "mesh_2"), (std::vector<int>{1, 2}));

    twinel_test::test_scene shared(cubes(5));
    Polygon_class s(&shared.shape());
    EXPECT_EQ(s.fork(2, true), 5);
    EXPECT_EQ(cubes_in(shared.scene(), "mesh_1"), (std::vector<int>{0, 1}));
    EXPECT_EQ(cubes_in(shared.scene(), "mesh_2"), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(shared.scene().get_shape_by_name("mesh_3"), nullptr);
}

TEST(separation, labels_stay_dense_whatever_the_edge_order) {
    // Pieces first seen apart and joined later; the labels close up.
    std::mt19937 random(3);
    for (int round = 0; round < 100; ++round) {
        mesh_lists m = cubes(1 + static_cast<int>(random() % 4));
        m.positions.push_back({99, 0, 0});
        host::mesh_data d = twinel_test::make_mesh_data(m);
        std::shuffle(d.edges.begin(), d.edges.end(), random);
        twinel_test::test_scene t;
        host::mesh_shape& shape = t.scene().add_mesh("m", d);
        std::vector<int> labels;
        const int pieces = korvo_polygon::label_pieces(shape.polygon(), labels);
        ASSERT_EQ(labels, labels_edge_by_edge(d)) << "round " << round;
        EXPECT_EQ(pieces, *std::max_element(labels.begin(), labels.end()));
    }
}

TEST(near_pair, early_stop_along_x_gives_the_pair_a_full_scan_finds_first) {
    std::mt19937 random(11);
    for (int round = 0; round < 40; ++round) {
        host::mesh_data d;
        for (int k = 0; k < 150; ++k)
            d.add_vertex({static_cast<float>(random() % 40), static_cast<float>(random() % 40) * 0.5f,
                          static_cast<float>(random() % 7)});
        // The full scan in the same order: ascending x, equal x by index.
        std::vector<int> order(d.positions.size());
        for (std::size_t k = 0; k < order.size(); ++k) order[k] = static_cast<int>(k);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return d.positions[a].x < d.positions[b].x; });
        Polygon_class::vertices_pair best;
        for (std::size_t i = 0; i < order.size(); ++i)
            for (std::size_t j = i + 1; j < order.size(); ++j) {
                const vec3 u = d.positions[order[i]] - d.positions[order[j]];
                const float dist = static_cast<float>(std::sqrt(static_cast<double>(u.x * u.x + u.y * u.y + u.z * u.z)));
                if (dist < best.distance) best = {order[i], order[j], dist};
            }
        twinel_test::test_scene t;
        Polygon_class p(&t.scene().add_mesh("points", d));
        const Polygon_class::vertices_pair found = p.find_first_near_vertices_pair();
        EXPECT_EQ(found.first, best.first);
        EXPECT_EQ(found.second, best.second);
        EXPECT_EQ(found.distance, best.distance);
    }
}
