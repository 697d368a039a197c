// Mirroring both UV sets of paired faces, corner by corner, about the centre
// line of each set.
#include <algorithm>
#include <cstdint>

#include "frame/sdk/polygon_mesh.h"
#include "frame/sdk/scene.h"
#include "mesh/face_class.h"
#include "symmetry/face_cycles.h"
#include "symmetry/twinel_class.h"

namespace {

// The UV coordinate that mirroring changes: U for the YZ plane, V otherwise.
float& mirrored_coordinate(vec2& uv, int plane) { return plane == 0 ? uv.x : uv.y; }

// Position in `face` of the first corner holding `vertex`, or -1.
int corner_of(const Face_class& face, int vertex) {
    const auto at = std::find_if(face.elements.begin(), face.elements.end(),
                                 [vertex](const face_element& e) { return e.vertex == vertex; });
    return at == face.elements.end() ? -1 : static_cast<int>(at - face.elements.begin());
}

// The corner walk of two partner faces: position j of the partner face
// steps backwards, because mirroring reverses the winding.
int step_back(int j, int n) { return (j == 0 ? n : j) - 1; }

}  // namespace

const char* twinel_class::sym_uvs(bool all) {
    if (all)
        adjust_uv();
    else
        adjust_active_uv();
    return nullptr;
}

void twinel_class::adjust_uv() {
    if (!polygon.mesh) return;
    polygon_mesh_class& mesh = *polygon.mesh;
    const int n = std::min(face_table.size(), mesh.get_number_of_faces());
    std::vector<std::uint8_t> done(static_cast<std::size_t>(face_table.size()), 0);
    for (int i = 0; i < n; ++i) {
        const int p = face_table.partner(i);
        if (!face_table.has_pair(i) || done[static_cast<std::size_t>(i)] || !face_table.has_pair(p) ||
            done[static_cast<std::size_t>(p)] || p >= n)
            continue;
        if (p == i) {
            adjust_center_face_uv(mesh.face(i));
        } else {
            adjust_face_uv(mesh.face(i), mesh.face(p));
            done[static_cast<std::size_t>(p)] = 1;
        }
        done[static_cast<std::size_t>(i)] = 1;
    }
}

void twinel_class::adjust_active_uv() {
    if (!polygon.shape || !polygon.mesh) return;
    polygon_mesh_class& mesh = *polygon.mesh;
    const kx::host_ref<scene_interface> scene(polygon.shape->get_scene());
    const int mode = scene ? scene->get_selection_mode() : kx::sdk::face_selection;
    const int faces = std::min(face_table.size(), mesh.get_number_of_faces());
    std::vector<int> listed;
    if (mode == kx::sdk::face_selection) {
        for (int f = 0; f < faces; ++f)
            if (mesh.face(f).get_active()) listed.push_back(f);
    } else if (mode == kx::sdk::vertex_selection) {
        std::vector<std::uint8_t> selected(static_cast<std::size_t>(mesh.get_number_of_vertices()), 0);
        std::vector<int> active;
        polygon.get_active_vertices(active);
        for (int v : active)
            if (v >= 0 && v < static_cast<int>(selected.size())) selected[static_cast<std::size_t>(v)] = 1;
        const face_buffer buffer = read_face_buffer(mesh);
        for (int f = 0; f < faces; ++f) {
            const int* corners = buffer.vertices(f);
            const int count = buffer.count(f);
            const bool all_selected = std::all_of(corners, corners + count, [&](int v) {
                return v >= 0 && v < static_cast<int>(selected.size()) && selected[static_cast<std::size_t>(v)];
            });
            if (count > 0 && all_selected) listed.push_back(f);
        }
    } else {
        if (verbose && scene) scene->show_message(translate("Set mode to vertex or face selection mode"), false);
        return;
    }
    for (int f : listed) {
        const int p = face_table.partner(f);
        if (!face_table.has_pair(f) || !face_table.has_pair(p) || p >= faces) continue;
        if (p == f)
            adjust_center_face_uv(mesh.face(f));
        else
            adjust_face_uv(mesh.face(f), mesh.face(p));
    }
}

