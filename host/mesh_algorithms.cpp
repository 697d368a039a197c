#include "host/mesh_algorithms.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace host {

namespace {

// Index pairs (first[i], second[i]), first in [0, range), ordered by first,
// then second, then i. A counting sort on first followed by a sort of each
// bucket: the buckets are vertex neighbourhoods, a handful of entries each,
// so this is linear in practice and never quadratic in a busy vertex.
std::vector<std::int32_t> sorted_pair_order(int range, const std::vector<std::int32_t>& first,
                                            const std::vector<std::int32_t>& second) {
    const std::size_t n = first.size();
    std::vector<std::int32_t> start(static_cast<std::size_t>(range) + 1, 0);
    for (std::int32_t v : first) ++start[v + 1];
    for (int v = 0; v < range; ++v) start[v + 1] += start[v];
    std::vector<std::int32_t> order(n);
    {
        std::vector<std::int32_t> fill(start.begin(), start.end() - 1);
        for (std::size_t i = 0; i < n; ++i) order[fill[first[i]]++] = static_cast<std::int32_t>(i);
    }
    // Entries of a bucket are in ascending i already; a stable sort on
    // second keeps that order among equal keys.
    for (int v = 0; v < range; ++v) {
        std::int32_t* b = order.data() + start[v];
        std::int32_t* e = order.data() + start[v + 1];
        if (e - b < 2) continue;
        if (e - b <= 16) {
            for (std::int32_t* p = b + 1; p < e; ++p) {
                const std::int32_t x = *p;
                std::int32_t* q = p;
                while (q > b && second[q[-1]] > second[x]) {
                    *q = q[-1];
                    --q;
                }
                *q = x;
            }
        } else {
            std::stable_sort(b, e, [&](std::int32_t x, std::int32_t y) { return second[x] < second[y]; });
        }
    }
    return order;
}

// Calls fn(begin, end) for each run of `order` whose pairs are equal.
template <class Fn>
void for_each_group(const std::vector<std::int32_t>& order, const std::vector<std::int32_t>& first,
                    const std::vector<std::int32_t>& second, Fn fn) {
    const std::size_t n = order.size();
    std::size_t i = 0;
    while (i < n) {
        std::size_t j = i + 1;
        while (j < n && first[order[j]] == first[order[i]] && second[order[j]] == second[order[i]]) ++j;
        fn(order.data() + i, order.data() + j);
        i = j;
    }
}

std::int64_t pair_key(std::int32_t a, std::int32_t b) {
    return (static_cast<std::int64_t>(a) << 32) | static_cast<std::uint32_t>(b);
}

// Whether some vertex occurs twice among the n corners.
bool has_repeated_vertex(const std::int32_t* c, int n) {
    if (n <= 16) {
        for (int i = 1; i < n; ++i)
            for (int j = 0; j < i; ++j)
                if (c[i] == c[j]) return true;
        return false;
    }
    std::vector<std::int32_t> s(c, c + n);
    std::sort(s.begin(), s.end());
    return std::adjacent_find(s.begin(), s.end()) != s.end();
}

bool face_is_valid(const std::int32_t* c, int n) { return n >= 3 && !has_repeated_vertex(c, n); }

// Keeps the vertices with keep[v] set, in order. Returns the old-to-new map
// (-1 for a removed vertex).
std::vector<std::int32_t> compact_vertices(mesh_data& mesh, const std::vector<std::uint8_t>& keep) {
    const int nv = mesh.vertex_count();
    std::vector<std::int32_t> map(nv, -1);
    std::int32_t next = 0;
    for (int v = 0; v < nv; ++v) {
        if (!keep[v]) continue;
        map[v] = next;
        mesh.positions[next] = mesh.positions[v];
        mesh.vertex_selected[next] = mesh.vertex_selected[v];
        if (!mesh.vertex_skin.empty()) mesh.vertex_skin[next] = mesh.vertex_skin[v];
        if (!mesh.normals.empty()) mesh.normals[next] = mesh.normals[v];
        if (!mesh.extras.vertex_flags.empty()) {
            mesh.extras.vertex_flags[next] = mesh.extras.vertex_flags[v];
            mesh.extras.vertex_w[next] = mesh.extras.vertex_w[v];
            mesh.extras.vertex_color[next] = mesh.extras.vertex_color[v];
        }
        ++next;
    }
    mesh.positions.resize(next);
    mesh.vertex_selected.resize(next);
    if (!mesh.vertex_skin.empty()) mesh.vertex_skin.resize(next);
    if (!mesh.normals.empty()) mesh.normals.resize(next);
    if (!mesh.extras.vertex_flags.empty()) {
        mesh.extras.vertex_flags.resize(next);
        mesh.extras.vertex_w.resize(next);
        mesh.extras.vertex_color.resize(next);
    }
    return map;
}

// Keeps the faces with keep[f] set, in order, in a fresh gap-free corner
// layout; corner vertices go through `map` when it is given.
void compact_faces(mesh_data& mesh, const std::vector<std::uint8_t>& keep, const std::vector<std::int32_t>* map) {
    const int nf = mesh.face_count();
    const bool with_normals = !mesh.corner_normal.empty();
    std::size_t total = 0;
    for (int f = 0; f < nf; ++f)
        if (keep[f]) total += static_cast<std::size_t>(mesh.face_size[f]);
    std::vector<std::int32_t> cv;
    std::vector<vec2> puv, duv;
    std::vector<vec3> nrm;
    std::vector<std::int32_t> uv_source, normal_source;
    mesh_extras& x = mesh.extras;
    cv.reserve(total);
    puv.reserve(total);
    if (!mesh.duv_shared) duv.reserve(total);
    if (with_normals) nrm.reserve(total);
    int next = 0;
    for (int f = 0; f < nf; ++f) {
        if (!keep[f]) continue;
        const std::int32_t s = mesh.face_start[f];
        const std::int32_t n = mesh.face_size[f];
        mesh.face_start[next] = static_cast<std::int32_t>(cv.size());
        mesh.face_size[next] = n;
        mesh.face_has_uv[next] = mesh.face_has_uv[f];
        mesh.face_selected[next] = mesh.face_selected[f];
        mesh.face_has_normals[next] = mesh.face_has_normals[f];
        for (std::int32_t k = s; k < s + n; ++k) cv.push_back(map ? (*map)[mesh.corner_vertex[k]] : mesh.corner_vertex[k]);
        puv.insert(puv.end(), mesh.corner_puv.begin() + s, mesh.corner_puv.begin() + s + n);
        if (!mesh.duv_shared) duv.insert(duv.end(), mesh.corner_duv.begin() + s, mesh.corner_duv.begin() + s + n);
        if (with_normals) nrm.insert(nrm.end(), mesh.corner_normal.begin() + s, mesh.corner_normal.begin() + s + n);
        if (!x.face_style.empty()) x.face_style[next] = x.face_style[f];
        if (!x.corner_uv_source.empty())
            uv_source.insert(uv_source.end(), x.corner_uv_source.begin() + s, x.corner_uv_source.begin() + s + n);
        if (!x.corner_normal_source.empty())
            normal_source.insert(normal_source.end(), x.corner_normal_source.begin() + s,
                                 x.corner_normal_source.begin() + s + n);
        ++next;
    }
    if (!x.face_style.empty()) x.face_style.resize(next);
    x.corner_uv_source.swap(uv_source);
    x.corner_normal_source.swap(normal_source);
    mesh.face_start.resize(next);
    mesh.face_size.resize(next);
    mesh.face_has_uv.resize(next);
    mesh.face_selected.resize(next);
    mesh.face_has_normals.resize(next);
    mesh.corner_vertex.swap(cv);
    mesh.corner_puv.swap(puv);
    mesh.corner_duv.swap(duv);
    mesh.corner_normal.swap(nrm);
    mesh.garbage_corners = 0;
}

// Keeps the edges with keep[e] set, in order; their ends go through `map`
// when it is given.
void compact_edges(mesh_data& mesh, const std::vector<std::uint8_t>& keep, const std::vector<std::int32_t>* map) {
    std::size_t next = 0;
    for (std::size_t e = 0; e < mesh.edges.size(); ++e) {
        if (!keep[e]) continue;
        auto ends = mesh.edges[e];
        if (map) ends = {(*map)[ends[0]], (*map)[ends[1]]};
        mesh.edges[next] = ends;
        mesh.edge_selected[next] = mesh.edge_selected[e];
        ++next;
    }
    mesh.edges.resize(next);
    mesh.edge_selected.resize(next);
}

bool flagged(const std::vector<std::uint8_t>& mask, std::size_t i) { return !mask.empty() && mask[i]; }

// Mixes the bit patterns of a position into a table slot hash.
std::uint64_t mix64(std::uint64_t x) {
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9ULL;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebULL;
    x ^= x >> 31;
    return x;
}

std::uint32_t float_bits(float f) {
    if (f == 0.0f) f = 0.0f;  // -0 and +0 compare equal, so they must hash alike
    std::uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

std::uint64_t position_hash(const vec3& p) {
    const std::uint64_t xy = (static_cast<std::uint64_t>(float_bits(p.x)) << 32) | float_bits(p.y);
    return mix64(xy ^ mix64(float_bits(p.z) + 0x9e3779b97f4a7c15ULL));
}

// For every vertex the lowest-indexed vertex at the same position (itself
// when it is the first; always itself with a NaN coordinate).
std::vector<std::int32_t> duplicate_representatives(const std::vector<vec3>& positions) {
    const std::size_t nv = positions.size();
    std::size_t size = 16;
    while (size < 2 * nv) size *= 2;
    const std::uint64_t mask = size - 1;
    std::vector<std::int32_t> table(size, -1);
    std::vector<std::int32_t> rep(nv);
    for (std::size_t v = 0; v < nv; ++v) {
        const vec3& p = positions[v];
        rep[v] = static_cast<std::int32_t>(v);
        if (std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z)) continue;
        std::uint64_t h = position_hash(p) & mask;
        while (table[h] >= 0) {
            if (positions[table[h]] == p) {
                rep[v] = table[h];
                break;
            }
            h = (h + 1) & mask;
        }
        if (table[h] < 0) table[h] = static_cast<std::int32_t>(v);
    }
    return rep;
}

// The sides of all faces in face and corner order: from -> to and the face.
struct face_sides {
    std::vector<std::int32_t> from, to, face;
};

face_sides collect_sides(const mesh_data& mesh) {
    face_sides s;
    const std::size_t total = mesh.corner_vertex.size() - static_cast<std::size_t>(mesh.garbage_corners);
    s.from.reserve(total);
    s.to.reserve(total);
    s.face.reserve(total);
    for (int f = 0; f < mesh.face_count(); ++f) {
        const std::int32_t* c = mesh.face_vertices(f);
        const int n = mesh.face_size[f];
        for (int k = 0; k < n; ++k) {
            s.from.push_back(c[k]);
            s.to.push_back(c[k + 1 < n ? k + 1 : 0]);
            s.face.push_back(f);
        }
    }
    return s;
}

}  // namespace

