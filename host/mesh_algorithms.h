// The reference host's own mesh operations over mesh_data.
//
// All of them run in about O(n log n) or better so that meshes of millions
// of elements stay interactive.
#pragma once

#include <cstdint>
#include <vector>

#include "host/mesh_data.h"

namespace host {

// Removes the flagged elements and renumbers the rest, keeping their order.
// A removed vertex takes with it every face and edge that uses it. Masks may
// be empty (nothing of that kind removed) or hold one flag per element.
// Skins and explicit normals follow their elements.
void remove_elements(mesh_data& mesh, const std::vector<std::uint8_t>& vertex_mask,
                     const std::vector<std::uint8_t>& edge_mask, const std::vector<std::uint8_t>& face_mask);

// Replaces the edges by exactly one edge per distinct unordered vertex pair
// used by a face side, in order of first use (faces in order, sides in
// corner order), each stored as (corner k, corner k + 1). A previously
// selected edge that survives keeps its selected flag.
void rebuild_edges(mesh_data& mesh);

// Merges vertices at identical positions (equal float values, so -0 and +0
// meet; a NaN coordinate never merges) into the lowest-indexed one of each
// group; the survivors keep their order and attributes. Renumbers faces and
// edges, removes the faces that have become invalid through the merge (a
// face invalid before, with fewer than 3 corners or a repeated vertex, is
// left for the caller's own repair) and the edges that are loops or
// duplicates afterwards (a duplicate's selected flag goes to the edge kept).
// Returns the number of vertices removed; 0 leaves the mesh untouched.
int reduce_duplicated_vertices(mesh_data& mesh);

// Whether the faces are wound consistently: no directed side (a -> b) is
// used by two faces.
bool check_face_directions(const mesh_data& mesh);

// Makes the winding consistent within every piece of faces connected across
// sides shared by exactly two faces: the orientation most of a piece's faces
// hold wins (on a tie, the one its lowest face holds).
// Reversing a face reverses its corners together with their UVs. A piece
// that cannot be oriented (a Moebius strip) gets the orientation a
// breadth-first walk from its lowest face assigns. Returns the number of
// faces reversed.
int adjust_face_directions(mesh_data& mesh);

// Reverses the corner order of face f (corner k takes corner n - 1 - k),
// UVs and explicit normals travelling with their corners.
void reverse_face(mesh_data& mesh, int f);

// Area-weighted vertex normals of unit length (zero for unused vertices and
// where the areas cancel), stored in mesh.normals. The length is taken in
// double precision and rounded back to single. The face-flip flag is not
// applied.
void compute_vertex_normals(mesh_data& mesh);

// Splits a face that holds both a and b but not as neighbouring corners
// along the new side a-b: the face keeps the corners from a to b, a new face
// appended at the end takes the corners from b to a (UVs follow). Returns
// the new face's index, or -1 when no face qualifies (the lowest-indexed
// qualifying face is split). The new face copies the selected, has-UV and
// explicit-normal state of the face it came from. Edges are not touched:
// the caller adds the edge a-b.
int split_face_along(mesh_data& mesh, int a, int b);

// Directed-side index for face-of-edge and edge-of-face lookups.
class side_index {
public:
    explicit side_index(const mesh_data& mesh);

    // The lowest-indexed face that has the directed side from -> to, or -1.
    int face_with_side(int from, int to) const;
    // The lowest-indexed edge joining a and b in either direction, or -1.
    int edge_between(int a, int b) const;

private:
    std::vector<std::int64_t> side_keys_;  // sorted (from, to) keys
    std::vector<std::int32_t> side_faces_;
    std::vector<std::int64_t> edge_keys_;  // sorted (min, max) keys
    std::vector<std::int32_t> edge_ids_;
};

}  // namespace host
