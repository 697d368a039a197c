// What a mesh's file carried, given to the elements a pairing made or moved.
#pragma once

#include <vector>

#include "host/mesh_data.h"

namespace host {

// After a pairing made the mesh exactly symmetric across the plane through
// the origin normal to `axis` (0: x, 1: y, 2: z), in the mesh's own
// coordinates: each face from `first_new_face` on takes the style (material,
// smoothing) and the mirrored normals of its mirror face, each vertex from
// `first_new_vertex` on the colour and w of its mirror vertex, and each
// corner of an older face at a vertex that moved (its position differs from
// `positions_before`) the mirrored normal of the matching corner of the
// mirror face, where that face has normals. Partners are found by exact
// mirrored positions; an element without one keeps what it has. Does
// nothing for a mesh whose file gave no normals, colours or styles.
void inherit_mirror_attributes(mesh_data& m, int axis, int first_new_vertex, int first_new_face,
                               const std::vector<vec3>& positions_before);

}  // namespace host
