// Reconciling unpaired faces through the vertex index, against the plain
// walk over every pair of the list, on random meshes where faces and their
// mirrors differ by an inserted vertex, with repeated and invalid list
// entries and unpaired vertices.
#include "symmetry/unmatched_face_pairs.h"

#include <gtest/gtest.h>

#include "frame/sdk/polygon_mesh.h"
#include "mesh/mesh_analysis.h"
#include "symmetry/face_cycles.h"
#include "tests/common/mesh_builder.h"
#include "tests/support/random_draws.h"

namespace {

// The walk: every pair of positions x < y, both lists read afresh.
void plain_walk(polygon_mesh_class& mesh, const Interconnection_class& vertices, Interconnection_class& faces_table,
                const std::vector<int>& faces) {
    const auto read = [&](int f) {
        std::vector<int> list(static_cast<std::size_t>(mesh.face(f).get_number_of_vertices()));
        if (!list.empty()) mesh.face(f).get_vertex_indices(list.data());
        return list;
    };
    const auto inside = [](const std::vector<int>& small, const std::vector<int>& large) {
        return korvo_polygon::is_in({small.data(), static_cast<int>(small.size()), false},
                                    {large.data(), static_cast<int>(large.size()), false});
    };
    const int count = mesh.get_number_of_faces();
    for (std::size_t x = 0; x < faces.size(); ++x)
        for (std::size_t y = x + 1; y < faces.size(); ++y) {
            const int a = faces[x], b = faces[y];
            if (a < 0 || a >= count || b < 0 || b >= count) continue;
            const std::vector<int> va = read(a), vb = read(b);
            std::vector<int> ma, mb;
            mirror_list(va.data(), static_cast<int>(va.size()), vertices, ma);
            if (va.size() < vb.size()) {
                mirror_list(vb.data(), static_cast<int>(vb.size()), vertices, mb);
                if (!inside(ma, vb) || has_unpaired_vertex(mb)) continue;
                mesh.face(a).set_vertex_indices(static_cast<int>(mb.size()), mb.data());
            } else {
                if (!inside(vb, ma) || has_unpaired_vertex(ma)) continue;
                mesh.face(b).set_vertex_indices(static_cast<int>(ma.size()), ma.data());
            }
            faces_table.link(a, b);
        }
}

struct random_case {
    twinel_test::mesh_lists lists;
    Interconnection_class vertices;
    std::vector<int> faces;
};

random_case make_case(twinel_test::random_draws& g, int round) {
    random_case c;
    const int half = 6 + g.below(round % 5 == 0 ? 300 : 30);
    for (int v = 0; v < 2 * half; ++v) c.lists.positions.push_back(vec3(g.uniform(-1, 1), g.uniform(-1, 1), 0));
    c.vertices.resize(2 * half);
    for (int v = 0; v < half; ++v) {
        if (g.chance(0.05)) continue;  // left unpaired
        if (g.chance(0.05))
            c.vertices.link(v);
        else
            c.vertices.link(v, v + half);
    }
    const int faces = 4 + g.below(round % 5 == 0 ? 200 : 24);
    while (static_cast<int>(c.lists.faces.size()) < faces) {
        std::vector<int> face;
        const int n = 3 + g.below(3);
        while (static_cast<int>(face.size()) < n) {
            const int v = g.below(half);
            if (std::find(face.begin(), face.end(), v) == face.end()) face.push_back(v);
        }
        c.lists.faces.push_back(face);
        if (g.chance(0.25)) c.lists.faces.push_back(face);  // a second face on the same corners
        if (g.chance(0.7)) {
            // Its mirror, often with one vertex inserted, or one dropped.
            std::vector<int> mirror;
            mirror_list(face.data(), static_cast<int>(face.size()), c.vertices, mirror);
            if (has_unpaired_vertex(mirror)) continue;
            if (g.chance(0.5)) {
                mirror.insert(mirror.begin() + g.below(static_cast<int>(mirror.size()) + 1), half + g.below(half));
            } else if (g.chance(0.3)) {
                mirror.erase(mirror.begin() + g.below(static_cast<int>(mirror.size())));
            }
            c.lists.faces.push_back(mirror);
        }
    }
    for (int f = 0; f < static_cast<int>(c.lists.faces.size()); ++f)
        if (g.chance(0.8)) c.faces.push_back(f);
    if (g.chance(0.3))
        for (std::size_t i = c.faces.size(); i > 1; --i)
            std::swap(c.faces[i - 1], c.faces[static_cast<std::size_t>(g.below(static_cast<int>(i)))]);
    if (g.chance(0.2) && !c.faces.empty()) c.faces.push_back(c.faces[static_cast<std::size_t>(g.below(static_cast<int>(c.faces.size())))]);
    if (g.chance(0.1)) c.faces.push_back(g.chance(0.5) ? -1 : 100000);
    return c;
}

TEST(unmatched_face_pairs, indexed_walk_rebuilds_and_links_as_the_plain_walk) {
    twinel_test::random_draws g(9090u);
    int linked = 0;
    for (int round = 0; round < 300; ++round) {
        const random_case c = make_case(g, round);
        twinel_test::test_scene expected_scene(c.lists), got_scene(c.lists);
        Interconnection_class expected_table, got_table;
        expected_table.resize(static_cast<int>(c.lists.faces.size()));
        got_table.resize(static_cast<int>(c.lists.faces.size()));
        plain_walk(expected_scene.mesh(), c.vertices, expected_table, c.faces);
        pair_unmatched_faces(got_scene.mesh(), c.vertices, got_table, c.faces, 0);
        ASSERT_EQ(got_table.links, expected_table.links) << "round " << round;
        ASSERT_TRUE(twinel_test::identical(got_scene.data(), expected_scene.data())) << "round " << round;
        linked += static_cast<int>(c.lists.faces.size()) - expected_table.unmatched;
    }
    EXPECT_GT(linked, 2000);
}

}  // namespace
