// Fuzz target: an edit session on a paired mesh.
//
// A small generated mesh (a torus, a grid, a cube or a half torus, turned
// so that any of the three planes is its symmetry plane) is paired through
// the symmetry window ("twinel", or "make_twinel" for the half). Then the
// input chooses a sequence of host edits as a user makes them in modify
// mode: move the selected vertices, add and remove vertices, faces and
// edges, merge the selected vertices, undo, redo, pair again. Each edit is
// followed by the host's redraw (which marks the pairing for the window),
// idle calls and "sym_vers" (do_sym over every vertex). After every step
// either the pairing is gone (the window released it, as it does when a
// repair fails), or its tables agree with the mesh: one entry per vertex
// and per face, every pair mutual, the unmatched counts right, and every
// paired vertex at its partner's mirror (self-paired ones on the plane).
// When the session ends the shape is deleted, and its pairing must go too.
#include <dlfcn.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "frame/extend_class_container.h"
#include "frame/identifiers.h"
#include "host/application.h"
#include "host/mesh_algorithms.h"
#include "host/mesh_generator.h"
#include "host/mesh_shape.h"
#include "host/palette.h"
#include "host/scene.h"
#include "symmetry/twinel_class.h"

namespace {

[[noreturn]] void fault(const std::string& what) {
    std::fprintf(stderr, "edit_session_fuzz: %s\n", what.c_str());
    std::abort();
}

// ---- the mesh ----------------------------------------------------------------

host::mesh_data unit_cube() {
    host::mesh_data m;
    for (int i = 0; i < 8; ++i)
        m.add_vertex(vec3(i & 1 ? 0.5f : -0.5f, i & 2 ? 0.5f : -0.5f, i & 4 ? 0.5f : -0.5f));
    const std::int32_t quads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (const auto& q : quads) m.add_face(4, q);
    return m;
}

// A mesh symmetric about x = 0, its x axis then exchanged with the axis of
// `plane` so that the plane of that number is its symmetry plane.
host::mesh_data make_mesh(FuzzedDataProvider& in, int plane, bool& half) {
    host::torus_options t;
    t.target_vertices = in.ConsumeIntegralInRange(12, 96);
    t.jitter = in.ConsumeBool() ? 0.0f : 0.004f * static_cast<float>(in.ConsumeIntegralInRange(0, 10));
    t.seed = in.ConsumeIntegral<std::uint8_t>();
    t.uvs = in.ConsumeBool();
    host::mesh_data m;
    half = false;
    switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0: m = host::make_torus(t); break;
        case 1: m = host::make_grid(t.target_vertices, 2.0f, t.uvs); break;
        case 2: m = unit_cube(); break;
        default:
            m = host::make_half_torus(t);
            half = true;
            break;
    }
    for (vec3& p : m.positions) std::swap(p.x, p[plane]);
    host::rebuild_edges(m);
    return m;
}

// ---- the session -------------------------------------------------------------

struct session {
    host::application app;
    host::scene* scene = nullptr;
    host::mesh_shape* shape = nullptr;
    host::palette* palette = nullptr;
    const extend_class_container<twinel_class>* pairings = nullptr;
    int plane = 0;
};

twinel_class* pairing_of(session& s) {
    return s.pairings->get_extend_object(s.shape);
}

// Presses a palette button after a refresh of the controls; a disabled or
// hidden one is a press the user could not make, and nothing happens.
void press(session& s, const char* id) {
    s.palette->refresh();
    try {
        s.palette->press(id);
    } catch (const host::palette_error& e) {
        if (std::getenv("TWINEL_FUZZ_TRACE")) std::fprintf(stderr, "press: %s\n", e.what());
    }
}

// What follows every edit: the host redraws the mesh, the window gets idle
// calls, and "sym_vers" mirrors every vertex.
void after_edit(session& s) {
    s.app.after_user_edit(*s.shape);
    s.palette->idle(2);
    press(s, "sym_vers");
    s.palette->idle(1);
}

bool same_coordinate(float a, float b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
    return a == b;
}

