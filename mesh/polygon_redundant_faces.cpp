// The overlapped-face search of Polygon_class and its containment tests.
#include <algorithm>

#include "frame/sdk/scene.h"
#include "mesh/mesh_analysis.h"
#include "mesh/polygon_scope.h"

using korvo_polygon::cycle;
using korvo_polygon::face_work;

bool korvo_polygon::is_in(const cycle& small, const cycle& large) {
    const int ns = small.size;
    const int nl = large.size;
    if (ns > nl || nl == 0) return false;
    int k = 0;
    while (k < ns && small[k] != large[0]) ++k;
    if (k == ns) return false;
    int cursor = (k + 1) % ns;
    for (int i = 1; i < nl; ++i)
        if (small[cursor] == large[i]) cursor = (cursor + 1) % ns;
    return cursor == k;
}

bool korvo_polygon::same_cycle(const cycle& a, const cycle& b) {
    const int n = a.size;
    if (n == 0 || b.size != n) return false;
    const auto repeats = [&](const cycle& c) {
        int j = 0;
        while (j < n && c[j] != a[0]) ++j;
        if (j == n) return false;
        for (int t = 1; t < n; ++t)
            if (a[t] != c[(j + t) % n]) return false;
        return true;
    };
    return repeats(b) || repeats(cycle{b.corners, b.size, !b.reversed});
}

bool is_in(const Array<int>& small, const Array<int>& large) {
    return korvo_polygon::is_in(cycle{small.data(), small.size(), false}, cycle{large.data(), large.size(), false});
}

namespace {

// Vertex face lists longer than this are searched through an index of the
// faces' other vertices instead of comparing every pair of faces.
constexpr int wide_list = 32;

// The overlap search over one mesh: every face's corners in one buffer,
// each vertex's faces (ascending, once per corner) in another.
class overlap_search {
public:
    overlap_search(polygon_mesh_class& mesh, int vertices, std::vector<int>& out) : mesh_(mesh), out_(out) {
        std::vector<int> start;
        korvo_polygon::read_faces(mesh, start, corners_);
        const int faces = static_cast<int>(start.size()) - 1;
        work_.resize(static_cast<std::size_t>(faces));
        list_start_.assign(static_cast<std::size_t>(vertices) + 1, 0);
        for (int f = 0; f < faces; ++f) {
            face_work& w = work_[static_cast<std::size_t>(f)];
            w.start = start[static_cast<std::size_t>(f)];
            w.size = start[static_cast<std::size_t>(f) + 1] - w.start;
            for (int c = w.start; c < w.start + w.size; ++c)
                if (is_vertex(corners_[static_cast<std::size_t>(c)], vertices))
                    ++list_start_[static_cast<std::size_t>(corners_[static_cast<std::size_t>(c)]) + 1];
        }
        for (int v = 0; v < vertices; ++v)
            list_start_[static_cast<std::size_t>(v) + 1] += list_start_[static_cast<std::size_t>(v)];
        lists_.resize(static_cast<std::size_t>(list_start_.back()));
        std::vector<int> next(list_start_.begin(), list_start_.end() - 1);
        for (int f = 0; f < faces; ++f) {
            const face_work& w = work_[static_cast<std::size_t>(f)];
            for (int c = w.start; c < w.start + w.size; ++c) {
                const int v = corners_[static_cast<std::size_t>(c)];
                if (is_vertex(v, vertices)) lists_[static_cast<std::size_t>(next[static_cast<std::size_t>(v)]++)] = f;
            }
        }
    }

    // Compares the faces of vertex v's list pair by pair, in list order.
    void search_vertex(int v) {
        const int* list = lists_.data() + list_start_[static_cast<std::size_t>(v)];
        const int m = list_start_[static_cast<std::size_t>(v) + 1] - list_start_[static_cast<std::size_t>(v)];
        if (m > wide_list) return search_wide(v, list, m);
        for (int i = 0; i < m; ++i) {
            if (!alive(list[i])) continue;
            for (int j = i + 1; j < m; ++j)
                if (alive(list[j]) && compare(list[i], list[j])) break;
        }
    }

private:
    static bool is_vertex(int v, int count) { return v >= 0 && v < count; }
    bool alive(int f) const { return work_[static_cast<std::size_t>(f)].alive; }

    void report(int f) {
        out_.push_back(f);
        work_[static_cast<std::size_t>(f)].alive = false;
    }

