#include "window/modifier_components.h"

#include "frame/globals.h"
#include "frame/identifiers.h"
#include "frame/sdk/scene.h"
#include "window/host_boundary.h"
#include "window/symmetry_window.h"

namespace {

// Runs window operation `operation` (symmetry_window::command), finding the
// window through the scene the first time. The host is told the tool ran
// whether or not the window was found.
bool run_window_command(scene_interface& scene, int operation) {
    at_host_boundary([&] {
        if (!Sym_W) Sym_W = dynamic_cast<symmetry_window*>(scene.find_plugin_interface(symmetry_window_uuid));
        if (!Sym_W) {
            scene.message("Can't found Twinel!");
            return;
        }
        Sym_W->command(operation);
    });
    return true;
}

}  // namespace

kx::uuid_class remove_edges_component::get_uuid() { return twinel_uuid; }
int remove_edges_component::get_korvo_version() { return kx::sdk::korvo_sdk_version; }
bool remove_edges_component::modify(scene_interface& scene) { return run_window_command(scene, 0); }

void remove_edges_component::make_wireframe(shape_class& shape, const mat4&, int pass, int, void*) {
    if (pass == 0) CSym = SymS.get_extend_object(&shape);
}

kx::uuid_class append_edge_component::get_uuid() { return append_edge_uuid; }
int append_edge_component::get_korvo_version() { return kx::sdk::korvo_sdk_version; }
bool append_edge_component::modify(scene_interface& scene) { return run_window_command(scene, 1); }

kx::uuid_class sym_vertices_component::get_uuid() { return sym_vertices_uuid; }
int sym_vertices_component::get_korvo_version() { return kx::sdk::korvo_sdk_version; }
bool sym_vertices_component::modify(scene_interface& scene) { return run_window_command(scene, 2); }

kx::uuid_class paste_to_plane_component::get_uuid() { return paste_to_plane_uuid; }
int paste_to_plane_component::get_korvo_version() { return kx::sdk::korvo_sdk_version; }
bool paste_to_plane_component::modify(scene_interface& scene) { return run_window_command(scene, 3); }
