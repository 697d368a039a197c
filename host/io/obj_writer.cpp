// The OBJ writer: the lines of each kind are formatted in blocks on several
// threads at once and written in order, so that the shortest-float text of
// a large mesh costs a fraction of the time one thread would need.
#include <algorithm>
#include <charconv>
#include <cstring>
#include <thread>

#include <boost/format.hpp>

#include "host/io/float_text.h"
#include "host/io/obj_format.h"
#include "host/io/output_file.h"

namespace host {
namespace {

char* put_int(char* out, long long i) { return std::to_chars(out, out + 24, i).ptr; }

char* put_float(char* out, float f) {
    *out = ' ';
    return write_float(out + 1, f);
}

constexpr std::size_t number_room = float_text_size + 2;

std::string clean_line(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r' || c == '\0') c = '_';
    return text;
}

std::uint64_t bits(const vec2& v) {
    std::uint32_t a, b;
    std::memcpy(&a, &v.x, 4);
    std::memcpy(&b, &v.y, 4);
    return (static_cast<std::uint64_t>(a) << 32) | b;
}

bool same_bits(const vec3& a, const vec3& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool same_bits(const vec2& a, const vec2& b) { return bits(a) == bits(b); }

// Writes `count` items through `format(out, i)` in order; a long run goes
// in blocks made and written on several threads at once.
template <class Format>
void write_parallel(output_file& file, text_block& out, std::size_t count, Format format) {
    constexpr std::size_t block = 1u << 15;
    if (count < 2 * block) {
        for (std::size_t i = 0; i < count; ++i) {
            format(out, i);
            if (out.size() >= (1u << 20)) {
                file.write(out.view());
                out.clear();
            }
        }
        return;
    }
    file.write(out.view());
    out.clear();
    const unsigned threads = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
    file.write_in_order((count + block - 1) / block, threads, [&](std::size_t k, text_block& s) {
        const std::size_t e = std::min(count, (k + 1) * block);
        for (std::size_t i = k * block; i < e; ++i) format(s, i);
    });
}

// The records one kind of corner attribute (texture coordinates or
// normals) is written as: one per record the file shared that its corners
// still agree on, in the file's order, then one per other corner. When
// every corner has its own record in corner order (the form this writer
// gives a mesh without shared records) the records are the corner slots
// themselves and no table is built.
struct corner_records {
    bool identity = false;
    std::size_t corners = 0;  // with identity: how many
    std::vector<std::int32_t> corner_of_record;  // the corner whose value a record writes
    std::vector<std::int32_t> record_of_corner;  // per corner slot, -1 for none

    std::size_t size() const { return identity ? corners : corner_of_record.size(); }
    std::int32_t corner(std::size_t record) const {
        return identity ? static_cast<std::int32_t>(record) : corner_of_record[record];
    }
    std::int32_t record(std::int32_t corner) const { return identity ? corner : record_of_corner[corner]; }
};

template <class Value>
corner_records records(const mesh_data& m, const std::vector<Value>& values, const std::vector<std::int32_t>& source,
                       const std::vector<std::uint8_t>& face_has) {
    corner_records r;
    {
        // Every face has the attribute, the corners lie in face order
        // without gaps, and each has its own record in that order.
        bool identity = true;
        std::int32_t next = 0;
        for (int f = 0; f < m.face_count() && identity; ++f) {
            identity = face_has[f] && m.face_start[f] == next;
            next += m.face_size[f];
        }
        identity = identity && static_cast<std::size_t>(next) == m.corner_vertex.size();
        for (std::int32_t c = 0; c < next && identity && !source.empty(); ++c) identity = source[c] == c;
        if (identity) {
            r.identity = true;
            r.corners = static_cast<std::size_t>(next);
            return r;
        }
    }
    r.record_of_corner.assign(m.corner_vertex.size(), -1);
    std::vector<std::int32_t> first;  // per source: its first corner, then its record
    if (!source.empty()) {
        std::int32_t top = -1;
        for (std::int32_t s : source) top = std::max(top, s);
        first.assign(static_cast<std::size_t>(top + 1), -1);
        for (int f = 0; f < m.face_count(); ++f) {
            if (!face_has[f]) continue;
            for (int k = 0; k < m.face_size[f]; ++k) {
                const std::int32_t c = m.face_start[f] + k;
                const std::int32_t s = source[c];
                if (s >= 0 && first[s] < 0) first[s] = c;
            }
        }
        for (std::int32_t& f : first)
            if (f >= 0) {
                r.corner_of_record.push_back(f);
                f = static_cast<std::int32_t>(r.corner_of_record.size() - 1);
            }
    }
    for (int f = 0; f < m.face_count(); ++f) {
        if (!face_has[f]) continue;
        for (int k = 0; k < m.face_size[f]; ++k) {
            const std::int32_t c = m.face_start[f] + k;
            const std::int32_t s = source.empty() ? -1 : source[c];
            if (s >= 0 && same_bits(values[r.corner_of_record[first[s]]], values[c])) {
                r.record_of_corner[c] = first[s];
            } else {
                r.record_of_corner[c] = static_cast<std::int32_t>(r.corner_of_record.size());
                r.corner_of_record.push_back(c);
            }
        }
    }
    return r;
}

// The object's opening lines: those it was read with while its name is
// still theirs (else their `mtllib` lines and an `o` line with the name).
void header(text_block& out, const std::string& name, const mesh_extras& x) {
    bool named = x.obj_header_name == name;
    if (named) {
        named = false;
        for (const std::string& l : x.obj_header)
            if (l.size() >= 1 && (l[0] == 'o' || l[0] == 'g') && (l.size() == 1 || l[1] == ' ' || l[1] == '\t'))
                named = true;
    }
    for (const std::string& l : x.obj_header)
        if (named || l.compare(0, 6, "mtllib") == 0) out.append(clean_line(l) + '\n');
    if (!named) out.append("o " + clean_line(name) + "\n");
}

}  // namespace

std::vector<std::string> write_obj(const std::string& path, const std::vector<obj_output>& objects,
                                   obj_uv_set uv_set, const std::vector<obj_polyline_output>& polylines) {
    output_file file(path);
    text_block out;
    long long vertex_base = 0, texcoord_base = 0, normal_base = 0;
    int other_set = 0, skinned = 0;
    for (const obj_output& object : objects) {
        const mesh_data empty;
        const mesh_data& m = object.mesh ? *object.mesh : empty;
        const mesh_extras& x = m.extras;
        header(out, object.name, x);

        const bool flagged = !x.vertex_flags.empty();
        write_parallel(file, out, static_cast<std::size_t>(m.vertex_count()), [&](text_block& s, std::size_t v) {
            s.put(8 * number_room, [&](char* o) {
                const vec3& p = m.positions[v];
                *o++ = 'v';
                o = put_float(put_float(put_float(o, p.x), p.y), p.z);
                if (flagged) {
                    const std::uint8_t fl = x.vertex_flags[v];
                    if (fl & vertex_has_color) {
                        const vec4& c = x.vertex_color[v];
                        o = put_float(put_float(put_float(o, c.x), c.y), c.z);
                        if (fl & vertex_has_alpha) o = put_float(o, c.w);
                    } else if (fl & vertex_has_w) {
                        o = put_float(o, x.vertex_w[v]);
                    }
                }
                *o++ = '\n';
                return o;
            });
        });
        if (!m.vertex_skin.empty() &&
            std::any_of(m.vertex_skin.begin(), m.vertex_skin.end(), [](std::int32_t s) { return s >= 0; }))
            ++skinned;

        const std::vector<vec2>& uvs = uv_set == obj_uv_set::parameter ? m.corner_puv : m.distance_uvs();
        const std::vector<vec2>& other = uv_set == obj_uv_set::parameter ? m.distance_uvs() : m.corner_puv;
        for (int f = 0; f < m.face_count(); ++f) {
            if (!m.face_has_uv[f]) continue;
            const std::size_t s = static_cast<std::size_t>(m.face_start[f]);
            bool differs = false;
            for (int k = 0; k < m.face_size[f] && !differs; ++k) differs = !same_bits(uvs[s + k], other[s + k]);
            if (differs) {
                ++other_set;
                break;
            }
        }
        const corner_records uv = records(m, uvs, x.corner_uv_source, m.face_has_uv);
        write_parallel(file, out, uv.size(), [&](text_block& s, std::size_t r) {
            const std::int32_t c = uv.corner(r);
            const vec2& t = uvs[c];
            const std::int32_t src = x.corner_uv_source.empty() ? -1 : x.corner_uv_source[c];
            const int size = src >= 0 && static_cast<std::size_t>(src) < x.texcoord_size.size() ? x.texcoord_size[src] : 2;
            s.put(4 * number_room, [&](char* o) {
                *o++ = 'v';
                *o++ = 't';
                o = put_float(o, t.x);
                if (size >= 2) o = put_float(o, t.y);
                if (size >= 3) o = put_float(o, x.texcoord_w[src]);
                *o++ = '\n';
                return o;
            });
        });
        const bool with_normals = !m.corner_normal.empty();
        const corner_records nr = with_normals ? records(m, m.corner_normal, x.corner_normal_source, m.face_has_normals)
                                               : corner_records();
        write_parallel(file, out, nr.size(), [&](text_block& s, std::size_t r) {
            const vec3& n = m.corner_normal[nr.corner(r)];
            s.put(4 * number_room, [&](char* o) {
                *o++ = 'v';
                *o++ = 'n';
                o = put_float(put_float(put_float(o, n.x), n.y), n.z);
                *o++ = '\n';
                return o;
            });
        });

        // A face's style lines when its material or smoothing differs from
        // the face before it in the object; the object starts with none.
        const bool styled = !x.face_style.empty();
        const face_style none;
        const auto style_of = [&](std::size_t f) -> const face_style& {
            const std::int32_t s = styled ? x.face_style[f] : -1;
            return s >= 0 ? x.styles[s] : none;
        };
        const auto material_of = [&](std::size_t f) -> const std::string& {
            const std::int32_t s = styled ? x.face_style[f] : -1;
            return s >= 0 && static_cast<std::size_t>(s) < object.materials.size() ? object.materials[s]
                                                                                    : style_of(f).material;
        };
        // Faces without corners have no OBJ form; the face written before
        // another is then the last one with corners before it (-1: none).
        std::vector<std::int32_t> written_before;
        if (styled && std::find(m.face_size.begin(), m.face_size.end(), 0) != m.face_size.end()) {
            written_before.resize(m.face_size.size());
            std::int32_t last = -1;
            for (std::size_t f = 0; f < m.face_size.size(); ++f) {
                written_before[f] = last;
                if (m.face_size[f] != 0) last = static_cast<std::int32_t>(f);
            }
        }
        write_parallel(file, out, static_cast<std::size_t>(m.face_count()), [&](text_block& s, std::size_t f) {
            const int n = m.face_size[f];
            if (n == 0) return;
            if (styled) {
                const std::int32_t before =
                    written_before.empty() ? static_cast<std::int32_t>(f) - 1 : written_before[f];
                const face_style& now = style_of(f);
                const face_style& was = before >= 0 ? style_of(static_cast<std::size_t>(before)) : none;
                const std::string& material = material_of(f);
                if (material != (before >= 0 ? material_of(static_cast<std::size_t>(before)) : none.material) &&
                    !material.empty())
                    s.append("usemtl " + clean_line(material) + '\n');
                if (now.smoothing != was.smoothing)
                    s.append("s " + (now.smoothing.empty() ? std::string("off") : clean_line(now.smoothing)) + '\n');
            }
            const std::int32_t start = m.face_start[f];
            const bool has_uv = m.face_has_uv[f] != 0;
            const bool has_n = with_normals && m.face_has_normals[f];
            s.put(2 + static_cast<std::size_t>(n) * 3 * 22, [&](char* o) {
                *o++ = 'f';
                for (int k = 0; k < n; ++k) {
                    *o++ = ' ';
                    o = put_int(o, vertex_base + m.corner_vertex[start + k] + 1);
                    if (has_uv || has_n) {
                        *o++ = '/';
                        if (has_uv) o = put_int(o, texcoord_base + uv.record(start + k) + 1);
                        if (has_n) {
                            *o++ = '/';
                            o = put_int(o, normal_base + nr.record(start + k) + 1);
                        }
                    }
                }
                *o++ = '\n';
                return o;
            });
        });
        vertex_base += m.vertex_count();
        texcoord_base += static_cast<long long>(uv.size());
        normal_base += static_cast<long long>(nr.size());
    }
    for (const obj_polyline_output& line : polylines) {
        if (line.points.size() < 2) continue;
        out.append("o " + clean_line(line.name) + "\n");
        for (const vec3& p : line.points)
            out.put(4 * number_room, [&](char* o) {
                *o++ = 'v';
                o = put_float(put_float(put_float(o, p.x), p.y), p.z);
                *o++ = '\n';
                return o;
            });
        const bool closed = line.closed && line.points.size() > 2;
        out.put(2 + (line.points.size() + 1) * 22, [&](char* o) {
            *o++ = 'l';
            for (std::size_t i = 0; i < line.points.size(); ++i) {
                *o++ = ' ';
                o = put_int(o, vertex_base + static_cast<long long>(i) + 1);
            }
            if (closed) {
                *o++ = ' ';
                o = put_int(o, vertex_base + 1);
            }
            *o++ = '\n';
            return o;
        });
        vertex_base += static_cast<long long>(line.points.size());
    }
    file.write(out.view());
    file.commit();

    std::vector<std::string> warnings;
    if (other_set > 0)
        warnings.push_back((boost::format("%s: an OBJ file holds one UV set: the %s set of %i %s left out "
                                          "(--uv-set chooses the set)") %
                            path % (uv_set == obj_uv_set::parameter ? "distance" : "parameter") % other_set %
                            (other_set == 1 ? "mesh is" : "meshes are")).str());
    if (skinned > 0)
        warnings.push_back((boost::format("%s: the skin weights of %i %s left out (a .json scene file keeps them)") %
                            path % skinned % (skinned == 1 ? "mesh are" : "meshes are")).str());
    return warnings;
}

}  // namespace host
