// Faces as vertex cycles for the face pairing: every face's corners in one
// flat buffer, the faces at each vertex, the face key that a face and its
// mirror face share, the exact cycle comparison, and the mirror list of a
// face through the vertex table.
#pragma once

#include <cstdint>
#include <vector>

#include "symmetry/interconnection_class.h"

class face_class;
class polygon_mesh_class;

// The corners of every face of a mesh, read once: face f's vertex list is
// corners[start[f] .. start[f + 1]).
struct face_buffer {
    std::vector<int> start{0};
    std::vector<int> corners;

    int size() const { return static_cast<int>(start.size()) - 1; }
    const int* vertices(int f) const { return corners.data() + start[static_cast<std::size_t>(f)]; }
    int count(int f) const { return start[static_cast<std::size_t>(f) + 1] - start[static_cast<std::size_t>(f)]; }
};

// The vertex list of one host face (two host calls).
std::vector<int> vertex_list(face_class& f);

// Reads the vertex lists of every face of `mesh` (two host calls a face).
face_buffer read_face_buffer(polygon_mesh_class& mesh);

// The faces at each vertex, ascending (a face once per corner): vertex v's
// faces are faces[start[v] .. start[v + 1]). Built for `vertices` vertices;
// corners outside that range are left out.
struct vertex_faces {
    std::vector<int> start;
    std::vector<int> faces;

    vertex_faces(const face_buffer& buffer, int vertices);
    // Number of faces at v (0 outside the range).
    int count(int v) const;
    const int* begin(int v) const { return faces.data() + start[static_cast<std::size_t>(v)]; }
    const int* end(int v) const { return faces.data() + start[static_cast<std::size_t>(v) + 1]; }
};

// The faces that can equal `list` up to rotation all hold every entry of
// it; this returns the entry with the fewest faces, or -1 when an entry is
// negative, outside `at`, or the list is empty (then no face can match).
int rarest_vertex(const std::vector<int>& list, const vertex_faces& at);

// The face key: the sum over the vertex list of (v + partner of v), as an
// unsigned 32-bit integer with wrap-around (an unpaired vertex adds v - 1).
// A face and its mirror face have the same key.
std::uint32_t face_key(const int* vertices, int n, const Interconnection_class& table);

// Whether `face` (nf corners) equals `list` (nl entries) up to rotation:
// equal lengths, and from the first position k of the list that holds
// face[0], face[j] = list[(k + j) mod n] for every j. Only that first
// position is tried and the direction is never reversed; an empty face
// matches nothing.
bool same_rotation(const int* face, int nf, const int* list, int nl);

// The mirror list of a vertex list: out[n - 1 - k] = partner of vertices[k]
// (-1 for a vertex without one). `out` is resized to n.
void mirror_list(const int* vertices, int n, const Interconnection_class& table, std::vector<int>& out);

// Whether a mirror list names a vertex without a partner.
bool has_unpaired_vertex(const std::vector<int>& list);
