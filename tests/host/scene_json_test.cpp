#include "host/io/scene_json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <unordered_map>

#include <nlohmann/json.hpp>

#include "host/image.h"
#include "host/line_shape.h"
#include "host/primitive_shape.h"
#include "host/io/scene_files.h"
#include "host/scene_generator.h"
#include "host/skin_view.h"
#include "host/temp_folder.h"
#include "tests/common/mesh_builder.h"
#include "tests/support/random_draws.h"

namespace {

using twinel_test::random_draws;

// ---- Random scenes -----------------------------------------------------------

// Floats a file must bring back: ordinary values, exact integers, both
// zeros, NaN of either sign, infinities, subnormals and the extremes.
float any_float(random_draws& r) {
    switch (r.below(12)) {
    case 0: return -0.0f;
    case 1: return r.chance(0.5) ? std::numeric_limits<float>::quiet_NaN() : -std::numeric_limits<float>::quiet_NaN();
    case 2: return r.chance(0.5) ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    case 3: return std::numeric_limits<float>::denorm_min() * static_cast<float>(1 + r.below(1000));
    case 4: return r.chance(0.5) ? std::numeric_limits<float>::max() : -std::numeric_limits<float>::min();
    case 5: return static_cast<float>(r.below(2000001) - 1000000);
    case 6: return r.uniform(-1e30f, 1e30f);
    case 7: {
        // Any finite bit pattern.
        std::uint32_t bits = static_cast<std::uint32_t>(r.below(1 << 30)) << 2 | static_cast<std::uint32_t>(r.below(4));
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return std::isfinite(f) ? f : 1.5f;
    }
    default: return r.uniform(-2.0f, 2.0f);
    }
}

vec3 any_vec3(random_draws& r) { return vec3(any_float(r), any_float(r), any_float(r)); }

mat4 any_matrix(random_draws& r) {
    mat4 m;
    if (r.chance(0.3)) return m;
    for (auto& row : m.m)
        for (float& x : row) x = r.chance(0.5) ? any_float(r) : x;
    return m;
}

// A skin bound to shapes of `pool` (or to no joint).
host::skin_data any_skin(random_draws& r, const std::vector<host::shape*>& pool) {
    host::skin_data s;
    s.matrix = any_matrix(r);
    const int n = r.below(4);
    for (int k = 0; k < n; ++k)
        s.binds.push_back({r.chance(0.2) || pool.empty() ? nullptr : pool[static_cast<std::size_t>(r.below(static_cast<int>(pool.size())))],
                           any_float(r)});
    return s;
}

host::mesh_data any_mesh(random_draws& r) {
    host::mesh_data m;
    const int nv = r.below(9);
    for (int v = 0; v < nv; ++v) m.add_vertex(any_vec3(r));
    const int nf = nv ? r.below(7) : 0;
    for (int f = 0; f < nf; ++f) {
        std::vector<std::int32_t> corners(static_cast<std::size_t>(r.below(6)));
        for (auto& c : corners) c = r.below(nv);
        std::vector<vec2> puv, duv;
        for (std::size_t k = 0; k < corners.size(); ++k) {
            puv.emplace_back(any_float(r), any_float(r));
            duv.emplace_back(any_float(r), any_float(r));
        }
        const bool uv = r.chance(0.5);
        m.add_face(static_cast<int>(corners.size()), corners.data(), uv ? puv.data() : nullptr, uv ? duv.data() : nullptr);
        // UVs kept by a face without UVs.
        if (!uv && r.chance(0.3))
            for (std::size_t k = 0; k < corners.size(); ++k) m.corner_puv[m.corner_vertex.size() - corners.size() + k] = puv[k];
    }
    if (r.chance(0.4)) {
        m.corner_normal.assign(m.corner_vertex.size(), vec3());
        for (int f = 0; f < nf; ++f)
            if (r.chance(0.5)) {
                m.face_has_normals[static_cast<std::size_t>(f)] = 1;
                for (int k = 0; k < m.face_size[static_cast<std::size_t>(f)]; ++k)
                    m.corner_normal[static_cast<std::size_t>(m.face_start[static_cast<std::size_t>(f)] + k)] = any_vec3(r);
            }
    }
    for (int e = nv ? r.below(6) : 0; e > 0; --e) m.add_edge(r.below(nv), r.below(nv));
    for (auto& s : m.vertex_selected) s = r.chance(0.3);
    for (auto& s : m.edge_selected) s = r.chance(0.3);
    for (auto& s : m.face_selected) s = r.chance(0.3);
    m.face_flip = r.chance(0.3);
    return m;
}

// A generated rig and random shapes of every kind below random parents,
// with skins, links, transforms and mapping layers.
void build_random_scene(host::scene& scene, unsigned seed) {
    random_draws r(seed);
    host::rig_options rig;
    rig.body_vertices = 12 + r.below(40);
    rig.jitter = r.uniform(0.0f, 0.1f);
    rig.seed = seed;
    if (r.chance(0.7)) host::make_rig(scene, rig);
    std::vector<host::shape*> pool;
    for (host::shape* s : scene.shapes_in_order())
        if (s != &scene.root()) pool.push_back(s);
    for (int n = r.below(8); n > 0; --n) {
        host::shape* parent = pool.empty() || r.chance(0.4) ? nullptr : pool[static_cast<std::size_t>(r.below(static_cast<int>(pool.size())))];
        const std::string name = r.chance(0.1) ? std::string("\"odd\\ name/~\xC3\xA9\n") : "s" + std::to_string(pool.size());
        host::shape* s = nullptr;
        switch (r.below(4)) {
        case 0: {
            host::part& p = scene.add_part(name, r.chance(0.5) ? 0 : r.chance(0.5) ? 1 : 101, parent);
            if (!pool.empty() && r.chance(0.5)) p.set_link(pool[static_cast<std::size_t>(r.below(static_cast<int>(pool.size())))]);
            s = &p;
            break;
        }
        case 1: {
            std::vector<host::control_point_data> points(static_cast<std::size_t>(r.below(5)));
            for (auto& p : points) {
                p = host::line_shape::point_at(any_vec3(r));
                if (r.chance(0.5)) p.first_handle = any_vec3(r), p.fourth_handle = any_vec3(r);
                p.first_flag = r.chance(0.5);
                p.second_flag = r.chance(0.5);
                if (r.chance(0.4)) p.skin = any_skin(r, pool);
            }
            s = &scene.add_line(name, std::move(points), r.chance(0.5), parent);
            break;
        }
        case 2: {
            host::mesh_shape& m = scene.add_mesh(name, any_mesh(r), parent);
            host::mesh_data& d = m.edit_data();
            pool.push_back(&m);  // a mesh may be skinned to itself
            if (d.vertex_count() > 0 && r.chance(0.6)) {
                d.vertex_skin.assign(d.positions.size(), -1);
                for (auto& v : d.vertex_skin)
                    if (r.chance(0.5)) {
                        v = static_cast<std::int32_t>(d.skins.size());
                        d.skins.push_back(any_skin(r, pool));
                    }
            }
            pool.pop_back();
            s = &m;
            break;
        }
        default:
            s = &scene.add_primitive(name, r.chance(0.5) ? 3 : 8, any_vec3(r), any_vec3(r), parent);
        }
        if (r.chance(0.6)) s->set_local_matrix(any_matrix(r));
        if (r.chance(0.3)) {
            auto& skin = dynamic_cast<host::skin_view&>(s->get_skin());
            const host::skin_data own = any_skin(r, pool);
            skin.set_skin_matrix(own.matrix);
            for (std::size_t k = 0; k < own.binds.size(); ++k) {
                skin.append_bind();
                skin.set_bind_joint(static_cast<int>(k), own.binds[k].joint);
                skin.set_bind_weight(static_cast<int>(k), own.binds[k].weight);
            }
        }
        if (r.chance(0.3)) {
            for (int k = r.below(3); k > 0; --k) s->surface().add_layer(r.chance(0.3) ? nullptr : new host::image(1 + r.below(64), 1 + r.below(64)));
            if (r.chance(0.3)) s->surface();  // surface attributes without layers
        }
        pool.push_back(s);
    }
}

// ---- Comparing scenes --------------------------------------------------------

// Bit for bit, except that any NaN equals a NaN of the same sign (NaN
// payloads are not kept).
bool same(float a, float b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b) && std::signbit(a) == std::signbit(b);
    return std::memcmp(&a, &b, sizeof a) == 0;
}
bool same(const vec2& a, const vec2& b) { return same(a.x, b.x) && same(a.y, b.y); }
bool same(const vec3& a, const vec3& b) { return same(a.x, b.x) && same(a.y, b.y) && same(a.z, b.z); }
bool same(const mat4& a, const mat4& b) {
    for (int i = 0; i < 16; ++i)
        if (!same(a.m[i / 4][i % 4], b.m[i / 4][i % 4])) return false;
    return true;
}

