// Wavefront OBJ files in and out of mesh_data.
//
// Import keeps the file's vertex order, face order, winding and corner
// counts exactly (no triangulation, no merging or splitting of vertices),
// and everything else the file says about its meshes: vertex colours and
// `w`, normals and texture coordinates per corner with their sharing,
// `usemtl` and `s` per face, the `mtllib`, `o` and `g` lines that named each
// mesh, and `l` polylines. Export writes all of it back, every float in a
// form that reads back bit-identical, so that a file written by the
// exporter reads and writes back byte for byte.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/io/file_error.h"
#include "host/mesh_data.h"

namespace host {

struct obj_object {
    std::string name;
    mesh_data mesh;
};

// An `l` line: its points in order; closed when the line ends where it
// began (the repeated point is not among `points`).
struct obj_polyline {
    std::string name;
    std::vector<vec3> points;
    bool closed = false;
};

// What a file gave: its meshes, its polylines and one line per kind of
// statement it held that has no place in the host (points, curves,
// surfaces, unknown keywords), naming how many were left out.
struct obj_contents {
    std::vector<obj_object> objects;
    std::vector<obj_polyline> polylines;
    std::vector<std::string> warnings;
};

// Reads an OBJ file: one object per `o` or `g` block that holds faces, named
// after its line (an `o` or `g` line before any face of the block renames it;
// without a name the file's stem is used). With a single such block the
// object owns every vertex of the file that some face uses or that no `l`
// line uses, in file order; with several, each owns, in file order, the
// vertices its faces use and the unused ones between its first and last
// used vertex that no earlier object took. Faces keep their order, winding
// and corner count (two-corner faces included). Per-corner texture
// coordinates go into both UV sets; a face without them has no UVs.
// Coordinates written "nan", "inf" or "-inf" (any case, "infinity" too)
// are imported as those values. `l` lines become polylines named after
// their block. The file is read to its end, so a pipe, a FIFO or a device
// reads like a file; "-" reads standard input, named "<stdin>" in errors
// and "stdin" as an object without a name.
// Throws file_error on an unreadable file (missing, a folder) and, with the
// line, on binary data (a control byte other than tab, form feed and
// vertical tab) and on a malformed `v`, `vt`, `vn`, `f` or `l` line: a
// number that is neither a plain decimal within the float range nor one of
// the non-finite words, missing coordinates, an `f` line without corners,
// an index of 0 or out of range, a face mixing corners with and without
// texture coordinates.
obj_contents read_obj_contents(const std::string& path);

// The same for the text of a file already read: errors name the file
// `name`, and an object without a name is named `stem`.
obj_contents read_obj_contents_text(std::string_view text, const std::string& name, const std::string& stem);

// The objects of read_obj_contents alone.
std::vector<obj_object> read_obj(const std::string& path);
std::vector<obj_object> read_obj_text(std::string_view text, const std::string& name, const std::string& stem);

enum class obj_uv_set { parameter, distance };

struct obj_output {
    obj_output(std::string n, const mesh_data* m, std::vector<std::string> material_names = {})
        : name(std::move(n)), mesh(m), materials(std::move(material_names)) {}

    std::string name;
    const mesh_data* mesh = nullptr;
    // The material name each of the mesh's styles is written with (by
    // style index); empty: the styles' own.
    std::vector<std::string> materials;
};

// A polyline to write: points and whether the line closes.
struct obj_polyline_output {
    std::string name;
    std::vector<vec3> points;
    bool closed = false;
};

// Writes the objects, then the polylines, to `path` through
// host::output_file: a regular file (also one reached through symbolic
// links) gets a temporary file in its folder renamed into place, so a
// failure never leaves a half-written file (an existing file stays as it
// was, and keeps its permission mode); a device or FIFO is written
// directly; "-" is standard output. Each object gets the `mtllib`, `o` and
// `g` lines it was read with (an `o` line with its name when it has none or
// was renamed), its `v` lines (with `w` and colour where the vertex has
// them), its texture coordinates (the chosen set) and normals, one line per
// record shared by corners that the file shared and that still agree, one
// per new corner, and its `f` lines, preceded by `usemtl` and `s` where
// the face's material or smoothing differs from the face before it (or is
// the object's first). Faces without corners are left out and a null mesh
// writes an empty object. Every finite float is written so that read_obj
// gives back the same bits; NaN is written "nan" ("-nan" with the sign bit
// set) and reads back as a quiet NaN of that sign, infinities as "inf" and
// "-inf". Returns one warning line per kind of data OBJ cannot hold (the
// other UV set where it differs, colours' alpha, skins). Throws file_error
// on any I/O failure.
std::vector<std::string> write_obj(const std::string& path, const std::vector<obj_output>& objects,
                                   obj_uv_set uv_set = obj_uv_set::parameter,
                                   const std::vector<obj_polyline_output>& polylines = {});

}  // namespace host
