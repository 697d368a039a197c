// Element marks: the request record sent to the host's element-mark
// component, which keeps and draws marks on vertices, edges or faces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "frame/sdk/plugin.h"

class shape_class;

// The record is exchanged with a component outside the plug-in, so it adds
// operations to the SDK's record and no data.
class mark_elements : public mark_request {
public:
    // Marks `count` elements of `shape` listed in `list` (indices of the
    // target kind), with `flag` as the request's argument. Overwrites the
    // record's command, target, count, list and flag. Returns 0 when the
    // request was sent, 1 when there is no component, the component threw
    // (the exception is swallowed), or count and list do not describe a list
    // (negative count, or a null list for a positive count).
    int mark(shape_class& shape, TARGET target, int count, const int* list, bool flag);

    // Drops the shape's marks of the target. Result as for `mark`.
    int clear(shape_class& shape, TARGET target);

    // Asks for the shape's marks of the target: answers the count and the
    // list the component left in the record (the list belongs to the
    // component). (-1, null) when there is no component or it threw.
    std::pair<int, const int*> get_mark(shape_class& shape, TARGET target);

private:
    // Hands the record to the component; false when there is none or it threw.
    bool send(shape_class& shape);
};

// The layout is binding for the component on the other side.
static_assert(std::is_standard_layout_v<mark_elements>, "mark_elements must keep the record's layout");
static_assert(sizeof(mark_elements) == sizeof(mark_request), "mark_elements adds no data");
static_assert(sizeof(mark_request::TARGET) == 4, "the target is a 32-bit field");
#if UINTPTR_MAX > 0xFFFFFFFFu
static_assert(offsetof(mark_elements, component) == 0, "component at 0");
static_assert(offsetof(mark_elements, command) == 8, "command at 8");
static_assert(offsetof(mark_elements, target) == 12, "target at 12");
static_assert(offsetof(mark_elements, flag) == 16, "flag at 16");
static_assert(offsetof(mark_elements, count) == 20, "count at 20");
static_assert(offsetof(mark_elements, list) == 24, "list at 24");
static_assert(sizeof(mark_elements) == 32, "32 bytes on 64-bit builds");
#else
static_assert(offsetof(mark_elements, component) == 0, "component at 0");
static_assert(offsetof(mark_elements, command) == 4, "command at 4");
static_assert(offsetof(mark_elements, target) == 8, "target at 8");
static_assert(offsetof(mark_elements, flag) == 12, "flag at 12");
static_assert(offsetof(mark_elements, count) == 16, "count at 16");
static_assert(offsetof(mark_elements, list) == 20, "list at 20");
static_assert(sizeof(mark_elements) == 24, "24 bytes on 32-bit builds");
#endif
