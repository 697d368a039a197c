// The OBJ reader.
//
// A hand-written single-pass parser: the text is cut at line ends into
// chunks that worker threads parse at the same time (numbers with
// fast_float, which rounds exactly like std::from_chars but several times
// faster), and the chunks are then joined in file order. A general OBJ
// library would need a second pass to report malformed numbers and indices
// with their line and would read every number through its own inexact
// parser; the round-trip tests (every float bit for bit, every error with
// its line) hold this one to both.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <future>
#include <limits>
#include <map>
#include <numeric>
#include <thread>

#include <boost/format.hpp>
#include <fast_float/fast_float.h>

#include "host/io/input_text.h"
#include "host/io/obj_format.h"
#include "host/mesh_algorithms.h"

namespace host {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The first byte below 0x20 in [p, e) that ends a line ('\n', '\r'), or e.
// Sets `bad` to the first control byte other than tab, form feed and
// vertical tab met before it.
const char* line_end(const char* p, const char* e, const char*& bad) {
    while (e - p >= 8) {
        std::uint64_t x;
        std::memcpy(&x, p, 8);
        // A byte below 0x20 sets its high bit here (no false negatives;
        // false positives only next to such a byte).
        if (((x - 0x2020202020202020ULL) & ~x & 0x8080808080808080ULL) == 0) {
            p += 8;
            continue;
        }
        for (int k = 0; k < 8; ++k, ++p) {
            const unsigned char c = static_cast<unsigned char>(*p);
            if (c >= 0x20) continue;
            if (c == '\n' || c == '\r') return p;
            if (c != '\t' && c != '\f' && c != '\v' && !bad) bad = p;
        }
    }
    for (; p < e; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c >= 0x20) continue;
        if (c == '\n' || c == '\r') return p;
        if (c != '\t' && c != '\f' && c != '\v' && !bad) bad = p;
    }
    return e;
}

const char* skip_blanks(const char* p, const char* e) {
    while (p < e && is_blank(*p)) ++p;
    return p;
}

const char* token_end(const char* p, const char* e) {
    while (p < e && !is_blank(*p)) ++p;
    return p;
}

std::string_view trim(const char* b, const char* e) {
    b = skip_blanks(b, e);
    while (e > b && is_blank(e[-1])) --e;
    return std::string_view(b, static_cast<std::size_t>(e - b));
}

// Whether [b, e) is one of the non-finite words "nan", "inf", "infinity"
// (any case) after an optional sign.
bool is_non_finite_word(const char* b, const char* e) {
    if (b < e && (*b == '+' || *b == '-')) ++b;
    const std::size_t n = static_cast<std::size_t>(e - b);
    if (n != 3 && n != 8) return false;
    char w[8];
    for (std::size_t i = 0; i < n; ++i) w[i] = static_cast<char>(b[i] >= 'A' && b[i] <= 'Z' ? b[i] - 'A' + 'a' : b[i]);
    const std::string_view word(w, n);
    return word == "nan" || word == "inf" || word == "infinity";
}

// Reads the number token at b (not blank), ending at a blank or e: a plain
// decimal that fits a float (correctly rounded; a tiny value underflows to
// zero) or a non-finite word. Returns the token's end, or null for
// anything else.
const char* parse_number(const char* b, const char* e, float& out) {
    const char* t = b;
    if (*t == '+') {
        ++t;
        if (t < e && (*t == '+' || *t == '-')) return nullptr;
    }
    const auto r = fast_float::from_chars(t, e, out);
    if (r.ec != std::errc() || (r.ptr != e && !is_blank(*r.ptr))) return nullptr;
    if (std::isfinite(out)) return r.ptr;
    // Infinity from digits is an overflow; the words must be exactly that.
    return is_non_finite_word(b, r.ptr) ? r.ptr : nullptr;
}

// Reads an index ([+-]digits, at most 10 digits) at p; returns its end, or
// null when there are no digits or too many.
const char* parse_index_at(const char* p, const char* e, long long& out) {
    const bool negative = p < e && *p == '-';
    if (p < e && (*p == '+' || *p == '-')) ++p;
    const char* digits = p;
    long long v = 0;
    while (p < e && is_digit(*p) && p - digits < 11) v = v * 10 + (*p++ - '0');
    if (p == digits || p - digits > 10) return nullptr;
    out = negative ? -v : v;
    return p;
}

enum ref_kind : std::uint8_t { ref_vertex, ref_texcoord, ref_normal, ref_line_vertex };

const char* ref_word(int kind) {
    switch (kind) {
    case ref_texcoord: return "texture coordinate";
    case ref_normal: return "normal";
    default: return "vertex";
    }
}

// A statement that shapes the meshes without being an element: it is
// placed by the faces read before it.
struct chunk_event {
    enum kind_t : std::uint8_t { object, group, material, smoothing, library, polyline } kind;
    std::int64_t face;  // faces of the chunk before it
    std::string text;   // the name or value; for `mtllib`, `o` and `g` also the line as written in `line_text`
    std::string line_text;
    std::int64_t first = 0, last = 0;  // a polyline's points in chunk::polyline_refs
    std::int32_t line = 0;
};

// A negative (relative) index, resolved once the counts of the chunks
// before are known.
struct relative_ref {
    std::int64_t slot;    // into the array of its kind
    std::int64_t before;  // elements of the chunk before its line
    long long raw;
    std::int32_t line;
    std::uint8_t kind;
};

struct counted_keyword {
    std::string keyword;
    long long count;
};

// Largest positive index of each kind a chunk used, and where.
struct forward_limits {
    long long vertex = 0, texcoord = 0, normal = 0;
};

// What one piece of text held, with indices local to the piece until
// joined.
struct chunk {
    const char* begin = nullptr;
    const char* end = nullptr;
    std::int32_t lines = 0;

    bool failed = false;
    std::int32_t error_line = 0;
    std::string error;

