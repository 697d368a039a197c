// A plug-in library loaded with dlopen (LoadLibrary on Windows), and its
// six entry points.
#pragma once

#include <string>

#include "frame/sdk/entry.h"
#include "host/resource_files.h"

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
    // Where the library's resources are: the folder "resources" beside it;
    // on Windows the DLL itself, which carries them.
    std::string resource_dir() const;
    // Those resources, read when the library was loaded.
    const resource_files& resources() const { return resources_; }

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
    resource_files resources_;
};

}  // namespace host