void remove_elements(mesh_data& mesh, const std::vector<std::uint8_t>& vertex_mask,
                     const std::vector<std::uint8_t>& edge_mask, const std::vector<std::uint8_t>& face_mask) {
    const int nv = mesh.vertex_count();
    bool any_vertex = false;
    for (int v = 0; v < nv && !any_vertex; ++v) any_vertex = flagged(vertex_mask, v);

    std::vector<std::uint8_t> keep_face(mesh.face_count());
    for (int f = 0; f < mesh.face_count(); ++f) {
        bool keep = !flagged(face_mask, f);
        const std::int32_t* c = mesh.face_vertices(f);
        for (int k = 0; keep && any_vertex && k < mesh.face_size[f]; ++k) keep = !vertex_mask[c[k]];
        keep_face[f] = keep;
    }
    std::vector<std::uint8_t> keep_edge(mesh.edges.size());
    for (std::size_t e = 0; e < mesh.edges.size(); ++e)
        keep_edge[e] = !flagged(edge_mask, e) &&
                       !(any_vertex && (vertex_mask[mesh.edges[e][0]] || vertex_mask[mesh.edges[e][1]]));

    std::vector<std::int32_t> map;
    if (any_vertex) {
        std::vector<std::uint8_t> keep_vertex(nv);
        for (int v = 0; v < nv; ++v) keep_vertex[v] = !vertex_mask[v];
        map = compact_vertices(mesh, keep_vertex);
    }
    compact_faces(mesh, keep_face, any_vertex ? &map : nullptr);
    compact_edges(mesh, keep_edge, any_vertex ? &map : nullptr);
}

