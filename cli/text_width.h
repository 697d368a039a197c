// Lining up columns of text by how wide it shows on a terminal, not by its
// bytes: a Japanese label takes two columns a character, a UTF-8 accent
// none.
#pragma once

#include <string>
#include <vector>

namespace cli {

// The number of terminal columns `text` (UTF-8) takes: 2 for each East
// Asian wide or full-width character, 0 for combining marks and other
// zero-width characters, 1 for everything else (a malformed byte counts
// as one column).
int display_width(const std::string& text);

// `text` followed by as many spaces as it takes to fill `width` columns;
// `text` as it is when it is already that wide or wider.
std::string pad_to_width(const std::string& text, int width);

// As many spaces before `text` as it takes to fill `width` columns, for
// numbers aligned on the right.
std::string pad_left_to_width(const std::string& text, int width);

// The rows of a table as lines: each column as wide as its widest cell
// (by display width), the first column aligned on the left and the others
// on the right, columns two spaces apart, each line led by `indent`.
std::vector<std::string> table_lines(const std::vector<std::vector<std::string>>& rows, const std::string& indent);

}  // namespace cli
