// Texts the command prints: the plug-in's numbered messages, gettext'd
// texts, and the command's own lines in the chosen language.
#pragma once

#include <string>

#include <boost/format.hpp>

#include "host/application.h"

namespace cli {

// Entry `index` of the plug-in's message table in the application's
// language; empty when the table or the entry is missing.
std::string table_text(host::application& app, int index);

// The command's own line `english` in the application's language.
std::string own_text(const host::application& app, const std::string& english);
std::string own_text(host::language lang, const std::string& english);

// Fills printf-style directives of `text` with the arguments.
template <class... Args>
std::string format(const std::string& text, const Args&... args) {
    boost::format f(text);
    (void)(f % ... % args);
    return f.str();
}

}  // namespace cli
