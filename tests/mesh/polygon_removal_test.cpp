// Polygon_class: edge removal with refacing, face combining and the removal
// of invalid faces.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "mesh/polygon_class.h"
#include "tests/common/mesh_builder.h"

namespace {

using face_list = std::vector<std::vector<int>>;

face_list faces_of(const host::mesh_data& d) {
    face_list out;
    for (int f = 0; f < d.face_count(); ++f)
        out.emplace_back(d.face_vertices(f), d.face_vertices(f) + d.face_size[static_cast<std::size_t>(f)]);
    return out;
}

int edge_of(const host::mesh_data& d, int a, int b) {
    for (int e = 0; e < d.edge_count(); ++e) {
        const auto& ends = d.edges[static_cast<std::size_t>(e)];
        if ((ends[0] == a && ends[1] == b) || (ends[0] == b && ends[1] == a)) return e;
    }
    return -1;
}

twinel_test::mesh_lists with_faces(int vertices, face_list faces) {
    twinel_test::mesh_lists m;
    for (int v = 0; v < vertices; ++v) m.positions.emplace_back(static_cast<float>(v), static_cast<float>(v % 3), 0.0f);
    m.faces = std::move(faces);
    return m;
}

// The host mesh with a log of the batch and bracket calls made on it.
class logged_mesh final : public polygon_mesh_class {
public:
    explicit logged_mesh(polygon_mesh_class& m) : m_(m) {}
    std::vector<std::string> log;

    int get_number_of_vertices() const override { return m_.get_number_of_vertices(); }
    int get_number_of_edges() const override { return m_.get_number_of_edges(); }
    int get_number_of_faces() const override { return m_.get_number_of_faces(); }
    vertex_class& vertex(int i) override { return m_.vertex(i); }
    edge_class& edge(int i) override { return m_.edge(i); }
    face_class& face(int i) override { return m_.face(i); }
    int get_number_of_active_vertices() override { return m_.get_number_of_active_vertices(); }
    void get_active_vertex_indices(int* out) override { m_.get_active_vertex_indices(out); }
    void begin_vertex_selection() override { m_.begin_vertex_selection(); }
    void end_vertex_selection() override { m_.end_vertex_selection(); }
    int append_vertex(const vec3& p) override { return m_.append_vertex(p); }
    int append_edge(int a, int b) override { return m_.append_edge(a, b); }
    int append_face(int n, const int* v) override { return m_.append_face(n, v); }
    void begin_removing_vertices() override { m_.begin_removing_vertices(); }
    void remove_vertex(int i) override { m_.remove_vertex(i); }
    void end_removing_vertices() override { m_.end_removing_vertices(); }
    void begin_removing_edges() override { note("begin edges", &polygon_mesh_class::begin_removing_edges); }
    void remove_edge(int i) override { m_.remove_edge(i); }
    void end_removing_edges() override { note("end edges", &polygon_mesh_class::end_removing_edges); }
    void begin_removing_faces() override { note("begin faces", &polygon_mesh_class::begin_removing_faces); }
    void remove_face(int i) override { m_.remove_face(i); }
    void end_removing_faces() override { note("end faces", &polygon_mesh_class::end_removing_faces); }
    void rebuild_edges() override { m_.rebuild_edges(); }
    void reduce_duplicated_vertices() override { m_.reduce_duplicated_vertices(); }
    bool check_face_directions() override { return m_.check_face_directions(); }
    void adjust_face_directions() override { m_.adjust_face_directions(); }
    void begin_face_of_edge() override { note("begin lookup", &polygon_mesh_class::begin_face_of_edge); }
    int face_of_edge_a(int e, int v0, bool f) override { return m_.face_of_edge_a(e, v0, f); }
    int face_of_edge_b(int e, int v0, bool f) override { return m_.face_of_edge_b(e, v0, f); }
    int edge_of_face_before(int f, int v) override { return m_.edge_of_face_before(f, v); }
    int edge_of_face_after(int f, int v) override { return m_.edge_of_face_after(f, v); }
    void end_face_of_edge() override { note("end lookup", &polygon_mesh_class::end_face_of_edge); }
    bool get_face_flip() const override { return m_.get_face_flip(); }
    void set_face_flip(bool on) override { m_.set_face_flip(on); }
    void compute_vertex_normals() override { m_.compute_vertex_normals(); }

private:
    void note(const char* what, void (polygon_mesh_class::*call)()) {
        log.emplace_back(what);
        (m_.*call)();
    }
    polygon_mesh_class& m_;
};

// A fan of three triangles around vertex 0.
face_list fan() { return {{0, 1, 2}, {0, 2, 3}, {0, 3, 4}}; }

}  // namespace