namespace {

// Calls fn(from, to) for every side of every face, in face and corner order.
template <class Fn>
void for_each_side(const mesh_data& mesh, Fn fn) {
    for (int f = 0; f < mesh.face_count(); ++f) {
        const std::int32_t* c = mesh.face_vertices(f);
        const int n = mesh.face_size[f];
        for (int k = 0; k < n; ++k) fn(c[k], c[k + 1 < n ? k + 1 : 0]);
    }
}

}  // namespace

void rebuild_edges(mesh_data& mesh) {
    // Loops (a face repeating a vertex in neighbouring corners) join
    // nothing and get no edge; the other sides are numbered in order.
    const int nv = mesh.vertex_count();
    std::vector<std::int32_t> start(static_cast<std::size_t>(nv) + 1, 0);
    std::size_t sides = 0;
    for_each_side(mesh, [&](std::int32_t a, std::int32_t b) {
        if (a == b) return;
        ++start[static_cast<std::size_t>(std::min(a, b)) + 1];
        ++sides;
    });
    for (int v = 0; v < nv; ++v) start[v + 1] += start[v];

    // Each side under its lower vertex, in side order: its higher vertex and
    // its number.
    std::vector<std::int32_t> higher(sides), number(sides);
    {
        std::vector<std::int32_t> fill(start.begin(), start.end() - 1);
        std::int32_t next = 0;
        for_each_side(mesh, [&](std::int32_t a, std::int32_t b) {
            if (a == b) return;
            const std::int32_t at = fill[std::min(a, b)]++;
            higher[at] = std::max(a, b);
            number[at] = next++;
        });
    }
    // A vertex pair is used first by the first side under its lower vertex
    // that reaches its higher vertex.
    std::vector<std::uint8_t> first_use(sides, 0);
    std::size_t edge_count = 0;
    {
        std::vector<std::int32_t> seen(static_cast<std::size_t>(nv), -1);
        for (std::int32_t lo = 0; lo < nv; ++lo)
            for (std::int32_t at = start[lo]; at < start[lo + 1]; ++at)
                if (seen[higher[at]] != lo) {
                    seen[higher[at]] = lo;
                    first_use[number[at]] = 1;
                    ++edge_count;
                }
    }

    std::vector<std::int64_t> selected;  // unordered keys of selected old edges
    for (std::size_t e = 0; e < mesh.edges.size(); ++e)
        if (mesh.edge_selected[e]) {
            const auto& ed = mesh.edges[e];
            selected.push_back(pair_key(std::min(ed[0], ed[1]), std::max(ed[0], ed[1])));
        }
    std::sort(selected.begin(), selected.end());

    // The edge arrays at their final size at once: grown by doubling, a
    // large mesh's would leave holes the next arrays do not fit.
    mesh.edges.clear();
    mesh.edge_selected.clear();
    mesh.edges.reserve(edge_count);
    mesh.edge_selected.reserve(edge_count);
    std::size_t side = 0;
    for_each_side(mesh, [&](std::int32_t a, std::int32_t b) {
        if (a == b || !first_use[side++]) return;
        mesh.edges.push_back({a, b});
        mesh.edge_selected.push_back(
            !selected.empty() &&
                    std::binary_search(selected.begin(), selected.end(), pair_key(std::min(a, b), std::max(a, b)))
                ? 1
                : 0);
    });
}

