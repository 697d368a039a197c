// `twinel repair`: the Repair tab's steps on every polygon mesh of a file,
// in the order of "All repair", with the messages the palette shows.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/file_command.h"
#include "cli/messages.h"
#include "frame/sdk/polygon_mesh.h"
#include "host/mesh_shape.h"
#include "host/scene.h"
#include "host/io/scene_files.h"
#include "mesh/polygon_class.h"

namespace cli {
namespace {

struct repair_options {
    file_options files;
    bool reduce = false;
    bool remake_edges = false;
    bool directions = false;
    bool invalid = false;
    bool all = false;
    std::string uv_set = "parameter";
};

// Indices of the plug-in's message table used here.
constexpr int msg_no_abnormal_faces = 1;
constexpr int msg_removed_invalid_faces = 2;
constexpr int msg_no_inverted_faces = 16;

// What a repair changed in one mesh.
struct repair_result {
    std::string name;
    int vertices_before = 0, edges_before = 0, faces_before = 0;
    int vertices = 0, edges = 0, faces = 0;
    bool directions_adjusted = false;
};

repair_result repair_shape(host::application& app, host::mesh_shape& shape, const repair_options& o) {
    polygon_mesh_class& mesh = shape.polygon();
    const bool verbose = !o.files.quiet;
    repair_result r;
    r.name = shape.get_name();
    r.vertices_before = mesh.get_number_of_vertices();
    r.edges_before = mesh.get_number_of_edges();
    r.faces_before = mesh.get_number_of_faces();
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
            r.directions_adjusted = true;
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
    r.vertices = mesh.get_number_of_vertices();
    r.edges = mesh.get_number_of_edges();
    r.faces = mesh.get_number_of_faces();
    return r;
}

nlohmann::ordered_json to_json(const repair_result& r) {
    return {{"name", r.name},
            {"vertices_before", r.vertices_before},
            {"edges_before", r.edges_before},
            {"faces_before", r.faces_before},
            {"vertices", r.vertices},
            {"edges", r.edges},
            {"faces", r.faces},
            {"removed_vertices", r.vertices_before - r.vertices},
            {"removed_faces", r.faces_before - r.faces},
            {"directions_adjusted", r.directions_adjusted}};
}

file_outcome run_repair(const global_options& options, const repair_options& o, const file_task& task,
                        std::FILE* human) {
    auto app = open_host(options);
    std::vector<std::string> messages;
    app->set_message_sink([human, &messages](const std::string& line) {
        messages.push_back(line);
        print_line(human, line);
    });
    host::scene& scene = app->new_scene();
    scene.set_history_limit(0);  // a pipeline never undoes: no copies of the meshes
    host::file_format input_format = host::file_format::obj;
    read_scene(scene, task.input, &input_format, human);
    file_outcome outcome;
    outcome.report["shapes"] = nlohmann::ordered_json::array();
    for (host::mesh_shape* shape : scene_meshes(scene)) {
        print_line(human, shape->get_name());
        outcome.report["shapes"].push_back(to_json(repair_shape(*app, *shape, o)));
    }
    outcome.report["messages"] = messages;
    write_scene(scene, task.output, output_format(task.output, input_format),
                o.uv_set == "distance" ? host::obj_uv_set::distance : host::obj_uv_set::parameter, human);
    print_line(human, format(own_text(*app, "wrote %s"), task.output));
    return outcome;
}

void run_command(const global_options& options, repair_options o) {
    if (o.all) o.reduce = o.remake_edges = o.directions = o.invalid = true;
    if (!o.reduce && !o.remake_edges && !o.directions && !o.invalid)
        throw command_error("choose at least one repair (--reduce-duplicates, --remake-edges, --face-directions, "
                            "--invalid-faces) or --all",
                            exit_usage);
    run_files(options, o.files, true, [&](const file_task& task, std::FILE* human) {
        return run_repair(options, o, task, human);
    });
}

}  // namespace

void add_repair_command(CLI::App& app, const global_options& options) {
    auto o = std::make_shared<repair_options>();
    CLI::App* cmd = app.add_subcommand(
        "repair", "Repair each polygon mesh (in this order: duplicates, edges, face directions, invalid faces)");
    add_file_options(*cmd, o->files, true);
    cmd->add_flag("--reduce-duplicates", o->reduce, "Merge vertices at identical positions");
    cmd->add_flag("--remake-edges", o->remake_edges, "Rebuild all edges from the faces");
    cmd->add_flag("--face-directions", o->directions, "Make face windings consistent");
    cmd->add_flag("--invalid-faces", o->invalid, "Remove faces with fewer than 3 corners or a repeated vertex");
    cmd->add_flag("--all", o->all, "All of the above");
    cmd->add_option("--uv-set", o->uv_set, "UV set written to an OBJ file: parameter or distance")
        ->check(CLI::IsMember({"parameter", "distance"}))
        ->capture_default_str();
    cmd->callback([&options, o] { run_command(options, *o); });
}

}  // namespace cli
