// skin_class over a skin_data that lives in a mesh, a line or a shape.
#pragma once

#include "frame/sdk/shape.h"
#include "host/mesh_data.h"

namespace host {

// Reads through find(); every write first calls make(), which announces the
// change (for undo) and creates the skin when the owner had none. A skin
// without bindings keeps its stored matrix; new skins start with the
// identity.
class skin_view : public skin_class {
public:
    int get_number_of_binds() const override;
    mat4 get_skin_matrix() const override;
    // Throw std::out_of_range for a binding the skin does not have.
    shape_class* get_bind_joint(int k) const override;
    float get_bind_weight(int k) const override;
    void set_bind_weight(int k, float weight) override;
    void set_bind_joint(int k, shape_class* joint) override;
    void append_bind() override;
    // Does nothing on a skin without bindings.
    void remove_last_bind() override;

    // Host side: the matrix that replaces the owner's world transform while
    // the skin has bindings.
    void set_skin_matrix(const mat4& matrix);

protected:
    ~skin_view() = default;
    // The skin, or null when the owner has none yet.
    virtual const skin_data* find_skin() const = 0;
    // The skin after announcing a change; created when absent.
    virtual skin_data& make_skin() = 0;

private:
    const skin_binding& binding(int k) const;
};

}  // namespace host
