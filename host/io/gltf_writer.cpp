#include "host/io/gltf_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <sstream>
#include <unordered_map>
#include <unordered_set>

#include <boost/algorithm/string/join.hpp>
#include <boost/format.hpp>
#include <nlohmann/json.hpp>

#include "host/io/gltf_source.h"
#include "host/mesh_shape.h"
#include "host/io/file_error.h"
#include "host/io/output_file.h"
#include "host/part.h"
#include "host/scene.h"

namespace host {
namespace {

constexpr int array_buffer = 34962, element_array_buffer = 34963;

template <class T>
bool same_bits(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

template <class T>
bool same_bits(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// Whether a mesh still is what was read, in everything glTF keeps of it.
bool same_mesh(const mesh_data& a, const mesh_data& b) {
    if (!same_bits(a.positions, b.positions) || a.face_count() != b.face_count() ||
        !same_bits(a.face_has_uv, b.face_has_uv) || !same_bits(a.face_has_normals, b.face_has_normals) ||
        !same_bits(a.vertex_skin, b.vertex_skin) || a.skins.size() != b.skins.size() ||
        !same_bits(a.extras.vertex_flags, b.extras.vertex_flags) ||
        !same_bits(a.extras.vertex_color, b.extras.vertex_color) || !same_bits(a.extras.face_style, b.extras.face_style) ||
        !(a.extras.styles == b.extras.styles) || a.corner_normal.empty() != b.corner_normal.empty() ||
        a.extras.corner_uv_source.empty() != b.extras.corner_uv_source.empty())
        return false;
    for (std::size_t s = 0; s < a.skins.size(); ++s) {
        const auto& x = a.skins[s].binds;
        const auto& y = b.skins[s].binds;
        if (x.size() != y.size()) return false;
        for (std::size_t k = 0; k < x.size(); ++k)
            if (x[k].joint != y[k].joint || !same_bits(x[k].weight, y[k].weight)) return false;
    }
    for (int f = 0; f < a.face_count(); ++f) {
        const std::size_t n = static_cast<std::size_t>(a.face_size[f]);
        if (n != static_cast<std::size_t>(b.face_size[f])) return false;
        const std::size_t sa = static_cast<std::size_t>(a.face_start[f]), sb = static_cast<std::size_t>(b.face_start[f]);
        if (std::memcmp(&a.corner_vertex[sa], &b.corner_vertex[sb], n * 4) != 0 ||
            std::memcmp(&a.corner_puv[sa], &b.corner_puv[sb], n * sizeof(vec2)) != 0 ||
            std::memcmp(&a.distance_uvs()[sa], &b.distance_uvs()[sb], n * sizeof(vec2)) != 0 ||
            (!a.corner_normal.empty() && std::memcmp(&a.corner_normal[sa], &b.corner_normal[sb], n * sizeof(vec3)) != 0) ||
            (!a.extras.corner_uv_source.empty() &&
             std::memcmp(&a.extras.corner_uv_source[sa], &b.extras.corner_uv_source[sb], n * 4) != 0))
            return false;
    }
    return true;
}

// One component in the accessor's own encoding.
void put(std::vector<unsigned char>& out, int type, bool normalized, float v) {
    const auto unorm = [&](float max) {
        const float c = std::isnan(v) ? 0.0f : std::min(1.0f, std::max(0.0f, v));
        return std::nearbyint(c * max);
    };
    const auto snorm = [&](float max) {
        const float c = std::isnan(v) ? 0.0f : std::min(1.0f, std::max(-1.0f, v));
        return std::nearbyint(c * max);
    };
    const auto integer = [&](float max) {
        return std::isnan(v) ? 0.0f : std::min(max, std::max(0.0f, std::nearbyint(v)));
    };
    switch (type) {
    case TINYGLTF_COMPONENT_TYPE_FLOAT: {
        unsigned char b[4];
        std::memcpy(b, &v, 4);
        out.insert(out.end(), b, b + 4);
        break;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
        out.push_back(static_cast<unsigned char>(normalized ? unorm(255.0f) : integer(255.0f)));
        break;
    case TINYGLTF_COMPONENT_TYPE_BYTE:
        out.push_back(static_cast<unsigned char>(static_cast<signed char>(snorm(127.0f))));
        break;
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
        const auto u = static_cast<std::uint16_t>(normalized ? unorm(65535.0f) : integer(65535.0f));
        unsigned char b[2];
        std::memcpy(b, &u, 2);
        out.insert(out.end(), b, b + 2);
        break;
    }
    case TINYGLTF_COMPONENT_TYPE_SHORT: {
        const auto s = static_cast<std::int16_t>(snorm(32767.0f));
        unsigned char b[2];
        std::memcpy(b, &s, 2);
        out.insert(out.end(), b, b + 2);
        break;
    }
    default: {
        const auto u = static_cast<std::uint32_t>(v);
        unsigned char b[4];
        std::memcpy(b, &u, 4);
        out.insert(out.end(), b, b + 4);
    }
    }
}

// How an attribute is stored.
struct encoding {
    int component_type = TINYGLTF_COMPONENT_TYPE_FLOAT;
    int type = TINYGLTF_TYPE_VEC3;
    bool normalized = false;
};

encoding encoding_of(const tinygltf::Accessor& a) { return encoding{a.componentType, a.type, a.normalized}; }

// A glTF vertex to write: the host vertex, the corner its per-corner
// attributes come from, and the glTF vertex it was read as (-1: none).
struct out_vertex {
    int vertex;
    std::size_t corner;
    int source;
    int face;
};

// The face normal, for corners without an explicit one.
vec3 face_normal(const mesh_data& d, int f) {
    const std::int32_t* v = d.face_vertices(f);
    vec3 n;
    for (int k = 0; k < d.face_size[f]; ++k) {
        const vec3& a = d.positions[static_cast<std::size_t>(v[k])];
        const vec3& b = d.positions[static_cast<std::size_t>(v[(k + 1) % d.face_size[f]])];
        n += vec3((a.y - b.y) * (a.z + b.z), (a.z - b.z) * (a.x + b.x), (a.x - b.x) * (a.y + b.y));
    }
    const float len = std::sqrt(dot(n, n));
    return len > 0.0f && std::isfinite(len) ? n * (1.0f / len) : vec3(0.0f, 0.0f, 1.0f);
}

std::string base64(const std::vector<unsigned char>& in) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((in.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < in.size(); i += 3) {
        const std::uint32_t a = in[i], b = i + 1 < in.size() ? in[i + 1] : 0, c = i + 2 < in.size() ? in[i + 2] : 0;
        const std::uint32_t t = (a << 16) | (b << 8) | c;
        out += digits[(t >> 18) & 63];
        out += digits[(t >> 12) & 63];
        out += i + 1 < in.size() ? digits[(t >> 6) & 63] : '=';
        out += i + 2 < in.size() ? digits[t & 63] : '=';
    }
    return out;
}

// Images that came as data URIs go back as data URIs of the same bytes;
// the others keep their URI (or buffer view).
bool write_image(const std::string*, const std::string*, const tinygltf::Image* image, bool, std::string* out_uri,
                 void*) {
    if (!image->uri.empty() || image->bufferView >= 0 || image->image.empty()) return false;
    const std::string mime = image->mimeType.empty() ? std::string("image/png") : image->mimeType;
    *out_uri = "data:" + mime + ";base64," + base64(image->image);
    return true;
}

class writer {
public:
    writer(scene& s, const std::string& name, std::vector<std::string>& warnings)
        : src_(s.gltf_document()), name_(name), warnings_(warnings) {}

    tinygltf::Model run(const std::vector<const shape*>& tops) {
        if (src_) {
            m_ = src_->model;
            for (std::size_t n = 0; n < src_->node_shapes.size(); ++n)
                if (src_->node_shapes[n]) node_of_[src_->node_shapes[n]] = static_cast<int>(n);
        } else {
            m_.asset.version = "2.0";
            m_.asset.generator = "Twinel";
            m_.scenes.emplace_back();
            m_.defaultScene = 0;
        }
        join_buffers();
        place_nodes(tops);
        if (src_)
            for (const gltf_mesh_instance& inst : src_->instances)
                if (!same_mesh(inst.shape->data(), inst.as_read)) rebuild_instance(inst);
        for (const auto& [s, node] : new_meshes_) add_mesh(*s, node);
        update_inverse_binds();
        drop_unwritten_nodes();
        return std::move(m_);
    }

private:
    void warn(const std::string& what) { warnings_.push_back(name_ + ": " + what); }

    std::vector<unsigned char>& buffer() {
        if (m_.buffers.empty()) m_.buffers.emplace_back();
        return m_.buffers[0].data;
    }

    void join_buffers() {
        if (m_.buffers.size() <= 1) {
            if (!m_.buffers.empty()) m_.buffers[0].uri.clear();
            return;
        }
        std::vector<unsigned char> all;
        std::vector<std::size_t> base;
        for (const tinygltf::Buffer& b : m_.buffers) {
            all.resize((all.size() + 15) / 16 * 16, 0);
            base.push_back(all.size());
            all.insert(all.end(), b.data.begin(), b.data.end());
        }
        for (tinygltf::BufferView& v : m_.bufferViews) {
            if (v.buffer < 0 || static_cast<std::size_t>(v.buffer) >= base.size()) continue;
            v.byteOffset += base[static_cast<std::size_t>(v.buffer)];
            v.buffer = 0;
        }
        warn((boost::format("its %i buffers are joined into one") % m_.buffers.size()).str());
        tinygltf::Buffer joined = m_.buffers[0];
        joined.uri.clear();
        joined.data = std::move(all);
        m_.buffers.assign(1, std::move(joined));
    }

    // ---- nodes

    void place_nodes(const std::vector<const shape*>& tops) {
        std::vector<std::pair<const shape*, int>> work;
        for (auto it = tops.rbegin(); it != tops.rend(); ++it) work.emplace_back(*it, -1);
        while (!work.empty()) {
            const auto [s, up] = work.back();
            work.pop_back();
            int node;
            const auto found = node_of_.find(s);
            if (found != node_of_.end()) {
                node = found->second;
                update_transform(node, *s);
                // A renamed shape renames its node (a node without a name
                // was read as "node_N").
                tinygltf::Node& n = m_.nodes[static_cast<std::size_t>(node)];
                const std::string read_as = n.name.empty() ? (boost::format("node_%i") % node).str() : n.name;
                if (read_as != s->get_name()) n.name = s->get_name();
            } else {
                node = new_node(*s, up);
            }
            written_.insert(s);
            const std::vector<shape*>& kids = s->children();
            for (auto it = kids.rbegin(); it != kids.rend(); ++it) work.emplace_back(*it, node);
        }
    }

    // Leaves out the nodes of shapes that are not written (deleted, or not
    // among those chosen), with what names them: parents' children, scene
    // roots, skeletons, and animation channels (samplers no channel uses
    // any more, and animations left without channels, go too). A joint of a
    // skin stays, since its skin's joint numbers are the vertices' data.
    // Runs last: it renumbers the nodes.
    void drop_unwritten_nodes() {
        if (!src_) return;
        std::vector<int> parent(m_.nodes.size(), -1);
        for (std::size_t n = 0; n < m_.nodes.size(); ++n)
            for (int c : m_.nodes[n].children)
                if (c >= 0 && static_cast<std::size_t>(c) < parent.size()) parent[static_cast<std::size_t>(c)] = static_cast<int>(n);
        // Joints and their ancestors, whose transforms place the joints.
        std::vector<std::uint8_t> joint(m_.nodes.size(), 0);
        for (const tinygltf::Skin& sk : m_.skins)
            for (int j : sk.joints)
                for (int n = j; n >= 0 && static_cast<std::size_t>(n) < joint.size() && !joint[static_cast<std::size_t>(n)];
                     n = parent[static_cast<std::size_t>(n)])
                    joint[static_cast<std::size_t>(n)] = 1;
        std::vector<std::uint8_t> drop(m_.nodes.size(), 0);
        int dropped = 0;
        for (std::size_t n = 0; n < src_->node_shapes.size() && n < drop.size(); ++n) {
            const shape* s = src_->node_shapes[n];
            if (!s || written_.count(s)) continue;
            if (joint[n]) {
                warn((boost::format("node %i ('%s') is not among the shapes written but places a skin's joint: it "
                                    "is kept as it was read") % n % s->get_name()).str());
                continue;
            }
            drop[n] = 1;
            ++dropped;
        }
        if (dropped == 0) return;
        // A written node whose parent goes (a shape written without its
        // parent) becomes a root of the scene.
        std::vector<int> new_roots;
        for (std::size_t n = 0; n < m_.nodes.size(); ++n)
            if (!drop[n] && parent[n] >= 0 && drop[static_cast<std::size_t>(parent[n])]) new_roots.push_back(static_cast<int>(n));
        if (!new_roots.empty()) {
            if (m_.scenes.empty()) m_.scenes.emplace_back();
            const bool chosen = m_.defaultScene >= 0 && static_cast<std::size_t>(m_.defaultScene) < m_.scenes.size();
            std::vector<int>& roots = m_.scenes[chosen ? static_cast<std::size_t>(m_.defaultScene) : 0].nodes;
            roots.insert(roots.end(), new_roots.begin(), new_roots.end());
        }
        std::vector<int> renumbered(m_.nodes.size(), -1);
        std::vector<tinygltf::Node> kept;
        for (std::size_t n = 0; n < m_.nodes.size(); ++n)
            if (!drop[n]) {
                renumbered[n] = static_cast<int>(kept.size());
                kept.push_back(std::move(m_.nodes[n]));
            }
        m_.nodes = std::move(kept);
        const auto node = [&](int n) { return n >= 0 && static_cast<std::size_t>(n) < renumbered.size() ? renumbered[static_cast<std::size_t>(n)] : -1; };
        const auto renumber_list = [&](std::vector<int>& list) {
            std::vector<int> out;
            for (int n : list)
                if (node(n) >= 0) out.push_back(node(n));
            list = std::move(out);
        };
        for (tinygltf::Node& n : m_.nodes) renumber_list(n.children);
        for (tinygltf::Scene& sc : m_.scenes) renumber_list(sc.nodes);
        for (tinygltf::Skin& sk : m_.skins) {
            for (int& j : sk.joints) j = node(j);
            if (sk.skeleton >= 0) sk.skeleton = node(sk.skeleton);
        }
        std::vector<tinygltf::Animation> animations;
        for (tinygltf::Animation& a : m_.animations) {
            std::vector<tinygltf::AnimationChannel> channels;
            std::vector<int> sampler_of(a.samplers.size(), -1);
            std::vector<tinygltf::AnimationSampler> samplers;
            for (tinygltf::AnimationChannel& c : a.channels) {
                if (c.target_node >= 0 && node(c.target_node) < 0) continue;
                if (c.target_node >= 0) c.target_node = node(c.target_node);
                if (c.sampler >= 0 && static_cast<std::size_t>(c.sampler) < sampler_of.size()) {
                    int& to = sampler_of[static_cast<std::size_t>(c.sampler)];
                    if (to < 0) {
                        to = static_cast<int>(samplers.size());
                        samplers.push_back(a.samplers[static_cast<std::size_t>(c.sampler)]);
                    }
                    c.sampler = to;
                }
                channels.push_back(std::move(c));
            }
            if (channels.empty()) continue;
            a.channels = std::move(channels);
            a.samplers = std::move(samplers);
            animations.push_back(std::move(a));
        }
        if (animations.size() < m_.animations.size())
            warn((boost::format("%i animations are left out: they moved only shapes that are not written") %
                  (m_.animations.size() - animations.size())).str());
        m_.animations = std::move(animations);
        // Extensions of materials, textures and mesh data name no nodes.
        const auto names_no_nodes = [](const std::string& e) {
            for (const char* prefix : {"KHR_materials_", "KHR_texture_", "EXT_texture_", "KHR_mesh_quantization",
                                       "KHR_draco_mesh_compression", "EXT_meshopt_compression", "KHR_lights_punctual"})
                if (e.rfind(prefix, 0) == 0) return true;
            return false;
        };
        if (!std::all_of(m_.extensionsUsed.begin(), m_.extensionsUsed.end(), names_no_nodes))
            warn((boost::format("%i nodes of shapes not written are left out; what the extensions (%s) say of "
                                "nodes by number is written as read") %
                  dropped % boost::algorithm::join(m_.extensionsUsed, ", ")).str());
    }

    int new_node(const shape& s, int up) {
        tinygltf::Node n;
        n.name = s.get_name();
        const mat4 local = s.local_matrix();
        if (!same_bits(local, mat4()))
            for (int i = 0; i < 16; ++i) n.matrix.push_back(local.m[i / 4][i % 4]);
        const int index = static_cast<int>(m_.nodes.size());
        m_.nodes.push_back(std::move(n));
        node_of_[&s] = index;
        if (up >= 0)
            m_.nodes[static_cast<std::size_t>(up)].children.push_back(index);
        else if (!m_.scenes.empty())
            m_.scenes[static_cast<std::size_t>(m_.defaultScene >= 0 ? m_.defaultScene : 0)].nodes.push_back(index);
        if (auto* surface = const_cast<shape&>(s).get_surface_attributes();
            surface && surface->get_number_of_mapping_layers() > 0)
            warn((boost::format("shape '%s': its %i mapping layers (texture images) are not written") % s.get_name() %
                  surface->get_number_of_mapping_layers()).str());
        if (const auto* mesh = dynamic_cast<const mesh_shape*>(&s))
            new_meshes_.emplace_back(mesh, index);
        else if (s.get_type() != 2)
            warn((boost::format("shape '%s' is a %s, which glTF does not hold: it is written as an empty node") %
                  s.get_name() % (s.get_type() == 4 ? "line" : "primitive")).str());
        else if (s.get_part_type() != 0 && s.get_part_type() != -1)
            warn((boost::format("part '%s' is a %s part: it is written as a plain node") % s.get_name() %
                  (s.get_part_type() == 1 ? "surface" : "link")).str());
        return index;
    }

    void update_transform(int index, const shape& s) {
        const mat4 local = s.local_matrix();
        if (same_bits(local, src_->node_matrices[static_cast<std::size_t>(index)])) return;
        tinygltf::Node& n = m_.nodes[static_cast<std::size_t>(index)];
        if (n.matrix.size() == 16) {
            for (int i = 0; i < 16; ++i) n.matrix[static_cast<std::size_t>(i)] = local.m[i / 4][i % 4];
            return;
        }
        // Translation, rotation and scale, as animations of the node need.
        double row[3][3], scale[3];
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) row[r][c] = local.m[r][c];
            scale[r] = std::sqrt(row[r][0] * row[r][0] + row[r][1] * row[r][1] + row[r][2] * row[r][2]);
        }
        const double det = row[0][0] * (row[1][1] * row[2][2] - row[1][2] * row[2][1]) -
                           row[0][1] * (row[1][0] * row[2][2] - row[1][2] * row[2][0]) +
                           row[0][2] * (row[1][0] * row[2][1] - row[1][1] * row[2][0]);
        if (det < 0) scale[0] = -scale[0];
        double r[3][3];  // column-vector rotation: r[i][j] = row[j][i] / scale[j]
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) r[i][j] = scale[j] != 0 ? row[j][i] / scale[j] : (i == j ? 1 : 0);
        double q[4];
        const double trace = r[0][0] + r[1][1] + r[2][2];
        if (trace > 0) {
            const double k = 0.5 / std::sqrt(trace + 1.0);
            q[3] = 0.25 / k;
            q[0] = (r[2][1] - r[1][2]) * k;
            q[1] = (r[0][2] - r[2][0]) * k;
            q[2] = (r[1][0] - r[0][1]) * k;
        } else {
            int i = r[1][1] > r[0][0] ? 1 : 0;
            if (r[2][2] > r[i][i]) i = 2;
            const int j = (i + 1) % 3, k = (i + 2) % 3;
            const double t = std::sqrt(r[i][i] - r[j][j] - r[k][k] + 1.0) * 2.0;
            q[i] = 0.25 * t;
            q[3] = (r[k][j] - r[j][k]) / t;
            q[j] = (r[j][i] + r[i][j]) / t;
            q[k] = (r[k][i] + r[i][k]) / t;
        }
        const double len = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
        n.rotation = {q[0] / len, q[1] / len, q[2] / len, q[3] / len};
        n.scale = {scale[0], scale[1], scale[2]};
        n.translation = {local.m[3][0], local.m[3][1], local.m[3][2]};
    }

