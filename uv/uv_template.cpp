#include "uv/uv_template.h"

#include <cmath>
#include <cstddef>

#include "frame/array.h"
#include "frame/sdk/image.h"
#include "frame/sdk/polygon_mesh.h"
#include "frame/sdk/shape.h"
#include "mesh/polygon_class.h"

namespace {

// `value` truncated towards zero, as a pixel index on an axis of `size`
// pixels: `size` itself becomes the last pixel, so that a coordinate of
// exactly 1 still lands in the image. NaN and values past the int range
// give -1, which lies outside every image.
int cell_of(float value, int size) {
    if (!(value > -2147483648.0f && value < 2147483648.0f)) return -1;
    const int cell = static_cast<int>(value);
    return cell == size ? size - 1 : cell;
}

// Steps a line along its major axis `a` from s = (sa, sb) to e = (ea, eb),
// sa <= ea, one cell of `step` at a time, and calls plot(a cell, b cell)
// once per cell the line crosses. Every later cell lies further along a, so
// cells before the first one in the image are jumped over and the stepping
// ends at the last one: each cell's pixel depends only on its own index,
// so the pixels drawn are those of stepping through every cell, and a line
// far outside the image costs no more than one across it.
template <class Plot>
void step_line(float sa, float sb, float ea, float eb, int a_size, float step, int b_size, bool blank, Plot plot) {
    const float mid = (sa + ea) * 0.5f;
    const float slope = (eb - sb) / (ea - sa);
    const float start = static_cast<float>(a_size) * sa;

    int a;
    float prev_a = sa;
    float prev_b = sb;
    if (static_cast<double>(start) >= static_cast<double>(a_size) + 1.0) {
        return;  // starts past the last cell
    } else if (start <= -1.0f) {
        // Cells left of the image: the stepping passes through them up to
        // cell -1, whose far border is 0, unless the line ends first.
        if (ea <= 0.0f) return;
        a = 0;
        prev_a = 0.0f;  // (-1 + 1) * step
        prev_b = (prev_a - sa) * slope + sb;
    } else {
        a = cell_of(start, a_size);
    }

    for (;;) {
        if (a >= a_size) return;  // this cell, later ones and the last pixel lie past the image
        const float next_a = static_cast<float>(a + 1) * step;
        if (next_a >= ea || next_a == 1.0f) break;
        const float next_b = (next_a - sa) * slope + sb;
        const int b = cell_of(static_cast<float>(b_size) * (prev_b + next_b) * 0.5f, b_size);
        if (!(blank && prev_a <= mid && mid <= next_a)) plot(a, b);
        prev_a = next_a;
        prev_b = next_b;
        ++a;
    }
    // The last cell ends at the line's end; the blank never applies to it.
    plot(a, cell_of(static_cast<float>(b_size) * (eb + prev_b) * 0.5f, b_size));
}

// The face's UVs of the chosen set, one per corner.
std::vector<vec2> face_uvs(face_class& face, int n, int target_uv) {
    std::vector<vec2> uvs(static_cast<std::size_t>(n));
    if (n <= 0) return uvs;
    if (target_uv == 1)
        face.get_distance_uv(uvs.data());
    else
        face.get_parameter_uv(uvs.data());
    return uvs;
}

}  // namespace

float uv_template::column_step_of(int width) { return 1.0f / static_cast<float>(width); }

float uv_template::row_step_of(int height) { return static_cast<float>(1.0 / static_cast<double>(height)); }

bool uv_template::line_draw(image_interface* image, const vec2& from, const vec2& to,
                            const kx::rgba8_class& colour) const {
    if (!image) return false;
    // A line with a coordinate that is not finite has no column to end in.
    if (!std::isfinite(from.x) || !std::isfinite(from.y) || !std::isfinite(to.x) || !std::isfinite(to.y))
        return false;
    const float du = to.x - from.x;
    const float dv = to.y - from.y;
    const auto set = [&](int x, int y) {
        if (x >= 0 && x < width && y >= 0 && y < height) image->set_pixel(x, y, colour);
    };
    if (std::fabs(du) >= std::fabs(dv)) {
        const vec2& s = du < 0.0f ? to : from;
        const vec2& e = du < 0.0f ? from : to;
        step_line(s.x, s.y, e.x, e.y, width, column_step, height, centre_blank, set);
    } else {
        const vec2& s = dv < 0.0f ? to : from;
        const vec2& e = dv < 0.0f ? from : to;
        step_line(s.y, s.x, e.y, e.x, height, row_step, width, centre_blank, [&](int y, int x) { set(x, y); });
    }
    return true;
}

