// Pairing the faces of a mesh whose vertices are paired, and the queries of
// the face repair workflow.
#include <algorithm>
#include <cmath>
#include <utility>

#include "frame/sdk/polygon_mesh.h"
#include "frame/sdk/scene.h"
#include "symmetry/face_cycles.h"
#include "symmetry/mirror.h"
#include "symmetry/twinel_class.h"
#include "symmetry/vertex_sweep.h"

namespace {

// The join of the faces on their key. Taken literally it visits the faces
// in key order (equal keys by face index) and pairs each with the first
// face of its key, from itself onward, that is unpaired and whose vertex
// list is its mirror list up to rotation. Visiting a face only changes pairs
// among faces of its own key, so the faces can be visited in plain index
// order with the same outcome; and a face matching the mirror list holds
// every vertex of it, so the candidates are the faces at the list's rarest
// vertex, ascending from the visited face, each also checked for its key.
void join_faces(const face_buffer& faces, const Interconnection_class& vertices, Interconnection_class& table,
                sweep_progress& progress) {
    const vertex_faces at(faces, vertices.size());
    std::vector<int> mirror;
    for (int e = 0; e < faces.size(); ++e) {
        progress.tick();
        mirror_list(faces.vertices(e), faces.count(e), vertices, mirror);
        const int v = rarest_vertex(mirror, at);
        if (v < 0) continue;
        const int m = static_cast<int>(mirror.size());
        for (const int* g = std::lower_bound(at.begin(v), at.end(v), e); g != at.end(v); ++g) {
            if (!table.has_pair(*g) && same_rotation(faces.vertices(*g), faces.count(*g), mirror.data(), m) &&
                face_key(faces.vertices(*g), faces.count(*g), vertices) ==
                    face_key(faces.vertices(e), faces.count(e), vertices)) {
                table.link(e, *g);
                break;
            }
        }
    }
}

bool is_face(polygon_mesh_class& mesh, int face) { return face >= 0 && face < mesh.get_number_of_faces(); }

}  // namespace

const char* twinel_class::make_faces_link() {
    if (!polygon.shape || !polygon.mesh) return nullptr;
    const kx::host_ref<scene_interface> scene(polygon.shape->get_scene());
    polygon_mesh_class& mesh = *polygon.mesh;
    const int n = mesh.get_number_of_faces();
    face_table.resize(0);
    face_table.resize(n);
    const kx::host_ref<progress_interface> progress(
        scene ? scene->create_progress("making symmetry faces link table") : nullptr);
    if (progress) progress->set_range(0, n);
    try {
        sweep_progress counter(std::max(1, n / 100), [&progress](int position) {
            if (progress) progress->set_position(position);
        });
        const face_buffer faces = read_face_buffer(mesh);
        join_faces(faces, vertex_table, face_table, counter);
        if (do_symUV) adjust_uv();
    } catch (...) {
        return "Terminated";
    }
    return nullptr;
}

bool twinel_class::is_same_vertex_indices(int face, const Array<int>& list) {
    if (!polygon.mesh || !is_face(*polygon.mesh, face)) return false;
    const std::vector<int> vertices = vertex_list(polygon.mesh->face(face));
    return same_rotation(vertices.data(), static_cast<int>(vertices.size()), list.data(), list.size());
}

vec3 twinel_class::get_face_center(int face) {
    if (!polygon.mesh || !is_face(*polygon.mesh, face)) return vec3();
    polygon_mesh_class& mesh = *polygon.mesh;
    const std::vector<int> vertices = vertex_list(mesh.face(face));
    if (vertices.empty()) return vec3();
    vec3 sum;
    for (int v : vertices) sum += get_position(mesh.vertex(v));
    const float scale = 1.0f / static_cast<float>(vertices.size());
    return vec3(sum.x * scale, sum.y * scale, sum.z * scale);
}

void twinel_class::get_proposal_face_list(int face, std::vector<int>& out) {
    out.clear();
    if (!polygon.mesh || !is_face(*polygon.mesh, face)) return;
    const vec3 c = get_face_center(face);
    std::vector<std::pair<float, int>> found;
    const int n = polygon.mesh->get_number_of_faces();
    for (int g = 0; g < n; ++g) {
        if (g == face || face_table.has_pair(g)) continue;
        found.emplace_back(symmetry::distance(c, symmetry::mirror(get_face_center(g), plane)), g);
    }
    // Ascending distance, equal distances by index (the list is built in
    // index order and the sort is stable), NaN distances last.
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        if (std::isnan(a.first)) return false;
        return std::isnan(b.first) || a.first < b.first;
    });
    out.reserve(found.size());
    for (const auto& f : found) out.push_back(f.second);
}

int twinel_class::unmatch_faces_index(int after) {
    if (face_table.unmatched == 0) return -1;
    const int n = face_table.size();
    const long long next = static_cast<long long>(after) + 1;
    const int start = next < 0 || next > n ? 0 : static_cast<int>(next);
    for (int f = start; f < n; ++f)
        if (!face_table.has_pair(f)) return f;
    for (int f = 0; f < n; ++f)
        if (!face_table.has_pair(f)) return f;
    return -1;
}

void twinel_class::select_unmatch_faces() {
    if (!polygon.mesh) return;
    std::vector<int> unpaired;
    const int n = polygon.mesh->get_number_of_faces();
    for (int f = 0; f < n; ++f)
        if (!face_table.has_pair(f)) unpaired.push_back(f);
    polygon.select_faces(Array<int>(unpaired.begin(), unpaired.end()));
}
