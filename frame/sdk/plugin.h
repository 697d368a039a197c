// Plug-in interface objects and the element-mark component.
#pragma once

#include <cstdint>

#include "unknown.h"
#include "uuid.h"

class shape_class;

// Base of every interface object a plug-in hands to the host.
class plugin_interface : public unknown_interface {
public:
    // The object's own identifier.
    virtual kx::uuid_class get_uuid() = 0;
    // The host SDK version the object was built against.
    virtual int get_korvo_version() = 0;
};

class element_mark_interface;

// The request record exchanged with the element-mark component. Its layout
// is binding: on 64-bit builds component at 0, command at 8, target at 12,
// flag at 16, count at 20, list at 24; on 32-bit builds each field follows
// the previous one at its natural alignment.
struct mark_request {
    enum TARGET : std::int32_t { VERTICES = 1, EDGES = 2, FACES = 4 };
    enum COMMAND : std::int32_t { CLEAR = 0, GET = 1, MARK = 3 };

    element_mark_interface* component = nullptr;
    std::int32_t command = CLEAR;
    TARGET target = VERTICES;
    bool flag = false;
    std::int32_t count = 0;
    const std::int32_t* list = nullptr;
};

// The host's element-mark component (found by
// kx::sdk::elements_preference_uuid). It keeps marks per shape and target.
class element_mark_interface : public plugin_interface {
public:
    // Carries out the request in `record` for `shape`. A clear drops the
    // shape's marks of the target; a mark replaces them by the listed
    // indices; a get leaves the count and a component-owned list in the
    // record (valid until the next request). May throw.
    virtual void mark_elements(shape_class& shape, mark_request& record) = 0;
};
