#include "symmetry/interconnection_class.h"

#include <algorithm>
#include <iterator>

bool Interconnection_class::has_pair(int i) const {
    if (!in_range(i)) return false;
    const int p = links[static_cast<std::size_t>(i)];
    return p >= 0 && p < size();
}

bool Interconnection_class::is_self(int i) const { return in_range(i) && links[static_cast<std::size_t>(i)] == i; }

void Interconnection_class::set_entry(int k, int value) {
    int& entry = links[static_cast<std::size_t>(k)];
    if (entry == -1 && value != -1) --unmatched;
    if (entry != -1 && value == -1) ++unmatched;
    entry = value;
}

int Interconnection_class::link(int i) {
    if (!in_range(i)) return -1;
    if (is_self(i)) return 0;
    const bool released = has_pair(i);
    if (released) set_entry(links[static_cast<std::size_t>(i)], -1);
    set_entry(i, i);
    return released ? 1 : 0;
}

int Interconnection_class::link(int i, int j) {
    if (i == j) return link(i);
    if (!in_range(i) || !in_range(j)) return -1;
    const bool had = has_pair(i) || has_pair(j);
    // j is looked at after i's old partner was released: when i and j were
    // already each other's partners, j has none by then.
    if (has_pair(i) && !is_self(i)) set_entry(links[static_cast<std::size_t>(i)], -1);
    if (has_pair(j) && !is_self(j)) set_entry(links[static_cast<std::size_t>(j)], -1);
    set_entry(i, j);
    set_entry(j, i);
    return had ? 1 : 0;
}

int Interconnection_class::append(int i) {
    if (!in_range(i) || links[static_cast<std::size_t>(i)] != -1) return 1;
    const int added = size();
    resize(added + 1);
    link(i, added);
    return 0;
}

bool Interconnection_class::assign(const std::vector<int>& saved) {
    const long long n = static_cast<long long>(saved.size());
    int unpaired = 0;
    for (std::size_t i = 0; i < saved.size(); ++i) {
        const int v = saved[i];
        if (v < -1 || v >= n) return false;
        if (v == -1) {
            ++unpaired;
        } else if (saved[static_cast<std::size_t>(v)] != static_cast<int>(i)) {
            return false;
        }
    }
    links = saved;
    unmatched = unpaired;
    return true;
}

int Interconnection_class::resize(int n) {
    if (n <= 0) {
        links.clear();
        unmatched = 0;
        return 1;
    }
    const int old = size();
    if (n == old) return 0;
    if (n > old) {
        links.resize(static_cast<std::size_t>(n), -1);
        unmatched += n - old;
        return 0;
    }
    const bool all_unmatched =
        std::all_of(links.begin() + n, links.end(), [](int v) { return v == -1; });
    if (all_unmatched) {
        links.resize(static_cast<std::size_t>(n));
        unmatched -= old - n;
        return 0;
    }
    links.assign(static_cast<std::size_t>(n), -1);
    unmatched = n;
    return 1;
}

int Interconnection_class::new_link_number(int v, const std::set<int>& removed) {
    if (v < 0) return v;
    const auto at = removed.lower_bound(v);
    if (at != removed.end() && *at == v) return -1;
    return v - static_cast<int>(std::distance(removed.begin(), at));
}

int Interconnection_class::new_link_number(int v, const std::vector<int>& removed) {
    if (v < 0) return v;
    const auto at = std::lower_bound(removed.begin(), removed.end(), v);
    if (at != removed.end() && *at == v) return -1;
    return v - static_cast<int>(at - removed.begin());
}

int Interconnection_class::reduse_sorted(const std::vector<int>& removed) {
    std::size_t w = 0;
    auto cursor = removed.begin();
    for (int i = 0; i < size(); ++i) {
        if (cursor != removed.end() && *cursor == i) {
            ++cursor;
            continue;
        }
        links[w++] = new_link_number(links[static_cast<std::size_t>(i)], removed);
    }
    links.resize(w);
    unmatched = static_cast<int>(std::count(links.begin(), links.end(), -1));
    return unmatched;
}

int Interconnection_class::reduse(const std::set<int>& removed, bool with_partners) {
    // Indices outside the table would shift every renumbered partner; they
    // are left out so that the table stays consistent.
    std::set<int> all;
    for (int i : removed) {
        if (!in_range(i)) continue;
        all.insert(i);
        const int p = links[static_cast<std::size_t>(i)];
        if (with_partners && p >= 0) all.insert(p);
    }
    return reduse_sorted(std::vector<int>(all.begin(), all.end()));
}

int Interconnection_class::reduse(const std::vector<int>& removed, bool with_partners) {
    std::vector<int> list;
    list.reserve(removed.size() * (with_partners ? 2 : 1));
    for (int i : removed) {
        if (!in_range(i)) continue;
        list.push_back(i);
        const int p = links[static_cast<std::size_t>(i)];
        if (with_partners && p >= 0) list.push_back(p);
    }
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
    return reduse_sorted(list);
}

int Interconnection_class::reduse(int i) {
    if (!in_range(i)) return 1;
    reduse_sorted({i});
    return 0;
}

int Interconnection_class::get_reverse_array(const Array<int>& src, Array<int>& dst) const {
    if (src.size() != dst.size()) return -1;
    const int n = src.size();
    for (int k = 0; k < n; ++k) dst[n - 1 - k] = partner(src[k]);
    return n - 1;
}
