// Scene files through the `twinel` command: formats by extension, the rig
// example, and the skin and line tools of `twinel pair`.
#include <gtest/gtest.h>

#include <filesystem>

#include <nlohmann/json.hpp>

#include "host/application.h"
#include "host/line_shape.h"
#include "host/mesh_shape.h"
#include "host/part.h"
#include "host/scene.h"
#include "host/io/scene_files.h"
#include "tests/cli/cli_runner.h"

using twinel_test::quoted;
using twinel_test::example;
using twinel_test::read_file;
using twinel_test::run_twinel;
using twinel_test::run_twinel_piped;
using twinel_test::temp_dir;
using twinel_test::write_file;

namespace {

// A scene file read into a bare host.
struct loaded_scene {
    explicit loaded_scene(const std::string& path) : scene(&app.new_scene()) { host::import_file(*scene, path); }
    host::shape& shape(const std::string& name) const {
        auto* s = dynamic_cast<host::shape*>(scene->get_shape_by_name(name.c_str()));
        if (!s) throw std::runtime_error("no shape " + name);
        return *s;
    }
    host::application app;
    host::scene* scene;
};

// The joint name of the other side, by the skin tools' prefixes.
std::string mirror_name(const std::string& name) {
    for (const auto& [a, b] : {std::pair<std::string, std::string>{"left", "right"}, {"right", "left"}, {"l_", "r_"},
                               {"r_", "l_"}, {"l-", "r-"}, {"r-", "l-"}})
        if (name.rfind(a, 0) == 0) return b + name.substr(a.size());
    return name;
}

// Whether q is p mirrored across x = 0, bit for bit in y and z.
bool mirrors(const vec3& p, const vec3& q) { return q.x == -p.x && q.y == p.y && q.z == p.z; }

}  // namespace

TEST(cli_scene, convert_chooses_the_format_by_extension_and_refuses_others) {
    temp_dir tmp;
    const std::string rig = example("rig.json");
    // A scene file comes back byte for byte, also through standard streams
    // (the content tells the format; "-" writes the input's).
    auto r = run_twinel("convert " + quoted(rig) + " -o " + quoted(tmp.path("a.json")));
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(read_file(tmp.path("a.json")), read_file(rig));
    r = run_twinel_piped("convert - -o -", read_file(rig));
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, read_file(rig));
    r = run_twinel_piped("convert - -o -", twinel_test::strip_obj);
    EXPECT_EQ(r.out.rfind("o stdin\nv -1 0 0\n", 0), 0u) << r.out;

    // OBJ keeps the meshes and says what it leaves out.
    r = run_twinel("convert " + quoted(rig) + " -o " + quoted(tmp.path("a.obj")));
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_NE(r.out.find("keeps the polygon meshes and lines only: 10 other shapes are left out"), std::string::npos) << r.out;
    EXPECT_EQ(read_file(tmp.path("a.obj")).rfind("o body\n", 0), 0u);

    // Other extensions are bad usage, for inputs and outputs, and write nothing.
    write_file(tmp.path("t.obj"), twinel_test::strip_obj);
    r = run_twinel("convert " + quoted(tmp.path("t.obj")) + " -o " + quoted(tmp.path("t.ply")));
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_NE(r.err.find("t.ply: unknown file type '.ply' (a mesh file is .obj, a scene file .json, a glTF file .gltf or .glb)"), std::string::npos)
        << r.err;
    EXPECT_FALSE(std::filesystem::exists(tmp.path("t.ply")));
    write_file(tmp.path("t.stl"), twinel_test::strip_obj);
    for (const std::string command : {"check ", "pair ", "repair --all ", "mirror-half "}) {
        r = run_twinel(command + quoted(tmp.path("t.stl")) +
                       (command == "check " ? "" : " -o " + quoted(tmp.path("u.obj"))));
        EXPECT_EQ(r.exit_code, 2) << command << r.err;
    }
    r = run_twinel("generate rig -o " + quoted(tmp.path("rig.obj")));
    EXPECT_EQ(r.exit_code, 2);

    // A broken scene file names the place.
    write_file(tmp.path("bad.json"), R"({"format": "twinel-scene", "version": 1, "shapes": [{"name": 1}]})");
    r = run_twinel("check " + quoted(tmp.path("bad.json")));
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.err.find("bad.json: /shapes/0/name: must be a string, not a number"), std::string::npos) << r.err;
}

TEST(cli_scene, the_rig_example_is_what_generate_writes) {
    temp_dir tmp;
    const auto r = run_twinel("generate rig -o " + quoted(tmp.path("rig.json")));
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(read_file(tmp.path("rig.json")), read_file(example("rig.json")));
}

