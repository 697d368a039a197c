// Lines from marked edges: how the edges are walked into chains and which
// lines come out.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "frame/sdk/shape.h"
#include "mesh/marked_edges_to_line.h"
#include "mesh/polygon_class.h"
#include "tests/common/mesh_builder.h"

namespace {

struct line {
    std::vector<int> points;  // vertex indices, read back from the x of each point
    bool closed = false;
    bool operator==(const line& o) const { return points == o.points && closed == o.closed; }
};

std::ostream& operator<<(std::ostream& out, const line& l) {
    for (int p : l.points) out << p << ' ';
    return out << (l.closed ? "closed" : "open");
}

// Vertex v of a mesh without faces sits at x = v; the listed edges are the
// marked ones, by index of the given vertex pairs. Returns the lines made.
std::vector<line> lines_from(int vertices, const std::vector<std::pair<int, int>>& edges,
                             const std::vector<int>& listed) {
    twinel_test::test_scene t;
    host::mesh_data d;
    for (int v = 0; v < vertices; ++v) d.add_vertex({static_cast<float>(v), 0, 0});
    for (const auto& [a, b] : edges) d.add_edge(a, b);
    Polygon_class polygon(&t.scene().add_mesh("mesh", d));
    const int made = marked_edges_to_line::make_lines(&t.scene(), polygon, listed.data(), static_cast<int>(listed.size()));
    std::vector<line> out;
    for (int k = 1; k <= made; ++k) {
        shape_class* s = t.scene().get_shape_by_name(("line_" + std::to_string(k)).c_str());
        if (!s) break;
        line l;
        for (int i = 0; i < s->get_number_of_control_points(); ++i)
            l.points.push_back(static_cast<int>(s->get_control_point(i)->get_position().x));
        l.closed = s->is_closed();
        out.push_back(l);
    }
    EXPECT_EQ(static_cast<int>(out.size()), made);
    return out;
}

}  // namespace

TEST(marked_edges_to_line, chains_follow_the_list_order_at_each_end) {
    using lines = std::vector<line>;
    // A square listed in any order closes into one line.
    const std::vector<std::pair<int, int>> square{{0, 1}, {2, 3}, {1, 2}, {3, 0}};
    EXPECT_EQ(lines_from(4, square, {1, 3, 0, 2}), (lines{{{2, 3, 0, 1}, true}}));
    // A path started in the middle grows forwards to 4, then back to 0;
    // marks naming no edge of the mesh are skipped.
    const std::vector<std::pair<int, int>> path{{0, 1}, {2, 3}, {1, 2}, {4, 3}};
    EXPECT_EQ(lines_from(5, path, {2, 9, 1, 3, -1, 0}), (lines{{{0, 1, 2, 3, 4}, false}}));
    // Three edges meeting at 1: the first listed free edge is followed, the
    // one left over makes a line of its own.
    const std::vector<std::pair<int, int>> star{{0, 1}, {1, 2}, {1, 3}};
    EXPECT_EQ(lines_from(4, star, {0, 2, 1}), (lines{{{0, 1, 3}, false}, {{1, 2}, false}}));
}