int reduce_duplicated_vertices(mesh_data& mesh) {
    const int nv = mesh.vertex_count();
    const std::vector<std::int32_t> rep = duplicate_representatives(mesh.positions);
    std::vector<std::uint8_t> keep_vertex(nv);
    int removed = 0;
    for (int v = 0; v < nv; ++v) {
        keep_vertex[v] = rep[v] == v;
        removed += rep[v] != v;
    }
    if (removed == 0) return 0;

    // A face is dropped when the merge made it invalid; one that was invalid
    // already stays as it was, apart from the renumbering.
    std::vector<std::uint8_t> keep_face(mesh.face_count(), 1);
    std::vector<std::int32_t> merged;
    for (int f = 0; f < mesh.face_count(); ++f) {
        const std::int32_t* c = mesh.face_vertices(f);
        const int n = mesh.face_size[f];
        bool touched = false;
        for (int k = 0; k < n && !touched; ++k) touched = rep[c[k]] != c[k];
        if (!touched || !face_is_valid(c, n)) continue;
        merged.resize(n);
        for (int k = 0; k < n; ++k) merged[k] = rep[c[k]];
        keep_face[f] = face_is_valid(merged.data(), n);
    }

    const std::vector<std::int32_t> new_index = compact_vertices(mesh, keep_vertex);
    std::vector<std::int32_t> map(nv);
    for (int v = 0; v < nv; ++v) map[v] = new_index[rep[v]];
    compact_faces(mesh, keep_face, &map);

    // Edges: renumber, then drop loops and all but the first of each pair.
    const std::size_t ne = mesh.edges.size();
    std::vector<std::int32_t> lo(ne), hi(ne);
    for (std::size_t e = 0; e < ne; ++e) {
        auto& ed = mesh.edges[e];
        ed = {map[ed[0]], map[ed[1]]};
        lo[e] = std::min(ed[0], ed[1]);
        hi[e] = std::max(ed[0], ed[1]);
    }
    std::vector<std::uint8_t> keep_edge(ne, 0);
    const auto order = sorted_pair_order(mesh.vertex_count(), lo, hi);
    for_each_group(order, lo, hi, [&](const std::int32_t* b, const std::int32_t* e) {
        if (lo[*b] == hi[*b]) return;
        keep_edge[*b] = 1;
        for (const std::int32_t* p = b + 1; p < e; ++p) mesh.edge_selected[*b] |= mesh.edge_selected[*p];
    });
    compact_edges(mesh, keep_edge, nullptr);
    return removed;
}

