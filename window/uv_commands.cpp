// The palette's UV tools: how the window reads their controls, checks the
// current shape and the scene's mode, runs the Polygon_class UV edits and
// redraws the UV view; and the hand edit of the corners at one vertex
// ("UV edit", "uv-index", "Do").
#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

#include <boost/format.hpp>

#include "frame/globals.h"
#include "frame/sdk/korvo.h"
#include "frame/sdk/polygon_mesh.h"
#include "frame/sdk/scene.h"
#include "window/symmetry_window.h"
#include "window/uv_view.h"

namespace {

// A number or popup the operation reads; 0 while the layout has not handed
// the control over.
float value_of(const window_interface::number_class* c) { return c ? c->get_value() : 0.0f; }
int item_of(const window_interface::popup_menu_class* c) { return c ? c->get_value() : 0; }

// The Element tool buttons work on selected vertices being edited.
bool editing_vertices(scene_interface& scene) {
    return scene.get_selection_mode() == kx::sdk::vertex_selection && scene.is_modify_mode();
}

}  // namespace

void symmetry_window::copy_uvs(scene_interface& scene, bool distance_to_parameter) {
    if (!is_polygon || !current_polygon.mesh) return show("Reselect polygon mesh shape.");
    current_polygon.copy_uv(distance_to_parameter);
    refresh_uv_view(&scene);
}

void symmetry_window::change_uvs(scene_interface& scene, bool offset) {
    if (!is_polygon || !current_polygon.mesh) return show("Reselect polygon mesh shape.");
    const vec2 value(value_of(controls.u_value), value_of(controls.v_value));
    current_polygon.change_uv_by_value(item_of(controls.uv_target), value, offset);
    refresh_uv_view(&scene);
}

void symmetry_window::unite_uvs(scene_interface& scene) {
    if (!is_polygon || !current_polygon.mesh || !editing_vertices(scene)) return;
    const bool distance = item_of(controls.uv_v_target) == 0;
    const bool all = item_of(controls.uv_v_type) == 0;
    // The window's own margins, not those of a pairing's copy.
    current_polygon.unify_uv(distance, all, distance ? settings.duv_margin : settings.puv_margin);
    refresh_uv_view(&scene);
}

void symmetry_window::separate_uvs(scene_interface& scene) {
    if (!is_polygon || !current_polygon.mesh || !editing_vertices(scene)) return;
    current_polygon.separate_uv(item_of(controls.uv_v_target) == 0 ? 1 : 0);
    refresh_uv_view(&scene);
}

void symmetry_window::collect_uv_edit(scene_interface& scene) {
    if (!is_polygon || !current_polygon.mesh || !editing_vertices(scene)) return;
    if (current_polygon.mesh->get_number_of_active_vertices() != 1) {
        if (settings.verbose) show("Only 1 vertex select.");
        return;
    }
    // The list starts empty: when nothing is collected, no record of an
    // earlier vertex stays behind, and the popup offers none.
    uv_edit_list.clear();
    current_polygon.get_faces_uv(uv_edit_list, item_of(controls.uv_v_target) == 0);
    popup_menu_class* index = controls.uv_index;
    if (uv_edit_list.empty()) {
        if (index) {
            index->set_items("");
            index->set_value(0);
            index->set_enabled(false);
        }
        for (number_class* c : {controls.u_v_value, controls.v_v_value})
            if (c) c->set_enabled(false);
        if (controls.do_move_uv) controls.do_move_uv->set_enabled(false);
        return;
    }
    if (!index) return;
    std::string items = host.gettext("Lump edit");
    for (const uv_editing::face_uv& record : uv_edit_list) items += (boost::format("|%i") % record.face).str();
    index->set_value(0);
    index->set_items(items.c_str());
    index->set_enabled(true);
}

void symmetry_window::uv_index_chosen(int item) {
    // Item 0 edits every record and shows the first; the popup may still
    // offer items of a list that has since become shorter.
    const std::size_t shown = item >= 1 ? static_cast<std::size_t>(item - 1) : 0;
    if (item < 0 || shown >= uv_edit_list.size()) return;
    const uv_editing::face_uv& record = uv_edit_list[shown];
    if (item >= 1 && Mark.component && is_polygon && current_shape.shape)
        Mark.mark(*current_shape.shape, mark_request::FACES, 1, &record.face, false);
    if (controls.u_v_value) {
        controls.u_v_value->set_value(record.uv.x);
        controls.u_v_value->set_enabled(true);
    }
    if (controls.v_v_value) {
        controls.v_v_value->set_value(record.uv.y);
        controls.v_v_value->set_enabled(true);
    }
    if (controls.do_move_uv) controls.do_move_uv->set_enabled(true);
}

void symmetry_window::apply_uv_edit(scene_interface& scene) {
    // The list was collected from this window's mesh; without one there is
    // nothing to write to.
    if (!is_polygon || !current_polygon.mesh) return;
    const bool distance = item_of(controls.uv_v_target) == 0;
    const vec2 uv(value_of(controls.u_v_value), value_of(controls.v_v_value));
    const int item = item_of(controls.uv_index);
    std::vector<uv_editing::face_uv> edit;
    if (item == 0) {
        edit = uv_edit_list;
    } else if (item >= 1 && static_cast<std::size_t>(item - 1) < uv_edit_list.size()) {
        edit.push_back(uv_edit_list[static_cast<std::size_t>(item - 1)]);
    }
    for (uv_editing::face_uv& record : edit) record.uv = uv;
    current_polygon.set_faces_uv(edit, distance);
    refresh_uv_view(&scene);
}
