// The life of one pairing: making it (pairing the mesh as it is, or
// building the mirrored half of a half mesh), marking its shape, and
// releasing it.
#include "frame/globals.h"
#include "frame/identifiers.h"
#include "frame/sdk/polygon_mesh.h"
#include "frame/sdk/scene.h"
#include "mesh/polygon_scope.h"
#include "symmetry/modification_bracket.h"
#include "symmetry/twinel_class.h"

twinel_class::twinel_class(Polygon_class& source, Symmetry_class settings, bool makeup)
    : twinel_class(source, settings) {
    // The object is complete from here on: a throw below runs the
    // destructor, which takes the attribute and CSym back.
    busy = true;
    if (!polygon.shape || !polygon.mesh) throw "Reselect polygon mesh shape.";
    if (!makeup) {
        if (const char* r = make_twinel()) throw r;
        if (vertex_table.unmatched > 0)
            select_unmatch_vertices();
        else if (face_table.unmatched > 0)
            select_unmatch_faces();
        const long long vertices = polygon.mesh->get_number_of_vertices();
        if (vertex_table.unmatched > (7 * vertices) / 10) throw "To many unmatch vertices";
    } else {
        if (base_side == 2) throw "Can't make Twinel at base side is average.";
        if (const char* r = makeup_twinel()) throw r;
    }
    edge_count = polygon.mesh->get_number_of_edges();
    awake_twinel();
    busy = false;
}

twinel_class::~twinel_class() {
    if (CSym == this) CSym = nullptr;
    if (!polygon.shape) return;
    try {
        polygon.shape->remove_attribute(twinel_uuid);
    } catch (...) {
        // A destructor cannot report; the mark only tells the host that a
        // pairing existed.
    }
}

const char* twinel_class::make_twinel() {
    if (const char* r = make_vertices_link()) return r;
    if (vertex_table.unmatched == 0) return make_faces_link();
    face_table.resize(0);
    face_table.resize(polygon.mesh ? polygon.mesh->get_number_of_faces() : 0);
    return nullptr;
}

const char* twinel_class::makeup_twinel() {
    if (!polygon.shape || !polygon.mesh) return "No face.";
    polygon_mesh_class& mesh = *polygon.mesh;
    const int n = mesh.get_number_of_vertices();
    if (n <= 2) return "No face.";
    vertex_table.resize(0);
    vertex_table.resize(n);

    const kx::host_ref<scene_interface> scene(polygon.shape->get_scene());
    if (scene) scene->inhibit_update();
    polygon_scope::closer allow([&] {
        if (scene) scene->allow_update();
    });
    const char* r = nullptr;
    {
        modification_bracket bracket(polygon.shape);
        r = make_unmatch_vertices_pair(true);
        if (!r) {
            face_table.resize(0);
            face_table.resize(mesh.get_number_of_faces());
            r = make_unmatch_faces_pair();
        }
    }
    if (!r) mesh.rebuild_edges();
    return r;
}

void twinel_class::awake_twinel() {
    if (!polygon.shape) return;
    const kx::host_ref<unknown_interface> attribute(
        polygon.shape->create_attribute(twinel_uuid, twinel_uuid, attribute_kind_uuid, attribute_kind_uuid));
}

bool twinel_class::is_modified() {
    if (!polygon.mesh) return false;
    const polygon_mesh_class& mesh = *polygon.mesh;
    return mesh.get_number_of_vertices() != vertex_table.size() || mesh.get_number_of_faces() != face_table.size() ||
           mesh.get_number_of_edges() != edge_count;
}
