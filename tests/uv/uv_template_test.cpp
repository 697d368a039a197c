// The UV template image: the column and row stepping of one line, the
// centre blank, clipping, lines that cannot be drawn, marked sides, the
// whole template's colours and seams, and the texture size.
#include "uv/uv_template.h"

#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <utility>
#include <vector>

#include "host/image.h"
#include "mesh/polygon_class.h"
#include "tests/common/mesh_builder.h"

namespace {

using pixels = std::set<std::pair<int, int>>;

uv_template sized(int width, int height, bool blank = false) {
    uv_template t;
    t.width = width;
    t.height = height;
    t.column_step = uv_template::column_step_of(width);
    t.row_step = uv_template::row_step_of(height);
    t.centre_blank = blank;
    return t;
}

const kx::rgba8_class ink(255, 255, 255, 255);

// The pixels one line sets on a blank image.
pixels drawn(const uv_template& t, vec2 from, vec2 to) {
    host::image image(t.width, t.height);
    EXPECT_TRUE(t.line_draw(&image, from, to, ink));
    pixels out;
    for (int x = 0; x < t.width; ++x)
        for (int y = 0; y < t.height; ++y)
            if (image.get_pixel(x, y).a != 0) out.insert({x, y});
    return out;
}

// The stepping through every column of a line along u (s left of e), as
// the rasteriser is described, without any jump over columns.
pixels every_column(const uv_template& t, vec2 s, vec2 e) {
    const float mid = (s.x + e.x) * 0.5f;
    const float slope = (e.y - s.y) / (e.x - s.x);
    pixels out;
    const auto put = [&](int x, int y) {
        if (y == t.height) y = t.height - 1;
        if (x >= 0 && x < t.width && y >= 0 && y < t.height) out.insert({x, y});
    };
    int x = static_cast<int>(static_cast<float>(t.width) * s.x);
    if (x == t.width) x = t.width - 1;
    vec2 prev = s;
    for (;;) {
        const float u = static_cast<float>(x + 1) * t.column_step;
        if (u >= e.x || u == 1.0f) break;
        const float v = (u - s.x) * slope + s.y;
        if (!(t.centre_blank && prev.x <= mid && mid <= u))
            put(x, static_cast<int>(static_cast<float>(t.height) * (prev.y + v) * 0.5f));
        prev = vec2(u, v);
        ++x;
    }
    put(x, static_cast<int>(static_cast<float>(t.height) * (e.y + prev.y) * 0.5f));
    return out;
}

TEST(uv_template, a_line_sets_one_pixel_per_column_and_the_centre_blank_leaves_the_middle_out) {
    EXPECT_EQ(drawn(sized(4, 4), {0.0f, 0.5f}, {0.9f, 0.5f}), (pixels{{0, 2}, {1, 2}, {2, 2}, {3, 2}}));
    EXPECT_EQ(drawn(sized(4, 4, true), {0.0f, 0.5f}, {0.9f, 0.5f}), (pixels{{0, 2}, {2, 2}, {3, 2}}));
    // The midpoint 0.5 on the border of columns 1 and 2 blanks both; the
    // last pixel is never blanked.
    EXPECT_EQ(drawn(sized(4, 4), {0.0f, 0.5f}, {1.0f, 0.5f}), (pixels{{0, 2}, {1, 2}, {2, 2}, {3, 2}}));
    EXPECT_EQ(drawn(sized(4, 4, true), {0.0f, 0.5f}, {1.0f, 0.5f}), (pixels{{0, 2}, {3, 2}}));
    // A point is one pixel; a coordinate of exactly 1 lands in the last one.
    EXPECT_EQ(drawn(sized(4, 4), {0.6f, 0.3f}, {0.6f, 0.3f}), (pixels{{2, 1}}));
    EXPECT_EQ(drawn(sized(4, 4), {1.0f, 1.0f}, {1.0f, 1.0f}), (pixels{{3, 3}}));
}

TEST(uv_template, a_steep_line_steps_rows_and_either_direction_draws_the_same) {
    const uv_template t = sized(4, 8);
    const pixels down = drawn(t, {0.3f, 0.05f}, {0.6f, 0.95f});
    EXPECT_EQ(down, (pixels{{1, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 4}, {2, 5}, {2, 6}, {2, 7}}));
    EXPECT_EQ(drawn(t, {0.6f, 0.95f}, {0.3f, 0.05f}), down);
}

TEST(uv_template, lines_reaching_outside_are_clipped_as_if_every_column_were_stepped) {
    const std::vector<std::pair<vec2, vec2>> lines = {
        {{-2.3f, 0.1f}, {0.7f, 0.8f}},   {{-0.9f, -0.7f}, {1.8f, 1.3f}}, {{0.4f, 1.6f}, {3.9f, -0.2f}},
        {{-3.0f, 0.5f}, {-0.2f, 0.6f}}, {{1.2f, 0.5f}, {2.5f, 0.4f}},   {{-0.05f, 0.3f}, {0.3f, 0.35f}}};
    for (bool blank : {false, true}) {
        const uv_template t = sized(8, 8, blank);
        for (const auto& l : lines) EXPECT_EQ(drawn(t, l.first, l.second), every_column(t, l.first, l.second));
    }
    // Far outside costs one pass across the image, not one per column.
    EXPECT_EQ(drawn(sized(8, 8), {-1.0e30f, 0.5f}, {1.0e30f, 0.5f}).size(), 8u);
    EXPECT_EQ(drawn(sized(8, 8), {3.0e38f, 0.5f}, {-3.0e38f, 0.5f}).size(), 8u) << "a length beyond the float range";
    // Without an end there is no column to stop at: such a line is refused.
    host::image image(8, 8);
    EXPECT_FALSE(sized(8, 8).line_draw(&image, {0.1f, 0.1f}, {std::numeric_limits<float>::quiet_NaN(), 0.5f}, ink));
    EXPECT_FALSE(sized(8, 8).line_draw(&image, {-std::numeric_limits<float>::infinity(), 0.5f}, {0.5f, 0.5f}, ink));
}

// Two quads side by side, 8 x 8 pixels: face 0 takes the UVs of the
// top-left quarter, face 1 those of the bottom-right one, so their shared
// edge 1-2 is a seam: column 3 in face 0 (its second side), column 4 in
// face 1 (its side from the last corner to the first).
twinel_test::mesh_lists seam_quads() {
    twinel_test::mesh_lists m;
    m.positions = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0, 0}, {2, 1, 0}};
    m.faces = {{0, 1, 2, 3}, {1, 4, 5, 2}};
    const float a = 0.0625f, b = 0.4375f, c = 0.5625f, d = 0.9375f;
    m.uvs = {{{a, a}, {b, a}, {b, b}, {a, b}}, {{c, c}, {d, c}, {d, d}, {c, d}}};
    return m;
}