bool check_face_directions(const mesh_data& mesh) {
    const face_sides s = collect_sides(mesh);
    const auto order = sorted_pair_order(mesh.vertex_count(), s.from, s.to);
    bool consistent = true;
    // Sides of one group are in face order, so two faces share the directed
    // side exactly when the group's first and last faces differ.
    for_each_group(order, s.from, s.to, [&](const std::int32_t* b, const std::int32_t* e) {
        if (s.face[*b] != s.face[e[-1]] && s.from[*b] != s.to[*b]) consistent = false;
    });
    return consistent;
}

int adjust_face_directions(mesh_data& mesh) {
    const int nf = mesh.face_count();
    face_sides s = collect_sides(mesh);
    const std::size_t ns = s.from.size();
    std::vector<std::int32_t> lo(ns), hi(ns);
    for (std::size_t i = 0; i < ns; ++i) {
        lo[i] = std::min(s.from[i], s.to[i]);
        hi[i] = std::max(s.from[i], s.to[i]);
    }
    // Links between the two faces of every side shared by exactly two
    // faces; `flip` says whether they run the side the same way, which puts
    // them in opposite orientation classes.
    struct link {
        std::int32_t a, b;
        std::uint8_t flip;
    };
    std::vector<link> links;
    links.reserve(ns / 2);
    const auto order = sorted_pair_order(mesh.vertex_count(), lo, hi);
    for_each_group(order, lo, hi, [&](const std::int32_t* b, const std::int32_t* e) {
        if (e - b != 2 || lo[*b] == hi[*b] || s.face[b[0]] == s.face[b[1]]) return;
        links.push_back({s.face[b[0]], s.face[b[1]], static_cast<std::uint8_t>(s.from[b[0]] == s.from[b[1]])});
    });
    s = face_sides();

    std::vector<std::int32_t> start(static_cast<std::size_t>(nf) + 1, 0);
    for (const link& l : links) {
        ++start[l.a + 1];
        ++start[l.b + 1];
    }
    for (int f = 0; f < nf; ++f) start[f + 1] += start[f];
    std::vector<std::pair<std::int32_t, std::uint8_t>> adjacent(2 * links.size());
    {
        std::vector<std::int32_t> fill(start.begin(), start.end() - 1);
        for (const link& l : links) {
            adjacent[fill[l.a]++] = {l.b, l.flip};
            adjacent[fill[l.b]++] = {l.a, l.flip};
        }
    }
    links = std::vector<link>();

    // Breadth-first walk of each piece from its lowest face; on a piece that
    // cannot be oriented the first assignment of a face stands.
    std::vector<std::int8_t> parity(nf, -1);
    std::vector<std::int32_t> piece;
    int reversed = 0;
    for (int root = 0; root < nf; ++root) {
        if (parity[root] >= 0) continue;
        piece.clear();
        piece.push_back(root);
        parity[root] = 0;
        int counts[2] = {1, 0};
        for (std::size_t i = 0; i < piece.size(); ++i) {
            const std::int32_t f = piece[i];
            for (std::int32_t k = start[f]; k < start[f + 1]; ++k) {
                const std::int32_t g = adjacent[k].first;
                if (parity[g] >= 0) continue;
                parity[g] = static_cast<std::int8_t>(parity[f] ^ adjacent[k].second);
                ++counts[parity[g]];
                piece.push_back(g);
            }
        }
        const int flip_class = counts[1] <= counts[0] ? 1 : 0;
        for (std::int32_t f : piece)
            if (parity[f] == flip_class) {
                reverse_face(mesh, f);
                ++reversed;
            }
    }
    return reversed;
}

