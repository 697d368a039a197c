// The four modify-mode tools the plug-in registers with the host. They carry
// nothing but their reference count and reach the window to do their work.
#pragma once

#include "frame/sdk/modifier.h"
#include "frame/sdk/unknown.h"

// "Remove_edges": removes the selected edges. Its wireframe hook also tells
// the window which pairing the host is drawing.
class remove_edges_component : public kx::ref_counted<modifier_interface> {
public:
    // twinel_uuid.
    kx::uuid_class get_uuid() override;
    int get_korvo_version() override;
    // Runs the window operation of the tool (finding the window through the
    // scene when Sym_W is null; "Can't found Twinel!" without one); answers true.
    bool modify(scene_interface& scene) override;
    // On the host's first drawing pass (pass 0) sets CSym to the pairing
    // registered for `shape` (null when it has none); otherwise nothing.
    void make_wireframe(shape_class& shape, const mat4& matrix, int pass, int flags, void* reserved) override;
};

// "Append_edge": appends an edge between the two selected vertices.
class append_edge_component : public kx::ref_counted<modifier_interface> {
public:
    // append_edge_uuid.
    kx::uuid_class get_uuid() override;
    int get_korvo_version() override;
    // Runs the window operation of the tool (finding the window through the
    // scene when Sym_W is null; "Can't found Twinel!" without one); answers true.
    bool modify(scene_interface& scene) override;
};

// "Sym_vertices": symmetrizes the selected vertices.
class sym_vertices_component : public kx::ref_counted<modifier_interface> {
public:
    // sym_vertices_uuid.
    kx::uuid_class get_uuid() override;
    int get_korvo_version() override;
    // Runs the window operation of the tool (finding the window through the
    // scene when Sym_W is null; "Can't found Twinel!" without one); answers true.
    bool modify(scene_interface& scene) override;
};

// "Paste_to_plane": puts the selected vertices onto the symmetry plane.
class paste_to_plane_component : public kx::ref_counted<modifier_interface> {
public:
    // paste_to_plane_uuid.
    kx::uuid_class get_uuid() override;
    int get_korvo_version() override;
    // Runs the window operation of the tool (finding the window through the
    // scene when Sym_W is null; "Can't found Twinel!" without one); answers true.
    bool modify(scene_interface& scene) override;
};
