#include "host/io/gltf_reader.h"

#include <cstring>
#include <filesystem>
#include <memory>
#include <sstream>
#include <unordered_map>

#include <boost/format.hpp>

#include "host/io/input_text.h"
#include "host/io/gltf_source.h"
#include "host/mesh_algorithms.h"
#include "host/mesh_shape.h"
#include "host/io/file_error.h"
#include "host/part.h"
#include "host/scene.h"

namespace host {
namespace {

// Images are kept as the bytes the file gave (never decoded), so that they
// are written back as they were.
bool keep_image_bytes(tinygltf::Image* image, const int, std::string*, std::string*, int, int,
                      const unsigned char* bytes, int size, void*) {
    image->image.assign(bytes, bytes + size);
    return true;
}

// tinygltf's messages, one per line, without the empty ones.
std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        if (!line.empty()) out.push_back(line);
    return out;
}

const char* mode_name(int mode) {
    switch (mode) {
    case TINYGLTF_MODE_POINTS: return "POINTS";
    case TINYGLTF_MODE_LINE: return "LINES";
    case TINYGLTF_MODE_LINE_LOOP: return "LINE_LOOP";
    case TINYGLTF_MODE_LINE_STRIP: return "LINE_STRIP";
    case TINYGLTF_MODE_TRIANGLE_STRIP: return "TRIANGLE_STRIP";
    case TINYGLTF_MODE_TRIANGLE_FAN: return "TRIANGLE_FAN";
    default: return "unknown";
    }
}

// A mesh instance as read: the host mesh with null joints, and per host
// skin the skin-joint index of each binding.
struct mesh_record {
    mesh_data mesh;
    std::vector<std::vector<int>> joints;
    gltf_mesh_instance instance;
};

class reader {
public:
    reader(const tinygltf::Model& model, const std::string& file, std::vector<std::string>& warnings)
        : m_(model), file_(file), warnings_(warnings) {}

    // The nodes of the scene read, depth first, each with its parent's
    // position in that order (-1 at the top).
    void walk() {
        const std::size_t n = m_.nodes.size();
        std::vector<int> parent(n, -1);
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t k = 0; k < m_.nodes[i].children.size(); ++k) {
                const int c = m_.nodes[i].children[k];
                const std::string place = (boost::format("nodes/%i/children/%i") % i % k).str();
                if (c < 0 || static_cast<std::size_t>(c) >= n)
                    fail(place, (boost::format("node %i is out of range (%i nodes)") % c % n).str());
                if (parent[static_cast<std::size_t>(c)] >= 0 || static_cast<std::size_t>(c) == i)
                    fail(place, (boost::format("node %i has more than one parent") % c).str());
                parent[static_cast<std::size_t>(c)] = static_cast<int>(i);
            }
        std::vector<int> roots;
        const int chosen = m_.defaultScene >= 0 ? m_.defaultScene : (m_.scenes.empty() ? -1 : 0);
        if (chosen >= 0) {
            if (static_cast<std::size_t>(chosen) >= m_.scenes.size())
                fail("scene", (boost::format("scene %i is out of range (%i scenes)") % chosen % m_.scenes.size()).str());
            const std::vector<int>& top = m_.scenes[static_cast<std::size_t>(chosen)].nodes;
            for (std::size_t k = 0; k < top.size(); ++k) {
                const std::string place = (boost::format("scenes/%i/nodes/%i") % chosen % k).str();
                if (top[k] < 0 || static_cast<std::size_t>(top[k]) >= n)
                    fail(place, (boost::format("node %i is out of range (%i nodes)") % top[k] % n).str());
                if (parent[static_cast<std::size_t>(top[k])] >= 0)
                    fail(place, (boost::format("node %i is a child of node %i, not a root") % top[k] %
                                 parent[static_cast<std::size_t>(top[k])]).str());
                roots.push_back(top[k]);
            }
        } else {
            for (std::size_t i = 0; i < n; ++i)
                if (parent[i] < 0) roots.push_back(static_cast<int>(i));
        }
        std::vector<std::uint8_t> seen(n, 0);
        std::vector<std::pair<int, int>> work;  // node, parent position
        for (auto it = roots.rbegin(); it != roots.rend(); ++it) work.emplace_back(*it, -1);
        while (!work.empty()) {
            const auto [node, up] = work.back();
            work.pop_back();
            if (seen[static_cast<std::size_t>(node)])
                fail((boost::format("nodes/%i") % node).str(), "the node appears twice in the scene's tree");
            seen[static_cast<std::size_t>(node)] = 1;
            const int here = static_cast<int>(order_.size());
            order_.push_back(node);
            parents_.push_back(up);
            const std::vector<int>& kids = m_.nodes[static_cast<std::size_t>(node)].children;
            for (auto it = kids.rbegin(); it != kids.rend(); ++it) work.emplace_back(*it, here);
        }
        const std::size_t outside = n - order_.size();
        if (outside > 0)
            warn((boost::format("%i nodes are not in the scene read (scene %i): they are kept in the document, not "
                                "shown") % outside % chosen).str());
        if (m_.scenes.size() > 1)
            warn((boost::format("the file has %i scenes: scene %i is read, the others are kept as they are") %
                  m_.scenes.size() % chosen).str());
    }

