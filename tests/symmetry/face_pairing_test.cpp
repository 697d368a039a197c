// Face pairing: the join on face keys and the table rebuild, checked on
// small meshes with known answers and against literal walks on random
// meshes full of key collisions, duplicates and same-winding faces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>

#include "mesh/polygon_class.h"
#include "symmetry/face_cycles.h"
#include "symmetry/twinel_class.h"
#include "tests/common/mesh_builder.h"
#include "tests/symmetry/pairing_fixture.h"

namespace {

using twinel_test::mesh_lists;
using twinel_test::quiet_settings;
using twinel_test::test_scene;

struct paired {
    explicit paired(test_scene& t, const Symmetry_class& s = quiet_settings()) : polygon(&t.shape()), twinel(polygon, s) {}
    Polygon_class polygon;
    twinel_class twinel;
};

// ---- the literal walks --------------------------------------------------------

std::vector<int> face_of(const host::mesh_data& d, int f) {
    return std::vector<int>(d.face_vertices(f), d.face_vertices(f) + d.face_size[static_cast<std::size_t>(f)]);
}

std::vector<int> mirror_of(const std::vector<int>& face, const Interconnection_class& vertices) {
    std::vector<int> m(face.size());
    for (std::size_t k = 0; k < face.size(); ++k) m[face.size() - 1 - k] = vertices.partner(face[k]);
    return m;
}

bool literal_same(const std::vector<int>& f, const std::vector<int>& list) {
    if (f.size() != list.size() || f.empty()) return false;
    std::size_t k = 0;
    while (k < list.size() && list[k] != f[0]) ++k;
    if (k == list.size()) return false;
    for (std::size_t j = 1; j < f.size(); ++j)
        if (f[j] != list[(k + j) % list.size()]) return false;
    return true;
}

Interconnection_class literal_faces_link(const host::mesh_data& d, const Interconnection_class& vertices) {
    std::multimap<std::uint32_t, int> by_key;
    for (int f = 0; f < d.face_count(); ++f) {
        std::uint32_t key = 0;
        for (int v : face_of(d, f)) key += static_cast<std::uint32_t>(v) + static_cast<std::uint32_t>(vertices.partner(v));
        by_key.emplace(key, f);
    }
    Interconnection_class table;
    table.resize(d.face_count());
    for (auto e = by_key.begin(); e != by_key.end(); ++e) {
        const std::vector<int> m = mirror_of(face_of(d, e->second), vertices);
        for (auto c = e; c != by_key.end() && c->first == e->first; ++c)
            if (!table.has_pair(c->second) && literal_same(face_of(d, c->second), m)) {
                table.link(e->second, c->second);
                break;
            }
    }
    return table;
}

Interconnection_class literal_repair(const host::mesh_data& d, const Interconnection_class& vertices,
                                     const Interconnection_class& old, long long s, std::vector<int>& missing) {
    const int n = d.face_count();
    std::vector<std::vector<int>> face(static_cast<std::size_t>(n));
    for (int f = 0; f < n; ++f) face[static_cast<std::size_t>(f)] = face_of(d, f);
    const auto same = [&](long long g, const std::vector<int>& m) { return literal_same(face[static_cast<std::size_t>(g)], m); };
    Interconnection_class table;
    table.resize(n);
    missing.clear();
    for (int i = 0; i < n; ++i) {
        if (table.has_pair(i)) continue;
        const std::vector<int> m = mirror_of(face[static_cast<std::size_t>(i)], vertices);
        const int o = old.partner(i);
        if (i < old.size() && o >= 0 && o < n && same(o, m)) {
            table.link(i, o);
            continue;
        }
        long long found = -1;
        for (long long w = std::max(i - s, 0LL); w < std::min(i + s + 1, (long long)old.size()) && found < 0; ++w) {
            const long long c = old.links[static_cast<std::size_t>(w)];
            for (long long g = std::max(c - s, 0LL); g < std::min(c + s + 1, (long long)n); ++g)
                if (!table.has_pair((int)g) && same(g, m)) {
                    found = g;
                    break;
                }
        }
        for (long long g = std::max(n - s, 0LL); found < 0 && g < n; ++g)
            if (same(g, m)) found = g;
        if (found >= 0)
            table.link(i, (int)found);
        else
            missing.push_back(i);
    }
    // Faces whose mirror face lies outside the windows: the first unpaired
    // mirror face anywhere.
    std::vector<int> left;
    for (int i : missing) {
        for (int g = 0; g < n && !table.has_pair(i); ++g)
            if (!table.has_pair(g) && same(g, mirror_of(face[static_cast<std::size_t>(i)], vertices))) table.link(i, g);
        if (!table.has_pair(i)) left.push_back(i);
    }
    missing = left;
    return table;
}

// A random vertex pairing over `n` vertices and faces built from it: true
// mirror faces (any rotation), same-winding copies, duplicates and faces
// over unpaired vertices, shuffled, over a small pool so that keys collide.
struct random_case {
    Interconnection_class vertices;
    mesh_lists lists;
};

// With `degenerate`, faces also have one or two corners or a vertex twice,
// as imported files may hold them.
random_case make_random_case(std::mt19937& rng, int n, int faces, bool degenerate = false) {
    random_case r;
    r.vertices.resize(n);
    std::vector<int> order(static_cast<std::size_t>(n));
    for (int v = 0; v < n; ++v) order[static_cast<std::size_t>(v)] = v;
    std::shuffle(order.begin(), order.end(), rng);
    for (int k = 0; k + 1 < n; k += 2) {
        const int kind = static_cast<int>(rng() % 6);
        if (kind == 0) continue;  // both unpaired
        if (kind == 1) {
            r.vertices.link(order[static_cast<std::size_t>(k)]);
            r.vertices.link(order[static_cast<std::size_t>(k + 1)]);
        } else {
            r.vertices.link(order[static_cast<std::size_t>(k)], order[static_cast<std::size_t>(k + 1)]);
        }
    }
    r.lists.positions.resize(static_cast<std::size_t>(n));
    auto pick = [&](int corners) {
        std::vector<int> f;
        while (static_cast<int>(f.size()) < corners) {
            const int v = static_cast<int>(rng() % static_cast<unsigned>(n));
            if (std::find(f.begin(), f.end(), v) == f.end() || (degenerate && rng() % 3 == 0)) f.push_back(v);
        }
        return f;
    };
    while (static_cast<int>(r.lists.faces.size()) < faces) {
        const int corners = degenerate ? 1 + static_cast<int>(rng() % 5) : 3 + static_cast<int>(rng() % 2);
        std::vector<int> f = pick(std::min(corners, degenerate ? corners : n));
        r.lists.faces.push_back(f);
        std::vector<int> m = mirror_of(f, r.vertices);
        std::rotate(m.begin(), m.begin() + static_cast<long>(rng() % m.size()), m.end());
        const bool valid = std::find(m.begin(), m.end(), -1) == m.end();
        switch (rng() % 4) {
            case 0: if (valid) r.lists.faces.push_back(m); break;
            case 1: if (valid) { r.lists.faces.push_back(m); r.lists.faces.push_back(m); } break;
            case 2: if (valid) { std::reverse(m.begin(), m.end()); r.lists.faces.push_back(m); } break;
            default: r.lists.faces.push_back(f); break;
        }
    }
    std::shuffle(r.lists.faces.begin(), r.lists.faces.end(), rng);
    return r;
}

// ---- small meshes ---------------------------------------------------------------

TEST(face_pairing, mirror_faces_share_a_key_and_a_straddling_quad_pairs_with_itself) {
    mesh_lists m = twinel_test::symmetric_mesh();
    // A quad across the plane above the strip: (-1, 3), (1, 3), (1, 4), (-1, 4).
    m.positions.insert(m.positions.end(), {{-1, 3, 0}, {1, 3, 0}, {1, 4, 0}, {-1, 4, 0}});
    m.faces.push_back({15, 16, 17, 18});
    m.uvs.clear();
    test_scene t(m);
    paired p(t);
    ASSERT_EQ(p.twinel.make_vertices_link(), nullptr);
    ASSERT_EQ(p.twinel.make_faces_link(), nullptr);
    EXPECT_EQ(p.twinel.face_table.unmatched, 0);
    EXPECT_TRUE(p.twinel.face_table.is_self(8));
    // Column c mirrors column 3 - c in each row: face c pairs with 3 - c.
    for (int f = 0; f < 8; ++f) EXPECT_EQ(p.twinel.face_table.partner(f), (f / 4) * 4 + 3 - f % 4) << f;
    const host::mesh_data& d = t.data();
    EXPECT_EQ(face_key(d.face_vertices(0), 4, p.twinel.vertex_table), face_key(d.face_vertices(3), 4, p.twinel.vertex_table));
    EXPECT_EQ(t.scene().progress_titles().back(), "making symmetry faces link table");
}

TEST(face_pairing, same_winding_and_colliding_keys_stay_unpaired) {
    // Every face of a strip row has the same key; turning one face round
    // leaves it and its mirror face unpaired, the rest of the row pairs.
    mesh_lists m = twinel_test::symmetric_mesh();
    std::reverse(m.faces[0].begin(), m.faces[0].end());
    test_scene t(m);
    paired p(t);
    ASSERT_EQ(p.twinel.make_vertices_link(), nullptr);
    ASSERT_EQ(p.twinel.make_faces_link(), nullptr);
    EXPECT_FALSE(p.twinel.face_table.has_pair(0));
    EXPECT_FALSE(p.twinel.face_table.has_pair(3));
    EXPECT_EQ(p.twinel.face_table.partner(1), 2);
    EXPECT_EQ(p.twinel.face_table.unmatched, 2);

    EXPECT_EQ(p.twinel.unmatch_faces_index(-1), 0);
    EXPECT_EQ(p.twinel.unmatch_faces_index(0), 3);
    EXPECT_EQ(p.twinel.unmatch_faces_index(3), 0);  // wraps
    std::vector<int> proposals;
    p.twinel.get_proposal_face_list(0, proposals);
    EXPECT_EQ(proposals, std::vector<int>{3});  // neither itself nor paired faces
    p.twinel.select_unmatch_faces();
    EXPECT_TRUE(t.mesh().face(3).get_active());
    EXPECT_FALSE(t.mesh().face(1).get_active());
}

// ---- against the literal walks --------------------------------------------

TEST(face_pairing, join_matches_the_literal_walk_on_random_meshes) {
    std::mt19937 rng(7);
    for (int round = 0; round < 40; ++round) {
        random_case r = make_random_case(rng, 6 + round % 10, 30);
        test_scene t(r.lists);
        paired p(t);
        p.twinel.vertex_table = r.vertices;
        ASSERT_EQ(p.twinel.make_faces_link(), nullptr);
        EXPECT_EQ(p.twinel.face_table.links, literal_faces_link(t.data(), r.vertices).links) << "round " << round;
    }
}

TEST(face_pairing, table_rebuild_matches_the_literal_walk_with_random_old_tables) {
    std::mt19937 rng(11);
    for (int round = 0; round < 60; ++round) {
        // Narrow spans walk the windows, wide ones go through an index.
        const bool wide = round % 3 == 0;
        const int span = (wide ? 17 + static_cast<int>(rng() % 14) : static_cast<int>(rng() % 5)) * (rng() % 2 ? 1 : -1);
        random_case r = make_random_case(rng, wide ? 30 : 8 + round % 7, wide ? 200 : 40);
        test_scene t(r.lists);
        paired p(t);
        p.twinel.vertex_table = r.vertices;
        // An old table of another size with random pairs and self pairs.
        Interconnection_class old;
        old.resize(t.mesh().get_number_of_faces() - 10 + static_cast<int>(rng() % 20));
        for (int k = 0; k < old.size(); ++k) {
            const int j = static_cast<int>(rng() % static_cast<unsigned>(old.size() + 8));
            if (j < old.size()) old.link(k, j);
        }
        p.twinel.face_table = old;
        std::vector<int> missing, expected_missing;
        const int u = p.twinel.repair_faces_link_with_span(span, missing);
        const Interconnection_class expected = literal_repair(t.data(), r.vertices, old, std::abs(span), expected_missing);
        EXPECT_EQ(p.twinel.face_table.links, expected.links) << "round " << round;
        EXPECT_EQ(missing, expected_missing) << "round " << round;
        EXPECT_EQ(u, expected.unmatched);
    }
}

}  // namespace