    // ---- data

    // Appends one accessor of `count` elements of `size` bytes each, in a
    // buffer view of its own; vertex data is padded to 4-byte strides.
    int add_accessor(const std::vector<unsigned char>& bytes, std::size_t size, std::size_t count, const encoding& e,
                     int target, bool bounds) {
        std::vector<unsigned char>& buf = buffer();
        buf.resize((buf.size() + 3) / 4 * 4, 0);
        const std::size_t stride = target == array_buffer ? (size + 3) / 4 * 4 : size;
        tinygltf::BufferView v;
        v.buffer = 0;
        v.byteOffset = buf.size();
        v.byteLength = count * stride;
        v.byteStride = stride != size ? stride : 0;
        v.target = target;
        for (std::size_t i = 0; i < count; ++i) {
            buf.insert(buf.end(), bytes.begin() + static_cast<std::ptrdiff_t>(i * size),
                       bytes.begin() + static_cast<std::ptrdiff_t>((i + 1) * size));
            buf.resize(buf.size() + stride - size, 0);
        }
        m_.bufferViews.push_back(v);
        tinygltf::Accessor a;
        a.bufferView = static_cast<int>(m_.bufferViews.size()) - 1;
        a.byteOffset = 0;
        a.componentType = e.component_type;
        a.type = e.type;
        a.normalized = e.normalized;
        a.count = count;
        if (bounds && count > 0) {
            gltf_accessor_view view;
            view.data = bytes.data();
            view.stride = view.size = size;
            view.count = count;
            view.component_type = e.component_type;
            view.components = tinygltf::GetNumComponentsInType(static_cast<std::uint32_t>(e.type));
            view.normalized = e.normalized;
            a.minValues.assign(static_cast<std::size_t>(view.components), std::numeric_limits<double>::infinity());
            a.maxValues.assign(static_cast<std::size_t>(view.components), -std::numeric_limits<double>::infinity());
            for (std::size_t i = 0; i < count; ++i)
                for (int c = 0; c < view.components; ++c) {
                    const double x = e.normalized ? raw_value(view, i, c) : view.value(i, c);
                    a.minValues[static_cast<std::size_t>(c)] = std::min(a.minValues[static_cast<std::size_t>(c)], x);
                    a.maxValues[static_cast<std::size_t>(c)] = std::max(a.maxValues[static_cast<std::size_t>(c)], x);
                }
        }
        m_.accessors.push_back(std::move(a));
        return static_cast<int>(m_.accessors.size()) - 1;
    }

