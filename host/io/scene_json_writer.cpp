// The writer of scene files (see scene_json.h). The text is laid out by
// hand, not by a JSON library, so that every float goes through
// append_float and the same scene always gives the same bytes.
#include <charconv>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include <boost/format.hpp>
#include <nlohmann/json.hpp>

#include "frame/sdk/image.h"
#include "host/io/float_text.h"
#include "host/line_shape.h"
#include "host/mesh_shape.h"
#include "host/io/file_error.h"
#include "host/io/output_file.h"
#include "host/part.h"
#include "host/io/scene_json.h"

namespace host {
namespace {

bool is_identity(const mat4& m) {
    const mat4 identity;
    return std::memcmp(&m, &identity, sizeof m) == 0;
}

// Whether the stored UVs of a face are all +0 (as a face without UVs gets
// them), so that leaving them out loses nothing.
bool zero_uvs(const std::vector<vec2>& uvs, std::size_t start, int n) {
    static const vec2 zero;
    for (int k = 0; k < n; ++k)
        if (std::memcmp(&uvs[start + static_cast<std::size_t>(k)], &zero, sizeof zero) != 0) return false;
    return true;
}

class writer {
public:
    writer(const std::vector<const shape*>& tops, const std::string& name) : name_(name) {
        collect(tops);
    }

    std::string text() {
        out_ += "{\n  \"format\": \"twinel-scene\",\n  \"version\": 1,\n  \"shapes\": [";
        for (std::size_t i = 0; i < shapes_.size(); ++i) {
            out_ += i ? ",\n" : "\n";
            write_shape(*shapes_[i]);
        }
        out_ += shapes_.empty() ? "]\n}\n" : "\n  ]\n}\n";
        return std::move(out_);
    }

private:
    // The shapes in file order: each listed shape not below another listed
    // one, followed by its subtree depth first.
    void collect(const std::vector<const shape*>& tops) {
        std::unordered_set<const shape*> listed(tops.begin(), tops.end());
        for (const shape* top : tops) {
            bool below = false;
            for (const shape* p = top->parent(); p && !below; p = p->parent()) below = listed.count(p) != 0;
            if (below || index_.count(top)) continue;
            std::vector<const shape*> work{top};
            while (!work.empty()) {
                const shape* s = work.back();
                work.pop_back();
                index_.emplace(s, static_cast<int>(shapes_.size()));
                shapes_.push_back(s);
                const std::vector<shape*>& kids = s->children();
                for (auto it = kids.rbegin(); it != kids.rend(); ++it) work.push_back(*it);
            }
        }
    }

    [[noreturn]] void fail(const std::string& what) const { throw file_error(name_, 0, what); }

    // The index of a joint or link target, which must be written too.
    int index_of(const shape_class* target, const shape& user, const char* role) const {
        const auto* s = dynamic_cast<const shape*>(target);
        const auto it = s ? index_.find(s) : index_.end();
        if (it == index_.end())
            fail((boost::format("shape '%s' has %s '%s', which is not among the written shapes") % user.get_name() %
                  role % (target ? target->get_name() : ""))
                     .str());
        return it->second;
    }

    void string(const std::string& s) {
        try {
            out_ += nlohmann::json(s).dump();
        } catch (const nlohmann::json::type_error&) {
            fail((boost::format("the shape name '%s' is not valid UTF-8, which a scene file needs") % s).str());
        }
    }

    // JSON has no NaN or infinity: those are the strings "nan", "-nan",
    // "inf" and "-inf". Negative zero is written "-0.0", since a JSON
    // reader takes "-0" for the integer zero.
    void number(float f) {
        if (std::isnan(f) || std::isinf(f)) {
            out_ += '"';
            append_float(out_, f);
            out_ += '"';
        } else if (f == 0.0f && std::signbit(f)) {
            out_ += "-0.0";
        } else {
            append_float(out_, f);
        }
    }

    void integer(long long i) {
        char buf[24];
        const auto r = std::to_chars(buf, buf + sizeof buf, i);
        out_.append(buf, r.ptr);
    }

    // [item(0), item(1), ...] on one line.
    template <class F>
    void inline_list(std::size_t n, F item) {
        out_ += '[';
        for (std::size_t i = 0; i < n; ++i) {
            if (i) out_ += ", ";
            item(i);
        }
        out_ += ']';
    }

