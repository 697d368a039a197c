// The plug-in's handle on one polygon-mesh shape: an undo bracket, face and
// vertex selection, edge queries, the face pair beside each edge, edge
// removal with refacing, invalid-face removal, and the mesh analyses.
//
// A Polygon_class refers to host objects and owns none of them, except the
// undo record it opens. The mesh member is set only when the shape is a
// polygon mesh; callers check that before calling anything here. No
// operation reports errors of its own; host exceptions pass through, with
// every counted host object released and every bracket closed.
#pragma once

#include <set>
#include <utility>
#include <vector>

#include "frame/array.h"
#include "frame/sdk/polygon_mesh.h"
#include "mesh/shape_class.h"

class scene_interface;
namespace uv_editing {
struct face_uv;
}

class Polygon_class : public Shape_class {
public:
    polygon_mesh_class* mesh = nullptr;  // the same shape seen as a polygon mesh

    // Wraps `s` (may be null); the mesh is set when `s` is a polygon mesh.
    explicit Polygon_class(shape_class* s = nullptr);
    // Wraps another shape; an open undo record is released without closing.
    void set_shape(shape_class* s);

    // ---- undo bracket ------------------------------------------------------
    // Releases an open record without closing it, then asks the shape for a
    // new one and holds it.
    void start_undo();
    // Closes (argument 0) and releases an open record; nothing without one.
    void end_undo();

    // ---- selection ----------------------------------------------------------
    // Makes exactly the listed faces selected. Switches the scene to face
    // selection first when it is in another mode (then refreshes it and
    // enters modify mode when not in it). Walks every face once with a
    // cursor on the list, between one inhibit and allow of figure updates:
    // face i is selected when it is the cursor's value (cursor advances),
    // left as it is when the cursor's value is below i (a list that is not
    // strictly ascending), deselected otherwise.
    void select_faces(const Array<int>& faces);
    // Deselects every face, with the same mode switch and update bracket.
    void unselect_all_face();
    // Makes exactly the listed vertices selected, in list order: switches the
    // scene to vertex selection (refresh, modify mode) when needed, clears
    // the shape's element selection, then selects inside one vertex
    // selection bracket of the mesh.
    void select_vertices(const Array<int>& vertices);
    void select_vertices(const std::vector<int>& vertices);
    // Resizes `out` (a vector of int) to the number of selected vertices and
    // fills it with their indices, ascending; returns the count.
    template <class Container>
    int get_active_vertices(Container& out);

    // ---- edge queries -------------------------------------------------------
    // Adds, in ascending edge order, every edge whose two ends both occur in
    // `vertices` (which must be ascending; an edge joining a vertex to
    // itself needs that vertex listed twice). Empties `out` first when
    // `clear`. Returns out's size.
    int get_edges_by_vertices(const Array<int>& vertices, std::set<int>& out, bool clear);
    int get_edges_by_vertices(const Array<int>& vertices, std::vector<int>& out, bool clear);
    // Empties `out`, then fills it with, for mode 1, the edges whose own
    // selected flag is set, ascending; for any other mode, the edges whose
    // two ends are both selected vertices (none with fewer than two).
    void active_edges(std::set<int>& out, int mode);
    void active_edges(std::vector<int>& out, int mode);
    // For the k-th listed edge (a set is walked ascending), face_a[k] and
    // face_b[k] receive the faces on its sides A and B from the mesh's
    // face-of-edge lookup (negative when none; `flag` is passed to the host
    // unchanged). With `fresh`, fresh[k] is true when the two faces differ
    // and neither was produced for an earlier edge of this call. The outputs
    // must hold at least as many entries as the edge list; nothing is
    // resized. Shorter outputs throw std::invalid_argument before anything
    // is looked up.
    void get_faces_pair_by_edges(const std::vector<int>& edges, Array<int>& face_a, Array<int>& face_b,
                                 Array<bool>* fresh, bool flag);
    void get_faces_pair_by_edges(const Array<int>& edges, Array<int>& face_a, Array<int>& face_b,
                                 Array<bool>* fresh, bool flag);
    void get_faces_pair_by_edges(const std::set<int>& edges, Array<int>& face_a, Array<int>& face_b,
                                 Array<bool>* fresh, bool flag);