// Compares two scenes shape by shape in scene order; shapes that skins and
// links point at are compared by their place in that order.
class scene_comparison {
public:
    scene_comparison(host::scene& a, host::scene& b) : a_(a.shapes_in_order()), b_(b.shapes_in_order()) {
        for (std::size_t i = 0; i < a_.size(); ++i) index_a_[a_[i]] = static_cast<int>(i);
        for (std::size_t i = 0; i < b_.size(); ++i) index_b_[b_[i]] = static_cast<int>(i);
    }

    // Empty when equal, else what differs first.
    std::string difference() {
        if (a_.size() != b_.size()) return "shape counts differ";
        for (std::size_t i = 1; i < a_.size(); ++i) {
            const std::string d = shape_difference(*a_[i], *b_[i]);
            if (!d.empty()) return "shape " + std::to_string(i) + " (" + a_[i]->get_name() + "): " + d;
        }
        return {};
    }

private:
    int in_a(const shape_class* s) const { return s ? index_a_.at(s) : -1; }
    int in_b(const shape_class* s) const { return s ? index_b_.at(s) : -1; }

    bool same_skin(const host::skin_data& a, const host::skin_data& b) const {
        if (!same(a.matrix, b.matrix) || a.binds.size() != b.binds.size()) return false;
        for (std::size_t k = 0; k < a.binds.size(); ++k)
            if (in_a(a.binds[k].joint) != in_b(b.binds[k].joint) || !same(a.binds[k].weight, b.binds[k].weight)) return false;
        return true;
    }

