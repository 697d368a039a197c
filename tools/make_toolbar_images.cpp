// Draws the six toolbar images of the symmetry window into a folder as
// 32-bit TARGA files with 8 bits of alpha. It is not part of the build; run
// it by hand when an icon changes, from the repository root:
//
//   c++ -std=c++17 -O2 -Wall -Wextra -I/usr/include/stb tools/make_toolbar_images.cpp -o /tmp/make_toolbar_images
//   /tmp/make_toolbar_images resources/images
//
// Each icon is a few strokes on a transparent background. MESH_MODE and
// SYM_VERTICE are written uncompressed, the others run-length encoded.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace {

struct rgba {
    std::uint8_t r, g, b, a;
};

constexpr rgba ink{40, 40, 48, 255};
constexpr rgba vertex{230, 120, 20, 255};
constexpr rgba removed{210, 30, 30, 255};
constexpr rgba added{20, 160, 60, 255};
constexpr rgba plane{40, 110, 220, 255};

class canvas {
public:
    canvas(int width, int height) : width_(width), height_(height), pixels_(std::size_t(width) * std::size_t(height)) {}

    void dot(int x, int y, rgba c) {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
        pixels_[std::size_t(y) * std::size_t(width_) + std::size_t(x)] = c;
    }
    // Bresenham; `dash` > 0 leaves every other run of that length empty.
    void line(int x0, int y0, int x1, int y1, rgba c, int dash = 0) {
        const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
        const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
        int err = dx + dy;
        for (int step = 0;; ++step) {
            if (dash == 0 || (step / dash) % 2 == 0) dot(x0, y0, c);
            if (x0 == x1 && y0 == y1) return;
            const int e2 = 2 * err;
            if (e2 >= dy) err += dy, x0 += sx;
            if (e2 <= dx) err += dx, y0 += sy;
        }
    }
    // A 3 x 3 square centred on (x, y).
    void knob(int x, int y, rgba c) {
        for (int v = -1; v <= 1; ++v)
            for (int u = -1; u <= 1; ++u) dot(x + u, y + v, c);
    }
    void box(int x0, int y0, int x1, int y1, rgba c) {
        line(x0, y0, x1, y0, c);
        line(x1, y0, x1, y1, c);
        line(x1, y1, x0, y1, c);
        line(x0, y1, x0, y0, c);
    }

    bool save(const std::string& path, bool run_length) const {
        stbi_write_tga_with_rle = run_length ? 1 : 0;
        return stbi_write_tga(path.c_str(), width_, height_, 4, pixels_.data()) != 0;
    }

private:
    int width_, height_;
    std::vector<rgba> pixels_;  // transparent black
};

// A 2 x 2 quad grid with its vertices picked out.
canvas mesh_mode() {
    canvas c(36, 18);
    for (int k = 0; k < 3; ++k) {
        c.line(6 + 12 * k, 2, 6 + 12 * k, 15, ink);
        c.line(6, 2 + 6 * k + (k == 2 ? 1 : 0), 30, 2 + 6 * k + (k == 2 ? 1 : 0), ink);
    }
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) c.knob(6 + 12 * i, 2 + 6 * j + (j == 2 ? 1 : 0), vertex);
    return c;
}

// Two arrows chasing each other round a loop.
canvas renew() {
    canvas c(29, 18);
    c.line(8, 3, 20, 3, ink);
    c.line(21, 4, 23, 6, ink);
    c.line(23, 6, 23, 11, ink);
    c.line(20, 14, 8, 14, ink);
    c.line(7, 13, 5, 11, ink);
    c.line(5, 11, 5, 6, ink);
    // Arrow heads.
    c.line(20, 3, 17, 0, added);
    c.line(20, 3, 17, 6, added);
    c.line(8, 14, 11, 11, added);
    c.line(8, 14, 11, 17, added);
    return c;
}

// A quad split by a diagonal, and a minus sign.
canvas edge_icon(bool add) {
    canvas c(38, 18);
    c.box(3, 2, 21, 15, ink);
    c.line(3, 15, 21, 2, add ? added : removed, add ? 0 : 2);
    const rgba sign = add ? added : removed;
    for (int w = 0; w < 2; ++w) c.line(26, 8 + w, 35, 8 + w, sign);
    if (add)
        for (int w = 0; w < 2; ++w) c.line(30 + w, 4, 30 + w, 13, sign);
    return c;
}

// A vertex and its mirror image across a dashed plane.
canvas sym_vertice() {
    canvas c(29, 18);
    c.line(14, 0, 14, 17, plane, 2);
    c.line(5, 4, 9, 12, ink);
    c.line(23, 4, 19, 12, ink);
    c.knob(5, 4, vertex);
    c.knob(23, 4, vertex);
    c.knob(9, 12, vertex);
    c.knob(19, 12, vertex);
    return c;
}

// A vertex moved onto the plane.
canvas paste_plane() {
    canvas c(16, 18);
    c.line(12, 0, 12, 17, plane);
    c.line(13, 0, 13, 17, plane);
    c.knob(3, 9, vertex);
    c.line(5, 9, 10, 9, ink);
    c.line(10, 9, 7, 6, ink);
    c.line(10, 9, 7, 12, ink);
    return c;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    struct output {
        const char* name;
        canvas image;
        bool run_length;
    };
    const output outputs[] = {
        {"mesh_mode", mesh_mode(), false},  {"renew", renew(), true},
        {"remove_edge", edge_icon(false), true}, {"append_edge", edge_icon(true), true},
        {"sym_vertice", sym_vertice(), false}, {"paste_plane", paste_plane(), true},
    };
    for (const output& o : outputs) {
        const std::string path = dir + "/" + o.name + ".tga";
        if (!o.image.save(path, o.run_length)) {
            std::fprintf(stderr, "%s: cannot be written\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
