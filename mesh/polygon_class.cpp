#include "mesh/polygon_class.h"

#include "frame/sdk/scene.h"
#include "mesh/polygon_scope.h"

namespace {

polygon_mesh_class* mesh_of(const Shape_class& s) {
    return s.shape && s.type == object_type::polygon_mesh ? s.shape->get_polygon_mesh() : nullptr;
}

// Puts the scene into `mode`; after a change of mode the scene is refreshed
// and put into modify mode when it is not in it.
void switch_selection_mode(scene_interface& scene, int mode) {
    if (scene.get_selection_mode() == mode) return;
    scene.set_selection_mode(mode);
    scene.refresh();
    if (!scene.is_modify_mode()) scene.enter_modify_mode();
}

template <class List>
void select_vertex_list(Polygon_class& p, const List& vertices) {
    kx::host_ref<scene_interface> scene(p.shape->get_scene());
    if (scene) switch_selection_mode(*scene, kx::sdk::vertex_selection);
    p.shape->clear_active_elements();
    p.mesh->begin_vertex_selection();
    polygon_scope::closer end([&] { p.mesh->end_vertex_selection(); });
    for (int v : vertices) p.mesh->vertex(v).set_active(true);
}

}  // namespace

Polygon_class::Polygon_class(shape_class* s) : Shape_class(s), mesh(mesh_of(*this)) {}

void Polygon_class::set_shape(shape_class* s) {
    undo_record.reset();
    Shape_class::set_shape(s);
    mesh = mesh_of(*this);
}

// ---- undo bracket ----------------------------------------------------------

void Polygon_class::start_undo() {
    undo_record.reset();
    undo_record.reset(shape->create_undo_record());
}

void Polygon_class::end_undo() {
    // Forget the record before closing it, so that it is released even when
    // closing throws.
    kx::host_ref<undo_record_interface> record(std::move(undo_record));
    if (record) record->close(0);
}

// ---- selection -------------------------------------------------------------

kx::host_ref<scene_interface> Polygon_class::enter_face_selection() {
    kx::host_ref<scene_interface> scene(shape->get_scene());
    if (scene) {
        switch_selection_mode(*scene, kx::sdk::face_selection);
        scene->inhibit_update();
    }
    return scene;
}

void Polygon_class::select_faces(const Array<int>& faces) {
    kx::host_ref<scene_interface> scene = enter_face_selection();
    polygon_scope::closer allow([&] {
        if (scene) scene->allow_update();
    });
    const int count = mesh->get_number_of_faces();
    const int listed = faces.size();
    int cursor = 0;
    for (int i = 0; i < count; ++i) {
        if (cursor < listed && faces[cursor] == i) {
            mesh->face(i).set_active(true);
            ++cursor;
        } else if (cursor < listed && faces[cursor] < i) {
            // A list that is not strictly ascending stops the walk's
            // changes here: the remaining faces keep their state.
        } else {
            mesh->face(i).set_active(false);
        }
    }
}

void Polygon_class::unselect_all_face() {
    kx::host_ref<scene_interface> scene = enter_face_selection();
    polygon_scope::closer allow([&] {
        if (scene) scene->allow_update();
    });
    const int count = mesh->get_number_of_faces();
    for (int i = 0; i < count; ++i) mesh->face(i).set_active(false);
}

void Polygon_class::select_vertices(const Array<int>& vertices) { select_vertex_list(*this, vertices); }

void Polygon_class::select_vertices(const std::vector<int>& vertices) { select_vertex_list(*this, vertices); }

// ---- editing ---------------------------------------------------------------

void Polygon_class::append_face(const Array<int>& vertices) { mesh->append_face(vertices.size(), vertices.data()); }
