// The built Windows DLL as a host meets it: loaded by name with LoadLibrary
// (so it must need nothing but system DLLs), queried through the exported
// names, with every resource file embedded under its name and language.
// Built into the Windows test programs only.
#if defined(_WIN32)

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "frame/identifiers.h"
#include "frame/sdk/entry.h"

namespace {

namespace fs = std::filesystem;

class plugin_dll : public ::testing::Test {
protected:
    static void SetUpTestSuite() { module = LoadLibraryA(TWINEL_PLUGIN_FILE); }
    static void TearDownTestSuite() {
        if (module) FreeLibrary(module);
        module = nullptr;
    }
    void SetUp() override { ASSERT_NE(module, nullptr) << TWINEL_PLUGIN_FILE << " did not load"; }

    template <class T>
    static T symbol(const char* name) {
        return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }

    static HMODULE module;
};

HMODULE plugin_dll::module = nullptr;

// A resource as the resource script names it: type, name, language.
struct resource_id {
    std::string type, name;
    WORD lang = 0;
    bool operator<(const resource_id& o) const {
        return std::tie(type, name, lang) < std::tie(o.type, o.name, o.lang);
    }
    bool operator==(const resource_id& o) const {
        return std::tie(type, name, lang) == std::tie(o.type, o.name, o.lang);
    }
};

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// KXUL files under en/ and ja/ in their language, TARGA images neutral.
resource_id id_of(const fs::path& relative) {
    resource_id id;
    id.type = relative.extension() == ".kxul" ? "KXUL" : "TARGA";
    id.name = upper(relative.stem().string());
    const std::string folder = relative.begin()->string();
    id.lang = folder == "en"   ? MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)
              : folder == "ja" ? MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN)
                               : MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
    return id;
}

BOOL CALLBACK add_language(HMODULE, LPCSTR type, LPCSTR name, WORD lang, LONG_PTR out) {
    reinterpret_cast<std::vector<resource_id>*>(out)->push_back({type, name, lang});
    return TRUE;
}
BOOL CALLBACK add_name(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR out) {
    return EnumResourceLanguagesA(module, type, name, add_language, out);
}

TEST_F(plugin_dll, exports_the_entry_points_and_data_under_plain_names) {
    for (const char* name : {"get_info", "has_interface", "get_name", "get_uuid", "is_resident", "create_interface",
                             "extention_list", "CSym", "Sym_W", "SymS", "Mark", "twinel_string"})
        EXPECT_NE(GetProcAddress(module, name), nullptr) << name;

    version_record v;
    v.size = 77;
    auto get_info = symbol<get_info_function>("get_info");
    ASSERT_NE(get_info, nullptr);
    get_info(v);
    EXPECT_EQ(v.size, 77);
    EXPECT_EQ(v.major, twinel_version_major);
    EXPECT_EQ(v.build, twinel_version_build);

    auto has_interface = symbol<has_interface_function>("has_interface");
    ASSERT_NE(has_interface, nullptr);
    EXPECT_EQ(has_interface(window_iid), 1);
    EXPECT_EQ(has_interface(modifier_iid), 4);

    auto* extensions = symbol<const char* const*>("extention_list");
    ASSERT_NE(extensions, nullptr);
    EXPECT_STREQ(extensions[0], "png");
    EXPECT_STREQ(extensions[3], "tga");
}

TEST_F(plugin_dll, embeds_every_resource_file_byte_for_byte_and_nothing_else) {
    const fs::path dir = fs::path(TWINEL_SOURCE_DIR) / "resources";
    std::vector<resource_id> expected;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir)) {
        const fs::path relative = entry.path().lexically_relative(dir);
        if (!entry.is_regular_file() || relative.filename().string().front() == '.') continue;
        const resource_id id = id_of(relative);
        expected.push_back(id);

        std::ifstream in(entry.path(), std::ios::binary);
        const std::string file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        HRSRC found = FindResourceExA(module, id.type.c_str(), id.name.c_str(), id.lang);
        ASSERT_NE(found, nullptr) << relative.string();
        HGLOBAL loaded = LoadResource(module, found);
        ASSERT_NE(loaded, nullptr) << relative.string();
        const DWORD size = SizeofResource(module, found);
        ASSERT_EQ(size, file.size()) << relative.string();
        EXPECT_EQ(std::memcmp(LockResource(loaded), file.data(), size), 0) << relative.string();
    }
    EXPECT_GE(expected.size(), 14u) << "the layouts and texts in two languages and the six toolbar images";

    std::vector<resource_id> embedded;
    for (const char* type : {"KXUL", "TARGA"})
        EnumResourceNamesA(module, type, add_name, reinterpret_cast<LONG_PTR>(&embedded));
    std::sort(expected.begin(), expected.end());
    std::sort(embedded.begin(), embedded.end());
    EXPECT_TRUE(embedded == expected) << embedded.size() << " embedded, " << expected.size() << " files";
}

}  // namespace

#endif  // _WIN32
