// The plug-in's palette window: holds the symmetry settings, refreshes the
// palette's controls, dispatches button presses, follows the host's scene
// events and runs the modify-mode operations.
//
// The record is plain data: the dispatcher rows (button_dispatch.h) and the
// toolbar buttons read and change it directly. Members are declared in the
// order the window has always kept them.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "frame/sdk/dialog.h"
#include "frame/sdk/korvo.h"
#include "frame/sdk/math.h"
#include "frame/sdk/window.h"
#include "mesh/polygon_class.h"
#include "mesh/shape_class.h"
#include "symmetry/symmetry_class.h"
#include "uv/uv_editing.h"

class twinel_class;

class symmetry_window : public kx::ref_counted<window_interface> {
public:
    // The six toolbar buttons (toolbar_buttons.h), in toolbar order.
    class modify_vertex_mode_button;
    class renew_button;
    class remove_edge_button;
    class append_edge_button;
    class sym_vertices_button;
    class paste_plane_button;
    static constexpr int toolbar_size = 6;

    // Last result of "find_near": two vertices and their distance; the
    // first index is -1 when there is none.
    struct near_pair {
        int first = 0;
        int second = 0;
        float distance = 0.0f;
    };

    // Values of the Template Setting dialog kept between showings.
    struct template_settings {
        int width = 1024;
        int height = 1024;
        float column_step = 1.0f / 1024.0f;
        float row_step = 1.0f / 1024.0f;
        int target_uv = 0;  // 0 parameter UV, 1 distance UV
        vec3 background{0.0f, 0.0f, 0.0f};
        vec3 line{0.0f, 1.0f, 1.0f};
        vec3 mark_line{1.0f, 0.0f, 0.0f};
        bool centre_blank = false;
        bool dialog_closed = true;  // true outside a showing for an export
    };

    // Controls the operations read or update, kept by the initialise
    // callbacks; null until the layout is loaded.
    struct control_handles {
        number_class* unmatch_v_number = nullptr;
        number_class* unmatch_f_number = nullptr;
        number_class* v_o_value = nullptr;
        number_class* p_o_value = nullptr;
        number_class* distance_value = nullptr;
        number_class* u_value = nullptr;
        number_class* v_value = nullptr;
        number_class* u_v_value = nullptr;
        number_class* v_v_value = nullptr;
        number_class* face_angle_limit = nullptr;
        number_class* side_angle_limit = nullptr;
        popup_menu_class* uv_target = nullptr;
        popup_menu_class* uv_v_target = nullptr;
        popup_menu_class* uv_v_type = nullptr;
        popup_menu_class* uv_index = nullptr;
        push_button_class* do_move_uv = nullptr;
    };

    // The checkboxes of the Repair page, in the order "All repair" runs them.
    struct repair_flags {
        bool reduce_vertices = false;  // "reduc-verti-flag"
        bool make_edges = false;       // "make-edges-flag"
        bool face_directions = false;  // "face-norm-flag"
        bool invalid_faces = false;    // "face-invalid-flag"
        bool overlapped_faces = false; // "face-overlaped-flag"
        bool trident_faces = false;    // "face-triplet-flag"
        bool over4_faces = false;      // "face-over4-flag"
    };

    // ---- the window record -------------------------------------------------
    korvo_interface& host;
    Shape_class current_shape;       // the shape the window works on
    Polygon_class current_polygon;   // valid only while is_polygon
    bool is_polygon = false;
    twinel_class* current_twinel = nullptr;  // the current shape's pairing (owned by SymS), or null
    near_pair nearest;  // named so, since Windows headers define `near` away
    // The repair workflow's position: unpaired vertex, unpaired face,
    // candidate vertex, candidate face; -1 for none.
    int u_v_index = -1;
    int u_f_index = -1;
    int p_v_index = -1;
    int p_f_index = -1;
    std::vector<int> vertex_proposals;
    int vertex_proposal_cursor = 0;
    std::vector<int> face_proposals;
    int face_proposal_cursor = 0;
    std::vector<int> trident_faces;  // stepped by "next-tri-face"
    int trident_cursor = -1;
    Symmetry_class settings;         // the window's own settings
    bool busy = true;                // the window edits the scene itself, or is not initialised
    bool reset_steps = true;         // the next shape_change forgets the repair position
    bool uninitialised = true;
    int start_countdown = 300;       // idle calls before controls are refreshed
    kx::rect_class layout_bounds{0, 0, -1, -1};
    std::array<std::string, 3> element_titles;  // vertex, edge, face
    kx::host_ref<dialog_interface> template_dialog;
    template_settings template_values;
    std::string template_file_name;
    std::vector<uv_editing::face_uv> uv_edit_list;  // the corners "UV edit" collected, for "uv-index" and "Do"
    std::array<push_button_class*, toolbar_size> toolbar{};  // owned by the host
    bool shown = false;              // window visibility as last seen
    bool modify_mode = false;        // scene modify state as last seen
    control_handles controls;
    repair_flags repair;
    bool reface = true;              // remove edges re-faces two triangles into one quadrilateral
    std::string release_title;       // "twinel" button title with a pairing
    std::string twinel_title;        // and without

