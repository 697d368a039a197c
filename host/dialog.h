// Modal dialogs of the reference host, without a screen.
//
// Item values live in maps by id; the layout's defaults fill them when the
// dialog is made, and an item never set reads as 0, false, black or "". run() plays the user: it loads the handler's data, lets the
// application's dialog input edit the items, and then either accepts
// (save_dialog_data, terminate(1)) or, when the next queued answer is
// cancel, cancels (terminate(2), nothing saved).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "frame/sdk/dialog.h"
#include "frame/sdk/uuid.h"
#include "host/dialog_layout.h"

namespace host {

class application;

// What a dialog showed: its title and its items with their values at the
// time (a number for integers and selections).
struct dialog_view {
    struct item {
        dialog_item layout;
        int number = 0;
        bool on = false;
        vec3 colour{0.0f, 0.0f, 0.0f};
        std::string text;
    };
    std::string title;
    std::vector<item> items;
};

class dialog final : public kx::ref_counted<dialog_interface> {
public:
    // A dialog without a form: every item starts empty.
    dialog(application& app, const kx::uuid_class& id, const std::string& layout, dialog_handler& handler);
    // A dialog showing `form` (read from the layout `layout`): every item
    // starts at the form's default.
    dialog(application& app, const kx::uuid_class& id, const std::string& layout, dialog_layout form,
           dialog_handler& handler);

    // Answers what terminate answers.
    int run() override;

    int get_int(int id) override { return value(ints_, id); }
    void set_int(int id, int value) override { ints_[id] = value; }
    int get_selection(int id) override { return value(selections_, id); }
    void set_selection(int id, int index) override { selections_[id] = index; }
    bool get_bool(int id) override { return value(bools_, id); }
    void set_bool(int id, bool value) override { bools_[id] = value; }
    vec3 get_rgb(int id) override { return value(colours_, id); }
    void set_rgb(int id, const vec3& value) override { colours_[id] = value; }
    const char* get_string(int id) override;
    void set_string(int id, const char* value) override { strings_[id] = value ? value : ""; }

    // Host side.
    const kx::uuid_class& id() const { return id_; }
    const std::string& layout() const { return layout_; }
    // The title and the items of the layout (empty for a dialog made
    // without one).
    const std::string& title() const { return form_.title; }
    const std::vector<dialog_item>& items() const { return form_.items; }
    int runs() const { return runs_; }
    // The title and every item of the layout with its value now.
    dialog_view view();
    // Presses an item as the user would; answers what the handler answers.
    bool press(int item, int action = 0) { return handler_->respond(*this, item, action); }

private:
    template <class T>
    static T value(const std::map<int, T>& items, int id) {
        const auto it = items.find(id);
        return it == items.end() ? T() : it->second;
    }

    application* app_;
    kx::uuid_class id_;
    std::string layout_;
    dialog_layout form_;
    dialog_handler* handler_;
    int runs_ = 0;
    std::map<int, int> ints_;
    std::map<int, int> selections_;
    std::map<int, bool> bools_;
    std::map<int, vec3> colours_;
    std::map<int, std::string> strings_;
    std::string empty_;
};

}  // namespace host
