// The host polygon mesh and its vertex, edge and face objects.
//
// Element objects are borrowed: a reference stays valid until the mesh's
// next structural change (elements appended or removed).
#pragma once

#include <stdexcept>

#include "math.h"

class skin_class;

namespace kx::sdk {
// Thrown by an interface operation that the host does not implement.
struct not_implemented : std::logic_error {
    explicit not_implemented(const char* what) : std::logic_error(what) {}
};
}  // namespace kx::sdk

class vertex_class {
public:
    // Position in the mesh's local coordinates.
    virtual vec3 get_position() const = 0;
    virtual void set_position(const vec3& p) = 0;
    // Normal as last computed by polygon_mesh_class::compute_vertex_normals.
    virtual vec3 get_normal() const = 0;
    virtual skin_class& get_skin() const = 0;
    // Selected flag.
    virtual bool get_active() const = 0;
    virtual void set_active(bool on) = 0;

protected:
    ~vertex_class() = default;
};

class edge_class {
public:
    virtual int get_v0() const = 0;
    virtual void set_v0(int) { throw kx::sdk::not_implemented("edge_class::set_v0"); }
    virtual int get_v1() const = 0;
    virtual void set_v1(int) { throw kx::sdk::not_implemented("edge_class::set_v1"); }
    virtual void remove() { throw kx::sdk::not_implemented("edge_class::remove"); }
    virtual void stream_to_clipboard() { throw kx::sdk::not_implemented("edge_class::stream_to_clipboard"); }
    virtual void set_active(bool on) = 0;
    virtual bool get_active() const = 0;
    virtual void set_active_order(int) { throw kx::sdk::not_implemented("edge_class::set_active_order"); }
    virtual int get_active_order() const { throw kx::sdk::not_implemented("edge_class::get_active_order"); }

protected:
    ~edge_class() = default;
};

// A face: its corners' vertex indices in winding order and, when it has UVs,
// one parameter UV and one distance UV per corner. Every operation takes a
// trailing reserved pointer, passed as null.
class face_class {
public:
    virtual int get_number_of_vertices(void* reserved = nullptr) const = 0;
    virtual int vertex(int k, void* = nullptr) const { (void)k; throw kx::sdk::not_implemented("face_class::vertex"); }
    // Writes get_number_of_vertices() indices to `out`.
    virtual void get_vertex_indices(int* out, void* reserved = nullptr) const = 0;
    // Replaces the corners by `count` vertex indices; the count may differ
    // from the current one. UV sets are resized to match.
    virtual void set_vertex_indices(int count, const int* indices, void* reserved = nullptr) = 0;
    virtual bool has_uv(void* reserved = nullptr) const = 0;
    // UV sets, one vec2 per corner in vertex order.
    virtual void get_parameter_uv(vec2* out, void* reserved = nullptr) const = 0;
    virtual void set_parameter_uv(const vec2* uv, void* reserved = nullptr) = 0;
    virtual void get_distance_uv(vec2* out, void* reserved = nullptr) const = 0;
    virtual void set_distance_uv(const vec2* uv, void* reserved = nullptr) = 0;
    virtual void remove(void* = nullptr) { throw kx::sdk::not_implemented("face_class::remove"); }
    virtual void stream_to_clipboard(void* = nullptr) { throw kx::sdk::not_implemented("face_class::stream_to_clipboard"); }
    virtual int get_normals(vec3*, void* = nullptr) const { throw kx::sdk::not_implemented("face_class::get_normals"); }
    // Explicit per-corner normals; a count of 0 clears them.
    virtual void set_normals(int count, const vec3* normals, void* reserved = nullptr) = 0;
    virtual int get_sub_surface_index(void* = nullptr) const { throw kx::sdk::not_implemented("face_class::get_sub_surface_index"); }
    virtual void set_sub_surface_index(int, void* = nullptr) { throw kx::sdk::not_implemented("face_class::set_sub_surface_index"); }
    // Selected flag.
    virtual void set_active(bool on, void* reserved = nullptr) = 0;
    virtual bool get_active(void* reserved = nullptr) const = 0;
    virtual void set_active_order(int, void* = nullptr) { throw kx::sdk::not_implemented("face_class::set_active_order"); }
    virtual int get_active_order(void* = nullptr) const { throw kx::sdk::not_implemented("face_class::get_active_order"); }

protected:
    ~face_class() = default;
};

// Removal batches: between begin_removing_* and end_removing_*, indices refer
// to the mesh as it was when the batch was opened, and the mesh is rebuilt
// once at the end. Outside a batch a removal takes effect at once. Removing a
// vertex removes the faces and edges that use it.
class polygon_mesh_class {
public:
    virtual int get_number_of_vertices() const = 0;
    virtual int get_number_of_edges() const = 0;
    virtual int get_number_of_faces() const = 0;

    virtual vertex_class& vertex(int index) = 0;
    virtual edge_class& edge(int index) = 0;
    virtual face_class& face(int index) = 0;

    // Selected vertices: their number, and their indices in ascending order
    // (`out` holds get_number_of_active_vertices() entries).
    virtual int get_number_of_active_vertices() = 0;
    virtual void get_active_vertex_indices(int* out) = 0;
    // Bracket around a run of vertex_class::set_active calls.
    virtual void begin_vertex_selection() = 0;
    virtual void end_vertex_selection() = 0;

    // Appending: the new element takes the next index, which is returned.
    virtual int append_vertex(const vec3& position) = 0;
    // Adds the edge a-b; when a face holds both vertices but not as
    // neighbours, the face is split along the new edge.
    virtual int append_edge(int a, int b) = 0;
    virtual int append_face(int count, const int* vertices) = 0;

    virtual void begin_removing_vertices() = 0;
    virtual void remove_vertex(int index) = 0;
    virtual void end_removing_vertices() = 0;
    virtual void begin_removing_edges() = 0;
    virtual void remove_edge(int index) = 0;
    virtual void end_removing_edges() = 0;
    virtual void begin_removing_faces() = 0;
    virtual void remove_face(int index) = 0;
    virtual void end_removing_faces() = 0;

    // Makes exactly one edge per distinct vertex pair used by a face side.
    virtual void rebuild_edges() = 0;
    // Merges vertices at identical positions and renumbers the faces.
    virtual void reduce_duplicated_vertices() = 0;
    // Whether neighbouring faces are wound consistently; make them so.
    virtual bool check_face_directions() = 0;
    virtual void adjust_face_directions() = 0;

    // Face-of-edge lookup, valid between begin_face_of_edge and
    // end_face_of_edge. Side A is the face running along the edge from v1 to
    // v0, side B the face running from v0 to v1; -1 when there is none.
    // `v0` is the edge's first vertex; `flag` is reserved.
    virtual void begin_face_of_edge() = 0;
    virtual int face_of_edge_a(int edge, int v0, bool flag) = 0;
    virtual int face_of_edge_b(int edge, int v0, bool flag) = 0;
    // Edge of a face at one of its corner vertices, valid inside the same
    // bracket: the side arriving at the vertex and the side leaving it; -1
    // when the face has no such corner or the side has no edge.
    virtual int edge_of_face_before(int face, int vertex) = 0;
    virtual int edge_of_face_after(int face, int vertex) = 0;
    virtual void end_face_of_edge() = 0;

    // Face-flip flag of the mesh.
    virtual bool get_face_flip() const = 0;
    virtual void set_face_flip(bool on) = 0;

    virtual void compute_vertex_normals() = 0;

protected:
    ~polygon_mesh_class() = default;
};
