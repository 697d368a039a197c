// Random edit sessions on small paired meshes, run as a user runs them:
// edits in modify mode followed by the live symmetry of the next idle call,
// the modify-mode tools from the tool list and from the toolbar, "Symmetrize
// All vertices", undo and redo. After every step the pairing is released or
// consistent with the mesh; after every undo and redo the mesh and its
// pairing are exactly those of that state as first seen; and undoing every
// step gives the mesh of the file back bit for bit, without a pairing.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "frame/extend_class_container.h"
#include "host/mesh_generator.h"
#include "host/modify_tools.h"
#include "symmetry/twinel_class.h"
#include "tests/support/random_draws.h"
#include "tests/window/window_fixture.h"

namespace {

using twinel_test::mesh_lists;
using twinel_test::random_draws;
using twinel_test::window_fixture;

mesh_lists lists_of(const host::mesh_data& m) {
    mesh_lists l;
    l.positions = m.positions;
    for (int f = 0; f < m.face_count(); ++f)
        l.faces.emplace_back(m.face_vertices(f), m.face_vertices(f) + m.face_size[f]);
    return l;
}

// A symmetric mesh about x = 0 (a strip, a grid or a torus, a little jittered
// within the margin), or a half torus for "Make Twinel".
mesh_lists session_mesh(random_draws& draw, bool& half) {
    half = false;
    host::torus_options t;
    t.target_vertices = 16 + draw.below(40);
    t.seed = static_cast<unsigned>(draw.below(1000));
    switch (draw.below(4)) {
        case 0: return twinel_test::jittered(twinel_test::symmetric_mesh(), 0.02f, t.seed);
        case 1: return lists_of(host::make_grid(t.target_vertices, 2.0f, false));
        case 2: t.jitter = 0.004f; return lists_of(host::make_torus(t));
        default: half = true; return lists_of(host::make_half_torus(t));
    }
}

// What a state of the session holds: the mesh's positions and faces, and
// the pairing's tables (none when the shape has no pairing).
struct state {
    std::vector<vec3> positions;
    std::vector<std::vector<int>> faces;
    std::optional<std::vector<int>> vertex_links, face_links;

    bool operator==(const state& o) const {
        return positions.size() == o.positions.size() &&
               (positions.empty() ||
                std::memcmp(positions.data(), o.positions.data(), positions.size() * sizeof(vec3)) == 0) &&
               faces == o.faces && vertex_links == o.vertex_links && face_links == o.face_links;
    }
};

class session {
public:
    explicit session(unsigned seed) : draw_(seed), w_(session_mesh(draw_, half_)) {
        pairings_ = static_cast<const extend_class_container<twinel_class>*>(
            w_.app().plugins().libraries().front()->data_symbol("SymS"));
        original_ = w_.shape().data().positions;
        original_faces_ = now().faces;
    }

    twinel_class* pairing() { return pairings_->get_extend_object(&w_.shape()); }

    state now() {
        state s;
        const host::mesh_data& m = w_.shape().data();
        s.positions = m.positions;
        for (int f = 0; f < m.face_count(); ++f)
            s.faces.emplace_back(m.face_vertices(f), m.face_vertices(f) + m.face_size[f]);
        if (const twinel_class* t = pairings_->get_extend_object(&w_.shape())) {
            s.vertex_links = t->vertex_table.links;
            s.face_links = t->face_table.links;
        }
        return s;
    }

    // Pairs the mesh, in vertex selection and modify mode.
    void start() {
        w_.palette().set_value("do_adjust", 1.0f);
        record();
        press(half_ ? "make_twinel" : "twinel");
        w_.edit_vertices();
        record();
    }

    // One step of the session; `what` tells a failure where it happened.
    void step(std::string& what) {
        host::scene& scene = w_.scene();
        polygon_mesh_class& mesh = w_.mesh();
        const int nv = mesh.get_number_of_vertices(), nf = mesh.get_number_of_faces();
        const int op = draw_.below(12);
        what = "op " + std::to_string(op);
        if (op >= 9 && op <= 10) {
            const bool undo = op == 9 || draw_.chance(0.3);
            what = undo ? "undo" : "redo";
            if (undo ? scene.undo() : scene.redo()) {
                w_.palette().idle();
                const std::size_t d = scene.history().undo_count();
                ASSERT_LT(d, states_.size()) << what;
                EXPECT_TRUE(now() == states_[d]) << what << " to state " << d << " brought another mesh or pairing";
            }
            return;
        }
        switch (op) {
            case 0:
            case 1: {  // move a selected vertex, as the user drags it
                if (nv == 0) break;
                const int v = draw_.below(nv);
                w_.select_vertices({v});
                const vec3 p(draw_.lattice(0.125f, 12), draw_.lattice(0.125f, 12), draw_.lattice(0.125f, 12));
                host_edit([&] { mesh.vertex(v).set_position(p); });
                break;
            }
            case 2:
                host_edit([&] { mesh.append_vertex(vec3(draw_.lattice(0.25f, 8), draw_.lattice(0.25f, 8), 0.5f)); });
                break;
            case 3:
                if (nv > 3) host_edit([&] { remove(mesh, 1, draw_.below(nv)); });
                break;
            case 4:
                if (nf > 1) host_edit([&] { remove(mesh, 0, draw_.below(nf)); });
                break;
            case 5:
            case 6: {  // a tool with two selected vertices (often an edge's ends)
                if (nv < 2) break;
                int a = draw_.below(nv), b = draw_.below(nv);
                if (mesh.get_number_of_edges() > 0 && draw_.chance(0.7)) {
                    const edge_class& e = mesh.edge(draw_.below(mesh.get_number_of_edges()));
                    a = e.get_v0(), b = e.get_v1();
                }
                w_.select_vertices({a, b});
                const char* tools[] = {"Remove_edges", "Append_edge"};
                tool(tools[op - 5]);
                break;
            }
            case 7: {  // Sym_vertices or Paste_to_plane, from either place
                if (nv == 0) break;
                w_.select_vertices({draw_.below(nv)});
                const bool paste = draw_.chance(0.5);
                if (draw_.chance(0.5))
                    tool(paste ? "Paste_to_plane" : "Sym_vertices");
                else
                    toolbar(paste ? 5 : 4);
                break;
            }
            default:
                press("sym_vers");
                break;
        }
        w_.palette().idle();
        record();
    }

