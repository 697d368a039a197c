// UV editing: uniting by distance from each group's first corner,
// separating towards face centroids, whole-set copies and transforms that
// leave faces without UVs alone, and the palette's hand edit of the corners
// at one vertex.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/element_marks.h"
#include "mesh/polygon_class.h"
#include "tests/common/mesh_builder.h"
#include "tests/window/window_fixture.h"
#include "uv/uv_editing.h"

namespace {

using twinel_test::mesh_lists;
using twinel_test::test_scene;

// Four triangles around vertex 0: faces 0 to 2 carry UVs, face 3 none.
// The corners at vertex 0 have distance U 0, 0.06, 0.12 (0, 0.6 r, 1.2 r for
// r = 0.1) and V 0.5; vertex 2's corners (faces 0, 1) have U 0.9 and 1.
// Parameter UVs are the distance UVs plus 10.
struct fan {
    fan() : t(lists()), polygon(&t.shape()) {
        host::mesh_data& d = t.shape().edit_data();
        for (vec2& uv : d.corner_puv) uv += vec2(10.0f, 10.0f);
    }
    static mesh_lists lists() {
        mesh_lists m;
        m.positions = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {-1, 1, 0}};
        m.faces = {{0, 1, 2}, {0, 2, 3}, {0, 3, 4}, {0, 4, 1}};
        m.uvs = {{{0.0f, 0.5f}, {0.5f, 0.0f}, {0.9f, 0.5f}},
                 {{0.06f, 0.5f}, {1.0f, 0.5f}, {0.5f, 1.0f}},
                 {{0.12f, 0.5f}, {0.5f, 1.0f}, {0.0f, 1.0f}},
                 {}};
        return m;
    }
    void select(std::vector<int> vertices) {
        for (int v : vertices) t.mesh().vertex(v).set_active(true);
    }
    // The distance (or parameter) UV of face f's corner k.
    vec2 uv(int f, int k, bool distance = true) {
        const host::mesh_data& d = t.data();
        const auto& set = distance ? d.distance_uvs() : d.corner_puv;
        return set[static_cast<std::size_t>(d.face_start[static_cast<std::size_t>(f)] + k)];
    }
    test_scene t;
    Polygon_class polygon;
};

TEST(uv_editing, corners_are_collected_by_selected_vertex_then_face_skipping_faces_without_uvs) {
    fan f;
    f.select({2, 0});
    std::vector<uv_editing::face_uv> list(1);
    ASSERT_TRUE(f.polygon.get_faces_uv(list, false));
    std::vector<std::vector<int>> got;
    for (const auto& r : list) got.push_back({r.vertex, r.face, r.corner, r.group});
    EXPECT_EQ(got, (std::vector<std::vector<int>>{
                       {0, 0, 0, -1}, {0, 1, 0, -1}, {0, 2, 0, -1}, {2, 0, 2, -1}, {2, 1, 1, -1}}));
    EXPECT_EQ(list[4].uv, vec2(11.0f, 10.5f)) << "the parameter set";
}

TEST(uv_editing, unite_groups_by_distance_from_each_groups_first_corner) {
    {
        fan f;
        f.select({0});
        f.polygon.unify_uv(true, true, 0.1f);
        const float mean = (0.0f + 0.06f) * (1.0f / 2.0f);
        EXPECT_EQ(f.uv(0, 0), vec2(mean, 0.5f));
        EXPECT_EQ(f.uv(1, 0), vec2(mean, 0.5f));
        EXPECT_EQ(f.uv(2, 0), vec2(0.12f, 0.5f)) << "within r of the second corner, not of the first";
        EXPECT_EQ(f.uv(0, 0, false), vec2(10.0f, 10.5f)) << "the other set stays";
        EXPECT_FALSE(f.t.mesh().face(3).has_uv()) << "a face without UVs joins nothing and gains none";
    }
    {
        fan f;
        f.select({0});
        f.polygon.unify_uv(true, true, 0.0f);
        EXPECT_EQ(f.uv(1, 0), vec2(0.06f, 0.5f)) << "radius 0 unites nothing";
    }
    // Vertices 0 and 2 within a wide radius: "Unite every vertex" keeps them
    // apart, "Unite all" gives every corner one mean.
    for (bool all : {false, true}) {
        fan f;
        f.select({0, 2});
        f.polygon.unify_uv(true, all, 10.0f);
        const vec2 sum0 = vec2(0.0f, 0.5f) + vec2(0.06f, 0.5f) + vec2(0.12f, 0.5f);
        const vec2 at0 = all ? (sum0 + vec2(0.9f, 0.5f) + vec2(1.0f, 0.5f)) * (1.0f / 5.0f) : sum0 * (1.0f / 3.0f);
        const vec2 at2 = all ? at0 : (vec2(0.9f, 0.5f) + vec2(1.0f, 0.5f)) * (1.0f / 2.0f);
        EXPECT_EQ(f.uv(2, 0), at0) << all;
        EXPECT_EQ(f.uv(0, 2), at2) << all;
        EXPECT_EQ(f.uv(1, 1), at2) << all;
    }
}

