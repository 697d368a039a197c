// Mirroring the UV sets of paired faces: source sides, the centre band of
// on-plane corners, both planes' UV coordinates, faces that are their own
// partner, and the reversed copy for a new mirror face.
#include <gtest/gtest.h>

#include <vector>

#include "host/mesh_shape.h"
#include "mesh/polygon_class.h"
#include "symmetry/twinel_class.h"
#include "tests/common/mesh_builder.h"

namespace {

using twinel_test::mesh_lists;
using twinel_test::test_scene;

// A point whose plane coordinate is `a` and whose next coordinate is `b`.
vec3 point(int plane, float a, float b) {
    vec3 p;
    p[plane] = a;
    p[(plane + 1) % 3] = b;
    return p;
}

// Two quads meeting at the plane along the on-plane vertices 0 and 5:
// A = 0 1 2 5 on the positive side, B = 0 5 4 3 its mirror. Every corner's
// UVs start at (0.5, 0.5).
mesh_lists two_quads(int plane) {
    mesh_lists m;
    m.positions = {point(plane, 0, 0),  point(plane, 1, 0),  point(plane, 1, 1),
                   point(plane, -1, 0), point(plane, -1, 1), point(plane, 0, 1)};
    m.faces = {{0, 1, 2, 5}, {0, 5, 4, 3}};
    m.uvs.assign(2, std::vector<vec2>(4, vec2(0.5f, 0.5f)));
    return m;
}

struct uv_pairing {
    uv_pairing(const mesh_lists& m, const Symmetry_class& s) : t(m), polygon(&t.shape()), twinel(polygon, s) {
        EXPECT_EQ(twinel.make_vertices_link(), nullptr);
        EXPECT_EQ(twinel.make_faces_link(), nullptr);
        EXPECT_EQ(twinel.face_table.unmatched, 0);
    }
    // The corner of face f at vertex v: its parameter UV (or distance UV).
    vec2& uv(int f, int v, bool parameter = true) {
        host::mesh_data& d = t.shape().edit_data();
        int k = 0;
        while (d.corner(f, k) != v) ++k;
        auto& set = parameter ? d.corner_puv : d.corner_duv;
        return set[static_cast<std::size_t>(d.face_start[static_cast<std::size_t>(f)] + k)];
    }
    test_scene t;
    Polygon_class polygon;
    twinel_class twinel;
};

Symmetry_class settings(int plane, int base_side = 0) {
    Symmetry_class s;
    s.verbose = false;
    s.plane = static_cast<std::int8_t>(plane);
    s.base_side = static_cast<std::uint8_t>(base_side);
    s.puv_center = 0.5f;
    s.puv_margin = 0.25f;
    s.duv_center = 1.0f;
    s.duv_margin = 0.0f;
    return s;
}

TEST(symmetric_uv, source_corners_are_mirrored_about_each_sets_centre_on_the_planes_coordinate) {
    for (const int plane : {0, 1}) {
        uv_pairing p(two_quads(plane), settings(plane));
        p.uv(0, 1) = vec2(0.25f, 0.75f);         // vertex 1, positive side
        p.uv(0, 1, false) = vec2(0.25f, 0.75f);
        p.uv(1, 4) = vec2(0.125f, 0.125f);       // vertex 4 takes the mirror of vertex 2
        p.twinel.adjust_uv();
        const vec2 mirrored = plane == 0 ? vec2(0.75f, 0.75f) : vec2(0.25f, 0.25f);
        EXPECT_EQ(p.uv(1, 3), mirrored) << plane;
        EXPECT_EQ(p.uv(1, 3, false), plane == 0 ? vec2(1.75f, 0.75f) : vec2(0.25f, 1.25f)) << plane;
        EXPECT_EQ(p.uv(1, 4), vec2(0.5f, 0.5f)) << plane;
        EXPECT_EQ(p.uv(0, 1), vec2(0.25f, 0.75f)) << "the source is not written";
    }
}

TEST(symmetric_uv, on_plane_corners_inside_the_band_go_to_the_centre_and_the_band_edge_is_outside) {
    for (const int base_side : {0, 2}) {
        uv_pairing p(two_quads(0), settings(0, base_side));
        p.uv(0, 0) = vec2(0.625f, 0.1f);  // inside the band 0.5 +- 0.25
        p.uv(0, 5) = vec2(0.75f, 0.2f);   // exactly at its edge
        p.uv(1, 5) = vec2(0.375f, 0.3f);
        p.uv(1, 3) = vec2(0.125f, 0.4f);  // negative side
        p.twinel.adjust_uv();
        EXPECT_EQ(p.uv(0, 0), vec2(0.5f, 0.1f));
        EXPECT_EQ(p.uv(1, 0), vec2(0.5f, 0.5f));
        if (base_side == 0) {
            EXPECT_EQ(p.uv(1, 5), vec2(0.25f, 0.2f));  // the upper half is the source
            EXPECT_EQ(p.uv(1, 3), vec2(0.5f, 0.5f));   // mirrored from vertex 1
        } else {
            EXPECT_EQ(p.uv(0, 5), vec2(0.625f, 0.3f));  // average: the lower half is the source
            EXPECT_EQ(p.uv(0, 1), vec2(0.875f, 0.4f));  // and the negative side
        }
    }
}

TEST(symmetric_uv, a_face_that_is_its_own_partner_mirrors_within_itself) {
    // A triangle across the plane: c on it, a and its mirror a'.
    mesh_lists m;
    m.positions = {{0, 1, 0}, {1, 0, 0}, {-1, 0, 0}};
    m.faces = {{0, 1, 2}};
    m.uvs = {{vec2(0.25f, 0.9f), vec2(0.125f, 0.2f), vec2(0.0f, 0.0f)}};
    uv_pairing p(m, settings(0));
    ASSERT_TRUE(p.twinel.face_table.is_self(0));
    p.twinel.adjust_uv();
    EXPECT_EQ(p.uv(0, 0), vec2(0.5f, 0.9f));
    EXPECT_EQ(p.uv(0, 0, false), vec2(0.25f, 0.9f)) << "no centring of the distance UV here";
    EXPECT_EQ(p.uv(0, 2), vec2(0.875f, 0.2f));
    EXPECT_EQ(p.uv(0, 2, false), vec2(1.875f, 0.2f));
}

TEST(symmetric_uv, selected_faces_give_the_same_result_once_or_twice_and_edge_mode_selects_nothing) {
    uv_pairing all(two_quads(0), settings(0));
    uv_pairing selected(two_quads(0), settings(0));
    for (uv_pairing* p : {&all, &selected}) p->uv(0, 1) = vec2(0.25f, 0.75f);
    all.twinel.sym_uvs(true);
    all.t.mesh().face(0).set_active(true);
    selected.t.mesh().face(0).set_active(true);
    selected.t.mesh().face(1).set_active(true);
    selected.twinel.sym_uvs(false);
    EXPECT_EQ(selected.t.data().corner_puv, all.t.data().corner_puv);
    EXPECT_EQ(selected.t.data().distance_uvs(), all.t.data().distance_uvs());

    uv_pairing edges(two_quads(0), settings(0));
    edges.twinel.verbose = true;
    edges.t.scene().set_selection_mode(kx::sdk::edge_selection);
    edges.uv(0, 1) = vec2(0.25f, 0.75f);
    edges.twinel.adjust_active_uv();
    EXPECT_EQ(edges.uv(1, 3), vec2(0.5f, 0.5f));
    EXPECT_EQ(edges.t.app().message_lines().back(), "Set mode to vertex or face selection mode");
}

TEST(symmetric_uv, a_new_mirror_face_takes_the_uvs_in_reverse_order) {
    const Symmetry_class s = settings(0);
    const std::vector<vec2> source{{0.0f, 0.1f}, {0.25f, 0.2f}, {0.375f, 0.3f}};
    Array<vec2> target(3);
    EXPECT_FALSE(s.make_sym_uvs(source, target, 2, true));
    EXPECT_EQ(target[2], vec2(1.0f, 0.1f));
    EXPECT_EQ(target[1], vec2(0.75f, 0.2f));
    EXPECT_EQ(target[0], vec2(0.625f, 0.3f));
    Array<vec2> wrong(2), untouched(3);
    EXPECT_TRUE(s.make_sym_uvs(source, wrong, 1, true));
    EXPECT_TRUE(s.make_sym_uvs(source, untouched, 3, false));
    EXPECT_EQ(untouched[0], vec2());

    // Made by the pairing: the half strip's faces with mirrored UVs.
    Symmetry_class with_uv = settings(0);
    with_uv.do_symUV = true;
    test_scene t(twinel_test::half_mesh());
    Polygon_class polygon(&t.shape());
    twinel_class made(polygon, with_uv, true);
    const host::mesh_data& d = t.data();
    for (int f = 4; f < 8; ++f)
        for (int k = 0; k < 4; ++k) {
            const int v = d.corner(f, k);
            // u = (x + 2) / 4 on the source side, mirrored about 0.5.
            EXPECT_EQ(d.corner_puv[static_cast<std::size_t>(d.face_start[static_cast<std::size_t>(f)] + k)].x,
                      (d.positions[static_cast<std::size_t>(v)].x + 2.0f) / 4.0f)
                << f << " " << k;
        }
}

}  // namespace