    const std::vector<int>& order() const { return order_; }
    const std::vector<int>& parents() const { return parents_; }

    // The host mesh of mesh `mi` shown by node `node` with skin `si` (-1: none).
    mesh_record read_mesh(int node, int mi, int si) const {
        const std::string mesh_place = (boost::format("nodes/%i/mesh") % node).str();
        if (mi < 0 || static_cast<std::size_t>(mi) >= m_.meshes.size())
            fail(mesh_place, (boost::format("mesh %i is out of range (%i meshes)") % mi % m_.meshes.size()).str());
        const std::size_t skin_joints = joint_count(node, si);
        const tinygltf::Mesh& gm = m_.meshes[static_cast<std::size_t>(mi)];
        mesh_record r;
        r.instance.node = node;
        r.instance.mesh = mi;
        mesh_data& d = r.mesh;
        std::unordered_map<std::string, int> host_vertex;
        std::vector<vec3> corner_normals;
        std::vector<std::int32_t> corner_source, face_style;
        bool any_normals = false, any_color = false;
        std::vector<vec4> colors;
        std::vector<std::uint8_t> color_flags;
        std::vector<std::vector<std::pair<int, float>>> binds;  // per host vertex
        std::int32_t next_id = 0;
        for (std::size_t p = 0; p < gm.primitives.size(); ++p) {
            const tinygltf::Primitive& prim = gm.primitives[p];
            const std::string place = (boost::format("meshes/%i/primitives/%i") % mi % p).str();
            r.instance.first.push_back(next_id);
            const auto pos_it = prim.attributes.find("POSITION");
            if (prim.mode != TINYGLTF_MODE_TRIANGLES || pos_it == prim.attributes.end()) {
                r.instance.imported.push_back(0);
                r.instance.vertex_count.push_back(0);
                warn(prim.mode != TINYGLTF_MODE_TRIANGLES
                         ? (boost::format("%s (mesh '%s') is a %s primitive: it is kept as it is, not edited") % place %
                            gm.name % mode_name(prim.mode)).str()
                         : (boost::format("%s (mesh '%s') has no POSITION: it is kept as it is, not edited") % place %
                            gm.name).str());
                continue;
            }
            if (const char* why = unreadable(prim)) {
                r.instance.imported.push_back(0);
                r.instance.vertex_count.push_back(0);
                warn((boost::format("%s (mesh '%s') %s: it is kept as it is, not edited") % place % gm.name % why).str());
                continue;
            }
            const gltf_accessor_view pos = attribute(place, prim, "POSITION", {3}, true);
            const std::size_t count = pos.count;
            r.instance.imported.push_back(1);
            r.instance.vertex_count.push_back(static_cast<std::int32_t>(count));
            next_id += static_cast<std::int32_t>(count);
            const gltf_accessor_view* no = nullptr;
            gltf_accessor_view normal, uv0, uv1, color;
            const gltf_accessor_view* has_normal = optional(place, prim, "NORMAL", {3}, true, count, normal) ? &normal : no;
            const gltf_accessor_view* has_uv0 = optional(place, prim, "TEXCOORD_0", {2}, false, count, uv0) ? &uv0 : no;
            const gltf_accessor_view* has_uv1 = optional(place, prim, "TEXCOORD_1", {2}, false, count, uv1) ? &uv1 : no;
            const gltf_accessor_view* has_color = optional(place, prim, "COLOR_0", {3, 4}, false, count, color) ? &color : no;
            std::vector<gltf_accessor_view> joints, weights;
            if (si >= 0)
                for (int set = 0;; ++set) {
                    gltf_accessor_view j, w;
                    const std::string js = "JOINTS_" + std::to_string(set), ws = "WEIGHTS_" + std::to_string(set);
                    const bool hj = optional(place, prim, js.c_str(), {4}, false, count, j);
                    const bool hw = optional(place, prim, ws.c_str(), {4}, false, count, w);
                    if (!hj && !hw) break;
                    if (hj != hw) fail(place, (boost::format("has %s without %s") % (hj ? js : ws) % (hj ? ws : js)).str());
                    joints.push_back(j);
                    weights.push_back(w);
                }
            any_normals |= has_normal != nullptr;
            any_color |= has_color != nullptr;

            // The host vertex of each glTF vertex: same position, joints,
            // weights and colour.
            std::vector<int> vertex_of(count);
            for (std::size_t i = 0; i < count; ++i) {
                std::string key(reinterpret_cast<const char*>(pos.element(i)), 12);
                std::vector<std::pair<int, float>> b;
                for (std::size_t set = 0; set < joints.size(); ++set)
                    for (int c = 0; c < 4; ++c) {
                        const float w = weights[set].value(i, c);
                        if (w == 0.0f) continue;
                        const float jf = joints[set].value(i, c);
                        if (!(jf >= 0.0f && jf < static_cast<float>(skin_joints)))
                            fail((boost::format("%s/attributes/JOINTS_%i") % place % set).str(),
                                 (boost::format("vertex %i names joint %i of a skin of %i joints") % i % jf %
                                  skin_joints).str());
                        b.emplace_back(static_cast<int>(jf), w);
                    }
                // Bound to the mesh's own node alone: no skin in the host.
                if (b.size() == 1 && b[0].second == 1.0f && skin_node(si, b[0].first) == node) b.clear();
                for (const auto& [j, w] : b) {
                    key.append(reinterpret_cast<const char*>(&j), sizeof j);
                    key.append(reinterpret_cast<const char*>(&w), sizeof w);
                }
                vec4 c(1.0f, 1.0f, 1.0f, 1.0f);
                if (has_color) {
                    c = vec4(color.value(i, 0), color.value(i, 1), color.value(i, 2),
                             color.components == 4 ? color.value(i, 3) : 1.0f);
                    key += 'c';
                    key.append(reinterpret_cast<const char*>(&c), sizeof c);
                    key += static_cast<char>(color.components);
                }
                const auto [it, added] = host_vertex.emplace(key, d.vertex_count());
                if (added) {
                    vec3 position;
                    std::memcpy(&position, pos.element(i), 12);
                    d.add_vertex(position);
                    colors.push_back(c);
                    color_flags.push_back(has_color ? (color.components == 4 ? vertex_has_color | vertex_has_alpha
                                                                             : vertex_has_color)
                                                    : 0);
                    binds.push_back(std::move(b));
                }
                vertex_of[i] = it->second;
            }

            // Triangles.
            std::vector<std::uint32_t> index;
            if (prim.indices >= 0) {
                const gltf_accessor_view iv = gltf_view(m_, prim.indices, file_, place + "/indices");
                if (iv.components != 1 || iv.component_type == TINYGLTF_COMPONENT_TYPE_FLOAT ||
                    iv.component_type == TINYGLTF_COMPONENT_TYPE_BYTE || iv.component_type == TINYGLTF_COMPONENT_TYPE_SHORT)
                    fail(place + "/indices", "indices must be unsigned integer scalars");
                index.resize(iv.count);
                for (std::size_t k = 0; k < iv.count; ++k) {
                    index[k] = static_cast<std::uint32_t>(iv.value(k, 0));
                    if (iv.component_type == TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT)
                        std::memcpy(&index[k], iv.element(k), 4);
                    if (index[k] >= count)
                        fail(place + "/indices", (boost::format("index %i (at %i) is out of range (%i vertices)") %
                                                  index[k] % k % count).str());
                }
            } else {
                index.resize(count);
                for (std::size_t k = 0; k < count; ++k) index[k] = static_cast<std::uint32_t>(k);
            }
            if (index.size() % 3 != 0)
                warn((boost::format("%s: %i indices are not a whole number of triangles: the last %i are left out") %
                      place % index.size() % (index.size() % 3)).str());
            const std::int32_t style = static_cast<std::int32_t>(d.extras.styles.size());
            face_style_of(prim, static_cast<int>(p), d.extras.styles);
            for (std::size_t k = 0; k + 2 < index.size(); k += 3) {
                std::int32_t vs[3];
                vec2 puv[3], duv[3];
                for (int c = 0; c < 3; ++c) {
                    const std::size_t i = index[k + static_cast<std::size_t>(c)];
                    vs[c] = vertex_of[i];
                    if (has_uv0) puv[c] = vec2(uv0.value(i, 0), uv0.value(i, 1));
                    if (has_uv1) duv[c] = vec2(uv1.value(i, 0), uv1.value(i, 1));
                    if (has_normal) {
                        vec3 n;
                        std::memcpy(&n, normal.element(i), 12);
                        corner_normals.push_back(n);
                    } else {
                        corner_normals.emplace_back();
                    }
                    corner_source.push_back(r.instance.first[p] + static_cast<std::int32_t>(i));
                }
                const int f = d.add_face(3, vs, has_uv0 ? puv : (has_uv1 ? duv : nullptr), has_uv1 ? duv : nullptr);
                if (has_normal) d.face_has_normals[static_cast<std::size_t>(f)] = 1;
                face_style.push_back(style);
            }
        }
        if (any_normals) d.corner_normal = std::move(corner_normals);
        d.extras.corner_uv_source = std::move(corner_source);
        d.extras.face_style = std::move(face_style);
        if (any_color) {
            d.extras.vertex_flags = std::move(color_flags);
            d.extras.vertex_w.assign(d.positions.size(), 0.0f);
            d.extras.vertex_color = std::move(colors);
        }
        bool skinned = false;
        for (const auto& b : binds) skinned |= !b.empty();
        if (si >= 0) {
            d.vertex_skin.assign(d.positions.size(), -1);
            for (std::size_t v = 0; v < binds.size(); ++v) {
                if (binds[v].empty()) continue;
                d.vertex_skin[v] = static_cast<std::int32_t>(d.skins.size());
                skin_data s;
                std::vector<int> js;
                for (const auto& [j, w] : binds[v]) {
                    s.binds.push_back(skin_binding{nullptr, w});
                    js.push_back(j);
                }
                d.skins.push_back(std::move(s));
                r.joints.push_back(std::move(js));
            }
            if (!skinned) d.vertex_skin.clear();
        }
        rebuild_edges(d);
        return r;
    }

private:
    [[noreturn]] void fail(const std::string& place, const std::string& what) const {
        throw file_error(file_, 0, place + ": " + what);
    }
    void warn(const std::string& what) const { warnings_.push_back(file_ + ": " + what); }

