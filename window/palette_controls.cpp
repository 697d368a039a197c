// The palette's controls: their starting values, how each refresh brings
// them up to date, and where a value the user changes goes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include <boost/format.hpp>

#include "frame/sdk/polygon_mesh.h"
#include "frame/sdk/scene.h"
#include "symmetry/twinel_class.h"
#include "window/host_boundary.h"
#include "window/symmetry_window.h"

namespace {

// Numbers that show and edit a float of the settings (the pairing's copy
// while there is a pairing).
struct float_setting {
    std::string_view id;
    float Symmetry_class::*field;
};
constexpr float_setting float_settings[] = {
    {"margin", &Symmetry_class::margin},         {"reduse_margin", &Symmetry_class::reduse_margin},
    {"PUV-center", &Symmetry_class::puv_center}, {"PUV_margin", &Symmetry_class::puv_margin},
    {"DUV-center", &Symmetry_class::duv_center}, {"DUV_margin", &Symmetry_class::duv_margin},
};

// Checkboxes that show and edit a flag of the settings.
struct flag_setting {
    std::string_view id;
    bool Symmetry_class::*field;
};
constexpr flag_setting flag_settings[] = {
    {"do_adjust", &Symmetry_class::do_adjust},
    {"do_symUV", &Symmetry_class::do_symUV},
    {"verbose", &Symmetry_class::verbose},
    {"use-world", &Symmetry_class::use_world},
};

// The checkboxes of the Repair page.
struct repair_setting {
    std::string_view id;
    bool symmetry_window::repair_flags::*field;
};
constexpr repair_setting repair_settings[] = {
    {"reduc-verti-flag", &symmetry_window::repair_flags::reduce_vertices},
    {"make-edges-flag", &symmetry_window::repair_flags::make_edges},
    {"face-norm-flag", &symmetry_window::repair_flags::face_directions},
    {"face-invalid-flag", &symmetry_window::repair_flags::invalid_faces},
    {"face-overlaped-flag", &symmetry_window::repair_flags::overlapped_faces},
    {"face-triplet-flag", &symmetry_window::repair_flags::trident_faces},
    {"face-over4-flag", &symmetry_window::repair_flags::over4_faces},
};

template <class Row, std::size_t N>
const Row* find_row(const Row (&rows)[N], std::string_view id) {
    for (const Row& r : rows)
        if (r.id == id) return &r;
    return nullptr;
}

// The integer a number control holds, truncated toward zero. Values beyond
// the range of int are clamped and NaN gives 0, so that no text typed into
// the control makes the conversion undefined.
std::int32_t truncated(float value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483648.0f) return std::numeric_limits<std::int32_t>::max();
    if (value <= -2147483648.0f) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

// The lowest selected element of the scene's selection mode: vertex, edge
// (its own flag) or face; -1 when none is selected.
int first_selected_element(Polygon_class& polygon, int mode) {
    polygon_mesh_class& mesh = *polygon.mesh;
    if (mode == kx::sdk::vertex_selection) {
        std::vector<int> vertices;
        return polygon.get_active_vertices(vertices) > 0 ? vertices.front() : -1;
    }
    if (mode == kx::sdk::edge_selection) {
        std::vector<int> edges;
        polygon.active_edges(edges, kx::sdk::edge_selection);
        return edges.empty() ? -1 : edges.front();
    }
    const int faces = mesh.get_number_of_faces();
    for (int f = 0; f < faces; ++f)
        if (mesh.face(f).get_active()) return f;
    return -1;
}

// The vertices of a selected element as "ele_list" shows them: a vertex
// "%i", an edge "%i , %i", a face each corner "%i , " joined with the last
// two characters dropped.
std::string element_vertices(polygon_mesh_class& mesh, int mode, int element) {
    if (mode == kx::sdk::vertex_selection) return (boost::format("%i") % element).str();
    if (mode == kx::sdk::edge_selection) {
        edge_class& edge = mesh.edge(element);
        return (boost::format("%i , %i") % edge.get_v0() % edge.get_v1()).str();
    }
    face_class& face = mesh.face(element);
    std::vector<int> corners(static_cast<std::size_t>(std::max(face.get_number_of_vertices(), 0)));
    if (!corners.empty()) face.get_vertex_indices(corners.data());
    std::string text;
    for (int v : corners) text += (boost::format("%i , ") % v).str();
    if (text.size() >= 2) text.erase(text.size() - 2);
    return text;
}

}  // namespace

