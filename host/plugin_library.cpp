#include "host/plugin_library.h"

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <utility>

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

// The DLL's resources as the files of the resources folder they were made
// from: type KXUL in en/ or ja/ by their language, TARGA in images/, each
// named by its resource name in lower case with the type's extension. They
// are read from the loaded module, so nothing is written to disk.
struct resource_reading {
    HMODULE module;
    resource_files* out;
    std::string library;
    std::string extension;
    std::string error;
};

BOOL CALLBACK read_language(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR context) {
    auto& reading = *reinterpret_cast<resource_reading*>(context);
    if (IS_INTRESOURCE(name)) return TRUE;
    std::string file;
    for (const wchar_t* c = name; *c; ++c) file += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
    const char* folder = reading.extension == ".tga"                 ? "images"
                         : PRIMARYLANGID(language) == LANG_JAPANESE ? "ja"
                                                                    : "en";
    const HRSRC found = ::FindResourceExW(module, type, name, language);
    const HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes) {
        reading.error = "cannot read the resource " + file;
        return FALSE;
    }
    const std::string relative = std::string(folder) + "/" + file + reading.extension;
    reading.out->add({relative, reading.library + "(" + relative + ")",
                      std::string(static_cast<const char*>(bytes), ::SizeofResource(module, found))});
    return TRUE;
}

BOOL CALLBACK read_name(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR context) {
    ::EnumResourceLanguagesW(module, type, name, read_language, context);
    return reinterpret_cast<resource_reading*>(context)->error.empty();
}

// The resources of `module`, the library at `path`. Throws
// std::runtime_error when one cannot be read.
resource_files read_resources(void* module, const std::string& path) {
    resource_files out(path);
    for (const auto& [type, extension] : {std::pair{L"KXUL", ".kxul"}, std::pair{L"TARGA", ".tga"}}) {
        resource_reading reading{static_cast<HMODULE>(module), &out, path, extension, {}};
        ::EnumResourceNamesW(static_cast<HMODULE>(module), type, read_name, reinterpret_cast<LONG_PTR>(&reading));
        if (!reading.error.empty()) throw std::runtime_error(path + ": " + reading.error);
    }
    return out;
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
        resources_ = read_resources(handle_, path_);
#else
        resources_ = resource_files::read_folder(resource_dir());
#endif
    } catch (...) {
        close_library(handle_);
        throw;
    }
}

plugin_library::~plugin_library() {
    if (handle_) close_library(handle_);
}

std::string plugin_library::resource_dir() const {
#ifdef _WIN32
    return path_;
#else
    return (std::filesystem::path(path_).parent_path() / "resources").string();
#endif
}

void* plugin_library::data_symbol(const char* name) const { return find_symbol(handle_, name); }

}  // namespace host
