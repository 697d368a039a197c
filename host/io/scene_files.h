// Mesh and scene files in and out of a scene.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/io/obj_format.h"

namespace host {

class scene;
class shape;
class mesh_shape;

class line_shape;

// What a reader or writer could not keep, one line per kind.
using file_warnings = std::vector<std::string>;

// Reads an OBJ file and adds one polygon-mesh shape per object under the
// root, named after the object, in file order, then one line shape per `l`
// line; one undo step. Returns the new meshes. Throws host::file_error
// (nothing is added then).
std::vector<mesh_shape*> import_obj(scene& target, const std::string& path, file_warnings* warnings = nullptr);

// Writes the meshes as objects named after their shapes, then the lines'
// control points as polylines, in local coordinates, with the chosen UV
// set. Throws host::file_error.
void export_obj(const std::vector<const mesh_shape*>& shapes, const std::string& path,
                obj_uv_set uv_set = obj_uv_set::parameter, const std::vector<const line_shape*>& lines = {},
                file_warnings* warnings = nullptr);

// The file formats: Wavefront OBJ (polygon meshes and polylines), the
// scene file (JSON, every shape; see scene_json.h) and glTF (.gltf or
// .glb; see gltf_reader.h and gltf_writer.h).
enum class file_format { obj, scene, gltf };

// The format a path names by its extension, in any case: ".obj", ".json",
// ".gltf" or ".glb". Nothing for a path without an extension ("-", a device, a FIFO
// such as /dev/fd/63). Throws host::file_error naming the path for any
// other extension.
std::optional<file_format> format_of_path(const std::string& path);

// The format of a file's text when its name does not tell: glTF when it
// starts as a .glb does, or is a JSON object with an "asset" that is not a
// Twinel scene; a scene file when the first byte that is not white space
// is '{'; else OBJ.
file_format format_of_text(const std::string& text);

// Reads a mesh or scene file into `target`, chosen by the extension (or,
// without one, by the content); one undo step. Returns the new shapes at
// the top (for OBJ, the meshes). When `found` is given it receives the
// format read. Throws host::file_error (nothing is added then), also for
// an unknown extension.
// What the file held that the scene cannot keep goes to `warnings`.
std::vector<shape*> import_file(scene& target, const std::string& path, file_format* found = nullptr,
                                file_warnings* warnings = nullptr);

// Writes `shapes` in the format of the path's extension: a scene file
// holds them with their subtrees (the root's children give the whole
// scene, and so does the root itself); an OBJ file the polygon meshes among
// them and in their subtrees, depth first, with the chosen UV set; a glTF
// file (binary for .glb) the whole scene's document (write_gltf). Throws host::file_error, also for an
// unknown extension or a path without one.
void export_file(scene& source, const std::vector<const shape*>& shapes, const std::string& path,
                 obj_uv_set uv_set = obj_uv_set::parameter, file_warnings* warnings = nullptr);

// The same in the format given, whatever the path's name.
void export_file(scene& source, const std::vector<const shape*>& shapes, const std::string& path, file_format format,
                 obj_uv_set uv_set = obj_uv_set::parameter, file_warnings* warnings = nullptr);

// The polygon meshes among `shapes` and their subtrees, depth first, each
// once.
std::vector<const mesh_shape*> meshes_below(const std::vector<const shape*>& shapes);

// The same for the line shapes.
std::vector<const line_shape*> lines_below(const std::vector<const shape*>& shapes);

}  // namespace host
