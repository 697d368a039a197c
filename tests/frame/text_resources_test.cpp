// The plug-in's text resources as the reference host reads them, alone and
// through the loaded plug-in.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "frame/identifiers.h"
#include "frame/sdk/plugin.h"
#include "host/application.h"
#include "host/plugin_library.h"

namespace {

const std::string resources = std::string(TWINEL_SOURCE_DIR) + "/resources";

// English texts the plug-in translates through gettext that no operation
// may leave untranslated in Japanese.
const char* const keys[] = {
    "Twinel", "Release Sym.", "Do ?", "Invalide twinel.Release it.", "Release Twinel.",
    "Faled symmetrize polygon.", "Finish Symmetrize Polygon.", "Selected vertices numbers are odd.",
    "Symmetrize inner selected vertices.", "Place selected vertices to base plane.", "Force symmetrize this lines?",
    "Unmatch opposite vertices value.", "Start vertices analize.", "Start to separete polygon.",
    "Faces overlapped to symmetry plane.", "No faces found.", "Face   number", "Vertex number", "Edge   number",
    "Remove_edges", "Append_edge", "Sym_vertices", "Paste_to_plane", "UV save finished.", "No conform edges.",
    "Only 1 vertex select.", "Lump edit", "Reselect polygon mesh shape.", "To many unmatch vertices",
    "Tarminated by break.", "Can't make Twinel at base side is average.", "Face repair error", "append error",
    "Shape is not complete twinel. only paired vertices are set skin.", "Can't found Twinel!", "No Marked line.",
    " No found sym joint of[%s] at[%i -> %i]"};

// The printf directives of a text, in order.
std::vector<std::string> directives(const std::string& text) {
    static const std::regex directive("%[-+ #0-9.]*[a-zA-Z]");
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), directive); it != std::sregex_iterator(); ++it)
        found.push_back(it->str());
    return found;
}

std::vector<std::string> table_of(host::application& app) {
    kx::host_ref<string_table_interface> table(app.get_string_table("twinel_strings"));
    std::vector<std::string> texts;
    if (!table) return texts;
    for (int i = 0; i < table->size(); ++i) texts.emplace_back(table->get(i));
    return texts;
}

TEST(text_resources, english_product_table_answers_the_version_keys) {
    host::application app(host::language::english);
    app.add_resource_dir(resources);
    EXPECT_STREQ(app.gettext("product_name"), "twinel");
    EXPECT_STREQ(app.gettext("major_version"), "10");
    EXPECT_STREQ(app.gettext("minor_version"), "0");
    EXPECT_STREQ(app.gettext("micro_version"), "0");
    EXPECT_STREQ(app.gettext("build_number"), "10");
    EXPECT_STREQ(app.gettext("comments"), "Polygon many useful tools with symmetrize window base plugin");
    // English keys are their own text.
    EXPECT_STREQ(app.gettext("Face   number"), "Face   number");
}

TEST(text_resources, message_tables_hold_22_texts_with_the_same_placeholders_in_both_languages) {
    host::application en(host::language::english), ja(host::language::japanese);
    en.add_resource_dir(resources);
    ja.add_resource_dir(resources);
    const std::vector<std::string> english = table_of(en), japanese = table_of(ja);
    ASSERT_EQ(english.size(), 22u);
    ASSERT_EQ(japanese.size(), 22u);
    EXPECT_EQ(english[0], "Mast be same transformation to world in this shape and skins joints!");
    EXPECT_EQ(english[2], "Removed %7i invalide faces.");
    EXPECT_EQ(english[6], "To many parts[%5i] error! Please save at once.");
    EXPECT_EQ(english[19], "%6i over three tied by %6i edges faces found. These were marked.");
    EXPECT_EQ(english[21], "No faces with over 4 vertices found.");
    for (std::size_t i = 0; i < english.size(); ++i) {
        EXPECT_EQ(directives(english[i]), directives(japanese[i])) << "message " << i;
        EXPECT_NE(english[i], japanese[i]) << "message " << i;
    }
}

TEST(text_resources, japanese_translates_every_key_and_keeps_its_placeholders) {
    host::application ja(host::language::japanese);
    ja.add_resource_dir(resources);
    EXPECT_STREQ(ja.gettext("product_name"), "twinel");
    EXPECT_STREQ(ja.gettext("build_number"), "10");
    for (const char* key : keys) {
        const std::string text = ja.gettext(key);
        EXPECT_NE(text, key) << key;
        EXPECT_FALSE(text.empty()) << key;
        EXPECT_EQ(directives(text), directives(key)) << key;
    }
}

TEST(text_resources, the_loaded_plugin_names_its_tools_and_reads_its_table_in_japanese) {
    // The host outlives the library, which gives the table back at unload.
    host::application ja(host::language::japanese);
    ja.add_resource_dir(resources);
    host::plugin_library library(TWINEL_PLUGIN_PATH);
    EXPECT_STREQ(library.get_name(window_iid, 0, ja), "twinel");
    EXPECT_STREQ(library.get_name(modifier_iid, 0, ja), "辺の削除");
    EXPECT_STREQ(library.get_name(modifier_iid, 3, ja), "対称面に貼り付け");

    plugin_interface* window = nullptr;
    library.create_interface(window_iid, 0, &window, ja);
    ASSERT_NE(window, nullptr);
    auto* held = static_cast<string_table_interface**>(library.data_symbol("twinel_string"));
    ASSERT_NE(*held, nullptr);
    EXPECT_EQ((*held)->size(), 22);
    EXPECT_STREQ((*held)->get(7), "このポリゴンはひとつながりです。");
    window->Release();
}

// The resources the host holds once the library is loaded are the files of
// resources/, byte for byte: read from beside the library, or from a DLL's
// resource section.
TEST(text_resources, a_loaded_library_holds_every_resource_file_as_it_is) {
    const host::plugin_library library(TWINEL_PLUGIN_PATH);
    const host::resource_files folder = host::resource_files::read_folder(resources);
    for (const char* sub : {"en", "ja", "images"}) {
        const auto want = folder.in_folder(sub), got = library.resources().in_folder(sub);
        ASSERT_EQ(got.size(), want.size()) << sub;
        ASSERT_FALSE(want.empty()) << sub;
        for (std::size_t i = 0; i < want.size(); ++i) {
            EXPECT_EQ(got[i]->relative, want[i]->relative);
            EXPECT_TRUE(got[i]->bytes == want[i]->bytes) << want[i]->relative;
        }
    }
}

}  // namespace
