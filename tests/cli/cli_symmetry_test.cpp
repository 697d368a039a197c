// `twinel symmetry`, margins relative to the mesh's size and planes named
// by axis, through the command.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <sstream>

#include <nlohmann/json.hpp>

#include "cli/text_width.h"
#include "tests/cli/cli_runner.h"

using twinel_test::quoted;
using twinel_test::read_file;
using twinel_test::run_twinel;
using twinel_test::temp_dir;
using twinel_test::write_file;

namespace {

// The OBJ text with every vertex position multiplied by `factor`.
std::string scaled(const std::string& obj, double factor) {
    std::istringstream in(obj);
    std::string out, line;
    while (std::getline(in, line)) {
        double x, y, z;
        if (line.rfind("v ", 0) == 0 && std::sscanf(line.c_str(), "v %lf %lf %lf", &x, &y, &z) == 3) {
            char buffer[96];
            std::snprintf(buffer, sizeof buffer, "v %.9g %.9g %.9g", x * factor, y * factor, z * factor);
            line = buffer;
        }
        out += line + "\n";
    }
    return out;
}

nlohmann::json json_of(const twinel_test::run_result& r) { return nlohmann::json::parse(r.out); }

}  // namespace

TEST(cli_symmetry, reports_what_pair_would_do_without_writing_and_then_finds_its_result_exact) {
    temp_dir tmp;
    const std::string in = tmp.path("j.obj"), out = tmp.path("p.obj");
    ASSERT_EQ(run_twinel("generate torus --vertices 400 --jitter 0.004 --seed 3 -o " + quoted(in)).exit_code, 0);
    const std::string before = read_file(in);

    const auto all = run_twinel("symmetry --json --margin 0.02 " + quoted(in));
    const auto report = json_of(all);
    const auto& shape = report["shapes"][0];
    ASSERT_EQ(shape["planes"].size(), 3u);
    int fewest = 1 << 30;
    for (const auto& p : shape["planes"]) {
        EXPECT_EQ(p["paired_vertices"].get<int>() + p["on_plane_vertices"].get<int>() + p["unpaired_vertices"].get<int>(),
                  shape["vertices"].get<int>());
        fewest = std::min(fewest, p["unpaired_vertices"].get<int>());
    }
    for (const auto& p : shape["planes"]) {
        if (p["plane"] == shape["best_plane"]) {
            EXPECT_EQ(p["unpaired_vertices"], fewest);
        }
    }
    EXPECT_EQ(all.exit_code, shape["symmetric"].get<bool>() ? 0 : 1);

    // What it says pairing would do is what pair does.
    const auto yz = json_of(run_twinel("symmetry --json --margin 0.02 --plane x " + quoted(in)))["shapes"][0]["planes"][0];
    const auto paired = run_twinel("pair --json --margin 0.02 " + quoted(in) + " -o " + quoted(out));
    ASSERT_EQ(paired.exit_code, 0) << paired.err;
    const auto done = json_of(paired)["shapes"][0];
    EXPECT_EQ(yz["plane"], "yz");
    EXPECT_EQ(yz["pair"]["moved_vertices"], done["moved_vertices"]);
    EXPECT_EQ(yz["pair"]["largest_move"], done["largest_move"]);
    EXPECT_EQ(yz["unpaired_vertices"], done["unpaired_vertices"]);
    EXPECT_GT(done["moved_vertices"].get<int>(), 0);
    EXPECT_EQ(read_file(in), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.path("")), {}), 2);  // j.obj and p.obj

    const auto exact = run_twinel("symmetry --json --plane yz " + quoted(out));
    EXPECT_EQ(exact.exit_code, 0) << exact.out;
    EXPECT_EQ(json_of(exact)["shapes"][0]["planes"][0]["largest_distance"], 0.0);
    EXPECT_EQ(json_of(exact)["shapes"][0]["planes"][0]["pair"]["moved_vertices"], 0);
}

TEST(cli_symmetry, an_asymmetric_mesh_exits_1_and_lists_its_vertices_without_a_partner) {
    temp_dir tmp;
    const std::string in = tmp.path("far.obj");
    ASSERT_EQ(run_twinel("generate torus --vertices 200 --jitter 0.5 -o " + quoted(in)).exit_code, 0);
    const auto text = run_twinel("symmetry --plane yz " + quoted(in));
    EXPECT_EQ(text.exit_code, 1);
    EXPECT_NE(text.out.find("\"Twinel\" would stop: To many unmatch vertices"), std::string::npos) << text.out;
    const std::string listed = text.out.substr(text.out.find("vertices without a partner: "));
    EXPECT_NE(listed.find(" ...\n"), std::string::npos) << listed;
    EXPECT_EQ(std::count(listed.begin(), listed.end(), ' '), 4 + 20);  // the label's spaces, 20 indices

    const auto report = json_of(run_twinel("symmetry --json --list --plane yz " + quoted(in)));
    const auto& p = report["shapes"][0]["planes"][0];
    EXPECT_EQ(p["vertices_without_partner"].size(), p["unpaired_vertices"].get<std::size_t>());
    EXPECT_EQ(p["pair"]["message"], "To many unmatch vertices");
    EXPECT_FALSE(report["symmetric"].get<bool>());

    // In Japanese the plug-in's message is translated and the table lines up.
    const auto ja = run_twinel("--lang ja symmetry " + quoted(in));
    EXPECT_EQ(ja.exit_code, 1);
    EXPECT_EQ(ja.out.find("To many unmatch vertices"), std::string::npos) << ja.out;
    std::istringstream lines(ja.out);
    std::string line;
    std::getline(lines, line);
    std::vector<int> widths;
    for (int row = 0; row < 4 && std::getline(lines, line); ++row) widths.push_back(cli::display_width(line));
    EXPECT_EQ(widths, std::vector<int>(4, widths.front())) << ja.out;
}

