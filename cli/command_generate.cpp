// `twinel generate`: deterministic test meshes written as OBJ files, so that
// large meshes never need to be kept in the repository.
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "host/mesh_algorithms.h"
#include "host/mesh_generator.h"
#include "host/obj_io.h"

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

void run_generate(const generate_options& o) {
    if (o.vertices < 1) throw command_error("--vertices must be positive, not " + std::to_string(o.vertices), exit_usage);
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
    host::write_obj(o.output, {{o.kind, &mesh}});
    std::fprintf(progress_stream({o.output}), "%s: %d vertices, %d faces -> %s\n", o.kind.c_str(),
                 mesh.vertex_count(), mesh.face_count(), o.output.c_str());
}

}  // namespace

void add_generate_command(CLI::App& app, const global_options&) {
    auto o = std::make_shared<generate_options>();
    CLI::App* cmd = app.add_subcommand("generate", "Write a generated test mesh (nearly symmetric torus, ...)");
    cmd->add_option("kind", o->kind, "torus, half-torus, grid or soup (a torus whose faces own their vertices)")
        ->check(CLI::IsMember({"torus", "half-torus", "grid", "soup"}))
        ->capture_default_str();
    cmd->add_option("-o,--output", o->output, "Mesh file to write, or - for standard output")->required();
    cmd->add_option("--vertices", o->vertices, "About this many vertices")->capture_default_str();
    cmd->add_option("--major-radius", o->major_radius, "Torus radius (grid: half its width)")->capture_default_str();
    cmd->add_option("--minor-radius", o->minor_radius, "Tube radius")->capture_default_str();
    cmd->add_option("--jitter", o->jitter, "Largest displacement of each coordinate on the negative side")
        ->capture_default_str();
    cmd->add_option("--seed", o->seed, "Seed of the jitter and of the reversed faces")->capture_default_str();
    cmd->add_flag("--uvs", o->uvs, "Give the faces UVs");
    cmd->add_option("--reversed", o->reversed, "Fraction of faces to wind the other way")
        ->check(CLI::Range(0.0, 1.0))
        ->capture_default_str();
    cmd->callback([o] { run_generate(*o); });
}

}  // namespace cli
