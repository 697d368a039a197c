#include "frame/globals.h"

#include "frame/sdk/korvo.h"

extern "C" {
TWINEL_EXPORT extern const char* const extention_list[5] = {"png", "bmp", "pct", "tga", "psd"};
TWINEL_EXPORT twinel_class* CSym = nullptr;
TWINEL_EXPORT symmetry_window* Sym_W = nullptr;
TWINEL_EXPORT extend_class_container<twinel_class> SymS;
TWINEL_EXPORT mark_elements Mark;
TWINEL_EXPORT string_table_interface* twinel_string = nullptr;
}

void hold_message_table(string_table_interface* table) {
    string_table_interface* old = twinel_string;
    twinel_string = table;
    if (old) old->Release();
}

namespace {

// Runs when the library is unloaded (it holds no state): gives the message
// table back to the host. SymS discards its pairings in its own destructor.
struct unload_hook {
    ~unload_hook() { hold_message_table(nullptr); }
};
const unload_hook on_unload;

}  // namespace
