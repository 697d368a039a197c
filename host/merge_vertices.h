// Merging a group of vertices into one (the scene's merge of the selected
// vertices).
#pragma once

#include <vector>

#include "host/mesh_data.h"

namespace host {

// Merges `vertices` (any order; repeats and out-of-range indices are
// ignored) into the lowest-indexed of them, which moves to their mean
// position (summed in double precision, rounded to single) and keeps its
// selection and skin. Corners and edge ends of the others move to it. In a
// face, neighbouring corners that now hold the same vertex collapse into
// the first of them (its UVs stay); a face still left with fewer than 3
// corners or a repeated vertex is removed, and so are edges that became
// loops or duplicates. The other vertices are removed and the rest
// renumbered in order. Returns the number of vertices removed (0 when fewer
// than two valid vertices were given).
int merge_vertices(mesh_data& mesh, const std::vector<int>& vertices);

}  // namespace host
