#include "host/kxul_file.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include <boost/format.hpp>

#include "host/io/file_error.h"

namespace host {

bool same_name(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

const resource_file* find_kxul(const std::vector<resource_files>& resources, language lang, const std::string& name) {
    // A layout name is a plain name, never a path.
    if (name.empty() || name.find_first_of("/\\") != std::string::npos || name == "." || name == "..") return nullptr;
    const std::string wanted = name + ".kxul";
    const std::string folder = language_folder(lang);
    for (const resource_files& set : resources) {
        // In the order of names, so that two files differing only in case
        // resolve the same way on every system.
        for (const resource_file* file : set.in_folder(folder))
            if (same_name(file->relative.substr(folder.size() + 1), wanted)) return file;
    }
    return nullptr;
}

std::string find_kxul_file(const std::vector<std::string>& resource_dirs, language lang, const std::string& name) {
    std::vector<resource_files> sets;
    for (const std::string& dir : resource_dirs) sets.push_back(resource_files::read_folder(dir));
    const resource_file* file = find_kxul(sets, lang, name);
    return file ? file->name : std::string();
}

kxul_document::kxul_document(const std::string& path) : path_(path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw file_error(path, 0, "cannot be read");
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text_ = buffer.str();
    parse();
}

kxul_document::kxul_document(const resource_file& file) : path_(file.name), text_(file.bytes) { parse(); }

void kxul_document::parse() {
    for (std::size_t i = 0; i < text_.size(); ++i)
        if (text_[i] == '\n') line_ends_.push_back(static_cast<std::ptrdiff_t>(i));
    const pugi::xml_parse_result parsed = doc_.load_buffer(text_.data(), text_.size());
    if (!parsed) throw file_error(path_, line_at(parsed.offset), parsed.description());
    if (std::string(root().name()) != "kxul") throw file_error(path_, 0, "the root element is not <kxul>");
}

int kxul_document::line_at(std::ptrdiff_t offset) const {
    if (offset < 0) return 0;
    // The newlines before the offset, found in the list of them: every
    // element's line is asked for, so counting through the text each time
    // would take time quadratic in the file's size.
    const std::ptrdiff_t at = std::min<std::ptrdiff_t>(offset, static_cast<std::ptrdiff_t>(text_.size()));
    return static_cast<int>(std::lower_bound(line_ends_.begin(), line_ends_.end(), at) - line_ends_.begin()) + 1;
}

int kxul_document::line_of(const pugi::xml_node& node) const { return line_at(node.offset_debug()); }

void kxul_document::fail(const pugi::xml_node& node, const std::string& message) const {
    throw file_error(path_, line_of(node), message);
}

bool kxul_document::flag(const pugi::xml_node& node, const char* name, bool fallback) const {
    const pugi::xml_attribute a = node.attribute(name);
    if (!a) return fallback;
    const std::string v = a.value();
    if (v == "true") return true;
    if (v == "false") return false;
    fail(node, (boost::format("%s=\"%s\" is neither true nor false") % name % v).str());
}

namespace {

// Blank-separated numbers; false when a word is not a number of type T.
template <class T>
bool read_numbers(const std::string& text, std::vector<T>& out) {
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    std::string word;
    while (in >> word) {
        std::istringstream w(word);
        w.imbue(std::locale::classic());
        T v{};
        if (!(w >> v) || w.peek() != std::char_traits<char>::eof()) return false;
        out.push_back(v);
    }
    return true;
}

}  // namespace

int kxul_document::integer(const pugi::xml_node& node, const char* name, int fallback) const {
    if (!node.attribute(name)) return fallback;
    return integers(node, name, 1).front();
}

std::vector<int> kxul_document::integers(const pugi::xml_node& node, const char* name, std::size_t count) const {
    std::vector<int> out;
    const std::string v = node.attribute(name).value();
    if (!read_numbers(v, out) || out.size() != count)
        fail(node, (boost::format("%s=\"%s\" should be %i whole number(s)") % name % v % count).str());
    return out;
}

std::vector<float> kxul_document::reals(const pugi::xml_node& node, const char* name, std::size_t count) const {
    std::vector<float> out;
    const std::string v = node.attribute(name).value();
    if (!read_numbers(v, out) || out.size() != count)
        fail(node, (boost::format("%s=\"%s\" should be %i number(s)") % name % v % count).str());
    return out;
}

void kxul_document::only_attributes(const pugi::xml_node& node, const std::vector<std::string>& allowed) const {
    for (const pugi::xml_attribute& a : node.attributes())
        if (std::find(allowed.begin(), allowed.end(), a.name()) == allowed.end())
            fail(node, (boost::format("<%s> has no attribute \"%s\"") % node.name() % a.name()).str());
}

}  // namespace host