    // ---- editing ------------------------------------------------------------
    // Appends one face with the listed vertices in winding order.
    void append_face(const Array<int>& vertices);
    // Rewrites face a as the outline of faces a and b across their shared
    // edge (p, q): a's corners from p onward, then b's corners after q up to
    // (not including) p. The result has UVs when either face had them; the
    // face's explicit normals are cleared. Face b stays (its caller removes
    // it). Leaves face a unchanged when p is not a corner of a or q not a
    // corner of b.
    void combine_face(int a, int b, int p, int q);
    // Removes one edge and the faces beside it (face_a, face_b as
    // get_faces_pair_by_edges gave them; indices as at the start of the
    // removal batches that remove_edges opens, inside which this must run).
    // One face: removed. Two triangles with `reface`: face a becomes their
    // quadrilateral (combine_face), face b is removed. Otherwise both are
    // removed. Removed faces are inserted into `removed` when given.
    void remove_edge(int edge, int face_a, int face_b, std::set<int>* removed, bool reface);
    // Batch form: inside one modification of the shape and one edge and one
    // face removal batch, remove_edge for the k-th edge with face_a[k],
    // face_b[k] and (*reface)[k] (false without flags). `removed` is not
    // emptied. Face lists or flags shorter than the edge list throw
    // std::invalid_argument before anything changes.
    void remove_edges(const std::set<int>& edges, const Array<int>& face_a, const Array<int>& face_b,
                      std::set<int>* removed, const Array<bool>* reface);
    void remove_edges(const std::vector<int>& edges, const Array<int>& face_a, const Array<int>& face_b,
                      std::set<int>* removed, const Array<bool>* reface);
    // Complete form: empties `removed`, finds the faces beside the edges
    // itself and removes them; with `reface` two triangles are joined only
    // when neither belongs to an earlier edge of the same call.
    void remove_edges(const std::set<int>& edges, bool reface, std::set<int>* removed);
    void remove_edges(const std::vector<int>& edges, bool reface, std::set<int>* removed);
    // Removes every face with fewer than 3 corners or a vertex at two of its
    // corners, in ascending order inside one face removal batch (none when
    // the mesh is clean). Returns how many were removed.
    int remove_invalide_faces();

    // ---- analyses (read-only; see mesh/mesh_analysis.h) --------------------
    class edges_analizer;
    // Empties both outputs, then for each edge shared by more than two faces,
    // ascending, appends the edge to `edges` and its faces to `faces`.
    void get_trident_faces(std::vector<int>& faces, std::vector<int>& edges);
    // Empties `faces` and fills it with the faces of 5 or more corners,
    // ascending; returns the count.
    int get_over4_faces(std::vector<int>& faces);
    // Empties `faces` and fills it, ascending, with the overlapped faces: of
    // two faces with the same corner cycle, the lower-indexed one (the other
    // when the lower one has UVs); of a face whose corners lie in order on a
    // larger face's outline, the smaller one. Shows the progress display
    // "finding redundant faces" on the shape's scene while it runs.
    void get_redundant_faces(std::vector<int>& faces);

    // ---- UV editing (uv/uv_editing.cpp; uv_editing::face_uv in uv/uv_editing.h)
    // `distance` chooses the distance UV set, otherwise the parameter set.
    // Faces without UVs are neither read nor written.
    //
    // Empties `list` and fills it with one record per face carrying UVs and
    // using a selected vertex: for each selected vertex (ascending), each
    // such face (ascending), the first corner at that vertex with its UV,
    // group -1. With no selected vertex or no face the list is left
    // untouched. Returns whether the list is non-empty.
    bool get_faces_uv(std::vector<uv_editing::face_uv>& list, bool distance);
    // Writes each record's UV into its face's chosen set at its corner, in
    // list order. Records naming a face or corner the mesh no longer has,
    // or a face without UVs, are skipped.
    void set_faces_uv(const std::vector<uv_editing::face_uv>& list, bool distance);
    // Copies the distance UVs onto the parameter UVs of every face (true),
    // or the other way round (false).
    void copy_uv(bool distance_to_parameter);
    // Target 0 the distance UVs, any other the parameter UVs of every face:
    // with `offset` each UV gets `value` added, otherwise each UV is
    // multiplied by it component-wise (about the UV origin).
    void change_uv_by_value(int target, vec2 value, bool offset);
    // Unites the UVs at the selected vertices: the collected corners are
    // grouped greedily in list order, a corner joining the group of the
    // first ungrouped corner when its squared UV distance from that corner
    // is below radius squared and (with `all`) whatever its vertex, or
    // (without) only at the same vertex; each corner gets its group's mean.
    void unify_uv(bool distance, bool all, float radius);
    // Moves each corner at a selected vertex a quarter of the way towards
    // its face's UV centroid (nonzero `distance`: the distance UVs), which
    // gives every face around the vertex its own UV there.
    void separate_uv(int distance);