void reverse_face(mesh_data& mesh, int f) {
    const std::size_t s = static_cast<std::size_t>(mesh.face_start[f]);
    const std::size_t e = s + static_cast<std::size_t>(mesh.face_size[f]);
    std::reverse(mesh.corner_vertex.begin() + s, mesh.corner_vertex.begin() + e);
    std::reverse(mesh.corner_puv.begin() + s, mesh.corner_puv.begin() + e);
    if (!mesh.duv_shared) std::reverse(mesh.corner_duv.begin() + s, mesh.corner_duv.begin() + e);
    if (!mesh.corner_normal.empty()) std::reverse(mesh.corner_normal.begin() + s, mesh.corner_normal.begin() + e);
    for (std::vector<std::int32_t>* source : {&mesh.extras.corner_uv_source, &mesh.extras.corner_normal_source})
        if (!source->empty()) std::reverse(source->begin() + s, source->begin() + e);
}

void compute_vertex_normals(mesh_data& mesh) {
    std::vector<vec3> sum(mesh.positions.size());
    for (int f = 0; f < mesh.face_count(); ++f) {
        const std::int32_t* c = mesh.face_vertices(f);
        const int n = mesh.face_size[f];
        if (n < 3) continue;
        // Twice the area vector, as a fan of triangles from the first corner.
        const vec3 p0 = mesh.positions[c[0]];
        vec3 area;
        for (int k = 1; k + 1 < n; ++k)
            area += (mesh.positions[c[k]] - p0) * (mesh.positions[c[k + 1]] - p0);
        for (int k = 0; k < n; ++k) sum[c[k]] += area;
    }
    for (vec3& v : sum) {
        const float len = static_cast<float>(std::sqrt(static_cast<double>(dot(v, v))));
        v = len > 0.0f ? vec3(v.x / len, v.y / len, v.z / len) : vec3();
    }
    mesh.normals.swap(sum);
}

