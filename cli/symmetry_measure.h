// How symmetric a polygon mesh is about one plane, measured by the
// engine's own pairing ("Twinel") on a copy of the mesh, so that the mesh
// itself never changes.
#pragma once

#include <string>
#include <vector>

#include "symmetry/symmetry_class.h"

namespace host {
class mesh_shape;
class scene;
}  // namespace host

namespace cli {

struct symmetry_measure {
    int plane = 0;                                // 0 YZ, 1 ZX, 2 XY
    float margin = 0.0f, on_plane_margin = 0.0f;  // the lengths used
    int vertices = 0, faces = 0;
    int paired = 0;    // vertices with a mirror partner within the margin
    int on_plane = 0;  // vertices within the on-plane margin of the plane (their own partner)
    int unpaired = 0;  // vertices with no partner
    int unpaired_faces = 0;
    // The distance of each vertex with a partner from its partner's
    // mirror, as the mesh was read (an on-plane vertex: from its own
    // mirror), in the pairing's coordinates: the largest and the mean.
    double largest_distance = 0.0, mean_distance = 0.0;
    std::vector<int> unpaired_vertices;  // ascending
    // What "Twinel" would do: empty when it pairs the mesh, else the
    // message (untranslated) it stops with; and the vertices it moves.
    std::string message;
    int moved_vertices = 0;
    double largest_move = 0.0;

    // Whether every vertex and face has a partner and the pairing succeeds.
    bool symmetric() const { return message.empty() && unpaired == 0 && unpaired_faces == 0; }
};

// How many of the first vertices of `before` stand elsewhere in `after`
// (compared bit for bit), and the farthest of those moves.
struct vertex_moves {
    int count = 0;
    double largest = 0.0;
};
vertex_moves moves_between(const std::vector<vec3>& before, const std::vector<vec3>& after);

// The positions of the shape's vertices as the pairing reads them: as
// the mesh holds them, or with settings.use_world in the world (through
// the shape's transform, or a bound vertex's skin matrix).
std::vector<vec3> measured_positions(host::mesh_shape& shape, const Symmetry_class& settings);

// Measures `shape` with `settings` (its plane, margins, base side, adjust
// setting and use_world; verbose should be off): pairs a copy added to
// `scene` beside it, with its transform, and removes the copy again.
// Distances and moves are in the coordinates the pairing uses. `shape` is
// left as it is.
symmetry_measure measure_symmetry(host::scene& scene, const host::mesh_shape& shape, const Symmetry_class& settings);

// Whether `a` is nearer to symmetric than `b`: fewer unpaired vertices,
// then fewer unpaired faces, then a smaller mean distance.
bool more_symmetric(const symmetry_measure& a, const symmetry_measure& b);

}  // namespace cli
