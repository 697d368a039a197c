// `twinel pair` and `twinel mirror-half` on generated meshes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <set>

#include <nlohmann/json.hpp>

#include "host/io/obj_format.h"
#include "tests/cli/cli_runner.h"

using twinel_test::example;
using twinel_test::read_file;
using twinel_test::run_twinel;
using twinel_test::temp_dir;

namespace {

std::uint32_t bits(float f) {
    std::uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

// Every vertex has a vertex at its mirror across x = 0, bit for bit, and
// vertices on the plane have x exactly 0 (positive zero or negative zero).
::testing::AssertionResult bit_exactly_symmetric(const host::mesh_data& m) {
    std::multiset<std::array<std::uint32_t, 3>> keys;
    for (const vec3& p : m.positions) keys.insert({bits(p.x), bits(p.y), bits(p.z)});
    for (int v = 0; v < m.vertex_count(); ++v) {
        const vec3& p = m.positions[v];
        if (p.x == 0.0f) continue;
        if (!keys.count({bits(-p.x), bits(p.y), bits(p.z)}))
            return ::testing::AssertionFailure() << "vertex " << v << " has no exact mirror";
    }
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(cli_pair, makes_the_jittered_example_exactly_symmetric_keeping_its_order) {
    temp_dir tmp;
    const auto r = run_twinel("pair '" + example("torus.obj") + "' -o '" + tmp.path("p.obj") + "' --report '" +
                              tmp.path("r.json") + "'");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const auto report = nlohmann::json::parse(read_file(tmp.path("r.json")));
    const auto& s = report["shapes"][0];
    EXPECT_EQ(s["unpaired_vertices"], 0);
    EXPECT_EQ(s["unpaired_faces"], 0);
    EXPECT_TRUE(s["message"].is_null());
    EXPECT_TRUE(report["seconds"].contains("pair"));

    const auto before = host::read_obj(example("torus.obj"));
    const auto after = host::read_obj(tmp.path("p.obj"));
    ASSERT_EQ(after.size(), 1u);
    EXPECT_TRUE(bit_exactly_symmetric(after[0].mesh));
    // Same order: the positive side and the faces are untouched.
    ASSERT_EQ(after[0].mesh.vertex_count(), before[0].mesh.vertex_count());
    EXPECT_EQ(after[0].mesh.corner_vertex, before[0].mesh.corner_vertex);
    for (int v = 0; v < before[0].mesh.vertex_count(); ++v) {
        if (before[0].mesh.positions[v].x > 0.01f) {
            EXPECT_EQ(after[0].mesh.positions[v], before[0].mesh.positions[v]);
        }
    }
}

TEST(cli_pair, a_failed_pairing_prints_the_message_and_writes_nothing) {
    temp_dir tmp;
    ASSERT_EQ(run_twinel("generate torus --vertices 200 --jitter 0.5 -o '" + tmp.path("far.obj") + "'").exit_code, 0);
    const auto r = run_twinel("pair '" + tmp.path("far.obj") + "' -o '" + tmp.path("p.obj") + "' --report '" +
                              tmp.path("r.json") + "'");
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.err.find("To many unmatch vertices"), std::string::npos) << r.err;
    EXPECT_TRUE(read_file(tmp.path("p.obj")).empty());
    const auto report = nlohmann::json::parse(read_file(tmp.path("r.json")));
    EXPECT_EQ(report["shapes"][0]["message"], "To many unmatch vertices");

    const auto ja = run_twinel("--lang ja pair '" + tmp.path("far.obj") + "' -o '" + tmp.path("p.obj") + "'");
    EXPECT_EQ(ja.exit_code, 1);
    EXPECT_EQ(ja.err.find("To many unmatch vertices"), std::string::npos) << ja.err;
}

TEST(cli_pair, mirror_half_closes_the_half_torus) {
    temp_dir tmp;
    ASSERT_EQ(run_twinel("generate half-torus --vertices 300 -o '" + tmp.path("half.obj") + "'").exit_code, 0);
    const auto r = run_twinel("mirror-half '" + tmp.path("half.obj") + "' -o '" + tmp.path("full.obj") + "'");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const auto check = nlohmann::json::parse(run_twinel("check --json '" + tmp.path("full.obj") + "'").out);
    const auto& s = check["shapes"][0];
    EXPECT_TRUE(s["directions_consistent"].get<bool>());
    EXPECT_TRUE(s["trident_edges"].empty());
    EXPECT_EQ(s["edges"].get<int>() * 2, s["faces"].get<int>() * 4);  // closed quad mesh: every edge has two faces
    EXPECT_TRUE(bit_exactly_symmetric(host::read_obj(tmp.path("full.obj"))[0].mesh));
}

TEST(cli_pair, mirror_half_refuses_the_average_base_side) {
    temp_dir tmp;
    ASSERT_EQ(run_twinel("generate half-torus --vertices 100 -o '" + tmp.path("half.obj") + "'").exit_code, 0);
    const auto r = run_twinel("mirror-half --base average '" + tmp.path("half.obj") + "' -o '" + tmp.path("f.obj") + "'");
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.err.find("Can't make Twinel at base side is average."), std::string::npos) << r.err;
}

TEST(cli_pair, the_made_half_takes_materials_smoothing_and_colours_from_its_mirror) {
    temp_dir tmp;
    ASSERT_EQ(run_twinel("generate half-torus --vertices 200 -o '" + tmp.path("half.obj") + "'").exit_code, 0);
    // The half as a modeller might write it: a material, smoothing and a
    // colour per vertex.
    std::string text = "mtllib t.mtl\nusemtl red\ns 1\n";
    const std::string plain = read_file(tmp.path("half.obj"));
    for (std::size_t i = 0; i < plain.size();) {
        const std::size_t e = plain.find('\n', i);
        const std::string line = plain.substr(i, e - i);
        text += line + (line.rfind("v ", 0) == 0 ? " 1 0.5 0\n" : "\n");
        i = e + 1;
    }
    twinel_test::write_file(tmp.path("styled.obj"), text);
    const auto r = run_twinel("mirror-half '" + tmp.path("styled.obj") + "' -o '" + tmp.path("full.obj") + "'");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const host::obj_contents back = host::read_obj_contents(tmp.path("full.obj"));
    const host::mesh_data& m = back.objects.at(0).mesh;
    EXPECT_TRUE(m.valid());
    ASSERT_EQ(m.extras.styles.size(), 1u);
    EXPECT_EQ(m.extras.styles[0].material, "red");
    EXPECT_EQ(m.extras.styles[0].smoothing, "1");
    EXPECT_EQ(std::count(m.extras.face_style.begin(), m.extras.face_style.end(), 0), m.face_count());
    EXPECT_EQ(std::count(m.extras.vertex_flags.begin(), m.extras.vertex_flags.end(), host::vertex_has_color),
              m.vertex_count());
    EXPECT_EQ(read_file(tmp.path("full.obj")).rfind("mtllib t.mtl\n", 0), 0u);
}
