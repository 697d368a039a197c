// Keeping a paired mesh symmetric while it is edited: mirroring vertex
// positions, creating single mirror elements, and the symmetric edge
// operations of the modify-mode tools.
#include <algorithm>
#include <set>
#include <vector>

#include "frame/sdk/polygon_mesh.h"
#include "frame/sdk/shape.h"
#include "mesh/mesh_analysis.h"
#include "mesh/polygon_scope.h"
#include "symmetry/face_cycles.h"
#include "symmetry/mirror.h"
#include "symmetry/modification_bracket.h"
#include "symmetry/twinel_class.h"

void twinel_class::sym_vertex(int i) {
    if (!polygon.mesh || !vertex_table.has_pair(i)) return;
    polygon_mesh_class& mesh = *polygon.mesh;
    const int n = mesh.get_number_of_vertices();
    const int j = vertex_table.partner(i);
    if (i >= n || j >= n) return;
    vec3 p = get_position(mesh.vertex(i));
    if (j == i) {
        p[plane] = 0.0f;
        set_position(mesh.vertex(i), p);
    } else {
        set_position(mesh.vertex(j), symmetry::mirror(p, plane));
    }
}

bool twinel_class::sym_vertices(bool all) {
    if (!polygon.mesh) return false;
    modification_bracket bracket(polygon.shape);
    if (all) {
        const int n = polygon.mesh->get_number_of_vertices();
        for (int i = 0; i < n; ++i) sym_vertex(i);
    } else {
        std::vector<int> selected;
        polygon.get_active_vertices(selected);
        for (int i : selected) sym_vertex(i);
    }
    return false;
}

bool twinel_class::do_sym(bool all) {
    if (busy) return false;
    if (is_modified()) {
        const char* r = nullptr;
        busy = true;
        try {
            polygon_scope::closer idle([this] { busy = false; });
            r = repair();
        } catch (...) {
            // A host failure halfway leaves the tables unreliable: report it
            // like a failed repair, so that the pairing is released.
            r = "Twinel++ repair error";
        }
        if (r) throw r;
    }
    sym_vertices(all);
    return false;
}

const char* twinel_class::append_pair_vertex(int i) {
    if (!polygon.shape || !polygon.mesh) return "append error";
    polygon_mesh_class& mesh = *polygon.mesh;
    if (i >= mesh.get_number_of_vertices() || vertex_table.append(i) != 0) return "append error";
    vec3 p = symmetry::mirror(get_position(mesh.vertex(i)), plane);
    if (use_world) p = p * polygon.shape->get_transformation_from_world();
    mesh.append_vertex(p);
    return nullptr;
}

const char* twinel_class::append_pair_face(int face, bool refresh) {
    if (!polygon.mesh) return "append error";
    polygon_mesh_class& mesh = *polygon.mesh;
    if (face < 0 || face >= mesh.get_number_of_faces() || face >= face_table.size() || face_table.has_pair(face))
        return "append error";
    face_class& source = mesh.face(face);
    std::vector<int> vertices(static_cast<std::size_t>(std::max(source.get_number_of_vertices(), 0)));
    if (!vertices.empty()) source.get_vertex_indices(vertices.data());
    std::vector<int> mirror;
    mirror_list(vertices.data(), static_cast<int>(vertices.size()), vertex_table, mirror);
    if (const char* r = append_mirror_face(face, mirror, false)) return r;
    if (refresh) {
        mesh.rebuild_edges();
        edge_count = mesh.get_number_of_edges();
    }
    return nullptr;
}

const char* twinel_class::append_edge(int a, int b) {
    if (!polygon.mesh) return nullptr;
    polygon_mesh_class& mesh = *polygon.mesh;
    mesh.append_edge(a, b);
    if (vertex_table.has_pair(a) && vertex_table.has_pair(b)) {
        const int pa = vertex_table.partner(a), pb = vertex_table.partner(b);
        // Two on-plane vertices (or two partners) are their own mirror edge:
        // asking for the same edge again has the host split the mirror face,
        // the other face that holds both vertices apart.
        if (pa != pb) mesh.append_edge(pa, pb);
    }
    if (vertex_table.unmatched > 0 || face_table.unmatched > 0) return nullptr;
    return repair_faces_link_with_span(6) > 0 ? "Face repair error" : nullptr;
}

void twinel_class::remove_edges(bool reface, int selection_mode) {
    if (!polygon.mesh) return;
    polygon_mesh_class& mesh = *polygon.mesh;
    std::set<int> edges;
    polygon.active_edges(edges, selection_mode);
    if (edges.empty()) return;
    {
        const Polygon_class::edges_analizer analyser(polygon);
        std::vector<int> mirrored;
        for (int e : edges) {
            const edge_class& edge = mesh.edge(e);
            const int v0 = edge.get_v0(), v1 = edge.get_v1();
            if (!vertex_table.has_pair(v0) || !vertex_table.has_pair(v1)) continue;
            const int m = analyser.edge_between(vertex_table.partner(v0), vertex_table.partner(v1));
            if (m >= 0) mirrored.push_back(m);
        }
        edges.insert(mirrored.begin(), mirrored.end());
    }
    const int unpaired_before = face_table.unmatched;
    std::set<int> removed;
    polygon.remove_edges(edges, reface, &removed);
    face_table.reduse(removed, false);
    // Joining two triangles keeps one of them, and mirroring swaps the sides
    // of an edge: the triangle kept on one side was paired with the one
    // removed on the other. The joined faces are paired with each other
    // again rather than left unpaired in a symmetric mesh.
    if (face_table.unmatched > unpaired_before) repair_faces_link_with_span(0);
}
