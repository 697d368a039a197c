// Reconciling the faces left unpaired where one face of a pair has an extra
// vertex (a vertex inserted into an edge on one side only).
//
// Defined as a walk over every pair of list positions x < y: with a the
// face at x, Ma its mirror list and B the vertex list of the face b at y
// (both read afresh for each pair), the face with fewer corners is rebuilt
// as the exact mirror of the other when its cycle occurs in the other's,
// and a and b are linked. Either way the cycle test needs the first entry
// of the larger list in the smaller one, and all of the smaller one in the
// larger: B holds Ma's first entry. So here each a meets only the later
// faces that hold that entry, found through an index from vertex to list
// positions kept up to date as faces are rebuilt; every pair met is decided
// by the walk's own test.
#pragma once

#include <cstddef>
#include <vector>

#include "symmetry/interconnection_class.h"

class polygon_mesh_class;

// Runs the walk over `faces` (face indices of `mesh`; entries that are no
// face are skipped) with `vertex_table` for the mirror lists, rebuilding
// faces on the mesh and linking them in `face_table`. Lists shorter than
// `index_from` are walked pair by pair.
void pair_unmatched_faces(polygon_mesh_class& mesh, const Interconnection_class& vertex_table,
                          Interconnection_class& face_table, const std::vector<int>& faces,
                          std::size_t index_from = 32);