    // Why a primitive's data is not in plain buffer views (compressed by an
    // extension, sparse, or left to zeros), or null.
    const char* unreadable(const tinygltf::Primitive& prim) const {
        if (!prim.extensions.empty()) return "is stored by an extension";
        std::vector<int> used{prim.indices};
        for (const auto& [name, acc] : prim.attributes) used.push_back(acc);
        for (int a : used) {
            if (a < 0 || static_cast<std::size_t>(a) >= m_.accessors.size()) continue;  // refused when read
            const tinygltf::Accessor& acc = m_.accessors[static_cast<std::size_t>(a)];
            if (acc.sparse.isSparse) return "has sparse accessors";
            if (acc.bufferView < 0) return "has accessors without a buffer view";
        }
        return nullptr;
    }

    int skin_node(int si, int joint) const {
        return m_.skins[static_cast<std::size_t>(si)].joints[static_cast<std::size_t>(joint)];
    }

    std::size_t joint_count(int node, int si) const {
        if (si < 0) return 0;
        if (static_cast<std::size_t>(si) >= m_.skins.size())
            fail((boost::format("nodes/%i/skin") % node).str(),
                 (boost::format("skin %i is out of range (%i skins)") % si % m_.skins.size()).str());
        const tinygltf::Skin& skin = m_.skins[static_cast<std::size_t>(si)];
        for (std::size_t k = 0; k < skin.joints.size(); ++k)
            if (skin.joints[k] < 0 || static_cast<std::size_t>(skin.joints[k]) >= m_.nodes.size())
                fail((boost::format("skins/%i/joints/%i") % si % k).str(),
                     (boost::format("node %i is out of range (%i nodes)") % skin.joints[k] % m_.nodes.size()).str());
        return skin.joints.size();
    }

