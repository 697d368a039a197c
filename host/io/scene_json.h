// Scene files: shapes of a scene, with their subtrees, as JSON text.
//
// The format is described in the README ("Scene files") and by
// host/io/scene.schema.json. Shapes are listed depth first, each naming its
// parent by its index in the list; skins name their joints and link parts
// their targets the same way. Reading is all or nothing: the whole file is
// parsed and checked into a scene_document before any shape is made.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "frame/sdk/math.h"
#include "host/mesh_data.h"
#include "host/io/file_error.h"  // host::file_error
#include "host/shape_state.h"

namespace host {

class scene;
class shape;

// A skin as read: the bindings' joints stay null in `skin`; `joints` holds,
// per binding, the index of the joint in scene_document::shapes (-1: none).
struct skin_record {
    skin_data skin;
    std::vector<std::int32_t> joints;
};

// One shape of a scene file, checked, not yet made. Fields a kind does not
// use stay empty.
struct shape_record {
    std::string name;
    int kind = 2;     // the host's shape kind: 2 part, 4 line, 7 polygon mesh, others primitives
    int parent = -1;  // index of an earlier record; -1 at the top
    mat4 transform;
    skin_record skin;
    // Surface attributes: whether the shape has any, and per mapping layer
    // the size of its image (0 x 0: a layer without one).
    bool has_surface = false;
    std::vector<std::pair<int, int>> layers;
    // Parts.
    int part_type = 0;
    int link = -1;
    // Polygon meshes: the mesh with null joints, and the joints of each of
    // mesh.skins as indices.
    mesh_data mesh;
    std::vector<std::vector<std::int32_t>> mesh_joints;
    // Lines: the points with null joints, and each point's joints.
    std::vector<control_point_data> points;
    std::vector<std::vector<std::int32_t>> point_joints;
    bool closed = false;
    // Primitives.
    vec3 primitive_points[2];
};

struct scene_document {
    std::vector<shape_record> shapes;
};

// Parses and checks a scene file's text. Throws host::file_error naming
// `name` and the JSON path of what is wrong ("FILE: /shapes/2/mesh/faces/7:
// vertex index 12 is out of range (10 vertices)"), with the line for a
// syntax error ("FILE:LINE: PATH: ...").
scene_document parse_scene_json(const std::string& text, const std::string& name);

// Makes the document's shapes in `target`, the top ones appended to the
// root in file order, in one undo step, and announces them as created.
// Returns the top shapes.
std::vector<shape*> insert_scene_document(scene& target, scene_document document);

// Reads the scene file at `path` ("-": standard input) into `target`:
// parse_scene_json, then insert_scene_document. Throws host::file_error;
// nothing is added then.
std::vector<shape*> read_scene_json(scene& target, const std::string& path);

// The scene file of `shapes` and their subtrees (a shape below another
// listed one, or listed twice, is written once, in its place). Every shape
// a skin binds to and every link target must be among them. Throws
// host::file_error naming `name`: a joint or link target outside the
// written shapes, a name that is not valid UTF-8.
std::string scene_json_text(const std::vector<const shape*>& shapes, const std::string& name);

// Writes scene_json_text to `path` through host::output_file (all or
// nothing; "-" is standard output). Throws host::file_error.
void write_scene_json(const std::string& path, const std::vector<const shape*>& shapes);

}  // namespace host
