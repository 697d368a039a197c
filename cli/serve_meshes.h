// The meshes of the page's scene as binary arrays, with a revision per mesh
// so that the page fetches only what changed: nothing when it has the
// mesh's revision, the moved vertices when it has the one before and only
// positions changed, the whole mesh otherwise.
//
// The binary form, little-endian, every field 4 bytes:
//   header: "TWMS", form (0 whole, 1 moved vertices, 2 unchanged), revision,
//           vertices V, faces F, corners C, edges E, moved K
//   whole:  float32 positions[3V], int32 face sizes[F], int32 corners[C]
//           (faces one after the other), int32 edge ends[2E]
//   moved:  int32 vertex indices[K], float32 positions[3K]
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "frame/sdk/math.h"

namespace host {
class scene;
class shape;
}  // namespace host

namespace cli {

class mesh_revisions {
public:
    // Brings every mesh of `scene` up to date: a mesh whose positions or
    // faces differ from what was seen last gets a new revision. `generation`
    // changes when the host was started again (every shape is new then).
    void update(host::scene& scene, int generation);

    // A shape's id for the page, the same for as long as the shape lives;
    // ids are never used again.
    int id_of(const host::shape& s);
    // The mesh's current revision; -1 for an id that names no mesh.
    int revision(int id) const;

    // The mesh `id` for a page that has revision `have` (-1: none); empty
    // for an id that names no mesh.
    std::string encode(int id, int have) const;

    // The vertices the mesh's last revision moved and their positions,
    // when it moved only vertices and at most `most` of them: what a page
    // one revision behind needs, small enough to go with the state. Null
    // otherwise.
    const std::vector<std::int32_t>* recent_moves(int id, std::size_t most) const;
    const vec3& position(int id, std::int32_t v) const;

private:
    struct tracked {
        const host::shape* shape = nullptr;
        int revision = 0;
        std::vector<vec3> positions;
        std::vector<std::int32_t> face_sizes, corners, edges;
        // The vertices the last revision moved, when it moved only
        // vertices; `whole` otherwise.
        std::vector<std::int32_t> moved;
        bool whole = true;
        // Only vertices moved, fewer than half of them: sent as moves.
        bool few_moved() const;
    };
    std::unordered_map<const host::shape*, int> ids_;
    std::unordered_map<int, tracked> meshes_;
    const host::scene* scene_ = nullptr;
    int generation_ = -1;
    int next_id_ = 1;
};

}  // namespace cli
