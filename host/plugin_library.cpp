#include "host/plugin_library.h"

#include <filesystem>
#include <stdexcept>

#ifdef _WIN32
#include "host/windows_api.h"
#else
#include <dlfcn.h>
#endif

namespace host {
namespace {

// The loader's calls: dlopen and its kin, or their Windows counterparts.
#ifdef _WIN32
void* open_library(const std::string& path, std::string& why) {
    HMODULE h = ::LoadLibraryW(std::filesystem::u8path(path).wstring().c_str());
    if (!h) why = "error " + std::to_string(::GetLastError());
    return reinterpret_cast<void*>(h);
}
void* find_symbol(void* handle, const char* name) {
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle), name));
}
void close_library(void* handle) { ::FreeLibrary(static_cast<HMODULE>(handle)); }
#else
void* open_library(const std::string& path, std::string& why) {
    void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) {
        const char* text = dlerror();
        why = text ? text : "unknown error";
    }
    return h;
}
void* find_symbol(void* handle, const char* name) { return dlsym(handle, name); }
void close_library(void* handle) { dlclose(handle); }
#endif

template <class F>
F resolve(void* handle, const std::string& path, const char* name) {
    void* p = find_symbol(handle, name);
    if (!p) throw std::runtime_error(path + ": the plug-in does not export '" + name + "'");
    return reinterpret_cast<F>(p);
}

}  // namespace

plugin_library::plugin_library(const std::string& path) : path_(path) {
    std::string why;
    handle_ = open_library(path, why);
    if (!handle_) throw std::runtime_error(path + ": cannot load the plug-in: " + why);
    try {
        get_info = resolve<get_info_function>(handle_, path_, "get_info");
        has_interface = resolve<has_interface_function>(handle_, path_, "has_interface");
        get_name = resolve<get_name_function>(handle_, path_, "get_name");
        get_uuid = resolve<get_uuid_function>(handle_, path_, "get_uuid");
        is_resident = resolve<is_resident_function>(handle_, path_, "is_resident");
        create_interface = resolve<create_interface_function>(handle_, path_, "create_interface");
    } catch (...) {
        close_library(handle_);
        throw;
    }
}

plugin_library::~plugin_library() {
    if (handle_) close_library(handle_);
}

std::string plugin_library::resource_dir() const {
    return (std::filesystem::path(path_).parent_path() / "resources").string();
}

void* plugin_library::data_symbol(const char* name) const { return find_symbol(handle_, name); }

}  // namespace host