TEST(uv_editing, separate_moves_each_corner_a_quarter_towards_its_faces_centroid) {
    mesh_lists m;
    m.positions = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0, 0}, {2, 1, 0}, {3, 0, 0}};
    m.faces = {{0, 1, 2, 3}, {1, 4, 5, 2}, {4, 6, 5}};
    m.uvs = {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {{1, 0}, {2, 0}, {2, 1}, {1, 1}}, {{2, 0}, {3, 0}, {2, 1}}};
    test_scene t(m);
    Polygon_class polygon(&t.shape());
    t.mesh().vertex(2).set_active(true);
    polygon.separate_uv(1);
    const host::mesh_data& d = t.data();
    const auto at = [&](int f, int k) { return static_cast<std::size_t>(d.face_start[static_cast<std::size_t>(f)] + k); };
    EXPECT_EQ(d.distance_uvs()[at(0, 2)], vec2(0.875f, 0.875f));
    EXPECT_EQ(d.distance_uvs()[at(1, 3)], vec2(1.125f, 0.875f)) << "the shared UV splits into one per face";
    EXPECT_EQ(d.distance_uvs()[at(0, 0)], vec2(0.0f, 0.0f));
    EXPECT_EQ(d.distance_uvs()[at(2, 0)], vec2(2.0f, 0.0f)) << "a face away from the vertex";
    EXPECT_EQ(d.corner_puv[at(0, 2)], vec2(1.0f, 1.0f)) << "the parameter set";
}

TEST(uv_editing, copy_translate_and_scale_change_whole_sets_of_faces_with_uvs) {
    fan f;
    f.polygon.copy_uv(true);
    EXPECT_EQ(f.uv(1, 1, false), vec2(1.0f, 0.5f));
    f.polygon.change_uv_by_value(1, vec2(0.5f, 0.0f), true);
    f.polygon.change_uv_by_value(1, vec2(2.0f, 1.0f), false);
    EXPECT_EQ(f.uv(1, 1, false), vec2(3.0f, 0.5f));
    EXPECT_EQ(f.uv(1, 1), vec2(1.0f, 0.5f)) << "target 1 is the parameter set only";
    f.polygon.copy_uv(false);
    EXPECT_EQ(f.uv(2, 2), vec2(1.0f, 1.0f));
    EXPECT_FALSE(f.t.mesh().face(3).has_uv());
}

// The hand edit through the palette (its writes are read back in the
// session script uv_tools): "UV edit" offers the faces at the one selected
// vertex, a choice marks its face and shows its UV, and a vertex in no face
// leaves nothing of the earlier corners on offer.
TEST(uv_editing, the_hand_edit_offers_the_faces_at_one_vertex_and_forgets_them_when_none_is_found) {
    mesh_lists lists = twinel_test::symmetric_mesh();
    lists.positions.emplace_back(5.0f, 5.0f, 5.0f);  // vertex 15, in no face
    twinel_test::window_fixture w(lists);
    host::palette& p = w.palette();
    w.edit_vertices();
    p.refresh();

    w.select_vertices({7});
    p.press("move-uv");
    EXPECT_EQ(p.control("uv-index").items, (std::vector<std::string>{"Lump edit", "1", "2", "5", "6"}));
    p.set_value("uv-index", 2);
    EXPECT_EQ(w.app().marks().marks(w.shape(), 4), (std::vector<std::int32_t>{2}));
    EXPECT_EQ(p.control("u-v-value").value, 0.5f);
    EXPECT_TRUE(p.control("do-move-uv").enabled);

    w.select_vertices({15});
    p.press("move-uv");
    EXPECT_TRUE(p.control("uv-index").items.empty());
    EXPECT_FALSE(p.control("uv-index").enabled);
    EXPECT_FALSE(p.control("do-move-uv").enabled);
}

}  // namespace
