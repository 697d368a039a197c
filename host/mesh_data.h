// Storage of one polygon mesh in the reference host.
//
// Plain arrays, so that copies (undo snapshots) are cheap and the host's own
// mesh operations run over contiguous memory. Faces keep their corners in
// slots of the corner arrays: face f uses corners [face_start[f],
// face_start[f] + face_size[f]). A face whose corner count grows moves to a
// new slot at the end; the old slot becomes garbage until `compact`.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "frame/sdk/math.h"

class shape_class;

namespace host {

struct skin_binding {
    shape_class* joint = nullptr;  // borrowed; a shape of the same scene
    float weight = 0.0f;
};

struct skin_data {
    std::vector<skin_binding> binds;
    mat4 matrix;
};

struct mesh_data {
    // Vertices.
    std::vector<vec3> positions;
    std::vector<std::uint8_t> vertex_selected;
    // Index into `skins` per vertex, -1 for none. Empty when no vertex has a skin.
    std::vector<std::int32_t> vertex_skin;
    std::vector<skin_data> skins;
    // Vertex normals as last computed; empty until computed.
    std::vector<vec3> normals;

    // Edges: (v0, v1) as stored, and the selected flag.
    std::vector<std::array<std::int32_t, 2>> edges;
    std::vector<std::uint8_t> edge_selected;

    // Faces.
    std::vector<std::int32_t> face_start;
    std::vector<std::int32_t> face_size;
    std::vector<std::uint8_t> face_has_uv;
    std::vector<std::uint8_t> face_selected;
    // Whether the face carries explicit per-corner normals (in corner_normal).
    std::vector<std::uint8_t> face_has_normals;

    // Corners, addressed through the face slots.
    std::vector<std::int32_t> corner_vertex;
    std::vector<vec2> corner_puv;  // parameter UV
    std::vector<vec2> corner_duv;  // distance UV
    // Explicit normals; empty while no face has any.
    std::vector<vec3> corner_normal;

    // Corners in slots that no face uses any more.
    std::int64_t garbage_corners = 0;

    // Face-flip flag of the mesh.
    bool face_flip = false;

    int vertex_count() const { return static_cast<int>(positions.size()); }
    int edge_count() const { return static_cast<int>(edges.size()); }
    int face_count() const { return static_cast<int>(face_size.size()); }

    // Corner k of face f.
    std::int32_t corner(int f, int k) const { return corner_vertex[face_start[f] + k]; }
    const std::int32_t* face_vertices(int f) const { return corner_vertex.data() + face_start[f]; }

    // Appends a vertex (unselected, no skin); returns its index.
    int add_vertex(const vec3& p);
    // Appends an edge (unselected); returns its index.
    int add_edge(int v0, int v1);
    // Appends a face with `n` corners and, when `puv`/`duv` are given, UVs
    // (has-UV is set when either is given); returns its index.
    int add_face(int n, const std::int32_t* vertices, const vec2* puv = nullptr, const vec2* duv = nullptr);
    // Gives face f `n` corners with these vertices. Existing UVs are kept for
    // the corners that remain; new corners get (0, 0). Explicit normals are
    // dropped.
    void set_face_vertices(int f, int n, const std::int32_t* vertices);

    // Moves every face into a fresh, gap-free corner layout in face order.
    void compact();

    // Checks the internal consistency of the arrays (sizes, index ranges);
    // false when something is off. For tests and debugging.
    bool valid() const;
};

}  // namespace host
