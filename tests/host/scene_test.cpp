#include "host/scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "host/line_shape.h"
#include "host/part.h"
#include "host/primitive_shape.h"
#include "tests/common/mesh_builder.h"

namespace {

using twinel_test::mesh_lists;
using twinel_test::test_scene;

mat4 translation(float x, float y, float z) {
    mat4 m;
    m[3][0] = x, m[3][1] = y, m[3][2] = z;
    return m;
}

mat4 scaling(float s) {
    mat4 m;
    m[0][0] = m[1][1] = m[2][2] = s;
    return m;
}

TEST(scene, merging_selected_vertices_keeps_the_lowest_at_the_mean) {
    // Two quads side by side:  3 2 5
    //                          0 1 4
    mesh_lists two;
    two.positions = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0, 0}, {2, 1, 0}};
    two.faces = {{0, 1, 2, 3}, {1, 4, 5, 2}};
    two.uvs = {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {{1, 0}, {2, 0}, {2, 1}, {1, 1}}};
    test_scene t(two);
    auto& m = t.mesh();
    m.vertex(4).set_active(true);
    m.vertex(1).set_active(true);
    t.scene().merge_selected_vertices();

    // 4 went into 1 at (1.5, 0, 0); the second quad lost a corner and is a
    // triangle now; 5 became 4.
    ASSERT_EQ(m.get_number_of_vertices(), 5);
    EXPECT_EQ(m.vertex(1).get_position(), vec3(1.5f, 0, 0));
    EXPECT_TRUE(m.vertex(1).get_active());
    ASSERT_EQ(m.get_number_of_faces(), 2);
    int corners[3];
    ASSERT_EQ(m.face(1).get_number_of_vertices(), 3);
    m.face(1).get_vertex_indices(corners);
    EXPECT_EQ(std::vector<int>(corners, corners + 3), (std::vector<int>{1, 4, 2}));
    vec2 uv[3];
    m.face(1).get_parameter_uv(uv);
    EXPECT_EQ(uv[1], vec2(2, 1));
    EXPECT_TRUE(t.data().valid());

    // Merging 1, 2 and 4 collapses the triangle to nothing and the first
    // quad to a triangle.
    t.shape().clear_active_elements();
    m.vertex(2).set_active(true);
    m.vertex(4).set_active(true);
    m.vertex(1).set_active(true);
    t.scene().merge_selected_vertices();
    EXPECT_EQ(m.get_number_of_vertices(), 3);
    EXPECT_EQ(m.get_number_of_faces(), 1);
    EXPECT_EQ(m.face(0).get_number_of_vertices(), 3);
}

TEST(scene, shapes_are_numbered_depth_first_and_found_by_name) {
    test_scene t;
    host::scene& s = t.scene();
    host::part& group = s.add_part("group");
    auto& inner = twinel_test::add_mesh(s, twinel_test::unit_cube(), "inner");
    s.place(inner, &group, 0);
    auto& outer = twinel_test::add_mesh(s, twinel_test::unit_cube(), "outer");
    EXPECT_EQ(s.get_shape_by_index(0), &s.root());
    EXPECT_EQ(s.get_shape_by_index(1), &group);
    EXPECT_EQ(s.get_shape_by_index(2), &inner);
    EXPECT_EQ(s.get_shape_by_index(3), &outer);
    EXPECT_EQ(s.get_shape_by_index(4), nullptr);
    EXPECT_EQ(s.get_shape_index(outer), 3);
    EXPECT_EQ(s.get_shape_by_name("inner"), &inner);
    EXPECT_EQ(s.get_shape_by_name("missing"), nullptr);
    EXPECT_EQ(group.get_number_of_control_points(), 8) << "a part answers for its subtree";
    EXPECT_EQ(s.root().get_number_of_control_points(), 16);
    EXPECT_THROW(s.place(group, &inner, 0), std::logic_error);
}

