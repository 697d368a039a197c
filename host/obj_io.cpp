#include "host/obj_io.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <streambuf>
#include <string_view>

#include <boost/format.hpp>

// The packaged CMake target announces TINYOBJLOADER_USE_DOUBLE, but the
// packaged library is built with single-precision real_t: declare the
// interface the library really has, or every callback value is garbage.
// (The round-trip tests fail loudly should the package ever change.)
#undef TINYOBJLOADER_USE_DOUBLE
#include <tiny_obj_loader.h>

#include "host/float_text.h"
#include "host/input_text.h"
#include "host/mesh_algorithms.h"
#include "host/output_file.h"

namespace host {

namespace {

std::string where(const std::string& file, int line) {
    return line > 0 ? (boost::format("%s:%i") % file % line).str() : file;
}

}  // namespace

file_error::file_error(const std::string& file, int line, const std::string& message)
    : std::runtime_error((boost::format("%s: %s") % where(file, line) % message).str()), file_(file), line_(line) {}

namespace {

// ---- Reading ---------------------------------------------------------------

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The whitespace-separated tokens of a line, into `tokens`.
void split_tokens(std::string_view line, std::vector<std::string_view>& tokens) {
    tokens.clear();
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && is_blank(line[i])) ++i;
        const std::size_t b = i;
        while (i < line.size() && !is_blank(line[i])) ++i;
        if (i > b) tokens.push_back(line.substr(b, i - b));
    }
}

// Whether the token is a plain decimal number the OBJ parser reads in full
// and that fits a float. The parser itself accepts any prefix and reads
// everything else as 0, which would hide a damaged file.
bool is_float_number(std::string_view t) {
    std::size_t i = 0;
    const std::size_t n = t.size();
    if (i < n && (t[i] == '+' || t[i] == '-')) ++i;
    // Decimal order of the leading nonzero digit (1 for 1.x, 0 for 0.x,
    // -2 for 0.00x); stays at its initial value for a zero mantissa.
    long long order = std::numeric_limits<int>::min();
    std::size_t digits = 0;
    while (i < n && is_digit(t[i])) {
        if (order == std::numeric_limits<int>::min() && t[i] != '0') order = 0;
        if (order != std::numeric_limits<int>::min()) ++order;
        ++digits;
        ++i;
    }
    if (i < n && t[i] == '.') {
        ++i;
        for (long long place = 0; i < n && is_digit(t[i]); ++i, ++digits) {
            --place;
            if (order == std::numeric_limits<int>::min() && t[i] != '0') order = place + 1;
        }
    }
    if (digits == 0) return false;
    long long exponent = 0;
    if (i < n && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        const bool negative = i < n && t[i] == '-';
        if (i < n && (t[i] == '+' || t[i] == '-')) ++i;
        const std::size_t exp_begin = i;
        for (; i < n && is_digit(t[i]); ++i) exponent = std::min(exponent * 10 + (t[i] - '0'), 1000000000LL);
        if (i == exp_begin) return false;
        if (negative) exponent = -exponent;
    }
    if (i != n) return false;
    if (order == std::numeric_limits<int>::min()) return true;  // zero
    // The value lies below 10^magnitude: below 1e38 it fits (a tiny value
    // underflows to zero, which is how any reader takes it), from 1e39 on it
    // does not, and in between the exact value decides.
    const long long magnitude = order + exponent;
    if (magnitude <= 38) return true;
    if (magnitude > 39) return false;
    const char* b = t.data() + (t[0] == '+' ? 1 : 0);
    double d = 0.0;
    const auto r = std::from_chars(b, t.data() + n, d);
    return r.ec == std::errc() && std::isfinite(static_cast<float>(d));
}

