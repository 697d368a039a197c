// Bringing both pair tables up to date after the user added or removed
// vertices or faces, creating or removing what is left without a partner.
#include <climits>
#include <cstdlib>
#include <vector>

#include "frame/sdk/polygon_mesh.h"
#include "mesh/polygon_scope.h"
#include "symmetry/twinel_class.h"

namespace {

// k * factor, saturated: spans only widen the searches.
int span_of(int k, int factor) {
    const long long s = static_cast<long long>(k) * factor;
    return s > INT_MAX ? INT_MAX : static_cast<int>(s);
}

std::vector<int> unpaired(const Interconnection_class& table) {
    std::vector<int> list;
    for (int i = 0; i < table.size(); ++i)
        if (!table.has_pair(i)) list.push_back(i);
    return list;
}

}  // namespace

const char* twinel_class::repair() {
    if (!polygon.mesh) return nullptr;
    const int n = polygon.mesh->get_number_of_vertices();
    const int f = polygon.mesh->get_number_of_faces();
    const int tv = vertex_table.size();
    const int tf = face_table.size();
    const char* r = nullptr;
    if (tv < n) {
        r = increase_vertices_number(n - tv);
    } else if (n < tv) {
        r = decrease_vertices_number(tv - n);
    } else if (vertex_table.unmatched == 0 && tf < f) {
        if (repair_faces_link_with_span(span_of(f - tf, 3)) > f - tf) return "Face Repair Error";
        make_unmatch_faces_pair();  // a face it cannot mirror stays unpaired
    } else if (vertex_table.unmatched == 0 && f < tf) {
        if (repair_faces_link_with_span(span_of(tf - f, 3)) > tf - f) return "Face Repair Error";
        r = delete_unmatch_faces();
    }
    // An edge count change alone repairs nothing. While vertices are
    // unpaired the steps above leave the face table as it was, yet it must
    // keep one entry per face, or its pairs would name faces that moved or
    // no longer exist: rebuild it, keeping the pairs whose faces still
    // mirror each other.
    const int faces = polygon.mesh->get_number_of_faces();
    if (!r && face_table.size() != faces) repair_faces_link_with_span(span_of(std::abs(faces - tf), 3));
    return r;
}

const char* twinel_class::increase_vertices_number(int added) {
    if (!polygon.mesh) return nullptr;
    polygon_mesh_class& mesh = *polygon.mesh;
    const bool faces_matched_table = mesh.get_number_of_faces() == face_table.size();
    const int unpaired_vertices = vertex_table.unmatched;
    const int unpaired_faces = face_table.unmatched;

    const int u = repair_vertices_link_with_span(added);
    if (unpaired_vertices > 0) return nullptr;  // the repair workflow is still running
    if (u != added) return "Twinel++ repair error";
    if (const char* r = make_unmatch_vertices_pair(false)) return r;
    if (unpaired_faces > 0) {
        repair_faces_link_with_span(span_of(added, 6));
        return nullptr;
    }
    std::vector<int> missing;
    const int left = repair_faces_link_with_span(span_of(added, 6), missing);
    if (faces_matched_table && left <= span_of(added, 4)) {
        if (repair_faces_in_unmatch_faces(missing) > 0) return "survive unmatch faces";
        mesh.rebuild_edges();
    }
    return nullptr;
}

const char* twinel_class::decrease_vertices_number(int removed) {
    const int unpaired_vertices = vertex_table.unmatched;
    const int unpaired_faces = face_table.unmatched;
    const int u = repair_vertices_link_with_span(removed);
    if (unpaired_vertices > 0) return nullptr;
    if (u != removed) return "Twinel++ repair error";
    if (const char* r = delete_unmatch_vertices()) return r;
    repair_faces_link_with_span(span_of(removed, 6));
    if (unpaired_faces == 0) return delete_unmatch_faces();
    return nullptr;
}

const char* twinel_class::delete_unmatch_vertices() {
    if (!polygon.mesh) return nullptr;
    polygon_mesh_class& mesh = *polygon.mesh;
    const std::vector<int> list = unpaired(vertex_table);
    if (list.empty()) return nullptr;
    vertex_table.reduse(list, false);
    try {
        mesh.begin_removing_vertices();
        polygon_scope::closer end([&] { mesh.end_removing_vertices(); });
        for (int v : list) mesh.remove_vertex(v);
    } catch (...) {
        return "Twinel ERROR at removing vertices";
    }
    return nullptr;
}

const char* twinel_class::delete_unmatch_faces() {
    if (!polygon.mesh) return nullptr;
    polygon_mesh_class& mesh = *polygon.mesh;
    const std::vector<int> list = unpaired(face_table);
    if (list.empty()) return nullptr;
    face_table.reduse(list, false);
    try {
        mesh.begin_removing_faces();
        polygon_scope::closer end([&] { mesh.end_removing_faces(); });
        for (int f : list) mesh.remove_face(f);
    } catch (...) {
        return "Twinel ERROR at removing faces";
    }
    return nullptr;
}
