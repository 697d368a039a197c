// `twinel pair` and `twinel mirror-half`: the "Twinel" and "Make Twinel"
// roads of the palette on the polygon meshes of a file, optionally followed
// by "Symmerize Skin" on each paired mesh and line symmetry on every line
// and surface.
#include <chrono>
#include <cstring>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <boost/format.hpp>
#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/messages.h"
#include "host/line_shape.h"
#include "host/mesh_shape.h"
#include "host/mirror_attributes.h"
#include "host/io/output_file.h"
#include "host/scene.h"
#include "host/io/scene_files.h"
#include "mesh/polygon_class.h"
#include "mesh/shape_class.h"
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
    bool sym_skin = false;
    bool sym_lines = false;
    bool force_lines = false;
};

struct shape_result {
    std::string name;
    int vertices_before = 0, faces_before = 0;
    int vertices = 0, faces = 0;
    int unpaired_vertices = 0, unpaired_faces = 0;
    const char* message = nullptr;  // untranslated; null on success
    // With --sym-skin: what "Symmerize Skin" answered (in the user's
    // language), empty when it succeeded.
    std::string skin_message;
};

// Line symmetry on one line or surface (--sym-lines).
struct line_result {
    std::string name;
    const char* kind = "line";  // or "surface"
    int points = 0;
    int moved = 0;              // control points whose data changed
    std::string question;       // asked of the user, empty when none
    bool answer = false;
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

// Pairs one shape; a message thrown by the construction ends up in the
// result. With `sym_skin`, the pairing then runs "Symmerize Skin" with the
// window's warning about an incomplete pairing (shown when verbose).
shape_result pair_shape(host::application& app, host::mesh_shape& shape, const Symmetry_class& settings, bool makeup,
                        bool sym_skin) {
    shape_result r;
    r.name = shape.get_name();
    r.vertices_before = shape.data().vertex_count();
    r.faces_before = shape.data().face_count();
    // What the mesh's file carried follows the pairing's new and moved
    // elements from their mirror partners (in the mesh's own coordinates).
    const bool inherit = !settings.use_world && (!shape.data().extras.empty() || !shape.data().corner_normal.empty());
    // Only corner normals follow moved vertices: without them the old
    // positions are not needed.
    const std::vector<vec3> positions_before =
        inherit && !shape.data().corner_normal.empty() ? shape.data().positions : std::vector<vec3>();
    Polygon_class polygon(&shape);
    try {
        twinel_class pairing(polygon, settings, makeup);
        if (inherit)
            host::inherit_mirror_attributes(shape.edit_data(), settings.plane, r.vertices_before, r.faces_before,
                                            positions_before);
        r.unpaired_vertices = pairing.vertex_table.unmatched;
        r.unpaired_faces = pairing.face_table.unmatched;
        if (sym_skin) {
            if (settings.verbose && (r.unpaired_vertices > 0 || r.unpaired_faces > 0))
                app.show_message(settings.translate("Shape is not complete twinel. only paired vertices are set skin."),
                                 false);
            r.skin_message = pairing.sym_skins().value_or(std::string());
        }
    } catch (const char* message) {
        r.message = message ? message : "***Twinel ERROR*** at make twinel.";
    }
    r.vertices = shape.data().vertex_count();
    r.faces = shape.data().face_count();
    return r;
}

bool same_point(const host::control_point_data& a, const host::control_point_data& b) {
    const auto same = [](const vec3& p, const vec3& q) { return std::memcmp(&p, &q, sizeof p) == 0; };
    return same(a.position, b.position) && same(a.first_handle, b.first_handle) &&
           same(a.second_handle, b.second_handle) && same(a.third_handle, b.third_handle) &&
           same(a.fourth_handle, b.fourth_handle) && a.first_flag == b.first_flag && a.second_flag == b.second_flag;
}

// The control points of a line, or of every line of a surface in child order.
std::vector<host::control_point_data> points_of(const host::shape& s) {
    std::vector<host::control_point_data> out;
    const auto add = [&out](const host::shape& line) {
        if (const auto* l = dynamic_cast<const host::line_shape*>(&line))
            out.insert(out.end(), l->points().begin(), l->points().end());
    };
    if (s.get_type() == kx::sdk::line_shape) add(s);
    for (const host::shape* child : s.children()) add(*child);
    return out;
}

// The lines and surfaces to make symmetric: every surface part, and every
// line that is not a surface's (the surface's symmetry covers those), in
// scene order; with a shape name, only those of that name.
std::vector<host::shape*> line_targets(host::scene& scene, const std::string& only) {
    std::vector<host::shape*> out;
    for (host::shape* s : scene.shapes_in_order()) {
        if (!only.empty() && only != s->get_name()) continue;
        const bool surface = s->get_type() == kx::sdk::part_shape && s->get_part_type() == kx::sdk::surface_part;
        const bool in_surface = s->parent() && s->parent()->get_type() == kx::sdk::part_shape &&
                                s->parent()->get_part_type() == kx::sdk::surface_part;
        if (surface || (s->get_type() == kx::sdk::line_shape && !in_surface)) out.push_back(s);
    }
    return out;
}

// Line symmetry (a line) or surface symmetry (a surface part) with the
// command's settings, as the window's "Sym vertices" runs them. A question
// ("Force symmetrize this lines?") is answered with `force`.
line_result sym_line(host::application& app, host::scene& scene, host::shape& s, const Symmetry_class& settings,
                     bool force) {
    line_result r;
    r.name = s.get_name();
    const bool surface = s.get_type() == kx::sdk::part_shape;
    r.kind = surface ? "surface" : "line";
    const std::vector<host::control_point_data> before = points_of(s);
    const std::size_t asked = app.questions().size();
    // One answer waits in the queue; a call that asks nothing leaves it
    // there for the next.
    if (app.queued_answers() == 0) app.queue_answer(force ? host::answer::yes : host::answer::no);
    Shape_class wrapped(&s);
    if (surface)
        settings.surface_symmetry(&scene, wrapped);
    else
        settings.line_symmetry(&scene, wrapped);
    if (app.questions().size() > asked) {
        r.question = app.questions().back();
        r.answer = force;
    }
    const std::vector<host::control_point_data> after = points_of(s);
    r.points = static_cast<int>(after.size());
    for (std::size_t k = 0; k < after.size(); ++k)
        if (k >= before.size() || !same_point(before[k], after[k])) ++r.moved;
    return r;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void write_report(const std::string& path, const pair_options& o, const std::vector<shape_result>& results,
                  const std::vector<line_result>& lines, double import_s, double pair_s, double export_s) {
    nlohmann::ordered_json shapes = nlohmann::ordered_json::array();
    for (const shape_result& r : results) {
        nlohmann::ordered_json entry = {
            {"name", r.name},
            {"vertices_before", r.vertices_before},
            {"faces_before", r.faces_before},
            {"vertices", r.vertices},
            {"faces", r.faces},
            {"unpaired_vertices", r.unpaired_vertices},
            {"unpaired_faces", r.unpaired_faces},
            {"message", r.message ? nlohmann::ordered_json(r.message) : nlohmann::ordered_json()}};
        if (o.sym_skin)
            entry["skin_message"] = r.skin_message.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(r.skin_message);
        shapes.push_back(std::move(entry));
    }
    nlohmann::ordered_json report = {{"shapes", shapes}};
    if (o.sym_lines) {
        nlohmann::ordered_json entries = nlohmann::ordered_json::array();
        for (const line_result& l : lines)
            entries.push_back({{"name", l.name},
                               {"kind", l.kind},
                               {"points", l.points},
                               {"moved_points", l.moved},
                               {"question", l.question.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(l.question)},
                               {"answer", l.question.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(l.answer)}});
        report["lines"] = std::move(entries);
    }
    report["seconds"] = {{"import", import_s}, {"pair", pair_s}, {"export", export_s}};
    host::output_file out(path);
    out.write(report.dump(2) + '\n');
    out.commit();
}

void run_pair(const global_options& options, const pair_options& o, bool makeup) {
    check_file_types({o.input, o.output});
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
    scene.set_history_limit(0);  // a pipeline never undoes: no copies of the meshes
    host::file_format input_format = host::file_format::obj;
    read_scene(scene, o.input, &input_format, progress);
    scene.clear_history();
    const double import_s = seconds_since(start);
    std::vector<host::mesh_shape*> shapes = scene_meshes(scene);
    std::vector<host::shape*> lines = o.sym_lines ? line_targets(scene, o.shape) : std::vector<host::shape*>();
    if (!o.shape.empty()) {
        std::vector<host::mesh_shape*> chosen;
        for (host::mesh_shape* s : shapes)
            if (o.shape == s->get_name()) chosen.push_back(s);
        if (chosen.empty() && lines.empty())
            throw command_error(o.input + " has no polygon mesh" + (o.sym_lines ? ", line or surface" : "") +
                                    " named '" + o.shape + "'",
                                exit_usage);
        shapes.swap(chosen);
    }

    start = std::chrono::steady_clock::now();
    std::vector<shape_result> results;
    bool failed = false, skin_failed = false;
    for (host::mesh_shape* shape : shapes) {
        scene.set_active_shapes(1, std::vector<shape_class*>{shape}.data());
        results.push_back(pair_shape(*app, *shape, settings, makeup, o.sym_skin));
        const shape_result& r = results.back();
        if (r.message) {
            failed = true;
            std::fprintf(stderr, "%s: %s\n", r.name.c_str(), settings.translate(r.message));
            continue;
        }
        std::fprintf(progress, "%s\n",
                     format(own_text(*app, "%s: %i vertices, %i faces; %i vertices and %i faces unpaired"), r.name,
                            r.vertices, r.faces, r.unpaired_vertices, r.unpaired_faces)
                         .c_str());
        if (!r.skin_message.empty()) {
            // "Symmerize Skin" stopped at a vertex: the palette shows why,
            // and the command writes nothing.
            skin_failed = true;
            std::fprintf(stderr, "%s: %s\n", r.name.c_str(), r.skin_message.c_str());
        }
    }
    std::vector<line_result> line_results;
    for (host::shape* line : lines) {
        line_results.push_back(sym_line(*app, scene, *line, settings, o.force_lines));
        const line_result& l = line_results.back();
        std::fprintf(progress, "%s\n",
                     format(own_text(*app, "%s: %s symmetry, %i of %i control points changed"), l.name, l.kind,
                            l.moved, l.points).c_str());
        if (!l.question.empty())
            std::fprintf(progress, "%s\n",
                         format(own_text(*app, "%s: answered %s to \"%s\"%s"), l.name, l.answer ? "yes" : "no",
                                l.question, l.answer ? "" : " (--force-lines answers yes)").c_str());
    }
    const double pair_s = seconds_since(start);

    double export_s = 0.0;
    if (!failed && !skin_failed) {
        start = std::chrono::steady_clock::now();
        write_scene(scene, o.output, output_format(o.output, input_format),
                    o.uv_set == "distance" ? host::obj_uv_set::distance : host::obj_uv_set::parameter, progress);
        export_s = seconds_since(start);
        std::fprintf(progress, "%s\n", format(own_text(*app, "wrote %s"), o.output).c_str());
    }
    if (!o.report.empty()) write_report(o.report, o, results, line_results, import_s, pair_s, export_s);
    if (failed) throw command_error(own_text(*app, "no output written: a shape could not be paired"));
    if (skin_failed) throw command_error(own_text(*app, "no output written: \"Symmerize Skin\" stopped at a vertex"));
}

void add_options(CLI::App* cmd, pair_options& o) {
    add_input_option(*cmd, o.input);
    add_output_option(*cmd, o.output);
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
    cmd->add_option("--uv-set", o.uv_set, "UV set written to an OBJ file: parameter or distance")
        ->check(CLI::IsMember({"parameter", "distance"}))
        ->capture_default_str();
    cmd->add_flag("--sym-skin", o.sym_skin,
                  "Then \"Symmerize Skin\": give each paired vertex the mirror of its partner's skin");
    cmd->add_flag("--sym-lines", o.sym_lines, "Then make every line and surface symmetric (line symmetry)");
    cmd->add_flag("--force-lines", o.force_lines,
                  "Answer yes when line symmetry asks whether to force a line that does not cross the plane");
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
