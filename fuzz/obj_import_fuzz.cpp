// Fuzz target: OBJ import into the reference host.
//
// Any input either imports, every mesh consistent, or fails with
// host::file_error naming the file and leaves the scene without new shapes.
// A file of one object exports and imports again to the same mesh: the same
// indices and the same float bits, NaN as NaN of the same sign. Anything
// else (a crash, a sanitizer report, another exception, a broken mesh) ends
// the run.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_input_file.h"
#include "host/application.h"
#include "host/mesh_shape.h"
#include "host/part.h"
#include "host/scene.h"
#include "host/io/scene_files.h"

namespace {

[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "obj_import_fuzz: %s\n", what);
    std::abort();
}

bool same_float(float a, float b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b) && std::signbit(a) == std::signbit(b);
    std::uint32_t x, y;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    return x == y;
}

// Whether `b` (read back from the export of `a`) holds a's vertices, faces
// and parameter UVs.
bool same_mesh(const host::mesh_data& a, const host::mesh_data& b) {
    if (a.vertex_count() != b.vertex_count()) return false;
    for (int v = 0; v < a.vertex_count(); ++v)
        for (int c = 0; c < 3; ++c)
            if (!same_float(a.positions[v][c], b.positions[v][c])) return false;
    // Faces without corners have no OBJ form and are left out on export;
    // the reader never makes them, so the face lists must agree.
    if (a.face_count() != b.face_count()) return false;
    for (int f = 0; f < a.face_count(); ++f) {
        if (a.face_size[f] != b.face_size[f] || a.face_has_uv[f] != b.face_has_uv[f]) return false;
        for (int k = 0; k < a.face_size[f]; ++k) {
            if (a.corner(f, k) != b.corner(f, k)) return false;
            if (a.face_has_uv[f]) {
                const vec2& p = a.corner_puv[a.face_start[f] + k];
                const vec2& q = b.corner_puv[b.face_start[f] + k];
                if (!same_float(p.x, q.x) || !same_float(p.y, q.y)) return false;
            }
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static twinel_fuzz::input_file input(".obj");
    static twinel_fuzz::input_file output(".out.obj");
    const std::string& path = input.write(data, size);
    if (path.empty()) return 0;

    host::application app;
    host::scene& scene = app.new_scene();
    std::vector<host::mesh_shape*> shapes;
    try {
        shapes = host::import_obj(scene, path);
    } catch (const host::file_error& e) {
        if (std::string(e.what()).rfind(path, 0) != 0) fault("an import error does not name the file");
        if (scene.root().get_number_of_sons() != 0) fault("a failed import left shapes in the scene");
        return 0;
    }
    // A file whose vertices only polylines use gives line shapes alone.
    if (scene.root().get_number_of_sons() == 0) fault("an import made no shape");
    if (shapes.empty()) return 0;
    std::vector<const host::mesh_shape*> out;
    for (const host::mesh_shape* s : shapes) {
        if (!s->data().valid()) fault("an imported mesh is inconsistent");
        out.push_back(s);
    }

    // A file of one object comes back exactly; with several, an object
    // owns only the vertices between its first and last used one, so
    // unused vertices at its ends would not come back.
    host::export_obj(out, output.path());
    const std::vector<host::obj_object> back = host::read_obj(output.path());
    if (back.size() != (shapes.size() == 1 ? 1u : back.size())) fault("the export holds another number of objects");
    if (shapes.size() == 1 && !same_mesh(shapes[0]->data(), back[0].mesh))
        fault("exporting and importing again changed the mesh");
    return 0;
}
