#include "host/plugin_library.h"

#include <dlfcn.h>

#include <filesystem>
#include <stdexcept>

namespace host {
namespace {

template <class F>
F resolve(void* handle, const std::string& path, const char* name) {
    void* p = dlsym(handle, name);
    if (!p) throw std::runtime_error(path + ": the plug-in does not export '" + name + "'");
    return reinterpret_cast<F>(p);
}

}  // namespace

plugin_library::plugin_library(const std::string& path) : path_(path) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = dlerror();
        throw std::runtime_error(path + ": cannot load the plug-in: " + (why ? why : "unknown error"));
    }
    try {
        get_info = resolve<get_info_function>(handle_, path_, "get_info");
        has_interface = resolve<has_interface_function>(handle_, path_, "has_interface");
        get_name = resolve<get_name_function>(handle_, path_, "get_name");
        get_uuid = resolve<get_uuid_function>(handle_, path_, "get_uuid");
        is_resident = resolve<is_resident_function>(handle_, path_, "is_resident");
        create_interface = resolve<create_interface_function>(handle_, path_, "create_interface");
    } catch (...) {
        dlclose(handle_);
        throw;
    }
}

plugin_library::~plugin_library() {
    if (handle_) dlclose(handle_);
}

std::string plugin_library::resource_dir() const {
    return (std::filesystem::path(path_).parent_path() / "resources").string();
}

void* plugin_library::data_symbol(const char* name) const { return dlsym(handle_, name); }

}  // namespace host