    // Takes the host's message table "twinel_strings" into twinel_string
    // (releasing a different table held before), the element titles through
    // gettext, clears CSym; the settings translate through `host`.
    explicit symmetry_window(korvo_interface& host);
    // Releases the Template Setting dialog. Pairings, toolbar buttons and the
    // message table are not the window's. Clears Sym_W when it points here.
    ~symmetry_window() override;

    symmetry_window(const symmetry_window&) = delete;
    symmetry_window& operator=(const symmetry_window&) = delete;

    // ---- plugin_interface ----------------------------------------------------
    kx::uuid_class get_uuid() override;  // symmetry_window_uuid
    int get_korvo_version() override;

    // ---- host events (host_events.cpp); each sets `flag` false -------------
    void active_shapes_changed(bool& flag, scene_interface& scene, int count, shape_class* const* shapes) override;
    void scene_opened(bool& flag, scene_interface* scene) override;
    void shapes_copied(bool& flag, int count, shape_class* const* shapes) override;
    void shapes_being_deleted(bool& flag, scene_interface* scene, int count, shape_class* const* shapes) override;
    void shapes_created(bool& flag, int count, shape_class* const* shapes) override;
    void shapes_inserted(bool& flag, int count, shape_class* const* shapes) override;
    void active_scene_changed(bool& flag, scene_interface* scene) override;
    void browser_updated(bool& flag) override;
    // Undo or redo put shapes back: their pairings (and those below them)
    // take the state kept with each shape, are made again, or are released
    // with a message; the window then re-reads the scene.
    void shapes_restored(bool& flag, scene_interface* scene, int count, shape_class* const* shapes) override;

    // ---- life of the palette -----------------------------------------------
    // Loads the layout "window", places the frame, sets the title, finds the
    // element-mark component, makes the toolbar and the Template Setting
    // dialog; clears the busy and uninitialised flags.
    void initialize() override;
    // Counts the start countdown down, follows the window's visibility and
    // the scene's modify state, and re-symmetrizes the current pairing when
    // CSym was set. Nothing while uninitialised or busy.
    void idle() override;
    bool should_clear() override { return false; }
    bool undoable() override { return true; }

    // ---- controls (palette_controls.cpp) -----------------------------------
    // Runs the dispatch row of the button's id (button_dispatch.h) with the
    // host's current scene; nothing without a scene or a row.
    void push_button_clicked(push_button_class& button) override;
    // Write the new value to the pairing's settings or the window's.
    void checkbox_value_changed(checkbox_class& control) override;
    void number_value_changed(number_class& control) override;
    void popup_menu_value_changed(popup_menu_class& control) override;
    // The user chose item `item` of "uv-index" (uv_commands.cpp): item 0
    // ("Lump edit") shows record 0 of the UV edit list, item k record k - 1,
    // whose face is also marked (with the element-mark component and a
    // polygon mesh); "u-v-value" and "v-v-value" take the record's UV and,
    // with "do-move-uv", are enabled. An item past the list does nothing.
    void uv_index_chosen(int item);
    // Starting values, and the handles of the controls operations use.
    void initialize_push_button(push_button_class& control) override;
    void initialize_checkbox(checkbox_class& control) override;
    void initialize_number(number_class& control) override;
    void initialize_popup_menu(popup_menu_class& control) override;
    // Bring a control up to date; false, leaving it alone, while busy,
    // counting down, hidden (buttons, texts), without a scene or (all but
    // buttons) without an active shape.
    bool setup_push_button(push_button_class& control) override;
    bool setup_checkbox(checkbox_class& control) override;
    bool setup_number(number_class& control) override;
    bool setup_popup_menu(popup_menu_class& control) override;
    bool setup_static_text(static_text_class& control) override;