    std::string mesh_difference(const host::mesh_data& a, const host::mesh_data& b) const {
        if (!b.valid()) return "the mesh read is inconsistent";
        if (a.vertex_count() != b.vertex_count() || a.face_count() != b.face_count() || a.edges != b.edges)
            return "counts or edges";
        for (int v = 0; v < a.vertex_count(); ++v) {
            if (!same(a.positions[v], b.positions[v])) return "position " + std::to_string(v);
            if ((a.vertex_selected[v] != 0) != (b.vertex_selected[v] != 0)) return "vertex selection";
            const bool sa = !a.vertex_skin.empty() && a.vertex_skin[v] >= 0;
            const bool sb = !b.vertex_skin.empty() && b.vertex_skin[v] >= 0;
            if (sa != sb || (sa && !same_skin(a.skins[a.vertex_skin[v]], b.skins[b.vertex_skin[v]]))) return "skin of vertex " + std::to_string(v);
        }
        for (int e = 0; e < a.edge_count(); ++e)
            if ((a.edge_selected[e] != 0) != (b.edge_selected[e] != 0)) return "edge selection";
        for (int f = 0; f < a.face_count(); ++f) {
            if (a.face_size[f] != b.face_size[f] || a.face_has_uv[f] != b.face_has_uv[f] ||
                (a.face_selected[f] != 0) != (b.face_selected[f] != 0) || a.face_has_normals[f] != b.face_has_normals[f])
                return "face " + std::to_string(f);
            for (int k = 0; k < a.face_size[f]; ++k) {
                const std::size_t ca = static_cast<std::size_t>(a.face_start[f] + k), cb = static_cast<std::size_t>(b.face_start[f] + k);
                if (a.corner_vertex[ca] != b.corner_vertex[cb] || !same(a.corner_puv[ca], b.corner_puv[cb]) ||
                    !same(a.distance_uvs()[ca], b.distance_uvs()[cb]))
                    return "corner " + std::to_string(k) + " of face " + std::to_string(f);
                if (a.face_has_normals[f] && !same(a.corner_normal[ca], b.corner_normal[cb])) return "normals of face " + std::to_string(f);
            }
        }
        return a.face_flip == b.face_flip ? std::string() : "face flip";
    }

