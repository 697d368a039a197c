// `twinel convert`: read a mesh file into the host's scene and write it back.
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "host/mesh_shape.h"
#include "host/scene.h"
#include "host/scene_files.h"

namespace cli {
namespace {

struct convert_options {
    std::string input;
    std::string output;
    std::string uv_set = "parameter";
};

void print_counts(std::FILE* progress, const host::mesh_shape& shape) {
    const host::mesh_data& m = shape.data();
    std::fprintf(progress, "%s: %d vertices, %d edges, %d faces\n", shape.get_name(), m.vertex_count(),
                 m.edge_count(), m.face_count());
}

void run_convert(const global_options& options, const convert_options& o) {
    check_not_input(o.input, o.output);
    std::FILE* progress = progress_stream({o.output});
    auto app = open_host(options);
    host::scene& scene = app->new_scene();
    const std::vector<host::mesh_shape*> shapes = host::import_obj(scene, o.input);
    std::vector<const host::mesh_shape*> out(shapes.begin(), shapes.end());
    for (const host::mesh_shape* s : out) print_counts(progress, *s);
    host::export_obj(out, o.output,
                     o.uv_set == "distance" ? host::obj_uv_set::distance : host::obj_uv_set::parameter);
    std::fprintf(progress, "wrote %s\n", o.output.c_str());
}

}  // namespace

void add_convert_command(CLI::App& app, const global_options& options) {
    auto o = std::make_shared<convert_options>();
    CLI::App* cmd = app.add_subcommand("convert", "Read a mesh file and write it back (OBJ)");
    cmd->add_option("input", o->input, "Mesh file to read, or - for standard input")
        ->required()
        ->check(existing_input());
    cmd->add_option("-o,--output", o->output, "Mesh file to write, or - for standard output")->required();
    cmd->add_option("--uv-set", o->uv_set, "UV set written to the file: parameter or distance")
        ->check(CLI::IsMember({"parameter", "distance"}))
        ->capture_default_str();
    cmd->callback([&options, o] { run_convert(options, *o); });
}

}  // namespace cli