// ---- starting values ----------------------------------------------------------

void symmetry_window::initialize_number(number_class& c) {
    const std::string_view id = c.get_id();
    if (const float_setting* s = find_row(float_settings, id)) {
        c.set_value(settings.*(s->field));
    } else if (id == "sep_num") {
        c.set_value(static_cast<float>(settings.sep_num));
    } else if (id == "unmatch_v_number" || id == "unmatch_f_number" || id == "distance_value") {
        c.set_shown(false);
        (id == "unmatch_v_number"   ? controls.unmatch_v_number
         : id == "unmatch_f_number" ? controls.unmatch_f_number
                                    : controls.distance_value) = &c;
    } else if (id == "p_o_value" || id == "v_o_value") {
        c.set_value(1.0f);
        (id == "p_o_value" ? controls.p_o_value : controls.v_o_value) = &c;
    } else if (id == "u-value" || id == "v-value" || id == "u-v-value" || id == "v-v-value") {
        c.set_value(0.0f);
        (id == "u-value"   ? controls.u_value
         : id == "v-value" ? controls.v_value
         : id == "u-v-value" ? controls.u_v_value
                             : controls.v_v_value) = &c;
    } else if (id == "face-angle-limit") {
        c.set_value(15.0f);
        controls.face_angle_limit = &c;
    } else if (id == "side-angle-limit") {
        c.set_value(95.0f);
        controls.side_angle_limit = &c;
    }
}

void symmetry_window::initialize_checkbox(checkbox_class& c) {
    const std::string_view id = c.get_id();
    if (const flag_setting* s = find_row(flag_settings, id))
        c.set_value(settings.*(s->field) ? 1 : 0);
    else if (const repair_setting* r = find_row(repair_settings, id))
        c.set_value(repair.*(r->field) ? 1 : 0);
    else if (id == "reface")
        c.set_value(reface ? 1 : 0);
    else if (id == "sep_type")
        c.set_value(settings.sep_type ? 1 : 0);
}

void symmetry_window::initialize_popup_menu(popup_menu_class& c) {
    const std::string_view id = c.get_id();
    if (id == "sym_mode")
        c.set_value(settings.plane);
    else if (id == "sym_source")
        c.set_value(settings.base_side);
    else if (id == "uv-target")
        controls.uv_target = &c;
    else if (id == "uv-v-target")
        controls.uv_v_target = &c;
    else if (id == "uv-v-type")
        controls.uv_v_type = &c;
    else if (id == "uv-index")
        controls.uv_index = &c;
}

void symmetry_window::initialize_push_button(push_button_class& c) {
    const std::string_view id = c.get_id();
    if (id == "next-tri-face")
        c.set_enabled(false);
    else if (id == "do-move-uv")
        controls.do_move_uv = &c;
}

// ---- refreshing -----------------------------------------------------------------

kx::host_ref<scene_interface> symmetry_window::refresh_scene(bool needs_shown, bool needs_active_shape) {
    if (busy || start_countdown > 0) return {};
    if (needs_shown && !is_shown()) return {};
    kx::host_ref<scene_interface> scene(host.get_scene());
    if (!scene) return {};
    shape_class* active = scene->get_number_of_active_shapes() > 0 ? scene->get_active_shape() : nullptr;
    if (needs_active_shape && !active) return {};
    if (active && active != current_shape.shape) shape_change(*scene, active);
    return scene;
}

