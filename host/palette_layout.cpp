#include "host/palette_layout.h"

#include <algorithm>
#include <iterator>

#include <boost/format.hpp>

#include "host/kxul_file.h"

namespace host {
namespace {

struct element_kind {
    const char* name;
    layout_kind kind;
};

constexpr element_kind element_kinds[] = {
    {"push-button", layout_kind::push_button}, {"checkbox", layout_kind::checkbox},
    {"number", layout_kind::number},           {"popup-menu", layout_kind::popup_menu},
    {"static-text", layout_kind::static_text}, {"control", layout_kind::spacer},
    {"group", layout_kind::group},             {"tab", layout_kind::tab},
    {"vbox", layout_kind::vbox},               {"hbox", layout_kind::hbox},
};

std::vector<std::string> allowed_attributes(layout_kind kind) {
    switch (kind) {
        case layout_kind::vbox:
        case layout_kind::hbox: return {};
        case layout_kind::number: return {"id", "label", "tooltip", "size", "unit", "type", "editable"};
        case layout_kind::group: return {"id", "label", "tooltip", "size", "disclosure"};
        default: return {"id", "label", "tooltip", "size"};
    }
}

class reader {
public:
    explicit reader(const kxul_document& doc) : doc_(doc) {}

    std::vector<layout_node> children(const pugi::xml_node& parent, layout_kind parent_kind) {
        std::vector<layout_node> out;
        for (const pugi::xml_node& child : parent.children()) {
            if (child.type() != pugi::node_element) continue;
            out.push_back(node(child, parent_kind));
        }
        return out;
    }

private:
    layout_node node(const pugi::xml_node& element, layout_kind parent_kind) {
        const auto found = std::find_if(std::begin(element_kinds), std::end(element_kinds),
                                        [&](const element_kind& k) { return std::string(k.name) == element.name(); });
        if (found == std::end(element_kinds))
            doc_.fail(element, (boost::format("<%s> is not a palette element") % element.name()).str());
        layout_node n;
        n.kind = found->kind;
        n.line = doc_.line_of(element);
        if (parent_kind == layout_kind::tab && n.kind != layout_kind::group)
            doc_.fail(element, "a tab holds only groups, one per page");
        doc_.only_attributes(element, allowed_attributes(n.kind));
        const bool box = n.kind == layout_kind::vbox || n.kind == layout_kind::hbox;
        if (!box) {
            n.id = element.attribute("id").value();
            if (n.id.empty()) doc_.fail(element, (boost::format("<%s> needs an id") % element.name()).str());
        }
        n.label = element.attribute("label").value();
        n.tooltip = element.attribute("tooltip").value();
        n.unit = element.attribute("unit").value();
        if (element.attribute("size")) {
            const std::vector<int> size = doc_.integers(element, "size", 2);
            if (size[0] < 0 || size[1] < 0) doc_.fail(element, "a size cannot be negative");
            n.width = size[0];
            n.height = size[1];
        }
        if (n.kind == layout_kind::number) {
            const std::string type = element.attribute("type").value();
            if (type != "" && type != "real" && type != "integer")
                doc_.fail(element, (boost::format("type=\"%s\" is neither real nor integer") % type).str());
            n.integer = type == "integer";
            n.editable = doc_.flag(element, "editable", true);
        }
        if (n.kind == layout_kind::group) n.disclosure = doc_.flag(element, "disclosure", false);
        if (n.kind == layout_kind::popup_menu)
            n.items = items(element);
        else if (n.kind == layout_kind::push_button || n.kind == layout_kind::checkbox ||
                 n.kind == layout_kind::number || n.kind == layout_kind::static_text ||
                 n.kind == layout_kind::spacer) {
            if (element.find_child([](const pugi::xml_node& c) { return c.type() == pugi::node_element; }))
                doc_.fail(element, (boost::format("<%s> holds no elements") % element.name()).str());
        } else {
            n.children = children(element, n.kind);
        }
        return n;
    }

    // Items are named item_0, item_1, ... in order; a name is optional.
    std::vector<std::string> items(const pugi::xml_node& menu) {
        std::vector<std::string> out;
        for (const pugi::xml_node& item : menu.children()) {
            if (item.type() != pugi::node_element) continue;
            if (std::string(item.name()) != "item") doc_.fail(item, "a popup menu holds only <item> elements");
            doc_.only_attributes(item, {"id"});
            const std::string expected = "item_" + std::to_string(out.size());
            if (item.attribute("id") && expected != item.attribute("id").value())
                doc_.fail(item, (boost::format("the item here is \"%s\", not \"%s\"") % expected %
                                 item.attribute("id").value()).str());
            out.emplace_back(item.text().as_string());
        }
        return out;
    }

