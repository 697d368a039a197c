#include "host/io/scene_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/common/mesh_builder.h"

namespace {

namespace fs = std::filesystem;

TEST(scene_files, import_adds_one_shape_per_object_and_export_reads_back) {
    const fs::path dir = fs::temp_directory_path() / "twinel_scene_files_test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path in = dir / "two.obj";
    std::ofstream(in) << "o first\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"
                         "o second\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\nf 4 5 6 7\n";
    twinel_test::test_scene t;
    const auto shapes = host::import_obj(t.scene(), in.string());
    ASSERT_EQ(shapes.size(), 2u);
    EXPECT_EQ(t.scene().get_shape_by_name("second"), shapes[1]);
    EXPECT_EQ(shapes[1]->get_polygon_mesh()->get_number_of_faces(), 1);
    EXPECT_EQ(shapes[1]->get_polygon_mesh()->get_number_of_edges(), 4);

    const fs::path out = dir / "out.obj";
    host::export_obj({shapes[1], shapes[0]}, out.string());
    twinel_test::test_scene back;
    const auto again = host::import_obj(back.scene(), out.string());
    ASSERT_EQ(again.size(), 2u);
    EXPECT_STREQ(again[0]->get_name(), "second");
    EXPECT_TRUE(twinel_test::identical(again[0]->data(), shapes[1]->data()));

    // The import is one undo step; a broken file adds nothing.
    t.scene().undo();
    EXPECT_EQ(t.scene().root().get_number_of_sons(), 0);
    EXPECT_THROW(host::import_obj(t.scene(), (dir / "missing.obj").string()), host::file_error);
    EXPECT_EQ(t.scene().root().get_number_of_sons(), 0);
    fs::remove_all(dir);
}

}  // namespace
