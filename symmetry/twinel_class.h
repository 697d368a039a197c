// The pairing of one polygon mesh: the symmetry settings (copied from the
// palette when the pairing was made), the vertex and face pair tables, and
// the operations that make and keep the mesh symmetric.
//
// Messages returned by the operations are untranslated English keys; the
// caller translates them before showing them.
#pragma once

#include <vector>

#include "mesh/polygon_class.h"
#include "symmetry/interconnection_class.h"
#include "symmetry/symmetry_class.h"

class twinel_class : public Symmetry_class {
public:
    Interconnection_class vertex_table;  // one entry per mesh vertex
    Interconnection_class face_table;    // one entry per mesh face
    Polygon_class polygon;               // the paired shape and its mesh
    bool busy = false;                   // set while constructing or repairing
    int edge_count = 0;                  // the mesh's edge count when last recorded

    // A pairing of `source`'s shape with empty tables: copies the settings
    // fields (plane to use_world, and the translating host) and, with
    // use_world, takes the shape's matrices (set_matrix). Pairs nothing.
    twinel_class(const Polygon_class& source, const Symmetry_class& settings);
    twinel_class(const twinel_class&) = delete;
    twinel_class& operator=(const twinel_class&) = delete;

    // With use_world, fills world_matrix and inverse_world_matrix from the
    // shape; otherwise nothing.
    void set_matrix();

    // ---- vertex pairing (vertex_pairing.cpp) ------------------------------
    // Rebuilds the vertex table from the mesh as it is: on-plane vertices
    // (within reduse_margin) become self-paired, the two sides are paired
    // within the margin, and, with do_adjust or when every vertex is paired,
    // recognised pairs move to exact mirror positions from the base side
    // and on-plane vertices onto the plane. Shows "Start vertices analize."
    // above 40000 vertices with verbose, and a progress display "vertices
    // analize". Returns null, or "Unmatch opposite vertices value." (sides
    // of unequal size without do_adjust; the table is left as it was),
    // "Tarminated by break." (an exception while pairing) or "Error at sym
    // vertices placeing." (an exception while moving vertices). The face
    // table is not touched.
    const char* make_vertices_link();

    // Gives every unpaired vertex a partner: vertices within margin / 2 of
    // the plane move onto it and become self-paired, every other one gets a
    // mirror vertex appended to the mesh (and a table entry). With
    // check_overlap, vertices on the wrong side (c < -margin / 2 for base
    // sides 0 and 1) make it fail with "Faces overlapped to symmetry plane."
    // after selecting them in vertex mode; no vertex moves or is added then,
    // but the table keeps the changes made so far. Returns "Number unmatch
    // between vertices number and inner table." when the table does not
    // match the mesh, null on success.
    const char* make_unmatch_vertices_pair(bool check_overlap);

    // The unpaired vertices, nearest first to the mirror of vertex i (equal
    // distances by index, NaN distances last), into `out`. An index outside
    // the mesh gives an empty list.
    void get_proposal_vertex_list(int i, std::vector<int>& out);

    // The first unpaired vertex after `after` on the preferred side (plane
    // coordinate > 0 for base sides 0 and 1, <= 0 for 2), else the first
    // unpaired vertex from 0; -1 when every vertex is paired.
    int unmatch_vertex_index(int after);

    // Rebuilds the vertex table after the host added or removed vertices,
    // when partners moved by at most |span| places: each vertex that had a
    // partner looks for one near its old partner's index (then near the old
    // partners of its neighbours); those not found are paired among
    // themselves. Reads every position once. Returns the unpaired count.
    int repair_vertices_link_with_span(int span);

    // Search of the rebuild, over the current positions (one per vertex):
    // candidate c, then every v within `span` of c (ascending, below the
    // vertex count); the first v for which is_sym(positions[i],
    // positions[v]) holds, or -1.
    int search_new_vertices_pair(int i, int c, int span, const std::vector<vec3>& positions) const;
    // The whole search for vertex i: around its old partner in `old`, then
    // around the old partners of the entries within `span` of i; -1 when
    // nothing is found.
    int search_new_vertices_pair(int i, const Interconnection_class& old, int span,
                                 const std::vector<vec3>& positions) const;

    // Selects exactly the unpaired vertices (vertex selection mode).
    void select_unmatch_vertices();

private:
    // Positions of every vertex of the mesh, through get_position.
    std::vector<vec3> read_positions();
};
