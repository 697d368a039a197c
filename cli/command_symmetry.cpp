// `twinel symmetry`: how symmetric each polygon mesh of a file is, about
// one plane or the three, and what "Twinel" would do with it, without
// writing anything. Exit code 0 when every mesh is symmetric within the
// margin, 1 when one is not.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/file_command.h"
#include "cli/messages.h"
#include "cli/symmetry_measure.h"
#include "cli/symmetry_options.h"
#include "cli/text_width.h"
#include "host/mesh_shape.h"
#include "host/scene.h"
#include "host/io/scene_files.h"

namespace cli {
namespace {

struct symmetry_options {
    file_options files;
    std::string plane;  // empty: all three
    std::string base = "positive";
    std::string margin = "0.1";
    std::string on_plane_margin = "0.01";
    bool no_adjust = false;
    bool world = false;  // measure in world coordinates, as pair --world pairs
    bool list = false;   // every vertex without a partner, not only the first
};

constexpr std::size_t listed_vertices = 20;

std::string number(double v) { return format("%.6g", v); }

std::string vertex_list(const std::vector<int>& v, bool all) {
    std::string s;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (i == listed_vertices && !all) return s + " ...";
        s += (i ? " " : "") + std::to_string(v[i]);
    }
    return s;
}

// The settings of the measure on `shape` about `plane`.
Symmetry_class settings_for(const symmetry_options& o, korvo_interface& host, const host::mesh_shape& shape,
                            int plane) {
    Symmetry_class s;
    s.plane = static_cast<std::int8_t>(plane);
    s.base_side = base_side_index(o.base);
    s.margin = margin_length(parse_margin(o.margin), shape.data().positions);
    s.reduse_margin = margin_length(parse_margin(o.on_plane_margin), shape.data().positions);
    s.do_adjust = !o.no_adjust;
    s.use_world = o.world;
    s.verbose = false;  // a report shows no progress messages of the engine
    s.host = &host;
    return s;
}

nlohmann::ordered_json to_json(const symmetry_measure& m, bool all) {
    std::vector<int> listed = m.unpaired_vertices;
    if (!all && listed.size() > listed_vertices) listed.resize(listed_vertices);
    return {{"plane", plane_name(m.plane)},
            {"margin", m.margin},
            {"on_plane_margin", m.on_plane_margin},
            {"paired_vertices", m.paired},
            {"on_plane_vertices", m.on_plane},
            {"unpaired_vertices", m.unpaired},
            {"unpaired_faces", m.unpaired_faces},
            {"largest_distance", m.largest_distance},
            {"mean_distance", m.mean_distance},
            {"vertices_without_partner", listed},
            {"symmetric", m.symmetric()},
            {"pair", {{"pairs", m.message.empty()},
                      {"message", m.message.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(m.message)},
                      {"moved_vertices", m.moved_vertices},
                      {"largest_move", m.largest_move}}}};
}

// The lines of one mesh: a row per plane measured, the best one named,
// what "Twinel" would do about it and its vertices without a partner.
void print_mesh(const host::application& app, const Symmetry_class& texts, const std::string& name,
                const std::vector<symmetry_measure>& planes, std::size_t best, bool all, std::FILE* human) {
    const symmetry_measure& b = planes[best];
    print_line(human, format(own_text(app, "%s: %i vertices, %i faces; margin %s, on-plane margin %s"), name,
                             b.vertices, b.faces, number(b.margin), number(b.on_plane_margin)));
    std::vector<std::vector<std::string>> rows = {
        {own_text(app, "plane"), own_text(app, "paired"), own_text(app, "on the plane"), own_text(app, "none"),
         own_text(app, "faces unpaired"), own_text(app, "largest distance"), own_text(app, "mean distance")}};
    for (std::size_t i = 0; i < planes.size(); ++i) {
        const symmetry_measure& m = planes[i];
        rows.push_back({std::string(plane_name(m.plane)) + (i == best && planes.size() > 1 ? " *" : ""),
                        std::to_string(m.paired), std::to_string(m.on_plane), std::to_string(m.unpaired),
                        std::to_string(m.unpaired_faces), number(m.largest_distance), number(m.mean_distance)});
    }
    for (const std::string& line : table_lines(rows, "  ")) print_line(human, line);
    const auto say = [human](const std::string& line) { print_line(human, "  " + line); };
    if (planes.size() > 1) say(format(own_text(app, "best plane: %s"), plane_name(b.plane)));
    say(own_text(app, b.symmetric() ? "symmetric within the margin" : "not symmetric within the margin"));
    if (b.message.empty())
        say(format(own_text(app, "\"Twinel\" would pair it: %i vertices moved (at most %s), %i vertices and %i faces "
                                 "left unpaired"),
                   b.moved_vertices, number(b.largest_move), b.unpaired, b.unpaired_faces));
    else
        say(format(own_text(app, "\"Twinel\" would stop: %s"), texts.translate(b.message.c_str())));
    if (!b.unpaired_vertices.empty())
        say(format(own_text(app, "vertices without a partner: %s"), vertex_list(b.unpaired_vertices, all)));
}

file_outcome run_symmetry(const global_options& options, const symmetry_options& o, const file_task& task,
                          std::FILE* human) {
    auto app = open_host(options);
    app->set_message_sink([](const std::string&) {});  // the engine's messages are not the report's
    host::scene& scene = app->new_scene();
    scene.set_history_limit(0);  // the copies measured leave no undo records
    read_scene(scene, task.input, nullptr, human);
    std::vector<int> planes = {0, 1, 2};
    if (!o.plane.empty()) planes = {plane_index(o.plane)};

    file_outcome outcome;
    outcome.report["shapes"] = nlohmann::ordered_json::array();
    bool symmetric = true;
    for (host::mesh_shape* shape : scene_meshes(scene)) {
        std::vector<symmetry_measure> measures;
        for (int plane : planes) measures.push_back(measure_symmetry(scene, *shape, settings_for(o, *app, *shape, plane)));
        const std::size_t best = static_cast<std::size_t>(
            std::min_element(measures.begin(), measures.end(), more_symmetric) - measures.begin());
        symmetric = symmetric && measures[best].symmetric();
        print_mesh(*app, settings_for(o, *app, *shape, 0), shape->get_name(), measures, best, o.list, human);
        nlohmann::ordered_json entry = {{"name", shape->get_name()},
                                        {"vertices", measures[best].vertices},
                                        {"faces", measures[best].faces},
                                        {"best_plane", plane_name(measures[best].plane)},
                                        {"symmetric", measures[best].symmetric()},
                                        {"planes", nlohmann::ordered_json::array()}};
        for (const symmetry_measure& m : measures) entry["planes"].push_back(to_json(m, o.list));
        outcome.report["shapes"].push_back(std::move(entry));
    }
    outcome.report["world"] = o.world;
    outcome.report["symmetric"] = symmetric;
    if (!symmetric) outcome.exit_code = exit_failure;
    return outcome;
}

}  // namespace

