#include "host/undo_stack.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "host/line_shape.h"
#include "host/part.h"
#include "tests/common/mesh_builder.h"

namespace {

using twinel_test::identical;
using twinel_test::test_scene;

// A fixed pseudo-random sequence for the edit script.
struct sequence {
    std::uint32_t state;
    int below(int n) {
        state = state * 1664525u + 1013904223u;
        return n <= 0 ? 0 : static_cast<int>((state >> 8) % static_cast<std::uint32_t>(n));
    }
    float unit() { return static_cast<float>(below(1 << 20)) / static_cast<float>(1 << 20); }
};

// One random edit through the SDK interface, over every kind of write.
void random_edit(polygon_mesh_class& m, sequence& r) {
    const int nv = m.get_number_of_vertices(), nf = m.get_number_of_faces(), ne = m.get_number_of_edges();
    switch (r.below(12)) {
    case 0:
        if (nv) m.vertex(r.below(nv)).set_position(vec3(r.unit(), r.unit(), r.unit()));
        break;
    case 1:
        if (nv) m.vertex(r.below(nv)).set_active(r.below(2) == 0);
        break;
    case 2:
        if (nf) {
            face_class& f = m.face(r.below(nf));
            std::vector<vec2> uv(static_cast<std::size_t>(f.get_number_of_vertices()), vec2(r.unit(), r.unit()));
            f.set_parameter_uv(uv.data());
        }
        break;
    case 3:
        if (nf && nv > 4) {
            int corners[5];
            const int n = 3 + r.below(3);
            for (int k = 0; k < n; ++k) corners[k] = r.below(nv);
            m.face(r.below(nf)).set_vertex_indices(n, corners);
        }
        break;
    case 4:
        m.append_vertex(vec3(r.unit(), -r.unit(), 0.5f));
        break;
    case 5:
        if (nv > 3) {
            int corners[3] = {r.below(nv), r.below(nv), r.below(nv)};
            m.append_face(3, corners);
        }
        break;
    case 6:
        if (nv > 6) m.remove_vertex(r.below(nv));
        break;
    case 7:
        if (nf > 2 && ne > 2) {
            m.begin_removing_edges();
            m.begin_removing_faces();
            m.remove_face(r.below(nf));
            m.remove_edge(r.below(ne));
            m.end_removing_faces();
            m.end_removing_edges();
        }
        break;
    case 8:
        m.rebuild_edges();
        break;
    case 9:
        m.set_face_flip(!m.get_face_flip());
        break;
    case 10:
        if (nv) {
            skin_class& s = m.vertex(r.below(nv)).get_skin();
            s.append_bind();
            s.set_bind_weight(s.get_number_of_binds() - 1, r.unit());
        }
        break;
    default:
        if (ne) m.edge(r.below(ne)).set_active(true);
        break;
    }
}

TEST(undo, random_edits_in_a_record_undo_and_redo_exactly) {
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        test_scene t(twinel_test::symmetric_mesh());
        auto& m = t.mesh();
        const host::mesh_data before = t.data();
        sequence r{seed};
        kx::host_ref<undo_record_interface> record(t.shape().create_undo_record());
        for (int k = 0; k < 40; ++k) random_edit(m, r);
        record->close(0);
        const host::mesh_data after = t.data();

        ASSERT_TRUE(t.scene().undo());
        ASSERT_TRUE(identical(t.data(), before)) << "seed " << seed;
        ASSERT_TRUE(t.data().valid());
        ASSERT_TRUE(t.scene().redo());
        ASSERT_TRUE(identical(t.data(), after)) << "seed " << seed;
        // The mesh object answers from the restored arrays.
        EXPECT_EQ(m.get_number_of_vertices(), after.vertex_count());
        int selected = 0;
        for (std::uint8_t s : after.vertex_selected) selected += s;
        EXPECT_EQ(m.get_number_of_active_vertices(), selected);
    }
}

