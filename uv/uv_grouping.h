// The greedy grouping that unites UVs: which collected corners share one
// averaged UV.
//
// Defined as a walk over the list: the first record not yet grouped seeds
// a group, and every later ungrouped record joins it when (`all`, or it is
// at the seed's vertex) and its squared UV distance from the seed's UV,
// formed in single precision, is strictly below `limit`; then the next
// ungrouped record seeds the next group. Walked literally that is
// quadratic in the list. Records of one vertex are consecutive in the
// collected list, so without `all` only the seed's run is looked at; with
// `all` a hashed grid over the UVs, cells a little wider than the radius,
// hands each seed the few records near it.
#pragma once

#include <cstddef>
#include <vector>

#include "uv/uv_editing.h"

namespace uv_editing {

// Sets every record's `group` (groups numbered from 0 in seed order) and
// returns the number of groups. Lists shorter than `grid_from` are walked;
// so is every list when `limit` is infinite or NaN or a UV is not finite.
int group_uv_records(std::vector<face_uv>& list, bool all, float limit, std::size_t grid_from = 64);

}  // namespace uv_editing
