#include "host/scene_generator.h"
#include "host/matrices.h"

#include <algorithm>
#include <random>
#include <string>

#include "host/image.h"
#include "host/line_shape.h"
#include "host/mesh_generator.h"
#include "host/mesh_shape.h"
#include "host/part.h"
#include "host/primitive_shape.h"
#include "host/scene.h"

namespace host {
namespace {

// Uniform in [-1, 1) with 24 random bits, exact in float (as the mesh
// generator draws).
float uniform_signed(std::mt19937& rng) {
    return static_cast<float>(rng() >> 8) * (2.0f / 16777216.0f) - 1.0f;
}

// A point with its handle pairs along x (the line) and along z (across it).
control_point_data point(const vec3& p, float along, float across) {
    control_point_data c = line_shape::point_at(p);
    c.first_handle = p + vec3(-along, 0.0f, 0.0f);
    c.second_handle = p + vec3(along, 0.0f, 0.0f);
    c.third_handle = p + vec3(0.0f, 0.0f, -across);
    c.fourth_handle = p + vec3(0.0f, 0.0f, across);
    return c;
}

// Moves a point and its handles on the negative side by a random offset.
void jitter_point(control_point_data& c, float amount, std::mt19937& rng) {
    if (!(c.position.x < 0.0f)) return;
    // Drawn in sequence, z first (the order the shipped examples were made
    // with): the arguments of one call have no order of their own, and
    // compilers differ.
    const float dz = amount * uniform_signed(rng);
    const float dy = amount * uniform_signed(rng);
    const float dx = amount * uniform_signed(rng);
    const vec3 d(dx, dy, dz);
    c.position += d;
    c.first_handle += d;
    c.second_handle += d;
    c.third_handle += d;
    c.fourth_handle += d;
}

void bind(skin_data& skin, shape_class* joint, float weight) { skin.binds.push_back({joint, weight}); }

}  // namespace

std::vector<shape*> make_rig(scene& target, const rig_options& options) {
    std::mt19937 rng(options.seed);
    const undo_scope step(target);

    part& skeleton = target.add_part("skeleton");
    part& spine = target.add_part("spine", 0, &skeleton);
    part& l_arm = target.add_part("l_arm", 0, &skeleton);
    l_arm.set_local_matrix(translation(1.25f, 1.5f, 0.0f));
    part& l_hand = target.add_part("l-hand", 0, &l_arm);
    l_hand.set_local_matrix(translation(0.5f, 0.0f, 0.0f));
    part& r_arm = target.add_part("r_arm", 0, &skeleton);
    r_arm.set_local_matrix(translation(-1.25f, 1.5f, 0.0f));
    part& r_hand = target.add_part("r-hand", 0, &r_arm);
    r_hand.set_local_matrix(translation(-0.5f, 0.0f, 0.0f));
    part& left_leg = target.add_part("left_leg", 0, &skeleton);
    left_leg.set_local_matrix(translation(0.5f, -0.5f, 0.0f));
    part& right_leg = target.add_part("right_leg", 0, &skeleton);
    right_leg.set_local_matrix(translation(-0.5f, -0.5f, 0.0f));

    // The body: the source side (x >= 0) blends from the spine to the arm
    // above the ring's middle and to the leg below it; the hand takes the
    // outermost part. The other side waits for "Symmerize Skin".
    torus_options t;
    t.target_vertices = std::max(12, options.body_vertices);
    t.major_radius = 1.0f;
    t.minor_radius = 0.4f;
    t.jitter = options.jitter / 10.0f;
    t.seed = options.seed;
    t.uvs = true;
    mesh_data body = make_torus(t);
    body.vertex_skin.assign(body.positions.size(), -1);
    const float reach = t.major_radius + t.minor_radius;
    for (std::size_t v = 0; v < body.positions.size(); ++v) {
        const vec3& p = body.positions[v];
        if (p.x < 0.0f) continue;
        skin_data skin;
        const float w = std::min(1.0f, p.x / reach);
        bind(skin, &spine, 1.0f - w);
        if (w > 0.0f) {
            if (w > 0.9f) {
                bind(skin, &l_hand, w);
            } else {
                bind(skin, p.y >= 0.0f ? static_cast<shape_class*>(&l_arm) : &left_leg, w);
            }
        }
        body.vertex_skin[v] = static_cast<std::int32_t>(body.skins.size());
        body.skins.push_back(std::move(skin));
    }
    mesh_shape& body_shape = target.add_mesh("body", std::move(body));
    body_shape.set_local_matrix(translation(0.0f, 1.0f, 0.0f));
    body_shape.surface().add_layer(new image(256, 128));

    // An open line across the plane, skinned to the spine.
    std::vector<control_point_data> outline;
    for (int k = 0; k < 5; ++k) {
        const float x = 0.5f * static_cast<float>(k - 2);
        control_point_data c = point(vec3(x, 2.5f, 0.25f * x * x), 0.2f, 0.1f);
        jitter_point(c, options.jitter, rng);
        bind(c.skin, &spine, 1.0f);
        outline.push_back(std::move(c));
    }
    line_shape& outline_shape = target.add_line("outline", std::move(outline), false);

    // A surface of three rows of four points, the rows crossing the plane.
    part& sheet = target.add_part("sheet", kx::sdk::surface_part);
    for (int r = 0; r < 3; ++r) {
        std::vector<control_point_data> row;
        for (int k = 0; k < 4; ++k) {
            const float x = static_cast<float>(k) - 1.5f;
            control_point_data c = point(vec3(x, -1.5f, 0.5f * static_cast<float>(r)), 0.3f, 0.2f);
            jitter_point(c, options.jitter, rng);
            row.push_back(std::move(c));
        }
        target.add_line("sheet_row_" + std::to_string(r), std::move(row), false, &sheet);
    }

    // A primitive turned a quarter about y, halved and moved up.
    primitive_shape& marker = target.add_primitive("marker", 3, vec3(0.0f, 0.0f, 0.0f), vec3(0.2f, 0.2f, 0.2f));
    mat4 m;
    m.m[0][0] = 0.0f;
    m.m[0][2] = -0.5f;
    m.m[1][1] = 0.5f;
    m.m[2][0] = 0.5f;
    m.m[2][2] = 0.0f;
    m.m[3][1] = 3.0f;
    marker.set_local_matrix(m);

    return {&skeleton, &body_shape, &outline_shape, &sheet, &marker};
}

}  // namespace host