    std::vector<vec3> positions;
    std::vector<std::uint8_t> vertex_flags;  // empty while every vertex is x y z only
    std::vector<float> vertex_w;
    std::vector<vec4> vertex_color;

    std::vector<vec2> texcoords;
    std::vector<std::uint8_t> texcoord_size;  // empty while every vt has two numbers
    std::vector<float> texcoord_w;

    std::vector<vec3> normals;

    std::vector<std::int32_t> face_size;
    std::vector<std::int32_t> corner_vertex;
    std::vector<std::int32_t> corner_texcoord;  // empty while no face has texture coordinates
    // While texcoord_run > 0 and corner_texcoord is empty, every corner so
    // far had a texture coordinate, corner i the one numbered
    // texcoord_first + i: a modeller's "one vt per corner" layout costs no
    // array until a corner breaks the run.
    std::int64_t texcoord_run = 0;
    std::int32_t texcoord_first = 0;
    std::vector<std::int32_t> corner_normal;    // empty while no face has normals
    std::vector<std::int32_t> polyline_refs;

    std::vector<chunk_event> events;
    std::vector<relative_ref> relative;
    forward_limits largest;

    std::vector<counted_keyword> skipped;
    long long partial_normal_faces = 0, extra_vertex_numbers = 0, extra_texcoord_numbers = 0,
              polyline_texcoords = 0;
};

// Writes a chunk's run of texture coordinates out as corner indices.
void spell_out_texcoords(chunk& c) {
    c.corner_texcoord.resize(static_cast<std::size_t>(c.texcoord_run));
    std::iota(c.corner_texcoord.begin(), c.corner_texcoord.end(), c.texcoord_first);
    c.texcoord_run = 0;
}

void count_keyword(std::vector<counted_keyword>& list, std::string_view keyword, long long n = 1) {
    for (counted_keyword& k : list)
        if (k.keyword == keyword) {
            k.count += n;
            return;
        }
    list.push_back({std::string(keyword), n});
}

class chunk_parser {
public:
    // With `limits`, a face or line whose positive indices go beyond them
    // fails (the second look for a forward reference out of range).
    chunk_parser(chunk& c, const forward_limits* limits = nullptr) : c_(c), limits_(limits) {}

    // Parses the chunk; stops at the first malformed line (c.failed).
    void run() {
        const char* p = c_.begin;
        const char* e = c_.end;
        std::int32_t number = 0;
        try {
            while (p < e) {
                ++number;
                line_ = number;
                const char* bad = nullptr;
                const char* le = line_end(p, e, bad);
                if (bad)
                    fail((boost::format("binary data (byte 0x%02X), not an OBJ text file") %
                          static_cast<int>(static_cast<unsigned char>(*bad))).str());
                line(p, le);
                p = le;
                if (p < e && *p == '\r' && p + 1 < e && p[1] == '\n') ++p;
                ++p;
            }
        } catch (const failure&) {
            c_.failed = true;
            c_.error_line = number;
        }
        c_.lines = number;
    }

private:
    struct failure {};

    [[noreturn]] void fail(const std::string& message) {
        c_.error = message;
        throw failure();
    }

    void line(const char* p, const char* e) {
        p = skip_blanks(p, e);
        if (p == e || *p == '#') return;
        const char* ke = token_end(p, e);
        const std::string_view key(p, static_cast<std::size_t>(ke - p));
        const char* rest = ke;
        if (key == "v")
            vertex(rest, e);
        else if (key == "vt")
            texcoord(rest, e);
        else if (key == "vn")
            normal(rest, e);
        else if (key == "f")
            face(rest, e);
        else if (key == "l")
            polyline(rest, e);
        else if (key == "o" || key == "g")
            naming(key == "o" ? chunk_event::object : chunk_event::group, p, rest, e);
        else if (key == "usemtl")
            event(chunk_event::material, std::string(trim(rest, e)));
        else if (key == "s")
            event(chunk_event::smoothing, std::string(trim(rest, e)));
        else if (key == "mtllib") {
            event(chunk_event::library, std::string(trim(rest, e)));
            c_.events.back().line_text = std::string(trim(p, e));
        } else
            count_keyword(c_.skipped, key.size() > 40 ? key.substr(0, 40) : key);
    }

    // Reads up to `max` numbers of the line after its keyword into `out`;
    // returns how many the line has (more than `max` are checked too).
    // `needed` numbers missing fail with `missing`.
    int numbers(const char* p, const char* e, float* out, int max, int needed, const char* missing) {
        int n = 0;
        for (;;) {
            p = skip_blanks(p, e);
            if (p == e) break;
            float value = 0.0f;
            const char* te = parse_number(p, e, value);
            if (!te) {
                te = token_end(p, e);
                // A line short of numbers is reported as such first.
                int tokens = n;
                for (const char* q = p; (q = skip_blanks(q, e)) < e; q = token_end(q, e)) ++tokens;
                if (tokens < needed) fail(missing);
                fail((boost::format("'%s' is not a number in the float range") % std::string(p, te)).str());
            }
            if (n < max) out[n] = value;
            ++n;
            p = te;
        }
        if (n < needed) fail(missing);
        return n;
    }

    void vertex(const char* p, const char* e) {
        float x[8];
        const int n = numbers(p, e, x, 8, 3, "a vertex needs 3 coordinates");
        c_.positions.emplace_back(x[0], x[1], x[2]);
        std::uint8_t flags = 0;
        float w = 0.0f;
        vec4 color(1.0f, 1.0f, 1.0f, 1.0f);
        if (n == 4) {
            flags = vertex_has_w;
            w = x[3];
        } else if (n == 6 || n == 7) {
            flags = n == 7 ? vertex_has_color | vertex_has_alpha : vertex_has_color;
            color = vec4(x[3], x[4], x[5], n == 7 ? x[6] : 1.0f);
        } else if (n != 3) {
            ++c_.extra_vertex_numbers;
        }
        if (flags != 0 && !vertex_flags_) {
            vertex_flags_ = true;
            c_.vertex_flags.assign(c_.positions.size() - 1, 0);
            c_.vertex_w.assign(c_.positions.size() - 1, 0.0f);
            c_.vertex_color.assign(c_.positions.size() - 1, vec4(1.0f, 1.0f, 1.0f, 1.0f));
        }
        if (vertex_flags_) {
            c_.vertex_flags.push_back(flags);
            c_.vertex_w.push_back(w);
            c_.vertex_color.push_back(color);
        }
    }

