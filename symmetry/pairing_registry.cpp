#include "symmetry/pairing_registry.h"

#include "frame/globals.h"
#include "frame/identifiers.h"
#include "frame/sdk/shape.h"
#include "symmetry/pairing_state.h"
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
    if (pairing) keep_pairing_state(*pairing);
    if (out) *out = pairing;
    return nullptr;
}

namespace {

// Calls `mesh` for the shape when it is a polygon mesh, or for each polygon
// mesh below a group shape, depth first; a surface (group type 1) holds none.
template <class F>
void for_each_mesh_below(shape_class& shape, F&& mesh) {
    const int type = shape.get_type();
    if (type == kx::sdk::polygon_mesh_shape) {
        mesh(shape);
        return;
    }
    if (type != kx::sdk::part_shape) return;
    const part_class* part = shape.as_part();
    if (part && part->get_part_type() == kx::sdk::surface_part) return;
    const int sons = shape.get_number_of_sons();
    for (int k = 0; k < sons; ++k)
        if (shape_class* son = shape.get_son(k)) for_each_mesh_below(*son, mesh);
}

}  // namespace

void delete_twinel_object(shape_class& shape) {
    for_each_mesh_below(shape, [](shape_class& mesh) { SymS.remove(&mesh); });
}

namespace {

bool below_root(const shape_class& shape, const shape_class& root) {
    const shape_class* s = &shape;
    while (s->get_dad()) s = s->get_dad();
    return s == &root;
}

pairing_restore restore_mesh_pairing(shape_class& shape, bool in_scene, const Symmetry_class& settings) {
    twinel_class* live = SymS.get_extend_object(&shape);
    pairing_state state;
    const bool kept = in_scene && shape.find_attribute(twinel_uuid);
    if (!kept || !read_pairing_state(shape, settings, state)) {
        if (!live) return pairing_restore::kept;
        // The restored state is left exactly as undo or redo made it: the
        // pairing goes without removing an attribute the state may hold.
        live->polygon.set_shape(nullptr);
        SymS.remove(&shape);
        return kept ? pairing_restore::unreadable : pairing_restore::released;
    }
    if (live) {
        if (live->vertex_table.links == state.vertex_links && live->face_table.links == state.face_links &&
            live->edge_count == state.edge_count)
            return pairing_restore::kept;
        apply_pairing_state(*live, state);
        return pairing_restore::restored;
    }
    auto made = extend_class_container<twinel_class>::make_owner(nullptr);
    made.reset(new twinel_class(Polygon_class(&shape), state.settings));
    apply_pairing_state(*made, state);
    SymS.insert(&shape, made);
    return pairing_restore::remade;
}

}  // namespace

void restore_pairings(shape_class& shape, const shape_class& root, const Symmetry_class& settings,
                      std::vector<restored_pairing>& out) {
    for_each_mesh_below(shape, [&](shape_class& mesh) {
        const bool had = SymS.get_extend_object(&mesh) != nullptr;
        const pairing_restore what = restore_mesh_pairing(mesh, below_root(mesh, root), settings);
        if (had || what != pairing_restore::kept) out.push_back({&mesh, what});
    });
}
