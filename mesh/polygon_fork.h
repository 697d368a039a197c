// Connected pieces of a polygon mesh, as Polygon_class::fork separates them.
#pragma once

#include <vector>

class polygon_mesh_class;

namespace korvo_polygon {

// Resizes `labels` to the mesh's vertex count and gives every vertex the
// label of its connected piece: pieces are numbered from 1 in the order of
// the first edge (ascending edge index) that touches them, and a vertex on
// no edge gets 0. Edges naming a vertex outside the mesh are ignored.
// Returns the number of pieces.
int label_pieces(polygon_mesh_class& mesh, std::vector<int>& labels);

}  // namespace korvo_polygon