    // ---- control flow --------------------------------------------------------
    // Runs a modify-mode operation by number: 0 remove edges, 1 append edge,
    // 2 symmetrize selected vertices, 3 paste selected vertices to the
    // plane; other numbers do nothing.
    void command(int operation);
    // With a scene, the window shown and an active shape: takes the active
    // shape (shape_change, forgetting the repair position when
    // `reset_steps`), and unless it is a plain part forces a scene update
    // and a refresh.
    void start_trigger(scene_interface* scene, bool reset_steps);
    // Takes `shape` as the current shape: its object type, its mesh and
    // pairing, the modify state, the title and the toolbar's enabled states.
    void shape_change(scene_interface& scene, shape_class* shape);
    // Pairs the current polygon mesh (makeup: builds the mirrored half
    // first) with a copy of the settings and makes the pairing current. A
    // failure is shown and leaves no current pairing.
    void make_twinel(bool makeup);
    // Releases the current pairing (destroying it) and clears CSym; shows
    // "Release Twinel." when verbose.
    void delete_twinel(scene_interface* scene);
    // Re-symmetrizes the current pairing (every vertex with `all`, else the
    // selected ones), busy meanwhile, inside an undo record that joins the
    // newest step, and keeps the pairing's state with its shape. A pairing
    // that fails is released (release_after_failure).
    void do_sym(scene_interface* scene, bool all);
    // Releases the current pairing after its repair failed: shows the
    // failure's message and "Release Twinel." whatever "verbose" says, and
    // re-reads the scene with reset.
    void release_after_failure(scene_interface* scene, const char* message);
    // Writes the current pairing's state into its shape's attribute (see
    // pairing_state.h) when it changed; called at the end of every button
    // press and modify-mode operation.
    void keep_pairing_state_with_shape();

    // ---- modify-mode operations (modify_operations.cpp) ---------------------
    // Each works on the current shape inside its own undo record.
    void remove_edges();
    void append_edge();
    void sym_vertices();
    void paste_to_plane();
    // Switches the host's current scene to vertex selection in modify mode.
    void modify_vertex();
    // Re-reads the host's current scene (start_trigger without reset).
    void renew();

    // ---- the Repair page (repair_commands.cpp) --------------------------------
    // Each works on the current polygon mesh and does nothing without one.
    // Messages are entries of the message table, shown through the host;
    // the "nothing found" ones only with verbose.
    //
    // "All repair": the steps whose checkboxes are checked, in the page's
    // order (merge duplicated vertices and re-read the scene, remake edges,
    // face directions, invalid faces, overlapped faces, three-connected
    // faces, faces of five or more corners).
    void run_checked_repairs(scene_interface& scene);
    // The host mesh merges vertices at identical positions; rebuilds all
    // its edges.
    void reduce_duplicated_vertices();
    void remake_all_edges();
    // Removes faces of fewer than three corners or with a repeated vertex;
    // with verbose, message 1 (none) or 2 (how many).
    void remove_invalide_faces();
    // Selects the smaller of overlapping faces with message 17 (always), or
    // with verbose message 18 when there are none.
    void sel_overlaped_faces(scene_interface& scene);
    // Fills the trident face list with the faces at edges shared by more
    // than two faces (cursor -1), selects them, marks those edges, shows
    // message 19 with verbose and re-reads the scene keeping the list; with
    // verbose message 20 when there are none.
    void sel_trident_faces(scene_interface& scene);
    // In modify mode, selects the next face of the trident list alone,
    // wrapping round; a face number the mesh no longer has makes the window
    // re-read the scene with reset, which empties the list.
    void next_trident_face(scene_interface& scene);
    // Marks the faces of five or more corners (message 9 with verbose), or
    // with verbose shows message 21. The argument changes nothing.
    void mark_over4_faces(bool all_repair);
    // Has the host turn the faces round when their directions disagree;
    // with verbose message 16 when they already agree.
    void adjust_face_direction(scene_interface& scene);
    // Face selection in modify mode with exactly the given face (faces)
    // selected, inside one inhibit and allow of figure updates.
    void sel_face(scene_interface& scene, int face);
    void sel_faces(scene_interface& scene, const std::vector<int>& faces);
    // Edge (face) marks of the current shape through the element-mark
    // component, flag false whatever the argument; nothing without the
    // component.
    void mark_line(const std::vector<int>& edges, bool flag);
    void mark_face(const std::vector<int>& faces, bool flag);

