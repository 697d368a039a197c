// The plug-in's handle on one polygon-mesh shape: an undo bracket, face and
// vertex selection, edge queries, the face pair beside each edge, edge
// removal with refacing, invalid-face removal, and the mesh analyses.
//
// A Polygon_class refers to host objects and owns none of them, except the
// undo record it opens. The mesh member is set only when the shape is a
// polygon mesh; callers check that before calling anything here.
#pragma once

#include <set>
#include <utility>
#include <vector>

#include "frame/array.h"
#include "mesh/shape_class.h"

class polygon_mesh_class;
class scene_interface;

class Polygon_class : public Shape_class {
public:
    polygon_mesh_class* mesh = nullptr;  // the same shape seen as a polygon mesh

    // Wraps `s` (may be null); the mesh is set when `s` is a polygon mesh.
    explicit Polygon_class(shape_class* s = nullptr);
    // Wraps another shape; an open undo record is released without closing.
    void set_shape(shape_class* s);

    // ---- undo bracket ------------------------------------------------------
    // Releases an open record without closing it, then opens a new one.
    void start_undo();
    // Closes (argument 0) and releases an open record; nothing without one.
    void end_undo();

    // ---- selection ----------------------------------------------------------
    // Makes exactly the listed faces selected (list strictly ascending; see
    // the cursor walk in the .cpp), switching the scene to face selection and
    // modify mode first when needed. One inhibit/allow of figure updates.
    void select_faces(const Array<int>& faces);
    // Deselects every face (same mode switch and update bracket).
    void unselect_all_face();
    // Makes exactly the listed vertices selected, in list order, switching
    // the scene to vertex selection and modify mode first when needed.
    void select_vertices(const Array<int>& vertices);
    void select_vertices(const std::vector<int>& vertices);
    // Resizes `out` to the number of selected vertices and fills it with
    // their indices, ascending; returns the count.
    template <class Container>
    int get_active_vertices(Container& out);

    // ---- edge queries -------------------------------------------------------
    // Adds every edge whose two ends both occur in `vertices` (ascending),
    // in ascending edge order; empties `out` first when `clear`. Returns
    // out's size.
    int get_edges_by_vertices(const Array<int>& vertices, std::set<int>& out, bool clear);
    int get_edges_by_vertices(const Array<int>& vertices, std::vector<int>& out, bool clear);
    // Mode 1: the edges whose own selected flag is set; any other mode: the
    // edges whose two ends are both selected vertices. Empties `out` first.
    void active_edges(std::set<int>& out, int mode);
    void active_edges(std::vector<int>& out, int mode);
    // For the k-th listed edge, face_a[k] and face_b[k] receive the faces on
    // its sides A and B (negative when none); with `fresh`, fresh[k] is true
    // when both faces are new to this call and differ. The outputs must hold
    // at least as many entries as the edge list; nothing is resized.
    void get_faces_pair_by_edges(const std::vector<int>& edges, Array<int>& face_a, Array<int>& face_b,
                                 Array<bool>* fresh, bool flag);
    void get_faces_pair_by_edges(const Array<int>& edges, Array<int>& face_a, Array<int>& face_b,
                                 Array<bool>* fresh, bool flag);
    void get_faces_pair_by_edges(const std::set<int>& edges, Array<int>& face_a, Array<int>& face_b,
                                 Array<bool>* fresh, bool flag);

    // ---- editing ------------------------------------------------------------
    // Appends one face with the listed vertices in winding order.
    void append_face(const Array<int>& vertices);
    // Rewrites face a as the union of faces a and b across their shared
    // edge (p, q); face b stays (its caller removes it).
    void combine_face(int a, int b, int p, int q);
    // Removes one edge and the faces beside it, inside the removal batches
    // that remove_edges opens; refaces two triangles into one quadrilateral
    // when `reface` is set. Removed faces are recorded in `removed`.
    void remove_edge(int edge, int face_a, int face_b, std::set<int>* removed, bool reface);
    // Batch form: one modification, one edge and one face removal batch.
    void remove_edges(const std::set<int>& edges, const Array<int>& face_a, const Array<int>& face_b,
                      std::set<int>* removed, const Array<bool>* reface);
    void remove_edges(const std::vector<int>& edges, const Array<int>& face_a, const Array<int>& face_b,
                      std::set<int>* removed, const Array<bool>* reface);
    // Complete form: finds the faces beside the edges itself; with `reface`
    // two triangles are joined only when neither belongs to an earlier edge.
    void remove_edges(const std::set<int>& edges, bool reface, std::set<int>* removed);
    void remove_edges(const std::vector<int>& edges, bool reface, std::set<int>* removed);
    // Removes every face with fewer than 3 corners or a repeated vertex, in
    // one face removal batch (none when the mesh is clean); returns how many.
    int remove_invalide_faces();

    // ---- analyses -----------------------------------------------------------
    class edges_analizer;
    // Faces on edges shared by more than two faces, and those edges.
    void get_trident_faces(std::vector<int>& faces, std::vector<int>& edges);
    // Faces with more than four corners, ascending; returns the count.
    int get_over4_faces(std::vector<int>& faces);
    // Overlapped faces (a repeat of another face, or a smaller face lying in
    // order on a larger one's outline), ascending.
    void get_redundant_faces(std::vector<int>& faces);
};

// Whether the cycle `small` occurs in order within the cycle `large`,
// reading small from the corner where large starts.
bool is_in(const Array<int>& small, const Array<int>& large);
