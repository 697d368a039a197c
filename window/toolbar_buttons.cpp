#include "window/toolbar_buttons.h"

void symmetry_window::modify_vertex_mode_button::clicked() { window_.modify_vertex(); }
void symmetry_window::renew_button::clicked() { window_.renew(); }
void symmetry_window::remove_edge_button::clicked() { window_.remove_edges(); }
void symmetry_window::append_edge_button::clicked() { window_.append_edge(); }
void symmetry_window::sym_vertices_button::clicked() { window_.sym_vertices(); }
void symmetry_window::paste_plane_button::clicked() { window_.paste_to_plane(); }
