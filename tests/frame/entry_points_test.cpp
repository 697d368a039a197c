// The registry as the host sees it: the built plug-in loaded with dlopen and
// queried through its six entry points and its exported data.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "frame/extend_class_container.h"
#include "frame/identifiers.h"
#include "frame/sdk/modifier.h"
#include "frame/sdk/plugin.h"
#include "host/plugin_library.h"
#include "tests/frame/fake_korvo.h"

namespace {

using twinel_test::counted_table;
using twinel_test::fake_korvo;

class entry_points : public ::testing::Test {
protected:
    static void SetUpTestSuite() { library = new host::plugin_library(TWINEL_PLUGIN_PATH); }
    static void TearDownTestSuite() {
        delete library;
        library = nullptr;
    }

    template <class T>
    static T& data(const char* name) {
        void* p = library->data_symbol(name);
        if (!p) throw std::runtime_error(std::string("missing data symbol ") + name);
        return *static_cast<T*>(p);
    }

    static host::plugin_library* library;
    fake_korvo korvo;
};

host::plugin_library* entry_points::library = nullptr;

kx::iid_class with_last_byte(kx::iid_class iid, std::uint8_t b) {
    iid.data4[7] = b;
    return iid;
}

TEST_F(entry_points, get_info_reports_version_10_0_0_build_9_and_keeps_the_leading_word) {
    version_record v;
    v.size = 1234;
    library->get_info(v);
    EXPECT_EQ(v.size, 1234);
    EXPECT_EQ(v.major, 10);
    EXPECT_EQ(v.minor, 0);
    EXPECT_EQ(v.micro, 0);
    EXPECT_EQ(v.build, 9);
}

TEST_F(entry_points, has_interface_answers_only_the_two_kinds_matching_all_128_bits) {
    EXPECT_EQ(library->has_interface(window_iid), 1);
    EXPECT_EQ(library->has_interface(modifier_iid), 4);
    EXPECT_EQ(library->has_interface(kx::iid_class{}), 0);
    EXPECT_EQ(library->has_interface(with_last_byte(window_iid, 0x27)), 0);
    EXPECT_EQ(library->has_interface(with_last_byte(modifier_iid, 0x00)), 0);
    kx::iid_class other = window_iid;
    other.data2 = 0x8923;
    EXPECT_EQ(library->has_interface(other), 0);
}

TEST_F(entry_points, get_name_translates_product_and_tool_names) {
    EXPECT_STREQ(library->get_name(window_iid, 0, korvo), "product_name");
    EXPECT_STREQ(library->get_name(window_iid, 7, korvo), "product_name");
    EXPECT_STREQ(library->get_name(modifier_iid, 0, korvo), "Remove_edges");
    EXPECT_STREQ(library->get_name(modifier_iid, 1, korvo), "Append_edge");
    EXPECT_STREQ(library->get_name(modifier_iid, 2, korvo), "Sym_vertices");
    EXPECT_STREQ(library->get_name(modifier_iid, 3, korvo), "Paste_to_plane");
    EXPECT_EQ(library->get_name(modifier_iid, 4, korvo), nullptr);
    EXPECT_EQ(library->get_name(modifier_iid, -1, korvo), nullptr);
    EXPECT_EQ(library->get_name(with_last_byte(window_iid, 0), 0, korvo), nullptr);
}

TEST_F(entry_points, get_name_swallows_a_failing_host) {
    korvo.fail = fake_korvo::failure::runtime_error;
    EXPECT_EQ(library->get_name(window_iid, 0, korvo), nullptr);
    korvo.fail = fake_korvo::failure::bad_alloc;
    EXPECT_EQ(library->get_name(modifier_iid, 0, korvo), nullptr);
}

TEST_F(entry_points, get_uuid_gives_each_interface_its_identifier) {
    EXPECT_EQ(library->get_uuid(window_iid, 0), symmetry_window_uuid);
    EXPECT_EQ(library->get_uuid(window_iid, 99), symmetry_window_uuid);
    // The first tool shares its identifier with the paired-shape attribute.
    EXPECT_EQ(library->get_uuid(modifier_iid, 0), twinel_uuid);
    EXPECT_EQ(library->get_uuid(modifier_iid, 0), (kx::uuid_class{0x50061000u, 0x53B811D9u, 0xBCFF000Au, 0x95BACEB2u}));
    EXPECT_EQ(library->get_uuid(modifier_iid, 1), append_edge_uuid);
    EXPECT_EQ(library->get_uuid(modifier_iid, 2), sym_vertices_uuid);
    EXPECT_EQ(library->get_uuid(modifier_iid, 3), paste_to_plane_uuid);
    EXPECT_EQ(library->get_uuid(modifier_iid, 4), kx::uuid_class{});
    EXPECT_EQ(library->get_uuid(kx::iid_class{}, 0), kx::uuid_class{});
}

TEST_F(entry_points, is_resident_for_the_window_and_the_first_tool_only) {
    EXPECT_TRUE(library->is_resident(window_iid, 0));
    EXPECT_TRUE(library->is_resident(window_iid, 5));
    EXPECT_TRUE(library->is_resident(modifier_iid, 0));
    EXPECT_FALSE(library->is_resident(modifier_iid, 1));
    EXPECT_FALSE(library->is_resident(modifier_iid, 3));
    EXPECT_FALSE(library->is_resident(kx::iid_class{}, 0));
}

TEST_F(entry_points, created_window_has_count_1_and_one_release_destroys_it) {
    plugin_interface* out = nullptr;
    library->create_interface(window_iid, 0, &out, korvo);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->get_uuid(), symmetry_window_uuid);
    EXPECT_EQ(out->get_korvo_version(), 430286);
    EXPECT_EQ(out->AddRef(), 2);
    EXPECT_EQ(out->Release(), 1);
    // The destructor drops the window from Sym_W, which shows it ran.
    auto& sym_w = data<void*>("Sym_W");
    sym_w = out;
    EXPECT_EQ(out->Release(), 0);
    EXPECT_EQ(sym_w, nullptr);
}