    // A normalized component as its stored integer (bounds are given so).
    static double raw_value(const gltf_accessor_view& v, std::size_t i, int c) {
        gltf_accessor_view plain = v;
        plain.normalized = false;
        return plain.value(i, c);
    }

    // Accessor `index` of the source gathered by glTF vertex: a vertex
    // without a source gets `fill` (the first element, or zeros).
    int gather(int index, const std::vector<out_vertex>& vertices, bool zeros, bool bounds) {
        std::size_t size = 0;
        const std::vector<unsigned char> all =
            gltf_dense(m_, index, name_, (boost::format("accessors/%i") % index).str(), size);
        const std::size_t count = size ? all.size() / size : 0;
        std::vector<unsigned char> bytes;
        bytes.reserve(vertices.size() * size);
        const std::vector<unsigned char> zero(size, 0);
        for (const out_vertex& o : vertices) {
            const bool known = o.source >= 0 && static_cast<std::size_t>(o.source) < count;
            const unsigned char* from = known ? &all[static_cast<std::size_t>(o.source) * size]
                                              : (zeros || count == 0 ? zero.data() : all.data());
            bytes.insert(bytes.end(), from, from + size);
        }
        const tinygltf::Accessor& a = m_.accessors[static_cast<std::size_t>(index)];
        return add_accessor(bytes, size, vertices.size(), encoding_of(a), array_buffer, bounds || !a.minValues.empty());
    }