TEST(scene, world_transforms_chain_local_matrices_row_vector_style) {
    test_scene t;
    host::scene& s = t.scene();
    host::part& group = s.add_part("group");
    group.set_local_matrix(translation(10, 0, 0));
    auto& child = twinel_test::add_mesh(s, twinel_test::unit_cube(), "child");
    s.place(child, &group, 0);
    child.set_local_matrix(scaling(2));
    // Scale first (the child's own matrix), then the parent's move.
    EXPECT_EQ(vec3(1, 1, 1) * child.get_transformation_to_world(), vec3(12, 2, 2));
    EXPECT_EQ(vec3(12, 2, 2) * child.get_transformation_from_world(), vec3(1, 1, 1));
}

TEST(scene, attributes_are_kept_by_key_and_undone) {
    test_scene t(twinel_test::unit_cube());
    host::mesh_shape& s = t.shape();
    const kx::uuid_class key{0x50061000u, 1, 2, 3}, kind{0, 1, 2, 3};
    EXPECT_FALSE(s.find_attribute(key));
    t.scene().begin_undo_step();
    unknown_interface* handle = s.create_attribute(key, key, kind, kind);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->Release(), 0);
    t.scene().end_undo_step();
    EXPECT_TRUE(s.find_attribute(key));
    EXPECT_EQ(s.create_attribute(kx::uuid_class(), key, kind, kind), nullptr);
    s.remove_attribute(key);
    s.remove_attribute(key);
    EXPECT_FALSE(s.find_attribute(key));
    t.scene().undo();
    EXPECT_FALSE(s.find_attribute(key));
}

TEST(scene, line_control_points_read_and_write_all_seven_fields) {
    test_scene t;
    const vec3 points[] = {{0, 0, 0}, {1, 0, 0}, {2, 1, 0}};
    shape_class* line = t.scene().create_line(3, points, true, 0, 0);
    ASSERT_EQ(line->get_type(), 4);
    EXPECT_TRUE(line->is_closed());
    EXPECT_EQ(line->get_number_of_control_points(), 3);
    EXPECT_EQ(line->get_control_point(3), nullptr);
    control_point_class& p = *line->get_control_point(1);
    EXPECT_EQ(p.get_second_handle(), vec3(1, 0, 0));
    p.set_position(vec3(5, 5, 5));
    p.set_first_handle(vec3(1, 2, 3));
    p.set_second_handle(vec3(4, 5, 6));
    p.set_third_handle(vec3(7, 8, 9));
    p.set_fourth_handle(vec3(10, 11, 12));
    p.set_first_flag(true);
    p.set_second_flag(false);
    const auto& data = static_cast<host::line_shape*>(line)->points()[1];
    EXPECT_EQ(data.position, vec3(5, 5, 5));
    EXPECT_EQ(p.get_first_handle(), vec3(1, 2, 3));
    EXPECT_EQ(p.get_second_handle(), vec3(4, 5, 6));
    EXPECT_EQ(p.get_third_handle(), vec3(7, 8, 9));
    EXPECT_EQ(p.get_fourth_handle(), vec3(10, 11, 12));
    EXPECT_TRUE(p.get_first_flag());
    EXPECT_FALSE(p.get_second_flag());
    p.get_skin().append_bind();
    EXPECT_EQ(line->get_control_point(1)->get_skin().get_number_of_binds(), 1);
    EXPECT_EQ(line->get_control_point(0)->get_skin().get_number_of_binds(), 0);
}