TEST(cli_symmetry, a_relative_margin_pairs_a_mesh_alike_at_any_scale) {
    temp_dir tmp;
    ASSERT_EQ(run_twinel("generate torus --vertices 300 --jitter 0.004 --seed 5 -o " + quoted(tmp.path("m.obj"))).exit_code, 0);
    const std::string metres = read_file(tmp.path("m.obj"));
    write_file(tmp.path("mm.obj"), scaled(metres, 1000.0));
    nlohmann::json results[2];
    int k = 0;
    for (const char* name : {"m.obj", "mm.obj"}) {
        const auto r = run_twinel("pair --json --margin 0.3% --on-plane-margin 0.05% --plane x " +
                                  quoted(tmp.path(name)) + " -o " + quoted(tmp.path(std::string("p") + name)));
        ASSERT_EQ(r.exit_code, 0) << r.err;
        results[k++] = json_of(r)["shapes"][0];
    }
    EXPECT_EQ(results[0]["moved_vertices"], results[1]["moved_vertices"]);
    EXPECT_EQ(results[0]["unpaired_vertices"], results[1]["unpaired_vertices"]);
    EXPECT_NEAR(results[1]["margin"].get<double>(), 1000.0 * results[0]["margin"].get<double>(),
                1e-3 * results[1]["margin"].get<double>());
    EXPECT_GT(results[0]["margin"].get<double>(), 0.0);
    // An absolute margin would not do: 0.01 pairs the small mesh only.
    const auto small = json_of(run_twinel("symmetry --json --margin 0.01 --plane x " + quoted(tmp.path("m.obj"))));
    const auto large = json_of(run_twinel("symmetry --json --margin 0.01 --plane x " + quoted(tmp.path("mm.obj"))));
    EXPECT_LT(small["shapes"][0]["planes"][0]["unpaired_vertices"], large["shapes"][0]["planes"][0]["unpaired_vertices"]);

    // --plane z is --plane xy.
    EXPECT_EQ(run_twinel("symmetry --plane z " + quoted(tmp.path("m.obj"))).out,
              run_twinel("symmetry --plane xy " + quoted(tmp.path("m.obj"))).out);
    EXPECT_EQ(run_twinel("pair --margin=five% " + quoted(tmp.path("m.obj")) + " -o " + quoted(tmp.path("x.obj"))).exit_code, 2);
}

TEST(cli_symmetry, world_measures_through_the_shape_transform_as_pair_world_pairs) {
    // The strip, nearly symmetric in the world, stored in coordinates of
    // its own that a random translation along x and scale bring back.
    temp_dir tmp;
    std::mt19937 random(9);
    std::uniform_real_distribution<double> offset(0.5, 3.0), scale(0.5, 2.0), jitter(-0.03, 0.03);
    const double world[6][3] = {{-1, 0, 0}, {0, 0, 0}, {1, 0, 0}, {-1, 1, 0}, {0, 1, 0}, {1, 1, 0}};
    for (int trial = 0; trial < 5; ++trial) {
        const double t = offset(random), s = scale(random);
        nlohmann::json vertices = nlohmann::json::array();
        for (const auto& p : world) {
            const double j = p[0] < 0 ? jitter(random) : 0.0;  // the x < 0 side, within the margin
            vertices.push_back({(p[0] + j - t) / s, (p[1] + j) / s, p[2] / s});
        }
        const nlohmann::json scene = {
            {"format", "twinel-scene"},
            {"version", 1},
            {"shapes",
             {{{"name", "strip"},
               {"kind", "mesh"},
               {"parent", nullptr},
               {"transform", {s, 0, 0, 0, 0, s, 0, 0, 0, 0, s, 0, t, 0, 0, 1}},
               {"mesh", {{"vertices", vertices}, {"faces", {{{"vertices", {0, 1, 4, 3}}}, {{"vertices", {1, 2, 5, 4}}}}}}}}}}};
        const std::string file = tmp.path("strip.json");
        write_file(file, scene.dump());
        const auto local = run_twinel("symmetry --json --plane x " + quoted(file));
        const auto measured = run_twinel("symmetry --json --plane x --world " + quoted(file));
        const auto paired = run_twinel("pair --json --world " + quoted(file) + " -o " + quoted(tmp.path("p.json")));
        SCOPED_TRACE("offset " + std::to_string(t) + ", scale " + std::to_string(s));
        EXPECT_EQ(local.exit_code, 1) << local.err;
        ASSERT_EQ(measured.exit_code, 0) << measured.err;
        ASSERT_EQ(paired.exit_code, 0) << paired.err;
        const auto m = json_of(measured)["shapes"][0]["planes"][0];
        const auto p = json_of(paired)["shapes"][0];
        EXPECT_TRUE(json_of(measured)["world"].get<bool>());
        EXPECT_EQ(m["paired_vertices"], 4);
        EXPECT_EQ(m["on_plane_vertices"], 2);
        EXPECT_EQ(m["unpaired_vertices"], p["unpaired_vertices"]);
        EXPECT_EQ(m["pair"]["moved_vertices"], p["moved_vertices"]);
        // Distances in world units: the jitter, not its share of the scale.
        EXPECT_LE(m["largest_distance"].get<double>(), 0.03 * std::sqrt(2.0) + 1e-5);
        EXPECT_GT(m["largest_distance"].get<double>(), 0.0);
    }
}
