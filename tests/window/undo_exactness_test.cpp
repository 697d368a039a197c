// Every undoable operation of the plug-in, run through the reference host as
// a user runs it (palette buttons, toolbar buttons, modify-mode tools), on
// meshes in the states where each has work to do: undo must give back the
// mesh bit for bit (positions, indices, both UV sets, selection), and redo
// the mesh the operation made.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "host/modify_tools.h"
#include "tests/window/window_fixture.h"

namespace {

using twinel_test::identical;
using twinel_test::mesh_lists;
using twinel_test::window_fixture;

// ---- meshes in the states the operations act on ------------------------------

// The symmetric strip with its negative side moved a little, and UVs that
// no longer mirror, so pairing, mirroring and UV symmetry all move something.
mesh_lists jittered_strip() {
    mesh_lists m = twinel_test::jittered(twinel_test::symmetric_mesh(), 0.01f, 3);
    for (auto& face : m.uvs)
        for (vec2& uv : face) uv.y += 0.01f * uv.x;
    return m;
}

// The strip with one vertex of the positive side pushed away: it and its
// old partner stay unpaired.
mesh_lists pushed_strip() {
    mesh_lists m = twinel_test::symmetric_mesh();
    for (vec3& p : m.positions)
        if (p.x > 1.5f && p.y < 0.5f) p.x += 0.4f;
    return m;
}

// The strip with one more face on the positive side only: every vertex
// pairs, that face does not.
mesh_lists strip_with_lone_face() {
    mesh_lists m = twinel_test::symmetric_mesh();
    const auto at = [&](float x, float y) {
        for (std::size_t v = 0; v < m.positions.size(); ++v)
            if (m.positions[v].x == x && m.positions[v].y == y) return static_cast<int>(v);
        return -1;
    };
    m.faces.push_back({at(1, 0), at(2, 0), at(2, 2)});
    m.uvs.clear();
    return m;
}

// The strip with one of each fault the Repair page handles: a duplicated
// vertex in use, a face given twice, a face of two corners, a pentagon,
// a face wound the other way.
mesh_lists broken_strip() {
    mesh_lists m = twinel_test::symmetric_mesh();
    m.uvs.clear();
    m.positions.push_back(m.positions[0]);
    const int twin = static_cast<int>(m.positions.size()) - 1;
    m.faces.push_back({twin, 5, 6});
    m.faces.push_back(m.faces[2]);
    m.faces.push_back({3, 4});
    m.faces.push_back({0, 1, 2, 7, 6});
    std::vector<int> reversed(m.faces[1].rbegin(), m.faces[1].rend());
    m.faces[1] = reversed;
    return m;
}

struct state {
    const char* name;
    std::function<mesh_lists()> mesh;
    const char* pair_with;  // "twinel", "make_twinel" or null: pressed before the operation
};

const state states[] = {
    {"jittered", jittered_strip, nullptr},
    {"paired", jittered_strip, "twinel"},
    {"unpaired vertices", pushed_strip, "twinel"},
    {"unpaired face", strip_with_lone_face, "twinel"},
    {"half", twinel_test::half_mesh, nullptr},
    {"made from the half", twinel_test::half_mesh, "make_twinel"},
    {"broken", broken_strip, nullptr},
};

// Selections the operations read: vertices (modify mode), edges, faces.
enum class selection { vertices, edges, faces };

void prepare(window_fixture& w, const state& s, selection sel) {
    host::palette& p = w.palette();
    p.set_value("do_symUV", 1);
    for (const char* flag : {"reduc-verti-flag", "make-edges-flag", "face-invalid-flag", "face-overlaped-flag",
                             "face-triplet-flag", "face-over4-flag", "face-norm-flag"})
        p.set_value(flag, 1);
    p.refresh();
    if (s.pair_with) p.press(s.pair_with);
    p.refresh();
    polygon_mesh_class& m = w.mesh();
    // Work for the UV mirroring of a pairing and for remaking the edges.
    for (int f = 0; f < m.get_number_of_faces(); f += 3) {
        face_class& face = m.face(f);
        if (!face.has_uv()) continue;
        std::vector<vec2> uv(static_cast<std::size_t>(face.get_number_of_vertices()));
        face.get_parameter_uv(uv.data());
        for (vec2& c : uv) c = c + vec2(0.03f, 0.01f);
        face.set_parameter_uv(uv.data());
        face.set_distance_uv(uv.data());
    }
    if (!s.pair_with && m.get_number_of_edges() > 0) m.remove_edge(0);
    switch (sel) {
        case selection::vertices:
            w.edit_vertices();
            // Two vertices for an edge between them; one of them, paired,
            // moved by hand for the mirroring operations.
            w.select_vertices({0, 4});
            m.vertex(4).set_position(m.vertex(4).get_position() + vec3(0.05f, 0.02f, 0.0f));
            break;
        case selection::edges:
            w.scene().set_selection_mode(kx::sdk::edge_selection);
            w.scene().enter_modify_mode();
            p.idle();
            for (int e = 0; e < m.get_number_of_edges(); e += 5) m.edge(e).set_active(true);
            break;
        case selection::faces:
            w.scene().set_selection_mode(kx::sdk::face_selection);
            w.scene().enter_modify_mode();
            p.idle();
            for (int f = 0; f < m.get_number_of_faces(); f += 2) m.face(f).set_active(true);
            break;
    }
    // The workflow pages start from an unpaired element.
    p.refresh();
    for (const char* step : {"next_u_vertex", "next_p_vertex", "next_u_face", "next_p_face"}) {
        if (p.control(step).enabled && p.control(step).shown) p.press(step);
        p.refresh();
    }
    w.scene().clear_history();
}

// Every palette button the window answers.
const char* const buttons[] = {
    "twinel", "make_twinel", "sym_ver", "sym_vers", "sym_uvk", "sym_uva", "set_margin", "set_r_margin",
    "master-repair", "reduc-verti", "make-edges", "face-norm", "face-invalid", "face-overlaped", "face-triplet",
    "next-tri-face", "face-over4t", "next_u_vertex", "next_p_vertex", "v_link", "v_append", "v_remove",
    "next_u_face", "next_p_face", "f_link", "f_append", "f_remove", "remake_v_link", "remake_f_link"};

struct operation {
    std::string name;
    std::function<void(window_fixture&)> run;
};

std::vector<operation> operations() {
    std::vector<operation> out;
    for (const char* id : buttons)
        out.push_back({id, [id](window_fixture& w) { w.palette().press(id); }});
    for (int k = 0; k < 6; ++k)
        out.push_back({"toolbar " + std::to_string(k), [k](window_fixture& w) { w.palette().press_toolbar(k); }});
    for (const char* tool : {"Remove_edges", "Append_edge", "Sym_vertices", "Paste_to_plane"})
        out.push_back({tool, [tool](window_fixture& w) { host::run_modify_tool(w.app(), tool, w.scene()); }});
    return out;
}

}  // namespace

