// Direct edits of a polygon mesh's two UV sets, the distance UV and the
// parameter UV: the corner record the edits collect at selected vertices.
// The edits themselves are Polygon_class members (declared there, defined
// in uv_editing.cpp).
#pragma once

#include "frame/sdk/math.h"

// The record lives in a namespace of its own because mesh/face_class.h
// already names its UV-set bits `face_uv` at global scope.
namespace uv_editing {

// One corner of one face, as collected at a selected vertex.
struct face_uv {
    int vertex = -1;  // mesh vertex index of the corner
    int face = -1;    // face index
    int corner = -1;  // position of the vertex in the face (and of its UV in each set)
    vec2 uv;          // the corner's UV in the chosen set
    int group = -1;   // unite group; -1 while not grouped
};

}  // namespace uv_editing
