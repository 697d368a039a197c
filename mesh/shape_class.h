// The plug-in's wrapper around one host shape: its object type, the points
// it addresses, positions in local or world coordinates, whole control
// points of lines, and the undo record of an open edit.
#pragma once

#include "frame/sdk/math.h"
#include "frame/sdk/shape.h"
#include "frame/sdk/unknown.h"

class vertex_class;
class control_point_class;
struct Surface_point;

// Object types made by Shape_class::set_object_type.
namespace object_type {
constexpr int none = -1;
constexpr int part = 0;          // a plain part: points spread over its lines and meshes
constexpr int surface = 1;       // a surface part
constexpr int link = 13;         // a linked part
constexpr int line = 15;         // a line shape
constexpr int polygon_mesh = 18; // a polygon-mesh shape
constexpr int other = 24;
constexpr int count = 25;        // types run from 0 to count - 1
}  // namespace object_type

class Shape_class {
public:
    // The undo record of an open edit (opened and closed by Polygon_class).
    kx::host_ref<undo_record_interface> undo_record;
    bool flag = false;         // reset by set_object_type
    void* pointer = nullptr;   // reset by set_object_type
    shape_class* shape = nullptr;   // the wrapped host shape; borrowed, may be null
    int type = object_type::none;   // the object type
    bool variable_points = false;   // the type addresses a variable number of points
    int fixed_points = 0;           // the number of points a fixed-point type addresses

    // Wraps `s` (may be null) and classifies it.
    explicit Shape_class(shape_class* s = nullptr);

    // Wraps another shape (may be null) and classifies it again. An open undo
    // record stays held.
    void set_shape(shape_class* s);

    // Clears `flag` and `pointer`, classifies the shape from the host's shape
    // kind and part type, fills variable_points and fixed_points from the
    // per-type tables, and returns the object type (-1 without a shape).
    int set_object_type();

    // The leaf line or mesh that holds point *index of this shape, with
    // *index turned into the index within it (the shape itself for a line or
    // mesh). Null unless 0 <= *index < the shape's point count.
    shape_class* substance_shape(int* index) const;

    // Position of point `index` in local coordinates, or in world coordinates
    // when `world` is set. Parts read through the child line or mesh that
    // holds the point. A point the shape does not have gives NaN components
    // (bit pattern 7FA00000). For a part type that reads primitive points
    // while in modify mode, the host's modify mode is left for the read and
    // entered again afterwards, with figure updates inhibited meanwhile.
    vec3 get_position(int index, bool world) const;

    // Copies control point `index` into `out`, transformed to world
    // coordinates when `world` is set. False, with `out` unchanged, when the
    // shape has no such control point.
    bool get_surface_point(int index, Surface_point& out, bool world) const;
    // Writes `in` to control point `index`, converted from world coordinates
    // when `world` is set. False, with nothing written, when the shape has no
    // such control point.
    bool set_surface_point(int index, const Surface_point& in, bool world) const;

    // Local-to-world matrix of a vertex, a control point or the shape itself:
    // the skin's matrix when the skin has at least one binding, otherwise the
    // shape's transformation to world coordinates.
    static mat4 get_world(const shape_class& s, const vertex_class& v);
    static mat4 get_world(const shape_class& s, const control_point_class& cp);
    static mat4 get_world(const shape_class& s);
    // World-to-local matrix of a control point: the inverse of the skin's
    // matrix (reverse_matrix) when bound, otherwise the shape's transformation
    // from world coordinates.
    static mat4 get_local(const shape_class& s, const control_point_class& cp);
};

// The position given to points a shape does not have.
vec3 missing_position();
