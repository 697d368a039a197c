// `twinel convert`: read a mesh or scene file into the host's scene and
// write it back, in the format of the output's extension.
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "host/mesh_shape.h"
#include "host/scene.h"
#include "host/io/scene_files.h"

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
    check_file_types({o.input, o.output});
    check_not_input(o.input, o.output);
    std::FILE* progress = progress_stream({o.output});
    auto app = open_host(options);
    host::scene& scene = app->new_scene();
    scene.set_history_limit(0);  // a pipeline never undoes: no copies of the meshes
    host::file_format input_format = host::file_format::obj;
    read_scene(scene, o.input, &input_format, progress);
    for (const host::mesh_shape* s : scene_meshes(scene)) print_counts(progress, *s);
    write_scene(scene, o.output, output_format(o.output, input_format),
                o.uv_set == "distance" ? host::obj_uv_set::distance : host::obj_uv_set::parameter, progress);
    std::fprintf(progress, "wrote %s\n", o.output.c_str());
}

}  // namespace

void add_convert_command(CLI::App& app, const global_options& options) {
    auto o = std::make_shared<convert_options>();
    CLI::App* cmd = app.add_subcommand("convert", "Read a mesh or scene file and write it back (.obj or .json by the output's name)");
    add_input_option(*cmd, o->input);
    add_output_option(*cmd, o->output);
    cmd->add_option("--uv-set", o->uv_set, "UV set written to an OBJ file: parameter or distance")
        ->check(CLI::IsMember({"parameter", "distance"}))
        ->capture_default_str();
    cmd->callback([&options, o] { run_convert(options, *o); });
}

}  // namespace cli
