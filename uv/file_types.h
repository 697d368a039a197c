// File types offered by the file dialogs of the UV template export: the
// filter list of the Windows dialogs and the extension a saved path gets.
// Types are file extensions without the point ("png").
#pragma once

#include <string>

// The filter of the Windows common dialogs for `types` (`type_count`
// entries; a null entry counts as an empty extension): for each type the
// description "<type> file" and the pattern "*.<type>", each ended by a NUL
// character, and one more NUL at the end. Empty when there is no type.
std::string file_type_filter(int type_count, const char* const* types);

// Appends "." and `type` to `path` unless the path already ends with that
// extension (letters compared without regard to case). An empty path, and a
// null or empty type, leave the path as it is.
void add_file_extension(std::string& path, const char* type);
