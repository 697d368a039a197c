// glTF in and out of the reference host: round trips keep what was not
// edited bit for bit, edited meshes are split again in the file's vertex
// order, bad files fail naming the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "host/io/gltf_character.h"
#include "host/io/gltf_reader.h"
#include "host/io/gltf_writer.h"
#include "host/io/gltf_source.h"
#include "host/mesh_shape.h"
#include "host/part.h"
#include "host/scene.h"
#include "host/io/scene_files.h"
#include "tests/common/mesh_builder.h"

namespace {

namespace fs = std::filesystem;

class gltf_files : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("twinel_gltf_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

std::string bytes_of(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

tinygltf::Model load(const std::string& path) {
    tinygltf::TinyGLTF loader;
    loader.SetImageLoader([](tinygltf::Image*, const int, std::string*, std::string*, int, int, const unsigned char*,
                             int, void*) { return true; },
                          nullptr);
    tinygltf::Model m;
    std::string err, warn;
    const bool ok = path.size() > 4 && path.compare(path.size() - 4, 4, ".glb") == 0
                        ? loader.LoadBinaryFromFile(&m, &err, &warn, path)
                        : loader.LoadASCIIFromFile(&m, &err, &warn, path);
    EXPECT_TRUE(ok) << err;
    return m;
}

// Element i of accessor a, as bytes.
std::string element(const tinygltf::Model& m, int a, std::size_t i) {
    const host::gltf_accessor_view v = host::gltf_view(m, a, "test", "accessor");
    return std::string(reinterpret_cast<const char*>(v.element(i)), v.size);
}

std::string all_elements(const tinygltf::Model& m, int a) {
    std::string out;
    for (std::size_t i = 0; i < m.accessors[static_cast<std::size_t>(a)].count; ++i) out += element(m, a, i);
    return out;
}

host::mesh_shape& body(host::scene& s) { return dynamic_cast<host::mesh_shape&>(*s.get_shape_by_name("body")); }

TEST_F(gltf_files, a_round_trip_keeps_every_accessor_and_member_bit_for_bit) {
    const std::string in = path("character.glb");
    const int host_vertices = host::write_character(in, host::character_options());
    twinel_test::test_scene t;
    std::vector<std::string> warnings;
    host::import_file(t.scene(), in, nullptr, &warnings);
    EXPECT_TRUE(warnings.empty()) << warnings.front();

    // Seams: one host vertex per position, more glTF vertices than that.
    const tinygltf::Model original = load(in);
    const host::mesh_data& d = body(t.scene()).data();
    EXPECT_EQ(d.vertex_count(), host_vertices);
    std::size_t gltf_vertices = 0;
    for (const tinygltf::Primitive& p : original.meshes[0].primitives)
        gltf_vertices += original.accessors[static_cast<std::size_t>(p.attributes.at("POSITION"))].count;
    EXPECT_GT(gltf_vertices, static_cast<std::size_t>(host_vertices));
    ASSERT_EQ(original.meshes[0].primitives.size(), 2u);
    EXPECT_EQ(d.extras.styles.size(), 2u);
    EXPECT_FALSE(d.skins.empty());
    // Node transforms: the arm's translation and turn about z.
    const mat4 arm = dynamic_cast<host::shape&>(*t.scene().get_shape_by_name("l_arm")).local_matrix();
    EXPECT_EQ(arm.m[3][0], 1.0f);
    EXPECT_NEAR(arm.m[0][1], std::sin(0.25f), 1e-6f);

    // Nothing edited: the same bytes, and as text the same accessors and
    // members.
    const std::vector<const host::shape*> all{&t.scene().root()};
    host::export_file(t.scene(), all, path("again.glb"), host::obj_uv_set::parameter, &warnings);
    EXPECT_EQ(bytes_of(path("again.glb")), bytes_of(in));
    host::export_file(t.scene(), all, path("again.gltf"), host::obj_uv_set::parameter, &warnings);
    EXPECT_TRUE(warnings.empty());
    const tinygltf::Model text = load(path("again.gltf"));
    ASSERT_EQ(text.accessors.size(), original.accessors.size());
    for (std::size_t a = 0; a < original.accessors.size(); ++a)
        EXPECT_EQ(all_elements(text, static_cast<int>(a)), all_elements(original, static_cast<int>(a))) << a;
    EXPECT_TRUE(text.asset == original.asset);
    EXPECT_TRUE(text.nodes == original.nodes);
    EXPECT_TRUE(text.meshes == original.meshes);
    EXPECT_TRUE(text.skins == original.skins);
    EXPECT_TRUE(text.materials == original.materials);
    EXPECT_TRUE(text.animations == original.animations);
}

// Appends floats to buffer 0 as a new accessor.
int add_floats(tinygltf::Model& m, const std::vector<float>& values, int type, bool bounds) {
    std::vector<unsigned char>& buf = m.buffers[0].data;
    tinygltf::BufferView v;
    v.buffer = 0;
    v.byteOffset = buf.size();
    v.byteLength = values.size() * 4;
    buf.insert(buf.end(), reinterpret_cast<const unsigned char*>(values.data()),
               reinterpret_cast<const unsigned char*>(values.data() + values.size()));
    m.bufferViews.push_back(v);
    tinygltf::Accessor a;
    a.bufferView = static_cast<int>(m.bufferViews.size()) - 1;
    a.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
    a.type = type;
    const int n = tinygltf::GetNumComponentsInType(static_cast<std::uint32_t>(type));
    a.count = values.size() / static_cast<std::size_t>(n);
    if (bounds) {
        a.minValues.assign(static_cast<std::size_t>(n), 1e9);
        a.maxValues.assign(static_cast<std::size_t>(n), -1e9);
        for (std::size_t i = 0; i < values.size(); ++i) {
            a.minValues[i % n] = std::min(a.minValues[i % n], static_cast<double>(values[i]));
            a.maxValues[i % n] = std::max(a.maxValues[i % n], static_cast<double>(values[i]));
        }
    }
    m.accessors.push_back(a);
    return static_cast<int>(m.accessors.size()) - 1;
}

TEST_F(gltf_files, an_edited_mesh_is_split_again_in_the_vertex_order_it_was_read_with) {
    // The character with what the host does not model on its first
    // primitive: tangents and a morph target.
    const std::string in = path("character.glb");
    host::write_character(path("plain.glb"), host::character_options());
    {
        tinygltf::Model m = load(path("plain.glb"));
        tinygltf::Primitive& p = m.meshes[0].primitives[0];
        const std::size_t n = m.accessors[static_cast<std::size_t>(p.attributes.at("POSITION"))].count;
        std::vector<float> tangents, deltas;
        for (std::size_t i = 0; i < n; ++i) {
            tangents.insert(tangents.end(), {1.0f, 0.0f, 0.0f, i % 2 ? 1.0f : -1.0f});
            deltas.insert(deltas.end(), {0.0f, 0.001f * static_cast<float>(i), 0.0f});
        }
        p.attributes["TANGENT"] = add_floats(m, tangents, TINYGLTF_TYPE_VEC4, false);
        p.targets.push_back({{"POSITION", add_floats(m, deltas, TINYGLTF_TYPE_VEC3, true)}});
        std::vector<float> none(3 * m.accessors[static_cast<std::size_t>(m.meshes[0].primitives[1].attributes.at("POSITION"))].count);
        m.meshes[0].primitives[1].targets.push_back({{"POSITION", add_floats(m, none, TINYGLTF_TYPE_VEC3, true)}});
        m.meshes[0].weights = {0.5};
        std::ofstream(in, std::ios::binary) << host::gltf_bytes(m, true);
    }
    const tinygltf::Model original = load(in);
    std::mt19937 rng(7);
    for (int round = 0; round < 3; ++round) {
        twinel_test::test_scene t;
        host::import_file(t.scene(), in);
        host::mesh_shape& shape = body(t.scene());
        // Move some host vertices; give the mesh a face Twinel made.
        host::mesh_data& d = shape.edit_data();
        std::vector<vec3> moved = d.positions;
        for (vec3& p : moved)
            if (rng() % 3 == 0) p.z += 0.001f * static_cast<float>(rng() % 100 + 1);
        d.positions = moved;
        const std::int32_t v = d.add_vertex(vec3(0.0f, 5.0f, 0.0f));
        const std::int32_t corners[3] = {0, 1, v};
        d.add_face(3, corners);
        std::vector<std::string> warnings;
        host::export_file(t.scene(), {&t.scene().root()}, path("edited.glb"), host::obj_uv_set::parameter, &warnings);
        const tinygltf::Model out = load(path("edited.glb"));

        // The host vertex of each glTF vertex as read.
        const host::gltf_mesh_instance& inst = t.scene().gltf_document()->instances[0];
        std::vector<int> host_of(static_cast<std::size_t>(inst.first.back() + inst.vertex_count.back()), -1);
        for (std::size_t c = 0; c < inst.as_read.corner_vertex.size(); ++c)
            host_of[static_cast<std::size_t>(inst.as_read.extras.corner_uv_source[c])] = inst.as_read.corner_vertex[c];
        std::size_t added = 0;
        for (std::size_t p = 0; p < 2; ++p) {
            const tinygltf::Primitive& a = original.meshes[0].primitives[p];
            const tinygltf::Primitive& b = out.meshes[0].primitives[p];
            ASSERT_EQ(a.attributes.size(), b.attributes.size());
            const std::size_t count = original.accessors[static_cast<std::size_t>(a.attributes.at("POSITION"))].count;
            added += out.accessors[static_cast<std::size_t>(b.attributes.at("POSITION"))].count - count;
            for (const auto& [name, acc] : a.attributes)
                for (std::size_t i = 0; i < count; ++i) {
                    std::string want = element(original, acc, i);
                    if (name == "POSITION") {
                        const vec3& q = moved[static_cast<std::size_t>(host_of[inst.first[p] + i])];
                        want.assign(reinterpret_cast<const char*>(&q), 12);
                    }
                    ASSERT_EQ(element(out, b.attributes.at(name), i), want) << name << " " << i;
                }
            for (std::size_t t = 0; t < a.targets.size(); ++t)
                for (std::size_t i = 0; i < count; ++i)
                    ASSERT_EQ(element(out, b.targets[t].at("POSITION"), i), element(original, a.targets[t].at("POSITION"), i));
            const std::string ia = all_elements(original, a.indices), ib = all_elements(out, b.indices);
            EXPECT_EQ(ib.substr(0, ia.size()), ia);
        }
        EXPECT_EQ(added, 3u);  // the new face's corners come after the file's vertices
        // The animation's data stays as it was.
        const tinygltf::AnimationSampler& s = out.animations[0].samplers[0];
        EXPECT_EQ(all_elements(out, s.output), all_elements(original, original.animations[0].samplers[0].output));
    }
}

TEST_F(gltf_files, shapes_not_written_leave_out_their_nodes_and_what_names_them) {
    const std::string in = path("character.glb");
    host::write_character(in, host::character_options());
    twinel_test::test_scene first;
    host::scene& s = first.scene();
    host::import_file(s, in);
    // r_arm and r_leg are no joints.
    s.remove_shape(*s.get_shape_by_name("r_arm"));
    s.remove_shape(*s.get_shape_by_name("r_leg"));
    host::file_warnings warnings;
    host::export_file(s, {&s.root()}, path("out.glb"), host::obj_uv_set::parameter, &warnings);
    const tinygltf::Model m = load(path("out.glb"));
    std::vector<std::string> names;
    for (const tinygltf::Node& n : m.nodes) names.push_back(n.name);
    EXPECT_EQ(names, (std::vector<std::string>{"skeleton", "spine", "l_arm", "l_leg", "body"}));
    EXPECT_EQ(m.nodes[0].children, (std::vector<int>{1, 3}));
    EXPECT_EQ(m.nodes[1].children, (std::vector<int>{2}));
    EXPECT_EQ(m.scenes[0].nodes, (std::vector<int>{0, 4}));
    EXPECT_EQ(m.skins[0].joints, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(m.nodes[4].skin, 0);
    ASSERT_EQ(m.animations.size(), 1u);
    EXPECT_EQ(m.animations[0].channels[0].target_node, 2);

    // A skin's joint, and every node above it, stays even when its shape is
    // not written.
    twinel_test::test_scene second;
    host::scene& t = second.scene();
    host::import_file(t, in);
    t.remove_shape(*t.get_shape_by_name("l_arm"));
    warnings.clear();
    host::export_file(t, {&t.root()}, path("joint.glb"), host::obj_uv_set::parameter, &warnings);
    EXPECT_EQ(load(path("joint.glb")).nodes.size(), 7u);
    EXPECT_NE(std::string(warnings.empty() ? "" : warnings.back()).find("a skin's joint"), std::string::npos);

}

TEST_F(gltf_files, bad_files_fail_naming_the_file_and_add_nothing) {
    const std::string glb = path("character.glb");
    host::write_character(glb, host::character_options());
    const std::string bytes = bytes_of(glb);
    std::ofstream(path("truncated.glb"), std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    std::ofstream(path("missing.gltf"))
        << R"({"asset":{"version":"2.0"},"buffers":[{"uri":"missing.bin","byteLength":36}]})";
    // Three positions in a 36-byte buffer, read as a hundred; and as 2^30 + 1
    // with a stride of 12, whose span wraps to 12 bytes in 32-bit arithmetic.
    const auto three_positions = [&](const char* name, const char* count, const char* stride) {
        std::ofstream(path(name))
            << R"({"asset":{"version":"2.0"},"buffers":[{"uri":"data:application/octet-stream;base64,)"
            << "AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAA"
            << R"(","byteLength":36}],"bufferViews":[{"buffer":0,"byteLength":36)" << stride << "}],"
            << R"("accessors":[{"bufferView":0,"componentType":5126,"count":)" << count << R"(,"type":"VEC3"}],)"
            << R"("meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],"nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}]})";
    };
    three_positions("accessor.gltf", "100", "");
    three_positions("wrapping.gltf", "1073741825", R"(,"byteStride":12)");
    for (const char* name : {"truncated.glb", "missing.gltf", "accessor.gltf", "wrapping.gltf"}) {
        twinel_test::test_scene t;
        try {
            host::import_file(t.scene(), path(name));
            ADD_FAILURE() << name << " was read";
        } catch (const host::file_error& e) {
            EXPECT_EQ(std::string(e.what()).rfind(path(name), 0), 0u) << e.what();
            if (std::string(name) == "accessor.gltf" || std::string(name) == "wrapping.gltf") {
                EXPECT_NE(std::string(e.what()).find("meshes/0/primitives/0/attributes/POSITION"), std::string::npos)
                    << e.what();
            }
        }
        EXPECT_EQ(t.scene().root().get_number_of_sons(), 0) << name;
        EXPECT_EQ(t.scene().gltf_document(), nullptr);
    }
}

}  // namespace
