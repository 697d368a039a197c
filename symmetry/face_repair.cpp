// Keeping the face table up to date: mirror faces for unpaired faces, the
// rebuild after the host renumbered faces, and the reconciliation of faces
// of which one side gained a vertex.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>

#include <boost/format.hpp>

#include "frame/sdk/polygon_mesh.h"
#include "frame/sdk/scene.h"
#include "symmetry/face_cycles.h"
#include "symmetry/twinel_class.h"
#include "symmetry/unmatched_face_pairs.h"

namespace {

constexpr const char* unpaired_vertex_message = "Unpaired vertex in mirror face.";

bool is_face(polygon_mesh_class& mesh, int face) { return face >= 0 && face < mesh.get_number_of_faces(); }

// Spans up to this width are searched by walking the windows; wider ones
// through the faces at each vertex, whose cost does not grow with the span.
constexpr long long scanned_span = 16;

// |span| without overflow.
long long span_width(int span) { return span < 0 ? -static_cast<long long>(span) : span; }

}  // namespace

const char* twinel_class::append_mirror_face(int face, const std::vector<int>& mirror, bool mirror_uvs) {
    // A face over an unpaired vertex has no mirror face yet; appending one
    // would hand the host an invalid vertex index.
    if (has_unpaired_vertex(mirror)) return unpaired_vertex_message;
    if (face_table.append(face) != 0) return "append error";
    polygon_mesh_class& mesh = *polygon.mesh;
    try {
        polygon.append_face(Array<int>(mirror.begin(), mirror.end()));
    } catch (...) {
        face_table.reduse(face_table.size() - 1);  // keep the table in step with the mesh
        throw;
    }
    face_class& source = mesh.face(face);
    if (mirror_uvs && source.has_uv()) {
        const int n = static_cast<int>(mirror.size());
        Array<vec2> parameter(n), distance(n), mirrored(n);
        source.get_parameter_uv(parameter.data());
        source.get_distance_uv(distance.data());
        face_class& target = mesh.face(mesh.get_number_of_faces() - 1);
        if (!make_sym_uvs(parameter, mirrored, n - 1, true)) target.set_parameter_uv(mirrored.data());
        if (!make_sym_uvs(distance, mirrored, n - 1, false)) target.set_distance_uv(mirrored.data());
    }
    return nullptr;
}

const char* twinel_class::make_unmatch_face_pair(int face) {
    if (!polygon.mesh || face_table.has_pair(face) || !is_face(*polygon.mesh, face) || face >= face_table.size())
        return nullptr;
    const std::vector<int> vertices = vertex_list(polygon.mesh->face(face));
    std::vector<int> mirror;
    mirror_list(vertices.data(), static_cast<int>(vertices.size()), vertex_table, mirror);
    return append_mirror_face(face, mirror, do_symUV);
}

const char* twinel_class::make_unmatch_faces_pair() {
    if (!polygon.mesh) return nullptr;
    polygon_mesh_class& mesh = *polygon.mesh;
    if (face_table.size() != mesh.get_number_of_faces())
        return "Number unmatch between faces number and inner table.";
    try {
        // Faces appended below come after the ones read here.
        const face_buffer faces = read_face_buffer(mesh);
        std::vector<int> mirror;
        for (int f = 0; f < faces.size(); ++f) {
            if (face_table.has_pair(f)) continue;
            mirror_list(faces.vertices(f), faces.count(f), vertex_table, mirror);
            if (const char* r = append_mirror_face(f, mirror, do_symUV)) return r;
        }
    } catch (...) {
        return "Error at making sym vertices pairs.";
    }
    return nullptr;
}

int twinel_class::repair_faces_link_with_span(int span) {
    std::vector<int> missing;
    return repair_faces_link_with_span(span, missing);
}

