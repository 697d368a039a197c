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
#include <string>
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

// The material and smoothing of a face as a mesh file gave them.
struct face_style {
    std::string material;   // the OBJ `usemtl` name or the glTF material's index; empty: none
    std::string smoothing;  // the OBJ `s` value as written ("1", "off"); empty: none given
    std::int32_t part = -1; // the file's part the face came from (a glTF primitive), -1: none

    bool operator==(const face_style& o) const {
        return material == o.material && smoothing == o.smoothing && part == o.part;
    }
};

// What a mesh file carried beyond the host's own model, kept with the mesh
// so that writing it back gives the file as it was. Every per-element array
// is empty while no element has the attribute; the mesh operations keep the
// non-empty ones in step with the elements (a new element gets the "none"
// value), and the file formats read and write them.
struct mesh_extras {
    // Per vertex: bits of vertex_has_w / vertex_has_color / vertex_has_alpha,
    // the OBJ `w` and the colour (alpha 1 where none is given).
    std::vector<std::uint8_t> vertex_flags;
    std::vector<float> vertex_w;
    std::vector<vec4> vertex_color;

    // Per face: index into `styles`, -1 for none.
    std::vector<std::int32_t> face_style;
    std::vector<host::face_style> styles;

    // Per corner: the file's own index of the record the corner's UV came
    // from (an OBJ `vt`, a glTF vertex), shared by corners that shared it
    // in the file; -1 for a corner the file did not have. The same for the
    // corner's normal (an OBJ `vn`).
    std::vector<std::int32_t> corner_uv_source;
    std::vector<std::int32_t> corner_normal_source;

    // Per OBJ `vt` index: how many numbers its line gave (1 to 3) and its w.
    std::vector<std::uint8_t> texcoord_size;
    std::vector<float> texcoord_w;

    // The statements that named the mesh's block in an OBJ file (`mtllib`,
    // `o`, `g` lines as written, in order), and the name they gave it.
    std::vector<std::string> obj_header;
    std::string obj_header_name;

    bool empty() const;
};

inline constexpr std::uint8_t vertex_has_w = 1, vertex_has_color = 2, vertex_has_alpha = 4;

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
    // Distance UV. While `duv_shared` holds, every corner's distance UV is
    // its parameter UV and this array is empty: a file with one UV set is
    // read without a second copy of it. Read the set through
    // `distance_uvs`; call `unshare_uvs` before writing a corner of either
    // set. An operation that moves corners applies to both sets alike and
    // leaves this one alone while it is shared.
    std::vector<vec2> corner_duv;
    bool duv_shared = false;
    // Explicit normals; empty while no face has any.
    std::vector<vec3> corner_normal;

    // Corners in slots that no face uses any more.
    std::int64_t garbage_corners = 0;

    // Face-flip flag of the mesh.
    bool face_flip = false;

    // What the mesh's file carried beyond the arrays above.
    mesh_extras extras;

    int vertex_count() const { return static_cast<int>(positions.size()); }
    int edge_count() const { return static_cast<int>(edges.size()); }
    int face_count() const { return static_cast<int>(face_size.size()); }

    // Corner k of face f.
    std::int32_t corner(int f, int k) const { return corner_vertex[face_start[f] + k]; }
    const std::int32_t* face_vertices(int f) const { return corner_vertex.data() + face_start[f]; }

    // The distance UVs of all corners (the parameter UVs while shared).
    const std::vector<vec2>& distance_uvs() const { return duv_shared ? corner_puv : corner_duv; }
    // Gives the distance set its own array, a copy of the parameter set
    // while they were shared.
    void unshare_uvs();

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

// Calls f(array, ...) for every per-element array whose elements are plain
// bytes (positions, flags, indices, UVs, the file extras), in a fixed
// order, with that array of each mesh given (f(a.positions, b.positions),
// and so on); the meshes may be const. What the undo history shares
// between saved states: an array added to mesh_data must be listed here,
// or it is copied whole with the rest of a saved state.
template <class F, class... Mesh>
void for_each_plain_array(F&& f, Mesh&... m) {
    f(m.positions...);
    f(m.vertex_selected...);
    f(m.vertex_skin...);
    f(m.normals...);
    f(m.edges...);
    f(m.edge_selected...);
    f(m.face_start...);
    f(m.face_size...);
    f(m.face_has_uv...);
    f(m.face_selected...);
    f(m.face_has_normals...);
    f(m.corner_vertex...);
    f(m.corner_puv...);
    f(m.corner_duv...);
    f(m.corner_normal...);
    f(m.extras.vertex_flags...);
    f(m.extras.vertex_w...);
    f(m.extras.vertex_color...);
    f(m.extras.face_style...);
    f(m.extras.corner_uv_source...);
    f(m.extras.corner_normal_source...);
    f(m.extras.texcoord_size...);
    f(m.extras.texcoord_w...);
}

}  // namespace host
