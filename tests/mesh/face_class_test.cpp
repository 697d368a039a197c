#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/sdk/polygon_mesh.h"
#include "mesh/face_class.h"

namespace {

// A host face held in plain vectors, logging the writes it receives.
class stored_face : public face_class {
public:
    std::vector<int> vertices;
    bool uv = false;
    std::vector<vec2> parameter, distance;
    int explicit_normals = 3;
    std::vector<std::string> writes;

    int get_number_of_vertices(void*) const override { return static_cast<int>(vertices.size()); }
    void get_vertex_indices(int* out, void*) const override { std::copy(vertices.begin(), vertices.end(), out); }
    void set_vertex_indices(int count, const int* indices, void*) override {
        vertices.assign(indices, indices + count);
        parameter.resize(vertices.size());
        distance.resize(vertices.size());
        writes.push_back("vertices");
    }
    bool has_uv(void*) const override { return uv; }
    void get_parameter_uv(vec2* out, void*) const override { std::copy(parameter.begin(), parameter.end(), out); }
    void set_parameter_uv(const vec2* in, void*) override {
        parameter.assign(in, in + vertices.size());
        writes.push_back("parameter");
    }
    void get_distance_uv(vec2* out, void*) const override { std::copy(distance.begin(), distance.end(), out); }
    void set_distance_uv(const vec2* in, void*) override {
        distance.assign(in, in + vertices.size());
        writes.push_back("distance");
    }
    void set_normals(int count, const vec3*, void*) override {
        explicit_normals = count;
        writes.push_back("normals");
    }
    void set_active(bool, void*) override {}
    bool get_active(void*) const override { return false; }
};

stored_face quad_with_uv() {
    stored_face f;
    f.vertices = {10, 11, 12, 13};
    f.uv = true;
    f.parameter = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    f.distance = {{0.5f, 0}, {1.5f, 0}, {1.5f, 1}, {0.5f, 1}};
    return f;
}

std::vector<int> vertices_of(const Face_class& c) {
    std::vector<int> v;
    for (const face_element& e : c.elements) v.push_back(e.vertex);
    return v;
}

TEST(Face_class, copies_corners_with_both_uv_sets) {
    stored_face f = quad_with_uv();
    Face_class c(f);
    EXPECT_TRUE(c.has_uv);
    ASSERT_EQ(c.size(), 4);
    EXPECT_EQ(vertices_of(c), (std::vector<int>{10, 11, 12, 13}));
    EXPECT_EQ(c.elements[2].parameter_uv, vec2(1, 1));
    EXPECT_EQ(c.elements[2].distance_uv, vec2(1.5f, 1));
}

TEST(Face_class, face_without_uv_writes_back_only_vertices_and_clears_normals) {
    stored_face f;
    f.vertices = {1, 2, 3};
    Face_class c(f);
    EXPECT_FALSE(c.has_uv);
    c.get_element(0).vertex = 7;
    EXPECT_EQ(c.set(f, face_uv::both), 0);
    EXPECT_EQ(f.writes, (std::vector<std::string>{"vertices", "normals"}));
    EXPECT_EQ(f.vertices, (std::vector<int>{7, 2, 3}));
    EXPECT_EQ(f.explicit_normals, 0);
}

TEST(Face_class, set_writes_the_uv_sets_the_mask_names_distance_first) {
    for (int which : {0, 1, 2, 3}) {
        stored_face f = quad_with_uv();
        Face_class c(f);
        for (face_element& e : c.elements) {
            e.parameter_uv += vec2(10, 0);
            e.distance_uv += vec2(20, 0);
        }
        c.set(f, which);
        std::vector<std::string> expected{"vertices"};
        if (which & face_uv::distance) expected.push_back("distance");
        if (which & face_uv::parameter) expected.push_back("parameter");
        expected.push_back("normals");
        EXPECT_EQ(f.writes, expected) << which;
        EXPECT_EQ(f.distance[0].x, (which & 1) ? 20.5f : 0.5f) << which;
        EXPECT_EQ(f.parameter[0].x, (which & 2) ? 10.0f : 0.0f) << which;
    }
}

TEST(Face_class, set_may_change_the_corner_count_and_an_empty_copy_writes_nothing) {
    stored_face f = quad_with_uv();
    Face_class c(f);
    c.elements.pop_back();
    EXPECT_EQ(c.set(f, face_uv::both), 0);
    EXPECT_EQ(f.vertices, (std::vector<int>{10, 11, 12}));

    Face_class empty;
    f.writes.clear();
    EXPECT_EQ(empty.set(f, face_uv::both), 1);
    EXPECT_TRUE(f.writes.empty());
}

TEST(Face_class, a_face_with_no_corner_keeps_the_elements_but_takes_its_uv_flag) {
    Face_class c(2);
    c.elements[0].vertex = 4;
    c.has_uv = true;
    stored_face none;
    c._make(none);
    EXPECT_FALSE(c.has_uv);
    EXPECT_EQ(vertices_of(c), (std::vector<int>{4, -1}));
}

TEST(Face_class, sized_copy_has_unset_corners_and_no_uv) {
    Face_class c(3);
    EXPECT_FALSE(c.has_uv);
    EXPECT_EQ(vertices_of(c), (std::vector<int>{-1, -1, -1}));
}

TEST(Face_class, reverse_flips_the_winding_with_the_uvs) {
    stored_face f = quad_with_uv();
    Face_class c(f);
    c.reverse();
    EXPECT_EQ(vertices_of(c), (std::vector<int>{13, 12, 11, 10}));
    EXPECT_EQ(c.elements[0].parameter_uv, vec2(0, 1));
    EXPECT_EQ(c.elements[3].distance_uv, vec2(0.5f, 0));

    Face_class one(1);
    one.elements[0].vertex = 5;
    one.reverse();
    EXPECT_EQ(vertices_of(one), std::vector<int>{5});
}

TEST(Face_class, indices_wrap_around_the_corner_count) {
    stored_face f = quad_with_uv();
    Face_class c(f);
    EXPECT_EQ(c.adjust_index(5), 1);
    EXPECT_EQ(c.adjust_index(8), 0);
    EXPECT_EQ(c.get_element(5).vertex, 11);
    EXPECT_EQ(c.get_element(3).vertex, 13);

    face_element e{42, vec2(1, 2), vec2(3, 4)};
    c.set_element(6, e);
    EXPECT_EQ(c.elements[2].vertex, 42);
    EXPECT_EQ(c.elements[2].parameter_uv, vec2(1, 2));
    EXPECT_EQ(c.elements[2].distance_uv, vec2(3, 4));
}

}  // namespace
