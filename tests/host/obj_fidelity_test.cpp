// OBJ files come back as they were: every element the host does not
// change, shared records, styles and naming lines; the reader gives the
// same meshes whichever way the text is cut into pieces for its threads;
// floats are written in the shortest form, as to_chars would.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "host/io/float_text.h"
#include "host/io/obj_format.h"
#include "host/mesh_algorithms.h"
#include "host/mesh_generator.h"

namespace {

std::string temp_file(const std::string& name) {
    return ::testing::TempDir() + "/obj_fidelity_" + name;
}

std::string slurp(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::string s;
    char buf[65536];
    for (std::size_t n; f && (n = std::fread(buf, 1, sizeof buf, f)) > 0;) s.append(buf, n);
    if (f) std::fclose(f);
    return s;
}

std::string written(const host::obj_contents& c, const std::string& name) {
    std::vector<host::obj_output> out;
    for (const host::obj_object& o : c.objects) out.push_back({o.name, &o.mesh});
    std::vector<host::obj_polyline_output> lines;
    for (const host::obj_polyline& l : c.polylines) lines.push_back({l.name, l.points, l.closed});
    const std::string path = temp_file(name);
    host::write_obj(path, out, host::obj_uv_set::parameter, lines);
    return slurp(path);
}

// A torus with UVs large enough for the reader to cut its file into
// several pieces, and that file's text.
host::mesh_data uv_torus() {
    host::torus_options options;
    options.target_vertices = 60000;
    options.uvs = true;
    return host::make_torus(options);
}

std::string written_text(const host::mesh_data& mesh, const std::string& name) {
    const std::string path = temp_file(name);
    host::write_obj(path, {{"t", &mesh}});
    return slurp(path);
}

// A file in the writer's own form holding every element it keeps.
const char* const every_element =
    "mtllib body.mtl\n"
    "o body\n"
    "g torso\n"
    "v 1 0 0 0.5 0.25 0.125\n"
    "v -1 0 0 0.5 0.25 0.125\n"
    "v 0 1 0 1 0 0 0.5\n"
    "v 0 0 1 2\n"
    "v 0.1 0.2 0.30000004\n"
    "vt 0 0\n"
    "vt 1 0 0.5\n"
    "vt 0.25\n"
    "vt 0.5 0.5\n"
    "vn 0 0 1\n"
    "vn 0 1 0\n"
    "usemtl skin\n"
    "s 1\n"
    "f 1/1/1 2/2/1 3/3/2\n"
    "f 2/2/1 1/1/1 4/4/2\n"
    "s off\n"
    "f 1//2 3//2 4//1\n"
    "usemtl cloth\n"
    "f 5 3 4\n"
    "g head\n"
    "v 0 2 0\n"
    "v 1 2 0\n"
    "v 0 3 0\n"
    "usemtl skin\n"
    "s 2\n"
    "f 6 7 8\n"
    "o seam\n"
    "v 0 0 0\n"
    "v 0 1 0\n"
    "v 0 2 0\n"
    "l 9 10 11\n"
    "o hoop\n"
    "v 1 0 0\n"
    "v 0 1 0\n"
    "v -1 0 0\n"
    "l 12 13 14 12\n";

}  // namespace

TEST(obj_fidelity, a_file_in_the_writers_form_comes_back_byte_for_byte) {
    const host::obj_contents c = host::read_obj_contents_text(every_element, "every.obj", "every");
    EXPECT_TRUE(c.warnings.empty());
    ASSERT_EQ(c.objects.size(), 2u);
    ASSERT_EQ(c.polylines.size(), 2u);
    EXPECT_TRUE(c.polylines[1].closed);
    const host::mesh_data& m = c.objects[0].mesh;
    EXPECT_TRUE(m.valid());
    EXPECT_EQ(m.extras.vertex_flags[0], host::vertex_has_color);
    EXPECT_EQ(m.extras.vertex_flags[3], host::vertex_has_w);
    EXPECT_EQ(m.extras.styles[m.extras.face_style[3]].material, "cloth");
    EXPECT_EQ(written(c, "every.obj"), every_element);
}