void twinel_class::adjust_face_uv(face_class& a, face_class& b) {
    Face_class A(a), B(b);
    const int n = A.size();
    // Nothing to mirror from or onto a face without UVs, and a partner face
    // that does not correspond corner for corner is left alone rather than
    // read outside its corners.
    if (!A.has_uv || !B.has_uv || n == 0 || B.size() != n) return;
    int j = corner_of(B, vertex_table.partner(A.elements[0].vertex));
    if (j < 0) return;
    polygon_mesh_class& mesh = *polygon.mesh;
    bool a_changed = false, b_changed = false;

    // One UV set of an on-plane corner: inside the band both corners go onto
    // the centre line; outside it the upper half (with base side 2 the
    // lower half) is mirrored onto the other face.
    const auto on_plane = [&](vec2& ua, vec2& ub, float c, float m, bool parameter) {
        float x = mirrored_coordinate(ua, plane) - c;
        if (-m < x && x < m) {
            mirrored_coordinate(ua, plane) = c;
            mirrored_coordinate(ub, plane) = c;
            a_changed = b_changed = true;
            return;
        }
        if (base_side == 2) x = -x;
        if (x == 0.0f) {
            mirrored_coordinate(ua, plane) = c;
            mirrored_coordinate(ub, plane) = c;
            a_changed = b_changed = true;
        } else if (x > 0.0f) {
            ub = mirror_uv(ua, parameter);
            b_changed = true;
        } else if (x < 0.0f) {
            ua = mirror_uv(ub, parameter);
            a_changed = true;
        }
    };

    for (int i = 0; i < n; ++i) {
        face_element& ea = A.elements[static_cast<std::size_t>(i)];
        face_element& eb = B.elements[static_cast<std::size_t>(j)];
        if (!vertex_table.is_self(ea.vertex)) {
            const float c = get_position(mesh.vertex(ea.vertex))[plane];
            if ((c > 0.0f) != (base_side == 2)) {
                eb.parameter_uv = mirror_uv(ea.parameter_uv, true);
                eb.distance_uv = mirror_uv(ea.distance_uv, false);
                b_changed = true;
            } else {
                ea.parameter_uv = mirror_uv(eb.parameter_uv, true);
                ea.distance_uv = mirror_uv(eb.distance_uv, false);
                a_changed = true;
            }
        } else {
            on_plane(ea.parameter_uv, eb.parameter_uv, puv_center, puv_margin, true);
            on_plane(ea.distance_uv, eb.distance_uv, duv_center, duv_margin, false);
        }
        j = step_back(j, n);
    }
    if (a_changed) A.set(a, face_uv::both);
    if (b_changed) B.set(b, face_uv::both);
}

void twinel_class::adjust_center_face_uv(face_class& f) {
    Face_class F(f);
    const int n = F.size();
    if (!F.has_uv || n == 0) return;
    int j = corner_of(F, vertex_table.partner(F.elements[0].vertex));
    if (j < 0) return;
    polygon_mesh_class& mesh = *polygon.mesh;
    for (int i = 0; i < n; ++i) {
        face_element& e = F.elements[static_cast<std::size_t>(i)];
        if (vertex_table.is_self(e.vertex)) {
            mirrored_coordinate(e.parameter_uv, plane) = puv_center;
        } else {
            const float c = get_position(mesh.vertex(e.vertex))[plane];
            if ((c > 0.0f) != (base_side == 2)) {
                face_element& partner = F.elements[static_cast<std::size_t>(j)];
                partner.parameter_uv = mirror_uv(e.parameter_uv, true);
                partner.distance_uv = mirror_uv(e.distance_uv, false);
            }
        }
        j = step_back(j, n);
    }
    F.set(f, face_uv::both);
}
