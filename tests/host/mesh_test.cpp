#include "host/mesh.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <vector>

#include "tests/common/mesh_builder.h"

namespace {

using twinel_test::mesh_lists;
using twinel_test::test_scene;

// 3 x 3 vertices, four quads:   6 7 8
//                               3 4 5
//                               0 1 2
mesh_lists grid() {
    mesh_lists m;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) m.positions.emplace_back(static_cast<float>(x), static_cast<float>(y), 0.0f);
    m.faces = {{0, 1, 4, 3}, {1, 2, 5, 4}, {3, 4, 7, 6}, {4, 5, 8, 7}};
    return m;
}

std::vector<int> corners(polygon_mesh_class& m, int f) {
    std::vector<int> out(static_cast<std::size_t>(m.face(f).get_number_of_vertices()));
    m.face(f).get_vertex_indices(out.data());
    return out;
}

int edge_between(polygon_mesh_class& m, int a, int b) {
    for (int e = 0; e < m.get_number_of_edges(); ++e) {
        const int v0 = m.edge(e).get_v0(), v1 = m.edge(e).get_v1();
        if ((v0 == a && v1 == b) || (v0 == b && v1 == a)) return e;
    }
    return -1;
}

TEST(mesh, selected_vertices_come_counted_and_ascending) {
    test_scene t(grid());
    auto& m = t.mesh();
    m.begin_vertex_selection();
    for (int v : {7, 2, 5}) m.vertex(v).set_active(true);
    m.end_vertex_selection();
    ASSERT_EQ(m.get_number_of_active_vertices(), 3);
    std::vector<int> out(3);
    m.get_active_vertex_indices(out.data());
    EXPECT_EQ(out, (std::vector<int>{2, 5, 7}));

    m.vertex(5).set_active(false);
    m.vertex(2).set_active(true);  // already selected: no double count
    EXPECT_EQ(m.get_number_of_active_vertices(), 2);
    t.shape().clear_active_elements();
    EXPECT_EQ(m.get_number_of_active_vertices(), 0);
}

TEST(mesh, vertex_batch_takes_faces_and_edges_and_uses_indices_from_its_start) {
    test_scene t(grid());
    auto& m = t.mesh();
    m.begin_removing_vertices();
    m.remove_vertex(8);
    m.remove_vertex(0);  // still the old vertex 0, although 8 went first
    m.end_removing_vertices();
    EXPECT_EQ(m.get_number_of_vertices(), 7);
    ASSERT_EQ(m.get_number_of_faces(), 2);
    EXPECT_EQ(corners(m, 0), (std::vector<int>{0, 1, 4, 3}));  // old face 1 renumbered
    EXPECT_EQ(corners(m, 1), (std::vector<int>{2, 3, 6, 5}));  // old face 2
    EXPECT_EQ(m.get_number_of_edges(), 8);
    for (int e = 0; e < m.get_number_of_edges(); ++e) {
        EXPECT_LT(m.edge(e).get_v0(), 7);
        EXPECT_LT(m.edge(e).get_v1(), 7);
    }
}

TEST(mesh, face_removal_in_a_batch_differs_from_removal_one_by_one) {
    test_scene batched(grid());
    auto& b = batched.mesh();
    b.begin_removing_faces();
    b.remove_face(1);
    b.remove_face(2);
    b.end_removing_faces();
    ASSERT_EQ(b.get_number_of_faces(), 2);
    EXPECT_EQ(corners(b, 1), (std::vector<int>{4, 5, 8, 7}));
    EXPECT_EQ(b.get_number_of_vertices(), 9);  // faces leave their vertices

    test_scene single(grid());
    auto& s = single.mesh();
    s.remove_face(1);
    s.remove_face(1);  // the old face 2 moved down to index 1
    ASSERT_EQ(s.get_number_of_faces(), 2);
    EXPECT_EQ(corners(s, 1), (std::vector<int>{4, 5, 8, 7}));
    EXPECT_THROW(s.remove_face(2), std::out_of_range);
}

