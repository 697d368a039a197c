#include "uv/file_types.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

TEST(file_types, filter_lists_a_description_and_a_pattern_per_type_with_a_closing_nul) {
    const char* types[] = {"png", "tga"};
    EXPECT_EQ(file_type_filter(2, types), "png file\0*.png\0tga file\0*.tga\0\0"s);
    EXPECT_EQ(file_type_filter(1, types + 1), "tga file\0*.tga\0\0"s);
    EXPECT_EQ(file_type_filter(0, types), "");
    EXPECT_EQ(file_type_filter(-1, types), "");
    EXPECT_EQ(file_type_filter(2, nullptr), "");
    const char* with_null[] = {nullptr};
    EXPECT_EQ(file_type_filter(1, with_null), " file\0*.\0\0"s);
}

TEST(file_types, a_saved_name_without_the_extension_gets_a_point_and_the_type) {
    std::string path = "C:\\maps\\layout";
    add_file_extension(path, "tga");
    EXPECT_EQ(path, "C:\\maps\\layout.tga");
    // The type's text elsewhere in the path (a folder, the middle of the
    // name, another extension) does not make it the extension.
    for (std::string other : {"/home/tga/layout", "/maps/tgamap", "/maps/layout.tga.old", "/maps/layouttga"}) {
        const std::string before = other;
        add_file_extension(other, "tga");
        EXPECT_EQ(other, before + ".tga");
    }
}

TEST(file_types, a_name_that_ends_with_the_extension_in_any_case_stays_as_it_is) {
    for (std::string path : {"/maps/layout.tga", "/maps/layout.TGA", "C:\\a.TgA", ".tga"}) {
        const std::string before = path;
        add_file_extension(path, "tga");
        EXPECT_EQ(path, before);
    }
    std::string png = "/maps/layout.tga";
    add_file_extension(png, "png");
    EXPECT_EQ(png, "/maps/layout.tga.png") << "another type's extension is kept and the chosen one added";
}

TEST(file_types, empty_paths_and_missing_types_are_left_alone) {
    std::string empty;
    add_file_extension(empty, "png");
    EXPECT_EQ(empty, "");
    std::string path = "/maps/layout";
    add_file_extension(path, nullptr);
    add_file_extension(path, "");
    EXPECT_EQ(path, "/maps/layout");
}

}  // namespace