void check(session& s, int step) {
    twinel_class* t = pairing_of(s);
    if (!t) return;  // released (or never made)
    const std::string at = " after step " + std::to_string(step);
    const host::mesh_data& m = s.shape->data();
    if (t->vertex_table.size() != m.vertex_count())
        fault("the vertex table has " + std::to_string(t->vertex_table.size()) + " entries for " +
              std::to_string(m.vertex_count()) + " vertices" + at);
    if (t->face_table.size() != m.face_count())
        fault("the face table has " + std::to_string(t->face_table.size()) + " entries for " +
              std::to_string(m.face_count()) + " faces" + at);
    for (const Interconnection_class* table : {&t->vertex_table, &t->face_table}) {
        int unmatched = 0;
        for (int i = 0; i < table->size(); ++i) {
            const int j = table->links[static_cast<std::size_t>(i)];
            if (j == -1) {
                ++unmatched;
                continue;
            }
            if (j < 0 || j >= table->size()) fault("a pair index out of range" + at);
            if (table->links[static_cast<std::size_t>(j)] != i) fault("a pair that is not mutual" + at);
        }
        if (unmatched != table->unmatched) fault("the unmatched count is wrong" + at);
    }
    for (int i = 0; i < m.vertex_count(); ++i) {
        const int j = t->vertex_table.links[static_cast<std::size_t>(i)];
        if (j < 0) continue;
        const vec3& p = m.positions[static_cast<std::size_t>(i)];
        if (j == i) {
            if (!same_coordinate(p[s.plane], 0.0f) && !std::isnan(p[s.plane]))
                fault("a self-paired vertex " + std::to_string(i) + " is off the plane" + at);
            continue;
        }
        vec3 mirror = m.positions[static_cast<std::size_t>(j)];
        mirror[s.plane] = -mirror[s.plane];
        for (int c = 0; c < 3; ++c)
            if (!same_coordinate(p[c], mirror[c]))
                fault("vertex " + std::to_string(i) + " is not at the mirror of its partner " + std::to_string(j) + at);
    }
}

int pick(FuzzedDataProvider& in, int count) { return count > 0 ? in.ConsumeIntegralInRange(0, count - 1) : -1; }

float coordinate(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 15)) {
        case 0: return std::nanf("");
        case 1: return in.ConsumeBool() ? INFINITY : -INFINITY;
        case 2: return 0.0f;
        case 3: return in.ConsumeFloatingPoint<float>();
        default: return static_cast<float>(in.ConsumeIntegralInRange(-300, 300)) / 128.0f;
    }
}

void select_only(host::mesh& mesh, const std::vector<int>& vertices) {
    for (int v = 0; v < mesh.get_number_of_vertices(); ++v) mesh.vertex(v).set_active(false);
    for (int v : vertices) mesh.vertex(v).set_active(true);
}

