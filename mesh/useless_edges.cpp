// Selection of useless diagonals: edges whose two triangles lie nearly in
// one plane and form a quadrilateral with moderate corners, so that
// removing the edge with refacing turns them back into one quadrilateral.
#include "mesh/useless_edges.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "mesh/polygon_class.h"
#include "mesh/polygon_scope.h"

namespace korvo_polygon {
namespace {

// The angle conversion uses this single-precision value of pi.
constexpr float pi = 3.1415927f;

// cos(degrees * pi / divisor): the angle in single precision, the cosine
// in double precision, stored as float.
float cosine_of(float degrees, float divisor) {
    const float radians = degrees * pi / divisor;
    return static_cast<float>(std::cos(static_cast<double>(radians)));
}

// c squared, negative when `sign` is.
float signed_square(float c, float sign) {
    const float square = c * c;
    return sign < 0.0f ? -square : square;
}

// The first corner of a face that is neither p nor q, or -1.
int third_corner(const face_class& face, int p, int q) {
    int corners[3];
    face.get_vertex_indices(corners);
    for (int v : corners)
        if (v != p && v != q) return v;
    return -1;
}

}  // namespace

float signed_squared_cosine(const vec3& u, const vec3& w) {
    const float d = dot(u, w);
    const float s = d * d / (dot(u, u) * dot(w, w));
    return d < 0.0f ? -s : s;
}

useless_edge_limits make_useless_edge_limits(float face_angle, float side_angle) {
    const float face = cosine_of(face_angle, 180.0f);
    const float side = cosine_of(side_angle, 180.0f);
    const float half = cosine_of(side_angle, 360.0f);
    // From 90 degrees up the half limit turns negative with the side
    // cosine, so that each half of an obtuse corner may reach 180 degrees
    // less half the side angle.
    return {signed_square(face, face), signed_square(side, side), signed_square(half, side)};
}

edge_candidates collect_useless_edges(Polygon_class& polygon, const useless_edge_limits& limits) {
    edge_candidates candidates;
    polygon_mesh_class& mesh = *polygon.mesh;
    const int edges = mesh.get_number_of_edges();
    if (edges < 1) return candidates;
    const int faces = mesh.get_number_of_faces();
    const auto is_face = [faces](int f) { return f >= 0 && f < faces; };
    mesh.begin_face_of_edge();
    polygon_scope::closer end([&] { mesh.end_face_of_edge(); });
    for (int e = 0; e < edges; ++e) {
        edge_class& edge = mesh.edge(e);
        edge.set_active(false);
        const int p = edge.get_v0();
        const int q = edge.get_v1();
        const int first = mesh.face_of_edge_b(e, p, false);
        const int second = mesh.face_of_edge_a(e, p, false);
        if (!is_face(first) || !is_face(second)) continue;
        float score = 0.0f;
        if (!polygon.check_useless_edge(p, q, mesh.face(first), mesh.face(second), limits.face, limits.side,
                                        limits.half, score))
            continue;
        edges_struct candidate;
        candidate.edge = e;
        candidate.sides[0] = mesh.edge_of_face_before(first, p);
        candidate.sides[1] = mesh.edge_of_face_after(first, q);
        candidate.sides[2] = mesh.edge_of_face_after(second, p);
        candidate.sides[3] = mesh.edge_of_face_before(second, q);
        // A multimap inserts after the equal keys already there.
        candidates.emplace(-score, candidate);
    }
    return candidates;
}

int resolve_useless_edge_conflicts(edge_candidates& candidates) {
    // A candidate loses when an earlier one's edge is one of its sides. So
    // each candidate only needs, for each side, the first position in key
    // order at which that side is some candidate's edge.
    if (candidates.empty()) return 0;
    long long lowest = candidates.begin()->second.edge;
    long long highest = lowest;
    for (const auto& entry : candidates) {
        lowest = std::min<long long>(lowest, entry.second.edge);
        highest = std::max<long long>(highest, entry.second.edge);
    }
    constexpr int none = std::numeric_limits<int>::max();
    std::vector<int> first_position(static_cast<std::size_t>(highest - lowest + 1), none);
    const auto slot = [&](int edge) -> int* {
        if (edge < lowest || edge > highest) return nullptr;
        return &first_position[static_cast<std::size_t>(edge - lowest)];
    };
    int position = 0;
    for (const auto& entry : candidates) {
        int& first = *slot(entry.second.edge);
        if (first == none) first = position;
        ++position;
    }

    int valid = 0;
    position = 0;
    for (auto& entry : candidates) {
        edges_struct& y = entry.second;
        for (int side : y.sides)
            if (const int* first = slot(side); first && *first < position) y.valid = false;
        if (y.valid) ++valid;
        ++position;
    }
    return valid;
}

}  // namespace korvo_polygon

bool Polygon_class::check_useless_edge(int p, int q, face_class& first, face_class& second, float face_limit,
                                       float side_limit, float half_limit, float& score) {
    using korvo_polygon::signed_squared_cosine;
    if (first.get_number_of_vertices() != 3 || second.get_number_of_vertices() != 3) return false;
    const int a = korvo_polygon::third_corner(first, p, q);
    const int b = korvo_polygon::third_corner(second, p, q);
    if (a < 0 || b < 0) return false;

    const vec3 P = mesh->vertex(p).get_position();
    const vec3 Q = mesh->vertex(q).get_position();
    const vec3 A = mesh->vertex(a).get_position();
    const vec3 B = mesh->vertex(b).get_position();
    const vec3 ea = A - P;
    const vec3 ed = Q - P;
    const vec3 eb = B - P;

    // The two triangles' normals (cross products).
    const float flatness = signed_squared_cosine(ed * ea, eb * ed);
    if (!(flatness >= face_limit)) return false;
    score = flatness;

    // The corner of the quadrilateral at P, its two halves, then at Q.
    if (!(signed_squared_cosine(ea, ed) >= half_limit) || !(signed_squared_cosine(ed, eb) >= half_limit))
        return false;
    if (!(signed_squared_cosine(ea, eb) >= side_limit)) return false;
    const vec3 qa = A - Q;
    const vec3 qp = P - Q;
    const vec3 qb = B - Q;
    if (!(signed_squared_cosine(qa, qp) >= half_limit) || !(signed_squared_cosine(qb, qp) >= half_limit))
        return false;
    return signed_squared_cosine(qb, qa) >= side_limit;
}

bool Polygon_class::select_useless_edges(float face_angle, float side_angle) {
    using namespace korvo_polygon;
    edge_candidates candidates = collect_useless_edges(*this, make_useless_edge_limits(face_angle, side_angle));
    if (resolve_useless_edge_conflicts(candidates) == 0) return false;
    for (const auto& entry : candidates)
        if (entry.second.valid) mesh->edge(entry.second.edge).set_active(true);
    return true;
}
