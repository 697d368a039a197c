// `twinel generate`: deterministic test meshes written as OBJ (or scene)
// files, so that large meshes never need to be kept in the repository, and
// a small rigged scene for the skin and line tools. With --json, what was
// written is reported as JSON on standard output.
#include <cstdio>
#include <string>

#include <boost/format.hpp>
#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/file_command.h"
#include "cli/messages.h"
#include "host/application.h"
#include "host/io/gltf_character.h"
#include "host/mesh_algorithms.h"
#include "host/mesh_generator.h"
#include "host/mesh_shape.h"
#include "host/io/obj_format.h"
#include "host/part.h"
#include "host/scene.h"
#include "host/io/scene_files.h"
#include "host/scene_generator.h"

namespace cli {
namespace {

struct generate_options {
    std::string kind = "torus";
    std::string output;
    int vertices = 400;
    float major_radius = 1.0f;
    float minor_radius = 0.4f;
    float jitter = 0.0f;
    unsigned seed = 1;
    bool uvs = false;
    double reversed = 0.0;
    bool json = false;  // the report as JSON on standard output, the human line on standard error
};

// What was written: the file, its kind, how many shapes and, per polygon
// mesh, its vertex and face counts.
struct written_file {
    int shapes = 0;
    nlohmann::ordered_json meshes = nlohmann::ordered_json::array();