    // The pairing is released, or its tables describe the mesh: one entry
    // per vertex and per face, every paired vertex within the margin of its
    // partner's mirror, and every paired face's partner holding the face's
    // mirror list (partners, winding reversed) up to rotation.
    void expect_consistent(const std::string& what) {
        const twinel_class* t = pairing();
        if (!t) return;
        const host::mesh_data& m = w_.shape().data();
        ASSERT_EQ(t->vertex_table.size(), m.vertex_count()) << what;
        ASSERT_EQ(t->face_table.size(), m.face_count()) << what;
        for (int i = 0; i < m.vertex_count(); ++i) {
            const int j = t->vertex_table.partner(i);
            if (j < 0) continue;
            EXPECT_TRUE(t->is_sym(m.positions[static_cast<std::size_t>(i)], m.positions[static_cast<std::size_t>(j)]))
                << what << ": vertex " << i << " is not at the mirror of " << j;
        }
        for (int f = 0; f < m.face_count(); ++f) {
            const int g = t->face_table.partner(f);
            if (g < 0) continue;
            const int n = m.face_size[f];
            std::vector<int> mirror(static_cast<std::size_t>(n));
            for (int k = 0; k < n; ++k) mirror[static_cast<std::size_t>(n - 1 - k)] = t->vertex_table.partner(m.face_vertices(f)[k]);
            const std::vector<int> other(m.face_vertices(g), m.face_vertices(g) + m.face_size[g]);
            EXPECT_TRUE(same_cycle(mirror, other)) << what << ": face " << f << " and its partner " << g;
        }
    }

    // Undoes every step: the file's mesh comes back, without a pairing.
    void expect_undone_completely() {
        while (w_.scene().undo()) w_.palette().idle();
        const host::mesh_data& m = w_.shape().data();
        ASSERT_EQ(m.positions.size(), original_.size());
        EXPECT_EQ(std::memcmp(m.positions.data(), original_.data(), original_.size() * sizeof(vec3)), 0);
        EXPECT_TRUE(now().faces == original_faces_);
        EXPECT_EQ(pairing(), nullptr);
        EXPECT_FALSE(w_.paired(w_.shape()));
    }

private:
    static bool same_cycle(const std::vector<int>& a, const std::vector<int>& b) {
        if (a.size() != b.size()) return false;
        for (std::size_t r = 0; r < a.size(); ++r) {
            bool same = true;
            for (std::size_t k = 0; k < a.size() && same; ++k) same = a[(r + k) % a.size()] == b[k];
            if (same) return true;
        }
        return a.empty();
    }

    static void remove(polygon_mesh_class& mesh, int kind, int index) {
        if (kind == 1) {
            mesh.begin_removing_vertices();
            mesh.remove_vertex(index);
            mesh.end_removing_vertices();
        } else {
            mesh.begin_removing_faces();
            mesh.remove_face(index);
            mesh.end_removing_faces();
        }
    }

    // A host edit: one undo step, then the host's redraw in modify mode.
    template <class F>
    void host_edit(F&& edit) {
        {
            const host::undo_scope s(w_.scene());
            edit();
        }
        w_.app().after_user_edit(w_.shape());
    }

    void tool(const char* name) { host::run_modify_tool(w_.app(), name, w_.scene()); }
    void toolbar(int index) {
        w_.palette().refresh();
        try {
            w_.palette().press_toolbar(index);
        } catch (const host::palette_error&) {
        }
    }
    void press(const char* id) {
        w_.palette().refresh();
        try {
            w_.palette().press(id);
        } catch (const host::palette_error&) {
        }
    }

    // The state at the history's depth; the states of undone steps stay
    // while the history can redo them.
    void record() {
        const host::undo_stack& h = w_.scene().history();
        const std::size_t d = h.undo_count();
        states_.resize(d + 1 + h.redo_count());
        states_[d] = now();
    }

    random_draws draw_;
    bool half_ = false;
    window_fixture w_;
    const extend_class_container<twinel_class>* pairings_ = nullptr;
    std::vector<vec3> original_;
    std::vector<std::vector<int>> original_faces_;
    std::vector<state> states_;
};

TEST(undo_session, every_state_keeps_its_pairing_and_undoing_everything_gives_the_file_back) {
    for (unsigned seed = 1; seed <= 400; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        session s(seed);
        s.start();
        s.expect_consistent("after pairing");
        for (int k = 0; k < 40; ++k) {
            std::string what;
            s.step(what);
            s.expect_consistent("step " + std::to_string(k) + " (" + what + ")");
            if (::testing::Test::HasFailure()) return;
        }
        s.expect_undone_completely();
        if (::testing::Test::HasFailure()) return;
    }
}

}  // namespace
