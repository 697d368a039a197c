// The symmetry settings record and the position primitives built on it:
// which plane mirrors the mesh, which side is the base, the tolerances, and
// reading and writing vertex positions in local or world coordinates.
//
// The palette window keeps one as its settings; every pairing
// (twinel_class) is one, with its own copy of the settings.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "frame/sdk/math.h"

class korvo_interface;
class scene_interface;
class shape_class;
class vertex_class;
class Polygon_class;
class Shape_class;

// One vertex as the sweeps record it.
struct ver_inf {
    int index = -1;   // vertex index in the mesh
    vec3 position;    // get_position when the record was made
    bool done = false;  // already used as a partner
};

// Sweep records by a float key, ascending, equal keys in insertion order.
using ver_inf_map = std::multimap<float, ver_inf>;

class Symmetry_class {
public:
    std::int8_t plane = 0;        // 0 YZ (x mirrored), 1 ZX (y), 2 XY (z)
    std::uint8_t base_side = 0;   // 0 positive side, 1 negative side, 2 average
    float margin = 0.1f;          // greatest distance of a position from its partner's mirror
    float reduse_margin = 0.01f;  // greatest distance from the plane of an on-plane vertex
    bool do_adjust = true;        // move recognised pairs even when some stay unpaired
    bool do_symUV = false;        // mirror UVs when faces are paired or made
    float duv_center = 0.5f;      // distance UV: centre and on-centre band
    float duv_margin = 0.02f;
    float puv_center = 0.5f;      // parameter UV: centre and on-centre band
    float puv_margin = 0.02f;
    bool verbose = true;          // show informational messages
    bool sep_type = true;         // separation settings
    std::int32_t sep_num = 30;
    bool use_world = false;       // positions in world coordinates
    mat4 world_matrix;            // the shape's local-to-world matrix
    mat4 inverse_world_matrix;    // the shape's world-to-local matrix
    // Translates the messages shown in a scene; null shows the keys as they
    // are. Not a setting: the window points it at its host.
    korvo_interface* host = nullptr;

    // Whether a lies within `margin` of the mirror of b (squares summed in
    // single precision, margin squared in single precision, equality
    // counts, a NaN gives false). Note that b is the mirrored one.
    bool is_sym(const vec3& a, const vec3& b) const;

    // The vertex position in local coordinates, or with use_world in world
    // coordinates: through the vertex's skin matrix when the skin has a
    // binding, otherwise through world_matrix.
    vec3 get_position(vertex_class& v) const;
    // Writes a position given in the coordinates get_position uses (the
    // inverse of the skin matrix, or inverse_world_matrix, with use_world).
    void set_position(vertex_class& v, vec3 p) const;
    // Writes a local position, but only when a component differs from the
    // current one (a NaN on either side differs): unchanged vertices stay
    // out of the host's modification tracking.
    void set_local_position(vertex_class& v, vec3 p) const;
    // Puts `to` at the mirror of `from`.
    void set_sym_vertex(vertex_class& from, vertex_class& to) const;

    // Fills both matrices from the shape (its transformations to and from
    // the world), whatever use_world says.
    void take_matrices(const shape_class& s);

    // Puts every recorded vertex onto the plane: its recorded position with
    // the plane coordinate 0, in record order, inside one update bracket of
    // the polygon's shape.
    void paste_to_plane(Polygon_class& polygon, const ver_inf_map& records) const;
    void paste_to_plane(Polygon_class& polygon, const std::vector<ver_inf>& records) const;

    // Puts every selected vertex of the polygon's mesh onto the plane,
    // inside one update bracket. With use_world the matrices are first taken
    // from the polygon's shape. `scene` is not used.
    void active_to_plane(scene_interface* scene, Polygon_class& polygon);

    // Mirrors the selected vertices from the source side (plane coordinate
    // > 0 for base sides 0 and 1, <= 0 for 2) onto the nearest untaken
    // vertex of the other side, nearer than `margin` unless ignore_margin.
    // With use_world the matrices are first taken from the polygon's shape.
    // When the two sides hold different numbers of selected vertices it
    // shows "Unmatch opposite vertices value." in the scene and returns true
    // without moving anything; otherwise false.
    bool symmetrize_active_vertices(scene_interface* scene, Polygon_class& polygon, bool ignore_margin);

    // ---- Lines and surfaces (line_symmetry.cpp) ----------------------------
    // Control points are paired by their order along a line; points are read
    // and written in world coordinates with use_world. No undo record is
    // opened.

    // Finds the line's pattern and, unless the user declines, makes the line
    // mirror-symmetric with it.
    void line_symmetry(scene_interface* scene, Shape_class& line) const;
    // Picks the direction whose lines cross the plane most (exchanging the
    // surface's line directions for the time of the call when that is the
    // columns), finds the pattern on the line that crosses most and applies
    // it to every line of the surface in child order. A surface without
    // lines, or whose first line has no points, is left unchanged.
    void surface_symmetry(scene_interface* scene, Shape_class& surface) const;
    // The pattern of `line`: the start index and whether the start point lies
    // on the plane. Open lines start at 0 without base; closed lines take
    // the cheapest start of the first half. When the first pair lies wholly
    // on one side, asks "Force symmetrize this lines?" in `scene` (through
    // `host` without a scene) and returns the answer; otherwise true.
    bool line_get_sym_pattern(scene_interface* scene, shape_class& line, int& start, bool& has_base) const;
    // Walks outwards from `start`, making each pair mirror images and putting
    // the base point and a middle point left over onto the plane.
    void line_sym(shape_class& line, int start, bool has_base) const;
    // Makes control points a and b mirror images: the source is chosen by
    // base_side (the average of both for 2). Points the line lacks are left
    // alone.
    void set_line_point_symmetry(Shape_class& line, int a, int b) const;
    // Puts control point k onto the plane, its handle pair along the line
    // rebuilt perpendicular to the plane on the side base_side keeps.
    void set_line_point_base(Shape_class& line, int k) const;

    // The mirror of a UV about the centre of the parameter UV (parameter) or
    // of the distance UV: the U coordinate for the YZ plane, V otherwise, as
    // (c + c) - u in single precision; the other coordinate is kept.
    vec2 mirror_uv(vec2 uv, bool parameter) const {
        const float c = parameter ? puv_center : duv_center;
        const float twice = c + c;
        if (plane == 0)
            uv.x = twice - uv.x;
        else
            uv.y = twice - uv.y;
        return uv;
    }

    // Fills `target` with the mirrors of `source` in reversed order:
    // target[j] = mirror_uv(source[i], parameter) for i = 0 .. n - 1, with j
    // starting at `start` and stepping backwards (0 wraps to n - 1). For a
    // face made from another face's mirror list, start = n - 1. Returns
    // true, writing nothing, when either list is empty, their sizes differ
    // or start is outside [0, n); false when it wrote. Works on any two
    // list types with size() and operator[] (Array<vec2>, std::vector<vec2>).
    template <class Source, class Target>
    bool make_sym_uvs(const Source& source, Target& target, int start, bool parameter) const {
        const long long n = static_cast<long long>(source.size());
        if (n <= 0 || static_cast<long long>(target.size()) != n || start < 0 || start >= n) return true;
        long long j = start;
        for (long long i = 0; i < n; ++i) {
            target[static_cast<decltype(target.size())>(j)] =
                mirror_uv(source[static_cast<decltype(source.size())>(i)], parameter);
            if (j == 0) j = n;
            --j;
        }
        return false;
    }

    // The text to show for a message key: its translation through `host`,
    // or the key itself without a host.
    const char* translate(const char* key) const;
};
