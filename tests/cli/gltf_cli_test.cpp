// glTF through the `twinel` command: the example character paired with
// "Symmerize Skin", and every glTF the command writes checked by the glTF
// validator.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <map>
#include <string>

#include "host/application.h"
#include "host/mesh_shape.h"
#include "host/scene.h"
#include "host/io/scene_files.h"
#include "tests/cli/cli_runner.h"

using twinel_test::example;
using twinel_test::read_file;
using twinel_test::run_twinel;
using twinel_test::temp_dir;

namespace {

// The name of a joint of the other side.
std::string mirror_name(const std::string& name) {
    for (const auto& [a, b] : {std::pair<std::string, std::string>{"l_", "r_"}, {"r_", "l_"}})
        if (name.rfind(a, 0) == 0) return b + name.substr(a.size());
    return name;
}

TEST(gltf_cli, the_checked_in_character_is_the_generators) {
    const temp_dir dir;
    ASSERT_EQ(run_twinel("generate character -o " + dir.path("c.glb")).exit_code, 0);
    EXPECT_EQ(read_file(dir.path("c.glb")), read_file(example("character.glb")))
        << "regenerate it: twinel generate character -o examples/character.glb";
}

TEST(gltf_cli, pair_with_sym_skin_mirrors_positions_and_weights_by_joint_name) {
    const temp_dir dir;
    const auto r = run_twinel("pair " + example("character.glb") + " -o " + dir.path("out.glb") + " --sym-skin");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ((r.out + r.err).find("warning:"), std::string::npos) << r.out;  // nothing was left out
    host::application app;
    host::scene& s = app.new_scene();
    host::import_file(s, dir.path("out.glb"));
    const auto& body = dynamic_cast<host::mesh_shape&>(*s.get_shape_by_name("body")).data();
    std::map<std::array<float, 3>, int> at;
    for (int v = 0; v < body.vertex_count(); ++v)
        at[{body.positions[v].x, body.positions[v].y, body.positions[v].z}] = v;
    int mirrored = 0;
    for (int v = 0; v < body.vertex_count(); ++v) {
        const vec3& p = body.positions[v];
        if (!(p.x < 0.0f)) continue;
        const auto partner = at.find({-p.x, p.y, p.z});
        ASSERT_NE(partner, at.end()) << "vertex " << v << " has no exact mirror";
        const auto& mine = body.skins[body.vertex_skin[v]].binds;
        const auto& theirs = body.skins[body.vertex_skin[partner->second]].binds;
        ASSERT_EQ(mine.size(), theirs.size()) << v;
        for (std::size_t b = 0; b < mine.size(); ++b) {
            EXPECT_EQ(mine[b].joint->get_name(), mirror_name(theirs[b].joint->get_name())) << v;
            EXPECT_EQ(mine[b].weight, theirs[b].weight) << v;
        }
        ++mirrored;
    }
    EXPECT_GT(mirrored, body.vertex_count() / 3);
}

TEST(gltf_cli, an_obj_of_a_gltf_mesh_names_its_materials) {
    const temp_dir dir;
    const auto r = run_twinel("convert " + example("character.glb") + " -o " + dir.path("body.obj"));
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const std::string obj = read_file(dir.path("body.obj"));
    EXPECT_NE(obj.find("\nusemtl upper\n"), std::string::npos);
    EXPECT_NE(obj.find("\nusemtl lower\n"), std::string::npos);
}

TEST(gltf_cli, every_gltf_output_passes_the_validator) {
    if (std::string(TWINEL_GLTF_NODE).empty()) GTEST_SKIP() << "node is not installed";
    const temp_dir dir;
    const std::string c = example("character.glb");
    for (const std::string& args :
         {"convert " + c + " -o " + dir.path("copy.gltf"), "pair " + c + " -o " + dir.path("paired.glb") + " --sym-skin",
          "generate half-torus --uvs -o " + dir.path("half.glb"),
          "mirror-half " + dir.path("half.glb") + " -o " + dir.path("whole.gltf"),
          "convert " + example("rig.json") + " -o " + dir.path("rig.glb")}) {
        const auto r = run_twinel(args);
        ASSERT_EQ(r.exit_code, 0) << args << "\n" << r.err;
    }
    // Some shapes only: the nodes of the others are left out.
    twinel_test::write_file(dir.path("part.twinel"), "open " + c + "\nsave " + dir.path("part.glb") + " spine body\n");
    const auto part = run_twinel("script " + dir.path("part.twinel"));
    ASSERT_EQ(part.exit_code, 0) << part.err;
    const std::string command = std::string("NODE_PATH=") + TWINEL_GLTF_VALIDATOR_MODULES + " " + TWINEL_GLTF_NODE +
                                " " + TWINEL_SOURCE_DIR + "/tests/gltf/validate.js " + c + " " + dir.path("copy.gltf") +
                                " " + dir.path("paired.glb") + " " + dir.path("half.glb") + " " +
                                dir.path("whole.gltf") + " " + dir.path("rig.glb") + " " + dir.path("part.glb") + " > " + dir.path("report.txt") +
                                " 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << read_file(dir.path("report.txt"));
}

}  // namespace
