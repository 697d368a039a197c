#include "window/toolbar_buttons.h"

void symmetry_window::modify_vertex_mode_button::clicked() { window_.modify_vertex(); }
void symmetry_window::renew_button::clicked() { window_.renew(); }
// The four editing buttons are the modify-mode tools: the same operations,
// followed by the same live symmetry (command).
void symmetry_window::remove_edge_button::clicked() { window_.command(0); }
void symmetry_window::append_edge_button::clicked() { window_.command(1); }
void symmetry_window::sym_vertices_button::clicked() { window_.command(2); }
void symmetry_window::paste_plane_button::clicked() { window_.command(3); }
