// The plug-in loaded into a reference host with one mesh, its window open
// in a palette and past its start countdown: what the user sees when the
// palette is ready.
//
//   window_fixture w(twinel_test::symmetric_mesh());
//   w.palette().press("twinel");
//   w.palette().refresh();
#pragma once

#include <string>
#include <vector>

#include "frame/identifiers.h"
#include "host/palette.h"
#include "tests/common/mesh_builder.h"

namespace twinel_test {

class window_fixture {
public:
    explicit window_fixture(const mesh_lists& lists, host::language lang = host::language::english)
        : t_(lang) {
        shape_ = &add_mesh(t_.scene(), lists);
        select(*shape_);
        t_.scene().clear_history();
        app().load_plugin(TWINEL_PLUGIN_PATH);
        palette_ = &app().open_palette();
        // The first idle call sees the palette shown and takes the active
        // mesh; refreshes wait for the start countdown.
        palette_->idle(300);
        palette_->refresh();
    }

    host::application& app() { return t_.app(); }
    host::scene& scene() { return t_.scene(); }
    host::mesh_shape& shape() { return *shape_; }
    polygon_mesh_class& mesh() { return shape_->polygon(); }
    host::palette& palette() { return *palette_; }

    // Makes `s` the one active shape and lets the window see it.
    void select(shape_class& s) {
        shape_class* list = &s;
        t_.scene().set_active_shapes(1, &list);
    }
    // Makes exactly the listed vertices of the mesh selected.
    void select_vertices(const std::vector<int>& vertices) {
        polygon_mesh_class& m = mesh();
        for (int v = 0; v < m.get_number_of_vertices(); ++v) m.vertex(v).set_active(false);
        for (int v : vertices) m.vertex(v).set_active(true);
    }
    // Vertex selection in modify mode, as the user edits a mesh.
    void edit_vertices() {
        scene().set_selection_mode(kx::sdk::vertex_selection);
        scene().enter_modify_mode();
        palette_->idle();
    }
    bool paired(const shape_class& s) const { return s.find_attribute(twinel_uuid); }
    // Whether the message window holds exactly this line.
    bool said(const std::string& line) {
        for (const std::string& l : app().message_lines())
            if (l == line) return true;
        return false;
    }
    // The edge joining a and b (either direction), or -1.
    int edge_between(int a, int b) {
        polygon_mesh_class& m = mesh();
        for (int e = 0; e < m.get_number_of_edges(); ++e) {
            const int v0 = m.edge(e).get_v0(), v1 = m.edge(e).get_v1();
            if ((v0 == a && v1 == b) || (v0 == b && v1 == a)) return e;
        }
        return -1;
    }

private:
    test_scene t_;
    host::mesh_shape* shape_ = nullptr;
    host::palette* palette_ = nullptr;
};

}  // namespace twinel_test
