#include "mesh/shape_class.h"

#include <cstdint>
#include <cstring>

#include "frame/sdk/polygon_mesh.h"
#include "frame/sdk/scene.h"
#include "mesh/reverse_matrix.h"
#include "mesh/substance_shape.h"
#include "mesh/surface_point.h"

namespace {

// Object type of a part, by the host's part type.
int part_object_type(int part_type) {
    if (part_type >= 0 && part_type <= 8) return part_type;
    switch (part_type) {
    case 9: return 10;
    case 10: return 11;
    case 11: return 12;
    case 12: return 23;
    case 13: return 9;
    case 100: return 21;
    case 101: return object_type::link;
    default: return object_type::other;
    }
}

bool has_variable_points(int type) {
    return type == object_type::surface || type == object_type::line || type == object_type::polygon_mesh;
}

int fixed_point_count(int type) {
    switch (type) {
    case 2: case 3: case 4: case 12: return 2;
    case 5: case 11: case 14: case 16: case 17: return 1;
    default: return 0;
    }
}

bool is_bound(const skin_class& skin) { return skin.get_number_of_binds() >= 1; }

// Position of a point of a line or mesh leaf, optionally in world
// coordinates; NaN when the leaf has no such point.
vec3 leaf_position(shape_class& leaf, int index, bool world) {
    const int kind = leaf.get_type();
    if (kind == kx::sdk::polygon_mesh_shape) {
        polygon_mesh_class* mesh = leaf.get_polygon_mesh();
        if (!mesh || index < 0 || index >= mesh->get_number_of_vertices()) return missing_position();
        vertex_class& v = mesh->vertex(index);
        const vec3 p = v.get_position();
        return world ? p * Shape_class::get_world(leaf, v) : p;
    }
    if (kind == kx::sdk::line_shape) {
        control_point_class* cp = leaf.get_control_point(index);
        if (!cp) return missing_position();
        const vec3 p = cp->get_position();
        return world ? p * Shape_class::get_world(leaf, *cp) : p;
    }
    return missing_position();
}

// Reads a primitive point of an object-type-12 part with the host out of
// modify mode, restoring the mode and figure updates afterwards.
vec3 primitive_point_outside_modify_mode(const shape_class& s, int which) {
    kx::host_ref<scene_interface> scene(s.get_scene());
    if (!scene) return s.get_primitive_point(which);
    const bool was_modifying = scene->is_modify_mode();
    scene->inhibit_update();
    if (was_modifying) scene->exit_modify_mode();
    vec3 p;
    try {
        p = s.get_primitive_point(which);
    } catch (...) {
        if (was_modifying) scene->enter_modify_mode();
        scene->allow_update();
        throw;
    }
    if (was_modifying) scene->enter_modify_mode();
    scene->allow_update();
    return p;
}

}  // namespace

vec3 missing_position() {
    const std::uint32_t bits = 0x7FA00000u;
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return vec3(f, f, f);
}

Shape_class::Shape_class(shape_class* s) : shape(s) { set_object_type(); }

void Shape_class::set_shape(shape_class* s) {
    shape = s;
    set_object_type();
}

int Shape_class::set_object_type() {
    flag = false;
    pointer = nullptr;
    if (!shape) {
        type = object_type::none;
        variable_points = false;
        fixed_points = 0;
        return type;
    }
    const int kind = shape->get_type();
    if (kind == kx::sdk::part_shape) {
        part_class* part = shape->as_part();
        type = part ? part_object_type(part->get_part_type()) : object_type::other;
    } else if (kind >= 3 && kind <= 8) {
        type = kind + 11;
    } else {
        type = object_type::other;
    }
    variable_points = has_variable_points(type);
    fixed_points = fixed_point_count(type);
    return type;
}

shape_class* Shape_class::substance_shape(int* index) const {
    if (!shape || !index) return nullptr;
    if (*index < 0 || *index >= shape->get_number_of_control_points()) return nullptr;
    return ::substance_shape(shape, index, false);
}

vec3 Shape_class::get_position(int index, bool world) const {
    if (!shape) return missing_position();
    vec3 p;
    switch (type) {
    case 0: case 1: case object_type::link: {
        int local = index;
        shape_class* leaf = substance_shape(&local);
        return leaf ? leaf_position(*leaf, local, world) : missing_position();
    }
    case object_type::polygon_mesh:
    case object_type::line:
        return leaf_position(*shape, index, world);
    case 2: case 4:
        p = shape->get_primitive_point(0);
        if (index != 0) p += shape->get_primitive_point(1);
        break;
    case 3:
        if (index != 0 && index != 1) return missing_position();
        p = shape->get_primitive_point(index);
        break;
    case 5: case 11: case 14: case 16: case 17:
        p = shape->get_primitive_point(0);
        break;
    case 12:
        p = primitive_point_outside_modify_mode(*shape, index == 0 ? 0 : 1);
        break;
    default:
        return missing_position();
    }
    return world ? p * get_world(*shape) : p;
}

bool Shape_class::get_surface_point(int index, Surface_point& out, bool world) const {
    if (!shape) return false;
    shape_class* owner = shape;
    int local = index;
    if (type == object_type::part) {
        owner = substance_shape(&local);
        if (!owner) return false;
    }
    control_point_class* cp = owner->get_control_point(local);
    if (!cp) return false;
    out.get(*cp);
    if (world) {
        // The matrix belongs to the leaf that holds the point, found again
        // from the index for shapes whose points are their own.
        int leaf_index = index;
        shape_class* leaf = type == object_type::part ? owner : substance_shape(&leaf_index);
        out *= get_world(leaf ? *leaf : *owner, *cp);
    }
    return true;
}

bool Shape_class::set_surface_point(int index, const Surface_point& in, bool world) const {
    if (!shape) return false;
    shape_class* owner = shape;
    int local = index;
    if (type == object_type::part) {
        owner = substance_shape(&local);
        if (!owner) return false;
    }
    control_point_class* cp = owner->get_control_point(local);
    if (!cp) return false;
    if (world)
        (in * get_local(*owner, *cp)).set(*cp);
    else
        in.set(*cp);
    return true;
}

mat4 Shape_class::get_world(const shape_class& s, const vertex_class& v) {
    const skin_class& skin = v.get_skin();
    return is_bound(skin) ? skin.get_skin_matrix() : s.get_transformation_to_world();
}

mat4 Shape_class::get_world(const shape_class& s, const control_point_class& cp) {
    const skin_class& skin = cp.get_skin();
    return is_bound(skin) ? skin.get_skin_matrix() : s.get_transformation_to_world();
}

mat4 Shape_class::get_world(const shape_class& s) {
    const skin_class& skin = s.get_skin();
    return is_bound(skin) ? skin.get_skin_matrix() : s.get_transformation_to_world();
}

mat4 Shape_class::get_local(const shape_class& s, const control_point_class& cp) {
    const skin_class& skin = cp.get_skin();
    return is_bound(skin) ? reverse_matrix(skin.get_skin_matrix()) : s.get_transformation_from_world();
}
