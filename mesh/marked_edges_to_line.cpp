#include "mesh/marked_edges_to_line.h"

#include <deque>
#include <vector>

#include "frame/sdk/polygon_mesh.h"
#include "frame/sdk/scene.h"
#include "mesh/polygon_class.h"

marked_edges_to_line::mark_edge_inf::mark_edge_inf(const edge_class& edge) : v0(edge.get_v0()), v1(edge.get_v1()) {}

namespace {

using record = marked_edges_to_line::mark_edge_inf;

// The records at each vertex in list order, each with a cursor past the
// used ones at its front: the first free record at a vertex is then found
// without searching the whole list again, and since a used record never
// becomes free, the answer is the same.
class records_at_vertex {
public:
    records_at_vertex(const std::vector<record>& records, int vertices)
        : records_(records), at_(static_cast<std::size_t>(vertices)), cursor_(at_.size(), 0) {
        for (std::size_t k = 0; k < records.size(); ++k) {
            at_[static_cast<std::size_t>(records[k].v0)].push_back(static_cast<int>(k));
            if (records[k].v1 != records[k].v0) at_[static_cast<std::size_t>(records[k].v1)].push_back(static_cast<int>(k));
        }
    }

    // The first free record with `v` as an end, or -1.
    int first_free(int v) {
        const std::vector<int>& list = at_[static_cast<std::size_t>(v)];
        std::size_t& c = cursor_[static_cast<std::size_t>(v)];
        while (c < list.size() && records_[static_cast<std::size_t>(list[c])].used) ++c;
        return c < list.size() ? list[c] : -1;
    }

private:
    const std::vector<record>& records_;
    std::vector<std::vector<int>> at_;
    std::vector<std::size_t> cursor_;
};

// Takes the record (marks it used) and answers its end other than `v`.
int walk(record& r, int v) {
    r.used = true;
    return r.v0 == v ? r.v1 : r.v0;
}

}  // namespace

int marked_edges_to_line::make_lines(scene_interface* scene, Polygon_class& polygon, const int* edges, int count) {
    if (!scene || !polygon.mesh || !edges || count <= 0) return 0;
    polygon_mesh_class& mesh = *polygon.mesh;
    const int edge_count = mesh.get_number_of_edges();
    const int vertices = mesh.get_number_of_vertices();
    const auto is_vertex = [vertices](int v) { return v >= 0 && v < vertices; };
    // The list may belong to the element-mark component; it is read once,
    // here, before any line is made.
    std::vector<record> records;
    records.reserve(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        const int e = edges[k];
        if (e < 0 || e >= edge_count) continue;
        const record r(mesh.edge(e));
        if (is_vertex(r.v0) && is_vertex(r.v1)) records.push_back(r);
    }
    records_at_vertex at(records, vertices);

    int lines = 0;
    std::size_t next_start = 0;
    std::vector<vec3> points;
    for (;;) {
        while (next_start < records.size() && records[next_start].used) ++next_start;
        if (next_start == records.size()) break;
        record& first = records[next_start];
        first.used = true;
        std::deque<int> chain{first.v0, first.v1};
        int head = first.v0;
        int tail = first.v1;

        bool closed = false;
        for (int r; (r = at.first_free(tail)) >= 0;) {
            tail = walk(records[static_cast<std::size_t>(r)], tail);
            if (tail == head) {
                closed = true;
                break;
            }
            chain.push_back(tail);
        }
        if (!closed)
            for (int r; (r = at.first_free(head)) >= 0;) {
                head = walk(records[static_cast<std::size_t>(r)], head);
                chain.push_front(head);
            }

        points.clear();
        for (int v : chain) points.push_back(mesh.vertex(v).get_position());
        scene->create_line(static_cast<int>(points.size()), points.data(), closed, 0, 0);
        ++lines;
    }
    return lines;
}
