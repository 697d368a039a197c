// Diagonals that only split a flat quadrilateral into two triangles: the
// candidate record, the angle limits as signed squared cosines, and the
// pass that keeps, of candidates sharing a quadrilateral side, the better
// one. Polygon_class::select_useless_edges runs them on a mesh.
#pragma once

#include <map>

#include "frame/sdk/math.h"

class Polygon_class;

namespace korvo_polygon {

// One candidate diagonal and the four outer sides of its quadrilateral.
struct edges_struct {
    int edge = -1;
    // The first face's edges at the diagonal's first and second vertex, then
    // the second face's edges at the first and second vertex (-1: none).
    int sides[4] = {-1, -1, -1, -1};
    bool valid = true;  // still selected
};

// Candidates keyed by their score negated, best first; equal keys keep
// their insertion order.
using edge_candidates = std::multimap<float, edges_struct>;

// The three limits of the candidate test, each a signed squared cosine.
struct useless_edge_limits {
    float face = 0.0f;  // the two triangles' normals
    float side = 0.0f;  // the quadrilateral's corners at the diagonal's ends
    float half = 0.0f;  // the two halves of each of those corners
};

// S(u, w) = (u.w)^2 / (|u|^2 |w|^2) with the sign of u.w, in single
// precision; not a number when either vector has length 0.
float signed_squared_cosine(const vec3& u, const vec3& w);

// The limits for a face angle and a side angle in degrees. Each cosine is
// taken in double precision of a single-precision angle in radians and
// stored as float; the half limit takes the sign of the side cosine.
useless_edge_limits make_useless_edge_limits(float face_angle, float side_angle);

// One pass over the edges of `polygon`'s mesh: clears every edge's
// selection and collects the candidates within `limits`, inside one
// face-of-edge lookup bracket. Empty for a mesh without edges.
edge_candidates collect_useless_edges(Polygon_class& polygon, const useless_edge_limits& limits);

// Invalidates every candidate Y that has, among its sides, the edge of a
// candidate X coming before it in key order (whether or not X is still
// valid). Linear in the candidates and in the span of their edge indices.
// Returns how many stay valid.
int resolve_useless_edge_conflicts(edge_candidates& candidates);

}  // namespace korvo_polygon
