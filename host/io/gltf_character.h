// The example character: a small skinned glTF scene made deterministically.
#pragma once

#include <cstdint>
#include <string>

namespace host {

struct character_options {
    int body_vertices = 48;  // about this many host vertices in the body
    // Largest displacement of each coordinate of the body's vertices with
    // x < 0, so that pairing has work to do.
    float jitter = 0.002f;
    std::uint32_t seed = 1;
};

// Writes the character to `path` (binary glTF for .glb, else JSON text),
// all or nothing: a "skeleton" node with the joints "spine", "l_arm" /
// "r_arm" and "l_leg" / "r_leg" (placed by translations, the arms turned a
// little about z), and "body", a torus around the y axis, symmetric about
// x = 0 but for the jitter on its x < 0 side, cut into triangles that
// mirror each other, with normals, a parameter UV set (TEXCOORD_0) and a distance
// UV set (TEXCOORD_1) whose seams split vertices, vertex colours, two
// primitives (the upper and the lower half, each with its material) and a
// skin: the x >= 0 side blends the spine with the left joints, the other
// side is bound to the spine alone, waiting for "Symmerize Skin". One
// animation turns "l_arm". Returns the number of host vertices of the body.
// Throws host::file_error.
int write_character(const std::string& path, const character_options& options);

}  // namespace host
