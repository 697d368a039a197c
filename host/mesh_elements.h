// The vertex, edge and face objects a host::mesh hands out.
//
// Each is a light proxy for one index that reads and writes the mesh's
// arrays directly; it finds its mesh and index from its address (see
// element_blocks.h). The mesh keeps one proxy per index in a container that
// only grows, so a reference stays usable across structural changes for
// every index that still exists. Operations on an
// index that no longer exists throw std::out_of_range.
#pragma once

#include "frame/sdk/polygon_mesh.h"
#include "host/element_blocks.h"
#include "host/skin_view.h"

namespace host {

class mesh;

// A vertex is its own skin: get_skin() answers the proxy itself.
class vertex_proxy final : public vertex_class, public skin_view {
public:

    vec3 get_position() const override;
    void set_position(const vec3& p) override;
    // Zero until the mesh has computed its normals.
    vec3 get_normal() const override;
    skin_class& get_skin() const override;
    bool get_active() const override;
    void set_active(bool on) override;

protected:
    const skin_data* find_skin() const override;
    skin_data& make_skin() override;

private:
    int checked() const;
    mesh& owner() const { return *element_block_of(this).owner; }
};

class edge_proxy final : public edge_class {
public:

    int get_v0() const override;
    // Throws std::out_of_range for a vertex the mesh does not have.
    void set_v0(int v) override;
    int get_v1() const override;
    void set_v1(int v) override;
    // As polygon_mesh_class::remove_edge with this index.
    void remove() override;
    void set_active(bool on) override;
    bool get_active() const override;

private:
    int checked() const;
    void set_end(int end, int v);
    mesh& owner() const { return *element_block_of(this).owner; }
};

class face_proxy final : public face_class {
public:

    int get_number_of_vertices(void* reserved = nullptr) const override;
    // Vertex of corner k; throws std::out_of_range for a corner the face
    // does not have.
    int vertex(int k, void* reserved = nullptr) const override;
    void get_vertex_indices(int* out, void* reserved = nullptr) const override;
    // Keeps the UVs of the corners that remain; new corners get (0, 0).
    // Drops explicit normals. Throws std::invalid_argument for a negative
    // count and std::out_of_range for a vertex the mesh does not have.
    void set_vertex_indices(int count, const int* indices, void* reserved = nullptr) override;
    bool has_uv(void* reserved = nullptr) const override;
    void get_parameter_uv(vec2* out, void* reserved = nullptr) const override;
    // Writing either UV set gives the face UVs.
    void set_parameter_uv(const vec2* uv, void* reserved = nullptr) override;
    void get_distance_uv(vec2* out, void* reserved = nullptr) const override;
    void set_distance_uv(const vec2* uv, void* reserved = nullptr) override;
    // As polygon_mesh_class::remove_face with this index.
    void remove(void* reserved = nullptr) override;
    // Writes the explicit normals (one per corner) and returns their count;
    // 0 and nothing written when the face has none.
    int get_normals(vec3* out, void* reserved = nullptr) const override;
    // A count of 0 clears the explicit normals; any other count must equal
    // the corner count (std::invalid_argument otherwise).
    void set_normals(int count, const vec3* normals, void* reserved = nullptr) override;
    void set_active(bool on, void* reserved = nullptr) override;
    bool get_active(void* reserved = nullptr) const override;

private:
    int checked() const;
    mesh& owner() const { return *element_block_of(this).owner; }
};

}  // namespace host
