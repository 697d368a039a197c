// Skin symmetry: the joint bindings of each source-side vertex are copied
// onto its mirror partner with every joint replaced by its mirror joint, the
// joint whose name carries the other side's prefix.
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <boost/format.hpp>

#include "frame/sdk/polygon_mesh.h"
#include "frame/sdk/scene.h"
#include "frame/sdk/shape.h"
#include "symmetry/twinel_class.h"

namespace {

bool starts_with(const char* name, const char* prefix) {
    return std::strncmp(name, prefix, std::strlen(prefix)) == 0;
}

// The joint name of the other side, or nothing for a centre joint. The
// prefixes are tried in this order and are case-sensitive.
std::optional<std::string> mirror_joint_name(const char* name) {
    const std::string n(name);
    if (starts_with(name, "right")) return "left" + n.substr(5);
    if (starts_with(name, "left")) return "right" + n.substr(4);
    if (starts_with(name, "l_") || starts_with(name, "l-")) return "r" + n.substr(1);
    if (starts_with(name, "r_") || starts_with(name, "r-")) return "l" + n.substr(1);
    return std::nullopt;
}

// Whether vertex position p is on the side whose skins are copied: strictly
// positive for base sides 0 and 1, at or below 0 for the average (2).
bool on_source_side(const vec3& p, int plane, int base_side) { return (p[plane] > 0.0f) != (base_side == 2); }

}  // namespace

void append_skin(skin_class& skin, shape_class* joint, float weight) {
    const int n = skin.get_number_of_binds();
    for (int k = 0; k < n; ++k) {
        if (skin.get_bind_joint(k) == joint) {
            skin.set_bind_weight(k, weight);
            return;
        }
    }
    skin.append_bind();
    skin.set_bind_weight(n, weight);
    skin.set_bind_joint(n, joint);
}

shape_class* twinel_class::get_sym_joint(shape_class* joint) {
    if (!joint) return nullptr;
    const char* name = joint->get_name();
    if (!name) return joint;
    const std::optional<std::string> mirror = mirror_joint_name(name);
    if (!mirror) return joint;
    const kx::host_ref<scene_interface> scene(joint->get_scene());
    return scene ? scene->get_shape_by_name(mirror->c_str()) : nullptr;
}

std::optional<std::string> twinel_class::sym_skins() {
    if (!polygon.mesh) return std::nullopt;
    polygon_mesh_class& mesh = *polygon.mesh;
    const int vertices = mesh.get_number_of_vertices();
    // A table longer than the mesh (elements removed since it was made)
    // must not address vertices the mesh no longer has.
    const int n = std::min(vertex_table.size(), vertices);
    std::vector<shape_class*> mirrors;
    for (int i = 0; i < n; ++i) {
        const int p = vertex_table.partner(i);
        if (p < 0 || p >= vertices) continue;
        vertex_class& vi = mesh.vertex(i);
        if (!on_source_side(vi.get_position(), plane, base_side)) continue;
        skin_class& source = vi.get_skin();

        if (p == i) {
            // A vertex on the plane gains the mirror of each side joint it is
            // bound to; bindings appended here are not visited again.
            const int count = source.get_number_of_binds();
            for (int k = 0; k < count; ++k) {
                shape_class* joint = source.get_bind_joint(k);
                if (!joint) continue;
                shape_class* mirror = get_sym_joint(joint);
                if (mirror && mirror != joint) append_skin(source, mirror, source.get_bind_weight(k));
            }
            continue;
        }

        // Every joint of the source and its mirror are found before the
        // partner is touched, so a vertex that stops the run leaves its
        // partner's skin as it was.
        const int count = source.get_number_of_binds();
        mirrors.assign(static_cast<std::size_t>(count), nullptr);
        for (int k = 0; k < count; ++k) {
            shape_class* joint = source.get_bind_joint(k);
            if (!joint) return std::string(translate("Not found valide joint"));
            shape_class* mirror = get_sym_joint(joint);
            if (!mirror) {
                boost::format text(translate(" No found sym joint of[%s] at[%i -> %i]"));
                // A translation whose directives do not match shows what it can.
                text.exceptions(boost::io::all_error_bits ^ (boost::io::too_many_args_bit | boost::io::too_few_args_bit));
                const char* name = joint->get_name();
                return (text % (name ? name : "") % i % p).str();
            }
            mirrors[static_cast<std::size_t>(k)] = mirror;
        }
        skin_class& target = mesh.vertex(p).get_skin();
        const int had = target.get_number_of_binds();
        for (int k = had; k > count; --k) target.remove_last_bind();
        for (int k = had; k < count; ++k) target.append_bind();
        for (int k = 0; k < count; ++k) {
            target.set_bind_joint(k, mirrors[static_cast<std::size_t>(k)]);
            target.set_bind_weight(k, source.get_bind_weight(k));
        }
    }
    return std::nullopt;
}
