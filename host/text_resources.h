// A plug-in's text resources as the reference host reads them: the KXUL
// files of one language folder of its resources (en/, ja/).
//
//   <kxul>
//     <text id="TEXT"> <entry key="product_name">twinel</entry> ... </text>
//     <strings id="TWINEL_STRINGS"> <string>No abnormal faces.</string> ... </strings>
//   </kxul>
//
// `text` tables map keys to texts (gettext); `strings` tables are indexed
// message tables.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace host {

class resource_files;

enum class language { english, japanese };

// "en" or "ja"; throws std::invalid_argument naming the value otherwise.
language parse_language(const std::string& code);
const char* language_folder(language lang);

class text_resources {
public:
    text_resources() = default;
    // Reads every *.kxul file of the language's folder, in the order of
    // their names. No such files give empty tables; a malformed file throws
    // host::file_error naming it and the line.
    text_resources(const resource_files& resources, language lang);
    // The same for the resource folder `resource_dir`.
    text_resources(const std::string& resource_dir, language lang);

    // The translation of `key`, or null when the language has none.
    const std::string* translate(const std::string& key) const;
    // A message table by name, compared without regard to case; null when absent.
    const std::vector<std::string>* table(const std::string& name) const;

private:
    std::map<std::string, std::string> texts_;
    std::map<std::string, std::vector<std::string>> tables_;  // keyed by lower-case name
};

}  // namespace host
