#include "frame/sdk/korvo.h"
#include "uv/file_types.h"
#include "uv/filepath_dialog.h"

bool filepath_dialog(korvo_interface& host, std::string& path, int type_count, const char** types,
                     bool open) {
    const char* chosen = host.ask_file_path(path.c_str(), type_count, types, open);
    // An empty answer names no file: it counts as a cancel.
    if (!chosen || !*chosen) {
        path.clear();
        return false;
    }
    path = chosen;
    if (!open && types && type_count > 0) add_file_extension(path, types[0]);
    return true;
}
