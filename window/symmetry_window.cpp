#include "window/symmetry_window.h"

#include "frame/globals.h"
#include "frame/identifiers.h"

symmetry_window::symmetry_window(korvo_interface& host) : host_(host) {
    hold_message_table(host_.get_string_table("twinel_strings"));
    CSym = nullptr;
}

symmetry_window::~symmetry_window() {
    if (Sym_W == this) Sym_W = nullptr;
}

kx::uuid_class symmetry_window::get_uuid() { return symmetry_window_uuid; }

int symmetry_window::get_korvo_version() { return kx::sdk::korvo_sdk_version; }