TEST(obj_fidelity, what_cannot_be_kept_is_named_and_changed_records_split) {
    const host::obj_contents c = host::read_obj_contents_text(
        "v 0 0 0\nv 1 0 0\nv 0 1 0\np 1\np 2\ncurv 0 1 1 2\nvt 0 0\nvt 1 1\nf 1/1 2/1 3/2\n", "odd.obj", "odd");
    ASSERT_EQ(c.warnings.size(), 2u);
    EXPECT_NE(c.warnings[0].find("2 'p' statements left out"), std::string::npos) << c.warnings[0];
    EXPECT_NE(c.warnings[1].find("1 'curv' statement left out"), std::string::npos) << c.warnings[1];
    host::mesh_data m = c.objects.at(0).mesh;
    m.corner_puv[1] = vec2(0.5f, 0.5f);  // the shared vt 1 no longer agrees at this corner
    const std::string path = temp_file("split.obj");
    host::write_obj(path, {{"odd", &m}});
    EXPECT_EQ(slurp(path), "o odd\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 1\nvt 0.5 0.5\nf 1/1 2/3 3/2\n");
}

TEST(obj_fidelity, pieces_and_relative_indices_read_like_one_piece) {
    // A torus large enough to be cut into several pieces, once with
    // absolute and once with relative indices: the same meshes.
    const host::mesh_data torus = uv_torus();
    const std::string text = written_text(torus, "abs.obj");
    ASSERT_GT(text.size(), 3u << 20);
    std::string relative;
    long long vertices = 0, texcoords = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t e = text.find('\n', i);
        const std::string line = text.substr(i, e - i);
        i = e + 1;
        if (line.rfind("v ", 0) == 0) ++vertices;
        if (line.rfind("vt ", 0) == 0) ++texcoords;
        if (line.rfind("f ", 0) != 0) {
            relative += line + '\n';
            continue;
        }
        relative += 'f';
        for (std::size_t p = 2; p < line.size();) {
            std::size_t q = line.find(' ', p);
            if (q == std::string::npos) q = line.size();
            const std::string corner = line.substr(p, q - p);
            const std::size_t slash = corner.find('/');
            relative += ' ' + std::to_string(std::stoll(corner.substr(0, slash)) - vertices - 1) + '/' +
                        std::to_string(std::stoll(corner.substr(slash + 1)) - texcoords - 1);
            p = q + 1;
        }
        relative += '\n';
    }
    const host::obj_contents a = host::read_obj_contents_text(text, "abs.obj", "t");
    const host::obj_contents r = host::read_obj_contents_text(relative, "rel.obj", "t");
    ASSERT_EQ(a.objects.size(), 1u);
    ASSERT_EQ(r.objects.size(), 1u);
    EXPECT_EQ(a.objects[0].mesh.corner_vertex, torus.corner_vertex);
    EXPECT_EQ(r.objects[0].mesh.corner_vertex, torus.corner_vertex);
    EXPECT_EQ(r.objects[0].mesh.corner_puv, torus.corner_puv);
    EXPECT_EQ(r.objects[0].mesh.extras.corner_uv_source, a.objects[0].mesh.extras.corner_uv_source);
    // An index out of range in the last piece is reported at its line.
    const std::string bad = text + "f 1 2 " + std::to_string(vertices + 1) + "\n";
    std::size_t lines = 0;
    for (char ch : bad) lines += ch == '\n';
    try {
        host::read_obj_contents_text(bad, "bad.obj", "t");
        ADD_FAILURE() << "no error";
    } catch (const host::file_error& e) {
        EXPECT_EQ(e.line(), static_cast<int>(lines)) << e.what();
    }
}

