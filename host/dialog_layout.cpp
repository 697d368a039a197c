#include "host/dialog_layout.h"

#include <algorithm>
#include <iterator>
#include <set>

#include <boost/format.hpp>

#include "host/kxul_file.h"

namespace host {
namespace {

struct element_kind {
    const char* name;
    dialog_item_kind kind;
};

constexpr element_kind element_kinds[] = {
    {"push-button", dialog_item_kind::push_button}, {"string", dialog_item_kind::string},
    {"selection", dialog_item_kind::selection},     {"group", dialog_item_kind::group},
    {"int", dialog_item_kind::integer},             {"rgb", dialog_item_kind::rgb},
    {"bool", dialog_item_kind::boolean},
};

class reader {
public:
    reader(const kxul_document& doc, dialog_layout& out) : doc_(doc), out_(out) {}

    void items(const pugi::xml_node& parent, int group) {
        for (const pugi::xml_node& element : parent.children()) {
            if (element.type() != pugi::node_element) continue;
            const dialog_item& added = item(element, group);
            if (added.kind == dialog_item_kind::group) items(element, added.id);
        }
    }

private:
    const dialog_item& item(const pugi::xml_node& element, int group) {
        const auto found = std::find_if(std::begin(element_kinds), std::end(element_kinds),
                                        [&](const element_kind& k) { return std::string(k.name) == element.name(); });
        if (found == std::end(element_kinds))
            doc_.fail(element, (boost::format("<%s> is not a dialog item") % element.name()).str());
        dialog_item it;
        it.kind = found->kind;
        it.group = group;
        const bool has_default = it.kind != dialog_item_kind::push_button && it.kind != dialog_item_kind::group;
        std::vector<std::string> allowed{"id", "label", "unit"};
        if (has_default) allowed.push_back("default");
        doc_.only_attributes(element, allowed);
        if (!element.attribute("id")) doc_.fail(element, (boost::format("<%s> needs an id") % element.name()).str());
        it.id = doc_.integer(element, "id", 0);
        if (!ids_.insert(it.id).second) doc_.fail(element, (boost::format("item %i appears twice") % it.id).str());
        it.label = element.attribute("label").value();
        it.unit = element.attribute("unit").value();

        if (it.kind == dialog_item_kind::selection) {
            for (const pugi::xml_node& i : element.children()) {
                if (i.type() != pugi::node_element) continue;
                if (std::string(i.name()) != "item") doc_.fail(i, "a selection holds only <item> elements");
                it.items.emplace_back(i.text().as_string());
            }
        } else if (it.kind != dialog_item_kind::group &&
                   element.find_child([](const pugi::xml_node& c) { return c.type() == pugi::node_element; })) {
            doc_.fail(element, (boost::format("<%s> holds no elements") % element.name()).str());
        }

        switch (it.kind) {
            case dialog_item_kind::integer: it.int_default = doc_.integer(element, "default", 0); break;
            case dialog_item_kind::selection:
                it.int_default = doc_.integer(element, "default", 0);
                if (it.int_default < 0 || it.int_default >= static_cast<int>(it.items.size()))
                    doc_.fail(element, (boost::format("the default %i is not one of the %i items") % it.int_default %
                                        it.items.size()).str());
                break;
            case dialog_item_kind::boolean: it.bool_default = doc_.flag(element, "default", false); break;
            case dialog_item_kind::rgb:
                if (element.attribute("default")) {
                    const std::vector<float> c = doc_.reals(element, "default", 3);
                    it.rgb_default = vec3{c[0], c[1], c[2]};
                }
                break;
            case dialog_item_kind::string: it.string_default = element.attribute("default").value(); break;
            case dialog_item_kind::push_button:
            case dialog_item_kind::group: break;
        }
        out_.items.push_back(std::move(it));
        return out_.items.back();
    }

    const kxul_document& doc_;
    dialog_layout& out_;
    std::set<int> ids_;
};

dialog_layout read_layout(const kxul_document& doc, const std::string& name) {
    for (const pugi::xml_node& d : doc.root().children("dialog")) {
        if (!same_name(d.attribute("id").value(), name)) continue;
        doc.only_attributes(d, {"id", "title", "default-button"});
        dialog_layout layout;
        layout.id = d.attribute("id").value();
        layout.title = d.attribute("title").value();
        layout.default_button = doc.flag(d, "default-button", false);
        reader(doc, layout).items(d, -1);
        return layout;
    }
    doc.fail(doc.root(), (boost::format("no dialog \"%s\"") % name).str());
}

}  // namespace

dialog_layout read_dialog_layout(const std::string& path, const std::string& name) {
    return read_layout(kxul_document(path), name);
}

dialog_layout read_dialog_layout(const resource_file& file, const std::string& name) {
    return read_layout(kxul_document(file), name);
}

}  // namespace host