// The value of a non-finite number token ("nan", "inf", "infinity", any
// case, with an optional sign), which the OBJ parser cannot read; false for
// any other token. A negative NaN keeps its sign.
bool non_finite_value(std::string_view t, float& out) {
    const bool negative = !t.empty() && t[0] == '-';
    if (!t.empty() && (t[0] == '+' || t[0] == '-')) t.remove_prefix(1);
    if (t.size() < 3 || t.size() > 8 || is_digit(t[0]) || t[0] == '.') return false;
    char word[9] = {};
    for (std::size_t i = 0; i < t.size(); ++i)
        word[i] = static_cast<char>(t[i] >= 'A' && t[i] <= 'Z' ? t[i] - 'A' + 'a' : t[i]);
    const std::string_view w(word, t.size());
    if (w == "nan")
        out = std::numeric_limits<float>::quiet_NaN();
    else if (w == "inf" || w == "infinity")
        out = std::numeric_limits<float>::infinity();
    else
        return false;
    if (negative) out = -out;
    return true;
}

// Parses an OBJ index ([+-]digits) into `out`.
bool parse_index(std::string_view t, long long& out) {
    if (t.empty()) return false;
    std::size_t i = t[0] == '+' || t[0] == '-' ? 1 : 0;
    if (i == t.size() || t.size() - i > 10) return false;
    long long v = 0;
    for (; i < t.size(); ++i) {
        if (!is_digit(t[i])) return false;
        v = v * 10 + (t[i] - '0');
    }
    out = t[0] == '-' ? -v : v;
    return true;
}

// A coordinate the OBJ parser reads as 0 but the file gives as NaN or an
// infinity: element `index` (a `v` or `vt` line, counted from 0), component
// `axis`.
struct non_finite_coordinate {
    std::int64_t index;
    int axis;
    float value;
};

// Checks the lines the importer relies on before the OBJ parser sees them,
// so that damage is reported with its line instead of being read as zeros,
// and collects the non-finite coordinates the parser cannot read.
class obj_validator {
public:
    explicit obj_validator(const std::string& file) : file_(file) {}

