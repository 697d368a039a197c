// A pair table: for every element of one kind (the vertices, or the faces)
// of one mesh, the index of its mirror partner.
//
// Entry values: -1 no partner (unmatched); the element's own index
// (self-paired, e.g. a vertex on the symmetry plane); any other index of the
// table (paired). Every operation keeps two invariants: pairs are mutual
// (links[i] = j with j != i implies links[j] = i), and `unmatched` equals the
// number of -1 entries. The fields are public for reading; change them only
// through the operations.
#pragma once

#include <set>
#include <vector>

#include "frame/array.h"

class Interconnection_class {
public:
    int unmatched = 0;       // number of entries that hold -1
    std::vector<int> links;  // links[i]: partner of element i, or -1

    // Number of entries.
    int size() const { return static_cast<int>(links.size()); }
    // Entry i, or -1 when i is outside the table.
    int partner(int i) const { return in_range(i) ? links[static_cast<std::size_t>(i)] : -1; }

    // Whether i is an entry whose value is a valid index (self included).
    bool has_pair(int i) const;
    // Whether i is an entry that holds its own index.
    bool is_self(int i) const;

    // Makes i its own partner; an earlier partner becomes unmatched.
    // Returns -1 when i is outside the table, 0 when i was already self or
    // had no partner, 1 when a partner was released.
    int link(int i);
    // Pairs i with j (link(i) when they are equal); earlier partners of
    // either become unmatched. Returns -1 when either is outside the table
    // (nothing changes), else 1 when i or j had a pair before, 0 otherwise.
    int link(int i, int j);
    // Adds one entry, at index size(), as the new partner of the unmatched
    // element i. Returns 0, or 1 (nothing changes) when i is outside the
    // table or not unmatched. The caller appends the matching mesh element.
    int append(int i);
    // Changes the number of entries; new entries are -1. Shrinking drops
    // the last entries when they are all -1; when a dropped entry has a pair
    // the whole table becomes n entries of -1. Returns 1 when the table was
    // emptied (n <= 0) or reset that way, 0 otherwise.
    int resize(int n);

    // Takes over a whole table, as `links` of a table saved earlier. False,
    // leaving the table as it was, when an entry is below -1 or past the
    // end, or a pair is not mutual.
    bool assign(const std::vector<int>& saved);
    // Removes the listed entries and renumbers the rest (partners of removed
    // entries become unmatched); with `with_partners` the partners of the
    // listed entries are removed as well. Indices outside the table are
    // ignored. Returns `unmatched` afterwards.
    int reduse(const std::set<int>& removed, bool with_partners);
    // The same with an index list; it is taken as a set (any order,
    // duplicates allowed).
    int reduse(const std::vector<int>& removed, bool with_partners);
    // Removes the single entry i; 1 (nothing changes) when i is outside the
    // table, 0 otherwise.
    int reduse(int i);

    // The number `reduse` stores for partner value v: v itself when
    // negative, -1 when v is removed, else v less the number of removed
    // indices below it. `removed` must be ascending for the vector form.
    static int new_link_number(int v, const std::set<int>& removed);
    static int new_link_number(int v, const std::vector<int>& removed);

    // dst[n - 1 - k] = partner of src[k] for the n entries of `src`: the
    // mirror list of a face's vertex list (partners, winding reversed). An
    // index outside the table gives -1. Returns -1 (dst unchanged) when the
    // arrays differ in size, otherwise n - 1.
    int get_reverse_array(const Array<int>& src, Array<int>& dst) const;

private:
    bool in_range(int i) const { return i >= 0 && i < size(); }
    // Writes entry k, keeping `unmatched` in step.
    void set_entry(int k, int value);
    // Removes the entries of an ascending, duplicate-free in-range list.
    int reduse_sorted(const std::vector<int>& removed);
};
