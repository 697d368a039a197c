// Small meshes and a ready host for tests.
//
//   twinel_test::test_scene t(twinel_test::unit_cube());
//   polygon_mesh_class& m = t.mesh();          // the active shape's mesh
//   t.scene().undo();                          // the host behind it
//
// Every builder is deterministic; no randomness outside an explicit seed.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "frame/sdk/math.h"
#include "frame/sdk/polygon_mesh.h"
#include "host/application.h"
#include "host/mesh_data.h"
#include "host/mesh_shape.h"
#include "host/part.h"
#include "host/scene.h"

namespace twinel_test {

// A mesh as lists: positions, faces as vertex index lists, and optionally
// one UV per corner, face by face (empty: no UVs; both UV sets get them).
struct mesh_lists {
    std::vector<vec3> positions;
    std::vector<std::vector<int>> faces;
    std::vector<std::vector<vec2>> uvs;
};

// The arrays of the mesh, with edges rebuilt from the faces.
host::mesh_data make_mesh_data(const mesh_lists& lists);

// The cube [-0.5, 0.5]^3: 8 vertices, 6 outward quads, no UVs.
mesh_lists unit_cube();
// A curved 4 x 2 quad strip symmetric across x = 0: columns at x = -2..2
// (so 3 vertices on the plane), rows at y = 0..2, z = x^2 / 4 + y / 10;
// 15 vertices, 8 quads, UVs u = (x + 2) / 4, v = y / 2.
mesh_lists symmetric_mesh();
// The x >= 0 half of symmetric_mesh: 9 vertices (plane column included),
// 4 quads, same UVs.
mesh_lists half_mesh();
// A copy whose vertices with x < 0 (all vertices when negative_only is
// false) move by up to `amplitude` on each axis, from a fixed generator.
mesh_lists jittered(const mesh_lists& lists, float amplitude, unsigned seed = 1, bool negative_only = true);

// Whether two meshes hold exactly the same arrays (floats compared bit for
// bit, corner slots as stored).
bool identical(const host::mesh_data& a, const host::mesh_data& b);

// Adds a mesh shape under the scene's root.
host::mesh_shape& add_mesh(host::scene& scene, const mesh_lists& lists, const std::string& name = "mesh");

// An application with one scene; with lists, one mesh shape in it, made
// the active shape. The scene starts without undo history.
class test_scene {
public:
    explicit test_scene(host::language lang = host::language::english);
    explicit test_scene(const mesh_lists& lists, const std::string& name = "mesh");

    host::application& app() { return *app_; }
    host::scene& scene() { return *scene_; }
    // The mesh shape (std::logic_error when made without lists).
    host::mesh_shape& shape();
    polygon_mesh_class& mesh() { return shape().polygon(); }
    const host::mesh_data& data() { return shape().data(); }

private:
    std::unique_ptr<host::application> app_;
    host::scene* scene_;
    host::mesh_shape* shape_ = nullptr;
};

}  // namespace twinel_test
