// The two positions of a list that lie closest together.
//
// The pair is defined by a sweep: the positions in ascending x (equal x in
// list order, NaN x left out); for each entry X and each entry Y after it,
// the distance d (single_distance) replaces the best when strictly smaller,
// and otherwise the scan of X stops once Y.x - X.x exceeds the best. That
// sweep is quadratic wherever many positions share an x (a mesh drawn in
// the YZ plane never stops a scan). Here a scan that runs long is handed to
// a k-d tree of the entries after X, which finds X's nearest directly: a distance is never shorter than its x
// component once that component is 1e-18 or more, so the sweep's stop only
// ever cuts off pairs farther than its winner, and the winner is the
// nearest pair overall, the first in sweep order among equal ones.
// Distances below 1e-18 (a square may underflow there) are settled by the
// sweep's own rule over the few pairs that close.
#pragma once

#include <vector>

#include "mesh/polygon_class.h"

// The nearest pair of `positions` as the sweep finds it: the first vertex
// is the one earlier in sweep order. None (-1, -1, the largest float) for
// fewer than two positions or when no distance is below the largest float.
// The sweep walks its scans while it has walked fewer than `walk_budget`
// entries in all (negative: 32 per position); after that a scan walks at
// most `walk_limit` entries before the tree takes over. Every budget and
// limit gives the same pair (0 and 0 use the tree throughout).
Polygon_class::vertices_pair nearest_pair(const std::vector<vec3>& positions, long long walk_budget = -1,
                                          int walk_limit = 64);