    void texcoord(const char* p, const char* e) {
        float x[3] = {0.0f, 0.0f, 0.0f};
        const int n = numbers(p, e, x, 3, 1, "a texture coordinate needs a value");
        c_.texcoords.emplace_back(x[0], x[1]);
        if (n > 3) ++c_.extra_texcoord_numbers;
        if (n != 2 && !texcoord_sizes_) {
            texcoord_sizes_ = true;
            c_.texcoord_size.assign(c_.texcoords.size() - 1, 2);
            c_.texcoord_w.assign(c_.texcoords.size() - 1, 0.0f);
        }
        if (texcoord_sizes_) {
            c_.texcoord_size.push_back(static_cast<std::uint8_t>(std::min(n, 3)));
            c_.texcoord_w.push_back(x[2]);
        }
    }

    void normal(const char* p, const char* e) {
        float x[3];
        numbers(p, e, x, 3, 3, "a normal needs 3 coordinates");
        c_.normals.emplace_back(x[0], x[1], x[2]);
    }

    // Checks an index against the elements read so far; returns its slot
    // relative to the chunk (a negative index is noted for resolving).
    std::int32_t index(long long raw, int kind, std::size_t slot) {
        const std::int64_t count = kind == ref_texcoord ? static_cast<std::int64_t>(c_.texcoords.size())
                                   : kind == ref_normal ? static_cast<std::int64_t>(c_.normals.size())
                                                        : static_cast<std::int64_t>(c_.positions.size());
        if (raw == 0)
            fail((boost::format("%s index 0 is not allowed (indices count from 1)") % ref_word(kind)).str());
        if (raw < 0) {
            c_.relative.push_back({static_cast<std::int64_t>(slot), count, raw, line_, static_cast<std::uint8_t>(kind)});
            return 0;
        }
        long long& largest = kind == ref_texcoord ? line_largest_.texcoord
                             : kind == ref_normal ? line_largest_.normal
                                                  : line_largest_.vertex;
        largest = std::max(largest, raw);
        return static_cast<std::int32_t>(std::min<long long>(raw - 1, std::numeric_limits<std::int32_t>::max()));
    }

    void note_largest() {
        forward_limits& l = c_.largest;
        l.vertex = std::max(l.vertex, line_largest_.vertex);
        l.texcoord = std::max(l.texcoord, line_largest_.texcoord);
        l.normal = std::max(l.normal, line_largest_.normal);
        if (limits_ && (line_largest_.vertex > limits_->vertex || line_largest_.texcoord > limits_->texcoord ||
                        line_largest_.normal > limits_->normal)) {
            if (line_largest_.vertex > limits_->vertex)
                fail((boost::format("vertex index %i is out of range (%i vertices)") % line_largest_.vertex %
                      limits_->vertex).str());
            if (line_largest_.texcoord > limits_->texcoord)
                fail((boost::format("texture coordinate index %i is out of range (%i coordinates)") %
                      line_largest_.texcoord % limits_->texcoord).str());
            fail((boost::format("normal index %i is out of range (%i normals)") % line_largest_.normal %
                  limits_->normal).str());
        }
        line_largest_ = forward_limits();
    }

    void face(const char* p, const char* e) {
        const std::size_t first = c_.corner_vertex.size();
        int corners = 0, with_uv = 0, with_normal = 0;
        bool texcoord_slots = !c_.corner_texcoord.empty() || c_.texcoord_run > 0,
             normal_slots = !c_.corner_normal.empty();
        for (;;) {
            p = skip_blanks(p, e);
            if (p == e) break;
            const auto bad = [&] {
                fail((boost::format("face corner '%s' is not an index or index/index/index") %
                      std::string(p, token_end(p, e))).str());
            };
            // index, index/index, index/index/index or index//index
            long long v = 0, vt = 0, vn = 0;
            const char* q = parse_index_at(p, e, v);
            if (!q) bad();
            const std::size_t slot = c_.corner_vertex.size();
            c_.corner_vertex.push_back(index(v, ref_vertex, slot));
            std::int32_t t = -1, n = -1;
            if (q < e && *q == '/') {
                ++q;
                if (q < e && *q != '/' && !is_blank(*q)) {
                    if (!(q = parse_index_at(q, e, vt))) bad();
                    t = index(vt, ref_texcoord, slot);
                    ++with_uv;
                } else if (q == e || is_blank(*q)) {
                    bad();
                }
                if (q < e && *q == '/') {
                    if (!(q = parse_index_at(q + 1, e, vn)) || vn == 0) bad();
                    n = index(vn, ref_normal, slot);
                    ++with_normal;
                }
            }
            if (q < e && !is_blank(*q)) bad();
            const char* te = q;
            if (t >= 0 && vt > 0 && c_.corner_texcoord.empty() &&
                static_cast<std::size_t>(c_.texcoord_run) == slot &&
                (slot == 0 ? (c_.texcoord_first = t, true) : t == c_.texcoord_first + c_.texcoord_run)) {
                ++c_.texcoord_run;
                texcoord_slots = true;
            } else {
                if (c_.texcoord_run > 0) spell_out_texcoords(c_);
                if (t >= 0 && !texcoord_slots) {
                    c_.corner_texcoord.assign(slot, -1);
                    texcoord_slots = true;
                }
                if (texcoord_slots) c_.corner_texcoord.push_back(t);
            }
            if (n >= 0 && !normal_slots) {
                c_.corner_normal.assign(slot, -1);
                normal_slots = true;
            }
            if (normal_slots) c_.corner_normal.push_back(n);
            ++corners;
            p = te;
        }
        if (corners == 0) fail("a face needs corners");
        if (with_uv != 0 && with_uv != corners) fail("a face mixes corners with and without texture coordinates");
        if (with_normal != 0 && with_normal != corners) {
            // Normals on some corners only: the face keeps none.
            ++c_.partial_normal_faces;
            std::fill(c_.corner_normal.begin() + static_cast<std::ptrdiff_t>(first), c_.corner_normal.end(), -1);
            for (relative_ref& r : c_.relative)
                if (r.kind == ref_normal && r.slot >= static_cast<std::int64_t>(first)) r.kind = 255;
        }
        note_largest();
        c_.face_size.push_back(corners);
    }