    void line(std::string_view text, int number) {
        for (char c : text)
            if (c == '\0' || (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\f' && c != '\v'))
                fail(number, (boost::format("binary data (byte 0x%02X), not an OBJ text file") %
                              static_cast<int>(static_cast<unsigned char>(c))).str());
        split_tokens(text, tokens_);
        const std::vector<std::string_view>& tokens = tokens_;
        if (tokens.empty() || tokens[0][0] == '#') return;
        const std::string_view key = tokens[0];
        if (key == "v") {
            if (tokens.size() < 4) fail(number, "a vertex needs 3 coordinates");
            numbers(tokens, number, vertices_, 3, vertex_values_);
            ++vertices_;
        } else if (key == "vt") {
            if (tokens.size() < 2) fail(number, "a texture coordinate needs a value");
            numbers(tokens, number, texcoords_, 2, texcoord_values_);
            ++texcoords_;
        } else if (key == "f") {
            face(tokens, number);
        }
    }

    // NaN and infinite coordinates of the `v` and `vt` lines, in file order.
    const std::vector<non_finite_coordinate>& vertex_values() const { return vertex_values_; }
    const std::vector<non_finite_coordinate>& texcoord_values() const { return texcoord_values_; }

    // Forward references, checked once every vertex is counted.
    void finish() {
        for (const auto& p : forward_)
            if (p.vertex > vertices_ || p.texcoord > texcoords_)
                fail(p.line, p.vertex > vertices_
                                 ? (boost::format("vertex index %i is out of range (%i vertices)") % p.vertex %
                                    vertices_).str()
                                 : (boost::format("texture coordinate index %i is out of range (%i coordinates)") %
                                    p.texcoord % texcoords_).str());
    }

private:
    struct forward_ref {
        int line;
        long long vertex, texcoord;
    };

    [[noreturn]] void fail(int number, const std::string& message) const { throw file_error(file_, number, message); }

    // Checks the numbers of a `v` or `vt` line; the first `used` of them
    // are coordinates, whose non-finite values go to `values`.
    void numbers(const std::vector<std::string_view>& tokens, int number, long long index, std::size_t used,
                 std::vector<non_finite_coordinate>& values) const {
        for (std::size_t i = 1; i < tokens.size(); ++i) {
            float special = 0.0f;
            if (non_finite_value(tokens[i], special)) {
                if (i <= used) values.push_back({index, static_cast<int>(i - 1), special});
            } else if (!is_float_number(tokens[i])) {
                fail(number, (boost::format("'%s' is not a number in the float range") % std::string(tokens[i])).str());
            }
        }
    }

    // Checks one index against the elements read so far; a positive index
    // beyond them may refer forward and is remembered.
    void check_index(long long index, long long count, const char* what, int number, long long& forward) const {
        if (index == 0) fail(number, (boost::format("%s index 0 is not allowed (indices count from 1)") % what).str());
        if (index < 0 && -index > count)
            fail(number, (boost::format("%s index %i is out of range (%i before this line)") % what % index % count)
                             .str());
        if (index > count) forward = std::max(forward, index);
    }

    void face(const std::vector<std::string_view>& tokens, int number) {
        if (tokens.size() < 2) fail(number, "a face needs corners");
        int with_uv = 0;
        forward_ref fwd{number, 0, 0};
        for (std::size_t i = 1; i < tokens.size(); ++i) {
            const std::string_view t = tokens[i];
            const std::size_t s1 = t.find('/');
            const std::size_t s2 = s1 == std::string_view::npos ? s1 : t.find('/', s1 + 1);
            const auto bad = [&] {
                fail(number, (boost::format("face corner '%s' is not an index or index/index/index") % std::string(t))
                                 .str());
            };
            if (s2 != std::string_view::npos && t.find('/', s2 + 1) != std::string_view::npos) bad();
            long long v = 0, vt = 0, vn = 0;
            if (!parse_index(t.substr(0, s1), v)) bad();
            check_index(v, vertices_, "vertex", number, fwd.vertex);
            if (s1 != std::string_view::npos) {
                const std::string_view uv = t.substr(s1 + 1, s2 == std::string_view::npos ? s2 : s2 - s1 - 1);
                if (!uv.empty()) {
                    if (!parse_index(uv, vt)) bad();
                    check_index(vt, texcoords_, "texture coordinate", number, fwd.texcoord);
                    ++with_uv;
                } else if (s2 == std::string_view::npos) {
                    bad();
                }
                if (s2 != std::string_view::npos && (!parse_index(t.substr(s2 + 1), vn) || vn == 0)) bad();
            }
        }
        if (with_uv != 0 && with_uv != static_cast<int>(tokens.size()) - 1)
            fail(number, "a face mixes corners with and without texture coordinates");
        if (fwd.vertex > 0 || fwd.texcoord > 0) forward_.push_back(fwd);
    }

    const std::string& file_;
    std::vector<std::string_view> tokens_;  // of the current line, kept to spare allocations
    long long vertices_ = 0, texcoords_ = 0;
    std::vector<forward_ref> forward_;
    std::vector<non_finite_coordinate> vertex_values_, texcoord_values_;
};

// Runs fn(line, number) over the lines, ending them where the OBJ parser
// does (LF, CR LF or a lone CR) so that line numbers agree with it.
template <class Fn>
void for_each_line(const std::string& text, Fn fn) {
    std::size_t i = 0;
    int number = 0;
    while (i < text.size()) {
        std::size_t e = i;
        while (e < text.size() && text[e] != '\n' && text[e] != '\r') ++e;
        fn(std::string_view(text).substr(i, e - i), ++number);
        if (e < text.size() && text[e] == '\r' && e + 1 < text.size() && text[e + 1] == '\n') ++e;
        i = e + 1;
    }
}

struct memory_buffer : std::streambuf {
    memory_buffer(char* b, char* e) { setg(b, b, e); }
};

// Everything the parser reports, in file order.
struct parsed_obj {
    std::vector<vec3> positions;
    std::vector<vec2> texcoords;
    // Faces: global vertex and texture coordinate indices (-1 for none).
    std::vector<std::int32_t> face_start{0};
    std::vector<std::int32_t> corner_vertex, corner_texcoord;
    // Blocks opened by `o` and `g` lines; a line before any face renames
    // the block instead of opening an empty one.
    std::vector<std::string> block_names{std::string()};
    std::vector<std::int32_t> block_first_face{0};
};

std::string trimmed(std::string s) {
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return std::string();
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

void open_block(parsed_obj& p, std::string name) {
    const auto faces = static_cast<std::int32_t>(p.face_start.size() - 1);
    if (p.block_first_face.back() != faces) {
        p.block_names.push_back(std::string());
        p.block_first_face.push_back(faces);
    }
    p.block_names.back() = trimmed(std::move(name));
}

std::int32_t resolve(int raw, std::size_t count) {
    return static_cast<std::int32_t>(raw > 0 ? raw - 1 : static_cast<int>(count) + raw);
}

parsed_obj parse(std::string& text) {
    parsed_obj p;
    tinyobj::callback_t cb;
    cb.vertex_cb = [](void* u, tinyobj::real_t x, tinyobj::real_t y, tinyobj::real_t z, tinyobj::real_t) {
        static_cast<parsed_obj*>(u)->positions.emplace_back(static_cast<float>(x), static_cast<float>(y),
                                                            static_cast<float>(z));
    };
    cb.texcoord_cb = [](void* u, tinyobj::real_t x, tinyobj::real_t y, tinyobj::real_t) {
        static_cast<parsed_obj*>(u)->texcoords.emplace_back(static_cast<float>(x), static_cast<float>(y));
    };
    cb.index_cb = [](void* u, tinyobj::index_t* indices, int n) {
        auto& q = *static_cast<parsed_obj*>(u);
        for (int k = 0; k < n; ++k) {
            q.corner_vertex.push_back(resolve(indices[k].vertex_index, q.positions.size()));
            q.corner_texcoord.push_back(
                indices[k].texcoord_index == 0 ? -1 : resolve(indices[k].texcoord_index, q.texcoords.size()));
        }
        q.face_start.push_back(static_cast<std::int32_t>(q.corner_vertex.size()));
    };
    cb.group_cb = [](void* u, const char** names, int n) {
        std::string name;
        for (int k = 0; k < n; ++k) name += (k ? " " : "") + std::string(names[k]);
        open_block(*static_cast<parsed_obj*>(u), name);
    };
    cb.object_cb = [](void* u, const char* name) { open_block(*static_cast<parsed_obj*>(u), name); };
    memory_buffer buffer(text.data(), text.data() + text.size());
    std::istream in(&buffer);
    tinyobj::LoadObjWithCallback(in, cb, &p);
    return p;
}

// The vertices an object owns, ascending: those its faces use and the
// unused ones between its first and last used vertex that no earlier object
// claimed. `unused_next` skips claimed unused vertices (a disjoint-set
// forest over the vertices, root = next unclaimed unused vertex or the end).
std::vector<std::int32_t> owned_vertices(const parsed_obj& p, std::int32_t f0, std::int32_t f1,
                                         const std::vector<std::uint8_t>& used, std::vector<std::int32_t>& unused_next) {
    std::vector<std::int32_t> own(p.corner_vertex.begin() + p.face_start[f0], p.corner_vertex.begin() + p.face_start[f1]);
    std::sort(own.begin(), own.end());
    own.erase(std::unique(own.begin(), own.end()), own.end());
    if (own.empty()) return own;
    const auto find = [&](std::int32_t v) {
        std::int32_t r = v;
        while (unused_next[r] != r) r = unused_next[r];
        while (unused_next[v] != r) {
            const std::int32_t n = unused_next[v];
            unused_next[v] = r;
            v = n;
        }
        return r;
    };
    const std::size_t used_count = own.size();
    const std::int32_t last = own.back();
    for (std::int32_t v = find(own.front()); v < last; v = find(v)) {
        if (!used[v]) own.push_back(v);
        unused_next[v] = v + 1;
    }
    std::inplace_merge(own.begin(), own.begin() + static_cast<std::ptrdiff_t>(used_count), own.end());
    return own;
}

mesh_data build_mesh(const parsed_obj& p, std::int32_t f0, std::int32_t f1, const std::vector<std::int32_t>& own,
                     std::vector<std::int32_t>& local) {
    mesh_data mesh;
    mesh.positions.reserve(own.size());
    for (std::size_t i = 0; i < own.size(); ++i) {
        local[own[i]] = static_cast<std::int32_t>(i);
        mesh.positions.push_back(p.positions[own[i]]);
    }
    mesh.vertex_selected.assign(own.size(), 0);
    const std::size_t nf = static_cast<std::size_t>(f1 - f0);
    const std::size_t corners = static_cast<std::size_t>(p.face_start[f1] - p.face_start[f0]);
    mesh.face_start.reserve(nf);
    mesh.face_size.reserve(nf);
    mesh.face_has_uv.reserve(nf);
    mesh.corner_vertex.reserve(corners);
    mesh.corner_puv.reserve(corners);
    for (std::int32_t f = f0; f < f1; ++f) {
        const std::int32_t s = p.face_start[f], e = p.face_start[f + 1];
        mesh.face_start.push_back(static_cast<std::int32_t>(mesh.corner_vertex.size()));
        mesh.face_size.push_back(e - s);
        mesh.face_has_uv.push_back(e > s && p.corner_texcoord[s] >= 0 ? 1 : 0);
        for (std::int32_t k = s; k < e; ++k) {
            mesh.corner_vertex.push_back(local[p.corner_vertex[k]]);
            mesh.corner_puv.push_back(p.corner_texcoord[k] >= 0 ? p.texcoords[p.corner_texcoord[k]] : vec2());
        }
    }
    mesh.corner_duv = mesh.corner_puv;
    mesh.face_selected.assign(nf, 0);
    mesh.face_has_normals.assign(nf, 0);
    for (std::int32_t v : own) local[v] = -1;
    rebuild_edges(mesh);
    return mesh;
}

}  // namespace

std::vector<obj_object> read_obj(const std::string& path) {
    const bool from_stdin = path == "-";
    return read_obj_text(read_input(path, input_name(path)), input_name(path),
                         from_stdin ? std::string("stdin") : std::filesystem::path(path).stem().string());
}

std::vector<obj_object> read_obj_text(std::string text, const std::string& name, const std::string& stem) {
    obj_validator check(name);
    for_each_line(text, [&](std::string_view line, int number) { check.line(line, number); });
    check.finish();
    parsed_obj p = parse(text);
    text = std::string();
    // The parser read NaN and infinities as 0; put them back.
    for (const non_finite_coordinate& c : check.vertex_values())
        if (c.index < static_cast<std::int64_t>(p.positions.size()))
            p.positions[static_cast<std::size_t>(c.index)][c.axis] = c.value;
    for (const non_finite_coordinate& c : check.texcoord_values())
        if (c.index < static_cast<std::int64_t>(p.texcoords.size()))
            p.texcoords[static_cast<std::size_t>(c.index)][c.axis] = c.value;

    const auto name_of = [&](std::size_t b) { return p.block_names[b].empty() ? stem : p.block_names[b]; };
    const auto face_count = static_cast<std::int32_t>(p.face_start.size() - 1);
    std::vector<std::size_t> blocks;  // blocks that hold faces
    for (std::size_t b = 0; b < p.block_names.size(); ++b) {
        const std::int32_t end = b + 1 < p.block_names.size() ? p.block_first_face[b + 1] : face_count;
        if (end > p.block_first_face[b]) blocks.push_back(b);
    }

    std::vector<obj_object> objects;
    std::vector<std::int32_t> local(p.positions.size(), -1);
    if (blocks.size() <= 1) {
        // One object owns every vertex, in file order.
        const std::size_t b = blocks.empty() ? p.block_names.size() - 1 : blocks[0];
        std::vector<std::int32_t> all(p.positions.size());
        for (std::size_t v = 0; v < all.size(); ++v) all[v] = static_cast<std::int32_t>(v);
        objects.push_back({name_of(b), build_mesh(p, 0, face_count, all, local)});
        return objects;
    }
    std::vector<std::uint8_t> used(p.positions.size(), 0);
    for (std::int32_t v : p.corner_vertex) used[v] = 1;
    std::vector<std::int32_t> unused_next(p.positions.size() + 1);
    for (std::size_t v = 0; v < unused_next.size(); ++v) unused_next[v] = static_cast<std::int32_t>(v);
    for (std::size_t b : blocks) {
        const std::int32_t f0 = p.block_first_face[b];
        const std::int32_t f1 = b + 1 < p.block_names.size() ? p.block_first_face[b + 1] : face_count;
        const auto own = owned_vertices(p, f0, f1, used, unused_next);
        objects.push_back({name_of(b), build_mesh(p, f0, f1, own, local)});
    }
    return objects;
}

// ---- Writing ---------------------------------------------------------------

namespace {

void append_int(std::string& out, long long i) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, i);
    out.append(buf, r.ptr);
}

std::string object_name_line(const std::string& name) {
    std::string clean = name;
    for (char& c : clean)
        if (c == '\n' || c == '\r' || c == '\0') c = '_';
    return "o " + clean + "\n";
}

}  // namespace

