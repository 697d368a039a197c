#include "cli/text_width.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace cli {
namespace {

struct code_range {
    char32_t first, last;
};

// Combining marks and zero-width characters (general categories Mn, Me
// and Cf of the ranges that occur in practice).
constexpr code_range zero_width[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A}, {0x064B, 0x065F},
    {0x0E31, 0x0E31}, {0x0E34, 0x0E3A}, {0x0E47, 0x0E4E}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF},
    {0x200B, 0x200F}, {0x202A, 0x202E}, {0x2060, 0x2064}, {0x20D0, 0x20FF}, {0x302A, 0x302D},
    {0x3099, 0x309A}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF}, {0xE0100, 0xE01EF},
};

// East Asian wide and full-width characters (Unicode's EastAsianWidth W
// and F), and the emoji blocks terminals draw two columns wide.
constexpr code_range wide[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},   {0x25FD, 0x25FE},
    {0x2614, 0x2615},   {0x2648, 0x2653},   {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},
    {0x2705, 0x2705},   {0x270A, 0x270B},   {0x2728, 0x2728},   {0x274C, 0x274C},   {0x2753, 0x2755},
    {0x2757, 0x2757},   {0x2795, 0x2797},   {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2E80, 0x303E},
    {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xA960, 0xA97F},
    {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6},   {0x16FE0, 0x16FE4}, {0x17000, 0x18CFF}, {0x1B000, 0x1B2FF}, {0x1F004, 0x1F004},
    {0x1F0CF, 0x1F0CF}, {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A}, {0x1F200, 0x1F251}, {0x1F300, 0x1F64F},
    {0x1F680, 0x1F6FF}, {0x1F7E0, 0x1F7EB}, {0x1F90C, 0x1F9FF}, {0x1FA70, 0x1FAFF}, {0x20000, 0x3FFFD},
};

template <std::size_t N>
bool in(const code_range (&ranges)[N], char32_t c) {
    // The tables are sorted: the first range ending at or after c is the
    // only one that can hold it.
    const code_range* r = std::lower_bound(std::begin(ranges), std::end(ranges), c,
                                           [](const code_range& x, char32_t v) { return x.last < v; });
    return r != std::end(ranges) && r->first <= c;
}

// The code point at text[i], advancing i past it; a malformed or cut
// sequence gives its first byte alone as a code point of its own.
char32_t next_code_point(const std::string& text, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
    const std::uint8_t b = byte(i);
    const int length = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
    if (length <= 1 || i + static_cast<std::size_t>(length) > text.size()) {
        ++i;
        return b;
    }
    char32_t c = b & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        const std::uint8_t next = byte(i + static_cast<std::size_t>(k));
        if ((next >> 6) != 0x2) {
            ++i;
            return b;
        }
        c = (c << 6) | (next & 0x3F);
    }
    i += static_cast<std::size_t>(length);
    return c;
}

}  // namespace

int display_width(const std::string& text) {
    int width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const char32_t c = next_code_point(text, i);
        width += in(zero_width, c) ? 0 : in(wide, c) ? 2 : 1;
    }
    return width;
}

std::string pad_to_width(const std::string& text, int width) {
    return text + std::string(static_cast<std::size_t>(std::max(0, width - display_width(text))), ' ');
}

std::string pad_left_to_width(const std::string& text, int width) {
    return std::string(static_cast<std::size_t>(std::max(0, width - display_width(text))), ' ') + text;
}

std::vector<std::string> table_lines(const std::vector<std::vector<std::string>>& rows, const std::string& indent) {
    std::vector<int> widths;
    for (const auto& row : rows)
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (widths.size() <= c) widths.push_back(0);
            widths[c] = std::max(widths[c], display_width(row[c]));
        }
    std::vector<std::string> lines;
    for (const auto& row : rows) {
        std::string line = indent;
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c > 0) line += "  ";
            // The last cell of a left-aligned column needs no padding.
            line += c == 0 ? (row.size() == 1 ? row[c] : pad_to_width(row[c], widths[c]))
                           : pad_left_to_width(row[c], widths[c]);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace cli
