#include "host/text_resources.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include <pugixml.hpp>

#include "host/io/file_error.h"
#include "host/resource_files.h"

namespace host {
namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// 1-based line of a byte offset in a text, for error messages.
int line_of_offset(const std::string& text, std::ptrdiff_t offset) {
    const std::ptrdiff_t end = std::min<std::ptrdiff_t>(std::max<std::ptrdiff_t>(offset, 0), static_cast<std::ptrdiff_t>(text.size()));
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + end, '\n'));
}

}  // namespace

language parse_language(const std::string& code) {
    if (code == "en") return language::english;
    if (code == "ja") return language::japanese;
    throw std::invalid_argument("unknown language '" + code + "' (expected en or ja)");
}

const char* language_folder(language lang) { return lang == language::japanese ? "ja" : "en"; }

text_resources::text_resources(const std::string& resource_dir, language lang)
    : text_resources(resource_files::read_folder(resource_dir), lang) {}

text_resources::text_resources(const resource_files& resources, language lang) {
    for (const resource_file* file : resources.in_folder(language_folder(lang))) {
        const std::string& name = file->relative;
        if (name.size() < 5 || name.compare(name.size() - 5, 5, ".kxul") != 0) continue;
        pugi::xml_document doc;
        const pugi::xml_parse_result parsed = doc.load_buffer(file->bytes.data(), file->bytes.size());
        if (!parsed)
            throw file_error(file->name, line_of_offset(file->bytes, parsed.offset), parsed.description());
        for (pugi::xml_node node : doc.child("kxul").children("text"))
            for (pugi::xml_node entry : node.children("entry"))
                texts_[entry.attribute("key").as_string()] = entry.text().as_string();
        for (pugi::xml_node node : doc.child("kxul").children("strings")) {
            std::vector<std::string>& table = tables_[lower(node.attribute("id").as_string())];
            table.clear();
            for (pugi::xml_node s : node.children("string")) table.emplace_back(s.text().as_string());
        }
    }
}

const std::string* text_resources::translate(const std::string& key) const {
    const auto it = texts_.find(key);
    return it == texts_.end() ? nullptr : &it->second;
}

const std::vector<std::string>* text_resources::table(const std::string& name) const {
    const auto it = tables_.find(lower(name));
    return it == tables_.end() ? nullptr : &it->second;
}

}  // namespace host