    std::string shape_difference(host::shape& a, host::shape& b) const {
        if (a.get_type() != b.get_type() || a.state().name != b.state().name) return "kind or name";
        if (in_a(a.parent()) != in_b(b.parent())) return "parent";
        if (!same(a.local_matrix(), b.local_matrix())) return "transform";
        if (!same_skin(a.state().skin, b.state().skin)) return "skin";
        surface_attributes_interface* sa = a.get_surface_attributes();
        surface_attributes_interface* sb = b.get_surface_attributes();
        if (!sa != !sb || (sa && sa->get_number_of_mapping_layers() != sb->get_number_of_mapping_layers())) return "surface attributes";
        for (int k = 0; sa && k < sa->get_number_of_mapping_layers(); ++k) {
            image_interface* ia = sa->get_mapping_layer_image(k);
            image_interface* ib = sb->get_mapping_layer_image(k);
            if (!ia != !ib || (ia && (ia->get_width() != ib->get_width() || ia->get_height() != ib->get_height())))
                return "mapping layer " + std::to_string(k);
        }
        if (a.get_part_type() != b.get_part_type() || in_a(a.get_link()) != in_b(b.get_link())) return "part type or link";
        if (a.get_type() == 7)
            return mesh_difference(static_cast<host::mesh_shape&>(a).data(), static_cast<host::mesh_shape&>(b).data());
        if (a.state().closed != b.state().closed || a.state().points.size() != b.state().points.size()) return "line";
        for (std::size_t k = 0; k < a.state().points.size(); ++k) {
            const host::control_point_data& p = a.state().points[k];
            const host::control_point_data& q = b.state().points[k];
            if (!same(p.position, q.position) || !same(p.first_handle, q.first_handle) || !same(p.second_handle, q.second_handle) ||
                !same(p.third_handle, q.third_handle) || !same(p.fourth_handle, q.fourth_handle) || p.first_flag != q.first_flag ||
                p.second_flag != q.second_flag || !same_skin(p.skin, q.skin))
                return "control point " + std::to_string(k);
        }
        for (int k = 0; k < 2; ++k)
            if (!same(a.state().primitive_points[k], b.state().primitive_points[k])) return "primitive point";
        return {};
    }

    const std::vector<host::shape*>& a_;
    const std::vector<host::shape*>& b_;
    std::unordered_map<const shape_class*, int> index_a_, index_b_;
};

std::string scene_text(host::scene& s) {
    return host::scene_json_text(std::vector<const host::shape*>(s.root().children().begin(), s.root().children().end()), "test");
}

// ---- A loose JSON Schema check -------------------------------------------------

// Checks `v` against the keywords the scene schema uses (type, const, enum,
// properties, required, additionalProperties, items, minItems, maxItems,
// minimum, maximum, anyOf, $ref); appends what fails to `errors`.
class schema_check {
public:
    explicit schema_check(const nlohmann::json& root) : root_(root) {}

