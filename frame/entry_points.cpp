// The six entry points the host resolves by name. Each checks its arguments,
// dispatches to the interface registry and lets no exception cross into the
// host, except an allocation failure while creating an interface object,
// which the host expects to see.
#include <new>
#include <type_traits>

#include "frame/export.h"
#include "frame/identifiers.h"
#include "frame/interface_registry.h"
#include "frame/sdk/entry.h"
#include "frame/sdk/plugin.h"

extern "C" {

// Writes the plug-in's version into the host's record; the record's leading
// word stays as the host set it.
TWINEL_EXPORT void get_info(version_record& version) {
    version.major = twinel_version_major;
    version.minor = twinel_version_minor;
    version.micro = twinel_version_micro;
    version.build = twinel_version_build;
}

// 1 for the window interface kind, 4 for the modifier kind, 0 otherwise.
TWINEL_EXPORT int has_interface(const kx::iid_class& iid) {
    try {
        return interface_flags(kind_of(iid));
    } catch (...) {
        return 0;
    }
}

// The translated name of an interface, owned by the host; null when the kind
// or index is unknown or the host failed.
TWINEL_EXPORT const char* get_name(const kx::iid_class& iid, int index, korvo_interface& host) {
    try {
        return interface_name(kind_of(iid), index, host);
    } catch (...) {
        return nullptr;
    }
}

// The identifier of an interface; all zero when the kind or index is unknown.
// The host's entry point returns the structure by value with C linkage, as
// its C++ compilers lay it out; clang warns about that, and it is meant.
#ifdef __clang__
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wreturn-type-c-linkage"
#endif
TWINEL_EXPORT kx::uuid_class get_uuid(const kx::iid_class& iid, int index) {
    try {
        return interface_uuid(kind_of(iid), index);
    } catch (...) {
        return kx::uuid_class{};
    }
}
#ifdef __clang__
#pragma clang diagnostic pop
#endif

// Whether the host keeps the interface loaded: the window always, modifier 0.
TWINEL_EXPORT bool is_resident(const kx::iid_class& iid, int index) {
    try {
        return interface_is_resident(kind_of(iid), index);
    } catch (...) {
        return false;
    }
}

// Creates the interface object and stores it, with a count of 1, through
// `out`. For an unknown kind or index, a null `out`, or a failing
// constructor, nothing is stored. Allocation failure propagates.
TWINEL_EXPORT void create_interface(const kx::iid_class& iid, int index, plugin_interface** out,
                                    korvo_interface& host) {
    if (!out) return;
    try {
        if (plugin_interface* object = new_interface(kind_of(iid), index, host)) *out = object;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (...) {
    }
}

}  // extern "C"

// The entry points must keep the signatures the host resolves them with.
static_assert(std::is_same_v<decltype(&get_info), get_info_function>);
static_assert(std::is_same_v<decltype(&has_interface), has_interface_function>);
static_assert(std::is_same_v<decltype(&get_name), get_name_function>);
static_assert(std::is_same_v<decltype(&get_uuid), get_uuid_function>);
static_assert(std::is_same_v<decltype(&is_resident), is_resident_function>);
static_assert(std::is_same_v<decltype(&create_interface), create_interface_function>);
