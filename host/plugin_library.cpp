#include "host/plugin_library.h"

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <utility>

#ifdef _WIN32
#include "host/windows_api.h"
#else
#include <dlfcn.h>
#endif

#include "host/temp_folder.h"

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

// The DLL's resources as the files of the resources folder they were made
// from: type KXUL in en/ or ja/ by their language, TARGA in images/, each
// named by its resource name in lower case with the type's extension.
struct resource_copy {
    HMODULE module;
    std::filesystem::path folder;
    const wchar_t* type;
    std::string extension;
    std::string error;
};

BOOL CALLBACK copy_language(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR context) {
    auto& copy = *reinterpret_cast<resource_copy*>(context);
    if (IS_INTRESOURCE(name)) return TRUE;
    std::string file;
    for (const wchar_t* c = name; *c; ++c) file += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
    std::filesystem::path dir = copy.folder;
    if (copy.extension == ".tga") dir /= "images";
    else if (PRIMARYLANGID(language) == LANG_JAPANESE) dir /= "ja";
    else dir /= "en";
    const HRSRC found = ::FindResourceExW(module, type, name, language);
    const HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes) {
        copy.error = "cannot read the resource " + file;
        return FALSE;
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    std::ofstream out(dir / (file + copy.extension), std::ios::binary);
    out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(::SizeofResource(module, found)));
    if (!out.flush()) {
        copy.error = "cannot copy the resource " + file + " into " + dir.string();
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK copy_name(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR context) {
    ::EnumResourceLanguagesW(module, type, name, copy_language, context);
    return reinterpret_cast<resource_copy*>(context)->error.empty();
}

// Copies the resources of `module` into a new folder of the temporary
// folder; its path. Throws std::runtime_error when they cannot be copied.
std::string copy_resources(void* module, const std::string& path) {
    std::filesystem::path folder;
    try {
        folder = make_temp_folder("twinel_resources_");
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(path + ": cannot copy out its resources: " + e.what());
    }
    for (const auto& [type, extension] : {std::pair{L"KXUL", ".kxul"}, std::pair{L"TARGA", ".tga"}}) {
        resource_copy copy{static_cast<HMODULE>(module), folder, type, extension, {}};
        ::EnumResourceNamesW(static_cast<HMODULE>(module), type, copy_name, reinterpret_cast<LONG_PTR>(&copy));
        if (!copy.error.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
            throw std::runtime_error(path + ": " + copy.error);
        }
    }
    return folder.string();
}
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
#ifdef _WIN32
        copied_resources_ = copy_resources(handle_, path_);
#endif
    } catch (...) {
        close_library(handle_);
        throw;
    }
}

plugin_library::~plugin_library() {
    if (handle_) close_library(handle_);
    if (!copied_resources_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(copied_resources_, ignored);
    }
}

std::string plugin_library::resource_dir() const {
    if (!copied_resources_.empty()) return copied_resources_;
    return (std::filesystem::path(path_).parent_path() / "resources").string();
}

void* plugin_library::data_symbol(const char* name) const { return find_symbol(handle_, name); }

}  // namespace host
