#include "cli/symmetry_options.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <stdexcept>

namespace cli {

margin_spec parse_margin(const std::string& text) {
    margin_spec m;
    std::string number = text;
    if (!number.empty() && number.back() == '%') {
        m.relative = true;
        number.pop_back();
    }
    char* end = nullptr;
    errno = 0;
    const double value = number.empty() || std::isspace(static_cast<unsigned char>(number[0]))
                             ? std::nan("")
                             : std::strtod(number.c_str(), &end);
    if (!end || *end != '\0' || errno == ERANGE || !std::isfinite(value) || value < 0.0)
        throw std::invalid_argument("'" + text + "' is not a margin: a length (0.1) or a percentage of the mesh's "
                                    "bounding-box diagonal (0.05%), not negative");
    m.value = m.relative ? value / 100.0 : value;
    return m;
}

double bounding_diagonal(const std::vector<vec3>& positions) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    double lo[3] = {inf, inf, inf}, hi[3] = {-inf, -inf, -inf};
    bool any = false;
    for (const vec3& p : positions) {
        const double c[3] = {p.x, p.y, p.z};
        if (!std::isfinite(c[0]) || !std::isfinite(c[1]) || !std::isfinite(c[2])) continue;
        any = true;
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], c[k]);
            hi[k] = std::max(hi[k], c[k]);
        }
    }
    if (!any) return 0.0;
    return std::sqrt((hi[0] - lo[0]) * (hi[0] - lo[0]) + (hi[1] - lo[1]) * (hi[1] - lo[1]) +
                     (hi[2] - lo[2]) * (hi[2] - lo[2]));
}

float margin_length(const margin_spec& margin, const std::vector<vec3>& positions) {
    return static_cast<float>(margin.relative ? margin.value * bounding_diagonal(positions) : margin.value);
}

std::int8_t plane_index(const std::string& name) {
    if (name == "yz" || name == "x") return 0;
    if (name == "zx" || name == "y") return 1;
    if (name == "xy" || name == "z") return 2;
    throw std::invalid_argument("'" + name + "' is not a plane: yz, zx, xy, or x, y, z for the axis normal to it");
}

const char* plane_name(int plane) { return plane == 0 ? "yz" : plane == 1 ? "zx" : "xy"; }

std::uint8_t base_side_index(const std::string& name) {
    return static_cast<std::uint8_t>(name == "positive" ? 0 : name == "negative" ? 1 : 2);
}

void add_base_option(CLI::App& cmd, std::string& base, const std::string& help) {
    cmd.add_option("--base", base, help)->check(CLI::IsMember({"positive", "negative", "average"}))->capture_default_str();
}

void add_plane_option(CLI::App& cmd, std::string& plane) {
    cmd.add_option("--plane", plane, "Symmetry plane: yz, zx or xy, or x, y or z (the axis normal to the plane)")
        ->check(CLI::IsMember({"yz", "zx", "xy", "x", "y", "z"}))
        ->capture_default_str();
}

void add_margin_options(CLI::App& cmd, std::string& margin, std::string& on_plane_margin) {
    const CLI::Validator valid(
        [](std::string& text) {
            try {
                parse_margin(text);
                return std::string();
            } catch (const std::invalid_argument& e) {
                return std::string(e.what());
            }
        },
        "F|F%");
    cmd.add_option("--margin", margin,
                   "Symmetry margin: a length, or a percentage of the mesh's bounding-box diagonal (0.05%)")
        ->check(valid)
        ->capture_default_str();
    cmd.add_option("--on-plane-margin", on_plane_margin,
                   "Greatest distance from the plane of an on-plane vertex: a length or a percentage (as --margin)")
        ->check(valid)
        ->capture_default_str();
}

}  // namespace cli