    // ---- shape tools (useless_edges.cpp, polygon_fork.cpp, near_pair.cpp) --
    // Two vertices and their distance; (-1, -1, the largest float) for none.
    struct vertices_pair {
        int first = -1;
        int second = -1;
        float distance = 3.4028235e38f;
    };
    // Clears every edge's selection and selects the diagonals that split a
    // flat quadrilateral into two triangles (angles in degrees: the largest
    // fold between the triangles, the largest corner of the quadrilateral
    // at the diagonal's ends); of candidates sharing a quadrilateral side
    // only the flatter one, at equal flatness the lower edge, stays. Returns
    // whether an edge was selected (false for a mesh without edges).
    bool select_useless_edges(float face_angle, float side_angle);
    // The candidate test for the diagonal (p, q) between two faces, the
    // limits being signed squared cosines (mesh/useless_edges.h). Both
    // faces must be triangles with a corner other than p and q; their
    // normals must agree within `face_limit`, which stores that agreement
    // in `score`; then the quadrilateral's corners at p and q and their two
    // halves must pass `side_limit` and `half_limit`. Reads positions only.
    bool check_useless_edge(int p, int q, face_class& first, face_class& second, float face_limit,
                            float side_limit, float half_limit, float& score);
    // Separates the shape into new shapes (named after it with "_k"), one
    // per connected piece, or with more pieces than `max_parts`: without
    // `share` the last part takes the rest, with `share` the pieces are
    // dealt out in blocks. The shape itself stays, renamed "#_" + its name,
    // and becomes the scene's active shape. Vertices on no edge go to no
    // part. Returns the piece count (without `share` at most max_parts), or
    // 0 and changes nothing when max_parts < 2, the mesh has fewer than 3
    // vertices or edges, fewer than 2 pieces, or the shape has no scene.
    int fork(int max_parts, bool share);
    // One part shell: refreshes the scene when it is editing, duplicates
    // `source` with the identity transform, names the copy after itself
    // with "_k", and answers the copy.
    static Polygon_class _fork_sub(scene_interface* scene, shape_class& source, int k);
    // The two vertices lying closest together, the one first along x (at
    // equal x the lower index) first; ties keep the pair found first.
    // None for fewer than two vertices.
    vertices_pair find_first_near_vertices_pair();

private:
    template <class Edges>
    void faces_pair_by_edges(const Edges& edges, int count, Array<int>& face_a, Array<int>& face_b,
                             Array<bool>* fresh, bool flag);
    template <class Edges>
    void remove_edges_batch(const Edges& edges, int count, const Array<int>& face_a, const Array<int>& face_b,
                            std::set<int>* removed, const Array<bool>* reface);
    template <class Edges>
    void remove_edges_complete(const Edges& edges, int count, bool reface, std::set<int>* removed);
    // Steps 1 to 3 of the face selections: the mode switch and the inhibit.
    // Returns the scene (null when the shape has none).
    kx::host_ref<scene_interface> enter_face_selection();
};

// Whether the cycle `small` occurs in order within the cycle `large`: small
// is no longer than large, and small's corners, read cyclically from the
// first corner that equals large[0], form a subsequence of large.
bool is_in(const Array<int>& small, const Array<int>& large);

template <class Container>
int Polygon_class::get_active_vertices(Container& out) {
    const int count = mesh->get_number_of_active_vertices();
    out.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
    if (count > 0) mesh->get_active_vertex_indices(out.data());
    return count > 0 ? count : 0;
}
