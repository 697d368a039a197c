// Deterministic small scenes for tests, examples and `twinel generate`.
#pragma once

#include <cstdint>
#include <vector>

namespace host {

class scene;
class shape;

struct rig_options {
    int body_vertices = 48;  // about this many vertices in the skinned torus
    // Largest displacement of the line and surface points on the negative
    // side (x < 0); the body's vertices there move by a tenth of it.
    float jitter = 0.02f;
    std::uint32_t seed = 1;
};

// Adds a small rigged scene under the root of `target`, in one undo step,
// and returns its top shapes:
// - "skeleton", a part holding the joints "spine", "l_arm" / "r_arm" (each
//   with "l-hand" / "r-hand" below it) and "left_leg" / "right_leg", the
//   side joints placed by their transforms;
// - "body", a torus around the y axis (nearly symmetric about x = 0, with
//   UVs and a 256 x 128 texture, moved up by its transform) whose vertices
//   with x >= 0 are skinned to the spine and the left joints, those with
//   x < 0 not at all;
// - "outline", an open line of five points with handles across the plane;
// - "sheet", a surface part of three lines of four points across the plane;
// - "marker", a primitive (kind 3) turned, scaled and moved by its transform.
// The line and surface points of the negative side are displaced by up to
// `jitter`, so that line symmetry has work too. The points of "outline" are
// skinned to the spine.
std::vector<shape*> make_rig(scene& target, const rig_options& options);

}  // namespace host
