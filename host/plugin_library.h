// A plug-in library loaded with dlopen (LoadLibrary on Windows), and its
// six entry points.
#pragma once

#include <string>

#include "frame/sdk/entry.h"

namespace host {

class plugin_library {
public:
    // Loads the library and resolves the entry points by name; throws
    // std::runtime_error naming the path and the missing symbol on failure.
    explicit plugin_library(const std::string& path);
    ~plugin_library();
    plugin_library(const plugin_library&) = delete;
    plugin_library& operator=(const plugin_library&) = delete;

    const std::string& path() const { return path_; }
    // The folder of the library's resources: the folder "resources" beside
    // it; on Windows, where they are inside the DLL, a private folder they
    // were copied into when the library was loaded, removed with it.
    std::string resource_dir() const;

    get_info_function get_info = nullptr;
    has_interface_function has_interface = nullptr;
    get_name_function get_name = nullptr;
    get_uuid_function get_uuid = nullptr;
    is_resident_function is_resident = nullptr;
    create_interface_function create_interface = nullptr;

    // The system's handle of the loaded library.
    void* handle() const { return handle_; }
    // An exported data symbol, or null.
    void* data_symbol(const char* name) const;

private:
    std::string path_;
    void* handle_ = nullptr;
    std::string copied_resources_;  // Windows: the folder the DLL's resources were copied into
};

}  // namespace host
