// The data the library exports to the host, under unmangled names. They live
// as long as the library and are touched only on the host's user-interface
// thread.
#pragma once

#include "frame/export.h"
#include "frame/extend_class_container.h"
#include "mesh/mark_elements.h"

class twinel_class;
class symmetry_window;
class string_table_interface;

extern "C" {
// Extensions of the UV template image, indexed by the dialog's file type.
TWINEL_EXPORT extern const char* const extention_list[5];
// The pairing of the shape the host is drawing in modify mode, or null; the
// window's next idle call consumes and clears it.
TWINEL_EXPORT extern twinel_class* CSym;
// The symmetry window as the modifier components found it, or null.
TWINEL_EXPORT extern symmetry_window* Sym_W;
// Every pairing, keyed by its shape; owns them.
TWINEL_EXPORT extern extend_class_container<twinel_class> SymS;
// The element-mark request record; its component is null until the window
// finds the host's element-mark component.
TWINEL_EXPORT extern mark_elements Mark;
// The message table "twinel_strings" (a counted reference), or null.
TWINEL_EXPORT extern string_table_interface* twinel_string;
}

// Makes `table` (a counted reference, may be null) the held message table.
// A different table held before is released; when the host handed out the
// table already held, the extra reference is released so exactly one is held.
void hold_message_table(string_table_interface* table);