    int joint_index(int skin, const shape_class* joint) {
        const auto* s = dynamic_cast<const shape*>(joint);
        const auto found = s ? node_of_.find(s) : node_of_.end();
        if (found == node_of_.end())
            throw file_error(name_, 0, (boost::format("a skin is bound to joint '%s', which is not among the written "
                                                      "shapes") % (joint ? joint->get_name() : "(none)")).str());
        std::vector<int>& joints = m_.skins[static_cast<std::size_t>(skin)].joints;
        const auto it = std::find(joints.begin(), joints.end(), found->second);
        if (it != joints.end()) return static_cast<int>(it - joints.begin());
        joints.push_back(found->second);
        added_joints_[skin].push_back(s);
        return static_cast<int>(joints.size()) - 1;
    }

    // What a rebuilt primitive holds.
    struct plan {
        bool normal = false, uv0 = false, uv1 = false, color = false;
        encoding uv0_e{TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC2, false};
        encoding uv1_e{TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC2, false};
        encoding color_e{TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC4, false};
        encoding joints_e{TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_VEC4, false};
        encoding weights_e{TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC4, false};
        int skin = -1;
        const shape* self = nullptr;  // the mesh's shape: vertices bound to nothing follow it
        std::size_t skin_sets = 0;
        int first = 0, count = 0;  // the glTF vertices it was read with
    };