    void check(const nlohmann::json& v, const nlohmann::json& s, const std::string& path, std::vector<std::string>& errors) const {
        if (s.contains("$ref")) {
            const std::string ref = s["$ref"];
            check(v, root_.at(nlohmann::json::json_pointer(ref.substr(1))), path, errors);
        }
        if (s.contains("type") && !has_type(v, s["type"])) errors.push_back(path + ": type " + s["type"].dump());
        if (s.contains("const") && v != s["const"]) errors.push_back(path + ": const");
        if (s.contains("enum") && std::find(s["enum"].begin(), s["enum"].end(), v) == s["enum"].end()) errors.push_back(path + ": enum");
        if (s.contains("minimum") && v.is_number() && v < s["minimum"]) errors.push_back(path + ": minimum");
        if (s.contains("maximum") && v.is_number() && v > s["maximum"]) errors.push_back(path + ": maximum");
        if (s.contains("anyOf")) {
            bool any = false;
            for (const auto& option : s["anyOf"]) {
                std::vector<std::string> e;
                check(v, option, path, e);
                any |= e.empty();
            }
            if (!any) errors.push_back(path + ": no anyOf matches");
        }
        if (v.is_object()) {
            for (const auto& key : s.value("required", nlohmann::json::array()))
                if (!v.contains(key)) errors.push_back(path + ": required " + key.dump());
            for (const auto& item : v.items()) {
                if (s.contains("properties") && s["properties"].contains(item.key()))
                    check(item.value(), s["properties"][item.key()], path + "/" + item.key(), errors);
                else if (s.value("additionalProperties", true) == false)
                    errors.push_back(path + ": key '" + item.key() + "' is not in the schema");
            }
        }
        if (v.is_array()) {
            if (s.contains("minItems") && v.size() < s["minItems"]) errors.push_back(path + ": minItems");
            if (s.contains("maxItems") && v.size() > s["maxItems"]) errors.push_back(path + ": maxItems");
            if (s.contains("items"))
                for (std::size_t i = 0; i < v.size(); ++i) check(v[i], s["items"], path + "/" + std::to_string(i), errors);
        }
    }

private:
    static bool has_type(const nlohmann::json& v, const nlohmann::json& type) {
        if (type.is_array()) return std::any_of(type.begin(), type.end(), [&](const nlohmann::json& t) { return has_type(v, t); });
        const std::string t = type;
        return (t == "object" && v.is_object()) || (t == "array" && v.is_array()) || (t == "string" && v.is_string()) ||
               (t == "integer" && v.is_number_integer()) || (t == "number" && v.is_number()) ||
               (t == "boolean" && v.is_boolean()) || (t == "null" && v.is_null());
    }

    const nlohmann::json& root_;
};

nlohmann::json load_schema() {
    std::ifstream in(TWINEL_SOURCE_DIR "/host/io/scene.schema.json");
    return nlohmann::json::parse(in);
}

// A fresh folder for a test's files, removed at the end.
class temp_folder {
public:
    temp_folder() : dir_(host::make_temp_folder("twinel_scene_json_")) {}
    ~temp_folder() { std::filesystem::remove_all(dir_); }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

private:
    std::filesystem::path dir_;
};

std::string file_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// ---- Tests -------------------------------------------------------------------

TEST(scene_json, random_scenes_write_read_and_write_again_identically) {
    const nlohmann::json schema = load_schema();
    const schema_check validate(schema);
    for (unsigned seed = 1; seed <= 150; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        twinel_test::test_scene original, copy;
        build_random_scene(original.scene(), seed);
        const std::string text = scene_text(original.scene());
        host::insert_scene_document(copy.scene(), host::parse_scene_json(text, "test"));
        ASSERT_EQ(scene_text(copy.scene()), text);
        const std::string difference = scene_comparison(original.scene(), copy.scene()).difference();
        ASSERT_EQ(difference, "");
        // The schema describes what the writer writes.
        std::vector<std::string> errors;
        validate.check(nlohmann::json::parse(text), schema, "", errors);
        ASSERT_TRUE(errors.empty()) << errors.front();
    }
}

TEST(scene_json, reading_is_one_undo_step_and_adds_no_attributes) {
    twinel_test::test_scene original, copy;
    host::make_rig(original.scene(), host::rig_options());
    const auto tops = host::insert_scene_document(copy.scene(), host::parse_scene_json(scene_text(original.scene()), "rig"));
    EXPECT_EQ(tops.size(), copy.scene().root().children().size());
    for (host::shape* s : copy.scene().shapes_in_order()) EXPECT_TRUE(s->state().attributes.empty());
    // The joints a skin names are found by their names, as the skin tools look them up.
    EXPECT_NE(copy.scene().get_shape_by_name("r_arm"), nullptr);
    copy.scene().undo();
    EXPECT_EQ(copy.scene().root().get_number_of_sons(), 0);
    EXPECT_FALSE(copy.scene().can_undo());
}

