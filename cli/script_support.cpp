#include "cli/script_support.h"

#include <cerrno>
#include <cstdlib>
#include <iomanip>
#include <sstream>

#include <boost/format.hpp>

#include "frame/sdk/polygon_mesh.h"

namespace cli::script_support {

float to_float(const std::string& s) {
    errno = 0;
    char* end = nullptr;
    const float v = std::strtof(s.c_str(), &end);
    if (s.empty() || *end != '\0' || errno == ERANGE) throw line_error("'" + s + "' is not a number");
    return v;
}

int to_int(const std::string& s) {
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end != '\0' || errno == ERANGE || v < -2147483647L || v > 2147483647L)
        throw line_error("'" + s + "' is not a whole number");
    return static_cast<int>(v);
}

std::vector<int> to_ints(const std::vector<std::string>& w, std::size_t from) {
    std::vector<int> out;
    for (std::size_t i = from; i < w.size(); ++i) out.push_back(to_int(w[i]));
    return out;
}

void need(const std::vector<std::string>& w, std::size_t at_least, const char* usage) {
    if (w.size() < at_least) throw line_error(std::string("usage: ") + usage);
}

std::string rest(const std::vector<std::string>& w, std::size_t from) {
    std::string s;
    for (std::size_t i = from; i < w.size(); ++i) s += (i > from ? " " : "") + w[i];
    return s;
}

int target_of(const std::string& kind) {
    if (kind == "vertices") return 1;
    if (kind == "edges") return 2;
    if (kind == "faces") return 4;
    throw line_error("expected vertices, edges or faces, not '" + kind + "'");
}

std::string join(const std::vector<int>& v) {
    std::string s;
    for (std::size_t i = 0; i < v.size(); ++i) s += (i ? " " : "") + std::to_string(v[i]);
    return s;
}

std::string float_text(float f) {
    std::ostringstream s;
    s << std::setprecision(9) << f;
    return s.str();
}

std::vector<int> selected(polygon_mesh_class& mesh, int target) {
    std::vector<int> out;
    if (target == 1) {
        out.resize(static_cast<std::size_t>(mesh.get_number_of_active_vertices()));
        if (!out.empty()) mesh.get_active_vertex_indices(out.data());
    } else if (target == 2) {
        for (int e = 0; e < mesh.get_number_of_edges(); ++e)
            if (mesh.edge(e).get_active()) out.push_back(e);
    } else {
        for (int f = 0; f < mesh.get_number_of_faces(); ++f)
            if (mesh.face(f).get_active()) out.push_back(f);
    }
    return out;
}

std::string formatted_message(const std::string& templ, const std::vector<std::string>& values) {
    try {
        boost::format text(templ);
        for (const std::string& v : values) {
            // Whole numbers fill %i directives as numbers, anything else is text.
            char* end = nullptr;
            const long n = std::strtol(v.c_str(), &end, 10);
            if (!v.empty() && end && *end == '\0')
                text % n;
            else
                text % v;
        }
        return text.str();
    } catch (const boost::io::format_error& e) {
        throw line_error("cannot format \"" + templ + "\" with " + std::to_string(values.size()) +
                         " values: " + e.what());
    }
}

int element_count(polygon_mesh_class& mesh, int target) {
    return target == 1 ? mesh.get_number_of_vertices()
                       : target == 2 ? mesh.get_number_of_edges() : mesh.get_number_of_faces();
}

void check_indices(polygon_mesh_class& mesh, int target, const std::vector<int>& indices) {
    const int count = element_count(mesh, target);
    for (int i : indices)
        if (i < 0 || i >= count)
            throw line_error("index " + std::to_string(i) + " is out of range (" + std::to_string(count) + " " +
                             (target == 1 ? "vertices" : target == 2 ? "edges" : "faces") + ")");
}

}  // namespace cli::script_support