bool symmetry_window::setup_number(number_class& c) {
    return answer_at_host_boundary([&] {
        const kx::host_ref<scene_interface> scene = refresh_scene(false, true);
        if (!scene) return false;
        const std::string_view id = c.get_id();
        const auto show_index = [&](int index) {
            c.set_shown(index >= 0);
            if (index >= 0) c.set_value(static_cast<float>(index));
        };
        if (const float_setting* s = find_row(float_settings, id)) {
            c.set_value(shown_settings().*(s->field));
        } else if (id == "sep_num") {
            c.set_value(static_cast<float>(settings.sep_num));
        } else if (id == "distance_value") {
            c.set_decimals(4);
            if (nearest.first < 0) {
                c.set_value(-1.0f);
                c.set_shown(false);
            }
        } else if (id == "unmatch_v_number") {
            c.set_shown(current_twinel != nullptr);
            if (current_twinel) {
                const int unpaired = current_twinel->vertex_table.unmatched;
                c.set_value(static_cast<float>(unpaired));
                c.set_enabled(unpaired >= 1);
            }
        } else if (id == "unmatch_f_number") {
            c.set_shown(current_twinel != nullptr);
            if (current_twinel) {
                const int unpaired = current_twinel->face_table.unmatched;
                c.set_value(static_cast<float>(unpaired));
                c.set_enabled(current_twinel->vertex_table.unmatched == 0 && unpaired >= 1);
            }
        } else if (id == "u_v_index") {
            show_index(u_v_index);
        } else if (id == "p_v_index") {
            show_index(p_v_index);
        } else if (id == "u_f_index") {
            show_index(u_f_index);
        } else if (id == "p_f_index") {
            show_index(p_f_index);
        } else if (id == "ele_num") {
            const bool editing = is_polygon && current_polygon.mesh && scene->is_modify_mode();
            show_index(editing ? first_selected_element(current_polygon, scene->get_selection_mode()) : -1);
        } else if (id == "u-v-value" || id == "v-v-value") {
            c.set_enabled(false);
        } else {
            return true;
        }
        c.invalidate();
        return true;
    }, false);
}

bool symmetry_window::setup_checkbox(checkbox_class& c) {
    return answer_at_host_boundary([&] {
        if (!refresh_scene(false, true)) return false;
        if (const flag_setting* s = find_row(flag_settings, c.get_id()))
            c.set_value(shown_settings().*(s->field) ? 1 : 0);
        return true;
    }, false);
}

bool symmetry_window::setup_popup_menu(popup_menu_class& c) {
    return answer_at_host_boundary([&] {
        if (!refresh_scene(false, true)) return false;
        const std::string_view id = c.get_id();
        if (id == "sym_mode") {
            // The plane of a pairing cannot change.
            c.set_value(shown_settings().plane);
            c.set_enabled(current_twinel == nullptr);
        } else if (id == "sym_source") {
            c.set_value(shown_settings().base_side);
        } else if (id == "uv-index") {
            c.set_items("");
            c.set_value(0);
            c.set_enabled(false);
        }
        return true;
    }, false);
}

bool symmetry_window::setup_static_text(static_text_class& c) {
    return answer_at_host_boundary([&] {
        const kx::host_ref<scene_interface> scene = refresh_scene(true, true);
        if (!scene) return false;
        const std::string_view id = c.get_id();
        const bool editing = is_polygon && current_polygon.mesh && scene->is_modify_mode();
        const int mode = scene->get_selection_mode();
        if (id == "ele_title") {
            const std::size_t title = mode == kx::sdk::vertex_selection ? 0 : mode == kx::sdk::edge_selection ? 1 : 2;
            c.set_title(editing ? element_titles[title].c_str() : "");
        } else if (id == "ele_list") {
            if (editing) {
                const int element = first_selected_element(current_polygon, mode);
                c.set_shown(true);
                c.set_title(element < 0 ? "" : element_vertices(*current_polygon.mesh, mode, element).c_str());
            } else {
                c.set_title("");
                c.set_shown(false);
            }
        }
        return true;
    }, false);
}