bool uv_template::mark_face_exe(image_interface* image, face_class& face, int va, int vb,
                                const kx::rgba8_class& colour) const {
    const int n = face.get_number_of_vertices();
    if (n < 2) return false;
    std::vector<int> corners(static_cast<std::size_t>(n));
    face.get_vertex_indices(corners.data());
    const std::vector<vec2> uvs = face_uvs(face, n, target_uv);
    const auto joins = [va, vb](int a, int b) { return (a == va && b == vb) || (a == vb && b == va); };
    for (std::size_t k = 0; k + 1 < corners.size(); ++k) {
        if (joins(corners[k], corners[k + 1])) return line_draw(image, uvs[k], uvs[k + 1], colour);
        if (k == 0 && joins(corners[0], corners.back())) return line_draw(image, uvs.back(), uvs[0], colour);
    }
    return false;
}

std::vector<uv_template::face_error> uv_template::draw(image_interface& image, Polygon_class& polygon,
                                                       const std::vector<int>& marked_edges) const {
    polygon_mesh_class& mesh = *polygon.mesh;
    const kx::rgba8_class back = kx::rgba8_class::from_rgb(background, 0);
    const kx::rgba8_class ink = kx::rgba8_class::from_rgb(line, 255);
    const kx::rgba8_class mark = kx::rgba8_class::from_rgb(mark_line, 255);

    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y) image.set_pixel(x, y, back);

    std::vector<face_error> errors;
    const int faces = mesh.get_number_of_faces();
    for (int f = 0; f < faces; ++f) {
        face_class& face = mesh.face(f);
        const int n = face.get_number_of_vertices();
        const std::vector<vec2> uvs = face_uvs(face, n, target_uv);
        for (int k = 0; k < n; ++k) {
            const vec2& from = uvs[static_cast<std::size_t>(k == 0 ? n - 1 : k - 1)];
            const vec2& to = uvs[static_cast<std::size_t>(k)];
            bool drawn = false;
            try {
                drawn = line_draw(&image, from, to, ink);
            } catch (...) {
                // A host failure on one line costs that face only.
            }
            if (!drawn) {
                errors.push_back(face_error{f, k, from, to});
                break;
            }
        }
    }

    // The mark colour goes over each marked edge once per face beside it,
    // so that a seam shows at the UVs of both its sides.
    const int edges = mesh.get_number_of_edges();
    std::vector<int> marked;
    for (int e : marked_edges)
        if (e >= 0 && e < edges) marked.push_back(e);
    if (marked.empty()) return errors;
    Array<int> side_a(static_cast<int>(marked.size()));
    Array<int> side_b(static_cast<int>(marked.size()));
    polygon.get_faces_pair_by_edges(marked, side_a, side_b, nullptr, false);
    for (int k = 0; k < side_a.size(); ++k) {
        const edge_class& edge = mesh.edge(marked[static_cast<std::size_t>(k)]);
        const int v0 = edge.get_v0();
        const int v1 = edge.get_v1();
        for (int side : {side_a[k], side_b[k]}) {
            if (side < 0 || side >= faces) continue;
            try {
                mark_face_exe(&image, mesh.face(side), v0, v1, mark);
            } catch (...) {
                // A host failure costs this one mark line.
            }
        }
    }
    return errors;
}

std::pair<int, int> get_layer_image_size(shape_class& shape) {
    for (shape_class* s = &shape; s; s = s->get_inherited_shape()) {
        surface_attributes_interface* surface = s->get_surface_attributes();
        if (!surface) continue;
        const int layers = surface->get_number_of_mapping_layers();
        for (int k = 0; k < layers; ++k) {
            image_interface* image = surface->get_mapping_layer_image(k);
            if (image && image->has_content()) return {image->get_width(), image->get_height()};
        }
    }
    return {-1, -1};
}
