// The modify-mode operations that the toolbar and the modifier components
// share: remove edges, append an edge, symmetrize the selected vertices,
// paste them onto the plane; and the toolbar's own two, vertex modify mode
// and renew.
#include <vector>

#include "frame/sdk/polygon_mesh.h"
#include "frame/sdk/scene.h"
#include "frame/sdk/shape.h"
#include "mesh/polygon_scope.h"
#include "symmetry/twinel_class.h"
#include "window/host_boundary.h"
#include "window/message_table.h"
#include "window/symmetry_window.h"

namespace {

// Message-table entries of the operations.
constexpr int no_edges_selected = 3;    // "No edges selected."
constexpr int select_two_vertices = 5;  // "Select only 2 vertices pair."

// Redraws the scene's window after an edit made from modify mode.
void redraw(scene_interface* scene) {
    if (!scene) return;
    const kx::host_ref<scene_window_interface> window(scene->get_window());
    if (!window || !window->is_shown()) return;
    window->invalidate();
    scene->force_update();
}

}  // namespace

void symmetry_window::remove_edges() {
    at_host_boundary([&] {
        if (!is_polygon || !current_polygon.mesh) return;
        const kx::host_ref<scene_interface> scene(current_polygon.shape->get_scene());
        if (!scene) return;
        {
            current_polygon.start_undo();
            polygon_scope::closer close([&] { current_polygon.end_undo(); });
            const int mode = scene->get_selection_mode();
            const bool vertex_mode = mode == kx::sdk::vertex_selection;
            // Removing edges renumbers no vertex, so the same indices can be
            // selected again afterwards.
            std::vector<int> selected;
            if (vertex_mode) current_polygon.get_active_vertices(selected);
            if (current_twinel) {
                current_twinel->remove_edges(reface, mode);
            } else {
                std::vector<int> edges;
                current_polygon.active_edges(edges, mode);
                if (edges.empty() && settings.verbose)
                    scene->show_message(table_message(no_edges_selected), false);
                else
                    current_polygon.remove_edges(edges, reface, nullptr);
            }
            if (vertex_mode) current_polygon.select_vertices(selected);
        }
        redraw(scene.get());
    });
}

void symmetry_window::append_edge() {
    at_host_boundary([&] {
        if (!is_polygon || !current_polygon.mesh) return;
        std::vector<int> selected;
        if (current_polygon.get_active_vertices(selected) != 2) {
            host.message(table_message(select_two_vertices));
            return;
        }
        const kx::host_ref<scene_interface> scene(current_polygon.shape->get_scene());
        {
            current_polygon.start_undo();
            polygon_scope::closer close([&] { current_polygon.end_undo(); });
            if (!current_twinel) {
                current_polygon.mesh->append_edge(selected[0], selected[1]);
            } else if (const char* failure = current_twinel->append_edge(selected[0], selected[1])) {
                // The tables no longer describe the mesh; the edge stays.
                release_after_failure(scene.get(), failure);
            }
        }
        redraw(scene.get());
    });
}

void symmetry_window::sym_vertices() {
    at_host_boundary([&] {
        if (!current_shape.shape) return;
        const kx::host_ref<scene_interface> scene(current_shape.shape->get_scene());
        if (current_shape.type == object_type::surface) {
            settings.surface_symmetry(scene.get(), current_shape);
        } else if (current_shape.type == object_type::line) {
            settings.line_symmetry(scene.get(), current_shape);
        } else if (is_polygon && current_polygon.mesh && current_polygon.mesh->get_number_of_active_vertices() > 0) {
            {
                current_polygon.start_undo();
                polygon_scope::closer close([&] { current_polygon.end_undo(); });
                settings.symmetrize_active_vertices(scene.get(), current_polygon, true);
            }
            start_trigger(scene.get(), false);
        }
    });
}

void symmetry_window::paste_to_plane() {
    at_host_boundary([&] {
        if (!is_polygon || !current_polygon.mesh || current_polygon.mesh->get_number_of_active_vertices() < 1) return;
        const kx::host_ref<scene_interface> scene(current_polygon.shape->get_scene());
        {
            current_polygon.start_undo();
            polygon_scope::closer close([&] { current_polygon.end_undo(); });
            settings.active_to_plane(scene.get(), current_polygon);
        }
        start_trigger(scene.get(), false);
    });
}

void symmetry_window::modify_vertex() {
    at_host_boundary([&] {
        const kx::host_ref<scene_interface> scene(host.get_scene());
        if (!scene) return;
        if (modify_mode && scene->get_selection_mode() == kx::sdk::vertex_selection) return;
        if (scene->get_root_part().get_number_of_sons() < 1) return;
        const flag_guard hold(busy);
        if (scene->get_selection_mode() != kx::sdk::vertex_selection)
            scene->set_selection_mode(kx::sdk::vertex_selection);
        scene->update_figure();
        scene->refresh();
        scene->enter_modify_mode();
        scene->update_figure();
        scene->refresh();
        modify_mode = true;
    });
}

void symmetry_window::renew() {
    at_host_boundary([&] {
        const kx::host_ref<scene_interface> scene(host.get_scene());
        start_trigger(scene.get(), false);
    });
}
