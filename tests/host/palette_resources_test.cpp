#include <gtest/gtest.h>

#include <chrono>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "frame/sdk/dialog.h"
#include "frame/sdk/image.h"
#include "host/application.h"
#include "host/dialog.h"
#include "host/kxul_file.h"
#include "host/io/file_error.h"
#include "host/palette_layout.h"

namespace {

namespace fs = std::filesystem;

const std::string resources = TWINEL_SOURCE_DIR "/resources";

host::palette_layout layout_in(host::language lang) {
    const std::string path = host::find_kxul_file({resources}, lang, "window");
    EXPECT_FALSE(path.empty());
    return host::read_palette_layout(path, "WINDOW");
}

std::vector<std::string> ids(const host::palette_layout& layout) {
    std::vector<std::string> out;
    for (const host::layout_node* n : host::layout_controls(layout)) out.push_back(n->id);
    return out;
}

const host::layout_node& node(const host::palette_layout& layout, const std::string& id) {
    for (const host::layout_node* n : host::layout_controls(layout))
        if (n->id == id) return *n;
    throw std::runtime_error("no control " + id);
}

// The ids of the controls directly inside the box that holds `id`.
std::vector<std::string> siblings(const std::vector<host::layout_node>& nodes, const std::string& id) {
    for (const host::layout_node& n : nodes) {
        if (n.id == id) {
            std::vector<std::string> out;
            for (const host::layout_node& s : nodes) out.push_back(s.id);
            return out;
        }
        const std::vector<std::string> inner = siblings(n.children, id);
        if (!inner.empty()) return inner;
    }
    return {};
}

TEST(palette_resources, the_english_layout_holds_the_palette_controls) {
    const host::palette_layout en = layout_in(host::language::english);
    EXPECT_EQ(en.id, "WINDOW");
    EXPECT_TRUE(en.vertical);
    EXPECT_EQ(std::vector<int>(en.margins, en.margins + 4), (std::vector<int>{2, 22, 2, 2}));

    std::map<host::layout_kind, int> kinds;
    for (const host::layout_node* n : host::layout_controls(en)) ++kinds[n->kind];
    EXPECT_EQ(kinds[host::layout_kind::push_button], 53);
    EXPECT_EQ(kinds[host::layout_kind::checkbox], 13);
    EXPECT_EQ(kinds[host::layout_kind::number], 23);
    EXPECT_EQ(kinds[host::layout_kind::popup_menu], 6);
    EXPECT_EQ(kinds[host::layout_kind::static_text], 8);
    EXPECT_EQ(kinds[host::layout_kind::spacer], 6);
    EXPECT_EQ(kinds[host::layout_kind::group], 7);
    EXPECT_EQ(kinds[host::layout_kind::tab], 1);

    // Only the two pages named "sym" share an id.
    std::vector<std::string> all = ids(en);
    std::sort(all.begin(), all.end());
    std::vector<std::string> repeated;
    for (std::size_t k = 1; k < all.size(); ++k)
        if (all[k] == all[k - 1]) repeated.push_back(all[k]);
    EXPECT_EQ(repeated, (std::vector<std::string>{"sym"}));

    // Texts are the system's own, typos included.
    EXPECT_EQ(node(en, "reduc-verti").label, "Reduct duplicated vertices.");
    EXPECT_EQ(node(en, "f_link").tooltip, "Pairze selected nad Marked faces pair.");
    EXPECT_EQ(node(en, "v_link").tooltip, "Pairze selected and Marked vertices pair.");
    EXPECT_EQ(node(en, "sym_skin").label, "Symmerize Skin");
    EXPECT_EQ(node(en, "next-tri-face").tooltip, "Select next tri_conection face．");
    EXPECT_EQ(node(en, "sel-unedge").tooltip, "Select candidate useless edges at 3face->４face.");
    EXPECT_EQ(node(en, "sym_source").items,
              (std::vector<std::string>{"Active value side", "Negative value side", "Use Average"}));
    EXPECT_EQ(node(en, "uv-v-type").items, (std::vector<std::string>{"Unite all", "Unite every vertex"}));
    EXPECT_TRUE(node(en, "mode").disclosure);
    EXPECT_EQ(node(en, "misc").label, "misc");

    const host::layout_node& distance = node(en, "distance_value");
    EXPECT_EQ(distance.unit, "mm");
    EXPECT_FALSE(distance.integer);
    EXPECT_FALSE(distance.editable);
    EXPECT_TRUE(node(en, "sep_num").integer);
    EXPECT_TRUE(node(en, "sep_num").editable);
    EXPECT_EQ(node(en, "ele_list").width, 120);
    EXPECT_EQ(node(en, "dummyb").width, 30);

    // Rows: a flag checkbox beside its button; the triplet row with its spacer.
    EXPECT_EQ(siblings(en.children, "face-triplet"),
              (std::vector<std::string>{"face-triplet-flag", "face-triplet", "dummy_tri", "next-tri-face"}));
    EXPECT_EQ(siblings(en.children, "sym_vers"),
              (std::vector<std::string>{"twinel", "sym_vers", "sym_uvk", "remake_v_link", "sym_skin"}));
    EXPECT_EQ(siblings(en.children, "f_link"),
              (std::vector<std::string>{"dummy8", "next_p_face", "p_f_index", "f_link"}));

    // The pages of the tab, in order.
    std::vector<std::string> pages;
    for (const host::layout_node& page : node(en, "tab").children) pages.push_back(page.label);
    EXPECT_EQ(pages, (std::vector<std::string>{"Repair", "Twinel", "Shape tool", "Element tool"}));
}

TEST(palette_resources, the_japanese_layout_translates_texts_and_swaps_the_two_symmetrize_buttons) {
    const host::palette_layout en = layout_in(host::language::english);
    const host::palette_layout ja = layout_in(host::language::japanese);
    std::vector<std::string> en_ids = ids(en);
    const std::vector<std::string> ja_ids = ids(ja);
    ASSERT_EQ(en_ids.size(), ja_ids.size());
    const auto vers = std::find(en_ids.begin(), en_ids.end(), "sym_vers");
    const auto ver = std::find(en_ids.begin(), en_ids.end(), "sym_ver");
    ASSERT_TRUE(vers != en_ids.end() && ver != en_ids.end());
    std::iter_swap(vers, ver);
    EXPECT_EQ(ja_ids, en_ids) << "the same ids, in the same places but for the swap";

    EXPECT_EQ(siblings(ja.children, "twinel"),
              (std::vector<std::string>{"twinel", "sym_ver", "sym_uvk", "remake_v_link", "sym_skin"}));
    EXPECT_EQ(siblings(ja.children, "make_twinel"),
              (std::vector<std::string>{"make_twinel", "sym_vers", "sym_uva", "remake_f_link"}));

    // Kinds, units, sizes and item counts agree control by control; labels
    // that say something are translated.
    for (const std::string& id : ja_ids) {
        if (id == "sym") continue;
        const host::layout_node& e = node(en, id);
        const host::layout_node& j = node(ja, id);
        EXPECT_EQ(e.kind, j.kind) << id;
        EXPECT_EQ(e.unit, j.unit) << id;
        EXPECT_EQ(e.integer, j.integer) << id;
        EXPECT_EQ(e.editable, j.editable) << id;
        EXPECT_EQ(e.width, j.width) << id;
        EXPECT_EQ(e.items.size(), j.items.size()) << id;
        EXPECT_EQ(e.tooltip.empty(), j.tooltip.empty()) << id;
        if (e.label.size() > 2) {
            EXPECT_NE(e.label, j.label) << id;
        }
    }
    EXPECT_EQ(node(ja, "sym_mode").items.front(), "YZ 平面");
}

TEST(palette_resources, toolbar_images_load_with_their_sizes_and_encodings) {
    host::application app;
    app.add_resource_dir(resources);
    struct expected_image {
        const char* name;
        int width;
        bool run_length;
    };
    const expected_image images[] = {{"MESH_MODE", 36, false},  {"RENEW", 29, true},       {"REMOVE_EDGE", 38, true},
                                     {"APPEND_EDGE", 38, true}, {"SYM_VERTICE", 29, false}, {"PASTE_PLANE", 16, true}};
    for (const expected_image& e : images) {
        kx::host_ref<image_interface> img(app.create_image_interface(e.name));
        ASSERT_TRUE(img) << e.name;
        EXPECT_EQ(img->get_width(), e.width) << e.name;
        EXPECT_EQ(img->get_height(), 18) << e.name;
        // Drawn on a transparent background.
        int opaque = 0, clear = 0;
        for (int y = 0; y < 18; ++y)
            for (int x = 0; x < e.width; ++x) (img->get_pixel(x, y).a == 255 ? opaque : clear)++;
        EXPECT_GT(opaque, 10) << e.name;
        EXPECT_GT(clear, opaque) << e.name;

        // The file: 32 bits per pixel with 8 alpha bits, RLE or not.
        std::string file = e.name;
        std::transform(file.begin(), file.end(), file.begin(), [](unsigned char c) { return std::tolower(c); });
        std::ifstream in(resources + "/images/" + file + ".tga", std::ios::binary);
        unsigned char header[18] = {};
        ASSERT_TRUE(in.read(reinterpret_cast<char*>(header), sizeof header)) << file;
        EXPECT_EQ(header[2], e.run_length ? 10 : 2) << file;
        EXPECT_EQ(header[16], 32) << file;
        EXPECT_EQ(header[17] & 0x0F, 8) << file;
    }
}

// A dialog handler that loads, saves and responds to nothing.
struct idle_dialog_handler : dialog_handler {
    void load_dialog_data(dialog_interface&) override {}
    bool respond(dialog_interface&, int, int) override { return false; }
    void save_dialog_data(dialog_interface&) override {}
    int terminate(dialog_interface&, int code) override { return code; }
};

TEST(palette_resources, dialog_items_start_at_their_layout_defaults) {
    idle_dialog_handler handler;
    host::application app;
    app.add_resource_dir(resources);
    kx::host_ref<dialog_interface> d(app.create_dialog_interface(kx::uuid_class(1, 2, 3, 4), "UV_DIALOG_ID", &handler));
    ASSERT_TRUE(d);
    const auto& dialog = static_cast<host::dialog&>(*d);
    EXPECT_EQ(dialog.title(), "Template Setting");
    std::vector<int> order;
    for (const host::dialog_item& item : dialog.items()) order.push_back(item.id);
    EXPECT_EQ(order, (std::vector<int>{12, 11, 13, 20, 21, 22, 30, 40, 41, 42, 43, 50}));
    EXPECT_EQ(dialog.items()[2].items, (std::vector<std::string>{"png", "bmp", "pct", "tga", "psd"}));
    EXPECT_EQ(dialog.items()[2].label, "file type ");
    EXPECT_EQ(dialog.items()[4].unit, "pixel");
    EXPECT_EQ(dialog.items()[4].group, 20);
    EXPECT_EQ(dialog.items()[6].items, (std::vector<std::string>{"parameter", "distance"}));

    EXPECT_EQ(d->get_int(21), 1024);
    EXPECT_EQ(d->get_int(22), 1024);
    EXPECT_EQ(d->get_selection(13), 0);
    EXPECT_EQ(d->get_selection(30), 0);
    const vec3 line = d->get_rgb(42), mark = d->get_rgb(43);
    EXPECT_EQ(line.x, 0.0f);
    EXPECT_EQ(line.y, 1.0f);
    EXPECT_EQ(line.z, 1.0f);
    EXPECT_EQ(mark.x, 1.0f);
    EXPECT_EQ(mark.z, 0.0f);
    EXPECT_FALSE(d->get_bool(50));
    EXPECT_STREQ(d->get_string(11), "");

    EXPECT_EQ(app.create_dialog_interface(kx::uuid_class(1, 2, 3, 4), "no_such_dialog", &handler), nullptr);

    host::application ja(host::language::japanese);
    ja.add_resource_dir(resources);
    kx::host_ref<dialog_interface> jd(ja.create_dialog_interface(kx::uuid_class(1, 2, 3, 4), "uv_dialog_id", &handler));
    ASSERT_TRUE(jd);
    EXPECT_EQ(static_cast<host::dialog&>(*jd).title(), "テンプレート設定");
    EXPECT_EQ(jd->get_int(21), 1024);
}

// A scratch resource folder with one English file.
struct scratch_resources {
    fs::path dir;
    scratch_resources(const std::string& file, const std::string& text)
        : dir(fs::temp_directory_path() / ("twinel_palette_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()))) {
        fs::remove_all(dir);
        fs::create_directories(dir / "en");
        std::ofstream(dir / "en" / file) << text;
    }
    ~scratch_resources() { fs::remove_all(dir); }
};

TEST(palette_resources, a_malformed_layout_is_reported_with_its_file_and_line) {
    {
        const scratch_resources r("Window.KXUL",
                                  "<kxul>\n<palette id=\"window\">\n<vbox>\n<slider id=\"s\"/>\n</vbox>\n</palette>\n</kxul>\n");
        const std::string path = host::find_kxul_file({r.dir.string()}, host::language::english, "WINDOW");
        ASSERT_FALSE(path.empty()) << "file names are matched in any case";
        try {
            host::read_palette_layout(path, "window");
            FAIL() << "an unknown element must be refused";
        } catch (const host::file_error& e) {
            EXPECT_EQ(e.line(), 4);
            EXPECT_NE(std::string(e.what()).find("<slider>"), std::string::npos) << e.what();
        }
        EXPECT_THROW(host::read_palette_layout(path, "other"), host::file_error);
    }
    const struct {
        const char* body;
        int line;
    } faults[] = {
        {"<kxul>\n<palette id=\"window\">\n<push-button label=\"x\"/>\n</palette>\n</kxul>\n", 3},            // no id
        {"<kxul>\n<palette id=\"window\">\n\n<number id=\"n\" type=\"float\"/>\n</palette>\n</kxul>\n", 4},   // type
        {"<kxul>\n<palette id=\"window\">\n<static-text id=\"t\" size=\"10\"/>\n</palette>\n</kxul>\n", 3},   // size
        {"<kxul>\n<palette id=\"window\">\n<checkbox id=\"c\" lable=\"x\"/>\n</palette>\n</kxul>\n", 3},     // typo
        {"<kxul>\n<palette id=\"window\">\n<popup-menu id=\"p\"><item id=\"item_1\">a</item></popup-menu>\n</palette></kxul>", 3},
        {"<kxul>\n<palette id=\"window\">\n<tab id=\"t\"><vbox/></tab>\n</palette>\n</kxul>\n", 3},           // tab page
        {"<kxul>\n<palette id=\"window\">\n<vbox>\n<hbox></vbox>\n</palette>\n</kxul>\n", 4},               // syntax
    };
    for (const auto& fault : faults) {
        const scratch_resources r("window.kxul", fault.body);
        try {
            host::read_palette_layout((r.dir / "en" / "window.kxul").string(), "window");
            ADD_FAILURE() << "accepted: " << fault.body;
        } catch (const host::file_error& e) {
            EXPECT_EQ(e.line(), fault.line) << e.what();
        }
    }
}

TEST(palette_resources, a_large_layout_reads_in_time_linear_in_its_size_with_exact_lines) {
    // 100000 buttons, one line each, and a fault on the last line: finding
    // each element's line by counting from the start of the file took time
    // quadratic in the size.
    std::string body = "<kxul>\n<palette id=\"window\">\n<vbox>\n";
    const int buttons = 100000;
    for (int k = 0; k < buttons; ++k) body += "<push-button id=\"b" + std::to_string(k) + "\" label=\"x\"/>\n";
    body += "<checkbox id=\"c\" lable=\"x\"/>\n</vbox>\n</palette>\n</kxul>\n";
    const scratch_resources r("window.kxul", body);
    const auto start = std::chrono::steady_clock::now();
    try {
        host::read_palette_layout((r.dir / "en" / "window.kxul").string(), "window");
        ADD_FAILURE() << "the misspelt attribute was accepted";
    } catch (const host::file_error& e) {
        EXPECT_EQ(e.line(), buttons + 4) << e.what();
    }
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 10.0);
}

TEST(palette_resources, a_malformed_dialog_layout_gives_no_dialog_and_says_why) {
    idle_dialog_handler handler;
    const char* faults[] = {
        "<kxul><dialog id=\"d\"><int id=\"1\"/><bool id=\"1\"/></dialog></kxul>",                  // repeated id
        "<kxul><dialog id=\"d\"><selection id=\"1\" default=\"1\"><item>a</item></selection></dialog></kxul>",
        "<kxul><dialog id=\"d\"><rgb id=\"1\" default=\"0 1\"/></dialog></kxul>",
        "<kxul><dialog id=\"d\"><int label=\"no id\"/></dialog></kxul>",
        "<kxul><dialog id=\"d\"><slider id=\"1\"/></dialog></kxul>",
    };
    for (const char* fault : faults) {
        const scratch_resources r("d.kxul", fault);
        host::application app;
        app.add_resource_dir(r.dir.string());
        EXPECT_EQ(app.create_dialog_interface(kx::uuid_class(1, 2, 3, 4), "d", &handler), nullptr) << fault;
        ASSERT_EQ(app.message_lines().size(), 1u) << fault;
        EXPECT_NE(app.message_lines().front().find("d.kxul:1"), std::string::npos) << app.message_lines().front();
    }
}

}  // namespace
