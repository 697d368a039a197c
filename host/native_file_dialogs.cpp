#include "host/native_file_dialogs.h"

#ifdef _WIN32
#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "host/windows_api.h"
// The common dialogs need the definitions of windows.h first.
#include <commdlg.h>

#include "frame/sdk/korvo.h"
#endif

namespace host {

#ifdef _WIN32
namespace {

// The host the dialogs ask. The patched imports are the process's, and the
// dialogs pass their callers nothing to find a host by.
std::atomic<korvo_interface*> answering{nullptr};

// The extensions of a common-dialog filter: pairs of NUL-ended label and
// pattern ("*.png"), ended by an empty label.
std::vector<std::string> filter_types(const char* filter) {
    std::vector<std::string> types;
    for (const char* p = filter; p && *p;) {
        p += std::strlen(p) + 1;
        std::string pattern = p;
        p += pattern.size() + 1;
        types.push_back(pattern.rfind("*.", 0) == 0 ? pattern.substr(2) : pattern);
    }
    return types;
}

BOOL answer(OPENFILENAMEA* request, bool open) {
    korvo_interface* host = answering.load();
    if (!host || !request || !request->lpstrFile || request->nMaxFile == 0) return FALSE;
    const std::vector<std::string> types = filter_types(request->lpstrFilter);
    std::vector<const char*> names;
    for (const std::string& t : types) names.push_back(t.c_str());
    try {
        const char* chosen = host->ask_file_path(request->lpstrFile, static_cast<int>(names.size()),
                                                 names.empty() ? nullptr : names.data(), open);
        // An empty answer names no file, a cancel; so does one that does
        // not fit the dialog's buffer, as the common dialog refuses it.
        if (!chosen || !*chosen || std::strlen(chosen) >= request->nMaxFile) return FALSE;
        std::strcpy(request->lpstrFile, chosen);
        return TRUE;
    } catch (...) {
        // No exception crosses into the plug-in: a refused answer is a
        // cancel to it, and the host has recorded the refusal.
        return FALSE;
    }
}

BOOL WINAPI answer_open(OPENFILENAMEA* request) { return answer(request, true); }
BOOL WINAPI answer_save(OPENFILENAMEA* request) { return answer(request, false); }

// Points `module`'s import of `dll`!`function` at `replacement`.
void patch_import(HMODULE module, const char* dll, const char* function, void* replacement) {
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
        if (_stricmp(reinterpret_cast<const char*>(base + d->Name), dll) != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + (d->OriginalFirstThunk ? d->OriginalFirstThunk
                                                                                         : d->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* by_name = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), function) != 0) continue;
            DWORD was = 0;
            if (!::VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &was)) return;
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            ::VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, was, &was);
        }
    }
}

}  // namespace

void answer_file_dialogs(void* library, korvo_interface& host) {
    answering = &host;
    const HMODULE module = library ? static_cast<HMODULE>(library) : ::GetModuleHandleW(nullptr);
    patch_import(module, "comdlg32.dll", "GetOpenFileNameA", reinterpret_cast<void*>(answer_open));
    patch_import(module, "comdlg32.dll", "GetSaveFileNameA", reinterpret_cast<void*>(answer_save));
}

void stop_answering_file_dialogs(korvo_interface& host) {
    korvo_interface* expected = &host;
    answering.compare_exchange_strong(expected, nullptr);
}
#else
void answer_file_dialogs(void*, korvo_interface&) {}
void stop_answering_file_dialogs(korvo_interface&) {}
#endif

}  // namespace host
