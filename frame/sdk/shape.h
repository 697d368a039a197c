// Shapes of a scene: parts, lines, polygon meshes and what hangs off them.
#pragma once

#include <cstddef>

#include "math.h"
#include "unknown.h"
#include "uuid.h"

class scene_interface;
class polygon_mesh_class;
class part_class;
class shape_class;
class image_interface;

// Kinds a shape reports through get_type.
namespace kx::sdk {
constexpr int part_shape = 2;
constexpr int line_shape = 4;
constexpr int polygon_mesh_shape = 7;
// Part types.
constexpr int surface_part = 1;
constexpr int linked_part = 101;
}  // namespace kx::sdk

// Joint bindings of a vertex, a control point or a shape. With at least one
// binding the skin matrix takes the place of the shape's world transform.
class skin_class {
public:
    virtual int get_number_of_binds() const = 0;
    virtual mat4 get_skin_matrix() const = 0;
    // Joint of binding k (borrowed, may be null) and its weight.
    virtual shape_class* get_bind_joint(int k) const = 0;
    virtual float get_bind_weight(int k) const = 0;
    virtual void set_bind_weight(int k, float weight) = 0;
    virtual void set_bind_joint(int k, shape_class* joint) = 0;
    // Appends an empty binding (no joint, weight 0); removes the last one.
    virtual void append_bind() = 0;
    virtual void remove_last_bind() = 0;

protected:
    ~skin_class() = default;
};

// One control point of a line shape. All five vectors are points.
class control_point_class {
public:
    virtual vec3 get_position() const = 0;
    virtual vec3 get_first_handle() const = 0;
    virtual vec3 get_second_handle() const = 0;
    virtual bool get_first_flag() const = 0;
    virtual vec3 get_third_handle() const = 0;
    virtual vec3 get_fourth_handle() const = 0;
    virtual bool get_second_flag() const = 0;

    virtual void set_position(const vec3& p) = 0;
    virtual void set_first_handle(const vec3& p) = 0;
    virtual void set_second_handle(const vec3& p) = 0;
    virtual void set_third_handle(const vec3& p) = 0;
    virtual void set_fourth_handle(const vec3& p) = 0;
    virtual void set_first_flag(bool f) = 0;
    virtual void set_second_flag(bool f) = 0;

    virtual skin_class& get_skin() const = 0;

protected:
    ~control_point_class() = default;
};

// An undo record: the edits made while it is open become one undo step when
// it is closed. Releasing an open record closes it too.
class undo_record_interface : public unknown_interface {
public:
    virtual void close(int code) = 0;
};

// Surface attributes of a shape: its mapping layers.
class surface_attributes_interface {
public:
    virtual int get_number_of_mapping_layers() = 0;
    // Image of layer k (borrowed), or null when the layer has none.
    virtual image_interface* get_mapping_layer_image(int k) = 0;

protected:
    ~surface_attributes_interface() = default;
};

class shape_class {
public:
    // Kind: 2 part, 4 line, 7 polygon mesh; 3, 5, 6 and 8 other primitives.
    virtual int get_type() const = 0;
    virtual const char* get_name() const = 0;
    virtual void set_name(const char* name) = 0;

    // The scene holding the shape (counted), or null.
    virtual scene_interface* get_scene() const = 0;

    // Tree: parent (null for the root) and children in order (borrowed).
    virtual shape_class* get_dad() const = 0;
    virtual int get_number_of_sons() const = 0;
    virtual shape_class* get_son(int index) const = 0;

    // The shape as a part (kind 2) or as a polygon mesh (kind 7); null otherwise.
    virtual part_class* as_part() = 0;
    virtual polygon_mesh_class* get_polygon_mesh() = 0;

    // Transformations between the shape's local coordinates and the world.
    virtual mat4 get_transformation_to_world() const = 0;
    virtual mat4 get_transformation_from_world() const = 0;

    // Number of control points: vertices of a mesh, points of a line, the
    // whole subtree for a part, 1 for other shapes.
    virtual int get_number_of_control_points() const = 0;
    // Control point of a line (borrowed), null when out of range or not a line.
    virtual control_point_class* get_control_point(int index) = 0;
    // Whether a line is closed.
    virtual bool is_closed() const = 0;
    // Points of a primitive shape (box, disc, ...): which = 0 the first point,
    // 1 the second point or vector. NaN components when the shape has none.
    virtual vec3 get_primitive_point(int which) const = 0;

    // The shape's own skin.
    virtual skin_class& get_skin() const = 0;

    // Update bracket around a modification of the shape.
    virtual void begin_modification() = 0;
    virtual void end_modification() = 0;
    // A new undo record (counted) for edits of this shape's scene.
    virtual undo_record_interface* create_undo_record() = 0;
    // A new undo record (counted) whose edits join the scene's newest undo
    // step, so that they undo and redo together with it: a plug-in's
    // follow-up to the user's last edit (the mirror of a moved vertex).
    // When the newest step was undone, or there is none, the record makes
    // a step of its own, as create_undo_record does.
    virtual undo_record_interface* create_joining_undo_record() = 0;

    // Deselects every element (vertices, edges, faces) of the shape.
    virtual void clear_active_elements() = 0;

    // Attributes stored under an identifier. create_attribute takes the key
    // twice and the attribute kind twice; the answer (counted) may be null.
    virtual unknown_interface* create_attribute(const kx::uuid_class& key, const kx::uuid_class& key2,
                                                const kx::uuid_class& kind,
                                                const kx::uuid_class& kind2) = 0;
    virtual bool find_attribute(const kx::uuid_class& key) const = 0;
    virtual void remove_attribute(const kx::uuid_class& key) = 0;
    // Bytes a plug-in keeps with one of the shape's attributes. The host
    // copies them and saves and restores them with the shape on undo and
    // redo, so they always belong to the state the shape is in; they go
    // with the attribute. Setting them is an edit of the shape (made inside
    // an undo record like any other); without the attribute nothing happens.
    virtual void set_attribute_data(const kx::uuid_class& key, const void* data, std::size_t size) = 0;
    // The bytes kept with the attribute (borrowed, valid until the shape
    // next changes), or null with `size` 0 when there are none.
    virtual const void* get_attribute_data(const kx::uuid_class& key, std::size_t& size) const = 0;

    // The shape's own surface attributes (borrowed), null when it has none,
    // and the shape whose surface it inherits (borrowed), null when none.
    virtual surface_attributes_interface* get_surface_attributes() = 0;
    virtual shape_class* get_inherited_shape() const = 0;

    // A copy of the shape transformed by `transform`, inserted after it in
    // the same parent (borrowed).
    virtual shape_class* duplicate(const mat4& transform) = 0;

protected:
    ~shape_class() = default;
};

class part_class : public shape_class {
public:
    // Part type: 1 a surface (lines of equal point count), 101 a link, ...
    virtual int get_part_type() const = 0;
    // The shape a link part shows (borrowed), or null.
    virtual shape_class* get_link() const = 0;
    // Exchanges the two line directions of a surface part; a second call
    // undoes it.
    virtual void exchange_line_directions() = 0;

protected:
    ~part_class() = default;
};