TEST(obj_fidelity, a_corner_off_the_one_record_per_corner_order_is_read_as_written) {
    // The writer's form gives corner k record k; one corner anywhere in a
    // file of several pieces naming another record must get that record.
    const host::mesh_data torus = uv_torus();
    const std::string text = written_text(torus, "run.obj");
    std::vector<std::size_t> faces;  // offsets of the "f " lines
    for (std::size_t i = text.find("\nf "); i != std::string::npos; i = text.find("\nf ", i + 1)) faces.push_back(i + 1);
    std::mt19937 random(7);
    for (int round = 0; round < 3; ++round) {
        const std::size_t f = std::uniform_int_distribution<std::size_t>(1, faces.size() - 1)(random);
        const std::size_t slash = text.find('/', faces[f]), end = text.find_first_of(" /\n", slash + 1);
        std::string changed = text;
        changed.replace(slash + 1, end - slash - 1, "1");
        const host::obj_contents c = host::read_obj_contents_text(changed, "run.obj", "t");
        ASSERT_EQ(c.objects.size(), 1u);
        const host::mesh_data& m = c.objects[0].mesh;
        const std::size_t k = static_cast<std::size_t>(torus.face_start[f]);
        ASSERT_EQ(m.extras.corner_uv_source.size(), torus.corner_vertex.size());
        for (std::size_t j = 0; j < torus.corner_vertex.size(); ++j) {
            const std::size_t record = j == k ? 0 : j;
            ASSERT_EQ(m.extras.corner_uv_source[j], static_cast<std::int32_t>(record)) << j;
            ASSERT_EQ(m.corner_puv[j], torus.corner_puv[record]) << j;
        }
    }
}

TEST(obj_fidelity, pieces_with_and_without_corner_records_join_in_file_order) {
    // A file of several pieces: quads with texture coordinates first, then
    // with normals only, then with neither, each kind spanning pieces.
    std::string text;
    const int rows = 60000;
    for (int i = 0; i <= rows; ++i)
        for (int y = 0; y < 2; ++y)
            text += "v " + std::to_string(i) + " " + std::to_string(y) + " 0\nvt 0." + std::to_string(2 * i + y + 1) +
                    " 1\nvn 0 0 1\n";
    const auto corner = [](int v, int kind) {
        const std::string n = std::to_string(v);
        return kind == 0 ? n + "/" + n : kind == 1 ? n + "//" + n : n;
    };
    for (int i = 0; i < rows; ++i) {
        const int kind = i * 3 / rows, a = 2 * i + 1;
        text += "f " + corner(a, kind) + " " + corner(a + 2, kind) + " " + corner(a + 3, kind) + " " + corner(a + 1, kind) + "\n";
    }
    ASSERT_GT(text.size(), 4u << 20);
    const host::obj_contents c = host::read_obj_contents_text(text, "kinds.obj", "k");
    ASSERT_EQ(c.objects.size(), 1u);
    const host::mesh_data& m = c.objects[0].mesh;
    ASSERT_EQ(m.face_count(), rows);
    ASSERT_EQ(m.corner_normal.size(), m.corner_vertex.size());
    for (int f = 0; f < rows; ++f) {
        const int kind = f * 3 / rows;
        const std::size_t s = static_cast<std::size_t>(m.face_start[f]);
        ASSERT_EQ(m.face_size[f], 4);
        ASSERT_EQ(m.corner_vertex[s + 1], 2 * f + 2) << f;
        ASSERT_EQ(m.face_has_uv[f], kind == 0 ? 1 : 0) << f;
        ASSERT_EQ(m.face_has_normals[f], kind == 1 ? 1 : 0) << f;
        if (kind == 0) {
            ASSERT_EQ(m.corner_puv[s + 2].x, std::stof("0." + std::to_string(2 * f + 4))) << f;
        }
    }
}

TEST(obj_fidelity, floats_are_written_as_the_reference_writes_them) {
    std::mt19937 rng(7);
    std::string fast, slow;
    const auto check = [&](float f) {
        fast.clear();
        slow.clear();
        host::append_float(fast, f);
        host::append_float_reference(slow, f);
        return fast == slow;
    };
    int mismatches = 0;
    for (int i = 0; i < 2000000; ++i) {
        std::uint32_t b = rng();
        if (i % 4 == 1) b = (b & 0x807fffffu) | ((100u + b % 56u) << 23);  // ordinary magnitudes
        if (i % 4 == 2) b &= 0x80ffffffu;                                   // subnormals and tiny values
        float f;
        std::memcpy(&f, &b, sizeof f);
        if (!check(f) && ++mismatches < 5) ADD_FAILURE() << fast << " != " << slow;
    }
    for (float f : {0.0f, -0.0f, 1.0f, 0.1f, 1e10f, 1e-10f, 3.4028235e38f, 1e-45f, 123456789.0f, 0.000123f})
        EXPECT_TRUE(check(f)) << fast << " != " << slow;
    EXPECT_EQ(mismatches, 0);
}