    void polyline(const char* p, const char* e) {
        const std::int64_t first = static_cast<std::int64_t>(c_.polyline_refs.size());
        int points = 0;
        for (;;) {
            p = skip_blanks(p, e);
            if (p == e) break;
            const char* te = token_end(p, e);
            long long v = 0, vt = 0;
            const char* q = parse_index_at(p, te, v);
            const bool with_texcoord = q && q < te && *q == '/';
            if (with_texcoord) q = parse_index_at(q + 1, te, vt);
            if (q != te)
                fail((boost::format("line point '%s' is not an index or index/index") % std::string(p, te)).str());
            if (with_texcoord) ++c_.polyline_texcoords;
            const std::size_t slot = c_.polyline_refs.size();
            c_.polyline_refs.push_back(index(v, ref_line_vertex, slot));
            ++points;
            p = te;
        }
        if (points < 2) fail("a line needs at least 2 points");
        note_largest();
        event(chunk_event::polyline, std::string());
        c_.events.back().first = first;
        c_.events.back().last = static_cast<std::int64_t>(c_.polyline_refs.size());
    }

    void naming(chunk_event::kind_t kind, const char* line_begin, const char* p, const char* e) {
        std::string name;
        if (kind == chunk_event::group) {
            // Group names are joined by single spaces.
            for (p = skip_blanks(p, e); p < e; p = skip_blanks(p, e)) {
                const char* te = token_end(p, e);
                if (!name.empty()) name += ' ';
                name.append(p, te);
                p = te;
            }
        } else {
            name = std::string(trim(p, e));
        }
        event(kind, std::move(name));
        c_.events.back().line_text = std::string(trim(line_begin, e));
    }

    void event(chunk_event::kind_t kind, std::string text) {
        chunk_event ev{kind, static_cast<std::int64_t>(c_.face_size.size()), std::move(text), std::string()};
        ev.line = line_;
        c_.events.push_back(std::move(ev));
    }

    chunk& c_;
    const forward_limits* limits_;
    std::int32_t line_ = 0;
    bool vertex_flags_ = false, texcoord_sizes_ = false;  // whether the chunk keeps these arrays
    forward_limits line_largest_;
};

// Cuts the text into pieces ending at line ends, about `size` bytes each.
std::vector<chunk> cut(std::string_view text, std::size_t size) {
    std::vector<chunk> chunks;
    const char* p = text.data();
    const char* e = p + text.size();
    while (p < e) {
        const char* q = e - p > static_cast<std::ptrdiff_t>(size) ? p + size : e;
        while (q < e && q[-1] != '\n') ++q;
        chunk c;
        c.begin = p;
        c.end = q;
        chunks.push_back(std::move(c));
        p = q;
    }
    return chunks;
}

// Parses every chunk, on several threads when there are several; the text
// of a parsed chunk is given back to `source` (its pages leave memory).
void parse_all(std::vector<chunk>& chunks, const input_view* source) {
    const unsigned threads =
        static_cast<unsigned>(std::min<std::size_t>(chunks.size(), std::max(1u, std::min(8u, std::thread::hardware_concurrency()))));
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i; (i = next.fetch_add(1)) < chunks.size();) {
            chunk_parser(chunks[i]).run();
            if (source) source->release(chunks[i].begin, chunks[i].end);
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work);
    work();
    for (std::thread& t : pool) t.join();
}

// Appends `from` to `to`, then frees `from`.
template <class T>
void move_append(std::vector<T>& to, std::vector<T>& from) {
    to.insert(to.end(), from.begin(), from.end());
    std::vector<T>().swap(from);
}

// The whole file, joined.
struct parsed_obj {
    std::vector<vec3> positions;
    std::vector<std::uint8_t> vertex_flags;
    std::vector<float> vertex_w;
    std::vector<vec4> vertex_color;
    std::vector<vec2> texcoords;
    std::vector<std::uint8_t> texcoord_size;
    std::vector<float> texcoord_w;
    std::vector<vec3> normals;
    std::vector<std::int32_t> face_start{0};
    std::vector<std::int32_t> corner_vertex, corner_texcoord, corner_normal;
    // Corner k's texture coordinate is record k, for every corner; then
    // corner_texcoord stays empty.
    bool texcoord_identity = false;
    std::vector<std::int32_t> polyline_refs;
    std::vector<chunk_event> events;  // face and point positions global
    std::vector<counted_keyword> skipped;
    long long partial_normal_faces = 0, extra_vertex_numbers = 0, extra_texcoord_numbers = 0, polyline_texcoords = 0;
};

// Pads an optional per-element array that some chunks have and others not.
template <class T>
void append_optional(std::vector<T>& to, std::vector<T>& from, std::size_t before, std::size_t count, const T& none,
                     bool any) {
    if (!any) return;
    to.resize(before, none);
    if (from.empty())
        to.resize(before + count, none);
    else
        move_append(to, from);
}

