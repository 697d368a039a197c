// Direct UV edits of the Polygon_class wrapper: copying one UV set onto the
// other, translating or scaling a whole set, uniting and separating the UVs
// at selected vertices, and writing collected corners back.
#include "uv/uv_editing.h"

#include <cstddef>
#include <vector>

#include "frame/sdk/polygon_mesh.h"
#include "mesh/polygon_class.h"
#include "uv/uv_grouping.h"

using uv_editing::face_uv;

namespace {

// One face's UV set, read and written as a whole.
void read_uvs(face_class& face, bool distance, std::vector<vec2>& uvs) {
    const int n = face.get_number_of_vertices();
    uvs.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    if (uvs.empty()) return;
    if (distance)
        face.get_distance_uv(uvs.data());
    else
        face.get_parameter_uv(uvs.data());
}

void write_uvs(face_class& face, bool distance, const std::vector<vec2>& uvs) {
    if (distance)
        face.set_distance_uv(uvs.data());
    else
        face.set_parameter_uv(uvs.data());
}

void read_corners(face_class& face, std::vector<int>& corners) {
    const int n = face.get_number_of_vertices();
    corners.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    if (!corners.empty()) face.get_vertex_indices(corners.data());
}

// For each vertex of the mesh, its place in the selection (0 for the first
// selected vertex), or -1 when it is not selected.
std::vector<int> selection_ranks(Polygon_class& polygon, std::vector<int>& selected) {
    const int vertices = polygon.mesh->get_number_of_vertices();
    std::vector<int> rank(vertices > 0 ? static_cast<std::size_t>(vertices) : 0, -1);
    polygon.get_active_vertices(selected);
    for (std::size_t k = 0; k < selected.size(); ++k) {
        const int v = selected[k];
        if (v >= 0 && v < vertices && rank[static_cast<std::size_t>(v)] < 0)
            rank[static_cast<std::size_t>(v)] = static_cast<int>(k);
    }
    return rank;
}

}  // namespace

bool Polygon_class::get_faces_uv(std::vector<face_uv>& list, bool distance) {
    polygon_mesh_class& m = *mesh;
    const int faces = m.get_number_of_faces();
    if (m.get_number_of_active_vertices() < 1 || faces < 1) return false;
    list.clear();
    std::vector<int> selected;
    const std::vector<int> rank = selection_ranks(*this, selected);

    // One pass over the faces, each corner going to the bucket of its
    // selected vertex: the list comes out ordered by selected vertex, then
    // by face, as a walk of every face for every selected vertex would give.
    std::vector<std::vector<face_uv>> buckets(selected.size());
    std::vector<int> corners;
    std::vector<vec2> uvs;
    std::vector<int> seen_at(selected.size(), -1);  // the last face that gave a record
    for (int f = 0; f < faces; ++f) {
        face_class& face = m.face(f);
        if (!face.has_uv()) continue;
        read_corners(face, corners);
        bool read = false;
        for (std::size_t k = 0; k < corners.size(); ++k) {
            const int v = corners[k];
            if (v < 0 || static_cast<std::size_t>(v) >= rank.size()) continue;
            const int r = rank[static_cast<std::size_t>(v)];
            if (r < 0 || seen_at[static_cast<std::size_t>(r)] == f) continue;
            if (!read) {
                read_uvs(face, distance, uvs);
                read = true;
            }
            seen_at[static_cast<std::size_t>(r)] = f;
            buckets[static_cast<std::size_t>(r)].push_back({v, f, static_cast<int>(k), uvs[k], -1});
        }
    }
    for (const std::vector<face_uv>& bucket : buckets) list.insert(list.end(), bucket.begin(), bucket.end());
    return !list.empty();
}

void Polygon_class::set_faces_uv(const std::vector<face_uv>& list, bool distance) {
    polygon_mesh_class& m = *mesh;
    const int faces = m.get_number_of_faces();
    std::vector<vec2> uvs;
    for (const face_uv& record : list) {
        // A list collected before the mesh changed may name faces or
        // corners that are gone.
        if (record.face < 0 || record.face >= faces) continue;
        face_class& face = m.face(record.face);
        if (!face.has_uv()) continue;
        read_uvs(face, distance, uvs);
        if (record.corner < 0 || static_cast<std::size_t>(record.corner) >= uvs.size()) continue;
        uvs[static_cast<std::size_t>(record.corner)] = record.uv;
        write_uvs(face, distance, uvs);
    }
}

