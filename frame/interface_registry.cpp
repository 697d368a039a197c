#include "frame/interface_registry.h"

#include <memory>

#include "frame/identifiers.h"
#include "frame/sdk/korvo.h"
#include "window/modifier_components.h"
#include "window/symmetry_window.h"

namespace {

bool is_modifier_index(int index) { return index >= 0 && index < modifier_count; }

constexpr const char* modifier_names[modifier_count] = {"Remove_edges", "Append_edge", "Sym_vertices",
                                                        "Paste_to_plane"};
constexpr kx::uuid_class modifier_uuids[modifier_count] = {twinel_uuid, append_edge_uuid, sym_vertices_uuid,
                                                           paste_to_plane_uuid};

plugin_interface* new_modifier(int index) {
    switch (index) {
    case 0: return new remove_edges_component;
    case 1: return new append_edge_component;
    case 2: return new sym_vertices_component;
    case 3: return new paste_to_plane_component;
    default: return nullptr;
    }
}

}  // namespace

interface_kind kind_of(const kx::iid_class& iid) {
    if (iid == window_iid) return interface_kind::window;
    if (iid == modifier_iid) return interface_kind::modifier;
    return interface_kind::none;
}

int interface_flags(interface_kind kind) {
    switch (kind) {
    case interface_kind::window: return 1;
    case interface_kind::modifier: return 4;
    default: return 0;
    }
}

const char* interface_name(interface_kind kind, int index, korvo_interface& host) {
    if (kind == interface_kind::window) return host.gettext("product_name");
    if (kind == interface_kind::modifier && is_modifier_index(index)) return host.gettext(modifier_names[index]);
    return nullptr;
}

kx::uuid_class interface_uuid(interface_kind kind, int index) {
    if (kind == interface_kind::window) return symmetry_window_uuid;
    if (kind == interface_kind::modifier && is_modifier_index(index)) return modifier_uuids[index];
    return kx::uuid_class{};
}

bool interface_is_resident(interface_kind kind, int index) {
    if (kind == interface_kind::window) return true;
    return kind == interface_kind::modifier && index == 0;
}

plugin_interface* new_interface(interface_kind kind, int index, korvo_interface& host) {
    plugin_interface* object = nullptr;
    if (kind == interface_kind::window)
        object = new symmetry_window(host);
    else if (kind == interface_kind::modifier)
        object = new_modifier(index);
    if (object) object->AddRef();
    return object;
}
