// The reader of scene files (see scene_json.h): the text becomes a JSON
// tree, the tree a checked scene_document, and only a complete document
// becomes shapes.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include <boost/format.hpp>
#include <nlohmann/json.hpp>

#include "host/io/float_text.h"
#include "host/image.h"
#include "host/io/input_text.h"
#include "host/line_shape.h"
#include "host/mesh_algorithms.h"
#include "host/mesh_shape.h"
#include "host/io/file_error.h"
#include "host/part.h"
#include "host/primitive_shape.h"
#include "host/scene.h"
#include "host/io/scene_json.h"
#include "host/skin_view.h"

namespace host {
namespace {

using json = nlohmann::json;

// A place in the JSON tree, kept as a chain on the stack and spelled out
// (as a JSON pointer) only for an error message.
struct where {
    const where* up = nullptr;
    const char* key = nullptr;  // null: an array element
    std::size_t index = 0;

    where at(const char* k) const { return where{this, k, 0}; }
    where at(std::size_t i) const { return where{this, nullptr, i}; }

    std::string str() const {
        std::vector<const where*> chain;
        for (const where* w = this; w && w->up; w = w->up) chain.push_back(w);
        if (chain.empty()) return "top level";
        std::string out;
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            out += '/';
            if ((*it)->key)
                out += pointer_token((*it)->key);
            else
                out += std::to_string((*it)->index);
        }
        return out;
    }

    // A key as a JSON pointer token: "~" is "~0", "/" is "~1".
    static std::string pointer_token(const std::string& key) {
        std::string t;
        for (char c : key) t += c == '~' ? std::string("~0") : c == '/' ? std::string("~1") : std::string(1, c);
        return t;
    }
};

// ---- Text to tree ----------------------------------------------------------

// Builds the JSON tree from the parser's events. Floats are read from their
// text with parse_float, so every float is exactly the nearest one (the
// library would round through a double); a number beyond the float range
// is refused here. Duplicate keys are refused too. A syntax error is
// reported with its line and the path of the value being read.
class tree_builder {
public:
    tree_builder(const std::string& text, const std::string& file) : text_(text), file_(file) {}

    json take() { return std::move(root_); }

    bool null() { return put(json()); }
    bool boolean(bool b) { return put(json(b)); }
    bool number_integer(json::number_integer_t i) { return put(json(i)); }
    bool number_unsigned(json::number_unsigned_t u) { return put(json(u)); }
    bool number_float(json::number_float_t, const std::string& lexeme) {
        float f = 0.0f;
        if (!parse_float(lexeme, f))
            fail_here(0, (boost::format("the number %s is beyond the float range") % lexeme).str());
        return put(json(static_cast<double>(f)));
    }
    bool string(std::string& s) { return put(json(std::move(s))); }
    bool binary(json::binary_t&) { return put(json()); }  // never made by the text parser

    bool start_object(std::size_t) {
        json* o = put_container(json::object());
        stack_.push_back({o, std::string(), 0});
        return true;
    }
    bool key(std::string& k) {
        frame& top = stack_.back();
        if (top.value->contains(k)) {
            top.key = k;
            fail_here(0, (boost::format("the key '%s' appears twice") % k).str());
        }
        top.key = std::move(k);
        return true;
    }
    bool end_object() {
        stack_.pop_back();
        return true;
    }
    bool start_array(std::size_t) {
        json* a = put_container(json::array());
        stack_.push_back({a, std::string(), 0});
        return true;
    }
    bool end_array() {
        stack_.pop_back();
        return true;
    }

    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& e) {
        // "[json.exception.parse_error.101] parse error at line 1, column 5:
        // syntax error ..." is shortened to what follows the position.
        std::string what = e.what();
        const std::size_t at = what.find("parse error");
        const std::size_t colon = at == std::string::npos ? at : what.find(": ", at);
        if (colon != std::string::npos) what = what.substr(colon + 2);
        fail_here(line_of(position), what);
    }

private:
    struct frame {
        json* value;
        std::string key;    // objects: the key of the value being read
        std::size_t count;  // arrays: elements so far
    };

