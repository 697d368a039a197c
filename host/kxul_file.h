// KXUL resource files of plug-ins: where the host finds a named layout and
// how it reads one, with file and line in every error.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "host/resource_files.h"
#include "host/text_resources.h"

namespace host {

// The file "<name>.kxul" of the language's folder, the name compared
// without regard to case (the first in the order of names where several
// match), from the first of `resources` that has one. Null when none has
// it, or when `name` is not a plain file name.
const resource_file* find_kxul(const std::vector<resource_files>& resources, language lang, const std::string& name);

// The same from resource folders: the path of the file, empty when none.
std::string find_kxul_file(const std::vector<std::string>& resource_dirs, language lang, const std::string& name);

// Whether two names are equal without regard to (ASCII) case.
bool same_name(const std::string& a, const std::string& b);

// A parsed KXUL file.
class kxul_document {
public:
    // Reads and parses `path`; throws host::file_error (with the line of a
    // syntax error) when it cannot, or when its root is not <kxul>.
    explicit kxul_document(const std::string& path);
    // Parses a resource file, named in errors by its name.
    explicit kxul_document(const resource_file& file);
    kxul_document(const kxul_document&) = delete;
    kxul_document& operator=(const kxul_document&) = delete;

    pugi::xml_node root() const { return doc_.document_element(); }
    const std::string& path() const { return path_; }  // or the resource's name
    // 1-based line of a node in the file.
    int line_of(const pugi::xml_node& node) const;
    // Throws host::file_error naming the file and the node's line.
    [[noreturn]] void fail(const pugi::xml_node& node, const std::string& message) const;

    // Attribute readers: the value, or `fallback` when the attribute is
    // absent; a value of the wrong form fails at the node.
    bool flag(const pugi::xml_node& node, const char* name, bool fallback) const;
    int integer(const pugi::xml_node& node, const char* name, int fallback) const;
    // Exactly `count` numbers separated by blanks.
    std::vector<int> integers(const pugi::xml_node& node, const char* name, std::size_t count) const;
    std::vector<float> reals(const pugi::xml_node& node, const char* name, std::size_t count) const;
    // Fails when the node carries an attribute not in `allowed`.
    void only_attributes(const pugi::xml_node& node, const std::vector<std::string>& allowed) const;

private:
    void parse();
    int line_at(std::ptrdiff_t offset) const;

    std::string path_;
    std::string text_;
    std::vector<std::ptrdiff_t> line_ends_;  // offsets of the newlines, ascending
    pugi::xml_document doc_;
};

}  // namespace host