    gltf_accessor_view attribute(const std::string& place, const tinygltf::Primitive& prim, const char* name,
                                 std::initializer_list<int> components, bool float_only) const {
        const std::string at = place + "/attributes/" + name;
        const gltf_accessor_view v = gltf_view(m_, prim.attributes.at(name), file_, at);
        bool ok = false;
        for (int c : components) ok |= v.components == c;
        if (!ok || (float_only && v.component_type != TINYGLTF_COMPONENT_TYPE_FLOAT))
            fail(at, (boost::format("accessor %i has %i components of type %i, which a %s cannot be") %
                      prim.attributes.at(name) % v.components % v.component_type % name).str());
        return v;
    }

    bool optional(const std::string& place, const tinygltf::Primitive& prim, const char* name,
                  std::initializer_list<int> components, bool float_only, std::size_t count,
                  gltf_accessor_view& out) const {
        if (prim.attributes.find(name) == prim.attributes.end()) return false;
        out = attribute(place, prim, name, components, float_only);
        if (out.count != count)
            fail(place + "/attributes/" + name,
                 (boost::format("holds %i elements, POSITION %i") % out.count % count).str());
        return true;
    }

    static void face_style_of(const tinygltf::Primitive& prim, int p, std::vector<face_style>& styles) {
        face_style s;
        if (prim.material >= 0) s.material = std::to_string(prim.material);
        s.part = p;
        styles.push_back(s);
    }

