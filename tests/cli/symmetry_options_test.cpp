// Margins as lengths or percentages of the mesh's size, and planes by
// name or by axis.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "cli/symmetry_options.h"

TEST(symmetry_options, margins_are_lengths_or_shares_of_the_diagonal) {
    EXPECT_DOUBLE_EQ(cli::parse_margin("0.1").value, 0.1);
    EXPECT_FALSE(cli::parse_margin("0.1").relative);
    const cli::margin_spec share = cli::parse_margin("0.05%");
    EXPECT_TRUE(share.relative);
    EXPECT_DOUBLE_EQ(share.value, 0.0005);
    for (const char* bad : {"", "%", "-1", "1e999", "nan", "0.1 ", " 0.1", "5%%", "x%"})
        EXPECT_THROW(cli::parse_margin(bad), std::invalid_argument) << bad;

    // A 3-4-12 box has a diagonal of 13; NaN and infinite points do not count.
    const std::vector<vec3> box = {{0, 0, 0}, {3, 4, 12}, {NAN, 100, 0}, {INFINITY, 0, 0}, {1, 1, 1}};
    EXPECT_DOUBLE_EQ(cli::bounding_diagonal(box), 13.0);
    EXPECT_FLOAT_EQ(cli::margin_length(cli::parse_margin("10%"), box), 1.3f);
    EXPECT_FLOAT_EQ(cli::margin_length(cli::parse_margin("0.25"), box), 0.25f);
    EXPECT_EQ(cli::bounding_diagonal({}), 0.0);
}

TEST(symmetry_options, a_plane_is_named_or_given_by_its_normal_axis) {
    EXPECT_EQ(cli::plane_index("yz"), cli::plane_index("x"));
    EXPECT_EQ(cli::plane_index("zx"), cli::plane_index("y"));
    EXPECT_EQ(cli::plane_index("xy"), cli::plane_index("z"));
    for (int p = 0; p < 3; ++p) EXPECT_EQ(cli::plane_index(cli::plane_name(p)), p);
    EXPECT_THROW(cli::plane_index("w"), std::invalid_argument);
}