void Polygon_class::copy_uv(bool distance_to_parameter) {
    polygon_mesh_class& m = *mesh;
    const int faces = m.get_number_of_faces();
    std::vector<vec2> uvs;
    for (int f = 0; f < faces; ++f) {
        face_class& face = m.face(f);
        if (!face.has_uv()) continue;
        read_uvs(face, distance_to_parameter, uvs);
        if (!uvs.empty()) write_uvs(face, !distance_to_parameter, uvs);
    }
}

void Polygon_class::change_uv_by_value(int target, vec2 value, bool offset) {
    polygon_mesh_class& m = *mesh;
    const bool distance = target == 0;
    const int faces = m.get_number_of_faces();
    std::vector<vec2> uvs;
    for (int f = 0; f < faces; ++f) {
        face_class& face = m.face(f);
        if (face.get_number_of_vertices() < 1 || !face.has_uv()) continue;
        read_uvs(face, distance, uvs);
        for (vec2& uv : uvs) {
            if (offset) {
                uv.x = uv.x + value.x;
                uv.y = uv.y + value.y;
            } else {
                uv.x = uv.x * value.x;
                uv.y = uv.y * value.y;
            }
        }
        write_uvs(face, distance, uvs);
    }
}

void Polygon_class::unify_uv(bool distance, bool all, float radius) {
    std::vector<face_uv> list;
    if (!get_faces_uv(list, distance)) return;
    const float limit = radius * radius;

    // Greedy groups: each group is seeded by the first ungrouped record and
    // takes members by their distance from that seed, not from a running
    // mean, so the order of the list decides. A seed comes before its
    // members, so summing in list order adds the seed first.
    const int groups = uv_editing::group_uv_records(list, all, limit);
    std::vector<vec2> sums(static_cast<std::size_t>(groups));
    std::vector<int> members(static_cast<std::size_t>(groups), 0);
    for (const face_uv& r : list) {
        const std::size_t g = static_cast<std::size_t>(r.group);
        sums[g] = members[g] == 0 ? r.uv : sums[g] + r.uv;
        ++members[g];
    }
    for (std::size_t g = 0; g < sums.size(); ++g) sums[g] = sums[g] * (1.0f / static_cast<float>(members[g]));
    for (face_uv& r : list) r.uv = sums[static_cast<std::size_t>(r.group)];
    set_faces_uv(list, distance);
}

void Polygon_class::separate_uv(int distance) {
    polygon_mesh_class& m = *mesh;
    const int faces = m.get_number_of_faces();
    if (m.get_number_of_active_vertices() < 1 || faces < 1) return;
    std::vector<int> selected;
    const std::vector<int> rank = selection_ranks(*this, selected);
    const bool use_distance = distance != 0;

    std::vector<int> corners;
    std::vector<vec2> uvs;
    std::vector<bool> noted;
    for (int f = 0; f < faces; ++f) {
        face_class& face = m.face(f);
        if (!face.has_uv()) continue;
        read_corners(face, corners);
        noted.assign(corners.size(), false);
        bool any = false;
        for (std::size_t k = 0; k < corners.size(); ++k) {
            const int v = corners[k];
            if (v >= 0 && static_cast<std::size_t>(v) < rank.size() && rank[static_cast<std::size_t>(v)] >= 0)
                noted[k] = any = true;
        }
        if (!any) continue;
        read_uvs(face, use_distance, uvs);
        vec2 sum;
        for (const vec2& uv : uvs) sum += uv;
        // A quarter of the centroid, (1 / n) * sum * 0.25, added to three
        // quarters of the corner's own UV.
        const vec2 quarter = (1.0f / static_cast<float>(uvs.size())) * sum * 0.25f;
        for (std::size_t k = 0; k < uvs.size(); ++k)
            if (noted[k]) uvs[k] = 0.75f * uvs[k] + quarter;
        write_uvs(face, use_distance, uvs);
    }
}