TEST(mesh, edge_and_face_batches_apply_once_when_the_last_closes) {
    test_scene t(grid());
    auto& m = t.mesh();
    const int shared = edge_between(m, 1, 4);
    ASSERT_GE(shared, 0);
    // The order the plug-in uses: edges opened first, faces closed first.
    m.begin_removing_edges();
    m.begin_removing_faces();
    m.remove_face(1);
    m.remove_face(0);
    m.remove_edge(shared);
    EXPECT_THROW(m.remove_face(4), std::out_of_range);
    m.end_removing_faces();
    EXPECT_EQ(m.get_number_of_faces(), 4) << "nothing changes while the edge batch is open";
    m.end_removing_edges();
    EXPECT_EQ(m.get_number_of_faces(), 2);
    EXPECT_EQ(m.get_number_of_edges(), 11);
    EXPECT_EQ(edge_between(m, 1, 4), -1);
    EXPECT_THROW(m.end_removing_edges(), std::logic_error);
    EXPECT_THROW((m.begin_removing_faces(), m.append_vertex(vec3())), std::logic_error);
}

TEST(mesh, side_a_runs_from_v1_to_v0_and_side_b_from_v0_to_v1) {
    test_scene t(grid());
    auto& m = t.mesh();
    const int inner = edge_between(m, 1, 4), border = edge_between(m, 0, 1);
    m.begin_face_of_edge();
    // Face 0 (0 1 4 3) runs 1 -> 4, face 1 (1 2 5 4) runs 4 -> 1.
    EXPECT_EQ(m.face_of_edge_b(inner, 1, false), 0);
    EXPECT_EQ(m.face_of_edge_a(inner, 1, false), 1);
    EXPECT_EQ(m.face_of_edge_b(inner, 4, false), 1);
    EXPECT_EQ(m.face_of_edge_a(inner, 4, false), 0);
    EXPECT_EQ(m.face_of_edge_b(border, 0, false), 0);
    EXPECT_EQ(m.face_of_edge_a(border, 0, false), -1);
    EXPECT_EQ(m.face_of_edge_a(border, 7, false), -1);  // not an end of the edge
    EXPECT_EQ(m.edge_of_face_before(0, 4), inner);
    EXPECT_EQ(m.edge_of_face_after(0, 4), edge_between(m, 4, 3));
    EXPECT_EQ(m.edge_of_face_after(0, 8), -1);
    m.end_face_of_edge();

    // A change of the faces is seen by the next lookup.
    int flipped[] = {3, 4, 1, 0};
    m.face(0).set_vertex_indices(4, flipped);
    EXPECT_EQ(m.face_of_edge_a(inner, 1, false), 0);
}

TEST(mesh, append_edge_splits_the_face_that_holds_both_vertices) {
    mesh_lists quad;
    quad.positions = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    quad.faces = {{0, 1, 2, 3}};
    quad.uvs = {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}};
    test_scene t(quad);
    auto& m = t.mesh();
    const int e = m.append_edge(0, 2);
    ASSERT_EQ(m.get_number_of_faces(), 2);
    EXPECT_EQ(corners(m, 0), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(corners(m, 1), (std::vector<int>{2, 3, 0}));
    vec2 uv[3];
    m.face(1).get_parameter_uv(uv);
    EXPECT_EQ(uv[1], vec2(0, 1));
    EXPECT_EQ(m.get_number_of_edges(), 5);
    EXPECT_EQ(edge_between(m, 0, 2), e);

    // Neighbours are joined already: the edge comes back, nothing splits.
    EXPECT_EQ(m.append_edge(1, 0), edge_between(m, 0, 1));
    EXPECT_EQ(m.get_number_of_faces(), 2);
    EXPECT_THROW(m.append_edge(3, 3), std::invalid_argument);
}

