#include <windows.h>
// The common dialogs need the definitions of windows.h first.
#include <commdlg.h>

#include <cstring>

#include "uv/file_types.h"
#include "uv/filepath_dialog.h"

bool filepath_dialog(std::string& path, int type_count, const char** types, bool open) {
    // The dialog works in a buffer of MAX_PATH (260) characters. A starting
    // path that does not fit is not cut short into another path: the dialog
    // then starts without one.
    char buffer[MAX_PATH] = {};
    if (path.size() < sizeof buffer) std::memcpy(buffer, path.c_str(), path.size() + 1);

    const std::string filter = file_type_filter(type_count, types);
    OPENFILENAMEA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = GetActiveWindow();
    request.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = buffer;
    request.nMaxFile = sizeof buffer;
    request.Flags = 0;

    const BOOL chosen = open ? GetOpenFileNameA(&request) : GetSaveFileNameA(&request);
    if (!chosen) {
        path.clear();
        return false;
    }
    path = buffer;
    if (!open && types && type_count > 0) {
        // The type the user selected in the filter list (counted from 1).
        const DWORD index = request.nFilterIndex;
        const int type = index >= 1 && index <= static_cast<DWORD>(type_count) ? static_cast<int>(index) - 1 : 0;
        add_file_extension(path, types[type]);
    }
    return true;
}

bool filepath_dialog(korvo_interface&, std::string& path, int type_count, const char** types, bool open) {
    return filepath_dialog(path, type_count, types, open);
}
