// Fuzz target: scene files read into the reference host.
//
// Any input either fails with host::file_error naming the file (and the
// scene gets nothing), or reads into shapes whose meshes are consistent;
// what was read then writes, reads and writes again to the same text.
// Anything else (a crash, a sanitizer report, another exception) ends the
// run.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/mesh_shape.h"
#include "host/part.h"
#include "host/scene.h"
#include "host/io/scene_json.h"

namespace {

[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "scene_file_fuzz: %s\n", what);
    std::abort();
}

std::string text_of(host::scene& s) {
    const std::vector<host::shape*>& tops = s.root().children();
    return host::scene_json_text(std::vector<const host::shape*>(tops.begin(), tops.end()), "again.json");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    host::scene_document document;
    try {
        document = host::parse_scene_json(text, "fuzz.json");
    } catch (const host::file_error& e) {
        if (std::string(e.what()).rfind("fuzz.json", 0) != 0) fault("a read error does not name the file");
        return 0;
    }
    // Blank images of up to 16384 x 16384 are valid; a few of them would
    // only measure the machine's memory.
    long long pixels = 0;
    for (const host::shape_record& r : document.shapes)
        for (const auto& [w, h] : r.layers) pixels += static_cast<long long>(w) * h;
    if (pixels > (1 << 22)) return 0;

    host::application app;
    host::scene& scene = app.new_scene();
    host::insert_scene_document(scene, std::move(document));
    for (host::shape* s : scene.shapes_in_order())
        if (auto* m = dynamic_cast<host::mesh_shape*>(s); m && !m->data().valid()) fault("a mesh read is inconsistent");

    // Names that are not valid UTF-8 cannot be written; the reader never
    // makes them (the JSON parser refuses such text).
    const std::string first = text_of(scene);
    host::scene& again = app.new_scene();
    host::insert_scene_document(again, host::parse_scene_json(first, "again.json"));
    if (text_of(again) != first) fault("writing what was read, reading and writing again changed the text");
    return 0;
}
