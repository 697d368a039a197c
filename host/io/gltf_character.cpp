#include "host/io/gltf_character.h"
#include "host/matrices.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "host/application.h"
#include "host/io/gltf_source.h"
#include "host/io/gltf_writer.h"
#include "host/mesh_algorithms.h"
#include "host/mesh_generator.h"
#include "host/mesh_shape.h"
#include "host/io/output_file.h"
#include "host/part.h"
#include "host/scene.h"

namespace host {
namespace {

// A turn by `angle` about z, then a move (row-vector form).
mat4 turned(float angle, float x, float y) {
    mat4 m = translation(x, y, 0.0f);
    const float c = std::cos(angle), s = std::sin(angle);
    m.m[0][0] = c;
    m.m[0][1] = s;
    m.m[1][0] = -s;
    m.m[1][1] = c;
    return m;
}

// Floats as one accessor of their own, in buffer 0.
int add_floats(tinygltf::Model& m, const std::vector<float>& values, int type) {
    std::vector<unsigned char>& buf = m.buffers[0].data;
    buf.resize((buf.size() + 3) / 4 * 4, 0);
    tinygltf::BufferView v;
    v.buffer = 0;
    v.byteOffset = buf.size();
    v.byteLength = values.size() * 4;
    const auto* bytes = reinterpret_cast<const unsigned char*>(values.data());
    buf.insert(buf.end(), bytes, bytes + values.size() * 4);
    m.bufferViews.push_back(v);
    tinygltf::Accessor a;
    a.bufferView = static_cast<int>(m.bufferViews.size()) - 1;
    a.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
    a.type = type;
    a.count = values.size() / static_cast<std::size_t>(tinygltf::GetNumComponentsInType(static_cast<std::uint32_t>(type)));
    if (type == TINYGLTF_TYPE_SCALAR) {
        a.minValues = {*std::min_element(values.begin(), values.end())};
        a.maxValues = {*std::max_element(values.begin(), values.end())};
    }
    m.accessors.push_back(a);
    return static_cast<int>(m.accessors.size()) - 1;
}

// The torus's quads as triangles whose diagonals mirror each other: a quad
// of the x >= 0 side is cut from its first corner, its mirror image (whose
// corners start one place later) from its second.
mesh_data triangles_of(const mesh_data& quads) {
    mesh_data out;
    out.positions = quads.positions;
    out.vertex_selected.assign(out.positions.size(), 0);
    for (int f = 0; f < quads.face_count(); ++f) {
        const std::size_t s = static_cast<std::size_t>(quads.face_start[f]);
        float x = 0.0f;
        for (int k = 0; k < 4; ++k) x += quads.positions[static_cast<std::size_t>(quads.corner_vertex[s + static_cast<std::size_t>(k)])].x;
        const int first = x >= 0.0f ? 0 : 1;
        for (int half = 0; half < 2; ++half) {
            std::int32_t v[3];
            vec2 puv[3], duv[3];
            const int corners[3] = {first, first + 1 + half, first + 2 + half};
            for (int k = 0; k < 3; ++k) {
                const std::size_t c = s + static_cast<std::size_t>(corners[k] % 4);
                v[k] = quads.corner_vertex[c];
                puv[k] = quads.corner_puv[c];
                duv[k] = quads.distance_uvs()[c];
            }
            out.add_face(3, v, puv, duv);
        }
    }
    rebuild_edges(out);
    return out;
}

}  // namespace

int write_character(const std::string& path, const character_options& options) {
    application app;
    scene& sc = app.new_scene();
    part& skeleton = sc.add_part("skeleton");
    part& spine = sc.add_part("spine", 0, &skeleton);
    spine.set_local_matrix(translation(0.0f, 0.25f, 0.0f));
    part& l_arm = sc.add_part("l_arm", 0, &spine);
    l_arm.set_local_matrix(turned(0.25f, 1.0f, 0.25f));
    part& r_arm = sc.add_part("r_arm", 0, &spine);
    r_arm.set_local_matrix(turned(-0.25f, -1.0f, 0.25f));
    part& l_leg = sc.add_part("l_leg", 0, &skeleton);
    l_leg.set_local_matrix(translation(0.5f, 0.5f, 0.0f));
    part& r_leg = sc.add_part("r_leg", 0, &skeleton);
    r_leg.set_local_matrix(translation(-0.5f, 0.5f, 0.0f));

    torus_options t;
    t.target_vertices = std::max(12, options.body_vertices);
    t.minor_radius = 0.4f;
    t.jitter = options.jitter;
    t.seed = options.seed;
    t.uvs = true;
    mesh_data body = triangles_of(make_torus(t));
    // Smooth normals per corner; seams come from the UVs.
    compute_vertex_normals(body);
    body.corner_normal.resize(body.corner_vertex.size());
    for (std::size_t c = 0; c < body.corner_vertex.size(); ++c)
        body.corner_normal[c] = body.normals[static_cast<std::size_t>(body.corner_vertex[c])];
    std::fill(body.face_has_normals.begin(), body.face_has_normals.end(), 1);
    // Two primitives: the upper and the lower half of the tube.
    body.extras.styles = {face_style{"", "", 0}, face_style{"", "", 1}};
    body.extras.face_style.resize(static_cast<std::size_t>(body.face_count()));
    for (int f = 0; f < body.face_count(); ++f) {
        float y = 0.0f;
        for (int k = 0; k < body.face_size[f]; ++k) y += body.positions[static_cast<std::size_t>(body.corner(f, k))].y;
        body.extras.face_style[static_cast<std::size_t>(f)] = y >= 0.0f ? 0 : 1;
    }
    // Colours by height, alike on both sides.
    const std::size_t nv = body.positions.size();
    body.extras.vertex_flags.assign(nv, vertex_has_color | vertex_has_alpha);
    body.extras.vertex_w.assign(nv, 0.0f);
    body.extras.vertex_color.resize(nv);
    body.vertex_skin.assign(nv, -1);
    const float reach = t.major_radius + t.minor_radius;
    for (std::size_t v = 0; v < nv; ++v) {
        const vec3& p = body.positions[v];
        const float h = std::min(1.0f, std::max(0.0f, 0.5f + p.y / (2.0f * t.minor_radius)));
        body.extras.vertex_color[v] = vec4(h, 0.5f, 1.0f - h, 1.0f);
        skin_data skin;
        if (p.x <= 0.0f) {
            skin.binds.push_back({&spine, 1.0f});
        } else {
            const float w = std::min(1.0f, p.x / reach);
            skin.binds.push_back({&spine, 1.0f - w});
            skin.binds.push_back({p.y >= 0.0f ? static_cast<shape_class*>(&l_arm) : &l_leg, w});
        }
        body.vertex_skin[v] = static_cast<std::int32_t>(body.skins.size());
        body.skins.push_back(std::move(skin));
    }
    const int vertices = body.vertex_count();
    sc.add_mesh("body", std::move(body));

    std::vector<std::string> warnings;
    const std::vector<shape*>& tops = sc.root().children();
    tinygltf::Model m = gltf_model(sc, std::vector<const shape*>(tops.begin(), tops.end()), path, warnings);
    m.asset.generator = "Twinel character example";

    // Materials for the two halves.
    for (int k = 0; k < 2; ++k) {
        tinygltf::Material mat;
        mat.name = k == 0 ? "upper" : "lower";
        mat.pbrMetallicRoughness.baseColorFactor = k == 0 ? std::vector<double>{0.8, 0.3, 0.2, 1.0}
                                                          : std::vector<double>{0.2, 0.3, 0.8, 1.0};
        mat.pbrMetallicRoughness.roughnessFactor = 0.75;
        m.materials.push_back(mat);
    }
    for (tinygltf::Mesh& mesh : m.meshes)
        for (std::size_t p = 0; p < mesh.primitives.size(); ++p) mesh.primitives[p].material = static_cast<int>(p);

    // The animation: "l_arm" swings about z and back.
    int arm = -1;
    for (std::size_t n = 0; n < m.nodes.size(); ++n)
        if (m.nodes[n].name == "l_arm") arm = static_cast<int>(n);
    const std::vector<float> times = {0.0f, 0.5f, 1.0f};
    std::vector<float> turns;
    for (float angle : {0.25f, 0.75f, 0.25f}) {
        const float half = angle / 2.0f;
        for (float q : {0.0f, 0.0f, std::sin(half), std::cos(half)}) turns.push_back(q);
    }
    // The node's own transform as translation and rotation, which an
    // animated node needs.
    tinygltf::Node& arm_node = m.nodes[static_cast<std::size_t>(arm)];
    arm_node.matrix.clear();
    arm_node.translation = {1.0, 0.25, 0.0};
    arm_node.rotation = {0.0, 0.0, std::sin(0.125), std::cos(0.125)};
    tinygltf::Animation anim;
    anim.name = "wave";
    tinygltf::AnimationSampler sampler;
    sampler.input = add_floats(m, times, TINYGLTF_TYPE_SCALAR);
    sampler.output = add_floats(m, turns, TINYGLTF_TYPE_VEC4);
    sampler.interpolation = "LINEAR";
    anim.samplers.push_back(sampler);
    tinygltf::AnimationChannel channel;
    channel.sampler = 0;
    channel.target_node = arm;
    channel.target_path = "rotation";
    anim.channels.push_back(channel);
    m.animations.push_back(anim);

    std::string ext = std::filesystem::u8path(path).extension().u8string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    const std::string bytes = gltf_bytes(m, ext == ".glb");
    output_file out(path);
    out.write(bytes);
    out.commit();
    return vertices;
}

}  // namespace host
