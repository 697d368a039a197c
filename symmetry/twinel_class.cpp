#include "symmetry/twinel_class.h"

#include "frame/sdk/polygon_mesh.h"

twinel_class::twinel_class(const Polygon_class& source, const Symmetry_class& settings)
    : Symmetry_class(settings), polygon(source.shape) {
    // Only the settings travel; the matrices belong to this pairing's shape.
    world_matrix = mat4();
    inverse_world_matrix = mat4();
    set_matrix();
}

void twinel_class::set_matrix() {
    if (use_world && polygon.shape) take_matrices(*polygon.shape);
}

std::vector<vec3> twinel_class::read_positions() {
    std::vector<vec3> positions;
    if (!polygon.mesh) return positions;
    polygon_mesh_class& mesh = *polygon.mesh;
    positions.resize(static_cast<std::size_t>(std::max(0, mesh.get_number_of_vertices())));
    for (std::size_t i = 0; i < positions.size(); ++i) positions[i] = get_position(mesh.vertex(static_cast<int>(i)));
    return positions;
}