int twinel_class::repair_faces_link_with_span(int span, std::vector<int>& missing) {
    missing.clear();
    if (!polygon.mesh) return face_table.unmatched;
    const long long s = span_width(span);
    const face_buffer faces = read_face_buffer(*polygon.mesh);
    const int n = faces.size();
    const Interconnection_class old = std::exchange(face_table, Interconnection_class());
    const long long old_size = old.size();
    face_table.resize(n);

    std::unique_ptr<vertex_faces> at;  // made when a wide span needs it
    std::vector<int> mirror;
    for (int i = 0; i < n; ++i) {
        if (face_table.has_pair(i)) continue;
        mirror_list(faces.vertices(i), faces.count(i), vertex_table, mirror);
        const int m = static_cast<int>(mirror.size());
        const auto matches = [&](long long g) {
            const int f = static_cast<int>(g);
            return same_rotation(faces.vertices(f), faces.count(f), mirror.data(), m);
        };
        // At the old partner's index.
        if (i < old_size) {
            const int o = old.links[static_cast<std::size_t>(i)];
            if (o >= 0 && o < n && matches(o)) {
                face_table.link(i, o);
                continue;
            }
        }
        long long found = -1;
        const long long w_first = std::max<long long>(i - s, 0);
        const long long w_end = std::min<long long>(i + s + 1, old_size);
        if (s <= scanned_span) {
            // Around the old partners of the faces near i: window entry w
            // offers the faces within s of its old partner c.
            for (long long w = w_first; w < w_end && found < 0; ++w) {
                const long long c = old.links[static_cast<std::size_t>(w)];
                const long long g_end = std::min<long long>(c + s + 1, n);
                for (long long g = std::max<long long>(c - s, 0); g < g_end; ++g) {
                    if (!face_table.has_pair(static_cast<int>(g)) && matches(g)) {
                        found = g;
                        break;
                    }
                }
            }
            // Among the faces appended last (paired or not).
            for (long long g = std::max<long long>(n - s, 0); found < 0 && g < n; ++g)
                if (matches(g)) found = g;
        } else {
            // The same choice from the other end: only faces holding every
            // vertex of the mirror list can match, so each of those that
            // does is placed in the walk above (its first window entry w with
            // |c - g| <= s), and the earliest (w, g) wins.
            if (!at) at = std::make_unique<vertex_faces>(faces, vertex_table.size());
            const int v = rarest_vertex(mirror, *at);
            long long best_w = w_end, last_appended = -1;
            for (const int* g = v < 0 ? nullptr : at->begin(v); g && g != at->end(v); ++g) {
                if (!matches(*g)) continue;
                if (last_appended < 0 && *g >= n - s) last_appended = *g;
                if (face_table.has_pair(*g)) continue;
                for (long long w = w_first; w < best_w; ++w) {
                    const long long c = old.links[static_cast<std::size_t>(w)];
                    if (c - s <= *g && *g <= c + s) {
                        best_w = w;
                        found = *g;
                        break;
                    }
                }
            }
            if (found < 0) found = last_appended;
        }
        if (found >= 0)
            face_table.link(i, static_cast<int>(found));
        else
            missing.push_back(i);
    }
    pair_missing_faces(faces, missing);
    return face_table.unmatched;
}

void twinel_class::pair_missing_faces(const face_buffer& faces, std::vector<int>& missing) {
    if (missing.empty()) return;
    // The searches above only look near the old partners; where the host's
    // renumbering moved a face's mirror face farther away (across a row of a
    // regular mesh, say), the mirror face is looked up among the faces at
    // one of its vertices, so that no face with a mirror face is left
    // unpaired and later removed as unmatched. One pass over the corners
    // lists the faces at the vertices of the wanted mirror lists.
    const int vertices = vertex_table.size();
    std::vector<std::uint8_t> wanted(static_cast<std::size_t>(vertices), 0);
    std::vector<int> mirror;
    for (int i : missing) {
        mirror_list(faces.vertices(i), faces.count(i), vertex_table, mirror);
        if (has_unpaired_vertex(mirror)) continue;
        for (int v : mirror) wanted[static_cast<std::size_t>(v)] = 1;
    }
    std::vector<std::pair<int, int>> at;  // (vertex, face), ascending
    for (int g = 0; g < faces.size(); ++g)
        for (const int* c = faces.vertices(g); c != faces.vertices(g) + faces.count(g); ++c)
            if (*c >= 0 && *c < vertices && wanted[static_cast<std::size_t>(*c)]) at.emplace_back(*c, g);
    std::sort(at.begin(), at.end());
    const auto faces_at = [&at](int v) {
        return std::equal_range(at.begin(), at.end(), std::make_pair(v, 0),
                                [](const std::pair<int, int>& a, const std::pair<int, int>& b) { return a.first < b.first; });
    };

    std::vector<int> still_missing;
    for (int i : missing) {
        // A face may have been found meanwhile as the mirror face of a later one.
        if (face_table.has_pair(i)) continue;
        mirror_list(faces.vertices(i), faces.count(i), vertex_table, mirror);
        if (!mirror.empty() && !has_unpaired_vertex(mirror)) {
            // Every candidate holds every vertex of the list: try the
            // faces of the vertex with the fewest.
            auto range = faces_at(mirror[0]);
            for (int v : mirror) {
                const auto r = faces_at(v);
                if (r.second - r.first < range.second - range.first) range = r;
            }
            for (auto g = range.first; g != range.second; ++g) {
                const int f = g->second;
                if (!face_table.has_pair(f) &&
                    same_rotation(faces.vertices(f), faces.count(f), mirror.data(), static_cast<int>(mirror.size()))) {
                    face_table.link(i, f);
                    break;
                }
            }
        }
        if (!face_table.has_pair(i)) still_missing.push_back(i);
    }
    missing.swap(still_missing);
}

int twinel_class::repair_faces_in_unmatch_faces(std::vector<int>& faces) {
    if (!polygon.mesh) return face_table.unmatched;
    polygon_mesh_class& mesh = *polygon.mesh;
    if (static_cast<long long>(faces.size()) != face_table.unmatched) {
        const kx::host_ref<scene_interface> scene(polygon.shape ? polygon.shape->get_scene() : nullptr);
        if (scene)
            scene->message(
                (boost::format(translate("Face unmatch[%i] unmatch table size[%i]")) % face_table.unmatched % faces.size())
                    .str()
                    .c_str());
        return face_table.unmatched;
    }
    pair_unmatched_faces(mesh, vertex_table, face_table, faces);
    return face_table.unmatched;
}
