// Fuzz target: glTF files (.gltf text or .glb bytes) read into the
// reference host.
//
// Any input either fails with host::file_error naming the file (and the
// scene gets nothing), or reads into meshes that are consistent; what was
// read then writes as .glb and reads back with the same meshes. External
// files are looked for in a folder that does not exist, so the input alone
// decides. Anything else (a crash, a sanitizer report, another exception)
// ends the run.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/io/gltf_reader.h"
#include "host/io/gltf_writer.h"
#include "host/mesh_shape.h"
#include "host/io/file_error.h"
#include "host/part.h"
#include "host/scene.h"

namespace {

[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "gltf_import_fuzz: %s\n", what);
    std::abort();
}

std::vector<const host::mesh_shape*> meshes(host::scene& s) {
    std::vector<const host::mesh_shape*> out;
    for (host::shape* sh : s.shapes_in_order())
        if (auto* m = dynamic_cast<host::mesh_shape*>(sh)) out.push_back(m);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    host::application app;
    host::scene& scene = app.new_scene();
    std::vector<std::string> warnings;
    try {
        host::read_gltf_data(scene, bytes, "fuzz.glb", "/nonexistent-twinel-fuzz", warnings);
    } catch (const host::file_error& e) {
        if (std::string(e.what()).rfind("fuzz.glb", 0) != 0) fault("a read error does not name the file");
        if (scene.root().children().size() != 0) fault("a failed read added shapes");
        return 0;
    }
    std::size_t triangles = 0;
    for (const host::mesh_shape* m : meshes(scene)) {
        if (!m->data().valid()) fault("a mesh read is inconsistent");
        triangles += static_cast<std::size_t>(m->data().face_count());
    }
    // Huge index lists are valid; writing them again would only measure the
    // machine.
    if (triangles > (1u << 16)) return 0;

    const std::vector<host::shape*>& tops = scene.root().children();
    std::string again;
    try {
        again = host::gltf_bytes(host::gltf_model(scene, std::vector<const host::shape*>(tops.begin(), tops.end()),
                                                  "again.glb", warnings),
                                 true);
    } catch (const host::file_error&) {
        return 0;  // e.g. a skin bound to a node outside the scene read
    }
    host::scene& back = app.new_scene();
    try {
        host::read_gltf_data(back, again, "again.glb", "/nonexistent-twinel-fuzz", warnings);
    } catch (const host::file_error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        fault("what was written does not read back");
    }
    const auto a = meshes(scene), b = meshes(back);
    if (a.size() != b.size()) fault("writing what was read and reading it again changed the mesh count");
    for (std::size_t i = 0; i < a.size(); ++i) {
        const host::mesh_data &x = a[i]->data(), &y = b[i]->data();
        if (x.positions.size() != y.positions.size() || x.face_count() != y.face_count() ||
            (!x.positions.empty() &&
             std::memcmp(x.positions.data(), y.positions.data(), x.positions.size() * sizeof(vec3)) != 0))
            fault("writing what was read and reading it again changed a mesh");
    }
    return 0;
}
