#include "symmetry/pairing_registry.h"

#include "frame/globals.h"
#include "frame/sdk/shape.h"
#include "symmetry/twinel_class.h"

namespace {

constexpr const char* unexplained_failure = "***Twinel ERROR*** at make twinel.";

}  // namespace

const char* make_pairing(Polygon_class& polygon, const Symmetry_class& settings, bool makeup, twinel_class** out) {
    if (out) *out = nullptr;
    shape_class* shape = polygon.shape;
    // A second pairing would edit the mesh and, when discarded, strip the
    // first one's shape attribute.
    if (twinel_class* existing = shape ? SymS.get_extend_object(shape) : nullptr) {
        if (out) *out = existing;
        return nullptr;
    }
    auto made = extend_class_container<twinel_class>::make_owner(nullptr);
    try {
        made.reset(new twinel_class(polygon, settings, makeup));
    } catch (const char* message) {
        return message ? message : unexplained_failure;
    } catch (...) {
        return unexplained_failure;
    }
    twinel_class* pairing = made.get();
    if (!SymS.insert(shape, made)) {
        // Not reached after the check above; should a pairing have been
        // registered meanwhile, it stays and keeps its mark.
        made.reset();
        pairing = SymS.get_extend_object(shape);
        if (pairing) pairing->awake_twinel();
    }
    if (out) *out = pairing;
    return nullptr;
}

void delete_twinel_object(shape_class& shape) {
    const int type = shape.get_type();
    if (type == kx::sdk::polygon_mesh_shape) {
        SymS.remove(&shape);
        return;
    }
    if (type != kx::sdk::part_shape) return;
    const part_class* part = shape.as_part();
    if (part && part->get_part_type() == kx::sdk::surface_part) return;
    const int sons = shape.get_number_of_sons();
    for (int k = 0; k < sons; ++k)
        if (shape_class* son = shape.get_son(k)) delete_twinel_object(*son);
}
