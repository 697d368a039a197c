// The `twinel` command as a user runs it: exit codes, messages, files.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

#include "cli/text_width.h"

#include "tests/cli/cli_runner.h"

using twinel_test::example;
using twinel_test::read_file;
using twinel_test::run_twinel;
using twinel_test::temp_dir;
using twinel_test::write_file;

TEST(cli_info, shows_the_registry_read_through_the_entry_points) {
    const auto r = run_twinel("info");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_NE(r.out.find("version    10.0.0 build 9"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("window interfaces (has_interface: 1)"), std::string::npos);
    EXPECT_NE(r.out.find("modifier interfaces (has_interface: 4)"), std::string::npos);
    EXPECT_NE(r.out.find("0  twinel           uuid 5006100A-53B811D9-BCFF000A-95BACEB2  resident"), std::string::npos);
    EXPECT_NE(r.out.find("0  Remove_edges     uuid 50061000-53B811D9-BCFF000A-95BACEB2  resident"), std::string::npos);
    EXPECT_NE(r.out.find("3  Paste_to_plane   uuid 50061003-53B811D9-BCFF000A-95BACEB2  not resident"),
              std::string::npos);
}

TEST(cli_info, gives_the_same_registry_as_json) {
    const auto r = run_twinel("info --json");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const auto info = nlohmann::json::parse(r.out);
    EXPECT_EQ(info["version"]["build"], 9);
    EXPECT_EQ(info["modifier"]["has_interface"], 4);
    EXPECT_EQ(info["modifier"]["interfaces"][3]["name"], "Paste_to_plane");
    EXPECT_FALSE(info["modifier"]["interfaces"][3]["resident"].get<bool>());
    EXPECT_EQ(info["window"]["interfaces"][0]["uuid"], "5006100A-53B811D9-BCFF000A-95BACEB2");
}

TEST(cli_info, version_and_bad_usage) {
    EXPECT_EQ(run_twinel("--version").out, "twinel 10.0.0, build 9\n");
    EXPECT_EQ(run_twinel("").exit_code, 2);
    EXPECT_EQ(run_twinel("--lang de info").exit_code, 2);
    EXPECT_EQ(run_twinel("no-such-command").exit_code, 2);
}

TEST(cli_info, a_missing_plugin_is_a_clear_error) {
    const auto r = run_twinel("--plugin /nonexistent/twinel.so info");
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.err.find("/nonexistent/twinel.so"), std::string::npos) << r.err;
}

TEST(cli_convert, round_trips_the_example_bit_for_bit) {
    temp_dir tmp;
    const auto r = run_twinel("convert '" + example("torus.obj") + "' -o '" + tmp.path("t.obj") + "'");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(read_file(tmp.path("t.obj")), read_file(example("torus.obj")));
    EXPECT_NE(r.out.find("torus: 242 vertices, 484 edges, 242 faces"), std::string::npos) << r.out;
}

TEST(cli_convert, file_names_are_utf8_through_every_format) {
    temp_dir tmp;
    const std::string obj = tmp.path("トーラス.obj"), scene = tmp.path("場面 ü.json"), back = tmp.path("戻り.obj");
    for (const auto& [from, to] : {std::pair{example("torus.obj"), obj}, {obj, scene}, {scene, back}}) {
        const auto r = run_twinel("convert '" + from + "' -o '" + to + "'");
        ASSERT_EQ(r.exit_code, 0) << r.err;
        EXPECT_NE(r.out.find("wrote " + to), std::string::npos) << r.out;
    }
    EXPECT_EQ(read_file(back), read_file(example("torus.obj")));
    const auto missing = run_twinel("convert '" + tmp.path("無い.obj") + "' -o '" + back + "'");
    // An unnamed object is named after its file.
    write_file(tmp.path("帯.obj"), twinel_test::strip_obj);
    const auto named = run_twinel("convert --json '" + tmp.path("帯.obj") + "' -o '" + tmp.path("帯2.obj") + "'");
    EXPECT_NE(named.out.find("\"name\": \"帯\""), std::string::npos) << named.out;
    EXPECT_EQ(missing.exit_code, 2);
    EXPECT_NE(missing.err.find(tmp.path("無い.obj")), std::string::npos) << missing.err;
}

TEST(cli_convert, a_malformed_file_names_file_and_line_and_writes_nothing) {
    temp_dir tmp;
    write_file(tmp.path("bad.obj"), "v 0 0 0\nv 1 0 0\nv 1 1 zero\nf 1 2 3\n");
    const auto r = run_twinel("convert '" + tmp.path("bad.obj") + "' -o '" + tmp.path("out.obj") + "'");
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.err.find(tmp.path("bad.obj") + ":3:"), std::string::npos) << r.err;
    EXPECT_TRUE(read_file(tmp.path("out.obj")).empty());
}

TEST(cli_convert, never_writes_over_its_input) {
    temp_dir tmp;
    write_file(tmp.path("in.obj"), read_file(example("torus.obj")));
    const auto r = run_twinel("convert '" + tmp.path("in.obj") + "' -o '" + tmp.path("./in.obj") + "'");
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(read_file(tmp.path("in.obj")), read_file(example("torus.obj")));
}

