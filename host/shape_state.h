// Everything about one shape that an undo step saves and restores.
//
// A shape keeps all of its editable data in one shape_state value, so that a
// snapshot is a plain copy and undo or redo is a plain assignment. Fields a
// kind of shape does not use stay empty.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "frame/sdk/math.h"
#include "frame/sdk/uuid.h"
#include "host/mesh_data.h"

namespace host {

class shape;

// One control point of a line: a position, two handle pairs, two flags and
// a skin.
struct control_point_data {
    vec3 position;
    vec3 first_handle;
    vec3 second_handle;
    vec3 third_handle;
    vec3 fourth_handle;
    bool first_flag = false;
    bool second_flag = false;
    skin_data skin;
};

// An attribute of a shape: its kind and the bytes a plug-in keeps with it.
// The bytes are shared by the states an undo history saves and never
// changed in place, so saving a state copies no more than a pointer.
struct attribute_value {
    kx::uuid_class kind;
    std::shared_ptr<const std::string> data;
};

struct shape_state {
    std::string name;
    // Placement in the parent's coordinates, row-vector form.
    mat4 local;
    // Tree links; both null/empty while the shape is outside the scene.
    shape* parent = nullptr;
    std::vector<shape*> children;
    skin_data skin;
    // Attributes by key.
    std::map<kx::uuid_class, attribute_value> attributes;

    // Polygon meshes.
    mesh_data mesh;
    // Lines.
    std::vector<control_point_data> points;
    bool closed = false;
    // Parts: the link of a link part, and the lines a surface part keeps
    // aside while its line directions are exchanged.
    shape* link = nullptr;
    std::vector<shape*> parked_lines;
    bool directions_exchanged = false;
    // Primitives: the first point and the second point or vector.
    vec3 primitive_points[2];
};

}  // namespace host
