// Matching the selected vertices of one side of the symmetry plane to those
// of the other, nearest mirror first.
//
// The matching is defined as a walk: for each source in order, the targets
// not yet taken are visited in order; the walk stops at the first target
// whose key exceeds the source's key by more than the best distance found
// so far (starting from `limit`), and the target at the strictly smallest
// distance from the source to its mirror, the earliest of equal ones,
// becomes the source's partner. Key differences and distances are formed in
// single precision (symmetry::distance), as the walk writes them.
//
// Walked that way it takes time quadratic in the selection. Here a k-d tree
// of the mirrored targets finds the nearest free target directly: a
// distance is never shorter than any of its components once that component
// is 1e-18 or more, so the walk's stop can only ever cut off targets
// farther than its winner, and the winner is the nearest free target
// overall, the earliest of equal ones. Distances below 1e-18 (a square may
// underflow there) are settled by the walk's own rule over the few targets
// that close.
#pragma once

#include <vector>

#include "frame/sdk/math.h"

// One vertex of the matching: its key (the plane coordinate for sources,
// its negation for targets, so that a target's key is the plane coordinate
// of its mirror), its recorded position, and the caller's vertex index
// (carried along, never read by the matching).
struct mirror_record {
    float key;
    vec3 position;
    int vertex = -1;
};

// Matches `sources` to `targets`, both in walk order (ascending keys, NaN
// keys last, equal keys in their original order); `plane` is the mirrored
// component (0 x, 1 y, 2 z). Returns, for each source, the place of its
// partner in `targets`, or -1 when it has none. Records with non-finite
// coordinates never match, exactly as in the walk.
std::vector<int> match_mirror_records(const std::vector<mirror_record>& sources,
                                      const std::vector<mirror_record>& targets, int plane, float limit);