    const tinygltf::Model& m_;
    const std::string& file_;
    std::vector<std::string>& warnings_;
    std::vector<int> order_, parents_;
};

std::string node_name(const tinygltf::Model& m, int node) {
    const std::string& name = m.nodes[static_cast<std::size_t>(node)].name;
    return name.empty() ? (boost::format("node_%i") % node).str() : name;
}

}  // namespace

bool is_glb(const std::string& bytes) { return bytes.size() >= 4 && bytes.compare(0, 4, "glTF") == 0; }

std::vector<shape*> read_gltf_data(scene& target, const std::string& bytes, const std::string& name,
                                   const std::string& base_dir, std::vector<std::string>& warnings) {
    auto source = std::make_shared<gltf_source>();
    tinygltf::Model& model = source->model;
    {
        tinygltf::TinyGLTF loader;
        loader.SetImageLoader(&keep_image_bytes, nullptr);
        std::string err, warn;
        if (bytes.size() > 0xffffffffu) throw file_error(name, 0, "the file is too large");
        const bool ok =
            is_glb(bytes)
                ? loader.LoadBinaryFromMemory(&model, &err, &warn, reinterpret_cast<const unsigned char*>(bytes.data()),
                                              static_cast<unsigned>(bytes.size()), base_dir)
                : loader.LoadASCIIFromString(&model, &err, &warn, bytes.data(), static_cast<unsigned>(bytes.size()),
                                             base_dir);
        if (!ok) {
            std::vector<std::string> lines = lines_of(err);
            std::string what = "cannot read the glTF file";
            for (const std::string& l : lines) what += ": " + l;
            throw file_error(name, 0, what);
        }
        for (const std::string& l : lines_of(warn)) warnings.push_back(name + ": " + l);
    }

    reader r(model, name, warnings);
    r.walk();
    const std::vector<int>& order = r.order();
    std::vector<mesh_record> meshes;
    std::vector<int> mesh_of(order.size(), -1);
    for (std::size_t k = 0; k < order.size(); ++k) {
        const tinygltf::Node& n = model.nodes[static_cast<std::size_t>(order[k])];
        if (n.mesh < 0) {
            if (n.skin >= 0)
                warnings.push_back((boost::format("%s: node %i has a skin but no mesh: the skin is kept, not shown") %
                                    name % order[k]).str());
            continue;
        }
        mesh_of[k] = static_cast<int>(meshes.size());
        meshes.push_back(r.read_mesh(order[k], n.mesh, n.skin));
    }

    // Every joint a mesh is bound to must be a node of the scene read.
    std::vector<std::uint8_t> shown(model.nodes.size(), 0);
    for (int node : order) shown[static_cast<std::size_t>(node)] = 1;
    for (const mesh_record& rec : meshes) {
        if (rec.joints.empty()) continue;
        const int si = model.nodes[static_cast<std::size_t>(rec.instance.node)].skin;
        const std::vector<int>& joints = model.skins[static_cast<std::size_t>(si)].joints;
        for (const std::vector<int>& js : rec.joints)
            for (int j : js)
                if (!shown[static_cast<std::size_t>(joints[static_cast<std::size_t>(j)])])
                    throw file_error(name, 0, (boost::format("skins/%i/joints/%i: node %i is not in the scene read") % si %
                                               j % joints[static_cast<std::size_t>(j)]).str());
    }

    source->node_shapes.assign(model.nodes.size(), nullptr);
    source->node_matrices.resize(model.nodes.size());
    for (std::size_t i = 0; i < model.nodes.size(); ++i) source->node_matrices[i] = gltf_node_matrix(model.nodes[i]);

    std::vector<shape*> made, tops;
    {
        const undo_scope step(target);
        for (std::size_t k = 0; k < order.size(); ++k) {
            const std::string shape_name = node_name(model, order[k]);
            std::unique_ptr<shape> s;
            if (mesh_of[k] >= 0)
                s = std::make_unique<mesh_shape>(target, shape_name, meshes[static_cast<std::size_t>(mesh_of[k])].mesh);
            else
                s = std::make_unique<part>(target, shape_name, 0);
            made.push_back(&target.keep(std::move(s)));
            source->node_shapes[static_cast<std::size_t>(order[k])] = made.back();
        }
        for (std::size_t k = 0; k < order.size(); ++k) {
            shape& s = *made[k];
            const mat4& local = source->node_matrices[static_cast<std::size_t>(order[k])];
            if (std::memcmp(&local, &s.state().local, sizeof(mat4)) != 0) s.set_local_matrix(local);
            if (mesh_of[k] < 0) continue;
            mesh_record& rec = meshes[static_cast<std::size_t>(mesh_of[k])];
            auto& ms = static_cast<mesh_shape&>(s);
            if (!rec.joints.empty()) {
                const tinygltf::Skin& skin =
                    model.skins[static_cast<std::size_t>(model.nodes[static_cast<std::size_t>(order[k])].skin)];
                mesh_data& d = ms.edit_data();
                for (std::size_t v = 0; v < rec.joints.size(); ++v)
                    for (std::size_t b = 0; b < rec.joints[v].size(); ++b) {
                        const int node = skin.joints[static_cast<std::size_t>(rec.joints[v][b])];
                        d.skins[v].binds[b].joint = const_cast<shape*>(source->node_shapes[static_cast<std::size_t>(node)]);
                    }
            }
            rec.instance.shape = &ms;
            rec.instance.as_read = ms.data();
            source->instances.push_back(std::move(rec.instance));
        }
        for (std::size_t k = 0; k < order.size(); ++k) {
            const int up = r.parents()[k];
            target.place(*made[k], up < 0 ? &target.root() : made[static_cast<std::size_t>(up)], scene::at_end);
            if (up < 0) tops.push_back(made[k]);
        }
    }
    if (target.gltf_document())
        warnings.push_back(name + ": the scene holds a glTF document already: this file's materials, animations and "
                                  "other data are not written with it");
    else
        target.set_gltf_document(std::move(source));
    target.announce_created(std::vector<shape_class*>(made.begin(), made.end()));
    return tops;
}

std::vector<shape*> read_gltf(scene& target, const std::string& path, std::vector<std::string>& warnings) {
    const std::string name = input_name(path);
    const std::string bytes = read_input(path, name);
    const std::string base = path == "-" ? std::string(".") : std::filesystem::u8path(path).parent_path().u8string();
    return read_gltf_data(target, bytes, name, base.empty() ? std::string(".") : base, warnings);
}

}  // namespace host
