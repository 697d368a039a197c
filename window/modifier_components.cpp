#include "window/modifier_components.h"

#include "frame/globals.h"
#include "frame/identifiers.h"

kx::uuid_class remove_edges_component::get_uuid() { return twinel_uuid; }
int remove_edges_component::get_korvo_version() { return kx::sdk::korvo_sdk_version; }
bool remove_edges_component::modify(scene_interface&) { return true; }

void remove_edges_component::make_wireframe(shape_class& shape, const mat4&, int pass, int, void*) {
    if (pass == 0) CSym = SymS.get_extend_object(&shape);
}

kx::uuid_class append_edge_component::get_uuid() { return append_edge_uuid; }
int append_edge_component::get_korvo_version() { return kx::sdk::korvo_sdk_version; }
bool append_edge_component::modify(scene_interface&) { return true; }

kx::uuid_class sym_vertices_component::get_uuid() { return sym_vertices_uuid; }
int sym_vertices_component::get_korvo_version() { return kx::sdk::korvo_sdk_version; }
bool sym_vertices_component::modify(scene_interface&) { return true; }

kx::uuid_class paste_to_plane_component::get_uuid() { return paste_to_plane_uuid; }
int paste_to_plane_component::get_korvo_version() { return kx::sdk::korvo_sdk_version; }
bool paste_to_plane_component::modify(scene_interface&) { return true; }
