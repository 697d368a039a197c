// `twinel repair`: the Repair tab's steps on every polygon mesh of a file,
// in the order of "All repair", with the messages the palette shows.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/messages.h"
#include "frame/sdk/polygon_mesh.h"
#include "host/mesh_shape.h"
#include "host/scene.h"
#include "host/io/scene_files.h"
#include "mesh/polygon_class.h"

namespace cli {
namespace {

struct repair_options {
    std::string input;
    std::string output;
    bool reduce = false;
    bool remake_edges = false;
    bool directions = false;
    bool invalid = false;
    bool all = false;
    bool quiet = false;
    std::string uv_set = "parameter";
};

// Indices of the plug-in's message table used here.
constexpr int msg_no_abnormal_faces = 1;
constexpr int msg_removed_invalid_faces = 2;
constexpr int msg_no_inverted_faces = 16;

void repair_shape(host::application& app, host::mesh_shape& shape, const repair_options& o) {
    polygon_mesh_class& mesh = shape.polygon();
    const bool verbose = !o.quiet;
    const auto show = [&app](const std::string& text) { app.show_message(text.c_str(), false); };

    if (o.reduce) {
        const int before = mesh.get_number_of_vertices();
        mesh.reduce_duplicated_vertices();
        const int removed = before - mesh.get_number_of_vertices();
        if (verbose)
            show(removed > 0 ? format(own_text(app, "Reduced duplicated vertices: %i removed."), removed)
                             : own_text(app, "No duplicated vertices."));
    }
    if (o.remake_edges) {
        mesh.rebuild_edges();
        if (verbose) show(format(own_text(app, "Remade all edges: %i edges."), mesh.get_number_of_edges()));
    }
    if (o.directions) {
        if (!mesh.check_face_directions()) {
            mesh.adjust_face_directions();
            if (verbose) show(own_text(app, "Adjusted face directions."));
        } else if (verbose) {
            show(table_text(app, msg_no_inverted_faces));
        }
    }
    if (o.invalid) {
        Polygon_class polygon(&shape);
        const int n = polygon.remove_invalide_faces();
        if (verbose)
            show(n < 1 ? table_text(app, msg_no_abnormal_faces) : format(table_text(app, msg_removed_invalid_faces), n));
    }
}

void run_repair(const global_options& options, repair_options o) {
    check_file_types({o.input, o.output});
    check_not_input(o.input, o.output);
    if (o.all) o.reduce = o.remake_edges = o.directions = o.invalid = true;
    if (!o.reduce && !o.remake_edges && !o.directions && !o.invalid)
        throw command_error("choose at least one repair (--reduce-duplicates, --remake-edges, --face-directions, "
                            "--invalid-faces) or --all",
                            exit_usage);
    std::FILE* progress = progress_stream({o.output});
    auto app = open_host(options);
    app->set_message_sink([progress](const std::string& line) { std::fprintf(progress, "%s\n", line.c_str()); });
    host::scene& scene = app->new_scene();
    scene.set_history_limit(0);  // a pipeline never undoes: no copies of the meshes
    host::file_format input_format = host::file_format::obj;
    read_scene(scene, o.input, &input_format, progress);
    const std::vector<host::mesh_shape*> shapes = scene_meshes(scene);
    for (host::mesh_shape* shape : shapes) {
        std::fprintf(progress, "%s\n", shape->get_name());
        repair_shape(*app, *shape, o);
    }
    write_scene(scene, o.output, output_format(o.output, input_format),
                o.uv_set == "distance" ? host::obj_uv_set::distance : host::obj_uv_set::parameter, progress);
    std::fprintf(progress, "%s\n", format(own_text(*app, "wrote %s"), o.output).c_str());
}

}  // namespace

void add_repair_command(CLI::App& app, const global_options& options) {
    auto o = std::make_shared<repair_options>();
    CLI::App* cmd = app.add_subcommand(
        "repair", "Repair each polygon mesh (in this order: duplicates, edges, face directions, invalid faces)");
    add_input_option(*cmd, o->input);
    add_output_option(*cmd, o->output);
    cmd->add_flag("--reduce-duplicates", o->reduce, "Merge vertices at identical positions");
    cmd->add_flag("--remake-edges", o->remake_edges, "Rebuild all edges from the faces");
    cmd->add_flag("--face-directions", o->directions, "Make face windings consistent");
    cmd->add_flag("--invalid-faces", o->invalid, "Remove faces with fewer than 3 corners or a repeated vertex");
    cmd->add_flag("--all", o->all, "All of the above");
    cmd->add_flag("--quiet", o->quiet, "Only errors (verbose mode off)");
    cmd->add_option("--uv-set", o->uv_set, "UV set written to an OBJ file: parameter or distance")
        ->check(CLI::IsMember({"parameter", "distance"}))
        ->capture_default_str();
    cmd->callback([&options, o] { run_repair(options, *o); });
}

}  // namespace cli
