// The options of the symmetry commands (pair, mirror-half, symmetry) that
// read differently from the palette's fields: the plane by name or by its
// normal axis, and margins as lengths or as shares of the mesh's size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "frame/sdk/math.h"

namespace cli {

// A tolerance as given: a length, or with a trailing "%" a percentage of
// the mesh's bounding-box diagonal ("0.05%"), so that one value suits
// meshes modelled in millimetres and in metres alike.
struct margin_spec {
    double value = 0.0;     // the length, or the share (0.0005 for "0.05%")
    bool relative = false;
};

// Parses "0.1" or "0.05%". Throws std::invalid_argument naming the text
// when it is not a finite number that is not negative.
margin_spec parse_margin(const std::string& text);

// The diagonal of the bounding box of the finite positions (NaN and
// infinite coordinates left out); 0 when there are none.
double bounding_diagonal(const std::vector<vec3>& positions);

// The length `margin` stands for on a mesh with these positions: the
// value itself, or its share of the bounding-box diagonal.
float margin_length(const margin_spec& margin, const std::vector<vec3>& positions);

// The engine's plane (0 YZ, 1 ZX, 2 XY) for --plane's value: yz, zx or
// xy, or x, y or z for the axis normal to the plane.
std::int8_t plane_index(const std::string& name);

// The name of the engine's plane: "yz", "zx" or "xy".
const char* plane_name(int plane);

// The engine's base side (0 positive, 1 negative, 2 average) for
// --base's value.
std::uint8_t base_side_index(const std::string& name);

// Adds --base (positive|negative|average) to `cmd`, defaulting to what
// `base` holds.
void add_base_option(CLI::App& cmd, std::string& base, const std::string& help);

// Adds --plane (yz|zx|xy|x|y|z) to `cmd`, defaulting to what `plane`
// holds.
void add_plane_option(CLI::App& cmd, std::string& plane);

// Adds --margin and --on-plane-margin (a length, or a percentage of the
// bounding-box diagonal) to `cmd`, defaulting to what the strings hold.
void add_margin_options(CLI::App& cmd, std::string& margin, std::string& on_plane_margin);

}  // namespace cli
