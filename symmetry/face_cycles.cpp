#include "symmetry/face_cycles.h"

#include <algorithm>

#include "mesh/mesh_analysis.h"

namespace {

// A well-mixed image of one index (the finaliser of MurmurHash3), so that
// sums of several indices rarely collide.
std::uint32_t mix(std::uint32_t x) {
    x ^= x >> 16;
    x *= 0x85EBCA6Bu;
    x ^= x >> 13;
    x *= 0xC2B2AE35u;
    x ^= x >> 16;
    return x;
}

}  // namespace

face_buffer read_face_buffer(polygon_mesh_class& mesh) {
    face_buffer faces;
    korvo_polygon::read_faces(mesh, faces.start, faces.corners);
    return faces;
}

std::uint32_t face_key(const int* vertices, int n, const Interconnection_class& table) {
    std::uint32_t key = 0;
    for (int k = 0; k < n; ++k)
        key += static_cast<std::uint32_t>(vertices[k]) + static_cast<std::uint32_t>(table.partner(vertices[k]));
    return key;
}

std::uint32_t cycle_signature(const int* vertices, int n) {
    std::uint32_t sum = mix(static_cast<std::uint32_t>(n) ^ 0x9E3779B9u);
    for (int k = 0; k < n; ++k) sum += mix(static_cast<std::uint32_t>(vertices[k]));
    return sum;
}

bool same_rotation(const int* face, int nf, const int* list, int nl) {
    if (nf != nl || nf == 0) return false;
    const int* at = std::find(list, list + nl, face[0]);
    if (at == list + nl) return false;
    int k = static_cast<int>(at - list);
    for (int j = 1; j < nf; ++j) {
        if (++k == nl) k = 0;
        if (face[j] != list[k]) return false;
    }
    return true;
}

void mirror_list(const int* vertices, int n, const Interconnection_class& table, std::vector<int>& out) {
    out.resize(static_cast<std::size_t>(std::max(n, 0)));
    for (int k = 0; k < n; ++k) out[static_cast<std::size_t>(n - 1 - k)] = table.partner(vertices[k]);
}

bool has_unpaired_vertex(const std::vector<int>& list) {
    return std::find(list.begin(), list.end(), -1) != list.end();
}