    void add_mesh(const std::string& name, int vertices, int faces) {
        meshes.push_back({{"name", name}, {"vertices", vertices}, {"faces", faces}});
    }
    // Every shape of the scene but its root, and its polygon meshes.
    void add_scene(host::scene& scene) {
        shapes += static_cast<int>(scene.shapes_in_order().size()) - 1;
        for (const host::mesh_shape* m : scene_meshes(scene))
            add_mesh(m->get_name(), m->data().vertex_count(), m->data().face_count());
    }
};

// Where the human line goes: standard error when standard output holds
// the file or the JSON.
std::FILE* human_stream(const generate_options& o) { return o.json ? stderr : progress_stream({o.output}); }

// `rig`: the scene of host::make_rig, which only a scene file holds.
written_file run_rig(const generate_options& o, bool vertices_given) {
    if (host::format_of_path(o.output).value_or(host::file_format::scene) != host::file_format::scene)
        throw command_error("a rig is a scene, which an OBJ file cannot hold: name the output .json", exit_usage);
    // The scene needs no plug-in: a bare host makes it.
    host::application app;
    host::scene& scene = app.new_scene();
    host::rig_options r;
    if (vertices_given) r.body_vertices = o.vertices;
    r.jitter = o.jitter;
    r.seed = o.seed;
    host::make_rig(scene, r);
    host::export_file(scene, {&scene.root()}, o.output, host::file_format::scene);
    written_file w;
    w.add_scene(scene);
    print_line(human_stream(o), format("rig: %i shapes -> %s", w.shapes, o.output));
    return w;
}

// `character`: the skinned glTF example (host/io/gltf_character.h). For
// the JSON, the file is read back: its meshes as the host imports them.
written_file run_character(const generate_options& o, bool vertices_given, bool jitter_given) {
    if (host::format_of_path(o.output).value_or(host::file_format::gltf) != host::file_format::gltf)
        throw command_error("a character is a glTF scene: name the output .glb or .gltf", exit_usage);
    host::character_options c;
    if (vertices_given) c.body_vertices = o.vertices;
    if (jitter_given) c.jitter = o.jitter;
    c.seed = o.seed;
    const int vertices = host::write_character(o.output, c);
    print_line(human_stream(o), format("character: body of %i vertices -> %s", vertices, o.output));
    written_file w;
    if (o.json) {
        host::application app;
        host::scene& scene = app.new_scene();
        host::import_file(scene, o.output);
        w.add_scene(scene);
    }
    return w;
}

// A torus, half torus, grid or polygon soup, written as OBJ or, by the
// output's extension, as a scene or glTF file.
written_file write_mesh(const generate_options& o) {
    host::torus_options t;
    t.target_vertices = o.vertices;
    t.major_radius = o.major_radius;
    t.minor_radius = o.minor_radius;
    t.jitter = o.jitter;
    t.seed = o.seed;
    t.uvs = o.uvs;
    host::mesh_data mesh;
    if (o.kind == "torus")
        mesh = host::make_torus(t);
    else if (o.kind == "half-torus")
        mesh = host::make_half_torus(t);
    else if (o.kind == "grid")
        mesh = host::make_grid(o.vertices, 2.0f * o.major_radius, o.uvs);
    else
        mesh = host::make_polygon_soup(host::make_torus(t));
    if (o.reversed > 0.0) host::reverse_random_faces(mesh, o.reversed, o.seed);
    const int vertices = mesh.vertex_count(), faces = mesh.face_count();
    const std::optional<host::file_format> file_format = host::format_of_path(o.output);
    if (file_format == host::file_format::scene || file_format == host::file_format::gltf) {
        host::application app;
        host::scene& scene = app.new_scene();
        scene.add_mesh(o.kind, std::move(mesh));
        host::export_file(scene, {&scene.root()}, o.output, *file_format);
    } else {
        host::write_obj(o.output, {{o.kind, &mesh}});
    }
    print_line(human_stream(o), format("%s: %i vertices, %i faces -> %s", o.kind, vertices, faces, o.output));
    written_file w;
    w.shapes = 1;
    w.add_mesh(o.kind, vertices, faces);
    return w;
}

void run_generate(const generate_options& o, bool vertices_given, bool jitter_given) {
    check_file_types({o.output});
    if (o.vertices < 1) throw command_error("--vertices must be positive, not " + std::to_string(o.vertices), exit_usage);
    if (o.json && is_standard_stream(o.output))
        throw command_error("the file and the JSON result cannot both go to standard output (-)", exit_usage);
    written_file w;
    if (o.kind == "character") {
        w = run_character(o, vertices_given, jitter_given);
    } else if (o.kind == "rig") {
        generate_options rig = o;
        if (!jitter_given) rig.jitter = host::rig_options().jitter;
        w = run_rig(rig, vertices_given);
    } else {
        w = write_mesh(o);
    }
    if (!o.json) return;
    const nlohmann::ordered_json result = {
        {"kind", o.kind}, {"output", o.output}, {"shapes", w.shapes}, {"meshes", w.meshes}};
    std::printf("%s\n", result.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
}

}  // namespace

void add_generate_command(CLI::App& app, const global_options&) {
    auto o = std::make_shared<generate_options>();
    CLI::App* cmd = app.add_subcommand("generate", "Write a generated test mesh (nearly symmetric torus, ...) or a rigged scene");
    cmd->add_option("kind", o->kind,
                    "torus, half-torus, grid, soup (a torus whose faces own their vertices) or rig (a scene: a "
                    "skinned torus, its joints, a line, a surface and a primitive) or character (a skinned, animated glTF scene)")
        ->check(CLI::IsMember({"torus", "half-torus", "grid", "soup", "rig", "character"}))
        ->capture_default_str();
    cmd->add_option("-o,--output", o->output,
                    "File to write (.obj or .json; a rig only .json), or - for standard output (OBJ; a rig JSON)")
        ->required();
    CLI::Option* vertices =
        cmd->add_option("--vertices", o->vertices, "About this many vertices (rig: of the torus, 48 when not given)")
            ->capture_default_str();
    cmd->add_option("--major-radius", o->major_radius, "Torus radius (grid: half its width)")->capture_default_str();
    cmd->add_option("--minor-radius", o->minor_radius, "Tube radius")->capture_default_str();
    CLI::Option* jitter =
        cmd->add_option("--jitter", o->jitter,
                        "Largest displacement of each coordinate on the negative side (rig: of the line and surface "
                        "points, 0.02 when not given; the torus's is a tenth)")
            ->capture_default_str();
    cmd->add_option("--seed", o->seed, "Seed of the jitter and of the reversed faces")->capture_default_str();
    cmd->add_flag("--uvs", o->uvs, "Give the faces UVs");
    cmd->add_option("--reversed", o->reversed, "Fraction of faces to wind the other way")
        ->check(CLI::Range(0.0, 1.0))
        ->capture_default_str();
    cmd->add_flag("--json", o->json,
                  "Print what was written (file, shapes, vertex and face counts) as JSON on standard output (the "
                  "other line goes to standard error)");
    cmd->callback([o, vertices, jitter] {
        run_generate(*o, vertices->count() > 0, jitter->count() > 0);
    });
}

}  // namespace cli
