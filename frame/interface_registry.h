// The interfaces the plug-in offers the host: one palette window and four
// modify-mode tools. The exported entry points answer through these.
#pragma once

#include "frame/sdk/uuid.h"

class korvo_interface;
class plugin_interface;

enum class interface_kind { none, window, modifier };

// Number of modify-mode tools (modifier indices 0 to 3).
constexpr int modifier_count = 4;

// The kind named by `iid`: all 128 bits must match; the window identifier is
// tested first.
interface_kind kind_of(const kx::iid_class& iid);

// has_interface's answer: 1 for the window, 4 for the modifiers, 0 otherwise.
int interface_flags(interface_kind kind);

// The host's translation of the interface's name: "product_name" for the
// window (any index), the tool names for modifier indices 0 to 3. Null for
// anything else.
const char* interface_name(interface_kind kind, int index, korvo_interface& host);

// The interface's identifier; the all-zero identifier for anything unknown.
kx::uuid_class interface_uuid(interface_kind kind, int index);

// The window is resident at any index; of the modifiers only index 0.
bool interface_is_resident(interface_kind kind, int index);

// A new object for the interface, with a reference count of 1, or null when
// the kind or index is unknown. Exceptions of the constructors pass on; the
// object's memory is then freed.
plugin_interface* new_interface(interface_kind kind, int index, korvo_interface& host);