TEST(scene_json, writing_refuses_joints_outside_the_written_shapes) {
    twinel_test::test_scene t;
    host::make_rig(t.scene(), host::rig_options());
    const host::shape* body = dynamic_cast<host::shape*>(t.scene().get_shape_by_name("body"));
    try {
        host::scene_json_text({body}, "body.json");
        FAIL() << "a skin bound to a joint that is not written was written";
    } catch (const host::file_error& e) {
        EXPECT_NE(std::string(e.what()).find("body.json: shape 'body' has a skin bound to joint"), std::string::npos) << e.what();
    }
}

TEST(scene_json, obj_through_a_scene_file_gives_the_same_obj) {
    const temp_folder dir;
    for (const char* example : {"torus.obj", "broken.obj"}) {
        SCOPED_TRACE(example);
        const std::string source = std::string(TWINEL_SOURCE_DIR "/examples/") + example;
        twinel_test::test_scene direct, via_scene, back;
        host::import_file(direct.scene(), source);
        host::export_file(direct.scene(), {&direct.scene().root()}, dir.path("direct.obj"));
        host::import_file(via_scene.scene(), source);
        host::export_file(via_scene.scene(), {&via_scene.scene().root()}, dir.path("scene.json"));
        host::import_file(back.scene(), dir.path("scene.json"));
        host::export_file(back.scene(), {&back.scene().root()}, dir.path("back.obj"));
        EXPECT_EQ(file_text(dir.path("back.obj")), file_text(dir.path("direct.obj")));
        EXPECT_EQ(scene_comparison(direct.scene(), back.scene()).difference(), "");
    }
}

// A valid file of three shapes; each case below breaks it in one place.
const char* const valid_file = R"({
  "format": "twinel-scene",
  "version": 1,
  "shapes": [
    {"name": "joint", "kind": "part", "parent": null, "part_type": 0},
    {"name": "mesh", "kind": "mesh", "parent": 0, "transform": [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1],
     "mesh": {"vertices": [[0, 0, 0], [1, 0, 0], [0, 1, 0]],
              "faces": [{"vertices": [0, 1, 2], "has_uv": true, "puv": [[0, 0], [1, 0], [0, 1]], "duv": [[0, 0], [1, 0], [0, 1]]}],
              "skins": [{"vertex": 1, "skin": {"binds": [{"joint": 0, "weight": 1}]}}],
              "selected_faces": [0]}},
    {"name": "line", "kind": "line", "points": [{"position": [0, 0, 0]}, {"position": ["nan", "-inf", -0.0]}]}
  ]
})";

std::string broken(const std::string& from, const std::string& to) {
    std::string text = valid_file;
    const std::size_t at = text.find(from);
    if (at == std::string::npos) throw std::logic_error("the case does not match the file: " + from);
    return text.replace(at, from.size(), to);
}

