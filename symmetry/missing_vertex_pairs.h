// Pairing among themselves the vertices whose partner a table repair did not
// find again.
//
// Defined as a walk: for each vertex a of the list in order, every b from
// a's own place in the list to its end that has no pair at that moment and
// is_sym(a, b) is linked to a; a later link releases a's earlier partner,
// and b = a makes a self-pair when a lies within margin / 2 of the plane.
// The walk is quadratic in the list. Only pairs that pass is_sym do
// anything, so here a k-d tree of the mirrored list positions hands each a
// exactly the b within the margin, which are then linked in list order.
#pragma once

#include <cstddef>
#include <vector>

#include "frame/sdk/math.h"
#include "symmetry/interconnection_class.h"
#include "symmetry/symmetry_class.h"

// Links the vertices of `missing` (indices into `positions`) among
// themselves in `table`, as the walk does, with `settings`' is_sym. Lists
// shorter than `tree_from` are walked; so are all lists when the margin's
// square is infinite or NaN, or a position is not finite (cases where the
// walk's own tests decide more than distances).
void pair_missing_vertices(const std::vector<int>& missing, const std::vector<vec3>& positions,
                           const Symmetry_class& settings, Interconnection_class& table,
                           std::size_t tree_from = 64);
