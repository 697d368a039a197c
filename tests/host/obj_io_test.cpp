#include "host/io/obj_format.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>

#include "host/mesh_algorithms.h"
#include "host/mesh_generator.h"

namespace fs = std::filesystem;
using host::mesh_data;

namespace {

// A fresh, empty folder named after the running test.
fs::path test_folder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const fs::path dir = fs::path(::testing::TempDir()) / ("obj_io_" + std::string(info->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

std::string write_text(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
    return file.string();
}

std::string read_text(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::uint32_t bits(float f) {
    std::uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

std::vector<std::vector<int>> faces_of(const mesh_data& m) {
    std::vector<std::vector<int>> out;
    for (int f = 0; f < m.face_count(); ++f) out.emplace_back(m.face_vertices(f), m.face_vertices(f) + m.face_size[f]);
    return out;
}

std::vector<float> xs(const mesh_data& m) {
    std::vector<float> out;
    for (const vec3& p : m.positions) out.push_back(p.x);
    return out;
}

// Finite floats of every kind: random bit patterns (so every exponent,
// subnormals included) and the awkward values by name.
std::vector<float> awkward_floats(std::size_t count) {
    const float specials[] = {0.0f, -0.0f, 1.0f, -1.0f, std::numeric_limits<float>::min(),
                              std::numeric_limits<float>::denorm_min(), -std::numeric_limits<float>::denorm_min(),
                              std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
                              std::nextafter(1.0f, 2.0f), std::nextafter(1.0f, 0.0f), 16777216.0f, 3.0e-39f, 0.1f};
    std::vector<float> out(std::begin(specials), std::end(specials));
    std::mt19937 rng(3);
    while (out.size() < count) {
        const std::uint32_t b = static_cast<std::uint32_t>(rng());
        float f;
        std::memcpy(&f, &b, sizeof f);
        if (std::isfinite(f)) out.push_back(f);
    }
    return out;
}

}  // namespace

TEST(obj_io, round_trip_keeps_vertices_faces_corner_counts_and_uvs_exactly) {
    const fs::path dir = test_folder();
    host::torus_options options;
    options.uvs = true;
    options.jitter = 0.01f;
    mesh_data m = host::make_torus(options);
    const std::int32_t pentagon[5] = {0, 1, 2, 3, 4}, pair[2] = {7, 9};
    m.add_face(5, pentagon);  // no UVs
    m.add_face(2, pair);
    host::rebuild_edges(m);
    const std::string file = (dir / "torus.obj").string();

    host::write_obj(file, {{"ring", &m}});
    auto back = host::read_obj(file);
    ASSERT_EQ(back.size(), 1u);
    const mesh_data& r = back[0].mesh;
    EXPECT_EQ(back[0].name, "ring");
    ASSERT_EQ(r.vertex_count(), m.vertex_count());
    for (int v = 0; v < m.vertex_count(); ++v)
        for (int c = 0; c < 3; ++c) ASSERT_EQ(bits(r.positions[v][c]), bits(m.positions[v][c]));
    EXPECT_EQ(faces_of(r), faces_of(m));
    EXPECT_EQ(r.face_has_uv, m.face_has_uv);
    EXPECT_EQ(r.corner_puv, m.corner_puv);
    EXPECT_EQ(r.distance_uvs(), m.corner_puv);  // one set in the file feeds both
    EXPECT_EQ(r.edges, m.edges);
    EXPECT_TRUE(r.valid());

    host::write_obj(file, {{"ring", &m}}, host::obj_uv_set::distance);
    EXPECT_EQ(host::read_obj(file)[0].mesh.corner_puv, m.corner_duv);
}

TEST(obj_io, random_floats_round_trip_bit_exactly) {
    const fs::path dir = test_folder();
    const std::vector<float> values = awkward_floats(300000);
    mesh_data m;
    for (std::size_t i = 0; i + 2 < values.size(); i += 3) m.add_vertex(vec3(values[i], values[i + 1], values[i + 2]));
    // UVs go through the same number form.
    const std::int32_t tri[3] = {0, 1, 2};
    for (std::size_t i = 0; i + 5 < values.size(); i += 6) {
        const vec2 uv[3] = {{values[i], values[i + 1]}, {values[i + 2], values[i + 3]}, {values[i + 4], values[i + 5]}};
        m.add_face(3, tri, uv);
    }
    const std::string file = (dir / "floats.obj").string();
    host::write_obj(file, {{"floats", &m}});
    const mesh_data r = host::read_obj(file).at(0).mesh;
    ASSERT_EQ(r.vertex_count(), m.vertex_count());
    for (int v = 0; v < m.vertex_count(); ++v)
        for (int c = 0; c < 3; ++c)
            ASSERT_EQ(bits(r.positions[v][c]), bits(m.positions[v][c])) << "vertex " << v << " " << m.positions[v][c];
    ASSERT_EQ(r.corner_puv.size(), m.corner_puv.size());
    for (std::size_t k = 0; k < m.corner_puv.size(); ++k) {
        ASSERT_EQ(bits(r.corner_puv[k].x), bits(m.corner_puv[k].x)) << k;
        ASSERT_EQ(bits(r.corner_puv[k].y), bits(m.corner_puv[k].y)) << k;
    }
}

TEST(obj_io, objects_own_the_vertices_they_use_and_the_unused_ones_between) {
    const fs::path dir = test_folder();
    const std::string file = write_text(dir / "three.obj",
                                        "v 0 0 0\n"  // 1: unused, outside every object
                                        "o first\n"
                                        "v 1 0 0\nv 2 0 0\nv 3 0 0\nv 4 0 0\n"  // 2..5, 3 unused
                                        "f 2 4 5\n"
                                        "o second\n"
                                        "v 5 0 0\nv 6 0 0\nv 7 0 0\n"  // 6..8
                                        "f -3 -1 2\n"                  // 6 8 2: range 2..8 holds unused 3
                                        "g empty\n"                    // no faces: the next line renames it
                                        "o third\n"
                                        "f 6/1 7/2 8/3\n"
                                        "vt 0 0\nvt 1 0\nvt 1 1\n");  // forward texture coordinates
    const auto objects = host::read_obj(file);
    ASSERT_EQ(objects.size(), 3u);
    EXPECT_EQ(objects[0].name, "first");
    EXPECT_EQ(xs(objects[0].mesh), (std::vector<float>{1, 2, 3, 4}));
    EXPECT_EQ(faces_of(objects[0].mesh), (std::vector<std::vector<int>>{{0, 2, 3}}));
    EXPECT_EQ(objects[1].name, "second");
    EXPECT_EQ(xs(objects[1].mesh), (std::vector<float>{1, 5, 7}));  // 3 belongs to "first" already
    EXPECT_EQ(faces_of(objects[1].mesh), (std::vector<std::vector<int>>{{1, 2, 0}}));
    EXPECT_EQ(objects[2].name, "third");
    EXPECT_EQ(xs(objects[2].mesh), (std::vector<float>{5, 6, 7}));
    EXPECT_EQ(objects[2].mesh.corner_puv[2], vec2(1, 1));
    EXPECT_FALSE(objects[1].mesh.face_has_uv[0]);
}

TEST(obj_io, a_file_without_objects_is_one_object_named_after_it_with_every_vertex) {
    const fs::path dir = test_folder();
    const std::string file = write_text(dir / "plain.obj",
                                        "# exported\r\n"
                                        "v 9 0 0\r\nv 0 0 0\r\nv 1 0 0\r\nv 1 1 0\r\nv 8 0 0\r\n"
                                        "vt 0.5 0.25\r\n"
                                        "f 2/1 3/1 -2/-1\r\n"
                                        "f 2 4\r\n");  // a two-corner face stays as it is
    const auto objects = host::read_obj(file);
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(objects[0].name, "plain");
    EXPECT_EQ(xs(objects[0].mesh), (std::vector<float>{9, 0, 1, 1, 8}));
    EXPECT_EQ(faces_of(objects[0].mesh), (std::vector<std::vector<int>>{{1, 2, 3}, {1, 3}}));
    EXPECT_EQ(objects[0].mesh.distance_uvs()[2], vec2(0.5f, 0.25f));
    EXPECT_EQ(objects[0].mesh.edge_count(), 3);
}

TEST(obj_io, malformed_lines_are_reported_with_file_and_line) {
    const fs::path dir = test_folder();
    const std::string tri = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
    const struct {
        std::string text;
        int line;
        std::string message;
    } cases[] = {
        {"v 0 0 0\nv 1 zero 0\n", 2, "'zero' is not a number"},
        {"v 0 0 0\nv nanx 0 0\n", 2, "'nanx' is not a number"},
        {std::string("v 0 0 0\nv 1 0 0\0\n", 17), 2, "binary data (byte 0x00)"},
        {"v 0 0 0\r\nv 1 0\r\n", 2, "needs 3 coordinates"},
        {"v 0 0 0\rv 1 0 0\r\rv 1e39 0 0\r", 4, "'1e39'"},
        {"vt 0.5 0.5x\n", 1, "'0.5x'"},
        {tri + "f 1 0 2\n", 4, "vertex index 0 is not allowed"},
        {tri + "f 1 2 4\n", 4, "vertex index 4 is out of range"},
        {tri + "f 1 2 3\nf -4 1 2\n", 5, "vertex index -4 is out of range"},
        {tri + "f 1 2 3x\n", 4, "face corner '3x'"},
        {tri + "vt 0 0\nf 1/1 2 3\n", 5, "mixes corners"},
        {tri + "f 1/2 2/1 3/1\nvt 0 0\n", 4, "texture coordinate index 2 is out of range"},
        {tri + "f\n", 4, "needs corners"},
    };
    for (const auto& c : cases) {
        const std::string file = write_text(dir / "bad.obj", c.text);
        try {
            host::read_obj(file);
            ADD_FAILURE() << "no error for: " << c.text;
        } catch (const host::file_error& e) {
            EXPECT_EQ(e.line(), c.line) << c.text;
            EXPECT_EQ(std::string(e.what()).rfind(file + ":" + std::to_string(c.line) + ": ", 0), 0u) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
    try {
        host::read_obj((dir / "missing.obj").string());
        ADD_FAILURE() << "no error for a missing file";
    } catch (const host::file_error& e) {
        EXPECT_EQ(e.line(), 0);
        EXPECT_EQ(e.file(), (dir / "missing.obj").string());
    }
}

TEST(obj_io, a_failed_write_leaves_the_old_file_and_no_partial_one) {
    const fs::path dir = test_folder();
    const std::string file = write_text(dir / "out.obj", "old content\n");
    const mesh_data good = host::make_grid(50, 1.0f, true);
#ifndef _WIN32
    {
        // The disk fills up half way (a file size limit, which Windows does
        // not have): writes beyond 4 KiB fail.
        const mesh_data big = host::make_grid(5000, 1.0f, true);
        rlimit old_limit{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
        const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old_limit;
        small.rlim_cur = 4096;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        bool failed = false;
        try {
            host::write_obj(file, {{"good", &good}, {"big", &big}});
        } catch (const host::file_error& e) {
            failed = true;
            EXPECT_NE(std::string(e.what()).find(file), std::string::npos) << e.what();
        }
        setrlimit(RLIMIT_FSIZE, &old_limit);
        std::signal(SIGXFSZ, old_handler);
        EXPECT_TRUE(failed);
    }
#endif
    EXPECT_EQ(read_text(file), "old content\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    EXPECT_THROW(host::write_obj((dir / "no" / "such.obj").string(), {{"good", &good}}), host::file_error);
    EXPECT_FALSE(fs::exists(dir / "no"));

    host::write_obj(file, {{"good", &good}});
    EXPECT_EQ(host::read_obj(file).at(0).mesh.vertex_count(), good.vertex_count());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST(obj_io, nan_and_infinities_are_imported_as_they_are_and_written_back) {
    const fs::path dir = test_folder();
    const std::string file = write_text(dir / "odd.obj",
                                        "v nan 0 0\nv 1 INF 0\nv 0 1 -inf\nv -NaN +Infinity 2\n"
                                        "vt nan -inf\n"
                                        "f 1/1 2/1 3/1\n");
    const auto objects = host::read_obj(file);
    ASSERT_EQ(objects.size(), 1u);
    const mesh_data& m = objects[0].mesh;
    constexpr float inf = std::numeric_limits<float>::infinity();
    EXPECT_TRUE(std::isnan(m.positions[0].x) && !std::signbit(m.positions[0].x));
    EXPECT_EQ(m.positions[1].y, inf);
    EXPECT_EQ(m.positions[2].z, -inf);
    EXPECT_TRUE(std::isnan(m.positions[3].x) && std::signbit(m.positions[3].x));
    EXPECT_EQ(m.positions[3].y, inf);
    EXPECT_EQ(m.positions[3].z, 2.0f);
    EXPECT_TRUE(std::isnan(m.corner_puv[0].x));
    EXPECT_EQ(m.distance_uvs()[2].y, -inf);

    // Written back in the same words; finite values stay bit-exact.
    const std::string out = (dir / "back.obj").string();
    host::write_obj(out, {{"odd", &m}});
    EXPECT_NE(read_text(out).find("v -nan inf 2\n"), std::string::npos) << read_text(out);
    const mesh_data r = host::read_obj(out).at(0).mesh;
    ASSERT_EQ(r.vertex_count(), m.vertex_count());
    for (int v = 0; v < m.vertex_count(); ++v)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(bits(r.positions[v][c]), bits(m.positions[v][c])) << v << " " << c;
    EXPECT_EQ(bits(r.corner_puv[1].x), bits(m.corner_puv[1].x));
    EXPECT_EQ(faces_of(r), faces_of(m));
}

TEST(obj_io, faces_of_one_and_two_corners_and_objects_without_faces_are_kept) {
    const fs::path dir = test_folder();
    const auto one = host::read_obj(write_text(dir / "small.obj", "v 0 0 0\nv 1 0 0\nf 1\nf 1 2\n"));
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(faces_of(one[0].mesh), (std::vector<std::vector<int>>{{0}, {0, 1}}));
    EXPECT_TRUE(one[0].mesh.valid());
    const auto none = host::read_obj(write_text(dir / "points.obj", "o cloud\nv 0 0 0\nv 1 0 0\n"));
    ASSERT_EQ(none.size(), 1u);
    EXPECT_EQ(none[0].name, "cloud");
    EXPECT_EQ(none[0].mesh.vertex_count(), 2);
    EXPECT_EQ(none[0].mesh.face_count(), 0);
    const auto empty = host::read_obj(write_text(dir / "empty.obj", ""));
    ASSERT_EQ(empty.size(), 1u);
    EXPECT_EQ(empty[0].mesh.vertex_count(), 0);
}