    // ---- the unmatch repair workflow (unmatch_workflow.cpp) --------------------
    // Each needs the current pairing and does nothing without one. The
    // current element is shown selected, the candidate as an element mark.
    //
    // Selects the next unpaired vertex after u_v_index (base side first) in
    // vertex selection and modify mode; it becomes u_v_index (-1 when every
    // vertex is paired), and the candidate is forgotten.
    void select_next_unmatch_vertex(scene_interface& scene);
    // Steps p_v_index through the unpaired vertices, nearest mirror first
    // (the list is made on the first step after a new u_v_index, then
    // cycled), marking the candidate. Nothing while u_v_index is -1.
    void mark_next_vertex_pair(scene_interface& scene);
    // Pairs u_v_index with p_v_index, moving the candidate to the mirror of
    // the current vertex (onto the plane when they are one vertex), then
    // refresh_after_vertex_repair. Nothing unless both are vertices.
    void force_vertex_link(scene_interface& scene);
    // Appends the mirror vertex of u_v_index (pairing them), or removes
    // u_v_index from the mesh; then refresh_after_vertex_repair. A failure
    // releases the pairing and returns its message (untranslated); null
    // otherwise, also when u_v_index is -1.
    const char* append_pair_vertex(scene_interface& scene);
    const char* remove_unmatch_vertex(scene_interface& scene);
    // Shows the unpaired vertex count in "unmatch_v_number". At 0 the step
    // indices, selection and vertex marks are cleared, the face table is
    // rebuilt (remake_faces_link) and the window re-reads `scene` (may be
    // null) with reset; otherwise the next unpaired vertex is selected and
    // becomes u_v_index.
    void refresh_after_vertex_repair(scene_interface* scene);
    // The same steps for faces: in face selection; the candidates are the
    // other unpaired faces, nearest mirrored centre first; linking changes
    // no geometry; creating appends the mirror face (refused with "Unpaired
    // vertex in mirror face." when a vertex has no partner); removing
    // deletes the face; both rebuild the edges.
    void select_next_unmatch_face(scene_interface& scene);
    void mark_next_face_pair(scene_interface& scene);
    void force_face_link(scene_interface& scene);
    const char* append_pair_face(scene_interface& scene);
    const char* remove_unmatch_face(scene_interface& scene);
    // As refresh_after_vertex_repair with "unmatch_f_number"; at 0 no table
    // is rebuilt.
    void refresh_after_face_repair(scene_interface* scene);
    // Re-pairs every vertex of the pairing (the face table is left alone);
    // a message is shown with verbose.
    void remake_vertices_link();
    // Re-pairs every face, or refuses with "Can't do in complete symmetize
    // vertices." while a vertex is unpaired; a message is shown with verbose.
    void remake_faces_link();
    // Writes the vertex pairs to the scene's message window: a start line,
    // "%6i<->%6i" for each vertex and its partner in index order, an end
    // line.
    void list_vertex_pairs(scene_interface& scene);

    // ---- UV tools and skin symmetry (uv_commands.cpp, skin_command.cpp) ---------
    // The UV tools work on the current polygon mesh; those that edit UVs
    // redraw the scene's UV view afterwards. Without a polygon mesh the
    // first two show "Reselect polygon mesh shape." (always) and the others
    // do nothing; unite, separate and "UV edit" also do nothing outside
    // vertex selection in modify mode.
    //
    // Copies the distance UVs onto the parameter UVs, or back.
    void copy_uvs(scene_interface& scene, bool distance_to_parameter);
    // Translates (offset) or scales the set chosen in "uv-target" by
    // ("u-value", "v-value").
    void change_uvs(scene_interface& scene, bool offset);
    // Unites the UVs at the selected vertices of the set chosen in
    // "uv-v-target", within the window's own DUV_margin or PUV_margin, all
    // vertices together when "uv-v-type" is on "Unite all".
    void unite_uvs(scene_interface& scene);
    // Separates the UVs at the selected vertices, each face's corner a
    // quarter of the way towards its face's UV centre.
    void separate_uvs(scene_interface& scene);
    // "UV edit": with exactly one selected vertex, collects its corners into
    // the UV edit list and offers them in "uv-index" ("Lump edit", then one
    // item per record's face); nothing collected empties and disables the
    // popup. Another count shows "Only 1 vertex select." with verbose.
    void collect_uv_edit(scene_interface& scene);
    // "Do": writes ("u-v-value", "v-v-value") into the chosen set at every
    // record of the UV edit list ("uv-index" on "Lump edit") or at the
    // chosen one, then redraws the UV view. Records the mesh no longer has
    // are skipped; nothing without a polygon mesh.
    void apply_uv_edit(scene_interface& scene);
    // "Symmerize Skin": with a pairing, its sym_skins; with verbose, a
    // warning first when elements are unpaired, and the message it answers.
    void symmetrize_skins();

