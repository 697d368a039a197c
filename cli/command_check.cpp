// `twinel check`: what the mesh analyses find in each polygon mesh of a file.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/messages.h"
#include "frame/sdk/polygon_mesh.h"
#include "host/mesh_shape.h"
#include "host/scene.h"
#include "host/io/scene_files.h"
#include "mesh/polygon_class.h"

namespace cli {
namespace {

struct check_options {
    std::string input;
    bool json = false;
};

struct findings {
    std::string name;
    int vertices = 0, edges = 0, faces = 0;
    std::vector<int> invalid, overlapped, trident_faces, trident_edges, over4;
    bool directions_consistent = true;
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

void print_text(const host::application& app, const findings& r) {
    std::printf("%s\n", format(own_text(app, "%s: %i vertices, %i edges, %i faces"), r.name, r.vertices, r.edges,
                               r.faces).c_str());
    const auto row = [&app](const char* label, const std::vector<int>& v) {
        std::printf("  %-48s %7zu  %s\n", own_text(app, label).c_str(), v.size(), index_list(v).c_str());
    };
    row("invalid faces", r.invalid);
    row("overlapped faces", r.overlapped);
    row("faces on edges shared by more than two faces", r.trident_faces);
    row("edges shared by more than two faces", r.trident_edges);
    row("faces with more than four corners", r.over4);
    std::printf("  %-48s %s\n", own_text(app, "face directions").c_str(),
                own_text(app, r.directions_consistent ? "consistent" : "inconsistent").c_str());
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

void run_check(const global_options& options, const check_options& o) {
    check_file_types({o.input});
    auto app = open_host(options);
    host::scene& scene = app->new_scene();
    scene.set_history_limit(0);  // a pipeline never undoes: no copies of the meshes
    read_scene(scene, o.input, nullptr, stderr);
    const std::vector<host::mesh_shape*> shapes = scene_meshes(scene);
    nlohmann::ordered_json report = {{"shapes", nlohmann::ordered_json::array()}};
    for (host::mesh_shape* shape : shapes) {
        const findings r = analyse(*shape);
        if (o.json)
            report["shapes"].push_back(to_json(r));
        else
            print_text(*app, r);
    }
    if (o.json) std::printf("%s\n", report.dump(2).c_str());
}

}  // namespace

void add_check_command(CLI::App& app, const global_options& options) {
    auto o = std::make_shared<check_options>();
    CLI::App* cmd = app.add_subcommand("check", "Report what the mesh analyses find in each polygon mesh");
    add_input_option(*cmd, o->input);
    cmd->add_flag("--json", o->json, "Print one JSON object {\"shapes\": [...]}");
    cmd->callback([&options, o] { run_check(options, *o); });
}

}  // namespace cli
