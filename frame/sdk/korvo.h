// The root interface the host hands to every plug-in call.
#pragma once

#include "unknown.h"
#include "uuid.h"

class scene_interface;
class dialog_interface;
class dialog_handler;
class image_interface;
class plugin_interface;

// An indexed table of message texts.
class string_table_interface : public unknown_interface {
public:
    virtual int size() = 0;
    // Text at a zero-based index; null when out of range. Owned by the table.
    virtual const char* get(int index) = 0;
};

class korvo_interface {
public:
    // The current scene as a counted reference, or null when there is none.
    virtual scene_interface* get_scene() = 0;

    // Translation of `key` in the host's language, or the key itself when the
    // language has none. Never null; the text is owned by the host and stays
    // valid as long as the host runs.
    virtual const char* gettext(const char* key) = 0;

    // A plug-in's string table by resource name (counted), or null.
    virtual string_table_interface* get_string_table(const char* name) = 0;

    // A plug-in interface or window registered under `id`, or null. Borrowed:
    // the caller does not release it.
    virtual plugin_interface* find_plugin_interface(const kx::uuid_class& id) = 0;

    // A new dialog (counted) that shows the KXUL layout `layout` of the
    // plug-in identified by `id` and calls `handler` back. Null when the
    // layout cannot be loaded.
    virtual dialog_interface* create_dialog_interface(const kx::uuid_class& id, const char* layout,
                                                      dialog_handler* handler) = 0;

    // An image from the plug-in's image resource `name` (counted), or null.
    virtual image_interface* create_image_interface(const char* name) = 0;
    // A new blank image of the given size (counted), or null.
    virtual image_interface* create_image_interface(int width, int height) = 0;

    // Shows `text` in the message window. With `question` the host asks yes
    // or no and returns true on yes; without it the result is true.
    virtual bool show_message(const char* text, bool question) = 0;
    // Appends one line to the message window.
    virtual void message(const char* line) = 0;

    // Asks the user for a file path on a system without a native file
    // dialog (the Windows and macOS builds show their own and never call
    // this; hosts there need not have it). `types` holds `type_count` file
    // extensions without the point, offered in order; `current` is the path
    // to start from (may be null); `open` picks an existing file, otherwise
    // a file to save to. Returns the chosen path, owned by the host and
    // valid until the next call, or null when the user cancelled. A host
    // without the service answers null.
    virtual const char* ask_file_path(const char* current, int type_count, const char* const* types,
                                      bool open) {
        (void)current, (void)type_count, (void)types, (void)open;
        return nullptr;
    }

protected:
    ~korvo_interface() = default;
};
