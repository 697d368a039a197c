#include "host/text_resources.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <stdexcept>

#include <pugixml.hpp>

namespace host {
namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// 1-based line of a byte offset in a file, for error messages.
int line_of_offset(const std::filesystem::path& file, std::ptrdiff_t offset) {
    FILE* f = std::fopen(file.string().c_str(), "rb");
    if (!f) return 0;
    int line = 1;
    for (std::ptrdiff_t i = 0; i < offset; ++i) {
        const int c = std::fgetc(f);
        if (c == EOF) break;
        if (c == '\n') ++line;
    }
    std::fclose(f);
    return line;
}

}  // namespace

language parse_language(const std::string& code) {
    if (code == "en") return language::english;
    if (code == "ja") return language::japanese;
    throw std::invalid_argument("unknown language '" + code + "' (expected en or ja)");
}

const char* language_folder(language lang) { return lang == language::japanese ? "ja" : "en"; }

text_resources::text_resources(const std::string& resource_dir, language lang) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(resource_dir) / language_folder(lang);
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir, ec))
        if (entry.path().extension() == ".kxul") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        pugi::xml_document doc;
        const pugi::xml_parse_result parsed = doc.load_file(file.string().c_str());
        if (!parsed)
            throw std::runtime_error(file.string() + ":" + std::to_string(line_of_offset(file, parsed.offset)) +
                                     ": " + parsed.description());
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