TEST(scene, surface_line_directions_exchange_and_come_back) {
    test_scene t;
    host::scene& s = t.scene();
    host::part& surface = s.add_part("surface", 1);
    for (int row = 0; row < 2; ++row) {
        std::vector<host::control_point_data> points;
        for (int c = 0; c < 3; ++c) {
            host::control_point_data p = host::line_shape::point_at(vec3(static_cast<float>(c), static_cast<float>(row), 0));
            p.first_handle = vec3(-1, 0, 0);
            p.third_handle = vec3(0, -1, 0);
            points.push_back(p);
        }
        s.add_line("row" + std::to_string(row), points, false, &surface);
    }
    shape_class* first_row = surface.get_son(0);
    surface.exchange_line_directions();
    ASSERT_EQ(surface.get_number_of_sons(), 3);
    shape_class* column = surface.get_son(2);
    ASSERT_EQ(column->get_number_of_control_points(), 2);
    EXPECT_EQ(column->get_control_point(1)->get_position(), vec3(2, 1, 0));
    EXPECT_EQ(column->get_control_point(1)->get_first_handle(), vec3(0, -1, 0));
    EXPECT_EQ(s.get_shape_index(*column), s.get_shape_index(surface) + 3);
    column->get_control_point(0)->set_position(vec3(2, -5, 0));

    surface.exchange_line_directions();
    ASSERT_EQ(surface.get_number_of_sons(), 2);
    EXPECT_EQ(surface.get_son(0), first_row) << "the first lines come back";
    EXPECT_EQ(first_row->get_control_point(2)->get_position(), vec3(2, -5, 0));
    EXPECT_EQ(first_row->get_control_point(2)->get_first_handle(), vec3(-1, 0, 0));

    host::part& plain = s.add_part("plain");
    EXPECT_THROW(plain.exchange_line_directions(), std::logic_error);
}

TEST(scene, duplicate_copies_the_subtree_after_the_source) {
    test_scene t;
    host::scene& s = t.scene();
    host::part& group = s.add_part("group");
    auto& mesh = twinel_test::add_mesh(s, twinel_test::unit_cube(), "cube");
    s.place(mesh, &group, 0);
    s.add_part("after");
    shape_class* copy = group.duplicate(translation(0, 0, 3));
    EXPECT_EQ(s.root().get_son(1), copy);
    EXPECT_STREQ(copy->get_name(), "group");
    ASSERT_EQ(copy->get_number_of_sons(), 1);
    shape_class* cube = copy->get_son(0);
    EXPECT_NE(cube, &mesh);
    EXPECT_EQ(cube->get_polygon_mesh()->get_number_of_faces(), 6);
    EXPECT_EQ(vec3(0, 0, 0) * cube->get_transformation_to_world(), vec3(0, 0, 3));
    EXPECT_THROW(s.root().duplicate(mat4()), std::logic_error);
    s.undo();
    EXPECT_EQ(s.root().get_number_of_sons(), 2);
}

TEST(scene, primitives_surfaces_and_views_answer_as_documented) {
    test_scene t;
    host::scene& s = t.scene();
    auto& box = s.add_primitive("box", 3, vec3(1, 2, 3), vec3(4, 5, 6));
    EXPECT_EQ(box.get_primitive_point(1), vec3(4, 5, 6));
    EXPECT_TRUE(std::isnan(box.get_primitive_point(2).x));
    EXPECT_TRUE(std::isnan(s.root().get_primitive_point(0).y));
    EXPECT_EQ(box.get_number_of_control_points(), 1);

    EXPECT_EQ(box.get_surface_attributes(), nullptr);
    EXPECT_EQ(box.get_inherited_shape(), &s.root());
    box.surface().add_layer(nullptr);
    EXPECT_EQ(box.get_inherited_shape(), nullptr);
    EXPECT_EQ(box.get_surface_attributes()->get_mapping_layer_image(0), nullptr);

    kx::host_ref<uv_view_interface> view(s.get_uv_view());
    view->set_display_flag(!view->get_display_flag());
    view->set_display_flag(!view->get_display_flag());
    EXPECT_EQ(s.uv_view_status().toggles, 2);
    kx::host_ref<scene_window_interface> window(s.get_window());
    if (window->is_shown()) window->invalidate();
    EXPECT_EQ(s.window_status().invalidations, 1);

    s.inhibit_update();
    s.inhibit_update();
    s.allow_update();
    EXPECT_EQ(s.counters().inhibit_depth, 1);
    EXPECT_THROW(s.set_selection_mode(3), std::invalid_argument);
    kx::host_ref<progress_interface> bar(s.create_progress("counting"));
    bar->set_range(0, 10);
    bar->set_position(5);
    bar->close();
    EXPECT_EQ(s.progress_titles(), std::vector<std::string>{"counting"});
}

}  // namespace
