#include "host/dialog.h"

#include "host/application.h"

namespace host {

dialog::dialog(application& app, const kx::uuid_class& id, const std::string& layout, dialog_handler& handler)
    : app_(&app), id_(id), layout_(layout), handler_(&handler) {}

dialog::dialog(application& app, const kx::uuid_class& id, const std::string& layout, dialog_layout form,
               dialog_handler& handler)
    : app_(&app), id_(id), layout_(layout), form_(std::move(form)), handler_(&handler) {
    for (const dialog_item& item : form_.items) {
        switch (item.kind) {
            case dialog_item_kind::integer: ints_[item.id] = item.int_default; break;
            case dialog_item_kind::selection: selections_[item.id] = item.int_default; break;
            case dialog_item_kind::boolean: bools_[item.id] = item.bool_default; break;
            case dialog_item_kind::rgb: colours_[item.id] = item.rgb_default; break;
            case dialog_item_kind::string: strings_[item.id] = item.string_default; break;
            case dialog_item_kind::push_button:
            case dialog_item_kind::group: break;
        }
    }
}

int dialog::run() {
    ++runs_;
    handler_->load_dialog_data(*this);
    app_->dialog_input(*this);
    // Shown to nobody: what the user would have seen is kept for whoever
    // answers for them next time.
    if (!app_->dialog_answer_queued()) app_->keep_unanswered_dialog(view());
    if (app_->take_dialog_cancel()) return handler_->terminate(*this, 2);
    handler_->save_dialog_data(*this);
    return handler_->terminate(*this, 1);
}

dialog_view dialog::view() {
    dialog_view v;
    v.title = form_.title;
    for (const dialog_item& i : form_.items) {
        dialog_view::item shown;
        shown.layout = i;
        switch (i.kind) {
        case dialog_item_kind::integer: shown.number = get_int(i.id); break;
        case dialog_item_kind::selection: shown.number = get_selection(i.id); break;
        case dialog_item_kind::boolean: shown.on = get_bool(i.id); break;
        case dialog_item_kind::rgb: shown.colour = get_rgb(i.id); break;
        case dialog_item_kind::string: shown.text = get_string(i.id); break;
        case dialog_item_kind::push_button:
        case dialog_item_kind::group: break;
        }
        v.items.push_back(std::move(shown));
    }
    return v;
}

const char* dialog::get_string(int id) {
    const auto it = strings_.find(id);
    return it == strings_.end() ? empty_.c_str() : it->second.c_str();
}

}  // namespace host