    // The primitive of the faces `faces` of `d`, from `original` (null for
    // a new one) with its attributes set by `p`.
    bool build_primitive(tinygltf::Primitive& prim, const tinygltf::Primitive* original, const mesh_data& d,
                         const std::vector<int>& faces, plan p, const std::string& what) {
        // The glTF vertices: one per (host vertex, source, corner values).
        std::unordered_map<std::string, int> id_of;
        std::vector<out_vertex> found;
        std::vector<int> corner_id;
        std::vector<vec3> normals;
        const auto normal_of = [&](int f, std::size_t c) {
            return d.face_has_normals[static_cast<std::size_t>(f)] && !d.corner_normal.empty() ? d.corner_normal[c]
                                                                                              : face_normal(d, f);
        };
        for (int f : faces) {
            const std::size_t start = static_cast<std::size_t>(d.face_start[f]);
            for (int k = 0; k < d.face_size[f]; ++k) {
                const std::size_t c = start + static_cast<std::size_t>(k);
                int source = d.extras.corner_uv_source.empty() ? -1 : d.extras.corner_uv_source[c] - p.first;
                if (source >= p.count) source = -1;
                if (source < 0) source = -1;
                const int v = d.corner_vertex[c];
                std::string key(reinterpret_cast<const char*>(&v), 4);
                key.append(reinterpret_cast<const char*>(&source), 4);
                if (p.normal) {
                    const vec3 n = normal_of(f, c);
                    key.append(reinterpret_cast<const char*>(&n), sizeof n);
                }
                if (p.uv0) key.append(reinterpret_cast<const char*>(&d.corner_puv[c]), sizeof(vec2));
                if (p.uv1) key.append(reinterpret_cast<const char*>(&d.distance_uvs()[c]), sizeof(vec2));
                const auto [it, added] = id_of.emplace(key, static_cast<int>(found.size()));
                if (added) found.push_back(out_vertex{v, c, source, f});
                corner_id.push_back(it->second);
            }
        }
        // Original order first: the first vertex of each source takes its
        // place, the others (and vertices without a source) follow. A later
        // vertex of a source (a seam Twinel made) still takes the
        // attributes the host does not model from it.
        std::vector<int> claimed(static_cast<std::size_t>(p.count), -1);
        for (std::size_t i = 0; i < found.size(); ++i)
            if (found[i].source >= 0 && claimed[static_cast<std::size_t>(found[i].source)] < 0)
                claimed[static_cast<std::size_t>(found[i].source)] = static_cast<int>(i);
        std::vector<int> final_index(found.size(), -1);
        std::vector<out_vertex> order;
        for (int i : claimed)
            if (i >= 0) {
                final_index[static_cast<std::size_t>(i)] = static_cast<int>(order.size());
                order.push_back(found[static_cast<std::size_t>(i)]);
            }
        // The others in host vertex order, so that a mesh written afresh
        // reads back with its vertices in their order.
        std::vector<std::size_t> rest;
        for (std::size_t i = 0; i < found.size(); ++i)
            if (final_index[i] < 0) rest.push_back(i);
        std::stable_sort(rest.begin(), rest.end(),
                         [&](std::size_t a, std::size_t b) { return found[a].vertex < found[b].vertex; });
        for (std::size_t i : rest) {
            final_index[i] = static_cast<int>(order.size());
            order.push_back(found[i]);
        }
        // Indices: triangles, faces of more corners as fans.
        std::vector<std::uint32_t> index;
        std::size_t at = 0;
        int dropped = 0, cut = 0;
        for (int f : faces) {
            const int n = d.face_size[f];
            if (n < 3) ++dropped;
            if (n > 3) ++cut;
            for (int k = 1; k + 1 < n; ++k) {
                index.push_back(static_cast<std::uint32_t>(final_index[static_cast<std::size_t>(corner_id[at])]));
                index.push_back(static_cast<std::uint32_t>(final_index[static_cast<std::size_t>(corner_id[at + static_cast<std::size_t>(k)])]));
                index.push_back(static_cast<std::uint32_t>(final_index[static_cast<std::size_t>(corner_id[at + static_cast<std::size_t>(k) + 1])]));
            }
            at += static_cast<std::size_t>(n);
        }
        if (cut > 0) warn((boost::format("%s: %i faces of more than three corners are written as triangles") % what % cut).str());
        if (dropped > 0) warn((boost::format("%s: %i faces of fewer than three corners are left out") % what % dropped).str());
        if (index.empty()) return false;

        prim.attributes.clear();
        const std::size_t nv = order.size();
        std::vector<unsigned char> bytes;
        bytes.reserve(nv * 16);
        for (const out_vertex& o : order) {
            const vec3& pos = d.positions[static_cast<std::size_t>(o.vertex)];
            for (int c = 0; c < 3; ++c) put(bytes, TINYGLTF_COMPONENT_TYPE_FLOAT, false, pos[c]);
        }
        prim.attributes["POSITION"] =
            add_accessor(bytes, 12, nv, encoding{TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, false}, array_buffer, true);
        if (p.normal) {
            bytes.clear();
            for (const out_vertex& o : order) {
                const vec3 n = normal_of(o.face, o.corner);
                for (int c = 0; c < 3; ++c) put(bytes, TINYGLTF_COMPONENT_TYPE_FLOAT, false, n[c]);
            }
            prim.attributes["NORMAL"] =
                add_accessor(bytes, 12, nv, encoding{TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, false}, array_buffer, false);
        }
        const auto uv = [&](const char* name, const encoding& e, const std::vector<vec2>& set) {
            bytes.clear();
            for (const out_vertex& o : order) {
                put(bytes, e.component_type, e.normalized, set[o.corner].x);
                put(bytes, e.component_type, e.normalized, set[o.corner].y);
            }
            const std::size_t size = bytes.size() / std::max<std::size_t>(1, nv);
            prim.attributes[name] = add_accessor(bytes, size, nv, e, array_buffer, false);
        };
        if (p.uv0) uv("TEXCOORD_0", p.uv0_e, d.corner_puv);
        if (p.uv1) uv("TEXCOORD_1", p.uv1_e, d.distance_uvs());
        if (p.color) {
            bytes.clear();
            const int components = p.color_e.type == TINYGLTF_TYPE_VEC3 ? 3 : 4;
            for (const out_vertex& o : order) {
                const std::size_t v = static_cast<std::size_t>(o.vertex);
                const bool has = v < d.extras.vertex_flags.size() && (d.extras.vertex_flags[v] & vertex_has_color);
                const vec4 c = has ? d.extras.vertex_color[v] : vec4(1.0f, 1.0f, 1.0f, 1.0f);
                const float values[4] = {c.x, c.y, c.z, c.w};
                for (int k = 0; k < components; ++k) put(bytes, p.color_e.component_type, p.color_e.normalized, values[k]);
            }
            prim.attributes["COLOR_0"] =
                add_accessor(bytes, bytes.size() / std::max<std::size_t>(1, nv), nv, p.color_e, array_buffer, false);
        }
        if (p.skin >= 0) write_skin(prim, d, order, p, what);
        if (original) {
            for (const auto& [name, acc] : original->attributes)
                if (!prim.attributes.count(name) && !(p.skin >= 0 && (name.rfind("JOINTS_", 0) == 0 || name.rfind("WEIGHTS_", 0) == 0)))
                    prim.attributes[name] = gather(acc, order, false, false);
            prim.targets.clear();
            for (const auto& target : original->targets) {
                std::map<std::string, int> t;
                for (const auto& [name, acc] : target) t[name] = gather(acc, order, true, name == "POSITION");
                prim.targets.push_back(std::move(t));
            }
        }
        // Indices in the smallest type that holds them (the original's when
        // that one does).
        std::uint32_t top = 0;
        for (std::uint32_t i : index) top = std::max(top, i);
        int type = top < 65535 ? TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT : TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
        if (original && original->indices >= 0) {
            const int was = m_.accessors[static_cast<std::size_t>(original->indices)].componentType;
            if (was == TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE && top < 255) type = was;
            if (was == TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT) type = was;
        }
        bytes.clear();
        for (std::uint32_t i : index) put(bytes, type, false, static_cast<float>(i));
        if (type != TINYGLTF_COMPONENT_TYPE_FLOAT && top >= (1u << 24)) {
            // Beyond a float's integers: write the bytes directly.
            bytes.clear();
            for (std::uint32_t i : index) {
                unsigned char b[4];
                std::memcpy(b, &i, 4);
                bytes.insert(bytes.end(), b, b + 4);
            }
        }
        const std::size_t isize = static_cast<std::size_t>(tinygltf::GetComponentSizeInBytes(static_cast<std::uint32_t>(type)));
        prim.indices = add_accessor(bytes, isize, index.size(), encoding{type, TINYGLTF_TYPE_SCALAR, false},
                                    element_array_buffer, false);
        prim.mode = TINYGLTF_MODE_TRIANGLES;
        return true;
    }