TEST(mesh, element_objects_follow_their_index_and_refuse_missing_ones) {
    test_scene t(grid());
    auto& m = t.mesh();
    vertex_class& last = m.vertex(8);
    vertex_class& third = m.vertex(2);
    EXPECT_EQ(&m.vertex(8), &last);
    m.remove_vertex(0);
    EXPECT_THROW(last.get_position(), std::out_of_range);
    EXPECT_EQ(third.get_position(), vec3(0, 1, 0)) << "index 2 now holds the old vertex 3";
    EXPECT_THROW(m.vertex(8), std::out_of_range);
    EXPECT_THROW(m.face(-1), std::out_of_range);
    int bad[] = {0, 1, 99};
    EXPECT_THROW(m.face(0).set_vertex_indices(3, bad), std::out_of_range);
}

TEST(mesh, faces_keep_uvs_normals_and_selection) {
    test_scene t(twinel_test::symmetric_mesh());
    auto& m = t.mesh();
    face_class& f = m.face(0);
    ASSERT_TRUE(f.has_uv());
    vec2 before[4], after[4];
    f.get_distance_uv(before);
    int tri[] = {0, 1, 6};
    f.set_vertex_indices(3, tri);
    f.get_distance_uv(after);
    EXPECT_EQ(after[1], before[1]) << "corners that remain keep their UVs";

    vec3 normals[3] = {{0, 0, 1}, {0, 0, 1}, {0, 1, 0}}, read[3];
    EXPECT_THROW(f.set_normals(2, normals), std::invalid_argument);
    f.set_normals(3, normals);
    ASSERT_EQ(f.get_normals(read), 3);
    EXPECT_EQ(read[2], vec3(0, 1, 0));
    f.set_normals(0, nullptr);
    EXPECT_EQ(f.get_normals(read), 0);

    f.set_active(true);
    EXPECT_TRUE(f.get_active());
    EXPECT_FALSE(m.face(1).get_active());
}

TEST(mesh, vertex_skins_keep_bindings_per_vertex) {
    test_scene t(grid());
    auto& m = t.mesh();
    skin_class& skin = m.vertex(4).get_skin();
    EXPECT_EQ(skin.get_number_of_binds(), 0);
    skin.append_bind();
    skin.set_bind_weight(0, 0.7f);
    skin.set_bind_joint(0, &t.shape());
    EXPECT_EQ(skin.get_bind_joint(0), &t.shape());
    EXPECT_EQ(skin.get_bind_weight(0), 0.7f);
    EXPECT_EQ(m.vertex(3).get_skin().get_number_of_binds(), 0);
    EXPECT_THROW(skin.get_bind_weight(1), std::out_of_range);
    skin.remove_last_bind();
    skin.remove_last_bind();  // nothing left: no effect
    EXPECT_EQ(skin.get_number_of_binds(), 0);
}

TEST(mesh, a_million_vertices_read_and_write_quickly) {
    test_scene t;
    host::mesh_data d;
    const int n = 1000000;
    d.positions.resize(n);
    d.vertex_selected.resize(n);
    auto& shape = t.scene().add_mesh("big", std::move(d));
    auto& m = shape.polygon();
    const auto start = std::chrono::steady_clock::now();
    t.scene().begin_undo_step();
    for (int v = 0; v < n; ++v) {
        vertex_class& vertex = m.vertex(v);
        vec3 p = vertex.get_position();
        p.x += 1.0f;
        vertex.set_position(p);
        if (v % 2) vertex.set_active(true);
        (void)m.get_number_of_active_vertices();
    }
    t.scene().end_undo_step();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(m.get_number_of_active_vertices(), n / 2);
    // Each object found its own index, in every block of objects.
    for (int v = 0; v < n; v += 997) {
        ASSERT_EQ(m.vertex(v).get_position().x, 1.0f);
        ASSERT_EQ(m.vertex(v).get_active(), v % 2 == 1) << v;
    }
#ifdef NDEBUG  // the bound holds for optimised builds only
    EXPECT_LT(seconds, 1.0);
#else
    (void)seconds;
#endif
}

}  // namespace