namespace {

// A mesh whose coordinates put vertices on both sides, on the plane, at
// the same place twice and at NaN, with faces (degenerate ones included)
// over them; pairing it end to end must give the face table of the literal
// walk over the vertex table the pairing made.
mesh_lists random_geometry(std::mt19937& rng) {
    mesh_lists m;
    const int half = 3 + static_cast<int>(rng() % 12);
    const auto coordinate = [&] { return static_cast<float>(static_cast<int>(rng() % 9) - 4) * 0.25f; };
    for (int k = 0; k < half; ++k) {
        const vec3 p(0.25f + 0.25f * static_cast<float>(rng() % 6), coordinate(), coordinate());
        m.positions.push_back(p);
        const vec3 mirror(-p.x, p.y, p.z);
        switch (rng() % 16) {
            case 0: break;  // no mirror
            case 1: case 2: m.positions.push_back(mirror); m.positions.push_back({0.0f, p.y, p.z}); break;  // on the plane
            case 3: case 4: m.positions.push_back(mirror); m.positions.push_back({std::nanf(""), p.y, p.z}); break;
            case 5: m.positions.push_back({-p.x, p.y, std::nanf("")}); break;  // NaN off the plane axis
            case 6: m.positions.push_back(p); m.positions.push_back(mirror); m.positions.push_back(mirror); break;
            default: m.positions.push_back(mirror); break;
        }
    }
    std::shuffle(m.positions.begin(), m.positions.end(), rng);
    const int n = static_cast<int>(m.positions.size());
    const int faces = 4 + static_cast<int>(rng() % 30);
    for (int f = 0; f < faces; ++f) {
        std::vector<int> face;
        const int corners = 1 + static_cast<int>(rng() % 5);
        for (int k = 0; k < corners; ++k) face.push_back(static_cast<int>(rng() % static_cast<unsigned>(n)));
        m.faces.push_back(face);
        // Often its mirror face too, found by position.
        if (rng() % 3 != 0) {
            std::vector<int> mirror;
            for (auto it = face.rbegin(); it != face.rend(); ++it) {
                const vec3& p = m.positions[static_cast<std::size_t>(*it)];
                int found = -1;
                for (int v = 0; v < n && found < 0; ++v) {
                    const vec3& q = m.positions[static_cast<std::size_t>(v)];
                    if (q.x == -p.x && q.y == p.y && q.z == p.z) found = v;
                }
                mirror.push_back(found < 0 ? *it : found);
            }
            std::rotate(mirror.begin(), mirror.begin() + static_cast<long>(rng() % mirror.size()), mirror.end());
            m.faces.push_back(mirror);
        }
    }
    return m;
}

}  // namespace

