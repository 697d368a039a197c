#include "host/plugin_set.h"

namespace host {

plugin_set::~plugin_set() {
    // Objects belong to their library's code: release them while it is loaded.
    for (auto it = objects_.rbegin(); it != objects_.rend(); ++it) it->object->Release();
    objects_.clear();
    while (!libraries_.empty()) libraries_.pop_back();
}

const plugin_library& plugin_set::open(const std::string& path) {
    libraries_.push_back(std::make_unique<plugin_library>(path));
    return *libraries_.back();
}

void plugin_set::make_objects(const plugin_library& lib, korvo_interface& host) {
    version_record version;
    version.size = static_cast<std::int32_t>(sizeof(version_record));
    lib.get_info(version);
    for (const kx::iid_class& kind : {kx::sdk::window_iid, kx::sdk::modifier_iid}) {
        const int count = lib.has_interface(kind);
        for (int index = 0; index < count; ++index) {
            plugin_interface* made = nullptr;
            lib.create_interface(kind, index, &made, host);
            if (made) objects_.push_back(plugin_object{kind, index, &lib, made, {}});
        }
    }
}

void plugin_set::adopt(const kx::iid_class& kind, plugin_interface& object, const std::string& name) {
    object.AddRef();
    int index = 0;
    for (const plugin_object& o : objects_)
        if (o.kind == kind && !o.library) ++index;
    objects_.push_back(plugin_object{kind, index, nullptr, &object, name});
}

std::string plugin_set::name_of(const plugin_object& o, korvo_interface& host) {
    if (!o.library) return o.name;
    const char* name = o.library->get_name(o.kind, o.index, host);
    return name ? name : "";
}

plugin_interface* plugin_set::find(const kx::uuid_class& id) {
    for (const plugin_object& o : objects_)
        if (o.object->get_uuid() == id) return o.object;
    return nullptr;
}

std::vector<plugin_interface*> plugin_set::objects_of(const kx::iid_class& kind) const {
    std::vector<plugin_interface*> out;
    for (const plugin_object& o : objects_)
        if (o.kind == kind) out.push_back(o.object);
    return out;
}

}  // namespace host
