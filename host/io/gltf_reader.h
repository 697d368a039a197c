// glTF files (.gltf with external or embedded buffers, .glb) into a scene.
#pragma once

#include <string>
#include <vector>

namespace host {

class scene;
class shape;

// Reads a glTF file into `target`, in one undo step, and returns the new
// top shapes. The nodes of the file's scene (the default one, else the
// first; without scenes every node without a parent) become shapes in their
// tree order with their local transforms: a node with a mesh becomes one
// polygon mesh (an instance of that mesh), any other node a part. The
// TRIANGLES primitives of a mesh become its faces; glTF vertices split at
// seams are merged into one host vertex when they share position, joints,
// weights and colour, their normals (NORMAL), parameter UVs (TEXCOORD_0)
// and distance UVs (TEXCOORD_1) going to the corners. COLOR_0 becomes the
// vertex colour; a skinned node's JOINTS_n / WEIGHTS_n become vertex skins
// bound to the joint nodes' shapes. Each corner keeps its glTF vertex
// (extras.corner_uv_source), each face its primitive and material
// (extras.styles), and the scene keeps the parsed document, so that
// write_gltf can give back what was not edited. What the host cannot show
// (primitives of other modes, nodes outside the scene read) stays in the
// document and is named in `warnings`. Throws host::file_error naming the
// file (and the JSON path of what is wrong) for a file tinygltf cannot read
// (a truncated .glb, a missing buffer file, broken JSON) and for accessors
// that reach past their data, indices out of range and broken node trees;
// nothing is added then.
std::vector<shape*> read_gltf(scene& target, const std::string& path, std::vector<std::string>& warnings);

// The same for the bytes of a file already read: errors name `name`, and
// external buffers and images are looked for in `base_dir`.
std::vector<shape*> read_gltf_data(scene& target, const std::string& bytes, const std::string& name,
                                   const std::string& base_dir, std::vector<std::string>& warnings);

// Whether bytes start as a binary glTF file does ("glTF").
bool is_glb(const std::string& bytes);

}  // namespace host