parsed_obj join(std::vector<chunk>& chunks, const std::string& file) {
    parsed_obj p;
    bool any_vflags = false, any_tsize = false, any_ct = false, any_cn = false;
    std::size_t nv = 0, nt = 0, nn = 0, nf = 0, nc = 0, np = 0;
    for (const chunk& c : chunks) {
        any_vflags |= !c.vertex_flags.empty();
        any_tsize |= !c.texcoord_size.empty();
        any_ct |= !c.corner_texcoord.empty() || c.texcoord_run > 0;
        any_cn |= !c.corner_normal.empty();
        nv += c.positions.size();
        nt += c.texcoords.size();
        nn += c.normals.size();
        nf += c.face_size.size();
        nc += c.corner_vertex.size();
        np += c.polyline_refs.size();
    }
    if (nv > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()) ||
        nc > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw file_error(file, 0, "too many vertices or face corners for one file");
    p.polyline_refs.reserve(np);

    // First, in file order: the first error, relative indices, and the
    // small arrays.
    std::int64_t line_base = 0, vb = 0, tb = 0, nb = 0, fb = 0;
    std::vector<std::size_t> corners(chunks.size());
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        chunk& c = chunks[i];
        const auto pb = static_cast<std::int64_t>(p.polyline_refs.size());
        // Relative indices: the first one out of range may come before the
        // chunk's own first malformed line.
        for (const relative_ref& r : c.relative) {
            if (r.kind == 255) continue;
            const std::int64_t base = r.kind == ref_texcoord ? tb : r.kind == ref_normal ? nb : vb;
            const std::int64_t at = base + r.before + r.raw;
            if (at < 0)
                throw file_error(file, static_cast<int>(line_base + r.line),
                                 (boost::format("%s index %i is out of range (%i before this line)") %
                                  ref_word(r.kind) % r.raw % (base + r.before)).str());
        }
        if (c.failed) throw file_error(file, static_cast<int>(line_base + c.error_line), c.error);
        for (const relative_ref& r : c.relative) {
            if (r.kind == 255) continue;
            const std::int64_t base = r.kind == ref_texcoord ? tb : r.kind == ref_normal ? nb : vb;
            const auto at = static_cast<std::int32_t>(base + r.before + r.raw);
            const auto slot = static_cast<std::size_t>(r.slot);
            if (r.kind == ref_vertex) c.corner_vertex[slot] = at;
            else if (r.kind == ref_texcoord) c.corner_texcoord[slot] = at;
            else if (r.kind == ref_normal) c.corner_normal[slot] = at;
            else c.polyline_refs[slot] = at;
        }
        append_optional(p.vertex_flags, c.vertex_flags, static_cast<std::size_t>(vb), c.positions.size(),
                        std::uint8_t(0), any_vflags);
        append_optional(p.vertex_w, c.vertex_w, static_cast<std::size_t>(vb), c.positions.size(), 0.0f, any_vflags);
        append_optional(p.vertex_color, c.vertex_color, static_cast<std::size_t>(vb), c.positions.size(),
                        vec4(1.0f, 1.0f, 1.0f, 1.0f), any_vflags);
        append_optional(p.texcoord_size, c.texcoord_size, static_cast<std::size_t>(tb), c.texcoords.size(),
                        std::uint8_t(2), any_tsize);
        append_optional(p.texcoord_w, c.texcoord_w, static_cast<std::size_t>(tb), c.texcoords.size(), 0.0f, any_tsize);
        move_append(p.polyline_refs, c.polyline_refs);
        for (chunk_event& ev : c.events) {
            ev.face += fb;
            ev.first += pb;
            ev.last += pb;
            ev.line = static_cast<std::int32_t>(line_base + ev.line);
            p.events.push_back(std::move(ev));
        }
        for (const counted_keyword& k : c.skipped) count_keyword(p.skipped, k.keyword, k.count);
        p.partial_normal_faces += c.partial_normal_faces;
        p.extra_vertex_numbers += c.extra_vertex_numbers;
        p.extra_texcoord_numbers += c.extra_texcoord_numbers;
        p.polyline_texcoords += c.polyline_texcoords;
        line_base += c.lines;
        vb += static_cast<std::int64_t>(c.positions.size());
        tb += static_cast<std::int64_t>(c.texcoords.size());
        nb += static_cast<std::int64_t>(c.normals.size());
        fb += static_cast<std::int64_t>(c.face_size.size());
        corners[i] = c.corner_vertex.size();
    }

    // Then the large arrays, each one by itself, in two groups of about
    // equal bytes on two threads: their first touch of new memory is most
    // of a large file's join. Positive indices were absolute already
    // (counted from the file's start), relative ones resolved above: both
    // are global now.
    const auto elements = [&] {
        p.texcoords.reserve(nt);
        p.normals.reserve(nn);
        p.face_start.reserve(nf + 1);
        for (chunk& c : chunks) {
            move_append(p.texcoords, c.texcoords);
            move_append(p.normals, c.normals);
            for (std::int32_t s : c.face_size) p.face_start.push_back(p.face_start.back() + s);
            std::vector<std::int32_t>().swap(c.face_size);
        }
    };
    // Every chunk's corners in one run that continues the chunk before's:
    // no index array at all.
    if (any_ct) {
        bool identity = true;
        std::size_t cb = 0;
        for (std::size_t i = 0; i < chunks.size() && identity; ++i) {
            const chunk& c = chunks[i];
            identity = corners[i] == 0 || (c.texcoord_run == static_cast<std::int64_t>(corners[i]) &&
                                           static_cast<std::size_t>(c.texcoord_first) == cb);
            cb += corners[i];
        }
        p.texcoord_identity = identity;
        if (!identity)
            for (chunk& c : chunks)
                if (c.texcoord_run > 0) spell_out_texcoords(c);
        if (identity) any_ct = false;
    }
    const auto corner_arrays = [&] {
        p.positions.reserve(nv);
        p.corner_vertex.reserve(nc);
        std::size_t cb = 0;
        for (std::size_t i = 0; i < chunks.size(); ++i) {
            chunk& c = chunks[i];
            move_append(p.positions, c.positions);
            move_append(p.corner_vertex, c.corner_vertex);
            if (any_ct) append_optional(p.corner_texcoord, c.corner_texcoord, cb, corners[i], std::int32_t(-1), true);
            if (any_cn) append_optional(p.corner_normal, c.corner_normal, cb, corners[i], std::int32_t(-1), true);
            cb += corners[i];
        }
    };
    if (nc + nt > (std::size_t{1} << 20) && std::thread::hardware_concurrency() > 1) {
        auto other = std::async(std::launch::async, elements);
        corner_arrays();
        other.get();
    } else {
        elements();
        corner_arrays();
    }
    return p;
}