    bool put(json v) {
        put_container(std::move(v));
        return true;
    }

    // Places a value where the parser is and returns it.
    json* put_container(json v) {
        if (stack_.empty()) {
            root_ = std::move(v);
            return &root_;
        }
        frame& top = stack_.back();
        if (top.value->is_array()) {
            ++top.count;
            top.value->push_back(std::move(v));
            return &top.value->back();
        }
        json& slot = (*top.value)[top.key];
        slot = std::move(v);
        return &slot;
    }

    int line_of(std::size_t position) const {
        const std::size_t end = std::min(position, text_.size());
        return 1 + static_cast<int>(std::count(text_.begin(), text_.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
    }

    // The path of the value being read: keys of the open objects, and for
    // each open array the element that comes next.
    std::string path_here() const {
        std::string out;
        for (std::size_t i = 0; i < stack_.size(); ++i) {
            const frame& f = stack_[i];
            out += '/';
            // An array below the innermost one is inside its last element.
            const std::size_t element = i + 1 < stack_.size() ? f.count - 1 : f.count;
            out += f.value->is_array() ? std::to_string(element) : where::pointer_token(f.key);
        }
        return out.empty() ? "top level" : out;
    }

    [[noreturn]] void fail_here(int line, const std::string& what) const {
        throw file_error(file_, line, path_here() + ": " + what);
    }

    const std::string& text_;
    const std::string& file_;
    json root_;
    std::vector<frame> stack_;
};

// ---- Tree to document ------------------------------------------------------

const char* type_name(const json& v) {
    switch (v.type()) {
    case json::value_t::null: return "null";
    case json::value_t::boolean: return "a boolean";
    case json::value_t::string: return "a string";
    case json::value_t::array: return "an array";
    case json::value_t::object: return "an object";
    default: return "a number";
    }
}

class document_reader {
public:
    explicit document_reader(const std::string& file) : file_(file) {}

    scene_document read(const json& root) {
        const where top;
        object(root, top, {"format", "version", "shapes"});
        const json& format = member(root, top, "format");
        if (!format.is_string() || format.get<std::string>() != "twinel-scene")
            fail(top.at("format"), "must be \"twinel-scene\"");
        const long long version = integer(member(root, top, "version"), top.at("version"), 0, 1 << 30);
        if (version != 1) fail(top.at("version"), (boost::format("version %i is not known (this reader knows 1)") % version).str());
        const where at = top.at("shapes");
        const json& shapes = array(member(root, top, "shapes"), at);
        count_ = shapes.size();
        scene_document doc;
        doc.shapes.reserve(shapes.size());
        for (std::size_t i = 0; i < shapes.size(); ++i) doc.shapes.push_back(shape(shapes[i], at.at(i), i));
        return doc;
    }

private:
    [[noreturn]] void fail(const where& w, const std::string& what) const {
        throw file_error(file_, 0, w.str() + ": " + what);
    }

    // ---- values

    // Checks that `v` is an object with no keys but `allowed`.
    void object(const json& v, const where& w, std::initializer_list<const char*> allowed) const {
        if (!v.is_object()) fail(w, std::string("must be an object, not ") + type_name(v));
        for (const auto& item : v.items()) {
            const bool known = std::any_of(allowed.begin(), allowed.end(),
                                           [&](const char* k) { return item.key() == k; });
            if (!known) fail(w, (boost::format("unknown key '%s'") % item.key()).str());
        }
    }

    const json& member(const json& o, const where& w, const char* key) const {
        const auto it = o.find(key);
        if (it == o.end()) fail(w, (boost::format("the key '%s' is missing") % key).str());
        return *it;
    }

    static const json* optional(const json& o, const char* key) {
        const auto it = o.find(key);
        return it == o.end() ? nullptr : &*it;
    }

    const json& array(const json& v, const where& w) const {
        if (!v.is_array()) fail(w, std::string("must be an array, not ") + type_name(v));
        return v;
    }

    const json& array(const json& v, const where& w, std::size_t n) const {
        array(v, w);
        if (v.size() != n) fail(w, (boost::format("must hold %i values, not %i") % n % v.size()).str());
        return v;
    }

    long long integer(const json& v, const where& w, long long lo, long long hi) const {
        if (!v.is_number_integer()) fail(w, std::string("must be an integer, not ") + type_name(v));
        if (v.is_number_unsigned() && v.get<json::number_unsigned_t>() > static_cast<unsigned long long>(hi))
            fail(w, (boost::format("%i is out of range (%i to %i)") % v.get<json::number_unsigned_t>() % lo % hi).str());
        const long long i = v.get<long long>();
        if (i < lo || i > hi) fail(w, (boost::format("%i is out of range (%i to %i)") % i % lo % hi).str());
        return i;
    }

    // An index into a list of `n` things.
    std::int32_t index(const json& v, const where& w, std::size_t n, const char* what) const {
        if (!v.is_number_integer())
            fail(w, (boost::format("a %s index must be an integer, not %s") % what % type_name(v)).str());
        const bool in_range = v.is_number_unsigned() ? v.get<json::number_unsigned_t>() < n
                                                     : v.get<json::number_integer_t>() >= 0 &&
                                                           static_cast<std::size_t>(v.get<json::number_integer_t>()) < n;
        if (!in_range) fail(w, (boost::format("%s index %s is out of range (%i %s)") % what % v.dump() % n %
                                (n == 1 ? what : plural(what))).str());
        return static_cast<std::int32_t>(v.get<json::number_integer_t>());
    }

    static std::string plural(const std::string& what) { return what == "vertex" ? "vertices" : what + "s"; }

    float number(const json& v, const where& w) const {
        if (v.is_number_float()) return static_cast<float>(v.get<double>());  // a float's value already
        // An integer converts with correct rounding, as from_chars would read it.
        if (v.is_number_unsigned()) return static_cast<float>(v.get<json::number_unsigned_t>());
        if (v.is_number_integer()) return static_cast<float>(v.get<json::number_integer_t>());
        if (v.is_string()) {
            const std::string& s = v.get_ref<const std::string&>();
            if (s == "nan") return std::numeric_limits<float>::quiet_NaN();
            if (s == "-nan") return -std::numeric_limits<float>::quiet_NaN();
            if (s == "inf") return std::numeric_limits<float>::infinity();
            if (s == "-inf") return -std::numeric_limits<float>::infinity();
        }
        fail(w, std::string("must be a number (or \"nan\", \"-nan\", \"inf\", \"-inf\"), not ") + type_name(v));
    }

    vec2 vector2(const json& v, const where& w) const {
        array(v, w, 2);
        return vec2(number(v[0], w.at(std::size_t{0})), number(v[1], w.at(1)));
    }

    vec3 vector3(const json& v, const where& w) const {
        array(v, w, 3);
        return vec3(number(v[0], w.at(std::size_t{0})), number(v[1], w.at(1)), number(v[2], w.at(2)));
    }

    mat4 matrix(const json& v, const where& w) const {
        array(v, w, 16);
        mat4 m;
        for (std::size_t i = 0; i < 16; ++i) m.m[i / 4][i % 4] = number(v[i], w.at(i));
        return m;
    }

    bool flag(const json& v, const where& w) const {
        if (!v.is_boolean()) fail(w, std::string("must be true or false, not ") + type_name(v));
        return v.get<bool>();
    }

    std::string text(const json& v, const where& w) const {
        if (!v.is_string()) fail(w, std::string("must be a string, not ") + type_name(v));
        return v.get<std::string>();
    }

    // {"matrix": [16], "binds": [{"joint": J or null, "weight": W}]}
    skin_record skin(const json& v, const where& w) const {
        object(v, w, {"matrix", "binds"});
        skin_record r;
        if (const json* m = optional(v, "matrix")) r.skin.matrix = matrix(*m, w.at("matrix"));
        if (const json* b = optional(v, "binds")) {
            const where bw = w.at("binds");
            array(*b, bw);
            for (std::size_t k = 0; k < b->size(); ++k) {
                const json& bind = (*b)[k];
                const where kw = bw.at(k);
                object(bind, kw, {"joint", "weight"});
                const json& joint = member(bind, kw, "joint");
                r.joints.push_back(joint.is_null() ? -1 : index(joint, kw.at("joint"), count_, "shape"));
                skin_binding binding;
                binding.weight = number(member(bind, kw, "weight"), kw.at("weight"));
                r.skin.binds.push_back(binding);
            }
        }
        return r;
    }

    // ---- shapes

    shape_record shape(const json& v, const where& w, std::size_t self) const {
        object(v, w, {"name", "kind", "parent", "transform", "skin", "mapping_layers", "part_type", "link", "closed",
                      "points", "mesh", "primitive_type"});
        shape_record r;
        r.name = text(member(v, w, "name"), w.at("name"));
        const std::string kind = text(member(v, w, "kind"), w.at("kind"));
        if (const json* p = optional(v, "parent"); p && !p->is_null()) {
            r.parent = index(*p, w.at("parent"), count_, "shape");
            if (static_cast<std::size_t>(r.parent) >= self)
                fail(w.at("parent"), (boost::format("the parent %i must come before the shape (%i)") % r.parent % self).str());
        }
        if (const json* t = optional(v, "transform")) r.transform = matrix(*t, w.at("transform"));
        if (const json* s = optional(v, "skin")) r.skin = skin(*s, w.at("skin"));
        if (const json* layers = optional(v, "mapping_layers")) read_layers(*layers, w.at("mapping_layers"), r);

        // Keys that belong to other kinds are refused rather than ignored.
        const auto only = [&](std::initializer_list<const char*> keys) {
            for (const char* k : {"part_type", "link", "closed", "points", "mesh", "primitive_type"}) {
                const bool allowed = std::any_of(keys.begin(), keys.end(), [&](const char* a) { return std::string(a) == k; });
                if (!allowed && optional(v, k)) fail(w, (boost::format("a %s has no '%s'") % kind % k).str());
            }
        };
        if (kind == "part") {
            only({"part_type", "link"});
            r.kind = 2;
            if (const json* t = optional(v, "part_type"))
                r.part_type = static_cast<int>(integer(*t, w.at("part_type"), std::numeric_limits<int>::min(),
                                                       std::numeric_limits<int>::max()));
            if (const json* l = optional(v, "link"); l && !l->is_null()) r.link = index(*l, w.at("link"), count_, "shape");
        } else if (kind == "line") {
            only({"closed", "points"});
            r.kind = 4;
            if (const json* c = optional(v, "closed")) r.closed = flag(*c, w.at("closed"));
            read_points(member(v, w, "points"), w.at("points"), r);
        } else if (kind == "mesh") {
            only({"mesh"});
            r.kind = 7;
            read_mesh(member(v, w, "mesh"), w.at("mesh"), r);
        } else if (kind == "primitive") {
            only({"primitive_type", "points"});
            const where tw = w.at("primitive_type");
            const long long type = integer(member(v, w, "primitive_type"), tw, 0, std::numeric_limits<int>::max());
            if (type == 2 || type == 4 || type == 7)
                fail(tw, (boost::format("%i is the kind of a %s, not of a primitive") % type %
                          (type == 2 ? "part" : type == 4 ? "line" : "mesh")).str());
            r.kind = static_cast<int>(type);
            const where pw = w.at("points");
            const json& points = array(member(v, w, "points"), pw, 2);
            r.primitive_points[0] = vector3(points[0], pw.at(std::size_t{0}));
            r.primitive_points[1] = vector3(points[1], pw.at(1));
        } else {
            fail(w.at("kind"), (boost::format("'%s' is not a kind of shape (part, line, mesh or primitive)") % kind).str());
        }
        return r;
    }

    void read_layers(const json& v, const where& w, shape_record& r) const {
        array(v, w);
        r.has_surface = true;
        for (std::size_t k = 0; k < v.size(); ++k) {
            const where lw = w.at(k);
            if (v[k].is_null()) {
                r.layers.emplace_back(0, 0);
                continue;
            }
            object(v[k], lw, {"width", "height"});
            const int width = static_cast<int>(integer(member(v[k], lw, "width"), lw.at("width"), 1, image::max_side));
            const int height = static_cast<int>(integer(member(v[k], lw, "height"), lw.at("height"), 1, image::max_side));
            r.layers.emplace_back(width, height);
        }
    }

    void read_points(const json& v, const where& w, shape_record& r) const {
        array(v, w);
        for (std::size_t i = 0; i < v.size(); ++i) {
            const json& p = v[i];
            const where pw = w.at(i);
            object(p, pw, {"position", "handles", "flags", "skin"});
            control_point_data point = line_shape::point_at(vector3(member(p, pw, "position"), pw.at("position")));
            if (const json* h = optional(p, "handles")) {
                const where hw = pw.at("handles");
                array(*h, hw, 4);
                point.first_handle = vector3((*h)[0], hw.at(std::size_t{0}));
                point.second_handle = vector3((*h)[1], hw.at(1));
                point.third_handle = vector3((*h)[2], hw.at(2));
                point.fourth_handle = vector3((*h)[3], hw.at(3));
            }
            if (const json* f = optional(p, "flags")) {
                const where fw = pw.at("flags");
                array(*f, fw, 2);
                point.first_flag = flag((*f)[0], fw.at(std::size_t{0}));
                point.second_flag = flag((*f)[1], fw.at(1));
            }
            std::vector<std::int32_t> joints;
            if (const json* s = optional(p, "skin")) {
                skin_record sr = skin(*s, pw.at("skin"));
                point.skin = std::move(sr.skin);
                joints = std::move(sr.joints);
            }
            r.points.push_back(std::move(point));
            r.point_joints.push_back(std::move(joints));
        }
    }

    // A list of ascending element indices, each below n, into flags.
    void selection(const json* v, const where& w, std::size_t n, const char* what, std::vector<std::uint8_t>& flags) const {
        flags.assign(n, 0);
        if (!v) return;
        array(*v, w);
        long long last = -1;
        for (std::size_t i = 0; i < v->size(); ++i) {
            const std::int32_t k = index((*v)[i], w.at(i), n, what);
            if (k <= last) fail(w.at(i), "selected indices must be ascending, each listed once");
            last = k;
            flags[static_cast<std::size_t>(k)] = 1;
        }
    }

    void read_mesh(const json& v, const where& w, shape_record& r) const {
        object(v, w, {"vertices", "faces", "edges", "selected_vertices", "selected_edges", "selected_faces", "skins",
                      "face_flip"});
        mesh_data& m = r.mesh;
        const where vw = w.at("vertices");
        const json& vertices = array(member(v, w, "vertices"), vw);
        m.positions.reserve(vertices.size());
        for (std::size_t i = 0; i < vertices.size(); ++i) m.positions.push_back(vector3(vertices[i], vw.at(i)));
        const std::size_t nv = m.positions.size();

        const where fw = w.at("faces");
        const json& faces = array(member(v, w, "faces"), fw);
        bool any_normals = false;
        std::vector<vec3> normals;  // per corner, for the faces that have them
        for (std::size_t f = 0; f < faces.size(); ++f) any_normals |= read_face(faces[f], fw.at(f), m, normals);
        if (any_normals) m.corner_normal = std::move(normals);

        if (const json* e = optional(v, "edges")) {
            const where ew = w.at("edges");
            array(*e, ew);
            for (std::size_t i = 0; i < e->size(); ++i) {
                const where iw = ew.at(i);
                array((*e)[i], iw, 2);
                m.add_edge(index((*e)[i][0], iw.at(std::size_t{0}), nv, "vertex"), index((*e)[i][1], iw.at(1), nv, "vertex"));
            }
        } else {
            rebuild_edges(m);
        }
        selection(optional(v, "selected_vertices"), w.at("selected_vertices"), nv, "vertex", m.vertex_selected);
        selection(optional(v, "selected_edges"), w.at("selected_edges"), m.edges.size(), "edge", m.edge_selected);
        selection(optional(v, "selected_faces"), w.at("selected_faces"), m.face_size.size(), "face", m.face_selected);

        if (const json* s = optional(v, "skins")) {
            const where sw = w.at("skins");
            array(*s, sw);
            if (!s->empty()) m.vertex_skin.assign(nv, -1);
            long long last = -1;
            for (std::size_t i = 0; i < s->size(); ++i) {
                const where iw = sw.at(i);
                object((*s)[i], iw, {"vertex", "skin"});
                const std::int32_t vertex = index(member((*s)[i], iw, "vertex"), iw.at("vertex"), nv, "vertex");
                if (vertex <= last) fail(iw.at("vertex"), "skinned vertices must be ascending, each listed once");
                last = vertex;
                skin_record sr = skin(member((*s)[i], iw, "skin"), iw.at("skin"));
                m.vertex_skin[static_cast<std::size_t>(vertex)] = static_cast<std::int32_t>(m.skins.size());
                m.skins.push_back(std::move(sr.skin));
                r.mesh_joints.push_back(std::move(sr.joints));
            }
        }
        if (const json* f = optional(v, "face_flip")) m.face_flip = flag(*f, w.at("face_flip"));
    }

    // Appends one face; true when it has explicit normals (their corners go
    // to `normals`, which keeps one entry per corner of the mesh).
    bool read_face(const json& v, const where& w, mesh_data& m, std::vector<vec3>& normals) const {
        object(v, w, {"vertices", "has_uv", "puv", "duv", "normals"});
        const where vw = w.at("vertices");
        const json& corners = array(member(v, w, "vertices"), vw);
        const std::size_t n = corners.size();
        std::vector<std::int32_t> ids(n);
        for (std::size_t k = 0; k < n; ++k) ids[k] = index(corners[k], vw.at(k), m.positions.size(), "vertex");
        const json* has_uv_flag = optional(v, "has_uv");
        const bool has_uv = has_uv_flag && flag(*has_uv_flag, w.at("has_uv"));
        const auto uvs = [&](const char* key) {
            std::vector<vec2> out(n);
            const json* set = optional(v, key);
            if (!set) {
                if (has_uv) fail(w, (boost::format("a face with UVs needs '%s'") % key).str());
                return out;
            }
            const where uw = w.at(key);
            array(*set, uw, n);
            for (std::size_t k = 0; k < n; ++k) out[k] = vector2((*set)[k], uw.at(k));
            return out;
        };
        const std::vector<vec2> puv = uvs("puv");
        const std::vector<vec2> duv = uvs("duv");
        const int f = m.add_face(static_cast<int>(n), ids.data(), puv.data(), duv.data());
        m.face_has_uv[static_cast<std::size_t>(f)] = has_uv ? 1 : 0;
        normals.resize(m.corner_vertex.size());
        const json* nv = optional(v, "normals");
        if (!nv) return false;
        const where nw = w.at("normals");
        array(*nv, nw, n);
        for (std::size_t k = 0; k < n; ++k) normals[normals.size() - n + k] = vector3((*nv)[k], nw.at(k));
        m.face_has_normals[static_cast<std::size_t>(f)] = 1;
        return true;
    }

    const std::string& file_;
    std::size_t count_ = 0;  // shapes in the file
};

// ---- Document to shapes ----------------------------------------------------

std::unique_ptr<shape> make_shape(scene& target, shape_record& r) {
    switch (r.kind) {
    case 2: return std::make_unique<part>(target, r.name, r.part_type);
    case 4: return std::make_unique<line_shape>(target, r.name, r.points, r.closed);
    case 7: return std::make_unique<mesh_shape>(target, r.name, std::move(r.mesh));
    default: return std::make_unique<primitive_shape>(target, r.name, r.kind, r.primitive_points[0], r.primitive_points[1]);
    }
}

}  // namespace

scene_document parse_scene_json(const std::string& text, const std::string& name) {
    tree_builder builder(text, name);
    json::sax_parse(text, &builder);
    return document_reader(name).read(builder.take());
}

std::vector<shape*> insert_scene_document(scene& target, scene_document document) {
    std::vector<shape_record>& records = document.shapes;
    std::vector<shape*> made;
    std::vector<shape*> tops;
    made.reserve(records.size());
    {
        const undo_scope step(target);
        // Every shape first, so that skins and links can point at any of them.
        for (shape_record& r : records) made.push_back(&target.keep(make_shape(target, r)));
        const auto joint = [&](std::int32_t i) -> shape_class* { return i < 0 ? nullptr : made[static_cast<std::size_t>(i)]; };
        for (std::size_t i = 0; i < records.size(); ++i) {
            shape_record& r = records[i];
            shape& s = *made[i];
            if (std::memcmp(&r.transform, &s.state().local, sizeof(mat4)) != 0) s.set_local_matrix(r.transform);
            if (!r.skin.skin.binds.empty() || std::memcmp(&r.skin.skin.matrix, &s.state().skin.matrix, sizeof(mat4)) != 0) {
                auto& skin = dynamic_cast<skin_view&>(s.get_skin());
                skin.set_skin_matrix(r.skin.skin.matrix);
                for (std::size_t k = 0; k < r.skin.skin.binds.size(); ++k) {
                    skin.append_bind();
                    skin.set_bind_joint(static_cast<int>(k), joint(r.skin.joints[k]));
                    skin.set_bind_weight(static_cast<int>(k), r.skin.skin.binds[k].weight);
                }
            }
            if (r.has_surface) {
                surface_attributes& surface = s.surface();
                for (const auto& [width, height] : r.layers)
                    surface.add_layer(width > 0 ? new image(width, height) : nullptr);
            }
            if (r.kind == 2 && r.link >= 0) static_cast<part&>(s).set_link(made[static_cast<std::size_t>(r.link)]);
            if (r.kind == 7 && !r.mesh_joints.empty()) {
                mesh_data& m = static_cast<mesh_shape&>(s).edit_data();
                for (std::size_t k = 0; k < r.mesh_joints.size(); ++k)
                    for (std::size_t b = 0; b < r.mesh_joints[k].size(); ++b) m.skins[k].binds[b].joint = joint(r.mesh_joints[k][b]);
            }
            if (r.kind == 4) {
                bool skinned = false;
                for (std::size_t p = 0; p < r.points.size(); ++p)
                    for (std::size_t b = 0; b < r.point_joints[p].size(); ++b) {
                        r.points[p].skin.binds[b].joint = joint(r.point_joints[p][b]);
                        skinned |= r.point_joints[p][b] >= 0;
                    }
                if (skinned) static_cast<line_shape&>(s).set_points(std::move(r.points));
            }
        }
        for (std::size_t i = 0; i < records.size(); ++i) {
            const int parent = records[i].parent;
            target.place(*made[i], parent < 0 ? &target.root() : made[static_cast<std::size_t>(parent)], scene::at_end);
            if (parent < 0) tops.push_back(made[i]);
        }
    }
    target.announce_created(std::vector<shape_class*>(made.begin(), made.end()));
    return tops;
}

std::vector<shape*> read_scene_json(scene& target, const std::string& path) {
    const std::string name = input_name(path);
    return insert_scene_document(target, parse_scene_json(read_input(path, name), name));
}

}  // namespace host
