#include "mesh/shape_attribute.h"

#include "frame/sdk/shape.h"

void clear_shape_attribute_with_uuid(shape_class& shape, const kx::uuid_class& key) {
    if (shape.find_attribute(key)) shape.remove_attribute(key);
    if (shape.get_type() != kx::sdk::part_shape) return;
    const int n = shape.get_number_of_sons();
    for (int i = 0; i < n; ++i)
        if (shape_class* son = shape.get_son(i)) clear_shape_attribute_with_uuid(*son, key);
}