    // The top node above `node` (itself at the top).
    int top_of(int node) const {
        std::vector<int> parent(m_.nodes.size(), -1);
        for (std::size_t n = 0; n < m_.nodes.size(); ++n)
            for (int c : m_.nodes[n].children)
                if (c >= 0 && static_cast<std::size_t>(c) < parent.size()) parent[static_cast<std::size_t>(c)] = static_cast<int>(n);
        for (std::size_t guard = 0; parent[static_cast<std::size_t>(node)] >= 0 && guard < parent.size(); ++guard)
            node = parent[static_cast<std::size_t>(node)];
        return node;
    }

    const shape* shape_of(int node) const {
        for (const auto& [s, n] : node_of_)
            if (n == node) return s;
        return nullptr;
    }

    void write_skin(tinygltf::Primitive& prim, const mesh_data& d, const std::vector<out_vertex>& order, const plan& p,
                    const std::string& what) {
        std::vector<std::vector<std::pair<int, float>>> binds(order.size());
        std::size_t most = 0;
        for (std::size_t i = 0; i < order.size(); ++i) {
            const std::size_t v = static_cast<std::size_t>(order[i].vertex);
            if (v >= d.vertex_skin.size() || d.vertex_skin[v] < 0) continue;
            for (const skin_binding& b : d.skins[static_cast<std::size_t>(d.vertex_skin[v])].binds) {
                if (!b.joint || b.weight == 0.0f) continue;
                binds[i].emplace_back(joint_index(p.skin, b.joint), b.weight);
            }
            most = std::max(most, binds[i].size());
        }
        // A vertex bound to no joint follows its own shape, as in the host:
        // glTF gives it the mesh's node as its joint (read back as no skin)
        // when that node shares its root with the joints; otherwise the
        // skin's first joint, with a warning.
        std::size_t unbound = 0;
        for (const auto& b : binds) unbound += b.empty() ? 1 : 0;
        if (unbound > 0) {
            const shape* joint = p.self;
            std::vector<int>& joints = m_.skins[static_cast<std::size_t>(p.skin)].joints;
            for (int j : joints)
                if (top_of(j) != top_of(node_of_.at(p.self))) joint = nullptr;
            if (!joint && shape_of(joints.front())) {
                joint = shape_of(joints.front());
                warn((boost::format("%s: %i vertices bound to no joint are bound to '%s' (the joints do not share a "
                                    "root with the mesh's node)") % what % unbound % joint->get_name()).str());
            }
            if (!joint) joint = p.self;
            const int j = joint_index(p.skin, joint);
            for (auto& b : binds)
                if (b.empty()) b.emplace_back(j, 1.0f);
            most = std::max<std::size_t>(most, 1);
        }
        const std::size_t sets = std::max(p.skin_sets, (most + 3) / 4);
        std::size_t joint_count = m_.skins[static_cast<std::size_t>(p.skin)].joints.size();
        encoding je = p.joints_e;
        if (je.component_type == TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE && joint_count > 256)
            je.component_type = TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT;
        for (std::size_t set = 0; set < sets; ++set) {
            std::vector<unsigned char> jb, wb;
            for (const auto& b : binds)
                for (std::size_t k = 0; k < 4; ++k) {
                    const std::size_t at = set * 4 + k;
                    put(jb, je.component_type, false, at < b.size() ? static_cast<float>(b[at].first) : 0.0f);
                    put(wb, p.weights_e.component_type, p.weights_e.normalized, at < b.size() ? b[at].second : 0.0f);
                }
            const std::size_t n = std::max<std::size_t>(1, binds.size());
            prim.attributes["JOINTS_" + std::to_string(set)] = add_accessor(jb, jb.size() / n, binds.size(), je, array_buffer, false);
            prim.attributes["WEIGHTS_" + std::to_string(set)] =
                add_accessor(wb, wb.size() / n, binds.size(), p.weights_e, array_buffer, false);
        }
    }

