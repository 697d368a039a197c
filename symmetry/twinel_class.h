// The pairing of one polygon mesh: the symmetry settings (copied from the
// palette when the pairing was made), the vertex and face pair tables, and
// the operations that make and keep the mesh symmetric.
//
// Messages returned by the operations are untranslated English keys; the
// caller translates them before showing them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "frame/array.h"
#include "mesh/polygon_class.h"
#include "symmetry/interconnection_class.h"
#include "symmetry/symmetry_class.h"

class face_class;
class shape_class;
class skin_class;
struct face_buffer;

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
    // The pairing the palette makes (twinel_lifecycle.cpp): the settings
    // as above, then with makeup false make_twinel (unpaired vertices, else
    // unpaired faces, are selected), with makeup true makeup_twinel; then
    // edge_count is recorded and the shape attribute attached. busy is set
    // meanwhile. Throws the message (char const*) of a failed step, "To many
    // unmatch vertices" when more than 70 % of the vertices stay unpaired,
    // "Can't make Twinel at base side is average." for makeup with base
    // side 2, "Reselect polygon mesh shape." when the shape is no polygon
    // mesh. Vertex moves and selections made before a failure stay.
    twinel_class(Polygon_class& source, Symmetry_class settings, bool makeup);
    // Removes the shape attribute; CSym no longer points here afterwards.
    ~twinel_class();
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

    // ---- face pairing (face_pairing.cpp, face_repair.cpp) -----------------
    // Rebuilds the face table from the vertex table (which should leave no
    // vertex unpaired): faces are joined on their face key, and a face is
    // paired with the first unpaired face of equal key, from itself onward in
    // face order, whose vertex list is its mirror list up to rotation (a
    // face straddling the plane pairs with itself). With do_symUV the UVs
    // are mirrored afterwards (adjust_uv). Shows the progress display
    // "making symmetry faces link table". Returns null, or "Terminated"
    // when an exception interrupted it (the table stays partly filled).
    const char* make_faces_link();
    // Whether the face's vertex list equals `list` up to rotation (only the
    // first occurrence of the face's first vertex in the list is tried; the
    // direction is not reversed). False for a face index outside the mesh.
    bool is_same_vertex_indices(int face, const Array<int>& list);
    // Mean of the face's vertex positions (get_position), summed in single
    // precision and scaled by 1 / count; (0, 0, 0) for a face without
    // corners or outside the mesh.
    vec3 get_face_center(int face);
    // Appends the mirror face of an unpaired face (its mirror list, winding
    // reversed) and pairs the two; with do_symUV the new face gets the
    // mirrored UVs of the source face. A paired face changes nothing.
    // Returns null, or "Unpaired vertex in mirror face." (nothing created)
    // when a vertex of the face has no partner.
    const char* make_unmatch_face_pair(int face);
    // make_unmatch_face_pair for every face present at the call. Returns
    // null, its first message, "Number unmatch between faces number and
    // inner table." when the face table does not match the mesh, or "Error
    // at making sym vertices pairs." on an exception.
    const char* make_unmatch_faces_pair();
    // The unpaired faces other than `face`, nearest first from the face's
    // centre to the mirror of their centres (equal distances by index, NaN
    // distances last), into `out`.
    void get_proposal_face_list(int face, std::vector<int>& out);
    // The first unpaired face after `after`, else the first from 0; -1 when
    // every face is paired.
    int unmatch_faces_index(int after);
    // Rebuilds the face table after the host renumbered faces by at most
    // |span| places: each face looks for its mirror face at its old partner,
    // then near the old partners of its neighbours, then among the last
    // |span| faces; a face not found there is paired with its unpaired
    // mirror face wherever that lies, and listed in `missing` (emptied
    // first) only when it has none. Reads every face once. Returns the
    // unpaired count.
    int repair_faces_link_with_span(int span, std::vector<int>& missing);
    int repair_faces_link_with_span(int span);
    // Reconciles unpaired faces of which one gained a vertex (inserted into
    // an edge on one side only): for two listed faces a and b, when the
    // mirror cycle of the smaller occurs in order in the larger, the smaller
    // is rewritten as the mirror list of the larger and the two are paired.
    // `faces` must list exactly the unpaired faces; otherwise the line "Face
    // unmatch[%i] unmatch table size[%i]" goes to the message window and
    // nothing changes. Returns the unpaired count.
    int repair_faces_in_unmatch_faces(std::vector<int>& faces);
    // Selects exactly the unpaired faces (face selection mode).
    void select_unmatch_faces();

    // ---- symmetric UV (symmetric_uv.cpp) ------------------------------------
    // adjust_uv (all) or adjust_active_uv (selected faces). Returns null.
    const char* sym_uvs(bool all);
    // Mirrors the UVs of every pair of faces once, the lower index first.
    void adjust_uv();
    // Mirrors the UVs of the selected faces and their partners: in face
    // selection mode the selected faces, in vertex selection mode the faces
    // whose vertices are all selected; in edge selection mode nothing, with
    // the message "Set mode to vertex or face selection mode" when verbose.
    void adjust_active_uv();
    // Mirrors the UVs of two distinct partner faces corner by corner: from
    // the source side to the other side for off-plane vertices; on-plane
    // corners inside a UV margin go onto the centre line, others are
    // mirrored from the upper (with base side 2 the lower) UV half. Skipped
    // when either face lacks UVs, the corner counts differ or the second
    // face lacks the partner of the first face's first vertex.
    void adjust_face_uv(face_class& a, face_class& b);
    // The same for a face that is its own partner: on-plane corners get the
    // parameter UV centre, source-side corners give their mirrored UVs to
    // their partner corners.
    void adjust_center_face_uv(face_class& f);

    // ---- skin symmetry (skin_symmetry.cpp) ---------------------------------
    // Copies the skin bindings of each source-side vertex (plane coordinate
    // of its local position > 0 for base sides 0 and 1, <= 0 for 2) that has
    // a partner, in index order: the partner gets exactly as many bindings,
    // each with the mirror joint (get_sym_joint) and the weight of the
    // source's binding; a vertex paired with itself gains, for each side
    // joint it is bound to, the mirror joint with the same weight
    // (append_skin). Stops at the first vertex with a binding without joint
    // ("Not found valide joint") or a joint without mirror (" No found sym
    // joint of[%s] at[%i -> %i]" with the joint's name and both vertices);
    // that vertex's partner is left unchanged, earlier vertices stay done.
    // Unlike other operations it answers the message already in the user's
    // language (through `host`), since the formatted one can only be
    // translated before it is filled in; nothing on success.
    std::optional<std::string> sym_skins();
    // The mirror joint: the scene's shape (through the joint's scene) named
    // with the other side's prefix ("right"/"left", then "l_"/"l-" and
    // "r_"/"r-", case-sensitive), null when there is none or the joint is
    // null; the joint itself when its name has no such prefix.
    static shape_class* get_sym_joint(shape_class* joint);

    // ---- making and keeping the symmetric mesh (twinel_lifecycle.cpp,
    // table_repair.cpp, symmetric_editing.cpp) ------------------------------
    // Pairs the mesh as it is: the vertices, then, when none is left
    // unpaired, the faces; otherwise the face table is sized with every
    // face unpaired. Returns null or the first message.
    const char* make_twinel();
    // Builds the mirrored half of a half mesh: vertices within margin / 2 of
    // the plane go onto it, every other vertex and every face gets a mirror
    // element, and the edges are rebuilt. Returns null, "No face." for two
    // vertices or fewer, or the message of a step ("Faces overlapped to
    // symmetry plane." selects the vertices on the wrong side).
    const char* makeup_twinel();
    // Marks the shape with the attribute keyed by twinel_uuid.
    void awake_twinel();
    // Whether the mesh's vertex, face or edge count no longer matches the
    // tables (or edge_count).
    bool is_modified();
    // Brings the tables up to date after vertices or faces were added or
    // removed (see the two functions below; added or removed faces alone
    // are repaired when no vertex is unpaired). Returns null or a message:
    // "Face Repair Error", "Twinel++ repair error", "survive unmatch faces",
    // "Twinel ERROR at removing vertices", "Twinel ERROR at removing faces".
    const char* repair();
    // `added` vertices were appended: rebuilds the vertex table, gives the
    // new vertices mirror vertices, rebuilds the face table and reconciles
    // faces that gained a vertex on one side; the edges are rebuilt.
    const char* increase_vertices_number(int added);
    // `removed` vertices were removed: rebuilds the vertex table, removes
    // their partners, rebuilds the face table and removes faces left
    // without a partner.
    const char* decrease_vertices_number(int removed);
    // Removes every unpaired vertex (or face) from the table and the mesh,
    // inside one removal batch. Returns null, or "Twinel ERROR at removing
    // vertices" ("... faces") when the host failed.
    const char* delete_unmatch_vertices();
    const char* delete_unmatch_faces();
    // Moves the partner of vertex i to i's mirror (a self-paired vertex
    // onto the plane); an unpaired vertex changes nothing.
    void sym_vertex(int i);
    // sym_vertex for every vertex (all) or every selected vertex, in index
    // order, inside one update bracket: the lower index of a pair decides.
    // Returns false.
    bool sym_vertices(bool all);
    // Repairs the tables when the mesh was modified (unless busy), then
    // sym_vertices(all). Throws the repair's message (char const*); the
    // caller releases the pairing then. Returns false.
    bool do_sym(bool all);
    // Appends a mirror vertex for the unpaired vertex i. Returns null or
    // "append error" (i paired or outside the table).
    const char* append_pair_vertex(int i);
    // Appends the mirror face of the unpaired face; with `refresh` the edges
    // are rebuilt and edge_count recorded. Returns null, "append error"
    // (face paired or outside the table) or "Unpaired vertex in mirror
    // face." (nothing created).
    const char* append_pair_face(int face, bool refresh);
    // Adds the edge a-b and the edge between their partners (a face holding
    // both may be split). With every element paired the face table is then
    // rebuilt; returns "Face repair error" when faces stay unpaired, else
    // null.
    const char* append_edge(int a, int b);
    // Removes the active edges of the selection mode and their mirror edges
    // with the faces beside them (two triangles become one quadrilateral
    // with `reface`), drops the removed faces from the face table and pairs
    // the joined quadrilaterals with each other.
    void remove_edges(bool reface, int selection_mode);

    // ---- pairing by hand, the palette's repair workflow (unmatch_repair.cpp)
    // Pairs vertex i with vertex j (i == j makes i self-paired; earlier
    // partners of either become unpaired), then moves j to the mirror of i
    // (a self-paired i onto the plane) inside the shape's update bracket.
    // Indices outside the table change nothing.
    void vertex_link(int i, int j);
    // Removes vertex i from the table (higher entries move down, its partner
    // becomes unpaired) and from the mesh, inside one vertex removal batch;
    // the faces the host deletes with the vertex leave the face table at
    // once (their partners become unpaired), and edge_count is recorded.
    // Returns null, "remove_error" (i outside the table or the mesh;
    // nothing changes) or "Twinel ERROR at removing vertices" (the host
    // failed; the tables no longer describe the mesh).
    const char* remove_unmatch_vertex(int i);
    // Removes the face from the table (its partner becomes unpaired) and
    // from the mesh, rebuilds the edges and records edge_count. Returns
    // null, "remove_error" (face outside the table or the mesh; nothing
    // changes) or "Twinel ERROR at removing faces" (the host failed).
    const char* remove_unmatch_face(int face);

private:
    // Positions of every vertex of the mesh, through get_position.
    std::vector<vec3> read_positions();
    // Appends the face `mirror` (the mirror list of the unpaired `face`) as
    // the face's new partner; with mirror_uvs the new face takes the
    // mirrored UVs of `face`. Returns null, "Unpaired vertex in mirror
    // face." (a list naming an unpaired vertex; nothing is created) or
    // "append error" (the face is paired or outside the table).
    const char* append_mirror_face(int face, const std::vector<int>& mirror, bool mirror_uvs);
    // Last step of repair_faces_link_with_span: pairs each listed face that
    // is still unpaired with the first unpaired face (by index) anywhere in
    // the mesh whose vertex list is its mirror list. Afterwards the list
    // holds only the faces that stay unpaired.
    void pair_missing_faces(const face_buffer& faces, std::vector<int>& missing);
};

// Binds `skin` to `joint` with `weight`: an existing binding to the joint
// takes the weight, otherwise a binding is appended (its weight set first,
// then its joint).
void append_skin(skin_class& skin, shape_class* joint, float weight);
