// The six icon buttons at the top of the symmetry window: vertex modify
// mode, renew, and the four modify-mode operations.
#pragma once

#include "window/symmetry_window.h"

// What every toolbar button shares: the window it works for and whether a
// click is one undo step.
class toolbar_button_base : public window_interface::push_button_class {
public:
    toolbar_button_base(symmetry_window& window, bool undoable) : window_(window), undoable_(undoable) {}
    bool undoable() override { return undoable_; }

protected:
    symmetry_window& window_;

private:
    bool undoable_;
};

// Switches the scene to vertex selection in modify mode (modify_vertex).
class symmetry_window::modify_vertex_mode_button : public toolbar_button_base {
public:
    explicit modify_vertex_mode_button(symmetry_window& w) : toolbar_button_base(w, false) {}
    void clicked() override;
};

// Re-reads the scene (renew).
class symmetry_window::renew_button : public toolbar_button_base {
public:
    explicit renew_button(symmetry_window& w) : toolbar_button_base(w, false) {}
    void clicked() override;
};

// Removes the selected edges (and their mirror edges with a pairing).
class symmetry_window::remove_edge_button : public toolbar_button_base {
public:
    explicit remove_edge_button(symmetry_window& w) : toolbar_button_base(w, true) {}
    void clicked() override;
};

// Appends an edge between the two selected vertices.
class symmetry_window::append_edge_button : public toolbar_button_base {
public:
    explicit append_edge_button(symmetry_window& w) : toolbar_button_base(w, true) {}
    void clicked() override;
};

// Symmetrizes the selected vertices, or a line or surface.
class symmetry_window::sym_vertices_button : public toolbar_button_base {
public:
    explicit sym_vertices_button(symmetry_window& w) : toolbar_button_base(w, true) {}
    void clicked() override;
};

// Puts the selected vertices onto the symmetry plane.
class symmetry_window::paste_plane_button : public toolbar_button_base {
public:
    explicit paste_plane_button(symmetry_window& w) : toolbar_button_base(w, true) {}
    void clicked() override;
};
