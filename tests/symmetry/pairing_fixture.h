// Fixtures the symmetry tests share: settings without informational
// messages, and a mesh paired the way "Twinel" pairs it.
#pragma once

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "frame/array.h"
#include "mesh/polygon_class.h"
#include "symmetry/twinel_class.h"
#include "tests/common/mesh_builder.h"

namespace twinel_test {

// The default settings with verbose off.
inline Symmetry_class quiet_settings() {
    Symmetry_class s;
    s.verbose = false;
    return s;
}

// A mesh of loose vertices (no faces).
inline mesh_lists points(std::vector<vec3> positions) {
    mesh_lists m;
    m.positions = std::move(positions);
    return m;
}

// A mesh (by default the symmetric strip: 15 vertices, 8 quads, vertex
// 5y + c at x = c - 2) paired without makeup.
struct paired_mesh {
    explicit paired_mesh(const mesh_lists& lists = symmetric_mesh())
        : t(lists), polygon(&t.shape()), twinel(polygon, quiet_settings(), false) {}

    polygon_mesh_class& mesh() { return t.mesh(); }
    vec3 at(int v) { return mesh().vertex(v).get_position(); }

    // The tables as large as the mesh and every paired face paired with its
    // mirror face; with `complete`, also no vertex or face unpaired.
    ::testing::AssertionResult in_step(bool complete = false) {
        if (twinel.vertex_table.size() != mesh().get_number_of_vertices() ||
            twinel.face_table.size() != mesh().get_number_of_faces())
            return ::testing::AssertionFailure() << "tables out of step with the mesh";
        if (complete && (twinel.vertex_table.unmatched || twinel.face_table.unmatched))
            return ::testing::AssertionFailure() << twinel.vertex_table.unmatched << " vertices and "
                                                 << twinel.face_table.unmatched << " faces unpaired";
        for (int f = 0; f < mesh().get_number_of_faces(); ++f) {
            if (!twinel.face_table.has_pair(f)) continue;
            const int n = mesh().face(f).get_number_of_vertices();
            Array<int> corners(n), mirror(n);
            mesh().face(f).get_vertex_indices(corners.data());
            twinel.vertex_table.get_reverse_array(corners, mirror);
            if (!twinel.is_same_vertex_indices(twinel.face_table.partner(f), mirror))
                return ::testing::AssertionFailure() << "face " << f << " is not paired with its mirror face";
        }
        return ::testing::AssertionSuccess();
    }

    test_scene t;
    Polygon_class polygon;
    twinel_class twinel;
};

}  // namespace twinel_test
