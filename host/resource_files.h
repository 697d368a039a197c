// A plug-in's resource files as the host holds them once the plug-in is
// loaded: the layouts and texts of each language (en/<name>.kxul,
// ja/<name>.kxul) and the toolbar images (images/<name>.tga), by their path
// relative to the resource folder. On Linux they are read from the folder
// "resources" beside the library; a Windows DLL carries them inside, and
// they are read from its resource section.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace host {

struct resource_file {
    std::string relative;  // "en/window.kxul"
    std::string name;      // what messages call it: its path, or the DLL's and the resource's
    std::string bytes;
};

class resource_files {
public:
    resource_files() = default;
    explicit resource_files(std::string origin) : origin_(std::move(origin)) {}

    // The regular files of `dir`'s folders en/, ja/ and images/, read now;
    // a missing folder holds none. Each is named by its path.
    static resource_files read_folder(const std::string& dir);

    // Adds (or replaces) the file at `relative`.
    void add(resource_file file);
    // The file at `relative`, or null.
    const resource_file* find(const std::string& relative) const;
    // The files directly in `folder` ("en", "ja", "images"), sorted by
    // their relative paths.
    std::vector<const resource_file*> in_folder(const std::string& folder) const;

    // Where the files came from: the folder, or the library.
    const std::string& origin() const { return origin_; }

private:
    std::map<std::string, resource_file> files_;  // by relative path
    std::string origin_;
};

}  // namespace host
