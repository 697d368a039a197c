// The plug-in libraries an application has loaded and the interface
// objects made from them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "frame/sdk/korvo.h"
#include "frame/sdk/plugin.h"
#include "host/plugin_library.h"

namespace host {

struct plugin_object {
    kx::iid_class kind;  // window_iid or modifier_iid
    int index = 0;
    const plugin_library* library = nullptr;  // null for an adopted object
    plugin_interface* object = nullptr;  // owned by the plugin_set
    std::string name;                    // an adopted object's name
};

class plugin_set {
public:
    plugin_set() = default;
    // Releases every object first, then unloads the libraries.
    ~plugin_set();
    plugin_set(const plugin_set&) = delete;
    plugin_set& operator=(const plugin_set&) = delete;

    // Loads the library (kept until the set goes). Throws
    // std::runtime_error when it cannot be loaded.
    const plugin_library& open(const std::string& path);
    // Asks the library for its version, then makes one object per interface
    // it offers (has_interface gives the count of each kind); the objects
    // are kept until the set goes.
    void make_objects(const plugin_library& lib, korvo_interface& host);

    // Takes a reference to an object the host made itself (a built-in tool,
    // a test double) and keeps it with the plug-ins' objects of `kind`,
    // named `name`; it is released with them.
    void adopt(const kx::iid_class& kind, plugin_interface& object, const std::string& name);

    // The name of a made object: the library's get_name (translated by
    // `host`), or an adopted object's name; empty when there is none.
    static std::string name_of(const plugin_object& o, korvo_interface& host);

    // A made object by identifier; borrowed.
    plugin_interface* find(const kx::uuid_class& id);

    const std::vector<plugin_object>& objects() const { return objects_; }
    // The objects of one kind, in the order they were made.
    std::vector<plugin_interface*> objects_of(const kx::iid_class& kind) const;
    const std::vector<std::unique_ptr<plugin_library>>& libraries() const { return libraries_; }

private:
    std::vector<std::unique_ptr<plugin_library>> libraries_;
    std::vector<plugin_object> objects_;
};

}  // namespace host