TEST(cli_check, finds_each_fault_of_the_broken_example) {
    const auto r = run_twinel("check --json '" + example("broken.obj") + "'");
    ASSERT_EQ(r.exit_code, 1) << r.err;  // a gate: faults found
    const auto report = nlohmann::json::parse(r.out);
    ASSERT_EQ(report["shapes"].size(), 1u);
    const auto& s = report["shapes"][0];
    EXPECT_EQ(s["name"], "broken");
    EXPECT_EQ(s["vertices"], 16);
    EXPECT_EQ(s["faces"], 9);
    EXPECT_EQ(s["invalid_faces"], nlohmann::json({6}));
    EXPECT_EQ(s["over4_faces"], nlohmann::json({4}));
    EXPECT_FALSE(s["overlapped_faces"].empty());
    EXPECT_FALSE(s["trident_edges"].empty());
    EXPECT_FALSE(s["directions_consistent"].get<bool>());
}

TEST(cli_check, its_columns_line_up_by_display_width_in_japanese) {
    const auto r = run_twinel("--lang ja check '" + example("broken.obj") + "'");
    EXPECT_EQ(r.exit_code, 1);
    // The five rows of counts: each count ends at the same column.
    std::istringstream lines(r.out);
    std::string line;
    std::getline(lines, line);
    std::set<int> ends;
    for (int row = 0; row < 5 && std::getline(lines, line); ++row) {
        // Two spaces stand between the count and the list of indices, and
        // nowhere within the list.
        ends.insert(cli::display_width(line.substr(0, line.rfind("  "))));
    }
    EXPECT_EQ(ends.size(), 1u) << r.out;
}

TEST(cli_check, a_clean_mesh_reports_nothing) {
    const auto r = run_twinel("check --json '" + example("torus.obj") + "'");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const auto s = nlohmann::json::parse(r.out)["shapes"][0];
    for (const char* key : {"invalid_faces", "overlapped_faces", "trident_faces", "trident_edges", "over4_faces"})
        EXPECT_TRUE(s[key].empty()) << key;
    EXPECT_TRUE(s["directions_consistent"].get<bool>());
}

TEST(cli_repair, runs_the_steps_in_order_with_the_palette_messages) {
    temp_dir tmp;
    const auto r = run_twinel("repair --all '" + example("broken.obj") + "' -o '" + tmp.path("r.obj") + "'");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const auto reduced = r.out.find("Reduced duplicated vertices: 2 removed.");
    const auto removed = r.out.find("Removed       1 invalide faces.");
    ASSERT_NE(reduced, std::string::npos) << r.out;
    ASSERT_NE(removed, std::string::npos) << r.out;
    EXPECT_LT(reduced, removed);
    const auto check = nlohmann::json::parse(run_twinel("check --json '" + tmp.path("r.obj") + "'").out);
    EXPECT_TRUE(check["shapes"][0]["invalid_faces"].empty());
    EXPECT_EQ(check["shapes"][0]["vertices"], 14);
}

TEST(cli_repair, speaks_japanese_and_reports_a_clean_mesh) {
    temp_dir tmp;
    const auto r = run_twinel("--lang ja repair --face-directions --invalid-faces '" + example("torus.obj") +
                              "' -o '" + tmp.path("r.obj") + "'");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_NE(r.out.find("法線が反転した面はありません。"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("異常な面はありません。"), std::string::npos);
    EXPECT_EQ(r.out.find("No abnormal faces."), std::string::npos);
    const auto english = run_twinel("repair --face-directions --invalid-faces '" + example("torus.obj") + "' -o '" +
                                    tmp.path("e.obj") + "'");
    EXPECT_NE(english.out.find("No inverted normal faces."), std::string::npos) << english.out;
    EXPECT_NE(english.out.find("No abnormal faces."), std::string::npos);
    EXPECT_EQ(read_file(tmp.path("r.obj")), read_file(example("torus.obj")));
}

TEST(cli_repair, needs_a_step) {
    temp_dir tmp;
    EXPECT_EQ(run_twinel("repair '" + example("torus.obj") + "' -o '" + tmp.path("r.obj") + "'").exit_code, 2);
}

TEST(cli_generate, writes_the_same_mesh_for_the_same_seed) {
    temp_dir tmp;
    const auto a = run_twinel("generate torus --vertices 200 --jitter 0.001 --seed 7 -o '" + tmp.path("a.obj") + "'");
    const auto b = run_twinel("generate torus --vertices 200 --jitter 0.001 --seed 7 -o '" + tmp.path("b.obj") + "'");
    const auto c = run_twinel("generate torus --vertices 200 --jitter 0.001 --seed 8 -o '" + tmp.path("c.obj") + "'");
    ASSERT_EQ(a.exit_code, 0) << a.err;
    EXPECT_EQ(read_file(tmp.path("a.obj")), read_file(tmp.path("b.obj")));
    EXPECT_NE(read_file(tmp.path("a.obj")), read_file(tmp.path("c.obj")));
    const auto check = nlohmann::json::parse(run_twinel("check --json '" + tmp.path("a.obj") + "'").out);
    EXPECT_TRUE(check["shapes"][0]["directions_consistent"].get<bool>());
    EXPECT_EQ(run_twinel("generate torus --vertices 0 -o '" + tmp.path("d.obj") + "'").exit_code, 2);
}
