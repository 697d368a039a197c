// Pairing the faces of a mesh whose vertices are paired, and the queries of
// the face repair workflow.
#include <algorithm>
#include <cmath>
#include <utility>

#include "frame/sdk/polygon_mesh.h"
#include "frame/sdk/scene.h"
#include "symmetry/face_cycles.h"
#include "symmetry/mirror.h"
#include "symmetry/radix_sort.h"
#include "symmetry/twinel_class.h"
#include "symmetry/vertex_sweep.h"

namespace {

// The join of the faces on their key. Faces are visited in key order (equal
// keys by face index); each is paired with the first face of its key, from
// itself onward, that is unpaired and whose vertex list is its mirror list.
//
// A face's key and its mirror face's key are equal, but on regular meshes
// whole rows of faces share one key, so the candidates of a key are also
// ordered by cycle signature: only the faces whose signature equals that of
// the mirror list can match, and those are found by a binary search within
// the key's run. The faces tried and their order are those of the plain walk
// over the run, less the ones that cannot match.
class face_join {
public:
    face_join(const face_buffer& faces, const Interconnection_class& vertices, Interconnection_class& table)
        : faces_(faces), vertices_(vertices), table_(table) {}

    void run(sweep_progress& progress) {
        const int n = faces_.size();
        std::vector<std::uint32_t> key(static_cast<std::size_t>(n));
        signature_.resize(static_cast<std::size_t>(n));
        walk_.resize(static_cast<std::size_t>(n));
        candidates_.resize(static_cast<std::size_t>(n));
        for (int f = 0; f < n; ++f) {
            const std::size_t at = static_cast<std::size_t>(f);
            key[at] = face_key(faces_.vertices(f), faces_.count(f), vertices_);
            signature_[at] = cycle_signature(faces_.vertices(f), faces_.count(f));
            walk_[at] = {key[at], static_cast<std::uint32_t>(f)};
            candidates_[at] = {signature_[at], static_cast<std::uint32_t>(f)};
        }
        std::vector<radix_record> scratch;
        radix_sort(walk_, scratch);        // (key, face)
        radix_sort(candidates_, scratch);  // (signature, face)
        for (radix_record& r : candidates_) r.key = key[r.value];
        radix_sort(candidates_, scratch);  // (key, signature, face)

        std::size_t first = 0;
        while (first < walk_.size()) {
            std::size_t last = first + 1;
            while (last < walk_.size() && walk_[last].key == walk_[first].key) ++last;
            for (std::size_t p = first; p < last; ++p) {
                progress.tick();
                pair_entry(static_cast<int>(walk_[p].value), first, last);
            }
            first = last;
        }
    }

private:
    // Pairs face e with the first matching face of the run [first, last).
    void pair_entry(int e, std::size_t first, std::size_t last) {
        mirror_list(faces_.vertices(e), faces_.count(e), vertices_, mirror_);
        const int m = static_cast<int>(mirror_.size());
        const std::uint32_t wanted = cycle_signature(mirror_.data(), m);
        const auto begin = candidates_.begin() + static_cast<std::ptrdiff_t>(first);
        const auto end = candidates_.begin() + static_cast<std::ptrdiff_t>(last);
        auto at = std::lower_bound(begin, end, std::make_pair(wanted, e),
                                   [this](const radix_record& r, const std::pair<std::uint32_t, int>& v) {
                                       const std::uint32_t s = signature_[r.value];
                                       return s < v.first || (s == v.first && static_cast<int>(r.value) < v.second);
                                   });
        for (; at != end && signature_[at->value] == wanted; ++at) {
            const int g = static_cast<int>(at->value);
            if (!table_.has_pair(g) && same_rotation(faces_.vertices(g), faces_.count(g), mirror_.data(), m)) {
                table_.link(e, g);
                return;
            }
        }
    }

    const face_buffer& faces_;
    const Interconnection_class& vertices_;
    Interconnection_class& table_;
    std::vector<std::uint32_t> signature_;
    std::vector<radix_record> walk_;
    std::vector<radix_record> candidates_;
    std::vector<int> mirror_;
};

// The vertex list of one host face.
std::vector<int> vertex_list(face_class& f) {
    std::vector<int> list(static_cast<std::size_t>(std::max(f.get_number_of_vertices(), 0)));
    if (!list.empty()) f.get_vertex_indices(list.data());
    return list;
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
        face_join(faces, vertex_table, face_table).run(counter);
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