TEST(polygon_removal, reface_joins_two_triangles_into_their_quadrilateral) {
    twinel_test::test_scene t(with_faces(5, {{0, 1, 2}, {0, 2, 3}, {1, 4, 2}}));
    Polygon_class p(&t.shape());
    const int diagonal = edge_of(t.data(), 0, 2);
    const int edges = t.data().edge_count();
    const int modifications = t.shape().modification_count();

    std::set<int> removed{7};
    p.remove_edges(std::vector<int>{diagonal}, true, &removed);
    const face_list faces = faces_of(t.data());
    ASSERT_EQ(faces.size(), 2u);
    // Whichever triangle was on side A became the quad, starting at the
    // edge's first vertex and keeping the triangles' winding.
    const bool kept_first = removed == std::set<int>{1};
    EXPECT_TRUE(kept_first || removed == std::set<int>{0});
    const std::vector<int> quad = faces[0] == std::vector<int>{1, 4, 2} ? faces[1] : faces[0];
    const face_list rotations = {{0, 1, 2, 3}, {1, 2, 3, 0}, {2, 3, 0, 1}, {3, 0, 1, 2}};
    EXPECT_NE(std::find(rotations.begin(), rotations.end(), quad), rotations.end());
    EXPECT_EQ(t.data().edge_count(), edges - 1);
    EXPECT_EQ(edge_of(t.data(), 0, 2), -1);
    EXPECT_EQ(t.shape().modification_count(), modifications + 1);
    EXPECT_EQ(t.shape().modification_depth(), 0);
}

TEST(polygon_removal, triangle_and_quadrilateral_are_both_removed) {
    // Triangle (0,1,2) beside quad (0,2,3,4) across 0-2; reface is on.
    twinel_test::test_scene t(with_faces(6, {{0, 1, 2}, {0, 2, 3, 4}, {1, 5, 2}}));
    Polygon_class p(&t.shape());
    std::set<int> removed;
    p.remove_edges(std::set<int>{edge_of(t.data(), 0, 2)}, true, &removed);
    EXPECT_EQ(removed, (std::set<int>{0, 1}));
    EXPECT_EQ(faces_of(t.data()), (face_list{{1, 5, 2}}));
}

TEST(polygon_removal, open_edge_removes_its_one_face_once) {
    twinel_test::test_scene t(with_faces(5, fan()));
    Polygon_class p(&t.shape());
    std::set<int> removed;
    p.remove_edges(std::vector<int>{edge_of(t.data(), 1, 2)}, true, &removed);
    EXPECT_EQ(removed, (std::set<int>{0}));
    EXPECT_EQ(faces_of(t.data()), (face_list{{0, 2, 3}, {0, 3, 4}}));
}

TEST(polygon_removal, a_triangle_used_by_an_earlier_edge_is_not_refaced_again) {
    // A fan around vertex 0: (0,2,3), (0,1,2), (0,3,4). Edge 0-2 joins
    // faces 1 and 0 into a quad at index 1. Edge 0-3 then finds face 0
    // again: its pair is not fresh, so faces 0 and 2 are removed, not joined.
    twinel_test::test_scene t(with_faces(5, {{0, 2, 3}, {0, 1, 2}, {0, 3, 4}}));
    Polygon_class p(&t.shape());
    const host::mesh_data& d = t.data();
    const std::vector<int> edges{edge_of(d, 0, 2), edge_of(d, 0, 3)};
    Array<int> a(2), b(2);
    p.get_faces_pair_by_edges(edges, a, b, nullptr, false);
    ASSERT_EQ(a[0], 1);  // the quad is made at face 1
    ASSERT_EQ(a[1], 2);

    std::set<int> removed;
    p.remove_edges(edges, true, &removed);
    EXPECT_EQ(removed, (std::set<int>{0, 2}));
    EXPECT_EQ(faces_of(d), (face_list{{0, 1, 2, 3}}));
    EXPECT_EQ(edge_of(d, 0, 2), -1);
    EXPECT_EQ(edge_of(d, 0, 3), -1);
}