TEST(scene_json, malformed_files_name_the_place_and_import_nothing) {
    struct bad_case {
        std::string text;
        std::string message;  // after "bad.json: " or "bad.json:LINE: "
    };
    const bad_case cases[] = {
        // Syntax, with the line and where the parser was.
        {broken(R"("part_type": 0})", R"("part_type": 0,})"), "/shapes/0/part_type: syntax error while parsing object key"},
        {broken("[1, 0, 0]", "[1, 0 0]"), "/shapes/1/mesh/vertices/1/2: syntax error while parsing array"},
        {"", "top level: syntax error while parsing value"},
        {broken(R"("joint", "kind")", R"("joint", "name": "again", "kind")"), "/shapes/0/name: the key 'name' appears twice"},
        {broken("[0, 1, 0]]", "[0, 1e39, 0]]"), "/shapes/1/mesh/vertices/2/1: the number 1e39 is beyond the float range"},
        // Types.
        {"[]", "top level: must be an object, not an array"},
        {broken(R"("name": "line")", R"("name": 5)"), "/shapes/2/name: must be a string, not a number"},
        {broken(R"("position": [0, 0, 0]})", R"("position": [0, "zero", 0]})"),
         R"(/shapes/2/points/0/position/1: must be a number (or "nan", "-nan", "inf", "-inf"), not a string)"},
        {broken("[0, 1, 0]]", "[0, 1]]"), "/shapes/1/mesh/vertices/2: must hold 3 values, not 2"},
        {broken(R"("selected_faces": [0])", R"("selected_faces": 0)"), "/shapes/1/mesh/selected_faces: must be an array, not a number"},
        {broken(R"("version": 1)", R"("version": 2)"), "/version: version 2 is not known"},
        {broken(R"("kind": "line")", R"("kind": "cube")"), "/shapes/2/kind: 'cube' is not a kind of shape"},
        {broken(R"("part_type": 0})", R"("part_type": 0, "closed": true})"), "/shapes/0: a part has no 'closed'"},
        {broken(R"("selected_faces": [0])", R"("colour": [0])"), "/shapes/1/mesh: unknown key 'colour'"},
        // Indices.
        {broken(R"("vertices": [0, 1, 2])", R"("vertices": [0, 1, 12])"),
         "/shapes/1/mesh/faces/0/vertices/2: vertex index 12 is out of range (3 vertices)"},
        {broken(R"("joint": 0, "weight")", R"("joint": 7, "weight")"),
         "/shapes/1/mesh/skins/0/skin/binds/0/joint: shape index 7 is out of range (3 shapes)"},
        {broken(R"("parent": 0)", R"("parent": 1)"), "/shapes/1/parent: the parent 1 must come before the shape (1)"},
        {broken(R"("vertex": 1)", R"("vertex": -1)"), "/shapes/1/mesh/skins/0/vertex: vertex index -1 is out of range (3 vertices)"},
        {broken(R"("selected_faces": [0])", R"("selected_faces": [0, 0])"), "/shapes/1/mesh/selected_faces/1: selected indices must be ascending"},
        {broken(R"("puv": [[0, 0], [1, 0], [0, 1]])", R"("puv": [[0, 0], [1, 0]])"), "/shapes/1/mesh/faces/0/puv: must hold 3 values, not 2"},
        // Missing keys.
        {broken(R"("kind": "part", )", ""), "/shapes/0: the key 'kind' is missing"},
        {broken(R"("faces": [{"vertices": [0, 1, 2], "has_uv": true, "puv": [[0, 0], [1, 0], [0, 1]], "duv": [[0, 0], [1, 0], [0, 1]]}],)", ""),
         "/shapes/1/mesh: the key 'faces' is missing"},
        {broken(R"(, "duv": [[0, 0], [1, 0], [0, 1]])", ""), "/shapes/1/mesh/faces/0: a face with UVs needs 'duv'"},
        {broken(R"("weight": 1)", R"("wait": 1)"), "/shapes/1/mesh/skins/0/skin/binds/0: unknown key 'wait'"},
        {broken(R"("format": "twinel-scene",)", ""), "top level: the key 'format' is missing"},
    };
    for (const bad_case& c : cases) {
        SCOPED_TRACE(c.message);
        twinel_test::test_scene t;
        try {
            host::insert_scene_document(t.scene(), host::parse_scene_json(c.text, "bad.json"));
            ADD_FAILURE() << "read without an error";
        } catch (const host::file_error& e) {
            const std::string what = e.what();
            const std::size_t colon = what.find(": ");
            EXPECT_EQ(what.rfind("bad.json", 0), 0u) << what;
            EXPECT_EQ(what.substr(colon + 2, c.message.size()), c.message) << what;
        }
        EXPECT_EQ(t.scene().root().get_number_of_sons(), 0);
        EXPECT_FALSE(t.scene().can_undo());
    }
    // The file itself is valid.
    twinel_test::test_scene t;
    EXPECT_EQ(host::insert_scene_document(t.scene(), host::parse_scene_json(valid_file, "good.json")).size(), 2u);
}

TEST(scene_json, schema_is_json_and_names_every_key_it_allows) {
    const nlohmann::json schema = load_schema();
    EXPECT_EQ(schema["properties"]["format"]["const"], "twinel-scene");
    std::vector<std::string> errors;
    schema_check(schema).check(nlohmann::json::parse(valid_file), schema, "", errors);
    EXPECT_TRUE(errors.empty()) << errors.front();
    errors.clear();
    schema_check(schema).check(nlohmann::json::parse(broken(R"("part_type": 0})", R"("part_type": 0, "colour": 1})")),
                               schema, "", errors);
    EXPECT_FALSE(errors.empty());
}

}  // namespace