TEST(undo_exactness, every_operation_undoes_and_redoes_bit_for_bit) {
    std::set<std::string> changed;
    int runs = 0;
    for (const state& s : states) {
        for (selection sel : {selection::vertices, selection::edges, selection::faces}) {
            for (const operation& op : operations()) {
                window_fixture w(s.mesh());
                prepare(w, s, sel);
                const std::string context =
                    op.name + " on " + s.name + ", selection " + std::to_string(static_cast<int>(sel));
                const host::mesh_data before = w.shape().data();
                try {
                    op.run(w);
                } catch (const host::palette_error&) {
                    continue;  // a disabled or hidden control: nothing a user could press
                }
                ++runs;
                const host::mesh_data after = w.shape().data();
                if (identical(before, after)) continue;
                changed.insert(op.name);
                ASSERT_TRUE(w.scene().can_undo()) << context << " changed the mesh outside an undo step";
                ASSERT_TRUE(w.scene().undo()) << context;
                ASSERT_TRUE(identical(w.shape().data(), before)) << context << ": undo";
                ASSERT_TRUE(w.scene().redo()) << context;
                ASSERT_TRUE(identical(w.shape().data(), after)) << context << ": redo";
                ASSERT_TRUE(w.scene().undo()) << context;
                ASSERT_TRUE(identical(w.shape().data(), before)) << context << ": second undo";
                EXPECT_FALSE(w.scene().can_undo()) << context << " made more than one step";
            }
        }
    }
    // The operations that edit meshes all had something to do somewhere.
    for (const char* id : {"twinel", "make_twinel", "sym_ver", "sym_vers", "sym_uvk", "sym_uva", "master-repair",
                           "reduc-verti", "make-edges", "face-norm", "face-invalid", "v_append", "v_remove",
                           "f_append", "f_remove", "toolbar 2", "toolbar 3", "toolbar 4", "toolbar 5",
                           "Remove_edges", "Append_edge", "Sym_vertices", "Paste_to_plane"})
        EXPECT_TRUE(changed.count(id)) << id << " changed no mesh";
    std::string list;
    for (const std::string& name : changed) list += " " + name;
    std::printf("undo_exactness: %d runs; operations that changed a mesh:%s\n", runs, list.c_str());
}