int edge_between(polygon_mesh_class& mesh, int p, int q) {
    for (int e = 0; e < mesh.get_number_of_edges(); ++e) {
        const int v0 = mesh.edge(e).get_v0(), v1 = mesh.edge(e).get_v1();
        if ((v0 == p && v1 == q) || (v0 == q && v1 == p)) return e;
    }
    return -1;
}

TEST(uv_template, the_template_has_a_clear_background_opaque_outlines_and_a_marked_seam_on_both_sides) {
    twinel_test::test_scene s(seam_quads());
    Polygon_class polygon(&s.shape());
    uv_template t = sized(8, 8);
    t.background = vec3(0.2f, 0.4f, 0.6f);
    host::image image(8, 8);
    const auto errors = t.draw(image, polygon, {edge_between(s.mesh(), 1, 2), 99});
    EXPECT_TRUE(errors.empty());

    const kx::rgba8_class back(51, 102, 153, 0), cyan(0, 255, 255, 255), red(255, 0, 0, 255);
    EXPECT_EQ(image.get_pixel(6, 1), back);
    EXPECT_EQ(image.get_pixel(1, 0), cyan) << "face 0's first side";
    EXPECT_EQ(image.get_pixel(5, 7), cyan) << "face 1's third side";
    for (int y = 0; y < 4; ++y) EXPECT_EQ(image.get_pixel(3, y), red) << "the seam at face 0's UVs, row " << y;
    for (int y = 4; y < 8; ++y) EXPECT_EQ(image.get_pixel(4, y), red) << "the seam at face 1's UVs, row " << y;
}

TEST(uv_template, a_face_whose_outline_fails_is_reported_at_that_line_and_the_others_still_drawn) {
    twinel_test::mesh_lists m = seam_quads();
    m.uvs[0][1].x = std::numeric_limits<float>::quiet_NaN();
    twinel_test::test_scene s(m);
    Polygon_class polygon(&s.shape());
    uv_template t = sized(8, 8);
    t.target_uv = 1;  // the distance UVs, which carry the same values
    host::image image(8, 8);
    const auto errors = t.draw(image, polygon, {});
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].face, 0);
    EXPECT_EQ(errors[0].corner, 1) << "the line from corner 0 to corner 1";
    EXPECT_EQ(errors[0].from.x, 0.0625f);
    EXPECT_EQ(errors[0].to.y, 0.0625f);
    EXPECT_EQ(image.get_pixel(0, 2).a, 255) << "the side n-1 to 0, drawn before the failure";
    EXPECT_EQ(image.get_pixel(2, 3).a, 0) << "the side 2 to 3, after the failure, is not drawn";
    EXPECT_EQ(image.get_pixel(7, 5).a, 255) << "face 1";
}

TEST(uv_template, the_size_comes_from_the_first_texture_image_or_the_inherited_surface) {
    twinel_test::test_scene s(seam_quads());
    host::mesh_shape& mesh = s.shape();
    EXPECT_EQ(get_layer_image_size(mesh), std::make_pair(-1, -1));

    host::part& group = s.scene().add_part("group");
    s.scene().place(mesh, &group, host::scene::at_end);
    group.surface().add_layer(new host::image(64, 32));
    EXPECT_EQ(get_layer_image_size(mesh), std::make_pair(64, 32)) << "inherited from the group";

    mesh.surface().add_layer(nullptr);
    mesh.surface().add_layer(new host::image(512, 256));
    mesh.surface().add_layer(new host::image(16, 16));
    EXPECT_EQ(get_layer_image_size(mesh), std::make_pair(512, 256));
}

}  // namespace
