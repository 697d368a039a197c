// Shape_class and the shape-tree walks over the reference host's shapes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "host/line_shape.h"
#include "host/matrices.h"
#include "host/part.h"
#include "host/primitive_shape.h"
#include "host/skin_view.h"
#include "mesh/shape_attribute.h"
#include "mesh/shape_class.h"
#include "mesh/substance_shape.h"
#include "mesh/surface_point.h"
#include "tests/common/mesh_builder.h"

namespace {

using twinel_test::mesh_lists;
using twinel_test::test_scene;

using host::translation;

mat4 scale_and_shift(float s, const vec3& t) {
    mat4 m = translation(t.x, t.y, t.z);
    m.m[0][0] = m.m[1][1] = m.m[2][2] = s;
    return m;
}

// n vertices at (i, 0, 0), no faces.
mesh_lists points(int n) {
    mesh_lists l;
    for (int i = 0; i < n; ++i) l.positions.push_back(vec3(static_cast<float>(i), 0, 0));
    return l;
}

// A line of n points at (first + i, 1, 0).
std::vector<host::control_point_data> line_points(int n, float first) {
    std::vector<host::control_point_data> p;
    for (int i = 0; i < n; ++i) p.push_back(host::line_shape::point_at(vec3(first + static_cast<float>(i), 1, 0)));
    return p;
}

std::uint32_t bits(float f) {
    std::uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

void expect_missing(const vec3& p) {
    EXPECT_EQ(bits(p.x), 0x7FA00000u);
    EXPECT_EQ(bits(p.y), 0x7FA00000u);
    EXPECT_EQ(bits(p.z), 0x7FA00000u);
}

void expect_near(const vec3& a, const vec3& b, float tolerance = 1e-5f) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

void bind(skin_class& skin, const mat4& matrix) {
    skin.append_bind();
    static_cast<host::skin_view&>(skin).set_skin_matrix(matrix);
}

TEST(Shape_class, classifies_every_host_kind_and_part_type) {
    test_scene t;
    host::scene& s = t.scene();
    Shape_class none;
    EXPECT_EQ(none.type, -1);
    EXPECT_FALSE(none.variable_points);
    EXPECT_EQ(none.fixed_points, 0);

    struct expectation {
        int part_type, type;
        bool variable;
        int fixed;
    };
    const expectation parts[] = {{0, 0, false, 0},   {1, 1, true, 0},    {2, 2, false, 2},   {3, 3, false, 2},
                                 {4, 4, false, 2},   {5, 5, false, 1},   {8, 8, false, 0},   {9, 10, false, 0},
                                 {10, 11, false, 1}, {11, 12, false, 2}, {12, 23, false, 0}, {13, 9, false, 0},
                                 {100, 21, false, 0}, {101, 13, false, 0}, {14, 24, false, 0}, {-1, 24, false, 0}};
    for (const expectation& e : parts) {
        Shape_class c(&s.add_part("p", e.part_type));
        EXPECT_EQ(c.type, e.type) << "part type " << e.part_type;
        EXPECT_EQ(c.variable_points, e.variable) << "part type " << e.part_type;
        EXPECT_EQ(c.fixed_points, e.fixed) << "part type " << e.part_type;
    }

    Shape_class mesh(&twinel_test::add_mesh(s, points(3)));
    EXPECT_EQ(mesh.type, object_type::polygon_mesh);
    EXPECT_TRUE(mesh.variable_points);
    Shape_class line(&s.add_line("l", line_points(2, 0), false));
    EXPECT_EQ(line.type, object_type::line);
    EXPECT_TRUE(line.variable_points);

    const int kinds[][3] = {{3, 14, 1}, {5, 16, 1}, {6, 17, 1}, {8, 19, 0}};
    for (const auto& k : kinds) {
        Shape_class c(&s.add_primitive("q", k[0], vec3(), vec3()));
        EXPECT_EQ(c.type, k[1]) << "kind " << k[0];
        EXPECT_EQ(c.fixed_points, k[2]) << "kind " << k[0];
        EXPECT_FALSE(c.variable_points);
    }
}

TEST(Shape_class, reclassifying_clears_the_scratch_fields) {
    test_scene t;
    Shape_class c(&twinel_test::add_mesh(t.scene(), points(2)));
    c.flag = true;
    c.pointer = &c;
    c.set_shape(nullptr);
    EXPECT_EQ(c.type, -1);
    EXPECT_FALSE(c.flag);
    EXPECT_EQ(c.pointer, nullptr);
}

TEST(substance_shape, finds_the_leaf_holding_a_point_and_its_local_index) {
    test_scene t;
    host::part& p = t.scene().add_part("p");
    host::mesh_shape& ten = t.scene().add_mesh("ten", twinel_test::make_mesh_data(points(10)), &p);
    host::mesh_shape& five = t.scene().add_mesh("five", twinel_test::make_mesh_data(points(5)), &p);

    int index = 12;
    EXPECT_EQ(substance_shape(&p, &index, false), &five);
    EXPECT_EQ(index, 2);
    index = 9;
    EXPECT_EQ(substance_shape(&p, &index, false), &ten);
    EXPECT_EQ(index, 9);
    index = 15;
    EXPECT_EQ(substance_shape(&p, &index, false), nullptr);
    EXPECT_EQ(index, 0);
}

TEST(substance_shape, other_shapes_count_as_one_point_and_links_are_followed_only_when_asked) {
    test_scene t;
    host::scene& s = t.scene();
    host::part& p = s.add_part("p");
    host::primitive_shape& box = s.add_primitive("box", 3, vec3(), vec3(), &p);
    host::line_shape& line = s.add_line("l", line_points(4, 0), false, &p);
    int index = 0;
    EXPECT_EQ(substance_shape(&p, &index, false), &box);
    index = 3;
    EXPECT_EQ(substance_shape(&p, &index, false), &line);
    EXPECT_EQ(index, 2);

    host::part& link = s.add_part("link", 101);
    host::line_shape& own = s.add_line("own", line_points(3, 0), false, &link);
    link.set_link(&line);
    index = 1;
    EXPECT_EQ(substance_shape(&link, &index, true), &line);
    EXPECT_EQ(index, 1);
    index = 1;
    EXPECT_EQ(substance_shape(&link, &index, false), &own);
    EXPECT_EQ(index, 1);
}

TEST(Shape_class, substance_shape_checks_the_range_first) {
    test_scene t;
    host::part& p = t.scene().add_part("p");
    t.scene().add_line("a", line_points(5, 0), false, &p);
    host::line_shape& b = t.scene().add_line("b", line_points(5, 10), false, &p);
    Shape_class c(&p);
    int index = 7;
    EXPECT_EQ(c.substance_shape(&index), &b);
    EXPECT_EQ(index, 2);
    index = -1;
    EXPECT_EQ(c.substance_shape(&index), nullptr);
    index = 10;
    EXPECT_EQ(c.substance_shape(&index), nullptr);
    EXPECT_EQ(index, 10);
}

TEST(Shape_class, reads_part_points_through_their_lines_and_meshes) {
    test_scene t;
    host::scene& s = t.scene();
    host::part& p = s.add_part("p");
    p.set_local_matrix(translation(0, 0, 100));
    s.add_line("a", line_points(5, 0), false, &p);
    host::line_shape& b = s.add_line("b", line_points(5, 10), false, &p);
    b.set_local_matrix(translation(1, 0, 0));
    twinel_test::add_mesh(s, points(3));  // outside the group

    Shape_class c(&p);
    EXPECT_EQ(c.get_position(7, false), vec3(12, 1, 0));
    EXPECT_EQ(c.get_position(7, true), vec3(13, 1, 100));
    expect_missing(c.get_position(10, false));
    expect_missing(c.get_position(-1, true));

    host::part& q = s.add_part("q");
    host::mesh_shape& m = s.add_mesh("m", twinel_test::make_mesh_data(points(4)), &q);
    m.set_local_matrix(translation(0, 5, 0));
    Shape_class d(&q);
    EXPECT_EQ(d.get_position(3, false), vec3(3, 0, 0));
    EXPECT_EQ(d.get_position(3, true), vec3(3, 5, 0));
}

TEST(Shape_class, a_part_child_that_is_no_line_or_mesh_reads_as_missing) {
    test_scene t;
    host::part& p = t.scene().add_part("p");
    t.scene().add_primitive("box", 3, vec3(1, 2, 3), vec3(), &p);
    expect_missing(Shape_class(&p).get_position(0, false));
}

TEST(Shape_class, reads_mesh_vertices_and_line_points_in_local_and_world_coordinates) {
    test_scene t(points(4));
    host::mesh_shape& mesh = t.shape();
    mesh.set_local_matrix(scale_and_shift(2, vec3(1, 1, 1)));
    Shape_class m(&mesh);
    EXPECT_EQ(m.get_position(3, false), vec3(3, 0, 0));
    EXPECT_EQ(m.get_position(3, true), vec3(7, 1, 1));
    expect_missing(m.get_position(4, false));
    expect_missing(m.get_position(-1, true));

    // A bound vertex takes its skin's matrix instead of the shape's.
    bind(t.mesh().vertex(2).get_skin(), translation(0, 0, -5));
    EXPECT_EQ(m.get_position(2, true), vec3(2, 0, -5));
    EXPECT_EQ(m.get_position(1, true), vec3(3, 1, 1));

    host::line_shape& line = t.scene().add_line("l", line_points(3, 0), false);
    line.set_local_matrix(translation(0, 10, 0));
    Shape_class l(&line);
    EXPECT_EQ(l.get_position(1, false), vec3(1, 1, 0));
    EXPECT_EQ(l.get_position(1, true), vec3(1, 11, 0));
    expect_missing(l.get_position(3, false));
}

TEST(Shape_class, reads_the_fixed_points_of_primitives) {
    test_scene t;
    host::primitive_shape& box = t.scene().add_primitive("box", 3, vec3(1, 2, 3), vec3(4, 5, 6));
    box.set_local_matrix(translation(10, 0, 0));
    Shape_class c(&box);  // object type 14: one point
    EXPECT_EQ(c.get_position(0, false), vec3(1, 2, 3));
    EXPECT_EQ(c.get_position(1, false), vec3(1, 2, 3));
    EXPECT_EQ(c.get_position(0, true), vec3(11, 2, 3));

    bind(box.get_skin(), translation(0, 0, 1));
    EXPECT_EQ(c.get_position(0, true), vec3(1, 2, 4));
}

TEST(Shape_class, primitive_parts_are_read_outside_modify_mode_and_the_mode_comes_back) {
    test_scene t;
    host::scene& s = t.scene();
    Shape_class c(&s.add_part("p", 11));  // object type 12
    ASSERT_EQ(c.type, 12);
    s.enter_modify_mode();
    const host::figure_counters before = s.counters();
    c.get_position(1, false);
    EXPECT_TRUE(s.is_modify_mode());
    EXPECT_EQ(s.counters().inhibits, before.inhibits + 1);
    EXPECT_EQ(s.counters().allows, before.allows + 1);
    EXPECT_EQ(s.counters().inhibit_depth, 0);

    s.exit_modify_mode();
    c.get_position(0, false);
    EXPECT_FALSE(s.is_modify_mode());
}

TEST(Shape_class, unsupported_types_read_as_missing) {
    test_scene t;
    expect_missing(Shape_class(&t.scene().add_part("p", 6)).get_position(0, false));
    expect_missing(Shape_class(&t.scene().add_primitive("q", 8, vec3(1, 1, 1), vec3())).get_position(0, true));
    expect_missing(Shape_class(nullptr).get_position(0, false));
}

TEST(Shape_class, surface_points_round_trip_through_world_coordinates) {
    test_scene t;
    host::line_shape& line = t.scene().add_line("l", line_points(3, 0), false);
    line.set_local_matrix(scale_and_shift(2, vec3(0, 0, 3)));
    Shape_class l(&line);

    Surface_point p;
    ASSERT_TRUE(l.get_surface_point(1, p, true));
    EXPECT_EQ(p.position, vec3(2, 2, 3));
    EXPECT_EQ(p.first_handle, vec3(2, 2, 3));  // handles are points

    p.position = vec3(4, 4, 5);
    p.second_flag = true;
    ASSERT_TRUE(l.set_surface_point(1, p, true));
    EXPECT_EQ(line.points()[1].position, vec3(2, 2, 1));
    EXPECT_TRUE(line.points()[1].second_flag);

    Surface_point untouched = p;
    EXPECT_FALSE(l.get_surface_point(3, untouched, false));
    EXPECT_EQ(untouched.position, p.position);
    EXPECT_FALSE(l.set_surface_point(-1, p, false));
}

TEST(Shape_class, bound_control_points_convert_through_their_skin) {
    test_scene t;
    host::line_shape& line = t.scene().add_line("l", line_points(2, 0), false);
    line.set_local_matrix(translation(100, 0, 0));
    const mat4 skin = scale_and_shift(4, vec3(1, 2, 3));
    bind(line.get_control_point(0)->get_skin(), skin);
    Shape_class l(&line);

    Surface_point p;
    ASSERT_TRUE(l.get_surface_point(0, p, true));
    EXPECT_EQ(p.position, vec3(1, 6, 3));
    p.position = vec3(5, 6, 7);
    ASSERT_TRUE(l.set_surface_point(0, p, true));
    expect_near(line.points()[0].position, vec3(1, 1, 1));
    ASSERT_TRUE(l.get_surface_point(0, p, true));
    expect_near(p.position, vec3(5, 6, 7));
}

TEST(Shape_class, part_surface_points_are_the_control_points_of_its_lines) {
    test_scene t;
    host::part& part = t.scene().add_part("p");
    t.scene().add_line("a", line_points(5, 0), false, &part);
    host::line_shape& b = t.scene().add_line("b", line_points(5, 10), false, &part);
    b.set_local_matrix(translation(0, 0, 1));
    Shape_class c(&part);

    Surface_point p;
    ASSERT_TRUE(c.get_surface_point(7, p, true));
    EXPECT_EQ(p.position, vec3(12, 1, 1));
    p.position = vec3(0, 0, 0);
    ASSERT_TRUE(c.set_surface_point(7, p, true));
    EXPECT_EQ(b.points()[2].position, vec3(0, 0, -1));
    EXPECT_FALSE(c.get_surface_point(10, p, false));
    EXPECT_FALSE(c.set_surface_point(10, p, false));
}

TEST(clear_shape_attribute_with_uuid, clears_the_whole_tree_and_only_that_key) {
    test_scene t;
    host::scene& s = t.scene();
    const kx::uuid_class key{1, 2, 3, 4}, other{5, 6, 7, 8};
    host::part& top = s.add_part("top");
    host::part& inner = s.add_part("inner", 0, &top);
    host::line_shape& line = s.add_line("l", line_points(2, 0), false, &inner);
    host::mesh_shape& mesh = s.add_mesh("m", twinel_test::make_mesh_data(points(3)), &top);
    for (shape_class* sh : std::initializer_list<shape_class*>{&top, &inner, &line, &mesh})
        kx::host_ref<unknown_interface>(sh->create_attribute(key, key, other, other));
    kx::host_ref<unknown_interface>(mesh.create_attribute(other, other, other, other));

    clear_shape_attribute_with_uuid(top, key);
    for (shape_class* sh : std::initializer_list<shape_class*>{&top, &inner, &line, &mesh})
        EXPECT_FALSE(sh->find_attribute(key)) << sh->get_name();
    EXPECT_TRUE(mesh.find_attribute(other));
}

}  // namespace
