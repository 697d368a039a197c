// `twinel check`: what the mesh analyses find in each polygon mesh of a file.
#include <algorithm>
#include <utility>
#include <cstdio>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/file_command.h"
#include "cli/messages.h"
#include "cli/text_width.h"
#include "frame/sdk/polygon_mesh.h"
#include "host/mesh_shape.h"
#include "host/scene.h"
#include "host/io/scene_files.h"
#include "mesh/polygon_class.h"

namespace cli {
namespace {

struct check_options {
    file_options files;
};

struct findings {
    std::string name;
    int vertices = 0, edges = 0, faces = 0;
    std::vector<int> invalid, overlapped, trident_faces, trident_edges, over4;
    bool directions_consistent = true;

    // Whether the mesh has none of the faults check looks for.
    bool clean() const {
        return invalid.empty() && overlapped.empty() && trident_faces.empty() && trident_edges.empty() &&
               over4.empty() && directions_consistent;
    }
};

// Faces with fewer than 3 corners or a vertex used twice, ascending.
std::vector<int> invalid_faces(polygon_mesh_class& mesh) {
    std::vector<int> out, corners;
    for (int f = 0; f < mesh.get_number_of_faces(); ++f) {
        face_class& face = mesh.face(f);
        const int n = face.get_number_of_vertices();
        corners.resize(static_cast<std::size_t>(n));
        if (n > 0) face.get_vertex_indices(corners.data());
        // Sorted, a repeated vertex stands next to itself: a face of many
        // corners costs n log n, not n squared.
        std::sort(corners.begin(), corners.end());
        if (n < 3 || std::adjacent_find(corners.begin(), corners.end()) != corners.end()) out.push_back(f);
    }
    return out;
}

findings analyse(host::mesh_shape& shape) {
    findings r;
    r.name = shape.get_name();
    polygon_mesh_class& mesh = shape.polygon();
    r.vertices = mesh.get_number_of_vertices();
    r.edges = mesh.get_number_of_edges();
    r.faces = mesh.get_number_of_faces();
    r.invalid = invalid_faces(mesh);
    Polygon_class polygon(&shape);
    polygon.get_redundant_faces(r.overlapped);
    polygon.get_trident_faces(r.trident_faces, r.trident_edges);
    polygon.get_over4_faces(r.over4);
    r.directions_consistent = mesh.check_face_directions();
    return r;
}

std::string index_list(const std::vector<int>& v) {
    std::string s;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (i == 20) return s + " ...";
        s += (i ? " " : "") + std::to_string(v[i]);
    }
    return s;
}

// The findings as a table, its labels lined up by their display width
// in the chosen language.
void print_text(const host::application& app, const findings& r, std::FILE* human) {
    print_line(human, format(own_text(app, "%s: %i vertices, %i edges, %i faces"), r.name, r.vertices, r.edges,
                             r.faces));
    const std::pair<const char*, const std::vector<int>*> rows[] = {
        {"invalid faces", &r.invalid},
        {"overlapped faces", &r.overlapped},
        {"faces on edges shared by more than two faces", &r.trident_faces},
        {"edges shared by more than two faces", &r.trident_edges},
        {"faces with more than four corners", &r.over4},
    };
    const std::string directions = own_text(app, "face directions");
    int width = display_width(directions);
    for (const auto& row : rows) width = std::max(width, display_width(own_text(app, row.first)));
    for (const auto& [label, list] : rows)
        print_line(human, "  " + pad_to_width(own_text(app, label), width) + " " +
                              pad_left_to_width(std::to_string(list->size()), 7) + "  " + index_list(*list));
    print_line(human, "  " + pad_to_width(directions, width) + " " +
                          own_text(app, r.directions_consistent ? "consistent" : "inconsistent"));
}

nlohmann::ordered_json to_json(const findings& r) {
    return {{"name", r.name},
            {"vertices", r.vertices},
            {"edges", r.edges},
            {"faces", r.faces},
            {"invalid_faces", r.invalid},
            {"overlapped_faces", r.overlapped},
            {"trident_faces", r.trident_faces},
            {"trident_edges", r.trident_edges},
            {"over4_faces", r.over4},
            {"directions_consistent", r.directions_consistent}};
}

// One file: the table of each mesh, and exit code 1 when a mesh has a
// fault.
file_outcome run_check(const global_options& options, const file_task& task, std::FILE* human) {
    auto app = open_host(options);
    host::scene& scene = app->new_scene();
    scene.set_history_limit(0);  // a pipeline never undoes: no copies of the meshes
    read_scene(scene, task.input, nullptr, human);
    file_outcome outcome;
    outcome.report["shapes"] = nlohmann::ordered_json::array();
    bool clean = true;
    for (host::mesh_shape* shape : scene_meshes(scene)) {
        const findings r = analyse(*shape);
        clean = clean && r.clean();
        outcome.report["shapes"].push_back(to_json(r));
        print_text(*app, r, human);
    }
    outcome.report["clean"] = clean;
    if (!clean) outcome.exit_code = exit_failure;
    return outcome;
}

}  // namespace

void add_check_command(CLI::App& app, const global_options& options) {
    auto o = std::make_shared<check_options>();
    CLI::App* cmd = app.add_subcommand(
        "check", "Report what the mesh analyses find in each polygon mesh; exit code 1 when they find a fault");
    add_file_options(*cmd, o->files, false);
    cmd->callback([&options, o] {
        run_files(options, o->files, false, [&](const file_task& task, std::FILE* human) {
            return run_check(options, task, human);
        });
    });
}

}  // namespace cli