int split_face_along(mesh_data& mesh, int a, int b) {
    if (a == b) return -1;
    for (int f = 0; f < mesh.face_count(); ++f) {
        const std::int32_t* c = mesh.face_vertices(f);
        const int n = mesh.face_size[f];
        int i = -1, j = -1;
        for (int k = 0; k < n; ++k) {
            if (c[k] == a && i < 0) i = k;
            if (c[k] == b && j < 0) j = k;
        }
        if (i < 0 || j < 0) continue;
        const int gap = (j - i + n) % n;  // corners from a forward to b
        if (gap == 1 || gap == n - 1) continue;

        // Corners a..b stay (from a), corners b..a go to the new face.
        const std::size_t s = static_cast<std::size_t>(mesh.face_start[f]);
        const bool with_normals = !mesh.corner_normal.empty();
        std::vector<std::int32_t> kv, nv;
        std::vector<vec2> kp, kd, np, nd;
        std::vector<vec3> kn, nn;
        // The corners' source indices, kept (k) and new (n), UV then normal.
        std::vector<std::int32_t> ks[2], ns[2];
        std::vector<std::int32_t>* sources[2] = {&mesh.extras.corner_uv_source, &mesh.extras.corner_normal_source};
        for (int k = 0; k <= gap; ++k) {
            const std::size_t at = s + static_cast<std::size_t>((i + k) % n);
            for (int q = 0; q < 2; ++q)
                if (!sources[q]->empty()) ks[q].push_back((*sources[q])[at]);
            kv.push_back(mesh.corner_vertex[at]);
            kp.push_back(mesh.corner_puv[at]);
            kd.push_back(mesh.distance_uvs()[at]);
            if (with_normals) kn.push_back(mesh.corner_normal[at]);
        }
        for (int k = 0; k <= n - gap; ++k) {
            const std::size_t at = s + static_cast<std::size_t>((j + k) % n);
            for (int q = 0; q < 2; ++q)
                if (!sources[q]->empty()) ns[q].push_back((*sources[q])[at]);
            nv.push_back(mesh.corner_vertex[at]);
            np.push_back(mesh.corner_puv[at]);
            nd.push_back(mesh.distance_uvs()[at]);
            if (with_normals) nn.push_back(mesh.corner_normal[at]);
        }
        const int m = gap + 1;
        for (int k = 0; k < m; ++k) {
            mesh.corner_vertex[s + k] = kv[k];
            mesh.corner_puv[s + k] = kp[k];
            if (!mesh.duv_shared) mesh.corner_duv[s + k] = kd[k];
            if (with_normals) mesh.corner_normal[s + k] = kn[k];
            for (int q = 0; q < 2; ++q)
                if (!sources[q]->empty()) (*sources[q])[s + k] = ks[q][k];
        }
        mesh.face_size[f] = m;
        mesh.garbage_corners += n - m;

        const bool uv = mesh.face_has_uv[f] != 0;
        const int g = mesh.add_face(static_cast<int>(nv.size()), nv.data(), uv ? np.data() : nullptr,
                                    uv ? nd.data() : nullptr);
        mesh.face_selected[g] = mesh.face_selected[f];
        mesh.face_has_normals[g] = mesh.face_has_normals[f];
        if (with_normals)
            std::copy(nn.begin(), nn.end(), mesh.corner_normal.begin() + mesh.face_start[g]);
        if (!mesh.extras.face_style.empty()) mesh.extras.face_style[g] = mesh.extras.face_style[f];
        for (int q = 0; q < 2; ++q)
            if (!sources[q]->empty()) std::copy(ns[q].begin(), ns[q].end(), sources[q]->begin() + mesh.face_start[g]);
        return g;
    }
    return -1;
}

side_index::side_index(const mesh_data& mesh) {
    const face_sides s = collect_sides(mesh);
    const auto order = sorted_pair_order(mesh.vertex_count(), s.from, s.to);
    for_each_group(order, s.from, s.to, [&](const std::int32_t* b, const std::int32_t*) {
        side_keys_.push_back(pair_key(s.from[*b], s.to[*b]));
        side_faces_.push_back(s.face[*b]);
    });

    const std::size_t ne = mesh.edges.size();
    std::vector<std::int32_t> lo(ne), hi(ne);
    for (std::size_t e = 0; e < ne; ++e) {
        lo[e] = std::min(mesh.edges[e][0], mesh.edges[e][1]);
        hi[e] = std::max(mesh.edges[e][0], mesh.edges[e][1]);
    }
    const auto edge_order = sorted_pair_order(mesh.vertex_count(), lo, hi);
    for_each_group(edge_order, lo, hi, [&](const std::int32_t* b, const std::int32_t*) {
        edge_keys_.push_back(pair_key(lo[*b], hi[*b]));
        edge_ids_.push_back(*b);
    });
}

int side_index::face_with_side(int from, int to) const {
    if (from < 0 || to < 0) return -1;
    const std::int64_t key = pair_key(from, to);
    const auto it = std::lower_bound(side_keys_.begin(), side_keys_.end(), key);
    return it != side_keys_.end() && *it == key ? side_faces_[it - side_keys_.begin()] : -1;
}

int side_index::edge_between(int a, int b) const {
    if (a < 0 || b < 0) return -1;
    const std::int64_t key = pair_key(std::min(a, b), std::max(a, b));
    const auto it = std::lower_bound(edge_keys_.begin(), edge_keys_.end(), key);
    return it != edge_keys_.end() && *it == key ? edge_ids_[it - edge_keys_.begin()] : -1;
}

}  // namespace host
