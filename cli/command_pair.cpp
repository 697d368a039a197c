// `twinel pair` and `twinel mirror-half`: the "Twinel" and "Make Twinel"
// roads of the palette on the polygon meshes of a file, optionally followed
// by "Symmerize Skin" on each paired mesh and line symmetry on every line
// and surface.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <boost/format.hpp>
#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/file_command.h"
#include "cli/messages.h"
#include "cli/symmetry_measure.h"
#include "cli/symmetry_options.h"
#include "host/line_shape.h"
#include "host/mesh_shape.h"
#include "host/mirror_attributes.h"
#include "host/scene.h"
#include "host/io/scene_files.h"
#include "mesh/polygon_class.h"
#include "mesh/shape_class.h"
#include "symmetry/twinel_class.h"

namespace cli {
namespace {

struct pair_options {
    file_options files;
    std::string shape;
    std::string plane = "yz";
    std::string base = "positive";
    std::string margin = "0.1";
    std::string on_plane_margin = "0.01";
    bool no_adjust = false;
    bool sym_uv = false;
    float puv_center = 0.5f, puv_margin = 0.02f;
    float duv_center = 0.5f, duv_margin = 0.02f;
    bool world = false;
    std::string uv_set = "parameter";
    bool sym_skin = false;
    bool sym_lines = false;
    bool force_lines = false;
};

struct shape_result {
    std::string name;
    float margin = 0.0f, on_plane_margin = 0.0f;  // the lengths used
    int vertices_before = 0, faces_before = 0;
    int vertices = 0, faces = 0;
    int unpaired_vertices = 0, unpaired_faces = 0;
    int moved_vertices = 0;     // vertices of the mesh as read that the pairing moved
    double largest_move = 0.0;  // the farthest of those moves
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
    s.plane = plane_index(o.plane);
    s.base_side = base_side_index(o.base);
    s.do_adjust = !o.no_adjust;
    s.do_symUV = o.sym_uv;
    s.puv_center = o.puv_center;
    s.puv_margin = o.puv_margin;
    s.duv_center = o.duv_center;
    s.duv_margin = o.duv_margin;
    s.verbose = !o.files.quiet;
    s.use_world = o.world;
    s.host = &host;
    return s;
}

// The settings for one mesh: the margins as lengths, a percentage taken
// of the mesh's bounding-box diagonal.
Symmetry_class settings_for(const pair_options& o, const Symmetry_class& common, const host::mesh_shape& shape) {
    Symmetry_class s = common;
    s.margin = margin_length(parse_margin(o.margin), shape.data().positions);
    s.reduse_margin = margin_length(parse_margin(o.on_plane_margin), shape.data().positions);
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
    r.margin = settings.margin;
    r.on_plane_margin = settings.reduse_margin;
    // What the mesh's file carried follows the pairing's new and moved
    // elements from their mirror partners (in the mesh's own coordinates).
    const bool inherit = !settings.use_world && (!shape.data().extras.empty() || !shape.data().corner_normal.empty());
    // The positions as read: the moves are counted from them (and corner
    // normals follow the moved vertices).
    const std::vector<vec3> positions_before = shape.data().positions;
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
    const vertex_moves moves = moves_between(positions_before, shape.data().positions);
    r.moved_vertices = moves.count;
    r.largest_move = moves.largest;
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

nlohmann::ordered_json or_null(const std::string& text) {
    return text.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(text);
}

// The file's JSON result: per shape what was read, what the pairing
// changed (moves, new vertices and faces) and left unpaired, with the
// margins used; the lines; the messages shown; the times.
nlohmann::ordered_json pair_report(const pair_options& o, const std::vector<shape_result>& results,
                                   const std::vector<line_result>& lines, const std::vector<std::string>& messages,
                                   double import_s, double pair_s, double export_s) {
    nlohmann::ordered_json shapes = nlohmann::ordered_json::array();
    for (const shape_result& r : results) {
        nlohmann::ordered_json entry = {
            {"name", r.name},
            {"plane", plane_name(plane_index(o.plane))},
            {"margin", r.margin},
            {"on_plane_margin", r.on_plane_margin},
            {"vertices_before", r.vertices_before},
            {"faces_before", r.faces_before},
            {"vertices", r.vertices},
            {"faces", r.faces},
            {"added_vertices", r.vertices - r.vertices_before},
            {"added_faces", r.faces - r.faces_before},
            {"moved_vertices", r.moved_vertices},
            {"largest_move", r.largest_move},
            {"unpaired_vertices", r.unpaired_vertices},
            {"unpaired_faces", r.unpaired_faces},
            {"message", r.message ? nlohmann::ordered_json(r.message) : nlohmann::ordered_json()}};
        if (o.sym_skin) entry["skin_message"] = or_null(r.skin_message);
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
                               {"question", or_null(l.question)},
                               {"answer", l.question.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(l.answer)}});
        report["lines"] = std::move(entries);
    }
    report["messages"] = messages;
    report["seconds"] = {{"import", import_s}, {"pair", pair_s}, {"export", export_s}};
    return report;
}

// The polygon meshes to pair, with --shape those of that name; the lines
// and surfaces with --sym-lines.
std::vector<host::mesh_shape*> chosen_meshes(host::scene& scene, const pair_options& o, const std::string& input,
                                             const std::vector<host::shape*>& lines) {
    std::vector<host::mesh_shape*> shapes = scene_meshes(scene);
    if (o.shape.empty()) return shapes;
    std::vector<host::mesh_shape*> chosen;
    for (host::mesh_shape* s : shapes)
        if (o.shape == s->get_name()) chosen.push_back(s);
    if (chosen.empty() && lines.empty())
        throw command_error(input + " has no polygon mesh" + (o.sym_lines ? ", line or surface" : "") + " named '" +
                                o.shape + "'",
                            exit_usage);
    return chosen;
}

file_outcome run_pair(const global_options& options, const pair_options& o, bool makeup, const file_task& task,
                      std::FILE* human) {
    auto app = open_host(options);
    std::vector<std::string> messages;
    app->set_message_sink([human, &messages](const std::string& line) {
        messages.push_back(line);
        print_line(human, line);
    });
    const Symmetry_class common = settings_of(o, *app);

    auto start = std::chrono::steady_clock::now();
    host::scene& scene = app->new_scene();
    scene.set_history_limit(0);  // a pipeline never undoes: no copies of the meshes
    host::file_format input_format = host::file_format::obj;
    read_scene(scene, task.input, &input_format, human);
    scene.clear_history();
    const double import_s = seconds_since(start);
    std::vector<host::shape*> lines = o.sym_lines ? line_targets(scene, o.shape) : std::vector<host::shape*>();
    const std::vector<host::mesh_shape*> shapes = chosen_meshes(scene, o, task.input, lines);

    start = std::chrono::steady_clock::now();
    std::vector<shape_result> results;
    bool failed = false, skin_failed = false;
    for (host::mesh_shape* shape : shapes) {
        scene.set_active_shapes(1, std::vector<shape_class*>{shape}.data());
        const Symmetry_class settings = settings_for(o, common, *shape);
        results.push_back(pair_shape(*app, *shape, settings, makeup, o.sym_skin));
        const shape_result& r = results.back();
        if (r.message) {
            failed = true;
            std::fprintf(stderr, "%s: %s\n", r.name.c_str(), settings.translate(r.message));
            continue;
        }
        print_line(human, format(own_text(*app, "%s: %i vertices, %i faces; %i vertices and %i faces unpaired"),
                                 r.name, r.vertices, r.faces, r.unpaired_vertices, r.unpaired_faces));
        print_line(human, format(own_text(*app, "%s: %i vertices moved (at most %.6g), %i vertices and %i faces added, "
                                                "margin %.6g, on-plane margin %.6g"),
                                 r.name, r.moved_vertices, r.largest_move, r.vertices - r.vertices_before,
                                 r.faces - r.faces_before, r.margin, r.on_plane_margin));
        if (!r.skin_message.empty()) {
            // "Symmerize Skin" stopped at a vertex: the palette shows why,
            // and the command writes nothing.
            skin_failed = true;
            std::fprintf(stderr, "%s: %s\n", r.name.c_str(), r.skin_message.c_str());
        }
    }
    std::vector<line_result> line_results;
    for (host::shape* line : lines) {
        line_results.push_back(sym_line(*app, scene, *line, common, o.force_lines));
        const line_result& l = line_results.back();
        print_line(human, format(own_text(*app, "%s: %s symmetry, %i of %i control points changed"), l.name, l.kind,
                                 l.moved, l.points));
        if (!l.question.empty())
            print_line(human, format(own_text(*app, "%s: answered %s to \"%s\"%s"), l.name, l.answer ? "yes" : "no",
                                     l.question, l.answer ? "" : " (--force-lines answers yes)"));
    }
    const double pair_s = seconds_since(start);

    double export_s = 0.0;
    if (!failed && !skin_failed) {
        start = std::chrono::steady_clock::now();
        write_scene(scene, task.output, output_format(task.output, input_format),
                    o.uv_set == "distance" ? host::obj_uv_set::distance : host::obj_uv_set::parameter, human);
        export_s = seconds_since(start);
        print_line(human, format(own_text(*app, "wrote %s"), task.output));
    }
    file_outcome outcome;
    outcome.report = pair_report(o, results, line_results, messages, import_s, pair_s, export_s);
    if (failed || skin_failed) {
        outcome.exit_code = exit_failure;
        outcome.error = own_text(*app, failed ? "no output written: a shape could not be paired"
                                              : "no output written: \"Symmerize Skin\" stopped at a vertex");
    }
    return outcome;
}

void add_options(CLI::App* cmd, pair_options& o) {
    add_file_options(*cmd, o.files, true);
    cmd->add_option("--shape", o.shape, "Only the polygon mesh of this name");
    add_plane_option(*cmd, o.plane);
    add_base_option(*cmd, o.base, "Base side: positive, negative or average");
    add_margin_options(*cmd, o.margin, o.on_plane_margin);
    cmd->add_flag("--no-adjust", o.no_adjust, "Do not move recognised pairs while some vertices stay unpaired");
    cmd->add_flag("--sym-uv", o.sym_uv, "Mirror the UVs of paired and created faces");
    cmd->add_option("--puv-center", o.puv_center, "Centre of the parameter UV")->capture_default_str();
    cmd->add_option("--puv-margin", o.puv_margin, "On-centre margin of the parameter UV")->capture_default_str();
    cmd->add_option("--duv-center", o.duv_center, "Centre of the distance UV")->capture_default_str();
    cmd->add_option("--duv-margin", o.duv_margin, "On-centre margin of the distance UV")->capture_default_str();
    cmd->add_flag("--world", o.world, "Mirror in world coordinates");
    cmd->add_option("--uv-set", o.uv_set, "UV set written to an OBJ file: parameter or distance")
        ->check(CLI::IsMember({"parameter", "distance"}))
        ->capture_default_str();
    cmd->add_flag("--sym-skin", o.sym_skin,
                  "Then \"Symmerize Skin\": give each paired vertex the mirror of its partner's skin");
    cmd->add_flag("--sym-lines", o.sym_lines, "Then make every line and surface symmetric (line symmetry)");
    cmd->add_flag("--force-lines", o.force_lines,
                  "Answer yes when line symmetry asks whether to force a line that does not cross the plane");
}

// The callback of `pair` (makeup false) or `mirror-half` (true).
void run_command(const global_options& options, const pair_options& o, bool makeup) {
    run_files(options, o.files, true, [&](const file_task& task, std::FILE* human) {
        return run_pair(options, o, makeup, task, human);
    });
}

}  // namespace

void add_pair_commands(CLI::App& app, const global_options& options) {
    auto pair = std::make_shared<pair_options>();
    CLI::App* cmd = app.add_subcommand("pair", "Pair a nearly symmetric mesh and make it exactly symmetric (\"Twinel\")");
    add_options(cmd, *pair);
    cmd->callback([&options, pair] { run_command(options, *pair, false); });

    auto half = std::make_shared<pair_options>();
    CLI::App* mirror =
        app.add_subcommand("mirror-half", "Build the missing mirror half of a half mesh (\"Make Twinel\")");
    add_options(mirror, *half);
    mirror->callback([&options, half] { run_command(options, *half, true); });
}

}  // namespace cli
