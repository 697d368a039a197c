#include "host/shape.h"

#include <limits>
#include <stdexcept>

#include "host/part.h"
#include "host/scene.h"

namespace host {
namespace {

// What create_attribute hands out: a counted token with nothing inside.
class attribute_handle final : public kx::ref_counted<unknown_interface> {};

}  // namespace

shape::shape(scene& owner, int kind, const std::string& name) : scene_(&owner), kind_(kind) { state_.name = name; }

shape::~shape() = default;

void shape::will_change(change_kind kind) { scene_->record_change(*this, kind); }

void shape::set_name(const char* name) {
    will_change(change_kind::content);
    state_.name = name ? name : "";
}

scene_interface* shape::get_scene() const {
    scene_->AddRef();
    return scene_;
}

shape_class* shape::get_dad() const { return state_.parent; }

int shape::get_number_of_sons() const { return static_cast<int>(state_.children.size()); }

shape_class* shape::get_son(int index) const {
    if (index < 0 || index >= static_cast<int>(state_.children.size())) return nullptr;
    return state_.children[static_cast<std::size_t>(index)];
}

bool shape::in_scene() const {
    const shape* s = this;
    while (s->state_.parent) s = s->state_.parent;
    return s == &scene_->root();
}

mat4 shape::get_transformation_to_world() const {
    mat4 m = state_.local;
    for (const shape* p = state_.parent; p; p = p->state_.parent) m = m * p->state_.local;
    return m;
}

mat4 shape::get_transformation_from_world() const { return get_transformation_to_world().inv(); }

void shape::set_local_matrix(const mat4& local) {
    will_change(change_kind::content);
    state_.local = local;
}

vec3 shape::get_primitive_point(int) const {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    return vec3(nan, nan, nan);
}

skin_class& shape::get_skin() const { return skin_; }

skin_data& shape::own_skin::make_skin() {
    shape_->will_change(change_kind::content);
    return shape_->state_.skin;
}

void shape::begin_modification() {
    ++modification_depth_;
    ++modification_count_;
}

void shape::end_modification() {
    if (modification_depth_ > 0) --modification_depth_;
}

undo_record_interface* shape::create_undo_record() {
    scene_->count_undo_record();
    auto* record = new undo_record(*scene_, false);
    record->AddRef();
    return record;
}

undo_record_interface* shape::create_joining_undo_record() {
    // Not counted with the records of create_undo_record: a joining record
    // makes no step of its own where one exists to join.
    auto* record = new undo_record(*scene_, true);
    record->AddRef();
    return record;
}

unknown_interface* shape::create_attribute(const kx::uuid_class& key, const kx::uuid_class&,
                                           const kx::uuid_class& kind, const kx::uuid_class&) {
    if (key == kx::uuid_class()) return nullptr;
    will_change(change_kind::content);
    state_.attributes[key] = attribute_value{kind, nullptr};
    auto* handle = new attribute_handle();
    handle->AddRef();
    return handle;
}

bool shape::find_attribute(const kx::uuid_class& key) const { return state_.attributes.count(key) != 0; }

void shape::remove_attribute(const kx::uuid_class& key) {
    if (!find_attribute(key)) return;
    will_change(change_kind::content);
    state_.attributes.erase(key);
}

void shape::set_attribute_data(const kx::uuid_class& key, const void* data, std::size_t size) {
    const auto it = state_.attributes.find(key);
    if (it == state_.attributes.end()) return;
    std::shared_ptr<const std::string> bytes;
    if (size > 0) bytes = std::make_shared<const std::string>(static_cast<const char*>(data), size);
    const std::shared_ptr<const std::string>& old = it->second.data;
    if ((!old && !bytes) || (old && bytes && *old == *bytes)) return;
    will_change(change_kind::content);
    state_.attributes[key].data = std::move(bytes);
}

const void* shape::get_attribute_data(const kx::uuid_class& key, std::size_t& size) const {
    size = 0;
    const auto it = state_.attributes.find(key);
    if (it == state_.attributes.end() || !it->second.data) return nullptr;
    size = it->second.data->size();
    return it->second.data->data();
}

surface_attributes& shape::surface() {
    if (!surface_) surface_ = std::make_unique<surface_attributes>();
    return *surface_;
}

shape_class* shape::get_inherited_shape() const { return surface_ ? nullptr : state_.parent; }

void shape::exchange_line_directions() {
    throw std::logic_error("shape '" + state_.name + "' is not a surface part");
}

std::shared_ptr<const saved_state> shape::save(const saved_state* previous) {
    return std::make_shared<const saved_state>(state_, previous);
}

void shape::restore(const saved_state& saved) { saved.restore_into(state_); }

void shape::copy_data_from(const shape& source) {
    shape_state s = source.state_;
    s.parent = nullptr;
    s.children.clear();
    s.parked_lines.clear();
    s.directions_exchanged = false;
    state_ = std::move(s);
    if (source.surface_) surface_ = std::make_unique<surface_attributes>(*source.surface_);
}

shape_class* shape::duplicate(const mat4& transform) {
    shape* parent = state_.parent;
    if (!parent || !in_scene()) throw std::logic_error("only a shape in the scene below the root can be duplicated");
    const std::vector<shape*>& siblings = parent->state_.children;
    int position = 0;
    while (siblings[static_cast<std::size_t>(position)] != this) ++position;

    // Copy the subtree, parents before children, then hang it in.
    struct pending {
        const shape* source;
        shape* copy;
    };
    const undo_scope step(*scene_);
    std::unique_ptr<shape> top = clone();
    top->state_.local = state_.local * transform;
    shape& copy = scene_->insert(std::move(top), *parent, position + 1);
    std::vector<pending> work{{this, &copy}};
    while (!work.empty()) {
        const pending p = work.back();
        work.pop_back();
        int k = 0;
        for (const shape* child : p.source->state_.children) {
            shape& c = scene_->insert(child->clone(), *p.copy, k++);
            work.push_back({child, &c});
        }
    }
    scene_->announce_copied({&copy});
    return &copy;
}

}  // namespace host