    void vector(const vec2& v) {
        inline_list(2, [&](std::size_t i) { number(v[static_cast<int>(i)]); });
    }

    void vector(const vec3& v) {
        inline_list(3, [&](std::size_t i) { number(v[static_cast<int>(i)]); });
    }

    void matrix(const mat4& m) {
        inline_list(16, [&](std::size_t i) { number(m.m[i / 4][i % 4]); });
    }

    void flag(bool b) { out_ += b ? "true" : "false"; }

    void index_list(const std::vector<std::uint8_t>& flags) {
        std::vector<long long> set;
        for (std::size_t i = 0; i < flags.size(); ++i)
            if (flags[i]) set.push_back(static_cast<long long>(i));
        inline_list(set.size(), [&](std::size_t i) { integer(set[i]); });
    }

    // The corners' values of face slot [start, start + n) as one line.
    template <class T>
    void corner_list(const std::vector<T>& values, std::size_t start, int n) {
        inline_list(static_cast<std::size_t>(n), [&](std::size_t k) { vector(values[start + k]); });
    }

    void key(const char* indent, const char* name) {
        out_ += ",\n";
        out_ += indent;
        out_ += '"';
        out_ += name;
        out_ += "\": ";
    }

    // {"matrix": [...], "binds": [{"joint": J, "weight": W}, ...]}, the
    // matrix only when it is not the identity.
    void skin(const skin_data& s, const shape& user) {
        out_ += '{';
        if (!is_identity(s.matrix)) {
            out_ += "\"matrix\": ";
            matrix(s.matrix);
            out_ += ", ";
        }
        out_ += "\"binds\": ";
        inline_list(s.binds.size(), [&](std::size_t k) {
            out_ += "{\"joint\": ";
            if (s.binds[k].joint)
                integer(index_of(s.binds[k].joint, user, "a skin bound to joint"));
            else
                out_ += "null";
            out_ += ", \"weight\": ";
            number(s.binds[k].weight);
            out_ += '}';
        });
        out_ += '}';
    }

    static bool default_skin(const skin_data& s) { return s.binds.empty() && is_identity(s.matrix); }

    void write_shape(const shape& s) {
        const char* in = "      ";
        out_ += "    {\n      \"name\": ";
        string(s.state().name);
        key(in, "kind");
        const int kind = s.get_type();
        out_ += kind == 2 ? "\"part\"" : kind == 4 ? "\"line\"" : kind == 7 ? "\"mesh\"" : "\"primitive\"";
        key(in, "parent");
        if (s.parent() && index_.count(s.parent()))
            integer(index_.at(s.parent()));
        else
            out_ += "null";
        key(in, "transform");
        matrix(s.local_matrix());
        if (!default_skin(s.state().skin)) {
            key(in, "skin");
            skin(s.state().skin, s);
        }
        // get_surface_attributes only hands out what the shape holds.
        if (surface_attributes_interface* surface = const_cast<shape&>(s).get_surface_attributes()) {
            key(in, "mapping_layers");
            inline_list(static_cast<std::size_t>(surface->get_number_of_mapping_layers()), [&](std::size_t k) {
                image_interface* image = surface->get_mapping_layer_image(static_cast<int>(k));
                if (!image) {
                    out_ += "null";
                    return;
                }
                out_ += "{\"width\": ";
                integer(image->get_width());
                out_ += ", \"height\": ";
                integer(image->get_height());
                out_ += '}';
            });
        }
        if (kind == 2) {
            key(in, "part_type");
            integer(s.get_part_type());
            if (s.get_link()) {
                key(in, "link");
                integer(index_of(s.get_link(), s, "a link to"));
            }
        } else if (kind == 4) {
            key(in, "closed");
            flag(s.state().closed);
            key(in, "points");
            write_points(s);
        } else if (kind == 7) {
            key(in, "mesh");
            write_mesh(static_cast<const mesh_shape&>(s));
        } else {
            key(in, "primitive_type");
            integer(kind);
            key(in, "points");
            inline_list(2, [&](std::size_t k) { vector(s.state().primitive_points[k]); });
        }
        out_ += "\n    }";
    }