    // The primitive of each face of an edited mesh read from glTF: the one
    // it was read from, else (a face Twinel made) that of a face sharing a
    // vertex with it, else the first one read.
    std::vector<int> primitive_of_faces(const mesh_data& d, const gltf_mesh_instance& inst) {
        const int nf = d.face_count();
        std::vector<int> part(static_cast<std::size_t>(nf), -1);
        int first = -1;
        for (std::size_t p = 0; p < inst.imported.size(); ++p)
            if (inst.imported[p] && first < 0) first = static_cast<int>(p);
        for (int f = 0; f < nf; ++f) {
            const std::int32_t s = d.extras.face_style.empty() ? -1 : d.extras.face_style[static_cast<std::size_t>(f)];
            if (s < 0) continue;
            const int p = d.extras.styles[static_cast<std::size_t>(s)].part;
            if (p >= 0 && static_cast<std::size_t>(p) < inst.imported.size() && inst.imported[static_cast<std::size_t>(p)])
                part[static_cast<std::size_t>(f)] = p;
        }
        std::vector<int> vertex_part(d.positions.size(), -1);
        for (int pass = 0; pass < 3; ++pass) {
            for (int f = 0; f < nf; ++f)
                if (part[static_cast<std::size_t>(f)] >= 0)
                    for (int k = 0; k < d.face_size[f]; ++k)
                        if (vertex_part[static_cast<std::size_t>(d.corner(f, k))] < 0)
                            vertex_part[static_cast<std::size_t>(d.corner(f, k))] = part[static_cast<std::size_t>(f)];
            for (int f = 0; f < nf; ++f)
                if (part[static_cast<std::size_t>(f)] < 0)
                    for (int k = 0; k < d.face_size[f] && part[static_cast<std::size_t>(f)] < 0; ++k)
                        part[static_cast<std::size_t>(f)] = vertex_part[static_cast<std::size_t>(d.corner(f, k))];
        }
        for (int& p : part)
            if (p < 0) p = first;
        return part;
    }

    plan plan_from(const tinygltf::Primitive& prim, int skin) const {
        plan p;
        for (const auto& [name, acc] : prim.attributes) {
            if (acc < 0 || static_cast<std::size_t>(acc) >= m_.accessors.size()) continue;
            const encoding e = encoding_of(m_.accessors[static_cast<std::size_t>(acc)]);
            if (name == "NORMAL") p.normal = true;
            if (name == "TEXCOORD_0") p.uv0 = true, p.uv0_e = e;
            if (name == "TEXCOORD_1") p.uv1 = true, p.uv1_e = e;
            if (name == "COLOR_0") p.color = true, p.color_e = e;
            if (skin >= 0 && name.rfind("JOINTS_", 0) == 0) {
                p.joints_e = e;
                p.skin_sets = std::max(p.skin_sets, static_cast<std::size_t>(std::atoi(name.c_str() + 7)) + 1);
            }
            if (skin >= 0 && name.rfind("WEIGHTS_", 0) == 0) p.weights_e = e;
        }
        p.skin = skin;
        return p;
    }

    void rebuild_instance(const gltf_mesh_instance& inst) {
        int mi = inst.mesh;
        int users = 0;
        for (const tinygltf::Node& n : m_.nodes) users += n.mesh == mi ? 1 : 0;
        if (users > 1) {
            m_.meshes.push_back(m_.meshes[static_cast<std::size_t>(mi)]);
            mi = static_cast<int>(m_.meshes.size()) - 1;
            m_.nodes[static_cast<std::size_t>(inst.node)].mesh = mi;
        }
        const mesh_data& d = inst.shape->data();
        const std::vector<int> part = primitive_of_faces(d, inst);
        const int skin = m_.nodes[static_cast<std::size_t>(inst.node)].skin;
        const std::vector<tinygltf::Primitive> originals = m_.meshes[static_cast<std::size_t>(mi)].primitives;
        std::vector<tinygltf::Primitive> out;
        std::vector<std::uint8_t> used(d.positions.size(), 0);
        for (std::size_t p = 0; p < originals.size(); ++p) {
            if (!inst.imported[p]) {
                out.push_back(originals[p]);
                continue;
            }
            std::vector<int> faces;
            for (int f = 0; f < d.face_count(); ++f)
                if (part[static_cast<std::size_t>(f)] == static_cast<int>(p)) faces.push_back(f);
            for (int f : faces)
                for (int k = 0; k < d.face_size[f]; ++k) used[static_cast<std::size_t>(d.corner(f, k))] = 1;
            plan pl = plan_from(originals[p], skin);
            pl.self = inst.shape;
            pl.first = inst.first[p];
            pl.count = inst.vertex_count[p];
            tinygltf::Primitive prim = originals[p];
            const std::string what = (boost::format("mesh '%s' (node %i) primitive %i") % inst.shape->get_name() %
                                      inst.node % p).str();
            if (build_primitive(prim, &originals[p], d, faces, pl, what))
                out.push_back(std::move(prim));
            else
                warn(what + ": no face is left in it, so the primitive is left out");
        }
        const auto unused = static_cast<std::size_t>(std::count(used.begin(), used.end(), 0));
        if (unused > 0)
            warn((boost::format("mesh '%s': %i vertices belong to no face and are left out") % inst.shape->get_name() %
                  unused).str());
        m_.meshes[static_cast<std::size_t>(mi)].primitives = std::move(out);
    }

