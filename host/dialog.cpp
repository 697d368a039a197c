#include "host/dialog.h"

#include "host/application.h"

namespace host {

dialog::dialog(application& app, const kx::uuid_class& id, const std::string& layout, dialog_handler& handler)
    : app_(&app), id_(id), layout_(layout), handler_(&handler) {}

int dialog::run() {
    ++runs_;
    handler_->load_dialog_data(*this);
    app_->dialog_input(*this);
    if (app_->take_dialog_cancel()) return handler_->terminate(*this, 2);
    handler_->save_dialog_data(*this);
    return handler_->terminate(*this, 1);
}

const char* dialog::get_string(int id) {
    const auto it = strings_.find(id);
    return it == strings_.end() ? empty_.c_str() : it->second.c_str();
}

}  // namespace host