    // One comparison of face A with a later face B of the same vertex list;
    // true when A has been reported (the search then moves on to the next
    // A). A face that passes a vertex twice meets itself in that vertex's
    // list and is reported as overlapping itself.
    bool compare(int a, int b) {
        const face_work& fa = work_[static_cast<std::size_t>(a)];
        const face_work& fb = work_[static_cast<std::size_t>(b)];
        const int* buffer = corners_.data();
        if (fa.size == fb.size) {
            if (korvo_polygon::same_cycle(fa.vertices(buffer), fb.vertices(buffer)))
                report(mesh_.face(a).has_uv() ? b : a);
        } else if (fa.size < fb.size) {
            if (korvo_polygon::is_in(fa.vertices(buffer), fb.vertices(buffer)) ||
                korvo_polygon::is_in(fa.vertices(buffer), fb.reversed(buffer)))
                report(a);
        } else {
            if (korvo_polygon::is_in(fb.vertices(buffer), fa.vertices(buffer)) ||
                korvo_polygon::is_in(fb.vertices(buffer), fa.reversed(buffer)))
                report(b);
        }
        return !fa.alive;
    }

    // The same comparisons in the same order for a long list, skipping the
    // pairs that cannot match. Every test that reports needs the smaller
    // face's vertices to be among the larger one's (for equal sizes, the
    // same vertices), so B can only match A when B uses one of A's vertices
    // other than v, or uses no vertex but v at all.
    void search_wide(int v, const int* list, int m) {
        // (other vertex, position) for every distinct vertex but v of every
        // listed face; positions whose face uses v alone.
        by_vertex_.clear();
        only_v_.clear();
        std::vector<int>& others = scratch_;
        for (int j = 0; j < m; ++j) {
            others_of(list[j], v, others);
            if (others.empty()) only_v_.push_back(j);
            for (int w : others) by_vertex_.emplace_back(w, j);
        }
        std::sort(by_vertex_.begin(), by_vertex_.end());

        std::vector<int> candidates;
        for (int i = 0; i < m; ++i) {
            const int a = list[i];
            if (!alive(a)) continue;
            others_of(a, v, others);
            if (others.empty()) {
                // A uses v alone: every later face could hold it.
                for (int j = i + 1; j < m; ++j)
                    if (alive(list[j]) && compare(a, list[j])) break;
                continue;
            }
            candidates.clear();
            for (int w : others) {
                auto at = std::lower_bound(by_vertex_.begin(), by_vertex_.end(), std::make_pair(w, i + 1));
                for (; at != by_vertex_.end() && at->first == w; ++at) candidates.push_back(at->second);
            }
            for (auto at = std::upper_bound(only_v_.begin(), only_v_.end(), i); at != only_v_.end(); ++at)
                candidates.push_back(*at);
            std::sort(candidates.begin(), candidates.end());
            candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
            for (int j : candidates)
                if (alive(list[j]) && compare(a, list[j])) break;
        }
    }

    // The distinct vertices of face f other than v, ascending.
    void others_of(int f, int v, std::vector<int>& out) const {
        const face_work& w = work_[static_cast<std::size_t>(f)];
        const int* c = corners_.data() + w.start;
        out.clear();
        for (int k = 0; k < w.size; ++k)
            if (c[k] != v) out.push_back(c[k]);
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
    }

    polygon_mesh_class& mesh_;
    std::vector<int>& out_;
    std::vector<int> corners_;
    std::vector<face_work> work_;
    std::vector<int> list_start_;  // vertex v's faces: lists_[start[v] .. start[v + 1])
    std::vector<int> lists_;
    std::vector<std::pair<int, int>> by_vertex_;
    std::vector<int> only_v_;
    std::vector<int> scratch_;
};

}  // namespace

void Polygon_class::get_redundant_faces(std::vector<int>& faces) {
    faces.clear();
    kx::host_ref<scene_interface> scene(shape->get_scene());
    kx::host_ref<progress_interface> progress(scene ? scene->create_progress("finding redundant faces") : nullptr);
    polygon_scope::closer close([&] {
        if (progress) progress->close();
    });

    const int vertices = std::max(shape->get_number_of_control_points(), 0);
    overlap_search search(*mesh, vertices, faces);
    if (progress) progress->set_range(0, vertices);
    const int step = std::max(vertices / 100, 1);
    int shown = 0;
    for (int v = 0; v < vertices; ++v) {
        if (progress && v - shown > step) {
            progress->set_position(v);
            shown = v;
        }
        search.search_vertex(v);
    }
    std::sort(faces.begin(), faces.end());
}
