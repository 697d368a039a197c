// "Save UV template" through the palette: the Template Setting dialog as
// the reference host plays it (items edited, "browse" pressed, the file
// path answered from its queue), the size it shows, and what is written.
#include <gtest/gtest.h>


#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "frame/sdk/plugin.h"
#include "host/dialog.h"
#include "host/image.h"
#include "host/temp_folder.h"
#include "tests/window/window_fixture.h"

namespace {

using twinel_test::window_fixture;
namespace fs = std::filesystem;

// A folder of its own for the files one test writes, removed afterwards.
class scratch {
public:
    scratch() : dir_(host::make_temp_folder("twinel_uv_template_")) {}
    ~scratch() { fs::remove_all(dir_); }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

private:
    fs::path dir_;
};

// The dialog items the export uses.
constexpr int file_name = 11, browse = 12, file_type = 13, width = 21, height = 22;

// Vertex (x, y) of symmetric_mesh, whose UVs are ((x + 2) / 4, y / 2).
int at(int x, int y) { return 5 * y + x + 2; }

TEST(uv_template_dialog, the_texture_size_shows_and_a_tga_name_gets_its_extension_and_the_marked_edges) {
    window_fixture w(twinel_test::symmetric_mesh());
    scratch files;
    w.shape().surface().add_layer(new host::image(512, 256));
    // The bottom edge from u 0 to 0.25 is marked.
    mark_request mark;
    const std::int32_t edge[] = {w.edge_between(at(-2, 0), at(-1, 0))};
    mark.command = mark_request::MARK;
    mark.target = mark_request::EDGES;
    mark.count = 1;
    mark.list = edge;
    w.app().marks().mark_elements(w.shape(), mark);

    std::pair<int, int> shown;
    std::string name;
    host::dialog* dialog = nullptr;
    w.app().set_dialog_input([&](host::dialog& d) {
        dialog = &d;
        shown = {d.get_int(width), d.get_int(height)};
        d.set_selection(file_type, 3);
        EXPECT_TRUE(d.press(browse));
        name = d.get_string(file_name);
    });
    w.app().queue_file_path(files.path("layout"));
    w.palette().press("uv_save");

    EXPECT_EQ(shown, std::make_pair(512, 256));
    EXPECT_EQ(name, "layout.tga");
    ASSERT_EQ(w.app().file_requests().size(), 1u);
    EXPECT_EQ(w.app().file_requests()[0].types, std::vector<std::string>{"tga"});
    EXPECT_FALSE(w.app().file_requests()[0].open);
    EXPECT_TRUE(w.said("UV save finished."));

    const kx::host_ref<image_interface> image(host::image::load(files.path("layout.tga")));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->get_width(), 512);
    EXPECT_EQ(image->get_height(), 256);
    EXPECT_EQ(image->get_pixel(300, 60), kx::rgba8_class(0, 0, 0, 0)) << "background";
    EXPECT_EQ(image->get_pixel(300, 128), kx::rgba8_class(0, 255, 255, 255)) << "the edge v = 0.5, u 0.5 to 0.75";
    EXPECT_EQ(image->get_pixel(64, 0), kx::rgba8_class(255, 0, 0, 255)) << "the marked edge";

    // Outside an export the dialog's callbacks do nothing.
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(dialog->press(browse));
    EXPECT_EQ(w.app().file_requests().size(), 1u);
}

TEST(uv_template_dialog, the_last_size_stays_without_a_texture_and_only_an_accepted_valid_export_writes) {
    window_fixture w(twinel_test::symmetric_mesh());
    scratch files;
    std::vector<std::pair<int, int>> shown;
    w.app().set_dialog_input([&](host::dialog& d) {
        shown.emplace_back(d.get_int(width), d.get_int(height));
        if (shown.size() == 1) d.set_int(width, 8), d.set_int(height, 4);
        if (shown.size() == 4) d.set_int(width, 0);
        d.press(browse);
    });
    w.app().queue_file_path(files.path("small"));
    w.palette().press("uv_save");
    const kx::host_ref<image_interface> image(host::image::load(files.path("small.png")));
    ASSERT_TRUE(image) << "png, the first file type";
    EXPECT_EQ(image->get_width(), 8);
    EXPECT_EQ(image->get_height(), 4);
    fs::remove(files.path("small.png"));

    w.app().queue_file_path(files.path("small"));
    w.app().queue_answer(host::answer::cancel);
    w.palette().press("uv_save");
    EXPECT_FALSE(fs::exists(files.path("small.png"))) << "cancelled";

    w.app().queue_file_cancel();  // the save dialog is cancelled: no file
    w.palette().press("uv_save");
    EXPECT_TRUE(w.said("No file to save to: choose one with browse."));

    w.app().queue_file_path(files.path("small"));
    w.palette().press("uv_save");
    EXPECT_TRUE(w.said("Image size must be 1 pixel or more."));
    EXPECT_FALSE(fs::exists(files.path("small.png")));

    EXPECT_EQ(shown, (std::vector<std::pair<int, int>>{{1024, 1024}, {8, 4}, {8, 4}, {8, 4}}));
    EXPECT_EQ(std::count(w.app().message_lines().begin(), w.app().message_lines().end(), "UV save finished."), 1);
}

}  // namespace