TEST(face_pairing, join_matches_the_literal_walk_with_degenerate_faces) {
    std::mt19937 rng(23);
    for (int round = 0; round < 200; ++round) {
        random_case r = make_random_case(rng, 2 + round % 12, 10 + round % 40, true);
        test_scene t(r.lists);
        paired p(t);
        p.twinel.vertex_table = r.vertices;
        ASSERT_EQ(p.twinel.make_faces_link(), nullptr);
        ASSERT_EQ(p.twinel.face_table.links, literal_faces_link(t.data(), r.vertices).links) << "round " << round;
    }
}

TEST(face_pairing, pairing_end_to_end_matches_the_literal_walk_with_nan_and_on_plane_vertices) {
    std::mt19937 rng(31);
    int complete = 0;
    for (int round = 0; round < 200; ++round) {
        const mesh_lists lists = random_geometry(rng);
        test_scene t(lists);
        paired p(t);
        ASSERT_EQ(p.twinel.make_vertices_link(), nullptr) << "round " << round;
        // The palette pairs faces only once every vertex is paired; the
        // join itself must agree with the walk either way.
        if (p.twinel.vertex_table.unmatched == 0) ++complete;
        ASSERT_EQ(p.twinel.make_faces_link(), nullptr) << "round " << round;
        ASSERT_EQ(p.twinel.face_table.links, literal_faces_link(t.data(), p.twinel.vertex_table).links)
            << "round " << round;
    }
    EXPECT_GT(complete, 30);
}