bool symmetry_window::setup_push_button(push_button_class& c) {
    return answer_at_host_boundary([&] {
        const kx::host_ref<scene_interface> scene = refresh_scene(true, false);
        if (!scene) return false;
        const std::string_view id = c.get_id();
        const bool mesh = is_polygon;
        const bool paired = current_twinel != nullptr;
        const bool modify = scene->is_modify_mode();
        const int unpaired_vertices = paired ? current_twinel->vertex_table.unmatched : 0;
        const int unpaired_faces = paired ? current_twinel->face_table.unmatched : 0;

        if (id == "master-repair" || id == "reduc-verti" || id == "make-edges" || id == "face-norm" ||
            id == "face-invalid" || id == "face-overlaped" || id == "face-triplet" || id == "face-over4t" ||
            id == "make_twinel") {
            c.set_enabled(mesh && !paired);
        } else if (id == "twinel") {
            c.set_enabled(mesh);
            c.set_title(mesh && paired ? release_title.c_str() : twinel_title.c_str());
            c.invalidate();
        } else if (id == "sym_vers" || id == "sym_uvk" || id == "sym_skin" || id == "remake_v_link") {
            c.set_enabled(paired);
        } else if (id == "sym_ver" || id == "sym_uva") {
            c.set_enabled(paired && modify);
        } else if (id == "remake_f_link") {
            c.set_enabled(paired && unpaired_vertices == 0);
        } else if (id == "next_u_vertex") {
            c.set_enabled(paired && unpaired_vertices >= 1);
        } else if (id == "v_append" || id == "v_remove" || id == "next_p_vertex") {
            c.set_enabled(paired && u_v_index >= 0);
        } else if (id == "v_link") {
            c.set_enabled(paired && u_v_index >= 0 && p_v_index >= 0);
        } else if (id == "next_u_face") {
            c.set_enabled(paired && unpaired_vertices == 0 && unpaired_faces >= 1);
        } else if (id == "f_append" || id == "f_remove" || id == "next_p_face") {
            c.set_enabled(paired && u_f_index >= 0);
        } else if (id == "f_link") {
            c.set_enabled(paired && u_f_index >= 0 && p_f_index >= 0);
        } else if (id == "inhibit_update" || id == "allow-update" || id == "update_figure" || id == "force_update") {
            c.set_enabled(true);
        } else if (id == "uv-to-1" || id == "uv-to-s" || id == "move-uv" || id == "v_offset" || id == "find_near" ||
                   id == "reduse_v") {
            c.set_enabled(mesh && modify);
        } else if (id == "uv_save" || id == "flip_face" || id == "sel-unedge" || id == "uv-offset" ||
                   id == "uv-factor" || id == "p_offset" || id == "sep_polygon" || id == "duv-puv" ||
                   id == "puv-duv" || id == "mark_p_edge" || id == "mark_to_line") {
            c.set_enabled(mesh);
        } else if (id == "next-tri-face") {
            c.set_enabled(!trident_faces.empty());
        } else if (id == "do-move-uv") {
            // Enabled only by a choice in "uv-index".
            c.set_enabled(false);
        }
        return true;
    }, false);
}

// ---- value changes ----------------------------------------------------------------

void symmetry_window::checkbox_value_changed(checkbox_class& c) {
    at_host_boundary([&] {
        const std::string_view id = c.get_id();
        const bool on = c.get_value() != 0;
        if (const flag_setting* s = find_row(flag_settings, id)) {
            shown_settings().*(s->field) = on;
            // A pairing working in world coordinates needs the shape's
            // matrices from now on.
            if (id == "use-world" && on && current_twinel) current_twinel->set_matrix();
        } else if (const repair_setting* r = find_row(repair_settings, id)) {
            repair.*(r->field) = on;
        } else if (id == "reface") {
            reface = on;
        } else if (id == "sep_type") {
            settings.sep_type = on;
        }
    });
}

void symmetry_window::number_value_changed(number_class& c) {
    at_host_boundary([&] {
        const std::string_view id = c.get_id();
        if (const float_setting* s = find_row(float_settings, id))
            shown_settings().*(s->field) = c.get_value();
        else if (id == "sep_num")
            settings.sep_num = truncated(c.get_value());
    });
}

void symmetry_window::popup_menu_value_changed(popup_menu_class& c) {
    at_host_boundary([&] {
        const std::string_view id = c.get_id();
        const int item = c.get_value();
        if (id == "sym_mode")
            settings.plane = static_cast<std::int8_t>(item);
        else if (id == "sym_source")
            shown_settings().base_side = static_cast<std::uint8_t>(item);
        else if (id == "uv-index")
            uv_index_chosen(item);
    });
}
