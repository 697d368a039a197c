// The common part of every shape of the reference host.
//
// Every host shape implements part_class, so that one base holds what all
// kinds share; only parts (kind 2) answer as_part(). The shape's editable
// data is one shape_state (see shape_state.h); every write announces itself
// to the scene first, which lets an open undo step save the state.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "frame/sdk/shape.h"
#include "host/change_listener.h"
#include "host/saved_state.h"
#include "host/shape_state.h"
#include "host/skin_view.h"
#include "host/surface_attributes.h"

namespace host {

class scene;

class shape : public part_class, public change_listener {
public:
    shape(scene& owner, int kind, const std::string& name);
    virtual ~shape();
    shape(const shape&) = delete;
    shape& operator=(const shape&) = delete;

    int get_type() const override { return kind_; }
    const char* get_name() const override { return state_.name.c_str(); }
    // A null name is taken as empty.
    void set_name(const char* name) override;
    // Counted.
    scene_interface* get_scene() const override;

    shape_class* get_dad() const override;
    int get_number_of_sons() const override;
    // Null when out of range.
    shape_class* get_son(int index) const override;

    part_class* as_part() override { return nullptr; }
    polygon_mesh_class* get_polygon_mesh() override { return nullptr; }

    // The local matrix times the parent's world matrix (row-vector form).
    mat4 get_transformation_to_world() const override;
    // The inverse (mat4::inv) of the transformation to world.
    mat4 get_transformation_from_world() const override;

    int get_number_of_control_points() const override { return 1; }
    control_point_class* get_control_point(int) override { return nullptr; }
    bool is_closed() const override { return false; }
    // NaN components: only primitives have such points.
    vec3 get_primitive_point(int which) const override;

    skin_class& get_skin() const override;

    // Counted brackets; an end without a begin is ignored.
    void begin_modification() override;
    void end_modification() override;
    // Opens an undo step on the scene (nested records join the open step).
    undo_record_interface* create_undo_record() override;
    // Joins the scene's newest undo step (undo_stack::reopen).
    undo_record_interface* create_joining_undo_record() override;

    void clear_active_elements() override {}

    // Stores `kind` under `key` (replacing an earlier kind) and answers a
    // new counted handle; key2 and kind2 are not used. Null for an all-zero key.
    unknown_interface* create_attribute(const kx::uuid_class& key, const kx::uuid_class& key2,
                                        const kx::uuid_class& kind, const kx::uuid_class& kind2) override;
    bool find_attribute(const kx::uuid_class& key) const override;
    void remove_attribute(const kx::uuid_class& key) override;
    // Bytes equal to those kept already change nothing (no undo entry).
    void set_attribute_data(const kx::uuid_class& key, const void* data, std::size_t size) override;
    const void* get_attribute_data(const kx::uuid_class& key, std::size_t& size) const override;

    // Null until the host gives the shape surface attributes.
    surface_attributes_interface* get_surface_attributes() override { return surface_.get(); }
    // The parent, for a shape without surface attributes of its own.
    shape_class* get_inherited_shape() const override;

    // A deep copy (a part with its subtree) whose local matrix is the
    // source's times `transform`, inserted after the source in its parent.
    // Undoable. Throws std::logic_error for the root or a shape outside the
    // scene.
    shape_class* duplicate(const mat4& transform) override;

    // Part interface; only host::part gives these a meaning.
    int get_part_type() const override { return -1; }
    shape_class* get_link() const override { return nullptr; }
    void exchange_line_directions() override;

    // ---- host side -----------------------------------------------------
    scene& owner() const { return *scene_; }
    const shape_state& state() const { return state_; }
    shape* parent() const { return state_.parent; }
    const std::vector<shape*>& children() const { return state_.children; }
    // Whether the shape hangs below the scene's root (the root included).
    bool in_scene() const;

    mat4 local_matrix() const { return state_.local; }
    void set_local_matrix(const mat4& local);

    // Own surface attributes, made on first use.
    surface_attributes& surface();

    int modification_depth() const { return modification_depth_; }
    int modification_count() const { return modification_count_; }

    // The shape's state for an undo step, sharing what is unchanged with
    // `previous` (an earlier saved state of this shape, or null).
    std::shared_ptr<const saved_state> save(const saved_state* previous);
    // Puts back a state saved by an undo step.
    virtual void restore(const saved_state& saved);
    // A new shape of the same kind and data, outside the tree (no parent,
    // no children); the scene takes ownership.
    virtual std::unique_ptr<shape> clone() const = 0;

    void will_change(change_kind kind) override;

    // undo_stack's bookkeeping: the step that last saved this shape; the
    // changes announced so far; and a saved state equal to the shape's
    // state when `changes` was `last_saved_at`.
    std::uint64_t saved_in_step = 0;
    std::uint64_t changes = 0;
    std::shared_ptr<const saved_state> last_saved;
    std::uint64_t last_saved_at = 0;

protected:
    // Tree links are changed only by the scene.
    friend class scene;
    // Takes over the source's data and surface attributes, without its
    // tree links (parent, children, lines set aside); for clone().
    void copy_data_from(const shape& source);

    shape_state state_;

private:
    class own_skin final : public skin_view {
    public:
        explicit own_skin(shape& s) : shape_(&s) {}

    protected:
        const skin_data* find_skin() const override { return &shape_->state_.skin; }
        skin_data& make_skin() override;

    private:
        shape* shape_;
    };

    scene* scene_;
    int kind_;
    std::unique_ptr<surface_attributes> surface_;
    mutable own_skin skin_{*this};
    int modification_depth_ = 0;
    int modification_count_ = 0;
};

}  // namespace host
