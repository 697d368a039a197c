// Mesh files in and out of a scene.
#pragma once

#include <string>
#include <vector>

#include "host/obj_io.h"

namespace host {

class scene;
class mesh_shape;

// Reads an OBJ file and adds one polygon-mesh shape per object under the
// root, named after the object, in file order; one undo step. Returns the
// new shapes. Throws host::file_error (nothing is added then).
std::vector<mesh_shape*> import_obj(scene& target, const std::string& path);

// Writes the meshes as objects named after their shapes, in local
// coordinates, with the chosen UV set. Throws host::file_error.
void export_obj(const std::vector<const mesh_shape*>& shapes, const std::string& path,
                obj_uv_set uv_set = obj_uv_set::parameter);

}  // namespace host