    void write_points(const shape& line) {
        const std::vector<control_point_data>& points = line.state().points;
        if (points.empty()) {
            out_ += "[]";
            return;
        }
        out_ += '[';
        for (std::size_t i = 0; i < points.size(); ++i) {
            const control_point_data& p = points[i];
            out_ += i ? ",\n        " : "\n        ";
            out_ += "{\"position\": ";
            vector(p.position);
            const vec3* handles[] = {&p.first_handle, &p.second_handle, &p.third_handle, &p.fourth_handle};
            out_ += ", \"handles\": ";
            inline_list(4, [&](std::size_t k) { vector(*handles[k]); });
            out_ += ", \"flags\": ";
            inline_list(2, [&](std::size_t k) { flag(k == 0 ? p.first_flag : p.second_flag); });
            if (!default_skin(p.skin)) {
                out_ += ", \"skin\": ";
                skin(p.skin, line);
            }
            out_ += '}';
        }
        out_ += "\n      ]";
    }

    // A list of items, one a line.
    template <class F>
    void lines(std::size_t n, F item) {
        if (n == 0) {
            out_ += "[]";
            return;
        }
        out_ += '[';
        for (std::size_t i = 0; i < n; ++i) {
            out_ += i ? ",\n          " : "\n          ";
            item(i);
        }
        out_ += "\n        ]";
    }

    void write_mesh(const mesh_shape& shape) {
        const mesh_data& m = shape.data();
        const char* in = "        ";
        out_ += "{\n        \"vertices\": ";
        lines(m.positions.size(), [&](std::size_t v) { vector(m.positions[v]); });
        key(in, "faces");
        lines(m.face_size.size(), [&](std::size_t f) { write_face(m, f); });
        key(in, "edges");
        lines(m.edges.size(), [&](std::size_t e) { inline_list(2, [&](std::size_t k) { integer(m.edges[e][k]); }); });
        key(in, "selected_vertices");
        index_list(m.vertex_selected);
        key(in, "selected_edges");
        index_list(m.edge_selected);
        key(in, "selected_faces");
        index_list(m.face_selected);
        std::vector<std::size_t> skinned;
        for (std::size_t v = 0; v < m.vertex_skin.size(); ++v)
            if (m.vertex_skin[v] >= 0) skinned.push_back(v);
        key(in, "skins");
        lines(skinned.size(), [&](std::size_t i) {
            const std::size_t v = skinned[i];
            out_ += "{\"vertex\": ";
            integer(static_cast<long long>(v));
            out_ += ", \"skin\": ";
            skin(m.skins[static_cast<std::size_t>(m.vertex_skin[v])], shape);
            out_ += '}';
        });
        key(in, "face_flip");
        flag(m.face_flip);
        out_ += "\n      }";
    }

    // {"vertices": [...], "has_uv": true, "puv": [...], "duv": [...],
    // "normals": [...]}: the UVs when the face has them or keeps values
    // other than +0 without them, the normals when the face has explicit ones.
    void write_face(const mesh_data& m, std::size_t f) {
        const int n = m.face_size[f];
        const std::size_t start = static_cast<std::size_t>(m.face_start[f]);
        out_ += "{\"vertices\": ";
        inline_list(static_cast<std::size_t>(n), [&](std::size_t k) { integer(m.corner_vertex[start + k]); });
        const bool has_uv = m.face_has_uv[f] != 0;
        if (has_uv) out_ += ", \"has_uv\": true";
        if (has_uv || !zero_uvs(m.corner_puv, start, n) || !zero_uvs(m.distance_uvs(), start, n)) {
            out_ += ", \"puv\": ";
            corner_list(m.corner_puv, start, n);
            out_ += ", \"duv\": ";
            corner_list(m.distance_uvs(), start, n);
        }
        if (m.face_has_normals[f]) {
            out_ += ", \"normals\": ";
            corner_list(m.corner_normal, start, n);
        }
        out_ += '}';
    }

    const std::string& name_;
    std::vector<const shape*> shapes_;
    std::unordered_map<const shape*, int> index_;
    std::string out_;
};

}  // namespace

std::string scene_json_text(const std::vector<const shape*>& shapes, const std::string& name) {
    return writer(shapes, name).text();
}

void write_scene_json(const std::string& path, const std::vector<const shape*>& shapes) {
    const std::string text = scene_json_text(shapes, path == "-" ? std::string("<stdout>") : path);
    output_file file(path);
    file.write(text);
    file.commit();
}

}  // namespace host
