// The six entry points a plug-in library exports, with unmangled names.
#pragma once

#include <cstdint>

#include "uuid.h"

class korvo_interface;
class plugin_interface;

// The record get_info fills: a leading word the host sets, then the version.
struct version_record {
    std::int32_t size = 0;
    std::int32_t major = 0;
    std::int32_t minor = 0;
    std::int32_t micro = 0;
    std::int32_t build = 0;
};

// Signatures, as the host resolves them by name.
extern "C" {
using get_info_function = void (*)(version_record& version);
using has_interface_function = int (*)(const kx::iid_class& iid);
using get_name_function = const char* (*)(const kx::iid_class& iid, int index, korvo_interface& host);
using get_uuid_function = kx::uuid_class (*)(const kx::iid_class& iid, int index);
using is_resident_function = bool (*)(const kx::iid_class& iid, int index);
using create_interface_function = void (*)(const kx::iid_class& iid, int index, plugin_interface** out,
                                           korvo_interface& host);
}
