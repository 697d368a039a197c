// Making a pairing: the constructor's roads (pairing the mesh as it is, or
// building the mirrored half), its failures, the registry helpers, and the
// whole road on generated tori.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <utility>

#include "frame/globals.h"
#include "frame/identifiers.h"
#include "host/mesh_algorithms.h"
#include "host/mesh_generator.h"
#include "mesh/polygon_class.h"
#include "symmetry/pairing_registry.h"
#include "symmetry/twinel_class.h"
#include "tests/common/mesh_builder.h"
#include "tests/symmetry/pairing_fixture.h"

namespace {

using twinel_test::mesh_lists;
using twinel_test::quiet_settings;
using twinel_test::test_scene;

// Empties the registry before the scene its pairings refer to goes away;
// declare it after the scene.
struct registry_guard {
    ~registry_guard() {
        SymS.clear();
        CSym = nullptr;
    }
};

std::vector<int> selected_vertices(test_scene& t) {
    std::vector<int> out;
    for (int v = 0; v < t.mesh().get_number_of_vertices(); ++v)
        if (t.mesh().vertex(v).get_active()) out.push_back(v);
    return out;
}

// One on-plane vertex, one pair, and `lonely` vertices far from any mirror.
mesh_lists ten_vertices(int lonely) {
    mesh_lists m;
    m.positions = {{1, 1, 0}, {-1, 1, 0}};
    if (lonely == 7) m.positions.emplace_back(0, 0, 0);
    for (int k = 0; k < lonely; ++k) m.positions.emplace_back(k % 2 ? 2.0f : -3.0f, 5.0f + 2.0f * k, 0.0f);
    return m;
}

TEST(twinel_lifecycle, more_than_seventy_percent_unpaired_fails_and_registers_nothing) {
    for (const int lonely : {7, 8}) {
        test_scene t(ten_vertices(lonely));
        registry_guard guard;
        Polygon_class polygon(&t.shape());
        twinel_class* made = nullptr;
        const char* r = make_pairing(polygon, quiet_settings(), false, &made);
        std::vector<int> expected;
        for (int v = lonely == 7 ? 3 : 2; v < 10; ++v) expected.push_back(v);
        EXPECT_EQ(selected_vertices(t), expected) << lonely;  // selected either way
        if (lonely == 8) {
            ASSERT_NE(r, nullptr);
            EXPECT_STREQ(r, "To many unmatch vertices");
            EXPECT_EQ(made, nullptr);
            EXPECT_EQ(SymS.size(), 0);
            EXPECT_FALSE(t.shape().find_attribute(twinel_uuid));
        } else {
            EXPECT_EQ(r, nullptr);
            ASSERT_NE(made, nullptr);
            EXPECT_EQ(SymS.get_extend_object(&t.shape()), made);
            EXPECT_EQ(made->vertex_table.unmatched, 7);
            EXPECT_TRUE(t.shape().find_attribute(twinel_uuid));
        }
    }
}

TEST(twinel_lifecycle, make_twinel_builds_the_mirrored_half_and_refuses_what_it_cannot_mirror) {
    {
        mesh_lists m = twinel_test::half_mesh();
        m.positions[0].x = 0.03f;  // within margin / 2 of the plane
        test_scene t(m);
        registry_guard guard;
        Polygon_class polygon(&t.shape());
        twinel_class* made = nullptr;
        ASSERT_EQ(make_pairing(polygon, quiet_settings(), true, &made), nullptr);
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(t.mesh().get_number_of_vertices(), 15);
        EXPECT_EQ(t.mesh().get_number_of_faces(), 8);
        EXPECT_EQ(t.mesh().get_number_of_edges(), 22);  // rebuilt: 4 x 3 + 5 x 2
        EXPECT_EQ(made->edge_count, 22);
        EXPECT_EQ(made->vertex_table.unmatched + made->face_table.unmatched, 0);
        EXPECT_EQ(t.data().positions[0].x, 0.0f);
        for (int f = 0; f < 8; ++f) {
            Array<int> corners(4), mirror(4);
            t.mesh().face(f).get_vertex_indices(corners.data());
            made->vertex_table.get_reverse_array(corners, mirror);
            EXPECT_TRUE(made->is_same_vertex_indices(made->face_table.partner(f), mirror)) << f;
        }
        EXPECT_FALSE(made->is_modified());
        // Asking again keeps the pairing and changes nothing.
        twinel_class* again = nullptr;
        EXPECT_EQ(make_pairing(polygon, quiet_settings(), true, &again), nullptr);
        EXPECT_EQ(again, made);
        EXPECT_EQ(t.mesh().get_number_of_vertices(), 15);
        EXPECT_TRUE(t.shape().find_attribute(twinel_uuid));
    }
    {
        mesh_lists m = twinel_test::half_mesh();
        m.positions.emplace_back(-0.1f, 3, 0);  // vertex 9 at -margin: on the wrong side
        test_scene t(m);
        registry_guard guard;
        Polygon_class polygon(&t.shape());
        EXPECT_STREQ(make_pairing(polygon, quiet_settings(), true, nullptr), "Faces overlapped to symmetry plane.");
        EXPECT_EQ(selected_vertices(t), std::vector<int>{9});
        EXPECT_EQ(t.mesh().get_number_of_vertices(), 10);
        EXPECT_EQ(SymS.size(), 0);
        Symmetry_class average = quiet_settings();
        average.base_side = 2;
        EXPECT_STREQ(make_pairing(polygon, average, true, nullptr), "Can't make Twinel at base side is average.");
        EXPECT_EQ(t.mesh().get_number_of_faces(), 4);
        EXPECT_FALSE(t.shape().find_attribute(twinel_uuid));
    }
}

TEST(twinel_lifecycle, releasing_a_pairing_clears_csym_and_parts_release_what_lies_below_them) {
    test_scene t;
    registry_guard guard;
    host::part& group = t.scene().add_part("group");
    host::part& surface = t.scene().add_part("surface", kx::sdk::surface_part);
    host::mesh_shape& inside = t.scene().add_mesh("inside", twinel_test::make_mesh_data(twinel_test::symmetric_mesh()), &group);
    host::mesh_shape& kept = t.scene().add_mesh("kept", twinel_test::make_mesh_data(twinel_test::symmetric_mesh()), &surface);
    Polygon_class p_inside(&inside), p_kept(&kept);
    twinel_class* a = nullptr;
    ASSERT_EQ(make_pairing(p_inside, quiet_settings(), false, &a), nullptr);
    ASSERT_EQ(make_pairing(p_kept, quiet_settings(), false, nullptr), nullptr);
    CSym = a;
    delete_twinel_object(group);
    EXPECT_EQ(SymS.get_extend_object(&inside), nullptr);
    EXPECT_EQ(CSym, nullptr);
    EXPECT_FALSE(inside.find_attribute(twinel_uuid));
    delete_twinel_object(surface);  // a surface part keeps its children's pairings
    EXPECT_NE(SymS.get_extend_object(&kept), nullptr);
    delete_twinel_object(kept);
    EXPECT_EQ(SymS.size(), 0);
}

// ---- generated tori ------------------------------------------------------------

host::torus_options torus(float jitter) {
    host::torus_options o;
    o.target_vertices = 2000;
    o.major_radius = 4.0f;
    o.minor_radius = 1.6f;
    o.jitter = jitter;
    return o;
}

bool same_bits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(twinel_lifecycle, pairing_a_jittered_torus_leaves_it_exactly_symmetric_in_its_own_order) {
    test_scene t;
    registry_guard guard;
    host::mesh_shape& shape = t.scene().add_mesh("torus", host::make_torus(torus(0.004f)));
    const host::mesh_data before = shape.data();
    Polygon_class polygon(&shape);
    Symmetry_class s = quiet_settings();
    s.margin = 0.02f;
    twinel_class* made = nullptr;
    ASSERT_EQ(make_pairing(polygon, s, false, &made), nullptr);
    const host::mesh_data& after = shape.data();
    EXPECT_EQ(made->vertex_table.unmatched, 0);
    EXPECT_EQ(made->face_table.unmatched, 0);
    EXPECT_EQ(after.corner_vertex, before.corner_vertex);
    EXPECT_EQ(after.face_start, before.face_start);
    for (int v = 0; v < after.vertex_count(); ++v) {
        const vec3& p = after.positions[static_cast<std::size_t>(v)];
        const int w = made->vertex_table.partner(v);
        if (w == v) {
            EXPECT_EQ(p.x, 0.0f) << v;
            continue;
        }
        const vec3& q = after.positions[static_cast<std::size_t>(w)];
        EXPECT_TRUE(same_bits(p.x, -q.x) && same_bits(p.y, q.y) && same_bits(p.z, q.z)) << v << " and " << w;
        if (before.positions[static_cast<std::size_t>(v)].x > 0.0f) {
            EXPECT_EQ(p, before.positions[static_cast<std::size_t>(v)]) << "the base side stays where it was";
        }
    }
}

TEST(twinel_lifecycle, make_twinel_closes_the_half_torus_with_consistent_winding) {
    test_scene t;
    registry_guard guard;
    host::mesh_shape& shape = t.scene().add_mesh("half", host::make_half_torus(torus(0.0f)));
    const int half_faces = shape.data().face_count();
    Polygon_class polygon(&shape);
    twinel_class* made = nullptr;
    ASSERT_EQ(make_pairing(polygon, quiet_settings(), true, &made), nullptr);
    const host::mesh_data& d = shape.data();
    EXPECT_EQ(d.face_count(), 2 * half_faces);
    EXPECT_EQ(made->vertex_table.unmatched + made->face_table.unmatched, 0);
    // Every side is shared by exactly two faces, and there is one edge per side.
    std::map<std::pair<int, int>, int> uses;
    for (int f = 0; f < d.face_count(); ++f)
        for (int k = 0; k < d.face_size[static_cast<std::size_t>(f)]; ++k) {
            const int a = d.corner(f, k), b = d.corner(f, (k + 1) % d.face_size[static_cast<std::size_t>(f)]);
            ++uses[{std::min(a, b), std::max(a, b)}];
        }
    for (const auto& [side, count] : uses) EXPECT_EQ(count, 2) << side.first << "-" << side.second;
    EXPECT_EQ(d.edge_count(), static_cast<int>(uses.size()));
    EXPECT_TRUE(host::check_face_directions(d));
}

}  // namespace
