// Modal dialogs built from a plug-in's KXUL layout.
#pragma once

#include "math.h"
#include "unknown.h"

class dialog_interface;

// Callbacks of a dialog, implemented by the plug-in.
class dialog_handler {
public:
    // The dialog opens: move the plug-in's values into its items.
    virtual void load_dialog_data(dialog_interface& dialog) = 0;
    // An item was used; answers whether the plug-in handled it.
    virtual bool respond(dialog_interface& dialog, int item, int action) = 0;
    // The dialog's values are accepted: read them back.
    virtual void save_dialog_data(dialog_interface& dialog) = 0;
    // The dialog closes with `code` (2 is cancel); answers the close code.
    virtual int terminate(dialog_interface& dialog, int code) = 0;

protected:
    ~dialog_handler() = default;
};

// Item values by id. Selections are zero-based item indices.
class dialog_interface : public unknown_interface {
public:
    // Runs the dialog modally; returns the close code (2 is cancel).
    virtual int run() = 0;

    virtual int get_int(int id) = 0;
    virtual void set_int(int id, int value) = 0;
    virtual int get_selection(int id) = 0;
    virtual void set_selection(int id, int index) = 0;
    virtual bool get_bool(int id) = 0;
    virtual void set_bool(int id, bool value) = 0;
    virtual vec3 get_rgb(int id) = 0;
    virtual void set_rgb(int id, const vec3& value) = 0;
    // Owned by the dialog; valid until the item changes.
    virtual const char* get_string(int id) = 0;
    virtual void set_string(int id, const char* value) = 0;
};
