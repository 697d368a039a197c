// The glTF document a scene was read from, kept beside the scene so that
// writing glTF again changes only what Twinel edits: the meshes whose host
// data changed and the node transforms. Everything else in `model`
// (materials, textures, images, animations, morph targets, cameras,
// extensions, extras, the asset block) is written back as it was read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include <tiny_gltf.h>

#include "frame/sdk/math.h"
#include "host/mesh_data.h"

class shape_class;

namespace host {

class shape;
class mesh_shape;

// One instance of a glTF mesh: the node that shows it became one host
// polygon mesh.
struct gltf_mesh_instance {
    const mesh_shape* shape = nullptr;  // owned by the scene, which keeps every shape it made
    int node = -1;
    int mesh = -1;
    // Per primitive: whether it became faces of the host mesh (a TRIANGLES
    // primitive with positions), and the first id of its vertices. A
    // corner's extras.corner_uv_source is first[p] + the glTF vertex index
    // within primitive p.
    std::vector<std::uint8_t> imported;
    std::vector<std::int32_t> first;
    std::vector<std::int32_t> vertex_count;
    // The host mesh as read; a mesh still equal to it is written back with
    // its original accessors.
    mesh_data as_read;
};

struct gltf_source {
    tinygltf::Model model;
    // Per node: the shape it became (null for a node outside the scene read)
    // and the local matrix it was given.
    std::vector<const shape*> node_shapes;
    std::vector<mat4> node_matrices;
    std::vector<gltf_mesh_instance> instances;
};

// Where the elements of an accessor lie: element i starts at
// data + i * stride and is `size` bytes long.
struct gltf_accessor_view {
    const unsigned char* data = nullptr;
    std::size_t stride = 0, size = 0, count = 0;
    int component_type = 0, components = 0;
    bool normalized = false;

    const unsigned char* element(std::size_t i) const { return data + i * stride; }
    // Component c of element i as a float; normalized integers are scaled
    // to [0, 1] (or [-1, 1]), other integers converted.
    float value(std::size_t i, int c) const;
};

// The view of accessor `index`, checked to lie within its buffer view and
// buffer. Throws host::file_error naming `file` and `place` (the JSON path
// of the reference, e.g. "meshes/0/primitives/1/attributes/POSITION") when
// the index is out of range, the accessor is sparse or has no buffer view,
// or its elements reach past their data.
gltf_accessor_view gltf_view(const tinygltf::Model& model, int index, const std::string& file,
                             const std::string& place);

// Every element of accessor `index`, tightly packed (`size` bytes each, as
// returned in `size`), also for an accessor without a buffer view (zeros)
// or a sparse one (its base with the sparse values put in). Throws
// host::file_error as gltf_view does, also for sparse data out of range.
std::vector<unsigned char> gltf_dense(const tinygltf::Model& model, int index, const std::string& file,
                                      const std::string& place, std::size_t& size);

// The local matrix of a node in the host's row-vector form: glTF's
// column-major array, element by element, from the matrix or from
// translation * rotation * scale.
mat4 gltf_node_matrix(const tinygltf::Node& node);

}  // namespace host
