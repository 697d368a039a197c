// The script runner's printing and expectations.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <iomanip>

#include <boost/format.hpp>

#include "cli/script.h"
#include "cli/script_support.h"
#include "frame/sdk/korvo.h"
#include "frame/sdk/polygon_mesh.h"
#include "host/application.h"
#include "host/element_marks.h"
#include "host/image.h"
#include "host/mesh_shape.h"
#include "host/io/obj_format.h"
#include "host/palette.h"
#include "host/scene.h"

namespace cli {

using namespace script_support;

// ---- printing ------------------------------------------------------------------

void script_runner::print(const words& w) {
    need(w, 2, "print palette|messages|shapes|mesh [NAME]|marks [NAME]|uv FACE|skin|line|transform SHAPE|modes|pairs");
    if (w[1] == "palette") return print_palette();
    if (w[1] == "messages") {
        for (const std::string& line : app_.message_lines()) out_ << "message: " << line << '\n';
        return;
    }
    if (w[1] == "shapes") {
        for (host::shape* s : scene().shapes_in_order()) out_ << "shape: " << s->get_name() << '\n';
        return;
    }
    if (is_state_print(w[1])) return print_state(w);
    host::mesh_shape& shape = w.size() > 2 ? mesh_named(w[2]) : active_mesh();
    if (w[1] == "mesh") return print_mesh(shape);
    if (w[1] == "marks") return print_marks(shape);
    throw line_error("cannot print '" + w[1] + "'");
}

void script_runner::print_palette() {
    host::palette& p = palette();
    out_ << "palette: \"" << p.title() << "\"\n";
    const auto row = [this](const host::control_state& c) {
        out_ << "  " << std::left << std::setw(20) << c.id << ' ' << std::setw(14) << host::kind_name(c.kind) << ' '
             << (c.enabled ? "enabled " : "disabled") << ' ' << (c.shown ? "shown " : "hidden");
        if (c.kind == host::control_kind::number || c.kind == host::control_kind::checkbox ||
            c.kind == host::control_kind::popup_menu)
            out_ << " value=" << float_text(c.value);
        out_ << " title=\"" << c.title << "\"\n";
    };
    for (const host::control_state* c : p.controls())
        if (c->kind != host::control_kind::spacer && c->kind != host::control_kind::group &&
            c->kind != host::control_kind::tab)
            row(*c);
    for (int i = 0; i < p.toolbar_size(); ++i) row(p.toolbar(i));
}

void script_runner::print_mesh(host::mesh_shape& shape) {
    polygon_mesh_class& mesh = shape.polygon();
    out_ << "mesh " << shape.get_name() << ": " << mesh.get_number_of_vertices() << " vertices, "
         << mesh.get_number_of_edges() << " edges, " << mesh.get_number_of_faces() << " faces\n";
    for (int v = 0; v < mesh.get_number_of_vertices(); ++v) {
        const vec3 p = mesh.vertex(v).get_position();
        out_ << "  v " << v << ": " << float_text(p.x) << ' ' << float_text(p.y) << ' ' << float_text(p.z) << '\n';
    }
    std::vector<int> corners;
    for (int f = 0; f < mesh.get_number_of_faces(); ++f) {
        face_class& face = mesh.face(f);
        corners.resize(static_cast<std::size_t>(face.get_number_of_vertices()));
        if (!corners.empty()) face.get_vertex_indices(corners.data());
        out_ << "  f " << f << ": " << join(corners) << '\n';
    }
}

void script_runner::print_marks(host::mesh_shape& shape) {
    for (const char* kind : {"vertices", "edges", "faces"}) {
        const auto& marks = app_.marks().marks(shape, target_of(kind));
        out_ << "marks " << kind << ": " << join(std::vector<int>(marks.begin(), marks.end())) << '\n';
    }
}

// ---- expectations ---------------------------------------------------------------

namespace {

bool same_bits(const vec3& a, const vec3& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The first difference between two meshes' positions and face lists, or
// nothing when they agree.
std::string mesh_difference(const host::mesh_data& have, const host::mesh_data& want) {
    if (have.vertex_count() != want.vertex_count())
        return std::to_string(have.vertex_count()) + " vertices, not " + std::to_string(want.vertex_count());
    if (have.face_count() != want.face_count())
        return std::to_string(have.face_count()) + " faces, not " + std::to_string(want.face_count());
    for (int v = 0; v < have.vertex_count(); ++v) {
        const vec3& p = have.positions[static_cast<std::size_t>(v)];
        if (!same_bits(p, want.positions[static_cast<std::size_t>(v)]))
            return "vertex " + std::to_string(v) + " is at " + float_text(p.x) + " " + float_text(p.y) + " " +
                   float_text(p.z);
    }
    for (int f = 0; f < have.face_count(); ++f) {
        const std::vector<int> a(have.face_vertices(f), have.face_vertices(f) + have.face_size[f]);
        const std::vector<int> b(want.face_vertices(f), want.face_vertices(f) + want.face_size[f]);
        if (a != b) return "face " + std::to_string(f) + " has the corners " + join(a);
    }
    return std::string();
}

}  // namespace

void script_runner::expect(const words& w) {
    need(w, 2, "expect WHAT ...");
    if (w[1] != "messages") need(w, 3, "expect WHAT ...");
    const std::string& what = w[1];
    const auto fail = [](const std::string& why) { throw line_error("expectation failed: " + why); };
    if (what == "message" || what == "no-message") {
        const std::string text = translated(rest(w, 2));
        bool seen = false;
        for (const std::string& line : app_.message_lines()) seen = seen || line == text;
        if (seen != (what == "message"))
            fail(seen ? "the message \"" + text + "\" was shown" : "no message \"" + text + "\" was shown");
    } else if (what == "message-format") {
        // A formatted message: the template in the application's language
        // filled with the values that follow it (whole numbers as numbers).
        const std::string text = formatted_message(translated(w[2]), std::vector<std::string>(w.begin() + 3, w.end()));
        bool seen = false;
        for (const std::string& line : app_.message_lines()) seen = seen || line == text;
        if (!seen) fail("no message \"" + text + "\" was shown");
    } else if (what == "question") {
        const std::string text = translated(rest(w, 2));
        if (app_.questions().empty() || app_.questions().back() != text)
            fail("the last question was not \"" + text + "\"");
    } else if (what == "title") {
        const std::string text = translated(rest(w, 2));
        if (palette().title() != text) fail("the palette's title is \"" + palette().title() + "\", not \"" + text + "\"");
    } else if (what == "vertices" || what == "edges" || what == "faces") {
        polygon_mesh_class& mesh = active_mesh().polygon();
        const int n = what == "vertices" ? mesh.get_number_of_vertices()
                                         : what == "edges" ? mesh.get_number_of_edges() : mesh.get_number_of_faces();
        if (n != to_int(w[2])) fail("the mesh has " + std::to_string(n) + " " + what + ", not " + w[2]);
    } else if (what == "face") {
        need(w, 4, "expect face FACE VERTEX ...");
        polygon_mesh_class& mesh = active_mesh().polygon();
        const int f = to_int(w[2]);
        if (f < 0 || f >= mesh.get_number_of_faces()) throw line_error("face " + w[2] + " is out of range");
        face_class& face = mesh.face(f);
        std::vector<int> corners(static_cast<std::size_t>(std::max(0, face.get_number_of_vertices())));
        if (!corners.empty()) face.get_vertex_indices(corners.data());
        if (corners != to_ints(w, 3)) fail("face " + w[2] + " has the corners " + join(corners));
    } else if (what == "mesh") {
        // The active mesh has exactly the positions (bit for bit) and the
        // faces (corners in order) of the first object of an OBJ file.
        need(w, 3, "expect mesh FILE");
        const std::vector<host::obj_object> objects = host::read_obj(file_name(w[2]));
        if (objects.empty()) throw line_error(w[2] + " holds no object");
        const std::string difference = mesh_difference(active_mesh().data(), objects.front().mesh);
        if (!difference.empty()) fail("the mesh differs from " + w[2] + ": " + difference);
    } else if (what == "position") {
        need(w, 6, "expect position VERTEX X Y Z");
        polygon_mesh_class& mesh = active_mesh().polygon();
        const int v = to_int(w[2]);
        if (v < 0 || v >= mesh.get_number_of_vertices()) throw line_error("vertex " + w[2] + " is out of range");
        const vec3 p = mesh.vertex(v).get_position();
        const vec3 want(to_float(w[3]), to_float(w[4]), to_float(w[5]));
        if (!(p == want))
            fail("vertex " + w[2] + " is at " + float_text(p.x) + " " + float_text(p.y) + " " + float_text(p.z));
    } else if (what == "selected" || what == "marks") {
        const int target = target_of(w[2]);
        host::mesh_shape& shape = active_mesh();
        std::vector<int> have;
        if (what == "selected") {
            have = selected(shape.polygon(), target);
        } else {
            const auto& marks = app_.marks().marks(shape, target);
            have.assign(marks.begin(), marks.end());
        }
        const std::vector<int> want = to_ints(w, 3);
        if (have != want) fail(what + " " + w[2] + " are [" + join(have) + "], not [" + join(want) + "]");
    } else if (what == "attributes") {
        need(w, 4, "expect attributes SHAPE N");
        auto* shape = dynamic_cast<host::shape*>(&shape_ref(w[2]));
        const int n = shape ? static_cast<int>(shape->state().attributes.size()) : 0;
        if (n != to_int(w[3])) fail(w[2] + " has " + std::to_string(n) + " attributes, not " + w[3]);
    } else if (what == "undo-steps" || what == "undo-records") {
        const int n = what == "undo-steps" ? static_cast<int>(scene().history().undo_count())
                                           : scene().undo_records_made();
        if (n != to_int(w[2])) fail("there are " + std::to_string(n) + " " + what + ", not " + w[2]);
    } else if (what == "shape" || what == "no-shape") {
        const bool exists = scene().get_shape_by_name(w[2].c_str()) != nullptr;
        if (exists != (what == "shape")) fail(exists ? "the scene has a shape '" + w[2] + "'" : "no shape '" + w[2] + "'");
    } else if (what == "pixel") {
        expect_pixel(w);
    } else if (what == "image") {
        need(w, 5, "expect image FILE WIDTH HEIGHT");
        const kx::host_ref<image_interface> image(host::image::load(file_name(w[2])));
        if (!image) fail("no image " + w[2]);
        if (image->get_width() != to_int(w[3]) || image->get_height() != to_int(w[4]))
            fail((boost::format("the image %s is %i x %i") % w[2] % image->get_width() % image->get_height()).str());
    } else if (is_state_check(what)) {
        expect_state(w);
    } else {
        expect_control(w);
    }
    ++expectations_;
}

void script_runner::expect_control(const words& w) {
    const host::control_state& c = palette().control(w[1]);
    const std::string& what = w[2];
    const auto fail = [&c](const std::string& why) { throw line_error("expectation failed: " + c.id + " " + why); };
    if (what == "enabled" || what == "disabled") {
        if (c.enabled != (what == "enabled")) fail(c.enabled ? "is enabled" : "is disabled");
    } else if (what == "shown" || what == "hidden") {
        if (c.shown != (what == "shown")) fail(c.shown ? "is shown" : "is hidden");
    } else if (what == "value") {
        need(w, 4, "expect CONTROL value V");
        if (c.value != to_float(w[3])) fail("has the value " + float_text(c.value));
    } else if (what == "title") {
        const std::string text = translated(rest(w, 3));
        if (c.title != text) fail("has the title \"" + c.title + "\"");
    } else {
        throw line_error("cannot expect '" + w[1] + "': not a control state, message, question, count or position");
    }
}


void script_runner::expect_pixel(const words& w) {
    if (w.size() != 9) throw line_error("usage: expect pixel FILE X Y R G B A");
    const std::string file = file_name(w[2]);
    const kx::host_ref<image_interface> image(host::image::load(file));
    if (!image) throw line_error("expectation failed: no image " + file);
    const int x = to_int(w[3]), y = to_int(w[4]);
    if (x < 0 || y < 0 || x >= image->get_width() || y >= image->get_height())
        throw line_error("pixel " + w[3] + " " + w[4] + " is outside the image");
    const kx::rgba8_class have = image->get_pixel(x, y);
    const std::vector<int> got = {have.r, have.g, have.b, have.a};
    if (got != to_ints(w, 5))
        throw line_error("expectation failed: pixel " + w[3] + " " + w[4] + " of " + w[2] + " is " + join(got));
}

}  // namespace cli
