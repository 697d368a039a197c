// `twinel convert`: read a mesh or scene file into the host's scene and
// write it back, in the format of the output's extension.
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "cli/file_command.h"
#include "cli/messages.h"
#include "host/mesh_shape.h"
#include "host/scene.h"
#include "host/io/scene_files.h"

namespace cli {
namespace {

struct convert_options {
    file_options files;
    std::string uv_set = "parameter";
};

file_outcome run_convert(const global_options& options, const convert_options& o, const file_task& task,
                         std::FILE* human) {
    auto app = open_host(options);
    host::scene& scene = app->new_scene();
    scene.set_history_limit(0);  // a pipeline never undoes: no copies of the meshes
    host::file_format input_format = host::file_format::obj;
    read_scene(scene, task.input, &input_format, human);
    file_outcome outcome;
    outcome.report["shapes"] = nlohmann::ordered_json::array();
    for (const host::mesh_shape* s : scene_meshes(scene)) {
        const host::mesh_data& m = s->data();
        print_line(human, format(own_text(*app, "%s: %i vertices, %i edges, %i faces"), s->get_name(), m.vertex_count(),
                                 m.edge_count(), m.face_count()));
        outcome.report["shapes"].push_back(
            {{"name", s->get_name()}, {"vertices", m.vertex_count()}, {"edges", m.edge_count()}, {"faces", m.face_count()}});
    }
    write_scene(scene, task.output, output_format(task.output, input_format),
                o.uv_set == "distance" ? host::obj_uv_set::distance : host::obj_uv_set::parameter, human);
    print_line(human, format(own_text(*app, "wrote %s"), task.output));
    return outcome;
}

}  // namespace

void add_convert_command(CLI::App& app, const global_options& options) {
    auto o = std::make_shared<convert_options>();
    CLI::App* cmd = app.add_subcommand("convert", "Read a mesh or scene file and write it back (.obj or .json by the output's name)");
    add_file_options(*cmd, o->files, true);
    cmd->add_option("--uv-set", o->uv_set, "UV set written to an OBJ file: parameter or distance")
        ->check(CLI::IsMember({"parameter", "distance"}))
        ->capture_default_str();
    cmd->callback([&options, o] {
        run_files(options, o->files, true, [&](const file_task& task, std::FILE* human) {
            return run_convert(options, *o, task, human);
        });
    });
}

}  // namespace cli
