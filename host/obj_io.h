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

// Reads an OBJ file: one object per `o` or `g` block (named after it; a file
// without either gives one object named after the file's stem). Per-corner
// texture coordinates go into both UV sets. Edges are built from the faces
// (rebuild_edges). Throws file_error on an unreadable or malformed file.
std::vector<obj_object> read_obj(const std::string& path);

enum class obj_uv_set { parameter, distance };

// Writes the objects to `path` through a temporary file renamed into place,
// so a failure never leaves a half-written file. UVs of the chosen set are
// written for faces that have UVs. Throws file_error.
struct obj_output {
    std::string name;
    const mesh_data* mesh = nullptr;
};
void write_obj(const std::string& path, const std::vector<obj_output>& objects,
               obj_uv_set uv_set = obj_uv_set::parameter);

}  // namespace host