TEST_F(entry_points, created_tools_have_count_1_their_identifiers_and_the_sdk_version) {
    const kx::uuid_class expected[] = {twinel_uuid, append_edge_uuid, sym_vertices_uuid, paste_to_plane_uuid};
    for (int i = 0; i < 4; ++i) {
        plugin_interface* out = nullptr;
        library->create_interface(modifier_iid, i, &out, korvo);
        ASSERT_NE(out, nullptr) << i;
        EXPECT_EQ(out->get_uuid(), expected[i]);
        EXPECT_EQ(out->get_korvo_version(), 430286);
        EXPECT_TRUE(static_cast<modifier_interface*>(out)->undoable());
        EXPECT_EQ(out->AddRef(), 2);
        EXPECT_EQ(out->Release(), 1);
        EXPECT_EQ(out->Release(), 0);
    }
}

TEST_F(entry_points, create_interface_leaves_out_untouched_for_unknown_kinds_and_indices) {
    auto* sentinel = reinterpret_cast<plugin_interface*>(&korvo);
    plugin_interface* out = sentinel;
    library->create_interface(modifier_iid, 4, &out, korvo);
    EXPECT_EQ(out, sentinel);
    library->create_interface(modifier_iid, -1, &out, korvo);
    EXPECT_EQ(out, sentinel);
    library->create_interface(with_last_byte(window_iid, 1), 0, &out, korvo);
    EXPECT_EQ(out, sentinel);
    library->create_interface(window_iid, 0, nullptr, korvo);  // nowhere to store: nothing happens
}

TEST_F(entry_points, a_failing_window_constructor_stores_nothing_and_only_allocation_failure_escapes) {
    auto* sentinel = reinterpret_cast<plugin_interface*>(&korvo);
    plugin_interface* out = sentinel;
    korvo.fail = fake_korvo::failure::runtime_error;
    EXPECT_NO_THROW(library->create_interface(window_iid, 0, &out, korvo));
    EXPECT_EQ(out, sentinel);
    korvo.fail = fake_korvo::failure::bad_alloc;
    EXPECT_THROW(library->create_interface(window_iid, 0, &out, korvo), std::bad_alloc);
    EXPECT_EQ(out, sentinel);
}

TEST_F(entry_points, window_holds_exactly_one_reference_to_the_message_table) {
    auto& held = data<string_table_interface*>("twinel_string");
    auto& csym = data<void*>("CSym");
    counted_table first, second;
    korvo.table = &first;
    csym = &first;  // any non-null value: the window clears it

    plugin_interface* a = nullptr;
    library->create_interface(window_iid, 0, &a, korvo);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(korvo.last_table_name, "twinel_strings");
    EXPECT_EQ(held, &first);
    EXPECT_EQ(first.refs, 1);
    EXPECT_EQ(csym, nullptr);

    // The same table again: still one reference held.
    plugin_interface* b = nullptr;
    library->create_interface(window_iid, 0, &b, korvo);
    EXPECT_EQ(held, &first);
    EXPECT_EQ(first.refs, 1);

    // A different table replaces the first, which is released.
    korvo.table = &second;
    plugin_interface* c = nullptr;
    library->create_interface(window_iid, 0, &c, korvo);
    EXPECT_EQ(held, &second);
    EXPECT_EQ(first.refs, 0);
    EXPECT_EQ(second.refs, 1);

    // Windows do not release the table; the library does at unload.
    a->Release();
    b->Release();
    c->Release();
    EXPECT_EQ(second.refs, 1);
    held->Release();
    held = nullptr;
}

TEST_F(entry_points, exported_data_starts_empty) {
    const auto& extensions = data<const char* const[5]>("extention_list");
    const char* expected[] = {"png", "bmp", "pct", "tga", "psd"};
    for (int i = 0; i < 5; ++i) EXPECT_STREQ(extensions[i], expected[i]);

    const auto& mark = data<mark_request>("Mark");
    EXPECT_EQ(mark.component, nullptr);
    EXPECT_EQ(mark.command, 0);
    EXPECT_EQ(mark.target, 1);
    EXPECT_FALSE(mark.flag);
    EXPECT_EQ(mark.count, 0);
    EXPECT_EQ(mark.list, nullptr);

    EXPECT_EQ(data<basic_extend_class_container>("SymS").size(), 0);
    EXPECT_NE(library->data_symbol("CSym"), nullptr);
    EXPECT_NE(library->data_symbol("Sym_W"), nullptr);
    EXPECT_NE(library->data_symbol("twinel_string"), nullptr);
}

}  // namespace
