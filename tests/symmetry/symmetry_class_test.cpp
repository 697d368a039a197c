#include "symmetry/symmetry_class.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "host/skin_view.h"
#include "mesh/polygon_class.h"
#include "tests/common/mesh_builder.h"
#include "tests/symmetry/pairing_fixture.h"

namespace {

using twinel_test::mesh_lists;
using twinel_test::test_scene;

std::uint32_t bits(float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

using twinel_test::points;

mat4 translation(float x, float y, float z) {
    mat4 m;
    m[3][0] = x;
    m[3][1] = y;
    m[3][2] = z;
    return m;
}

void select(polygon_mesh_class& mesh, std::initializer_list<int> vertices) {
    for (int v : vertices) mesh.vertex(v).set_active(true);
}

TEST(symmetry_class, starts_from_the_palette_defaults) {
    const Symmetry_class s;
    EXPECT_EQ(s.plane, 0);
    EXPECT_EQ(s.base_side, 0);
    EXPECT_EQ(bits(s.margin), 0x3DCCCCCDu);
    EXPECT_EQ(bits(s.reduse_margin), 0x3C23D70Au);
    EXPECT_EQ(bits(s.duv_margin), 0x3CA3D70Au);
    EXPECT_EQ(bits(s.puv_margin), 0x3CA3D70Au);
    EXPECT_EQ(s.duv_center, 0.5f);
    EXPECT_EQ(s.puv_center, 0.5f);
    EXPECT_TRUE(s.do_adjust && s.verbose && s.sep_type);
    EXPECT_FALSE(s.do_symUV || s.use_world);
    EXPECT_EQ(s.sep_num, 30);
    EXPECT_EQ(s.world_matrix, mat4::identity());
    EXPECT_EQ(s.inverse_world_matrix, mat4::identity());
}

TEST(symmetry_class, is_sym_mirrors_its_second_argument) {
    Symmetry_class s;
    s.margin = 0.0f;
    EXPECT_TRUE(s.is_sym(vec3(1, 2, 3), vec3(-1, 2, 3)));
    EXPECT_FALSE(s.is_sym(vec3(1, 2, 3), vec3(-1, 2, std::nextafter(3.0f, 4.0f))));
    EXPECT_FALSE(s.is_sym(vec3(1, 2, 3), vec3(1, 2, 3)));  // not the mirror
    s.plane = 2;
    EXPECT_TRUE(s.is_sym(vec3(1, 2, 3), vec3(1, 2, -3)));

    // A position is symmetric with itself within margin / 2 of the plane.
    s = Symmetry_class();
    s.margin = 0.5f;
    EXPECT_TRUE(s.is_sym(vec3(0.25f, 7, 7), vec3(0.25f, 7, 7)));
    EXPECT_FALSE(s.is_sym(vec3(0.2501f, 7, 7), vec3(0.2501f, 7, 7)));
    // Equality of the squares counts; a NaN never matches.
    EXPECT_TRUE(s.is_sym(vec3(0.5f, 0, 0), vec3(0, 0, 0)));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(s.is_sym(vec3(nan, 0, 0), vec3(0, 0, 0)));
    s.margin = nan;
    EXPECT_FALSE(s.is_sym(vec3(0, 0, 0), vec3(0, 0, 0)));
}

TEST(symmetry_class, unchanged_positions_are_never_written) {
    test_scene t(points({{1, 2, 3}, {4, 5, 6}}));
    const Symmetry_class s;
    vertex_class& v = t.mesh().vertex(0);
    // A write inside an undo step leaves a step behind; no write leaves none.
    t.scene().begin_undo_step();
    s.set_position(v, vec3(1, 2, 3));
    s.set_local_position(v, vec3(1, 2, 3));
    t.scene().end_undo_step();
    EXPECT_FALSE(t.scene().can_undo());

    t.scene().begin_undo_step();
    s.set_position(v, vec3(1, 2, 3.5f));
    t.scene().end_undo_step();
    EXPECT_TRUE(t.scene().can_undo());
    EXPECT_EQ(v.get_position(), vec3(1, 2, 3.5f));

    // A NaN always counts as a change, also when it is already stored.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    s.set_local_position(v, vec3(nan, 2, 3.5f));
    t.scene().clear_history();
    t.scene().begin_undo_step();
    s.set_local_position(v, vec3(nan, 2, 3.5f));
    t.scene().end_undo_step();
    EXPECT_TRUE(t.scene().can_undo());
}

TEST(symmetry_class, world_positions_go_through_the_shape_or_the_skin) {
    test_scene t(points({{1, 0, 0}, {2, 0, 0}}));
    t.shape().set_local_matrix(translation(10, 0, 0));
    Symmetry_class s;
    s.use_world = true;
    s.take_matrices(t.shape());
    polygon_mesh_class& mesh = t.mesh();
    EXPECT_EQ(s.get_position(mesh.vertex(0)), vec3(11, 0, 0));

    // A bound vertex uses its skin matrix both ways, not the shape's.
    auto& skin = dynamic_cast<host::skin_view&>(mesh.vertex(1).get_skin());
    skin.append_bind();
    skin.set_skin_matrix(translation(0, 100, 0));
    EXPECT_EQ(s.get_position(mesh.vertex(1)), vec3(2, 100, 0));
    s.set_position(mesh.vertex(1), vec3(3, 101, 0));
    EXPECT_EQ(mesh.vertex(1).get_position(), vec3(3, 1, 0));

    // Mirroring in world coordinates: the plane passes the world origin.
    s.set_sym_vertex(mesh.vertex(0), mesh.vertex(1));
    EXPECT_EQ(mesh.vertex(1).get_position(), vec3(-11, -100, 0));
    s.set_position(mesh.vertex(0), vec3(-11, 0, 0));
    EXPECT_EQ(mesh.vertex(0).get_position(), vec3(-21, 0, 0));
}

TEST(symmetry_class, on_plane_operations_take_the_current_shapes_matrices) {
    test_scene t(points({{1, 2, 3}, {-4, 5, 6}, {7, 8, 9}}));
    t.shape().set_local_matrix(translation(10, 0, 0));
    Polygon_class polygon(&t.shape());
    Symmetry_class window;  // a settings record whose matrices were never filled
    window.use_world = true;
    select(t.mesh(), {0, 1});
    window.active_to_plane(nullptr, polygon);
    // World x = 0 is local x = -10.
    EXPECT_EQ(t.mesh().vertex(0).get_position(), vec3(-10, 2, 3));
    EXPECT_EQ(t.mesh().vertex(1).get_position(), vec3(-10, 5, 6));
    EXPECT_EQ(t.mesh().vertex(2).get_position(), vec3(7, 8, 9));
    EXPECT_EQ(window.world_matrix, translation(10, 0, 0));
}

TEST(symmetry_class, paste_to_plane_uses_the_recorded_positions) {
    test_scene t(points({{1, 2, 3}, {4, 5, 6}}));
    Polygon_class polygon(&t.shape());
    Symmetry_class s;
    s.plane = 1;
    ver_inf_map records;
    records.emplace(0.0f, ver_inf{1, vec3(7, 7, 7), false});
    s.paste_to_plane(polygon, records);
    EXPECT_EQ(t.mesh().vertex(1).get_position(), vec3(7, 0, 7));
    EXPECT_EQ(t.mesh().vertex(0).get_position(), vec3(1, 2, 3));
    EXPECT_EQ(t.shape().modification_depth(), 0);
}

TEST(symmetry_class, symmetrize_refuses_unequal_sides_without_moving) {
    test_scene t(points({{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {-1, 0, 0}, {-2, 0, 0}}));
    Polygon_class polygon(&t.shape());
    Symmetry_class s;
    select(t.mesh(), {0, 1, 2, 3, 4});
    const host::mesh_data before = t.data();
    EXPECT_TRUE(s.symmetrize_active_vertices(&t.scene(), polygon, true));
    EXPECT_TRUE(twinel_test::identical(before, t.data()));
    ASSERT_FALSE(t.app().message_lines().empty());
    EXPECT_EQ(t.app().message_lines().back(), "Unmatch opposite vertices value.");

    // A vertex exactly on the plane is a target: with one positive vertex
    // the counts then match.
    test_scene u(points({{1, 0, 0}, {0, 0, 0}}));
    Polygon_class p2(&u.shape());
    select(u.mesh(), {0, 1});
    s.margin = 2.0f;
    EXPECT_FALSE(s.symmetrize_active_vertices(&u.scene(), p2, false));
    EXPECT_EQ(u.mesh().vertex(1).get_position(), vec3(-1, 0, 0));
}

TEST(symmetry_class, symmetrize_takes_the_nearest_free_target_within_the_margin) {
    // Sources 0 (x 1) and 1 (x 3); targets 2 (x -1.05), 3 (x -3.3).
    const mesh_lists m = points({{1, 0, 0}, {3, 0, 0}, {-1.05f, 0, 0}, {-3.3f, 0, 0}});
    {
        test_scene t(m);
        Polygon_class polygon(&t.shape());
        Symmetry_class s;  // margin 0.1: the far target stays
        select(t.mesh(), {0, 1, 2, 3});
        EXPECT_FALSE(s.symmetrize_active_vertices(&t.scene(), polygon, false));
        EXPECT_EQ(t.mesh().vertex(2).get_position(), vec3(-1, 0, 0));
        EXPECT_EQ(t.mesh().vertex(3).get_position(), vec3(-3.3f, 0, 0));
    }
    {
        test_scene t(m);
        Polygon_class polygon(&t.shape());
        Symmetry_class s;
        select(t.mesh(), {0, 1, 2, 3});
        EXPECT_FALSE(s.symmetrize_active_vertices(&t.scene(), polygon, true));
        EXPECT_EQ(t.mesh().vertex(2).get_position(), vec3(-1, 0, 0));
        EXPECT_EQ(t.mesh().vertex(3).get_position(), vec3(-3, 0, 0));
    }
    {
        // The first source takes the nearest target even when a later source
        // is nearer to it; the later one then takes what is left.
        test_scene t(points({{1, 0, 0}, {1.2f, 0, 0}, {-1.15f, 0, 0}, {-5, 0, 0}}));
        Polygon_class polygon(&t.shape());
        Symmetry_class s;
        select(t.mesh(), {0, 1, 2, 3});
        EXPECT_FALSE(s.symmetrize_active_vertices(&t.scene(), polygon, true));
        EXPECT_EQ(t.mesh().vertex(2).get_position(), vec3(-1, 0, 0));
        EXPECT_EQ(t.mesh().vertex(3).get_position(), vec3(-1.2f, 0, 0));
    }
}

TEST(symmetry_class, symmetrize_with_average_base_side_uses_the_lower_side_as_source) {
    test_scene t(points({{1.05f, 0, 0}, {-1, 0, 0}}));
    Polygon_class polygon(&t.shape());
    Symmetry_class s;
    s.base_side = 2;
    select(t.mesh(), {0, 1});
    EXPECT_FALSE(s.symmetrize_active_vertices(&t.scene(), polygon, false));
    EXPECT_EQ(t.mesh().vertex(0).get_position(), vec3(1, 0, 0));
    EXPECT_EQ(t.mesh().vertex(1).get_position(), vec3(-1, 0, 0));
}

}  // namespace
