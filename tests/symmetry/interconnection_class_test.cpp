#include "symmetry/interconnection_class.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

namespace {

// Pairs mutual, entries in range, `unmatched` equal to the -1 count.
::testing::AssertionResult consistent(const Interconnection_class& t) {
    int free = 0;
    for (int i = 0; i < t.size(); ++i) {
        const int p = t.links[static_cast<std::size_t>(i)];
        if (p == -1) {
            ++free;
            continue;
        }
        if (p < 0 || p >= t.size()) return ::testing::AssertionFailure() << "entry " << i << " holds " << p;
        if (t.links[static_cast<std::size_t>(p)] != i)
            return ::testing::AssertionFailure() << i << " -> " << p << " but " << p << " -> "
                                                 << t.links[static_cast<std::size_t>(p)];
    }
    if (free != t.unmatched)
        return ::testing::AssertionFailure() << "unmatched " << t.unmatched << ", -1 entries " << free;
    return ::testing::AssertionSuccess();
}

Interconnection_class table_of(int n) {
    Interconnection_class t;
    t.resize(n);
    return t;
}

TEST(interconnection_class, link_pairs_and_releases_earlier_partners) {
    Interconnection_class t = table_of(6);
    EXPECT_EQ(t.link(0, 1), 0);
    EXPECT_EQ(t.unmatched, 4);
    // i paired with k, j unmatched: k is released, the count stays.
    EXPECT_EQ(t.link(0, 2), 1);
    EXPECT_EQ(t.partner(1), -1);
    EXPECT_EQ(t.partner(0), 2);
    EXPECT_EQ(t.unmatched, 4);
    // Linking partners again changes nothing but reports the pair.
    EXPECT_EQ(t.link(2, 0), 1);
    EXPECT_EQ(t.unmatched, 4);
    // link(i, i) is link(i): the partner is released.
    EXPECT_EQ(t.link(2, 2), 1);
    EXPECT_TRUE(t.is_self(2));
    EXPECT_EQ(t.partner(0), -1);
    EXPECT_EQ(t.link(2), 0);  // already self
    // A self element paired with another keeps no self entry.
    EXPECT_EQ(t.link(3, 2), 1);
    EXPECT_FALSE(t.is_self(2));
    EXPECT_TRUE(consistent(t));
}

TEST(interconnection_class, out_of_range_indices_change_nothing) {
    Interconnection_class t = table_of(3);
    t.link(0, 1);
    const Interconnection_class before = t;
    EXPECT_EQ(t.link(-1), -1);
    EXPECT_EQ(t.link(3), -1);
    EXPECT_EQ(t.link(0, 3), -1);
    EXPECT_EQ(t.link(-1, 2), -1);
    EXPECT_EQ(t.links, before.links);
    EXPECT_EQ(t.unmatched, before.unmatched);
    EXPECT_FALSE(t.has_pair(-1));
    EXPECT_FALSE(t.has_pair(3));
    EXPECT_FALSE(t.is_self(7));
    EXPECT_EQ(t.partner(9), -1);
}

TEST(interconnection_class, append_adds_a_partner_only_for_unmatched_elements) {
    Interconnection_class t = table_of(3);
    t.link(1);
    EXPECT_EQ(t.append(1), 1);  // self counts as a pair
    EXPECT_EQ(t.append(5), 1);
    EXPECT_EQ(t.size(), 3);
    EXPECT_EQ(t.append(0), 0);
    EXPECT_EQ(t.size(), 4);
    EXPECT_EQ(t.partner(0), 3);
    EXPECT_EQ(t.partner(3), 0);
    EXPECT_EQ(t.append(0), 1);
    EXPECT_EQ(t.unmatched, 1);
    EXPECT_TRUE(consistent(t));
}

TEST(interconnection_class, resize_truncates_free_tails_and_resets_on_dropped_pairs) {
    Interconnection_class t;
    EXPECT_EQ(t.resize(4), 0);
    EXPECT_EQ(t.unmatched, 4);
    t.link(0, 1);
    EXPECT_EQ(t.resize(3), 0);  // entry 3 was free
    EXPECT_EQ(t.partner(0), 1);
    EXPECT_EQ(t.unmatched, 1);
    t.link(2);
    EXPECT_EQ(t.resize(2), 1);  // entry 2 had a pair: everything reset
    EXPECT_EQ(t.links, std::vector<int>({-1, -1}));
    EXPECT_EQ(t.unmatched, 2);
    EXPECT_EQ(t.resize(2), 0);
    EXPECT_EQ(t.resize(0), 1);
    EXPECT_EQ(t.size(), 0);
    EXPECT_EQ(t.unmatched, 0);
    EXPECT_EQ(t.resize(-3), 1);
    EXPECT_EQ(t.size(), 0);
}

TEST(interconnection_class, reduse_renumbers_and_unpairs_partners_of_removed_entries) {
    Interconnection_class t = table_of(6);
    t.link(0, 5);
    t.link(1, 3);
    t.link(2);
    // Removing 3 leaves 1 without partner; 5 becomes 4.
    Interconnection_class a = t;
    EXPECT_EQ(a.reduse(std::set<int>{3}, false), 2);
    EXPECT_EQ(a.links, std::vector<int>({4, -1, 2, -1, 0}));
    // With partners both 1 and 3 go and the rest closes up.
    Interconnection_class b = t;
    EXPECT_EQ(b.reduse(std::vector<int>{3}, true), 1);
    EXPECT_EQ(b.links, std::vector<int>({3, 1, -1, 0}));
    // An empty list only recounts.
    Interconnection_class c = t;
    c.unmatched = 99;
    EXPECT_EQ(c.reduse(std::set<int>{}, false), 1);
    EXPECT_EQ(c.links, t.links);
    // The single-entry form.
    Interconnection_class d = t;
    EXPECT_EQ(d.reduse(6), 1);
    EXPECT_EQ(d.links, t.links);
    EXPECT_EQ(d.reduse(0), 0);
    EXPECT_EQ(d.links, std::vector<int>({2, 1, 0, -1, -1}));
    EXPECT_TRUE(consistent(d));
}

TEST(interconnection_class, reduse_ignores_indices_outside_the_table) {
    Interconnection_class t = table_of(4);
    t.link(0, 3);
    t.link(1, 2);
    // -5 and 9 would otherwise shift every renumbered partner.
    Interconnection_class a = t;
    a.reduse(std::set<int>{-5, 1, 9}, false);
    EXPECT_EQ(a.links, std::vector<int>({2, -1, 0}));
    Interconnection_class b = t;
    b.reduse(std::vector<int>{9, 1, -5, 1}, false);
    EXPECT_EQ(b.links, a.links);
    EXPECT_TRUE(consistent(b));
}

TEST(interconnection_class, new_link_number_counts_removed_indices_below) {
    const std::set<int> removed{1, 4, 6};
    const std::vector<int> list(removed.begin(), removed.end());
    for (int v : {-1, 0, 1, 3, 5, 7, 20}) EXPECT_EQ(Interconnection_class::new_link_number(v, removed),
                                                    Interconnection_class::new_link_number(v, list));
    EXPECT_EQ(Interconnection_class::new_link_number(-1, removed), -1);
    EXPECT_EQ(Interconnection_class::new_link_number(4, removed), -1);
    EXPECT_EQ(Interconnection_class::new_link_number(5, removed), 3);
    EXPECT_EQ(Interconnection_class::new_link_number(0, removed), 0);
}

TEST(interconnection_class, reverse_array_maps_through_partners_and_reverses) {
    Interconnection_class t = table_of(10);
    t.link(3, 4);
    t.link(7);
    t.link(9, 1);
    Array<int> dst(3);
    EXPECT_EQ(t.get_reverse_array(Array<int>{3, 7, 9}, dst), 2);
    EXPECT_EQ(dst, (Array<int>{1, 7, 4}));
    // Unpaired vertices and indices outside the table give -1.
    EXPECT_EQ(t.get_reverse_array(Array<int>{0, -2, 10}, dst), 2);
    EXPECT_EQ(dst, (Array<int>{-1, -1, -1}));
    Array<int> small(2);
    EXPECT_EQ(t.get_reverse_array(Array<int>{3, 7, 9}, small), -1);
    EXPECT_EQ(small, (Array<int>{0, 0}));
}

// A plain model of reduse: drop the entries, map each kept partner to its
// new place.
std::vector<int> model_reduse(const std::vector<int>& links, const std::set<int>& removed) {
    std::map<int, int> place;
    for (int i = 0, w = 0; i < static_cast<int>(links.size()); ++i)
        if (!removed.count(i)) place[i] = w++;
    std::vector<int> out;
    for (int i = 0; i < static_cast<int>(links.size()); ++i) {
        if (removed.count(i)) continue;
        const int p = links[static_cast<std::size_t>(i)];
        out.push_back(p < 0 || removed.count(p) ? -1 : place[p]);
    }
    return out;
}

TEST(interconnection_class, random_operation_sequences_keep_the_invariants) {
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        Interconnection_class t = table_of(1 + static_cast<int>(rng() % 12));
        for (int step = 0; step < 60; ++step) {
            const int n = t.size();
            auto any = [&] { return static_cast<int>(rng() % static_cast<unsigned>(n + 2)) - 1; };
            switch (rng() % 6) {
            case 0: t.link(any()); break;
            case 1: t.link(any(), any()); break;
            case 2: t.append(any()); break;
            case 3: t.resize(static_cast<int>(rng() % 14)); break;
            case 4: {
                std::set<int> removed;
                for (int k = static_cast<int>(rng() % 3); k > 0; --k) removed.insert(any());
                const bool partners = rng() % 2;
                std::set<int> expected_removed;
                for (int i : removed) {
                    if (i < 0 || i >= n) continue;
                    expected_removed.insert(i);
                    if (partners && t.partner(i) >= 0) expected_removed.insert(t.partner(i));
                }
                const std::vector<int> expected = model_reduse(t.links, expected_removed);
                t.reduse(removed, partners);
                ASSERT_EQ(t.links, expected);
                break;
            }
            default: t.reduse(any()); break;
            }
            ASSERT_TRUE(consistent(t)) << "round " << round << " step " << step;
            if (t.size() == 0) t.resize(5);
        }
    }
}

}  // namespace