void add_symmetry_command(CLI::App& app, const global_options& options) {
    auto o = std::make_shared<symmetry_options>();
    CLI::App* cmd = app.add_subcommand(
        "symmetry", "Report how symmetric each polygon mesh is and what pairing would do, writing nothing; exit code 1 "
                    "when a mesh is not symmetric within the margin");
    add_file_options(*cmd, o->files, false);
    cmd->add_option("--plane", o->plane,
                    "Only this plane: yz, zx or xy, or x, y or z (the axis normal to it); default: all three")
        ->check(CLI::IsMember({"yz", "zx", "xy", "x", "y", "z"}));
    add_base_option(*cmd, o->base, "Base side pairing would keep: positive, negative or average");
    add_margin_options(*cmd, o->margin, o->on_plane_margin);
    cmd->add_flag("--no-adjust", o->no_adjust, "As pair --no-adjust: pairing would not move pairs while some vertices stay unpaired");
    cmd->add_flag("--world", o->world,
                  "Measure in world coordinates (through each shape's transform, or a bound vertex's skin), as pair "
                  "--world pairs");
    cmd->add_flag("--list", o->list, "List every vertex without a partner (default: the first 20)");
    cmd->callback([&options, o] {
        run_files(options, o->files, false, [&](const file_task& task, std::FILE* human) {
            return run_symmetry(options, *o, task, human);
        });
    });
}

}  // namespace cli