// Looks again, chunk by chunk, for the first line whose positive index
// goes beyond what the file holds.
void check_forward(std::vector<chunk>& chunks, const parsed_obj& p, const forward_limits& largest,
                   const std::string& file) {
    forward_limits limits;
    limits.vertex = static_cast<long long>(p.positions.size());
    limits.texcoord = static_cast<long long>(p.texcoords.size());
    limits.normal = static_cast<long long>(p.normals.size());
    if (largest.vertex <= limits.vertex && largest.texcoord <= limits.texcoord && largest.normal <= limits.normal)
        return;
    std::int64_t line_base = 0;
    for (chunk& c : chunks) {
        chunk again;
        again.begin = c.begin;
        again.end = c.end;
        chunk_parser(again, &limits).run();
        if (again.failed) throw file_error(file, static_cast<int>(line_base + again.error_line), again.error);
        line_base += again.lines;
    }
}

std::string trimmed(std::string s) {
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return std::string();
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

// Blocks opened by `o` and `g` lines; a line before any face of a block
// renames it instead of opening an empty one.
struct block {
    std::string name;
    std::int32_t first_face = 0;
    std::vector<std::string> header;
};

// The blocks of the file, and each face's style (index into `styles`, or
// none at all when the file sets no material and no smoothing).
struct file_layout {
    std::vector<block> blocks{block()};
    std::vector<face_style> styles;
    std::vector<std::int32_t> style_of_face;
    std::vector<std::pair<std::string, const chunk_event*>> polylines;  // name of the block then, event
};

file_layout layout(const parsed_obj& p) {
    file_layout out;
    const auto faces = static_cast<std::int32_t>(p.face_start.size() - 1);
    std::vector<std::string> pending_libraries;  // `mtllib` after faces: they join the next block
    face_style current;
    std::int32_t current_index = -1;
    bool any_style = false;
    const auto fill_styles = [&](std::int32_t up_to) {
        if (any_style) out.style_of_face.resize(static_cast<std::size_t>(up_to), current_index);
    };
    for (const chunk_event& ev : p.events) {
        const auto at = static_cast<std::int32_t>(ev.face);
        switch (ev.kind) {
        case chunk_event::object:
        case chunk_event::group: {
            if (out.blocks.back().first_face != at) {
                out.blocks.push_back(block());
                out.blocks.back().first_face = at;
            }
            block& b = out.blocks.back();
            b.name = trimmed(ev.text);
            for (std::string& l : pending_libraries) b.header.push_back(std::move(l));
            pending_libraries.clear();
            b.header.push_back(ev.line_text);
            break;
        }
        case chunk_event::library:
            if (out.blocks.back().first_face == at)
                out.blocks.back().header.push_back(ev.line_text);
            else
                pending_libraries.push_back(ev.line_text);
            break;
        case chunk_event::material:
        case chunk_event::smoothing: {
            if (!any_style) {
                any_style = true;
                out.style_of_face.assign(static_cast<std::size_t>(at), -1);
            } else {
                fill_styles(at);
            }
            (ev.kind == chunk_event::material ? current.material : current.smoothing) = ev.text;
            const auto found = std::find(out.styles.begin(), out.styles.end(), current);
            current_index = static_cast<std::int32_t>(found - out.styles.begin());
            if (found == out.styles.end()) out.styles.push_back(current);
            break;
        }
        case chunk_event::polyline:
            out.polylines.emplace_back(out.blocks.back().name, &ev);
            break;
        }
    }
    fill_styles(faces);
    for (std::string& l : pending_libraries) out.blocks.back().header.push_back(std::move(l));
    return out;
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

// Ranks the file indices `ids` (-1 for none) among those used, in order, so
// that a mesh's own tables are as long as the records it uses; `rank` is
// scratch space of the file's size, left all -1.
std::vector<std::int32_t> used_records(std::vector<std::int32_t>& ids, std::vector<std::int32_t>& rank) {
    std::vector<std::int32_t> used;
    for (std::int32_t id : ids)
        if (id >= 0 && rank[id] < 0) {
            rank[id] = 0;
            used.push_back(id);
        }
    std::sort(used.begin(), used.end());
    for (std::size_t i = 0; i < used.size(); ++i) rank[used[i]] = static_cast<std::int32_t>(i);
    for (std::int32_t& id : ids)
        if (id >= 0) id = rank[id];
    for (std::int32_t id : used) rank[id] = -1;
    return used;
}

mesh_data build_mesh(parsed_obj& p, const file_layout& l, std::size_t b, const std::string& name, std::int32_t f0,
                     std::int32_t f1,
                     const std::vector<std::int32_t>& own, std::vector<std::int32_t>& local, bool whole_file,
                     std::vector<std::int32_t>& texcoord_rank, std::vector<std::int32_t>& normal_rank) {
    mesh_data mesh;
    mesh_extras& x = mesh.extras;
    const bool identity = whole_file && own.size() == p.positions.size();
    if (identity) {
        mesh.positions = std::move(p.positions);
    } else {
        mesh.positions.reserve(own.size());
        for (std::size_t i = 0; i < own.size(); ++i) {
            local[own[i]] = static_cast<std::int32_t>(i);
            mesh.positions.push_back(p.positions[own[i]]);
        }
    }
    mesh.vertex_selected.assign(own.size(), 0);
    if (!p.vertex_flags.empty()) {
        for (std::int32_t v : own)
            if (p.vertex_flags[v]) {
                x.vertex_flags.reserve(own.size());
                for (std::int32_t u : own) {
                    x.vertex_flags.push_back(p.vertex_flags[u]);
                    x.vertex_w.push_back(p.vertex_w[u]);
                    x.vertex_color.push_back(p.vertex_color[u]);
                }
                break;
            }
    }

    const std::size_t nf = static_cast<std::size_t>(f1 - f0);
    const auto c0 = static_cast<std::size_t>(p.face_start[f0]);
    const auto c1 = static_cast<std::size_t>(p.face_start[f1]);
    const std::size_t corners = c1 - c0;
    mesh.face_start.resize(nf);
    mesh.face_size.resize(nf);
    mesh.face_has_uv.resize(nf);
    mesh.face_has_normals.assign(nf, 0);
    for (std::size_t f = 0; f < nf; ++f) {
        mesh.face_start[f] = p.face_start[f0 + f] - static_cast<std::int32_t>(c0);
        mesh.face_size[f] = p.face_start[f0 + f + 1] - p.face_start[f0 + f];
    }
    if (identity && c0 == 0 && c1 == p.corner_vertex.size()) {
        mesh.corner_vertex = std::move(p.corner_vertex);
    } else {
        mesh.corner_vertex.resize(corners);
        for (std::size_t k = 0; k < corners; ++k)
            mesh.corner_vertex[k] = identity ? p.corner_vertex[c0 + k] : local[p.corner_vertex[c0 + k]];
    }
    // The file's record indices of the object's corners (the whole file's
    // array is taken over), and whether a face has them (from its first corner).
    const auto corner_ids = [&](std::vector<std::int32_t>& of_file, std::vector<std::uint8_t>& face_has) {
        std::vector<std::int32_t> ids;
        if (whole_file)
            ids = std::move(of_file);
        else
            ids.assign(of_file.begin() + static_cast<std::ptrdiff_t>(c0), of_file.begin() + static_cast<std::ptrdiff_t>(c1));
        bool any = false;
        for (std::size_t f = 0; f < nf; ++f) {
            const bool has = mesh.face_size[f] > 0 && ids[static_cast<std::size_t>(mesh.face_start[f])] >= 0;
            face_has[f] = has ? 1 : 0;
            any |= has;
        }
        return std::make_pair(std::move(ids), any);
    };
    // The identity of corners and records needs spelling out unless the
    // corners take the records over as their UVs.
    if (p.texcoord_identity && !(whole_file && p.texcoords.size() == corners && p.texcoord_size.empty())) {
        p.corner_texcoord.resize(static_cast<std::size_t>(p.face_start.back()));
        std::iota(p.corner_texcoord.begin(), p.corner_texcoord.end(), 0);
        p.texcoord_identity = false;
    }
    if (p.texcoord_identity) {
        mesh.corner_puv = std::move(p.texcoords);
        std::fill(mesh.face_has_uv.begin(), mesh.face_has_uv.end(), std::uint8_t(1));
    } else if (!p.corner_texcoord.empty()) {
        auto [ids, any] = corner_ids(p.corner_texcoord, mesh.face_has_uv);
        // Every corner with its own record, in file order (the writer's
        // form): the records are the corners' UVs as they stand.
        bool own_records = whole_file && p.texcoords.size() == corners;
        for (std::size_t k = 0; k < corners && own_records; ++k) own_records = ids[k] == static_cast<std::int32_t>(k);
        if (own_records) {
            mesh.corner_puv = std::move(p.texcoords);
        } else {
            mesh.corner_puv.resize(corners);
            for (std::size_t k = 0; k < corners; ++k)
                if (ids[k] >= 0) mesh.corner_puv[k] = p.texcoords[ids[k]];
        }
        if (whole_file) std::vector<vec2>().swap(p.texcoords);
        if (any) {
            if (whole_file) {
                if (!p.texcoord_size.empty()) {
                    x.texcoord_size = p.texcoord_size;
                    x.texcoord_w = p.texcoord_w;
                }
            } else {
                const std::vector<std::int32_t> used = used_records(ids, texcoord_rank);
                if (!p.texcoord_size.empty())
                    for (std::int32_t id : used) {
                        x.texcoord_size.push_back(p.texcoord_size[id]);
                        x.texcoord_w.push_back(p.texcoord_w[id]);
                    }
            }
            // Records that are the corners themselves, all of two numbers,
            // need no table: the writer gives every corner its own record
            // in corner order, which is this file's.
            if (!own_records || !x.texcoord_size.empty()) x.corner_uv_source = std::move(ids);
        }
    } else {
        mesh.corner_puv.resize(corners);
    }
    // An OBJ file has one UV set: the distance set is the same, shared.
    mesh.duv_shared = true;
    if (!p.corner_normal.empty()) {
        auto [ids, any] = corner_ids(p.corner_normal, mesh.face_has_normals);
        if (any) {
            mesh.corner_normal.resize(corners);
            for (std::size_t k = 0; k < corners; ++k)
                if (ids[k] >= 0) mesh.corner_normal[k] = p.normals[ids[k]];
            if (!whole_file) used_records(ids, normal_rank);
            x.corner_normal_source = std::move(ids);
        }
    }
    mesh.face_selected.assign(nf, 0);
    if (!l.style_of_face.empty()) {
        // The mesh's own table: the styles its faces use, in order of use.
        std::vector<std::int32_t> map(l.styles.size(), -1);
        x.face_style.resize(nf);
        bool any = false;
        for (std::size_t f = 0; f < nf; ++f) {
            const std::int32_t s = l.style_of_face[f0 + f];
            if (s >= 0 && map[s] < 0) {
                map[s] = static_cast<std::int32_t>(x.styles.size());
                x.styles.push_back(l.styles[s]);
            }
            x.face_style[f] = s >= 0 ? map[s] : -1;
            any |= s >= 0;
        }
        if (!any) {
            x.face_style.clear();
            x.styles.clear();
        }
    }
    x.obj_header = l.blocks[b].header;
    x.obj_header_name = name;
    if (!identity)
        for (std::int32_t v : own) local[v] = -1;
    rebuild_edges(mesh);
    return mesh;
}

std::string keyword_warning(const std::string& file, const counted_keyword& k) {
    return (boost::format("%s: %i '%s' %s left out: the host has no place for them") % file % k.count % k.keyword %
            (k.count == 1 ? "statement" : "statements")).str();
}

obj_contents read_parsed(std::string_view text, const input_view* source, const std::string& name,
                         const std::string& stem) {
    std::vector<chunk> chunks = cut(text, std::clamp<std::size_t>(text.size() / 16, 1u << 20, 8u << 20));
    parse_all(chunks, source);
    parsed_obj p = join(chunks, name);
    forward_limits largest;
    for (const chunk& c : chunks) {
        largest.vertex = std::max(largest.vertex, c.largest.vertex);
        largest.texcoord = std::max(largest.texcoord, c.largest.texcoord);
        largest.normal = std::max(largest.normal, c.largest.normal);
    }
    check_forward(chunks, p, largest, name);
    chunks.clear();

    obj_contents out;
    for (const counted_keyword& k : p.skipped) out.warnings.push_back(keyword_warning(name, k));
    if (p.partial_normal_faces > 0)
        out.warnings.push_back((boost::format("%s: the normals of %i faces left out: some of their corners have none") %
                                name % p.partial_normal_faces).str());
    if (p.extra_vertex_numbers > 0)
        out.warnings.push_back((boost::format("%s: %i 'v' lines have more numbers than x y z with w or a colour: "
                                              "the rest is left out") % name % p.extra_vertex_numbers).str());
    if (p.extra_texcoord_numbers > 0)
        out.warnings.push_back((boost::format("%s: %i 'vt' lines have more than 3 numbers: the rest is left out") %
                                name % p.extra_texcoord_numbers).str());
    if (p.polyline_texcoords > 0)
        out.warnings.push_back((boost::format("%s: the texture coordinates of %i line points left out") % name %
                                p.polyline_texcoords).str());

    const file_layout l = layout(p);
    const auto name_of = [&](std::size_t b) { return l.blocks[b].name.empty() ? stem : l.blocks[b].name; };

    // Polylines first: they read positions that a mesh may take over.
    std::vector<std::uint8_t> line_only(p.positions.size(), 0);
    for (const auto& [block_name, ev] : l.polylines) {
        obj_polyline line;
        line.name = block_name.empty() ? stem : block_name;
        std::int64_t last = ev->last;
        if (last - ev->first > 2 && p.polyline_refs[ev->first] == p.polyline_refs[last - 1]) {
            line.closed = true;
            --last;
        }
        for (std::int64_t i = ev->first; i < last; ++i) {
            line.points.push_back(p.positions[p.polyline_refs[i]]);
            line_only[p.polyline_refs[i]] = 1;
        }
        out.polylines.push_back(std::move(line));
    }
    std::vector<std::uint8_t> used(p.positions.size(), 0);
    for (std::int32_t v : p.corner_vertex) used[v] = 1;
    for (std::size_t v = 0; v < used.size(); ++v)
        if (used[v]) line_only[v] = 0;

    const auto face_count = static_cast<std::int32_t>(p.face_start.size() - 1);
    std::vector<std::size_t> blocks;  // blocks that hold faces
    for (std::size_t b = 0; b < l.blocks.size(); ++b) {
        const std::int32_t end = b + 1 < l.blocks.size() ? l.blocks[b + 1].first_face : face_count;
        if (end > l.blocks[b].first_face) blocks.push_back(b);
    }

    std::vector<std::int32_t> local(p.positions.size(), -1);
    std::vector<std::int32_t> texcoord_rank, normal_rank;
    if (blocks.size() <= 1) {
        // One object owns every vertex, in file order, but those only the
        // polylines use.
        const std::size_t b = blocks.empty() ? l.blocks.size() - 1 : blocks[0];
        std::vector<std::int32_t> all;
        all.reserve(p.positions.size());
        for (std::size_t v = 0; v < p.positions.size(); ++v)
            if (!line_only[v]) all.push_back(static_cast<std::int32_t>(v));
        if (!all.empty() || out.polylines.empty())
            out.objects.push_back({name_of(b), build_mesh(p, l, b, name_of(b), 0, face_count, all, local, true, texcoord_rank,
                                                         normal_rank)});
        return out;
    }
    texcoord_rank.assign(p.texcoords.size(), -1);
    normal_rank.assign(p.normals.size(), -1);
    std::vector<std::int32_t> unused_next(p.positions.size() + 1);
    for (std::size_t v = 0; v < unused_next.size(); ++v) unused_next[v] = static_cast<std::int32_t>(v);
    for (std::size_t v = 0; v < line_only.size(); ++v)
        if (line_only[v]) unused_next[v] = static_cast<std::int32_t>(v + 1);
    for (std::size_t b : blocks) {
        const std::int32_t f0 = l.blocks[b].first_face;
        const std::int32_t f1 = b + 1 < l.blocks.size() ? l.blocks[b + 1].first_face : face_count;
        const auto own = owned_vertices(p, f0, f1, used, unused_next);
        out.objects.push_back(
            {name_of(b), build_mesh(p, l, b, name_of(b), f0, f1, own, local, false, texcoord_rank, normal_rank)});
    }
    return out;
}

}  // namespace

obj_contents read_obj_contents_text(std::string_view text, const std::string& name, const std::string& stem) {
    return read_parsed(text, nullptr, name, stem);
}

obj_contents read_obj_contents(const std::string& path) {
    const bool from_stdin = path == "-";
    const std::string name = input_name(path);
    const input_view text(path, name);
    return read_parsed(text.text(), &text, name, from_stdin ? std::string("stdin") : std::filesystem::u8path(path).stem().u8string());
}

std::vector<obj_object> read_obj(const std::string& path) { return read_obj_contents(path).objects; }

std::vector<obj_object> read_obj_text(std::string_view text, const std::string& name, const std::string& stem) {
    return read_obj_contents_text(text, name, stem).objects;
}

}  // namespace host
