// `twinel pair` and `twinel mirror-half`: the "Twinel" and "Make Twinel"
// roads of the palette on the polygon meshes of a file.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/messages.h"
#include "host/mesh_shape.h"
#include "host/output_file.h"
#include "host/scene.h"
#include "host/scene_files.h"
#include "mesh/polygon_class.h"
#include "symmetry/twinel_class.h"

namespace cli {
namespace {

struct pair_options {
    std::string input;
    std::string output;
    std::string shape;
    std::string plane = "yz";
    std::string base = "positive";
    float margin = 0.1f;
    float on_plane_margin = 0.01f;
    bool no_adjust = false;
    bool sym_uv = false;
    float puv_center = 0.5f, puv_margin = 0.02f;
    float duv_center = 0.5f, duv_margin = 0.02f;
    bool world = false;
    bool quiet = false;
    std::string report;
    std::string uv_set = "parameter";
};

struct shape_result {
    std::string name;
    int vertices_before = 0, faces_before = 0;
    int vertices = 0, faces = 0;
    int unpaired_vertices = 0, unpaired_faces = 0;
    const char* message = nullptr;  // untranslated; null on success
};

Symmetry_class settings_of(const pair_options& o, korvo_interface& host) {
    Symmetry_class s;
    s.plane = static_cast<std::int8_t>(o.plane == "yz" ? 0 : o.plane == "zx" ? 1 : 2);
    s.base_side = static_cast<std::uint8_t>(o.base == "positive" ? 0 : o.base == "negative" ? 1 : 2);
    s.margin = o.margin;
    s.reduse_margin = o.on_plane_margin;
    s.do_adjust = !o.no_adjust;
    s.do_symUV = o.sym_uv;
    s.puv_center = o.puv_center;
    s.puv_margin = o.puv_margin;
    s.duv_center = o.duv_center;
    s.duv_margin = o.duv_margin;
    s.verbose = !o.quiet;
    s.use_world = o.world;
    s.host = &host;
    return s;
}

// Pairs one shape; a message thrown by the construction ends up in the result.
shape_result pair_shape(host::mesh_shape& shape, const Symmetry_class& settings, bool makeup) {
    shape_result r;
    r.name = shape.get_name();
    r.vertices_before = shape.data().vertex_count();
    r.faces_before = shape.data().face_count();
    Polygon_class polygon(&shape);
    try {
        twinel_class pairing(polygon, settings, makeup);
        r.unpaired_vertices = pairing.vertex_table.unmatched;
        r.unpaired_faces = pairing.face_table.unmatched;
    } catch (const char* message) {
        r.message = message ? message : "***Twinel ERROR*** at make twinel.";
    }
    r.vertices = shape.data().vertex_count();
    r.faces = shape.data().face_count();
    return r;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void write_report(const std::string& path, const std::vector<shape_result>& results, double import_s,
                  double pair_s, double export_s) {
    nlohmann::ordered_json shapes = nlohmann::ordered_json::array();
    for (const shape_result& r : results)
        shapes.push_back({{"name", r.name},
                          {"vertices_before", r.vertices_before},
                          {"faces_before", r.faces_before},
                          {"vertices", r.vertices},
                          {"faces", r.faces},
                          {"unpaired_vertices", r.unpaired_vertices},
                          {"unpaired_faces", r.unpaired_faces},
                          {"message", r.message ? nlohmann::ordered_json(r.message) : nlohmann::ordered_json()}});
    const nlohmann::ordered_json report = {
        {"shapes", shapes}, {"seconds", {{"import", import_s}, {"pair", pair_s}, {"export", export_s}}}};
    host::output_file out(path);
    out.write(report.dump(2) + '\n');
    out.commit();
}

void run_pair(const global_options& options, const pair_options& o, bool makeup) {
    check_not_input(o.input, o.output);
    if (!o.report.empty()) check_not_input(o.input, o.report);
    if (is_standard_stream(o.output) && is_standard_stream(o.report))
        throw command_error("the mesh and the report cannot both go to standard output (-)", exit_usage);
    std::FILE* progress = progress_stream({o.output, o.report});
    auto app = open_host(options);
    if (!o.quiet)
        app->set_message_sink([progress](const std::string& line) { std::fprintf(progress, "%s\n", line.c_str()); });
    const Symmetry_class settings = settings_of(o, *app);

    auto start = std::chrono::steady_clock::now();
    host::scene& scene = app->new_scene();
    std::vector<host::mesh_shape*> shapes = host::import_obj(scene, o.input);
    scene.clear_history();
    const double import_s = seconds_since(start);
    if (!o.shape.empty()) {
        std::vector<host::mesh_shape*> chosen;
        for (host::mesh_shape* s : shapes)
            if (o.shape == s->get_name()) chosen.push_back(s);
        if (chosen.empty()) throw command_error(o.input + " has no polygon mesh named '" + o.shape + "'", exit_usage);
        shapes.swap(chosen);
    }

    start = std::chrono::steady_clock::now();
    std::vector<shape_result> results;
    bool failed = false;
    for (host::mesh_shape* shape : shapes) {
        scene.set_active_shapes(1, std::vector<shape_class*>{shape}.data());
        results.push_back(pair_shape(*shape, settings, makeup));
        const shape_result& r = results.back();
        if (r.message) {
            failed = true;
            std::fprintf(stderr, "%s: %s\n", r.name.c_str(), settings.translate(r.message));
        } else {
            std::fprintf(progress, "%s\n",
                         format(own_text(*app, "%s: %i vertices, %i faces; %i vertices and %i faces unpaired"),
                                r.name, r.vertices, r.faces, r.unpaired_vertices, r.unpaired_faces)
                             .c_str());
        }
    }
    const double pair_s = seconds_since(start);

    double export_s = 0.0;
    if (!failed) {
        start = std::chrono::steady_clock::now();
        std::vector<const host::mesh_shape*> all;
        for (host::shape* s : scene.shapes_in_order())
            if (auto* m = dynamic_cast<const host::mesh_shape*>(s)) all.push_back(m);
        host::export_obj(all, o.output,
                         o.uv_set == "distance" ? host::obj_uv_set::distance : host::obj_uv_set::parameter);
        export_s = seconds_since(start);
        std::fprintf(progress, "%s\n", format(own_text(*app, "wrote %s"), o.output).c_str());
    }
    if (!o.report.empty()) write_report(o.report, results, import_s, pair_s, export_s);
    if (failed) throw command_error(own_text(*app, "no output written: a shape could not be paired"));
}

void add_options(CLI::App* cmd, pair_options& o) {
    cmd->add_option("input", o.input, "Mesh file to read, or - for standard input")
        ->required()
        ->check(existing_input());
    cmd->add_option("-o,--output", o.output, "Mesh file to write, or - for standard output")->required();
    cmd->add_option("--shape", o.shape, "Only the polygon mesh of this name");
    cmd->add_option("--plane", o.plane, "Symmetry plane: yz, zx or xy")
        ->check(CLI::IsMember({"yz", "zx", "xy"}))
        ->capture_default_str();
    cmd->add_option("--base", o.base, "Base side: positive, negative or average")
        ->check(CLI::IsMember({"positive", "negative", "average"}))
        ->capture_default_str();
    cmd->add_option("--margin", o.margin, "Symmetry margin")->capture_default_str();
    cmd->add_option("--on-plane-margin", o.on_plane_margin, "Greatest distance from the plane of an on-plane vertex")
        ->capture_default_str();
    cmd->add_flag("--no-adjust", o.no_adjust, "Do not move recognised pairs while some vertices stay unpaired");
    cmd->add_flag("--sym-uv", o.sym_uv, "Mirror the UVs of paired and created faces");
    cmd->add_option("--puv-center", o.puv_center, "Centre of the parameter UV")->capture_default_str();
    cmd->add_option("--puv-margin", o.puv_margin, "On-centre margin of the parameter UV")->capture_default_str();
    cmd->add_option("--duv-center", o.duv_center, "Centre of the distance UV")->capture_default_str();
    cmd->add_option("--duv-margin", o.duv_margin, "On-centre margin of the distance UV")->capture_default_str();
    cmd->add_flag("--world", o.world, "Mirror in world coordinates");
    cmd->add_flag("--quiet", o.quiet, "Verbose mode off: only results and errors");
    cmd->add_option("--report", o.report, "Write a JSON report to this file (- for standard output)");
    cmd->add_option("--uv-set", o.uv_set, "UV set written to the file: parameter or distance")
        ->check(CLI::IsMember({"parameter", "distance"}))
        ->capture_default_str();
}

}  // namespace

void add_pair_commands(CLI::App& app, const global_options& options) {
    auto pair = std::make_shared<pair_options>();
    CLI::App* cmd = app.add_subcommand("pair", "Pair a nearly symmetric mesh and make it exactly symmetric (\"Twinel\")");
    add_options(cmd, *pair);
    cmd->callback([&options, pair] { run_pair(options, *pair, false); });

    auto half = std::make_shared<pair_options>();
    CLI::App* mirror =
        app.add_subcommand("mirror-half", "Build the missing mirror half of a half mesh (\"Make Twinel\")");
    add_options(mirror, *half);
    mirror->callback([&options, half] { run_pair(options, *half, true); });
}

}  // namespace cli