    // ---- shape and element tools (shape_tools.cpp) ------------------------------
    // Each works on the current polygon mesh. "Reselect" below: without one,
    // "Reselect polygon mesh shape." is shown and nothing else happens.
    // Questions go through the host; "no" changes nothing.
    //
    // "Move offset" (Shape tool): Reselect; asks "Do ?"; on yes trans_offset
    // by "p_o_value", negated when the mesh's face-flip flag is set.
    void offset_shape(scene_interface& scene);
    // Computes the vertex normals and moves every vertex of the current
    // polygon by `distance` along its normal, inside one modification of
    // the shape. Positions that do not change are not written.
    void trans_offset(scene_interface* scene, float distance);
    // "Move offset" (Element tool): Reselect; in vertex selection moves the
    // selected vertices by "v_o_value" (negated as above) along their
    // normals, between an inhibit and allow of figure updates, and with a
    // pairing lets do_sym move their partners. Message 8 when no vertex is
    // selected, and in edge or face selection, where none is.
    void offset_selected_vertices(scene_interface& scene);
    // "Separate": Reselect; asks "Start to separete polygon."; on yes forks
    // the shape with "sep_num" and "sep_type", busy meanwhile; message 7
    // when nothing was separated.
    void separate_polygon(scene_interface& scene);
    // "Reverse faces": Reselect; reverses every face (UVs with their
    // corners, explicit normals cleared) and toggles the face-flip flag,
    // inside one modification and one undo record.
    void reverse_faces(scene_interface& scene);
    // "Mark open edges": the edges with a face on one side only are added
    // to the edge selection in edge selection and modify mode, and marked
    // (edge marks) otherwise. Nothing without the element-mark component.
    void mark_open_edges(scene_interface& scene);
    // "Sel. useless": switches to edge selection and selects the useless
    // diagonals within "face-angle-limit" and "side-angle-limit"; enters
    // modify mode when one was selected, else shows "No conform edges."
    // with verbose.
    void select_useless_edges(scene_interface& scene);
    // "Get shortest": Reselect; keeps the nearest vertex pair in `nearest`;
    // when there is one, selects its two vertices alone in vertex modify
    // mode and shows the distance in "distance_value".
    void find_nearest_pair(scene_interface& scene);
    // "Reduse": with exactly two vertices selected in vertex selection and
    // modify mode, merges them into one; when the pairing drawn in modify
    // mode (CSym) is the current one, is in step with the mesh and pairs
    // both, their partners are merged too (vertices shared by the two
    // pairs make one merge) and the pair tables are made again, busy
    // meanwhile. Duplicated vertices are merged afterwards and the window
    // re-reads the scene.
    void reduse_pair_vertices(scene_interface& scene);
    // "Create line from marked edges": one line shape per chain of the
    // shape's marked edges; "No Marked line." with verbose when none is
    // marked. Nothing without the element-mark component.
    void marked_edges_to_lines(scene_interface& scene);

    // ---- the UV template export (template_dialog.cpp) ---------------------------
    // "Save UV template": without a polygon mesh shows "Reselect polygon
    // mesh shape."; otherwise takes the texture size of the current shape
    // (-1, -1 without one) and runs the Template Setting dialog, the dialog
    // callbacks below acting only while it runs.
    void save_uv_template();
    // The dialog opens: "H" and "V" show the texture size when there is one,
    // else keep what they showed last.
    void load_dialog_data(dialog_interface& dialog) override;
    // "browse" (action 0): asks for the template file with the extension of
    // "file type" and shows its name in "file name"; a cancel empties the
    // template file name. Answers whether the item was "browse".
    bool respond(dialog_interface& dialog, int id, int action) override;
    // OK: the size (with its steps), target UV, colours and centre blank go
    // to the template settings.
    void save_dialog_data(dialog_interface& dialog) override;
    // Any close but cancel (2) draws the current mesh's template and saves
    // it to the template file ("UV save finished." with verbose); a size
    // below one pixel, no file chosen, or an image the host cannot make or
    // save is refused with a message. Answers `code`, or 2 outside a run.
    int terminate(dialog_interface& dialog, int code) override;

    // ---- helpers ---------------------------------------------------------------
    // The settings the symmetry controls show and edit: the pairing's copy
    // while there is a pairing, otherwise the window's.
    Symmetry_class& shown_settings();
    // Shows gettext(key) in the host's message window.
    void show(const char* key);
    // Drops the current pairing pointer when the registry no longer holds
    // it (its shape, or a part above it, was deleted), and the current
    // shape when it was among `count` deleted shapes or below one of them.
    void forget_deleted(int count, shape_class* const* shapes);

private:
    // The scene for a refresh, or null when the refresh may not run.
    kx::host_ref<scene_interface> refresh_scene(bool needs_shown, bool needs_active_shape);
    void make_toolbar();
    void enable_toolbar(scene_interface& scene);
};
