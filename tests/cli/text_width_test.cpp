// Display widths of UTF-8 text, and the tables lined up by them.
#include <gtest/gtest.h>

#include "cli/text_width.h"

TEST(text_width, counts_wide_characters_twice_and_marks_not_at_all) {
    EXPECT_EQ(cli::display_width("faces"), 5);
    EXPECT_EQ(cli::display_width("不正な面"), 8);
    EXPECT_EQ(cli::display_width("3 面以上"), 8);
    EXPECT_EQ(cli::display_width("ＡＢ"), 4);          // full-width forms
    EXPECT_EQ(cli::display_width("e\xCC\x81"), 1);     // e and a combining acute
    EXPECT_EQ(cli::display_width("\xE3\x81"), 2);      // a cut sequence: one column a byte
    EXPECT_EQ(cli::display_width("\xFF" "a"), 2);
    EXPECT_EQ(cli::pad_to_width("面", 4), "面  ");
    EXPECT_EQ(cli::pad_left_to_width("12", 4), "  12");
    EXPECT_EQ(cli::pad_to_width("toolong", 3), "toolong");
}

TEST(text_width, table_columns_end_at_the_same_column_in_any_script) {
    const std::vector<std::vector<std::string>> rows = {
        {"平面", "対あり", "x"}, {"yz", "1", "最大距離"}, {"plane", "1234567", ""}};
    const std::vector<std::string> lines = cli::table_lines(rows, "  ");
    ASSERT_EQ(lines.size(), 3u);
    for (const std::string& line : lines) EXPECT_EQ(cli::display_width(line), 2 + 5 + 2 + 7 + 2 + 8) << line;
    EXPECT_EQ(lines[1].substr(0, 9), "  yz     ");
}
