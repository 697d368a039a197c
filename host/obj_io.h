// Wavefront OBJ files in and out of mesh_data.
//
// Import keeps the file's vertex order, face order, winding and corner
// counts exactly (no triangulation, no merging or splitting of vertices).
// Export writes every float in a form that reads back bit-identical.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "host/mesh_data.h"

namespace host {

// A failure to read or write a mesh file. what() names the file and, when
// known, the line: "FILE:LINE: message".
class file_error : public std::runtime_error {
public:
    file_error(const std::string& file, int line, const std::string& message);
    const std::string& file() const { return file_; }
    int line() const { return line_; }  // 0 when not tied to a line

private:
    std::string file_;
    int line_;
};

struct obj_object {
    std::string name;
    mesh_data mesh;
};

// Reads an OBJ file: one object per `o` or `g` block that holds faces, named
// after its line (an `o` or `g` line before any face of the block renames it;
// without a name the file's stem is used). With a single such block the
// object owns every vertex of the file in file order; with several, each
// owns, in file order, the vertices its faces use and the unused ones
// between its first and last used vertex that no earlier object took. Faces
// keep their order, winding and corner count (two-corner faces included).
// Per-corner texture coordinates go into both UV sets; a face without them
// has no UVs. Coordinates written "nan", "inf" or "-inf" (any case,
// "infinity" too) are imported as those values. Normals, materials, lines
// and points are ignored. Edges are built from the faces (rebuild_edges).
// The file is read to its end, so a pipe, a FIFO or a device reads like a
// file; "-" reads standard input, named "<stdin>" in errors and "stdin" as
// an object without a name.
// Throws file_error on an unreadable file (missing, a folder) and, with the
// line, on binary data (a control byte other than tab, form feed and
// vertical tab) and on a malformed `v`, `vt` or `f` line: a number that is
// neither a plain decimal within the float range nor one of the non-finite
// words, missing coordinates, an `f` line without corners, an index of 0 or
// out of range, a face mixing corners with and without texture coordinates.
std::vector<obj_object> read_obj(const std::string& path);

// The same for the text of a file already read: errors name the file
// `name`, and an object without a name is named `stem`.
std::vector<obj_object> read_obj_text(std::string text, const std::string& name, const std::string& stem);

enum class obj_uv_set { parameter, distance };

// Writes the objects to `path` through host::output_file: a regular file
// (also one reached through symbolic links) gets a temporary file in its
// folder renamed into place, so a failure never leaves a half-written file
// (an existing file stays as it was, and keeps its permission mode); a
// device or FIFO is written directly; "-" is standard output. Each object
// gets an `o` line, its `v` lines, one `vt` per corner of its faces with UVs
// (the chosen set) and its `f` lines; faces without corners are left out and
// a null mesh writes an empty object. Every finite float is written so that read_obj gives back
// the same bits; NaN is written "nan" ("-nan" with the sign bit set) and
// reads back as a quiet NaN of that sign, infinities as "inf" and "-inf".
// Throws file_error on any I/O failure.
struct obj_output {
    std::string name;
    const mesh_data* mesh = nullptr;
};
void write_obj(const std::string& path, const std::vector<obj_output>& objects,
               obj_uv_set uv_set = obj_uv_set::parameter);

}  // namespace host
