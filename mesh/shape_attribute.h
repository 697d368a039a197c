// Removing an attribute from a whole tree of shapes.
#pragma once

#include "frame/sdk/uuid.h"

class shape_class;

// Removes the attribute stored under `key` from `shape` when it has one, then
// does the same for every child of a part, in order, depth first. Used with
// twinel_uuid so that shapes arriving in a scene bring no stale pairing mark.
void clear_shape_attribute_with_uuid(shape_class& shape, const kx::uuid_class& key);
