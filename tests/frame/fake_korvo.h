// A stand-in for the host's root interface, for tests that only need
// translations and the message table. gettext answers the key itself.
#pragma once

#include <new>
#include <stdexcept>
#include <string>

#include "frame/sdk/korvo.h"

namespace twinel_test {

// A message table that counts its references and never deletes itself.
class counted_table : public string_table_interface {
public:
    int AddRef() override { return ++refs; }
    int Release() override { return --refs; }
    int size() override { return 0; }
    const char* get(int) override { return nullptr; }
    int refs = 0;
};

class fake_korvo : public korvo_interface {
public:
    enum class failure { none, runtime_error, bad_alloc };

    // The table handed out for "twinel_strings" (with a new reference), or
    // null; `fail` makes every call throw instead.
    counted_table* table = nullptr;
    failure fail = failure::none;
    std::string last_table_name;

    scene_interface* get_scene() override { return nullptr; }
    const char* gettext(const char* key) override {
        maybe_throw();
        return key;
    }
    string_table_interface* get_string_table(const char* name) override {
        maybe_throw();
        last_table_name = name;
        if (table && last_table_name == "twinel_strings") {
            table->AddRef();
            return table;
        }
        return nullptr;
    }
    plugin_interface* find_plugin_interface(const kx::uuid_class&) override { return nullptr; }
    dialog_interface* create_dialog_interface(const kx::uuid_class&, const char*, dialog_handler*) override {
        return nullptr;
    }
    image_interface* create_image_interface(const char*) override { return nullptr; }
    image_interface* create_image_interface(int, int) override { return nullptr; }
    bool show_message(const char*, bool) override { return true; }
    void message(const char*) override {}

private:
    void maybe_throw() const {
        if (fail == failure::runtime_error) throw std::runtime_error("host failure");
        if (fail == failure::bad_alloc) throw std::bad_alloc();
    }
};

}  // namespace twinel_test