    const kxul_document& doc_;
};

void collect(const std::vector<layout_node>& nodes, std::vector<const layout_node*>& out) {
    for (const layout_node& n : nodes) {
        if (n.kind != layout_kind::vbox && n.kind != layout_kind::hbox) out.push_back(&n);
        collect(n.children, out);
    }
}

// ---- nominal sizes ---------------------------------------------------------

constexpr int char_width = 6;  // per byte of text
constexpr int gap = 2;

struct extent {
    int width = 0;
    int height = 0;
};

int text_width(const std::string& s) { return char_width * static_cast<int>(s.size()); }

extent stack(const std::vector<layout_node>& nodes, bool vertical);

extent measure(const layout_node& n) {
    extent e;
    switch (n.kind) {
        case layout_kind::push_button: e = {std::max(40, text_width(n.label) + 16), 20}; break;
        case layout_kind::checkbox: e = {16 + text_width(n.label), 16}; break;
        case layout_kind::number: e = {text_width(n.label) + text_width(n.unit) + 64, 18}; break;
        case layout_kind::popup_menu: {
            int widest = 0;
            for (const std::string& item : n.items) widest = std::max(widest, text_width(item));
            e = {text_width(n.label) + widest + 32, 20};
            break;
        }
        case layout_kind::static_text: e = {text_width(n.label), 14}; break;
        case layout_kind::spacer: break;
        case layout_kind::group: {
            const extent inner = stack(n.children, true);
            e = {std::max(inner.width, text_width(n.label)) + 8, inner.height + (n.label.empty() ? 8 : 24)};
            break;
        }
        case layout_kind::tab: {
            int strip = 0;
            for (const layout_node& page : n.children) {
                const extent p = measure(page);
                e.width = std::max(e.width, p.width);
                e.height = std::max(e.height, p.height);
                strip += text_width(page.label) + 16;
            }
            e = {std::max(e.width, strip), e.height + 22};
            break;
        }
        case layout_kind::vbox: return stack(n.children, true);
        case layout_kind::hbox: return stack(n.children, false);
    }
    if (n.width >= 0) e.width = n.width;
    if (n.height >= 0) e.height = n.height;
    return e;
}

extent stack(const std::vector<layout_node>& nodes, bool vertical) {
    extent total;
    for (std::size_t k = 0; k < nodes.size(); ++k) {
        const extent e = measure(nodes[k]);
        const int spacing = k == 0 ? 0 : gap;
        if (vertical) {
            total.width = std::max(total.width, e.width);
            total.height += spacing + e.height;
        } else {
            total.width += spacing + e.width;
            total.height = std::max(total.height, e.height);
        }
    }
    return total;
}

palette_layout read_layout(const kxul_document& doc, const std::string& name) {
    for (const pugi::xml_node& p : doc.root().children("palette")) {
        if (!same_name(p.attribute("id").value(), name)) continue;
        doc.only_attributes(p, {"id", "vartical", "margins"});
        palette_layout layout;
        layout.id = p.attribute("id").value();
        layout.vertical = doc.flag(p, "vartical", true);
        if (p.attribute("margins")) {
            const std::vector<int> m = doc.integers(p, "margins", 4);
            std::copy(m.begin(), m.end(), layout.margins);
        }
        layout.children = reader(doc).children(p, layout_kind::vbox);
        return layout;
    }
    doc.fail(doc.root(), (boost::format("no palette \"%s\"") % name).str());
}

}  // namespace

palette_layout read_palette_layout(const std::string& path, const std::string& name) {
    return read_layout(kxul_document(path), name);
}

palette_layout read_palette_layout(const resource_file& file, const std::string& name) {
    return read_layout(kxul_document(file), name);
}

std::vector<const layout_node*> layout_controls(const palette_layout& layout) {
    std::vector<const layout_node*> out;
    collect(layout.children, out);
    return out;
}

kx::rect_class layout_bounds(const palette_layout& layout) {
    const extent inner = stack(layout.children, layout.vertical);
    kx::rect_class r;
    r.left = 0;
    r.top = 0;
    r.right = layout.margins[0] + inner.width + layout.margins[2];
    r.bottom = layout.margins[1] + inner.height + layout.margins[3];
    return r;
}

}  // namespace host
