// The script runner's set-up commands for what a mesh file cannot say
// (transforms, skins, lines, joints, surfaces, textures), and the checks and
// print-outs of the state they set up and of what the plug-in leaves: UV
// sets, skin bindings, line points, transforms, the scene's modes and the
// pair tables.
#include <algorithm>
#include <cstring>
#include <sstream>

#include <boost/format.hpp>

#include "cli/script.h"
#include "cli/script_support.h"
#include "frame/extend_class_container.h"
#include "frame/sdk/polygon_mesh.h"
#include "host/application.h"
#include "host/image.h"
#include "host/line_shape.h"
#include "host/mesh_shape.h"
#include "host/part.h"
#include "host/plugin_set.h"
#include "host/scene.h"
#include "host/skin_view.h"
#include "symmetry/twinel_class.h"

namespace cli {

using namespace script_support;

namespace {

[[noreturn]] void fail(const std::string& why) { throw line_error("expectation failed: " + why); }

bool same_bits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::string vec_text(const vec3& p) { return float_text(p.x) + " " + float_text(p.y) + " " + float_text(p.z); }

// Floats from word `from` on.
std::vector<float> to_floats(const std::vector<std::string>& w, std::size_t from) {
    std::vector<float> out;
    for (std::size_t i = from; i < w.size(); ++i) out.push_back(to_float(w[i]));
    return out;
}

// The skin a script binds or checks: a mesh vertex's or a line point's.
skin_class& indexed_skin(shape_class& shape, int index) {
    if (polygon_mesh_class* mesh = shape.get_polygon_mesh()) {
        if (index < 0 || index >= mesh->get_number_of_vertices())
            throw line_error((boost::format("vertex %i is out of range") % index).str());
        return mesh->vertex(index).get_skin();
    }
    control_point_class* point = shape.get_control_point(index);
    if (!point) throw line_error((boost::format("the shape has no control point %i") % index).str());
    return point->get_skin();
}

std::string skin_text(const skin_class& skin) {
    std::string out;
    for (int k = 0; k < skin.get_number_of_binds(); ++k) {
        const shape_class* joint = skin.get_bind_joint(k);
        out += (k ? " " : "") + std::string(joint && joint->get_name() ? joint->get_name() : "-") + " " +
               float_text(skin.get_bind_weight(k));
    }
    return out;
}

const char* mode_name(int mode) { return mode == 0 ? "face" : mode == 1 ? "edge" : "vertex"; }

}  // namespace

// ---- set-up ----------------------------------------------------------------------

namespace {

// The matrix of words from `at` on: "translate X Y Z", "scale X Y Z", or
// 16 numbers row by row (row-vector form, translation in row 3).
mat4 matrix_words(const std::vector<std::string>& w, std::size_t at) {
    mat4 m;
    if (w.size() > at && (w[at] == "translate" || w[at] == "scale")) {
        if (w.size() != at + 4) throw line_error(w[at] + " takes X Y Z");
        const vec3 v(to_float(w[at + 1]), to_float(w[at + 2]), to_float(w[at + 3]));
        for (int c = 0; c < 3; ++c) {
            if (w[at] == "translate")
                m[3][c] = v[c];
            else
                m[c][c] = v[c];
        }
        return m;
    }
    if (w.size() != at + 16) throw line_error("a matrix takes 16 numbers, row by row");
    for (int k = 0; k < 16; ++k) m[k / 4][k % 4] = to_float(w[at + static_cast<std::size_t>(k)]);
    return m;
}

}  // namespace

void script_runner::transform(const words& w) {
    need(w, 3, "transform SHAPE M00 ... M33 | transform SHAPE translate|scale X Y Z");
    auto* shape = dynamic_cast<host::shape*>(&shape_ref(w[1]));
    if (!shape || shape == &scene().root()) throw line_error("the root part has no transform of its own");
    const mat4 m = matrix_words(w, 2);
    const host::undo_scope step(scene());
    shape->set_local_matrix(m);
}

void script_runner::skin_matrix(const words& w) {
    need(w, 3, "skin-matrix INDEX M00 ... M33 | skin-matrix INDEX translate|scale X Y Z");
    shape_class* active = scene().get_active_shape();
    if (!active) throw line_error("no shape is active");
    auto* skin = dynamic_cast<host::skin_view*>(&indexed_skin(*active, to_int(w[1])));
    if (!skin) throw line_error("this skin has no matrix to set");
    const mat4 m = matrix_words(w, 2);
    const host::undo_scope step(scene());
    skin->set_skin_matrix(m);
}

void script_runner::bind(const words& w) {
    need(w, 2, "bind INDEX [JOINT WEIGHT ...]");
    if (w.size() % 2 != 0) throw line_error("each joint needs a weight");
    shape_class* active = scene().get_active_shape();
    if (!active) throw line_error("no shape is active");
    skin_class& skin = indexed_skin(*active, to_int(w[1]));
    std::vector<std::pair<shape_class*, float>> binds;
    for (std::size_t i = 2; i + 1 < w.size(); i += 2)
        binds.emplace_back(w[i] == "-" ? nullptr : &shape_ref(w[i]), to_float(w[i + 1]));
    const host::undo_scope step(scene());
    while (skin.get_number_of_binds() > 0) skin.remove_last_bind();
    for (const auto& b : binds) {
        skin.append_bind();
        const int k = skin.get_number_of_binds() - 1;
        skin.set_bind_joint(k, b.first);
        skin.set_bind_weight(k, b.second);
    }
}

void script_runner::make_line(const words& w) {
    need(w, 6, "line NAME open|closed X Y Z [X Y Z ...]");
    if (w[2] != "open" && w[2] != "closed") throw line_error("expected open or closed, not '" + w[2] + "'");
    const std::vector<float> c = to_floats(w, 3);
    if (c.size() % 3 != 0) throw line_error("each control point takes three coordinates");
    std::vector<host::control_point_data> points;
    for (std::size_t i = 0; i < c.size(); i += 3) points.push_back(host::line_shape::point_at(vec3(c[i], c[i + 1], c[i + 2])));
    shape_class* line = nullptr;
    {
        const host::undo_scope step(scene());
        line = &scene().add_line(w[1], std::move(points), w[2] == "closed");
    }
    scene().announce_created({line});
    scene().set_active_shapes(1, &line);
}

void script_runner::set_handle(const words& w) {
    need(w, 6, "handle INDEX 1|2|3|4 X Y Z");
    shape_class* active = scene().get_active_shape();
    control_point_class* point = active ? active->get_control_point(to_int(w[1])) : nullptr;
    if (!point) throw line_error("the active shape has no control point " + w[1]);
    const vec3 p(to_float(w[3]), to_float(w[4]), to_float(w[5]));
    const int n = to_int(w[2]);
    const host::undo_scope step(scene());
    switch (n) {
        case 1: point->set_first_handle(p); break;
        case 2: point->set_second_handle(p); break;
        case 3: point->set_third_handle(p); break;
        case 4: point->set_fourth_handle(p); break;
        default: throw line_error("a control point has handles 1 to 4, not " + w[2]);
    }
}

void script_runner::make_joint(const words& w) {
    need(w, 2, "joint NAME [PARENT]");
    host::shape* parent = nullptr;
    if (w.size() > 2) parent = dynamic_cast<host::shape*>(&shape_ref(w[2]));
    const host::undo_scope step(scene());
    scene().add_part(w[1], 0, parent);
}

void script_runner::make_surface(const words& w) {
    need(w, 3, "surface NAME LINE ...");
    std::vector<host::shape*> lines;
    for (std::size_t i = 2; i < w.size(); ++i) {
        auto* line = dynamic_cast<host::line_shape*>(&shape_ref(w[i]));
        if (!line) throw line_error("'" + w[i] + "' is not a line shape");
        lines.push_back(line);
    }
    const host::undo_scope step(scene());
    host::part& part = scene().add_part(w[1], kx::sdk::surface_part);
    for (host::shape* s : lines) scene().place(*s, &part, host::scene::at_end);
}

void script_runner::texture(const words& w) {
    need(w, 4, "texture SHAPE WIDTH HEIGHT");
    auto* shape = dynamic_cast<host::shape*>(&shape_ref(w[1]));
    if (!shape) throw line_error("cannot give " + w[1] + " a texture");
    const kx::host_ref<host::image> image(new host::image(to_int(w[2]), to_int(w[3])));
    image->AddRef();
    shape->surface().add_layer(image.get());
}

// ---- checks and print-outs ----------------------------------------------------------

void script_runner::expect_state(const words& w) {
    const std::string& what = w[1];
    if (what == "uv") {
        need(w, 4, "expect uv parameter|distance FACE U V ... | expect uv parameter|distance FACE none");
        if (w[2] != "parameter" && w[2] != "distance") throw line_error("expected parameter or distance, not '" + w[2] + "'");
        const host::mesh_data& m = active_mesh().data();
        const int f = to_int(w[3]);
        if (f < 0 || f >= m.face_count()) throw line_error("face " + w[3] + " is out of range");
        const std::string have = uv_text(m, f, w[2] == "parameter");
        const bool none = w.size() == 5 && w[4] == "none";
        if (none != !m.face_has_uv[static_cast<std::size_t>(f)]) fail("face " + w[3] + " has UVs " + have);
        if (none) return;
        const std::vector<float> want = to_floats(w, 4);
        const auto& uvs = w[2] == "parameter" ? m.corner_puv : m.distance_uvs();
        bool same = want.size() == static_cast<std::size_t>(2 * m.face_size[static_cast<std::size_t>(f)]);
        for (std::size_t k = 0; same && k < want.size() / 2; ++k) {
            const vec2& uv = uvs[static_cast<std::size_t>(m.face_start[static_cast<std::size_t>(f)]) + k];
            same = same_bits(uv.x, want[2 * k]) && same_bits(uv.y, want[2 * k + 1]);
        }
        if (!same) fail("the " + w[2] + " UVs of face " + w[3] + " are " + have);
    } else if (what == "skin") {
        need(w, 3, "expect skin INDEX [JOINT WEIGHT ...]");
        shape_class* active = scene().get_active_shape();
        if (!active) throw line_error("no shape is active");
        const skin_class& skin = indexed_skin(*active, to_int(w[2]));
        std::vector<std::string> want_words(w.begin() + 3, w.end());
        std::string want;
        for (std::size_t i = 0; i < want_words.size(); ++i)
            want += (i ? " " : "") + (i % 2 ? float_text(to_float(want_words[i])) : want_words[i]);
        if (skin_text(skin) != want) fail("the skin of " + w[2] + " is [" + skin_text(skin) + "]");
    } else if (what == "point" || what == "handle") {
        const bool handle = what == "handle";
        need(w, handle ? 7 : 6, handle ? "expect handle INDEX 1|2|3|4 X Y Z" : "expect point INDEX X Y Z");
        shape_class* active = scene().get_active_shape();
        control_point_class* point = active ? active->get_control_point(to_int(w[2])) : nullptr;
        if (!point) throw line_error("the active shape has no control point " + w[2]);
        const int n = handle ? to_int(w[3]) : 0;
        const vec3 have = n == 0 ? point->get_position()
                          : n == 1 ? point->get_first_handle()
                          : n == 2 ? point->get_second_handle()
                          : n == 3 ? point->get_third_handle()
                                   : point->get_fourth_handle();
        const std::size_t at = handle ? 4 : 3;
        const vec3 want(to_float(w[at]), to_float(w[at + 1]), to_float(w[at + 2]));
        if (!(have == want)) fail(what + " " + w[2] + (handle ? " " + w[3] : "") + " is at " + vec_text(have));
    } else if (what == "closed") {
        need(w, 3, "expect closed yes|no");
        shape_class* active = scene().get_active_shape();
        if (!active || !dynamic_cast<host::line_shape*>(active)) throw line_error("the active shape is not a line");
        if (active->is_closed() != (w[2] == "yes")) fail(std::string("the line is ") + (active->is_closed() ? "closed" : "open"));
    } else if (what == "transform") {
        need(w, 3, "expect transform SHAPE M00 ... M33");
        if (w.size() != 19) throw line_error("a transform takes 16 numbers, row by row");
        const auto* shape = dynamic_cast<host::shape*>(&shape_ref(w[2]));
        const mat4 m = shape ? shape->local_matrix() : mat4();
        for (int k = 0; k < 16; ++k)
            if (!same_bits(m[k / 4][k % 4], to_float(w[3 + static_cast<std::size_t>(k)])))
                fail("the transform of " + w[2] + " is " + transform_text(m));
    } else if (what == "selection-mode") {
        need(w, 3, "expect selection-mode vertex|edge|face");
        const char* have = mode_name(scene().get_selection_mode());
        if (w[2] != have) fail(std::string("the selection mode is ") + have);
    } else if (what == "modify") {
        need(w, 3, "expect modify on|off");
        if (scene().is_modify_mode() != (w[2] == "on"))
            fail(std::string("modify mode is ") + (scene().is_modify_mode() ? "on" : "off"));
    } else if (what == "partner") {
        need(w, 5, "expect partner vertex|face INDEX PARTNER");
        const twinel_class& t = active_pairing();
        const Interconnection_class& table = w[2] == "vertex" ? t.vertex_table : t.face_table;
        if (w[2] != "vertex" && w[2] != "face") throw line_error("expected vertex or face, not '" + w[2] + "'");
        const int i = to_int(w[3]);
        if (i < 0 || i >= table.size()) throw line_error(w[2] + " " + w[3] + " is outside the pair table");
        if (table.partner(i) != to_int(w[4]))
            fail((boost::format("the partner of %s %i is %i") % w[2] % i % table.partner(i)).str());
    } else if (what == "messages") {
        std::vector<std::string> want;
        for (std::size_t i = 2; i < w.size(); ++i) want.push_back(translated(w[i]));
        const std::vector<std::string>& have = app_.message_lines();
        if (have != want) {
            std::string list;
            for (const std::string& line : have) list += "\n  " + line;
            fail("the messages since the last clear are:" + (list.empty() ? std::string(" none") : list));
        }
    }
}

bool script_runner::is_state_check(const std::string& what) {
    static const char* const checks[] = {"uv",             "skin",   "point",   "handle",  "closed", "transform",
                                         "selection-mode", "modify", "partner", "messages"};
    return std::find_if(std::begin(checks), std::end(checks), [&](const char* c) { return what == c; }) !=
           std::end(checks);
}

void script_runner::print_state(const words& w) {
    const std::string& what = w[1];
    if (what == "uv") {
        need(w, 3, "print uv FACE");
        const host::mesh_data& m = active_mesh().data();
        const int f = to_int(w[2]);
        if (f < 0 || f >= m.face_count()) throw line_error("face " + w[2] + " is out of range");
        out_ << "uv parameter " << f << ": " << uv_text(m, f, true) << '\n';
        out_ << "uv distance " << f << ": " << uv_text(m, f, false) << '\n';
    } else if (what == "skin") {
        shape_class* active = scene().get_active_shape();
        if (!active) throw line_error("no shape is active");
        const int n = active->get_polygon_mesh() ? active->get_polygon_mesh()->get_number_of_vertices()
                                                 : (dynamic_cast<host::line_shape*>(active) ? active->get_number_of_control_points() : 0);
        for (int i = 0; i < n; ++i) {
            const skin_class& skin = indexed_skin(*active, i);
            if (skin.get_number_of_binds() > 0) out_ << "skin " << i << ": " << skin_text(skin) << '\n';
        }
    } else if (what == "line") {
        shape_class* active = scene().get_active_shape();
        if (!active || !dynamic_cast<host::line_shape*>(active)) throw line_error("the active shape is not a line");
        out_ << "line " << active->get_name() << ": " << (active->is_closed() ? "closed" : "open") << ", "
             << active->get_number_of_control_points() << " points\n";
        for (int i = 0; i < active->get_number_of_control_points(); ++i) {
            const control_point_class& p = *active->get_control_point(i);
            out_ << "  point " << i << ": " << vec_text(p.get_position()) << " | " << vec_text(p.get_first_handle())
                 << " | " << vec_text(p.get_second_handle()) << " | " << vec_text(p.get_third_handle()) << " | "
                 << vec_text(p.get_fourth_handle()) << '\n';
        }
    } else if (what == "transform") {
        need(w, 3, "print transform SHAPE");
        const auto* shape = dynamic_cast<host::shape*>(&shape_ref(w[2]));
        out_ << "transform " << w[2] << ": " << transform_text(shape ? shape->local_matrix() : mat4()) << '\n';
    } else if (what == "modes") {
        out_ << "selection mode " << mode_name(scene().get_selection_mode()) << ", modify "
             << (scene().is_modify_mode() ? "on" : "off") << '\n';
    } else if (what == "pairs") {
        const twinel_class& t = active_pairing();
        for (int i = 0; i < t.vertex_table.size(); ++i) out_ << "vertex " << i << " <-> " << t.vertex_table.partner(i) << '\n';
        for (int i = 0; i < t.face_table.size(); ++i) out_ << "face " << i << " <-> " << t.face_table.partner(i) << '\n';
    }
}

bool script_runner::is_state_print(const std::string& what) {
    return what == "uv" || what == "skin" || what == "line" || what == "transform" || what == "modes" || what == "pairs";
}

std::string script_runner::uv_text(const host::mesh_data& m, int f, bool parameter) {
    if (!m.face_has_uv[static_cast<std::size_t>(f)]) return "none";
    const auto& uvs = parameter ? m.corner_puv : m.distance_uvs();
    std::string out;
    for (int k = 0; k < m.face_size[static_cast<std::size_t>(f)]; ++k) {
        const vec2& uv = uvs[static_cast<std::size_t>(m.face_start[static_cast<std::size_t>(f)] + k)];
        out += (k ? " " : "") + float_text(uv.x) + " " + float_text(uv.y);
    }
    return out;
}

std::string script_runner::transform_text(const mat4& m) {
    std::string out;
    for (int k = 0; k < 16; ++k) out += (k ? " " : "") + float_text(m[k / 4][k % 4]);
    return out;
}

const twinel_class& script_runner::active_pairing() {
    host::mesh_shape& shape = active_mesh();
    const auto& libraries = app_.plugins().libraries();
    const auto* pairings = libraries.empty() ? nullptr
                                             : static_cast<const extend_class_container<twinel_class>*>(
                                                   libraries.front()->data_symbol("SymS"));
    const twinel_class* t = pairings ? pairings->get_extend_object(&shape) : nullptr;
    if (!t) throw line_error("expectation failed: " + std::string(shape.get_name()) + " has no pairing");
    return *t;
}

}  // namespace cli
