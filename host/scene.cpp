#include "host/scene.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <unordered_set>

#include "host/application.h"
#include "host/line_shape.h"
#include "host/merge_vertices.h"
#include "host/mesh_shape.h"
#include "host/part.h"
#include "host/primitive_shape.h"

namespace host {

scene::scene(application& app) : app_(&app) {
    owned_.push_back(std::make_unique<part>(*this, "root", 0));
    root_ = static_cast<part*>(owned_.back().get());
}

scene::~scene() {
    for (const auto& s : owned_) app_->marks().forget(*s);
}

// ---- messages and lookups ------------------------------------------------

bool scene::show_message(const char* text, bool question) { return app_->show_message(text, question); }

void scene::message(const char* line) { app_->message(line); }

plugin_interface* scene::find_plugin_interface(const kx::uuid_class& id) { return app_->find_plugin_interface(id); }

int scene::get_number_of_active_shapes() { return static_cast<int>(active_.size()); }

shape_class* scene::get_active_shape() { return active_.empty() ? nullptr : active_.front(); }

part_class& scene::get_root_part() { return *root_; }

const std::vector<shape*>& scene::shapes_in_order() {
    if (!order_valid_) {
        order_.clear();
        order_index_.clear();
        std::vector<shape*> work{root_};
        while (!work.empty()) {
            shape* s = work.back();
            work.pop_back();
            order_index_[s] = static_cast<int>(order_.size());
            order_.push_back(s);
            const auto& kids = s->children();
            for (auto it = kids.rbegin(); it != kids.rend(); ++it) work.push_back(*it);
        }
        order_valid_ = true;
    }
    return order_;
}

shape_class* scene::get_shape_by_index(int index) {
    const auto& order = shapes_in_order();
    if (index < 0 || index >= static_cast<int>(order.size())) return nullptr;
    return order[static_cast<std::size_t>(index)];
}

int scene::get_shape_index(const shape_class& s) {
    shapes_in_order();
    const auto it = order_index_.find(&s);
    return it == order_index_.end() ? -1 : it->second;
}

shape_class* scene::get_shape_by_name(const char* name) {
    if (!name) return nullptr;
    for (shape* s : shapes_in_order())
        if (s->state().name == name) return s;
    return nullptr;
}

// ---- modes and figure updates ----------------------------------------------

void scene::set_selection_mode(int mode) {
    if (mode < 0 || mode > 2) throw std::invalid_argument("selection mode " + std::to_string(mode) + " does not exist");
    selection_mode_ = mode;
}

void scene::inhibit_update() {
    ++counters_.inhibits;
    ++counters_.inhibit_depth;
}

void scene::allow_update() {
    ++counters_.allows;
    if (counters_.inhibit_depth > 0) --counters_.inhibit_depth;
}

// ---- mesh merge ------------------------------------------------------------

void scene::merge_selected_vertices() {
    if (active_.empty() || active_.front()->get_type() != 7) return;
    auto& target = static_cast<mesh_shape&>(*active_.front());
    std::vector<int> selected;
    const mesh_data& d = target.data();
    for (int v = 0; v < d.vertex_count(); ++v)
        if (d.vertex_selected[static_cast<std::size_t>(v)]) selected.push_back(v);
    if (selected.size() < 2) return;
    ++merges_;
    merge_vertices(target.edit_data(), selected);
}

// ---- views -----------------------------------------------------------------

progress_interface* scene::create_progress(const char* title) {
    progress_titles_.push_back(title ? title : "");
    auto* p = new progress(title);
    p->AddRef();
    return p;
}

uv_view_interface* scene::get_uv_view() {
    auto* v = new uv_view(*this);
    v->AddRef();
    return v;
}

scene_window_interface* scene::get_window() {
    auto* w = new scene_window(*this);
    w->AddRef();
    return w;
}

// ---- shapes ----------------------------------------------------------------

std::string scene::unused_line_name() {
    for (;;) {
        const std::string name = "line_" + std::to_string(++line_serial_);
        if (!get_shape_by_name(name.c_str())) return name;
    }
}

shape_class* scene::create_line(int count, const vec3* points, bool closed, int, int) {
    if (count < 0 || (count > 0 && !points))
        throw std::invalid_argument("a line needs a list of " + std::to_string(count) + " points");
    std::vector<control_point_data> data;
    data.reserve(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) data.push_back(line_shape::point_at(points[k]));
    line_shape& line = add_line(unused_line_name(), std::move(data), closed);
    announce_created({&line});
    return &line;
}

shape& scene::keep(std::unique_ptr<shape> s) {
    if (&s->owner() != this) throw std::invalid_argument("the shape was made for another scene");
    owned_.push_back(std::move(s));
    return *owned_.back();
}

shape& scene::insert(std::unique_ptr<shape> s, shape& parent, int position) {
    shape& kept = keep(std::move(s));
    place(kept, &parent, position);
    return kept;
}

void scene::place(shape& s, shape* parent, int position) {
    if (&s.owner() != this || (parent && &parent->owner() != this))
        throw std::invalid_argument("shapes move only within their own scene");
    if (&s == root_) throw std::logic_error("the root part stays where it is");
    for (shape* p = parent; p; p = p->parent())
        if (p == &s) throw std::logic_error("a shape cannot go below itself");
    const undo_scope step(*this);
    if (shape* old = s.parent()) {
        old->will_change(change_kind::content);
        auto& kids = old->state_.children;
        kids.erase(std::find(kids.begin(), kids.end(), &s));
    }
    s.will_change(change_kind::content);
    s.state_.parent = parent;
    if (parent) {
        parent->will_change(change_kind::content);
        auto& kids = parent->state_.children;
        const int at = std::clamp(position, 0, static_cast<int>(kids.size()));
        kids.insert(kids.begin() + at, &s);
    } else {
        drop_inactive();
    }
    tree_changed();
}

void scene::drop_inactive() {
    active_.erase(std::remove_if(active_.begin(), active_.end(), [](shape* a) { return !a->in_scene(); }),
                  active_.end());
}

part& scene::add_part(const std::string& name, int part_type, shape* parent) {
    return static_cast<part&>(
        insert(std::make_unique<part>(*this, name, part_type), parent ? *parent : *root_, at_end));
}

mesh_shape& scene::add_mesh(const std::string& name, mesh_data data, shape* parent) {
    return static_cast<mesh_shape&>(
        insert(std::make_unique<mesh_shape>(*this, name, std::move(data)), parent ? *parent : *root_, at_end));
}

line_shape& scene::add_line(const std::string& name, std::vector<control_point_data> points, bool closed,
                            shape* parent) {
    return static_cast<line_shape&>(insert(std::make_unique<line_shape>(*this, name, std::move(points), closed),
                                           parent ? *parent : *root_, at_end));
}

primitive_shape& scene::add_primitive(const std::string& name, int kind, const vec3& first, const vec3& second,
                                      shape* parent) {
    return static_cast<primitive_shape&>(insert(std::make_unique<primitive_shape>(*this, name, kind, first, second),
                                                parent ? *parent : *root_, at_end));
}

void scene::set_active_shapes(int count, shape_class* const* shapes) {
    active_.clear();
    for (int k = 0; k < count && shapes; ++k) {
        for (const auto& s : owned_) {
            if (s.get() != shapes[k] || !s->in_scene()) continue;
            if (std::find(active_.begin(), active_.end(), s.get()) == active_.end()) active_.push_back(s.get());
            break;
        }
    }
    const std::vector<shape_class*> given(active_.begin(), active_.end());
    app_->notify([&](scene_observer& o) { o.active_shapes_changed(*this, given); });
}

void scene::remove_shape(shape_class& target) {
    shape* s = nullptr;
    for (const auto& o : owned_)
        if (o.get() == &target) s = o.get();
    if (!s || s == root_ || !s->in_scene()) return;
    const std::vector<shape_class*> leaving{s};
    // One step for the deletion and what the observers change on hearing of
    // it (a plug-in releasing the shape's pairing), so that undo brings back
    // both.
    const undo_scope step(*this);
    app_->notify([&](scene_observer& o) { o.shapes_being_deleted(*this, leaving); });
    place(*s, nullptr, 0);
}

void scene::announce_created(const std::vector<shape_class*>& shapes) {
    app_->notify([&](scene_observer& o) { o.shapes_created(*this, shapes); });
}

void scene::announce_copied(const std::vector<shape_class*>& shapes) {
    app_->notify([&](scene_observer& o) { o.shapes_copied(*this, shapes); });
}

void scene::announce_inserted(const std::vector<shape_class*>& shapes) {
    app_->notify([&](scene_observer& o) { o.shapes_inserted(*this, shapes); });
}

void scene::announce_browser_updated() {
    app_->notify([&](scene_observer& o) { o.browser_updated(*this); });
}

// ---- undo ------------------------------------------------------------------

bool scene::undo() {
    std::vector<shape*> touched;
    if (!undo_.undo(&touched)) return false;
    restored(touched);
    return true;
}

bool scene::redo() {
    std::vector<shape*> touched;
    if (!undo_.redo(&touched)) return false;
    restored(touched);
    return true;
}

void scene::restored(const std::vector<shape*>& touched) {
    tree_changed();
    drop_inactive();
    // Each shape once, in the order the step restored them.
    std::vector<shape_class*> shapes;
    std::unordered_set<const shape*> seen;
    for (shape* s : touched)
        if (seen.insert(s).second) shapes.push_back(s);
    app_->notify([&](scene_observer& o) { o.shapes_restored(*this, shapes); });
}

}  // namespace host
