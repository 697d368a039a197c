#include "mesh/substance_shape.h"

#include "frame/sdk/shape.h"

shape_class* substance_shape(shape_class* shape, int* index, bool follow_link) {
    if (!shape || !index) return nullptr;
    const int type = shape->get_type();
    if (type == kx::sdk::polygon_mesh_shape || type == kx::sdk::line_shape) {
        const int count = shape->get_number_of_control_points();
        if (count > *index) return shape;
        *index -= count;
        return nullptr;
    }
    if (type != kx::sdk::part_shape) {
        if (*index < 1) return shape;
        *index -= 1;
        return nullptr;
    }
    const int count = shape->get_number_of_control_points();
    if (count <= *index) {
        *index -= count;
        return nullptr;
    }
    part_class* part = shape->as_part();
    if (part && follow_link && part->get_part_type() == kx::sdk::linked_part)
        return substance_shape(part->get_link(), index, false);
    const int sons = shape->get_number_of_sons();
    for (int i = 0; i < sons; ++i)
        if (shape_class* found = substance_shape(shape->get_son(i), index, false)) return found;
    return nullptr;
}
