// `twinel generate`: deterministic test meshes written as OBJ (or scene)
// files, so that large meshes never need to be kept in the repository, and
// a small rigged scene for the skin and line tools.
#include <cstdio>
#include <string>

#include <boost/format.hpp>

#include "cli/commands.h"
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
};

// `rig`: the scene of host::make_rig, which only a scene file holds.
void run_rig(const generate_options& o, bool vertices_given) {
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
    std::fprintf(progress_stream({o.output}), "rig: %d shapes -> %s\n",
                 static_cast<int>(scene.shapes_in_order().size()) - 1, o.output.c_str());
}

// `character`: the skinned glTF example (host/io/gltf_character.h).
void run_character(const generate_options& o, bool vertices_given, bool jitter_given) {
    if (host::format_of_path(o.output).value_or(host::file_format::gltf) != host::file_format::gltf)
        throw command_error("a character is a glTF scene: name the output .glb or .gltf", exit_usage);
    host::character_options c;
    if (vertices_given) c.body_vertices = o.vertices;
    if (jitter_given) c.jitter = o.jitter;
    c.seed = o.seed;
    const int vertices = host::write_character(o.output, c);
    std::fprintf(progress_stream({o.output}), "%s\n",
                 (boost::format("character: body of %i vertices -> %s") % vertices % o.output).str().c_str());
}

void run_generate(const generate_options& o, bool vertices_given, bool jitter_given) {
    check_file_types({o.output});
    if (o.vertices < 1) throw command_error("--vertices must be positive, not " + std::to_string(o.vertices), exit_usage);
    if (o.kind == "character") {
        run_character(o, vertices_given, jitter_given);
        return;
    }
    if (o.kind == "rig") {
        generate_options rig = o;
        if (!jitter_given) rig.jitter = host::rig_options().jitter;
        run_rig(rig, vertices_given);
        return;
    }
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
    const std::optional<host::file_format> format = host::format_of_path(o.output);
    if (format == host::file_format::scene || format == host::file_format::gltf) {
        host::application app;
        host::scene& scene = app.new_scene();
        scene.add_mesh(o.kind, std::move(mesh));
        host::export_file(scene, {&scene.root()}, o.output, *format);
    } else {
        host::write_obj(o.output, {{o.kind, &mesh}});
    }
    std::fprintf(progress_stream({o.output}), "%s: %d vertices, %d faces -> %s\n", o.kind.c_str(), vertices, faces,
                 o.output.c_str());
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
    cmd->callback([o, vertices, jitter] {
        run_generate(*o, vertices->count() > 0, jitter->count() > 0);
    });
}

}  // namespace cli
