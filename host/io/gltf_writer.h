// Scenes out as glTF files (.gltf with an embedded buffer, .glb).
#pragma once

#include <string>
#include <vector>

#include <tiny_gltf.h>

namespace host {

class scene;
class shape;

// The glTF document of the scene's shapes below `tops` (the root's children
// give the whole scene). A scene read from glTF (scene::gltf_document) gives
// back its document: the accessors and buffer views of a mesh whose host
// data still equals what was read stay as they were, bit for bit, and so do
// materials, textures, images, animations, morph targets, cameras, skins,
// extensions, extras and the asset block; an edited mesh gets new
// accessors for its positions, normals, UVs, colours, joints and weights
// and indices, with its glTF vertices split again at seams in their
// original order (vertices Twinel made come after), other attributes and
// morph targets following the vertices they came from; a node whose shape
// was moved gets its new transform. Shapes that are not in the document
// (and every shape of another scene) become new nodes and meshes, with one
// primitive per face style, a skin for a mesh bound to joints. The
// buffers are joined into one. Lines and primitives, which glTF cannot
// hold, become empty nodes, named in `warnings`. Throws host::file_error
// naming `name` for a skin bound to a shape that is not written.
tinygltf::Model gltf_model(scene& source, const std::vector<const shape*>& tops, const std::string& name,
                           std::vector<std::string>& warnings);

// The bytes of a document: binary glTF (.glb) or JSON text with the buffers
// embedded as data URIs (.gltf). Images keep the URI or buffer view they
// were read with.
std::string gltf_bytes(const tinygltf::Model& model, bool binary);

// Writes gltf_model to `path` through host::output_file, all or nothing
// ("-" is standard output), as binary glTF or as JSON text. Throws
// host::file_error.
void write_gltf(scene& source, const std::vector<const shape*>& tops, const std::string& path, bool binary,
                std::vector<std::string>& warnings);

}  // namespace host