TEST(cli_scene, sym_skin_gives_the_other_side_the_mirrored_weights) {
    temp_dir tmp;
    const auto r = run_twinel("pair " + quoted(example("rig.json")) + " -o " + quoted(tmp.path("out.json")) +
                              " --sym-skin --report " + quoted(tmp.path("report.json")));
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const auto report = nlohmann::json::parse(read_file(tmp.path("report.json")));
    EXPECT_TRUE(report["shapes"][0]["skin_message"].is_null());

    const loaded_scene before(example("rig.json")), after(tmp.path("out.json"));
    const host::mesh_data& m = static_cast<host::mesh_shape&>(after.shape("body")).data();
    const host::mesh_data& original = static_cast<host::mesh_shape&>(before.shape("body")).data();
    int mirrored = 0;
    for (int v = 0; v < m.vertex_count(); ++v) {
        if (!(m.positions[v].x < 0.0f)) continue;
        EXPECT_LT(original.vertex_skin[v], 0) << "the example skins vertex " << v << " already";
        int partner = -1;
        for (int w = 0; w < m.vertex_count(); ++w)
            if (mirrors(m.positions[v], m.positions[w])) partner = w;
        ASSERT_GE(partner, 0) << "vertex " << v << " has no mirror";
        ASSERT_GE(m.vertex_skin[v], 0) << "vertex " << v << " got no skin";
        const host::skin_data& mine = m.skins[static_cast<std::size_t>(m.vertex_skin[v])];
        const host::skin_data& theirs = m.skins[static_cast<std::size_t>(m.vertex_skin[partner])];
        ASSERT_EQ(mine.binds.size(), theirs.binds.size());
        for (std::size_t k = 0; k < mine.binds.size(); ++k) {
            EXPECT_EQ(mine.binds[k].joint->get_name(), mirror_name(theirs.binds[k].joint->get_name()));
            EXPECT_EQ(mine.binds[k].weight, theirs.binds[k].weight);
        }
        ++mirrored;
    }
    EXPECT_GT(mirrored, 10);

    // Without a mirror joint the tool stops with the palette's message, and
    // nothing is written.
    std::string text = read_file(example("rig.json"));
    text.replace(text.find("\"r_arm\""), 7, "\"x_arm\"");
    write_file(tmp.path("broken.json"), text);
    const auto stopped = run_twinel("pair " + quoted(tmp.path("broken.json")) + " -o " + quoted(tmp.path("no.json")) +
                                    " --sym-skin");
    EXPECT_EQ(stopped.exit_code, 1);
    EXPECT_NE(stopped.err.find("body:  No found sym joint of[l_arm] at["), std::string::npos) << stopped.err;
    EXPECT_FALSE(std::filesystem::exists(tmp.path("no.json")));
}

TEST(cli_scene, sym_lines_makes_every_line_and_surface_symmetric) {
    temp_dir tmp;
    const auto r = run_twinel("pair " + quoted(example("rig.json")) + " -o " + quoted(tmp.path("out.json")) +
                              " --sym-lines --report " + quoted(tmp.path("report.json")));
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_NE(r.out.find("outline: line symmetry, 2 of 5 control points changed"), std::string::npos) << r.out;
    const auto report = nlohmann::json::parse(read_file(tmp.path("report.json")));
    ASSERT_EQ(report["lines"].size(), 2u);
    EXPECT_EQ(report["lines"][1]["name"], "sheet");
    EXPECT_EQ(report["lines"][1]["kind"], "surface");
    EXPECT_GT(report["lines"][1]["moved_points"], 0);

    const loaded_scene before(example("rig.json")), after(tmp.path("out.json"));
    const auto check_line = [](const host::shape& line, bool symmetric) {
        const std::vector<host::control_point_data>& p = line.state().points;
        bool all = true;
        for (std::size_t k = 0; k < p.size() / 2; ++k) {
            all &= mirrors(p[k].position, p[p.size() - 1 - k].position) &&
                   mirrors(p[k].first_handle, p[p.size() - 1 - k].second_handle);
        }
        if (p.size() % 2) all &= p[p.size() / 2].position.x == 0.0f;
        EXPECT_EQ(all, symmetric) << line.get_name();
    };
    check_line(before.shape("outline"), false);
    check_line(after.shape("outline"), true);
    for (const host::shape* row : after.shape("sheet").children()) check_line(*row, true);
    for (const host::shape* row : before.shape("sheet").children()) check_line(*row, false);
}
