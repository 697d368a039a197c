// The file dialog of the UV template export.
//
// Two forms: the window calls the one with the host on every platform. The
// four-parameter form is the native dialog and exists only where there is
// one, on Windows (common dialog library) and macOS (Cocoa panels); there
// the host form simply shows it. Elsewhere the plug-in has no dialog of its
// own, so the host form asks the host (korvo_interface::ask_file_path) and
// the host's first offered type is the one a saved path gets.
#pragma once

#include <string>

class korvo_interface;

// Asks the user for a file path, starting from `path`; `types` holds
// `type_count` file extensions without the point, the first preselected.
// Saving (`open` false): on OK `path` becomes the chosen file, with "." and
// the chosen type appended unless it already ends so. Opening: on OK `path`
// becomes the chosen file. Cancel (or a failing dialog) clears `path`.
// Returns whether a file was chosen. Blocks until the user answers.
bool filepath_dialog(korvo_interface& host, std::string& path, int type_count, const char** types,
                     bool open);

// (GNUSTEP: the Cocoa version compiled against GNUstep's headers, as a check.)
#if defined(_WIN32) || defined(__APPLE__) || defined(GNUSTEP)
// The native dialog, with the contract above.
bool filepath_dialog(std::string& path, int type_count, const char** types, bool open);
#endif
