#include "cli/serve_state.h"

#include <stb_image_write.h>

#include "cli/serve_meshes.h"
#include "cli/serve_session.h"
#include "host/application.h"
#include "host/kxul_file.h"
#include "host/line_shape.h"
#include "host/mesh_shape.h"
#include "host/palette.h"
#include "host/palette_layout.h"
#include "host/part.h"
#include "host/scene.h"

namespace cli {

using nlohmann::json;

namespace {

const char* layout_kind_name(host::layout_kind kind) {
    switch (kind) {
        case host::layout_kind::push_button: return "push-button";
        case host::layout_kind::checkbox: return "checkbox";
        case host::layout_kind::number: return "number";
        case host::layout_kind::popup_menu: return "popup-menu";
        case host::layout_kind::static_text: return "static-text";
        case host::layout_kind::spacer: return "spacer";
        case host::layout_kind::group: return "group";
        case host::layout_kind::tab: return "tab";
        case host::layout_kind::vbox: return "vbox";
        case host::layout_kind::hbox: return "hbox";
    }
    return "control";
}

// `next` counts the controls in layout order (boxes are no controls), as
// host::layout_controls lists them.
json node_json(const host::layout_node& n, int& next) {
    json j = {{"kind", layout_kind_name(n.kind)}};
    if (n.kind != host::layout_kind::vbox && n.kind != host::layout_kind::hbox) {
        j["control"] = next++;
        j["id"] = n.id;
        j["label"] = n.label;
        if (!n.tooltip.empty()) j["tooltip"] = n.tooltip;
        if (!n.unit.empty()) j["unit"] = n.unit;
        if (n.width >= 0) j["size"] = {n.width, n.height};
    }
    json children = json::array();
    for (const host::layout_node& c : n.children) children.push_back(node_json(c, next));
    j["children"] = std::move(children);
    return j;
}

json control_json(const host::control_state& c) {
    json j = {{"id", c.id},           {"kind", host::kind_name(c.kind)}, {"title", c.title},
              {"enabled", c.enabled}, {"shown", c.shown},                {"value", c.value}};
    if (!c.tooltip.empty()) j["tooltip"] = c.tooltip;
    if (c.kind == host::control_kind::number) {
        j["integer"] = c.integer;
        j["editable"] = c.editable;
        j["decimals"] = c.decimals;
        if (!c.unit.empty()) j["unit"] = c.unit;
    }
    if (c.kind == host::control_kind::popup_menu) j["items"] = c.items;
    return j;
}

json indices(const std::vector<std::uint8_t>& flags) {
    json out = json::array();
    for (std::size_t i = 0; i < flags.size(); ++i)
        if (flags[i]) out.push_back(i);
    return out;
}

json matrix_json(const mat4& m) {
    json out = json::array();
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out.push_back(m[r][c]);
    return out;
}

json shape_json(host::shape& s, host::application& app, mesh_revisions& meshes) {
    const int kind = s.get_type();
    json j = {{"id", meshes.id_of(s)},
              {"name", s.get_name()},
              {"kind", kind == 2 ? "part" : kind == 4 ? "line" : kind == 7 ? "mesh" : "primitive"},
              {"parent", s.parent() ? json(meshes.id_of(*s.parent())) : json(nullptr)},
              {"world", matrix_json(s.get_transformation_to_world())}};
    if (auto* mesh = dynamic_cast<host::mesh_shape*>(&s)) {
        const host::mesh_data& m = mesh->data();
        const int id = meshes.id_of(s);
        j["revision"] = meshes.revision(id);
        // A move of a few vertices comes with the state: the page one
        // revision behind applies it without asking for the mesh.
        if (const std::vector<std::int32_t>* moved = meshes.recent_moves(id, 4096)) {
            json at = json::array();
            for (std::int32_t v : *moved) {
                const vec3& p = meshes.position(id, v);
                at.push_back(p.x);
                at.push_back(p.y);
                at.push_back(p.z);
            }
            j["moved"] = {{"indices", *moved}, {"positions", std::move(at)}};
        }
        j["vertices"] = m.vertex_count();
        j["faces"] = m.face_count();
        j["edges"] = m.edge_count();
        j["selected"] = {{"vertices", indices(m.vertex_selected)},
                         {"edges", indices(m.edge_selected)},
                         {"faces", indices(m.face_selected)}};
        j["marks"] = {{"vertices", app.marks().marks(s, 1)},
                      {"edges", app.marks().marks(s, 2)},
                      {"faces", app.marks().marks(s, 4)}};
    } else if (auto* line = dynamic_cast<host::line_shape*>(&s)) {
        json points = json::array();
        for (const host::control_point_data& p : line->points()) {
            points.push_back(p.position.x);
            points.push_back(p.position.y);
            points.push_back(p.position.z);
        }
        j["points"] = std::move(points);
        j["closed"] = line->is_closed();
    }
    return j;
}

}  // namespace

json layout_json(page_session& session) {
    host::application& app = session.app();
    const host::palette& p = app.open_palette();
    const host::resource_file* file = host::find_kxul(app.resources(), app.lang(), p.layout_name());
    if (!file) throw std::runtime_error("the palette's layout \"" + p.layout_name() + "\" is gone");
    const host::palette_layout layout = host::read_palette_layout(*file, p.layout_name());
    int next = 0;
    json children = json::array();
    for (const host::layout_node& n : layout.children) children.push_back(node_json(n, next));
    return {{"id", layout.id}, {"lang", session.language()}, {"children", std::move(children)}};
}

json state_json(page_session& session, mesh_revisions& meshes) {
    host::application& app = session.app();
    host::palette& p = app.open_palette();
    host::scene& scene = *app.current_scene();
    meshes.update(scene, session.generation());

    json controls = json::array();
    for (const host::control_state* c : p.controls()) controls.push_back(control_json(*c));
    json toolbar = json::array();
    for (int i = 0; i < p.toolbar_size(); ++i) toolbar.push_back(control_json(p.toolbar(i)));
    json shapes = json::array();
    for (host::shape* s : scene.shapes_in_order())
        if (s != &scene.root()) shapes.push_back(shape_json(*s, app, meshes));
    json active = nullptr;
    if (auto* a = dynamic_cast<host::shape*>(scene.get_active_shape())) active = meshes.id_of(*a);
    const int mode = scene.get_selection_mode();

    // The message window keeps its last lines; the page shows those.
    constexpr std::size_t shown_lines = 300;
    const auto& lines = app.message_lines();
    const std::size_t first = lines.size() > shown_lines ? lines.size() - shown_lines : 0;
    return {{"lang", session.language()},
            {"generation", session.generation()},
            {"lines", session.lines().size()},
            {"title", p.title()},
            {"messages", json(std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(first), lines.end()))},
            {"message_count", lines.size()},
            {"controls", std::move(controls)},
            {"toolbar", std::move(toolbar)},
            {"selection_mode", mode == 0 ? "face" : mode == 1 ? "edge" : "vertex"},
            {"modify", scene.is_modify_mode()},
            {"can_undo", scene.can_undo()},
            {"can_redo", scene.can_redo()},
            {"active", active},
            {"shapes", std::move(shapes)}};
}

std::string toolbar_png(page_session& session, int index) {
    host::palette& p = session.app().open_palette();
    if (index < 0 || index >= p.toolbar_size()) return std::string();
    image_interface* image = p.toolbar_image(index);
    if (!image || !image->has_content()) return std::string();
    const int w = image->get_width(), h = image->get_height();
    std::vector<unsigned char> rgba;
    rgba.reserve(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const kx::rgba8_class c = image->get_pixel(x, y);
            rgba.insert(rgba.end(), {c.r, c.g, c.b, c.a});
        }
    std::string png;
    stbi_write_png_to_func(
        [](void* context, void* data, int size) { static_cast<std::string*>(context)->append(static_cast<char*>(data), static_cast<std::size_t>(size)); },
        &png, w, h, 4, rgba.data(), w * 4);
    return png;
}

}  // namespace cli