    void add_mesh(const mesh_shape& s, int node) {
        const mesh_data& d = s.data();
        // The joints: a skin of the shapes the vertices are bound to.
        int skin = -1;
        for (const skin_data& sd : d.skins)
            for (const skin_binding& b : sd.binds)
                if (b.joint && b.weight != 0.0f && skin < 0) {
                    m_.skins.emplace_back();
                    skin = static_cast<int>(m_.skins.size()) - 1;
                    m_.nodes[static_cast<std::size_t>(node)].skin = skin;
                }
        // One primitive per face style.
        std::map<std::int32_t, std::vector<int>> groups;
        for (int f = 0; f < d.face_count(); ++f)
            groups[d.extras.face_style.empty() ? -1 : d.extras.face_style[static_cast<std::size_t>(f)]].push_back(f);
        plan p;
        p.skin = skin;
        p.self = &s;
        for (int f = 0; f < d.face_count(); ++f) {
            p.normal |= d.face_has_normals[static_cast<std::size_t>(f)] != 0 && !d.corner_normal.empty();
            if (!d.face_has_uv[static_cast<std::size_t>(f)]) continue;
            p.uv0 = true;
            for (int k = 0; k < d.face_size[f]; ++k) {
                const std::size_t c = static_cast<std::size_t>(d.face_start[f] + k);
                p.uv1 |= !same_bits(d.corner_puv[c], d.distance_uvs()[c]);
            }
        }
        for (std::uint8_t flag : d.extras.vertex_flags) p.color |= (flag & vertex_has_color) != 0;
        tinygltf::Mesh gm;
        gm.name = s.get_name();
        for (const auto& [style, faces] : groups) {
            tinygltf::Primitive prim;
            if (style >= 0) {
                const std::string& material = d.extras.styles[static_cast<std::size_t>(style)].material;
                char* end = nullptr;
                const long m = material.empty() ? -1 : std::strtol(material.c_str(), &end, 10);
                if (src_ && !material.empty() && *end == 0 && m >= 0 && static_cast<std::size_t>(m) < m_.materials.size())
                    prim.material = static_cast<int>(m);
                else if (!material.empty())
                    warn((boost::format("mesh '%s': the material '%s' is not written (glTF materials are not made from "
                                        "it)") % s.get_name() % material).str());
            }
            plan pl = p;
            if (build_primitive(prim, nullptr, d, faces, pl, "mesh '" + gm.name + "'")) gm.primitives.push_back(std::move(prim));
        }
        if (gm.primitives.empty()) {
            warn((boost::format("mesh '%s' has no faces: its node is written without a mesh") % s.get_name()).str());
            if (skin >= 0) m_.nodes[static_cast<std::size_t>(node)].skin = -1;
            return;
        }
        m_.meshes.push_back(std::move(gm));
        m_.nodes[static_cast<std::size_t>(node)].mesh = static_cast<int>(m_.meshes.size()) - 1;
        if (skin >= 0) {
            // Bind matrices: the inverse of each joint's placement now.
            std::vector<unsigned char> bytes;
            for (int j : m_.skins[static_cast<std::size_t>(skin)].joints) put_inverse_world(bytes, j);
            m_.skins[static_cast<std::size_t>(skin)].inverseBindMatrices =
                add_accessor(bytes, 64, m_.skins[static_cast<std::size_t>(skin)].joints.size(),
                             encoding{TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_MAT4, false}, 0, false);
            added_joints_.erase(skin);
        }
    }

    void put_inverse_world(std::vector<unsigned char>& bytes, int node) {
        const shape* joint = shape_of(node);
        const mat4 inverse = joint ? joint->get_transformation_to_world().inv() : mat4();
        for (int i = 0; i < 16; ++i) put(bytes, TINYGLTF_COMPONENT_TYPE_FLOAT, false, inverse.m[i / 4][i % 4]);
    }

    // Skins of the document that gained joints get their bind matrices
    // extended (those they had stay).
    void update_inverse_binds() {
        for (const auto& [skin, joints] : added_joints_) {
            tinygltf::Skin& sk = m_.skins[static_cast<std::size_t>(skin)];
            if (sk.inverseBindMatrices < 0) continue;
            const gltf_accessor_view old = gltf_view(m_, sk.inverseBindMatrices, name_,
                                                     (boost::format("skins/%i/inverseBindMatrices") % skin).str());
            std::vector<unsigned char> bytes;
            for (std::size_t i = 0; i < old.count; ++i) bytes.insert(bytes.end(), old.element(i), old.element(i) + 64);
            for (std::size_t k = sk.joints.size() - joints.size(); k < sk.joints.size(); ++k) put_inverse_world(bytes, sk.joints[k]);
            sk.inverseBindMatrices = add_accessor(bytes, 64, bytes.size() / 64,
                                                  encoding{TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_MAT4, false}, 0, false);
        }
    }

    const gltf_source* src_;
    const std::string& name_;
    std::vector<std::string>& warnings_;
    tinygltf::Model m_;
    std::unordered_map<const shape*, int> node_of_;
    std::unordered_set<const shape*> written_;
    std::vector<std::pair<const mesh_shape*, int>> new_meshes_;
    std::map<int, std::vector<const shape*>> added_joints_;
};

}  // namespace

tinygltf::Model gltf_model(scene& source, const std::vector<const shape*>& tops, const std::string& name,
                           std::vector<std::string>& warnings) {
    return writer(source, name, warnings).run(tops);
}

std::string gltf_bytes(const tinygltf::Model& model, bool binary) {
    tinygltf::TinyGLTF w;
    w.SetImageWriter(&write_image, nullptr);
    std::ostringstream out;
    w.WriteGltfSceneToStream(&model, out, !binary, binary);
    std::string bytes = out.str();
    // tinygltf writes an object whose members all have their default values
    // (a scene without nodes, a material of defaults) as null, which no
    // reader takes: such entries become empty objects.
    std::string json = bytes;
    std::string rest;
    if (binary) {
        std::uint32_t length = 0;
        if (bytes.size() < 20) return bytes;
        std::memcpy(&length, bytes.data() + 12, 4);
        json = bytes.substr(20, length);
        rest = bytes.substr(20 + std::min<std::size_t>(length, bytes.size() - 20));
    }
    nlohmann::json doc = nlohmann::json::parse(json, nullptr, false);
    bool changed = false;
    if (doc.is_object())
        for (auto& [key, value] : doc.items())
            if (value.is_array())
                for (nlohmann::json& e : value)
                    if (e.is_null()) {
                        e = nlohmann::json::object();
                        changed = true;
                    }
    if (!changed) return bytes;
    if (!binary) return doc.dump(2);
    json = doc.dump();
    json.resize((json.size() + 3) / 4 * 4, ' ');
    const auto u32 = [](std::uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
    return bytes.substr(0, 8) + u32(static_cast<std::uint32_t>(20 + json.size() + rest.size())) +
           u32(static_cast<std::uint32_t>(json.size())) + bytes.substr(16, 4) + json + rest;
}

void write_gltf(scene& source, const std::vector<const shape*>& tops, const std::string& path, bool binary,
                std::vector<std::string>& warnings) {
    const std::string name = path == "-" ? std::string("<stdout>") : path;
    const std::string bytes = gltf_bytes(gltf_model(source, tops, name, warnings), binary);
    output_file out(path);
    out.write(bytes);
    out.commit();
}

}  // namespace host