// Steps, undo, redo and selection changes between steps, in random order,
// against full copies of the mesh: shared saved states undo and redo
// exactly, a run of steps keeps one saved mesh a step, and the byte limit
// drops the oldest steps.
TEST(undo, steps_share_saved_states_and_still_undo_and_redo_exactly) {
    for (std::uint32_t seed = 1; seed <= 10; ++seed) {
        test_scene t(twinel_test::symmetric_mesh());
        auto& m = t.mesh();
        sequence r{seed};
        struct copies {
            host::mesh_data before, after;
        };
        std::vector<copies> done, undone;
        for (int k = 0; k < 80; ++k) {
            const int what = r.below(10);
            if (what < 5) {
                const host::mesh_data before = t.data();
                const std::size_t steps = t.scene().history().undo_count();
                t.scene().begin_undo_step();
                for (int e = r.below(3); e >= 0; --e) random_edit(m, r);
                t.scene().end_undo_step();
                if (t.scene().history().undo_count() > steps) {
                    done.push_back({before, t.data()});
                    undone.clear();
                }
            } else if (what < 7) {
                ASSERT_EQ(t.scene().undo(), !done.empty());
                if (done.empty()) continue;
                ASSERT_TRUE(identical(t.data(), done.back().before)) << "seed " << seed << " at " << k;
                undone.push_back(std::move(done.back()));
                done.pop_back();
            } else if (what < 9) {
                ASSERT_EQ(t.scene().redo(), !undone.empty());
                if (undone.empty()) continue;
                ASSERT_TRUE(identical(t.data(), undone.back().after)) << "seed " << seed << " at " << k;
                done.push_back(std::move(undone.back()));
                undone.pop_back();
            } else {
                m.vertex(r.below(m.get_number_of_vertices())).set_active(r.below(2) == 0);
            }
        }
    }

    // A run of single-vertex moves of a larger mesh keeps what the moves
    // changed, not a copy of the mesh a step; the byte limit then drops the
    // oldest steps.
    twinel_test::mesh_lists grid;
    const int side = 224;
    for (int i = 0; i < side; ++i)
        for (int j = 0; j < side; ++j) grid.positions.push_back(vec3(static_cast<float>(i), static_cast<float>(j), 0));
    for (int i = 0; i + 1 < side; ++i)
        for (int j = 0; j + 1 < side; ++j)
            grid.faces.push_back({i * side + j, (i + 1) * side + j, (i + 1) * side + j + 1, i * side + j + 1});
    test_scene t(grid);
    auto& m = t.mesh();
    const auto move_once = [&](int k) {
        t.scene().begin_undo_step();
        m.vertex(k * 997 % m.get_number_of_vertices()).set_position(vec3(static_cast<float>(k), 0, 0));
        t.scene().end_undo_step();
    };
    move_once(0);
    const std::size_t one = t.scene().history().saved_bytes();  // about one copy
    for (int k = 1; k < 30; ++k) move_once(k);
    EXPECT_LT(t.scene().history().saved_bytes(), one + one / 2);
    t.scene().set_history_byte_limit(one + one / 10);
    EXPECT_LT(t.scene().history().undo_count(), 30u);
    EXPECT_GT(t.scene().history().undo_count(), 1u);
    EXPECT_LE(t.scene().history().saved_bytes(), one + one / 10);
    while (t.scene().undo()) {
    }
    EXPECT_TRUE(t.data().valid());
}

TEST(undo, nested_records_make_one_step_and_release_closes) {
    test_scene t(twinel_test::unit_cube());
    auto& m = t.mesh();
    const host::mesh_data before = t.data();
    {
        kx::host_ref<undo_record_interface> outer(t.shape().create_undo_record());
        m.vertex(0).set_position(vec3(9, 9, 9));
        kx::host_ref<undo_record_interface> inner(t.shape().create_undo_record());
        m.vertex(1).set_position(vec3(8, 8, 8));
        inner->close(0);
        inner->close(0);  // a second close is ignored
        EXPECT_TRUE(t.scene().history().is_open());
    }  // the outer record is released without close
    EXPECT_FALSE(t.scene().history().is_open());
    EXPECT_EQ(t.scene().history().undo_count(), 1u);
    t.scene().undo();
    EXPECT_TRUE(identical(t.data(), before));
    EXPECT_FALSE(t.scene().undo());
}

TEST(undo, a_record_whose_step_was_undone_leaves_later_steps_alone) {
    test_scene t(twinel_test::unit_cube());
    auto& m = t.mesh();
    kx::host_ref<undo_record_interface> stale(t.shape().create_undo_record());
    m.vertex(0).set_position(vec3(3, 3, 3));
    t.scene().undo();  // ends the record's step and undoes it
    t.scene().begin_undo_step();
    m.vertex(1).set_position(vec3(4, 4, 4));
    stale->close(0);
    EXPECT_TRUE(t.scene().history().is_open());
    t.scene().end_undo_step();
    EXPECT_EQ(t.scene().history().undo_count(), 1u);
}

TEST(undo, a_record_without_changes_leaves_no_step) {
    test_scene t(twinel_test::unit_cube());
    t.shape().create_undo_record()->Release();
    EXPECT_FALSE(t.scene().can_undo());
}

TEST(undo, changes_outside_a_step_drop_redo_but_selection_does_not) {
    test_scene t(twinel_test::unit_cube());
    auto& m = t.mesh();
    t.scene().begin_undo_step();
    m.vertex(0).set_position(vec3(2, 2, 2));
    t.scene().end_undo_step();
    t.scene().undo();
    m.vertex(3).set_active(true);
    EXPECT_TRUE(t.scene().can_redo());
    m.vertex(3).set_position(vec3(1, 1, 1));
    EXPECT_FALSE(t.scene().can_redo());
}

TEST(undo, shape_tree_changes_come_back) {
    test_scene t(twinel_test::unit_cube());
    host::scene& s = t.scene();
    const vec3 points[] = {{0, 0, 0}, {1, 0, 0}};
    shape_class* line = s.create_line(2, points, false, 0, 0);
    ASSERT_EQ(s.get_shape_by_index(2), line);
    s.remove_shape(t.shape());
    EXPECT_EQ(s.get_shape_by_index(1), line);
    s.begin_undo_step();
    line->set_name("renamed");
    s.end_undo_step();

    s.undo();
    EXPECT_STREQ(line->get_name(), "line_1");
    s.undo();
    EXPECT_EQ(s.get_shape_by_index(1), &t.shape());
    EXPECT_EQ(t.shape().get_dad(), &s.root());
    s.undo();
    EXPECT_EQ(s.root().get_number_of_sons(), 1);
    EXPECT_EQ(line->get_dad(), nullptr);

    s.redo();
    s.redo();
    s.redo();
    EXPECT_EQ(s.get_shape_by_name("renamed"), line);
    EXPECT_EQ(s.get_shape_index(t.shape()), -1);
    EXPECT_EQ(s.get_number_of_active_shapes(), 0) << "a removed shape is not active";
}

}  // namespace