TEST(polygon_removal, batch_indices_refer_to_the_mesh_before_the_batch) {
    // A strip of quads 0..3; removing the edges between 0|1 and 2|3 without
    // reface removes all four faces, even though the first removal would
    // renumber the rest if it were applied at once.
    twinel_test::mesh_lists strip = with_faces(10, {{0, 1, 6, 5}, {1, 2, 7, 6}, {2, 3, 8, 7}, {3, 4, 9, 8}});
    strip.faces.push_back({4, 9, 5});  // an extra face that must survive
    twinel_test::test_scene t(strip);
    Polygon_class p(&t.shape());
    const host::mesh_data& d = t.data();
    const std::vector<int> edges{edge_of(d, 3, 8), edge_of(d, 1, 6)};
    Array<int> a(2), b(2);
    p.get_faces_pair_by_edges(edges, a, b, nullptr, false);

    logged_mesh log(t.mesh());
    p.mesh = &log;
    std::set<int> removed{4};
    p.remove_edges(edges, a, b, &removed, nullptr);
    EXPECT_EQ(removed, (std::set<int>{0, 1, 2, 3, 4}));  // the set is not emptied here
    EXPECT_EQ(faces_of(d), (face_list{{4, 9, 5}}));
    EXPECT_EQ(edge_of(d, 3, 8), -1);
    EXPECT_EQ(edge_of(d, 1, 6), -1);
    EXPECT_NE(edge_of(d, 2, 7), -1);
    EXPECT_EQ(log.log, (std::vector<std::string>{"begin edges", "begin faces", "end faces", "end edges"}));

    // Face lists shorter than the edge list change nothing.
    Array<int> short_list(1);
    EXPECT_THROW(p.remove_edges(std::vector<int>{0, 1}, short_list, short_list, nullptr, nullptr),
                 std::invalid_argument);
    EXPECT_EQ(faces_of(d), (face_list{{4, 9, 5}}));
}

TEST(polygon_removal, combine_face_writes_the_outline_with_uvs_and_no_normals) {
    twinel_test::mesh_lists m = with_faces(4, {{0, 1, 2}, {0, 2, 3}});
    m.uvs = {{}, {{0.0f, 0.0f}, {0.5f, 0.5f}, {0.0f, 1.0f}}};  // only face b has UVs
    twinel_test::test_scene t(m);
    const vec3 normals[3] = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    t.mesh().face(0).set_normals(3, normals);
    Polygon_class p(&t.shape());

    p.combine_face(0, 1, 0, 2);
    const host::mesh_data& d = t.data();
    EXPECT_EQ(faces_of(d), (face_list{{0, 1, 2, 3}, {0, 2, 3}}));
    EXPECT_TRUE(d.face_has_uv[0]);
    EXPECT_FALSE(d.face_has_normals[0]);
    std::vector<vec2> uv(4);
    t.mesh().face(0).get_parameter_uv(uv.data());
    EXPECT_EQ(uv[3].x, 0.0f);
    EXPECT_EQ(uv[3].y, 1.0f);  // corner 3 came from face b's corner at vertex 3

    // An edge that is not a side of both faces leaves face a alone.
    p.combine_face(1, 0, 1, 2);
    EXPECT_EQ(faces_of(d)[1], (std::vector<int>{0, 2, 3}));
}

TEST(polygon_removal, invalid_faces_go_in_one_batch_and_a_clean_mesh_opens_none) {
    twinel_test::test_scene t(with_faces(5, {{1, 2, 1, 3}, {1, 2, 3, 4}, {0, 4}, {0, 1, 2}, {2, 3, 0, 4, 3}}));
    Polygon_class p(&t.shape());
    logged_mesh log(t.mesh());
    p.mesh = &log;

    EXPECT_EQ(p.remove_invalide_faces(), 3);
    EXPECT_EQ(faces_of(t.data()), (face_list{{1, 2, 3, 4}, {0, 1, 2}}));
    EXPECT_EQ(log.log, (std::vector<std::string>{"begin faces", "end faces"}));

    log.log.clear();
    EXPECT_EQ(p.remove_invalide_faces(), 0);
    EXPECT_TRUE(log.log.empty());
    EXPECT_EQ(faces_of(t.data()).size(), 2u);
}
