#include "uv/file_types.h"

#include <cctype>

std::string file_type_filter(int type_count, const char* const* types) {
    std::string filter;
    if (!types || type_count <= 0) return filter;
    for (int i = 0; i < type_count; ++i) {
        const std::string type = types[i] ? types[i] : "";
        filter += type + " file";
        filter += '\0';
        filter += "*." + type;
        filter += '\0';
    }
    filter += '\0';
    return filter;
}

void add_file_extension(std::string& path, const char* type) {
    if (path.empty() || !type || !*type) return;
    const std::string ending = std::string(".") + type;
    if (path.size() >= ending.size()) {
        const char* tail = path.c_str() + (path.size() - ending.size());
        bool same = true;
        for (std::size_t i = 0; same && i < ending.size(); ++i)
            same = std::tolower(static_cast<unsigned char>(tail[i])) ==
                   std::tolower(static_cast<unsigned char>(ending[i]));
        if (same) return;
    }
    path += ending;
}