void write_obj(const std::string& path, const std::vector<obj_output>& objects, obj_uv_set uv_set) {
    output_file file(path);
    std::string out;
    const auto flush_full = [&] {
        if (out.size() < (1u << 20)) return;
        file.write(out);
        out.clear();
    };
    long long vertex_base = 0, texcoord_base = 0;
    for (const obj_output& object : objects) {
        const mesh_data empty;
        const mesh_data& mesh = object.mesh ? *object.mesh : empty;
        out += object_name_line(object.name);
        for (int v = 0; v < mesh.vertex_count(); ++v) {
            const vec3& p = mesh.positions[v];
            out += "v ";
            append_float(out, p.x);
            out += ' ';
            append_float(out, p.y);
            out += ' ';
            append_float(out, p.z);
            out += '\n';
            flush_full();
        }
        const std::vector<vec2>& uvs = uv_set == obj_uv_set::parameter ? mesh.corner_puv : mesh.corner_duv;
        long long texcoords = 0;
        for (int f = 0; f < mesh.face_count(); ++f) {
            if (!mesh.face_has_uv[f] || mesh.face_size[f] == 0) continue;
            for (int k = 0; k < mesh.face_size[f]; ++k) {
                const vec2& uv = uvs[mesh.face_start[f] + k];
                out += "vt ";
                append_float(out, uv.x);
                out += ' ';
                append_float(out, uv.y);
                out += '\n';
            }
            texcoords += mesh.face_size[f];
            flush_full();
        }
        long long texcoord = texcoord_base;
        for (int f = 0; f < mesh.face_count(); ++f) {
            const int n = mesh.face_size[f];
            if (n == 0) continue;  // a face without corners has no OBJ form
            out += 'f';
            for (int k = 0; k < n; ++k) {
                out += ' ';
                append_int(out, vertex_base + mesh.corner(f, k) + 1);
                if (mesh.face_has_uv[f]) {
                    out += '/';
                    append_int(out, ++texcoord);
                }
            }
            out += '\n';
            flush_full();
        }
        vertex_base += mesh.vertex_count();
        texcoord_base += texcoords;
    }
    file.write(out);
    file.commit();
}

}  // namespace host