// One edit as a user makes it: one undo step of the scene.
void edit(session& s, FuzzedDataProvider& in) {
    host::mesh& mesh = s.shape->polygon();
    const int nv = mesh.get_number_of_vertices(), ne = mesh.get_number_of_edges(), nf = mesh.get_number_of_faces();
    const int op = in.ConsumeIntegralInRange(0, 11);
    // TWINEL_FUZZ_TRACE=1 shows what a failing input does.
    if (std::getenv("TWINEL_FUZZ_TRACE")) {
        const twinel_class* t = pairing_of(s);
        std::fprintf(stderr, "op %d on %d vertices, %d edges, %d faces; pairing %s (%d/%d unmatched)\n", op, nv, ne, nf,
                     t ? "kept" : "none", t ? t->vertex_table.unmatched : 0, t ? t->face_table.unmatched : 0);
    }
    if (op == 8) {
        s.scene->undo();
        return;
    }
    if (op == 9) {
        s.scene->redo();
        return;
    }
    if (op == 10) {
        press(s, "twinel");  // releases the pairing, or pairs again
        return;
    }
    const host::undo_scope step(*s.scene);
    switch (op) {
        case 0:  // move the selected vertices (one or two)
            if (nv > 0) {
                std::vector<int> chosen{pick(in, nv)};
                if (in.ConsumeBool()) chosen.push_back(pick(in, nv));
                select_only(mesh, chosen);
                const vec3 p(coordinate(in), coordinate(in), coordinate(in));
                for (int v : chosen) mesh.vertex(v).set_position(in.ConsumeBool() ? p : mesh.vertex(v).get_position() + p);
            }
            break;
        case 1:
            mesh.append_vertex(vec3(coordinate(in), coordinate(in), coordinate(in)));
            break;
        case 2:
            if (nv > 0) mesh.remove_vertex(pick(in, nv));
            break;
        case 3:
            if (nv > 0) {
                int corners[6];
                const int n = in.ConsumeIntegralInRange(1, 6);
                for (int k = 0; k < n; ++k) corners[k] = pick(in, nv);
                mesh.append_face(n, corners);
            }
            break;
        case 4:
            if (nf > 0) mesh.remove_face(pick(in, nf));
            break;
        case 5:
            if (nv > 1) {
                const int a = pick(in, nv);
                int b = pick(in, nv - 1);
                if (b >= a) ++b;
                mesh.append_edge(a, b);
            }
            break;
        case 6:
            if (ne > 0) mesh.remove_edge(pick(in, ne));
            break;
        case 7:
            if (nv > 1) {
                std::vector<int> chosen;
                const int n = in.ConsumeIntegralInRange(2, 3);
                for (int k = 0; k < n; ++k) chosen.push_back(pick(in, nv));
                select_only(mesh, chosen);
                s.scene->merge_selected_vertices();
            }
            break;
        default:
            if (nf > 0) {  // a face's corners replaced, as a host's own tools do
                face_class& f = mesh.face(pick(in, nf));
                int corners[5];
                const int n = in.ConsumeIntegralInRange(3, 5);
                for (int k = 0; k < n; ++k) corners[k] = pick(in, nv);
                f.set_vertex_indices(n, corners);
            }
            break;
    }
}

std::string plugin_path() { return TWINEL_FUZZ_PLUGIN_PATH; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The library stays loaded for the whole run, as in a host that keeps
    // its plug-ins: every session's objects are made and released in it.
    if (!dlopen(plugin_path().c_str(), RTLD_NOW | RTLD_LOCAL)) fault(std::string("cannot load ") + dlerror());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    session s;
    s.plane = in.ConsumeIntegralInRange(0, 2);
    bool half = false;
    host::scene& scene = s.app.new_scene();
    s.scene = &scene;
    s.shape = &scene.add_mesh("mesh", make_mesh(in, s.plane, half));
    shape_class* active = s.shape;
    scene.set_active_shapes(1, &active);
    scene.clear_history();
    s.app.load_plugin(plugin_path());
    s.pairings = static_cast<const extend_class_container<twinel_class>*>(
        s.app.plugins().libraries().front()->data_symbol("SymS"));
    if (!s.pairings) fault("the plug-in exports no SymS");
    s.palette = &s.app.open_palette();
    s.palette->idle(300);
    s.palette->refresh();
    s.palette->set_value("sym_mode", static_cast<float>(s.plane));
    s.palette->set_value("sym_source", static_cast<float>(in.ConsumeIntegralInRange(0, half ? 1 : 2)));
    s.palette->set_value("do_symUV", in.ConsumeBool() ? 1.0f : 0.0f);
    s.palette->set_value("do_adjust", in.ConsumeBool() ? 1.0f : 0.0f);
    press(s, half ? "make_twinel" : "twinel");
    scene.set_selection_mode(kx::sdk::vertex_selection);
    scene.enter_modify_mode();
    s.palette->idle(1);
    check(s, 0);

    for (int step = 1; step <= 40 && in.remaining_bytes() > 0; ++step) {
        edit(s, in);
        after_edit(s);
        check(s, step);
    }
    // The host deletes the shape before the scene goes: the window releases
    // its pairing then, and none may be left behind.
    scene.remove_shape(*s.shape);
    if (s.pairings->get_extend_object(s.shape)) fault("a pairing outlived its shape");
    return 0;
}
