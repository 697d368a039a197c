#include "symmetry/pairing_state.h"

#include <cstdint>
#include <cstring>

#include "frame/identifiers.h"
#include "frame/sdk/shape.h"
#include "frame/sdk/unknown.h"
#include "symmetry/twinel_class.h"

namespace {

// The first word of the bytes: names the layout, so that bytes of another
// layout are never taken for tables.
constexpr std::uint32_t layout_word = 0x54505331u;  // "TPS1"

class writer {
public:
    template <class T>
    void put(const T& value) {
        out_.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    void put_links(const std::vector<int>& links) {
        put(static_cast<std::uint32_t>(links.size()));
        if (!links.empty()) out_.append(reinterpret_cast<const char*>(links.data()), links.size() * sizeof(int));
    }
    std::string take() { return std::move(out_); }

private:
    std::string out_;
};

class reader {
public:
    reader(const void* data, std::size_t size) : at_(static_cast<const char*>(data)), left_(data ? size : 0) {}
    template <class T>
    bool get(T& value) {
        if (left_ < sizeof value) return false;
        std::memcpy(&value, at_, sizeof value);
        at_ += sizeof value;
        left_ -= sizeof value;
        return true;
    }
    bool get_links(std::vector<int>& links) {
        std::uint32_t n = 0;
        if (!get(n) || left_ / sizeof(int) < n) return false;
        links.resize(n);
        if (n > 0) std::memcpy(links.data(), at_, n * sizeof(int));
        at_ += n * sizeof(int);
        left_ -= n * sizeof(int);
        return true;
    }
    bool at_end() const { return left_ == 0; }

private:
    const char* at_;
    std::size_t left_;
};

// The settings fields, in declaration order; the same list reads and writes.
template <class S, class F>
void for_each_setting(S& s, F&& field) {
    field(s.plane);
    field(s.base_side);
    field(s.margin);
    field(s.reduse_margin);
    field(s.do_adjust);
    field(s.do_symUV);
    field(s.duv_center);
    field(s.duv_margin);
    field(s.puv_center);
    field(s.puv_margin);
    field(s.verbose);
    field(s.sep_type);
    field(s.sep_num);
    field(s.use_world);
}

}  // namespace

std::string encode_pairing(const twinel_class& pairing) {
    writer w;
    w.put(layout_word);
    for_each_setting(pairing, [&](const auto& f) { w.put(f); });
    w.put(static_cast<std::int32_t>(pairing.edge_count));
    w.put_links(pairing.vertex_table.links);
    w.put_links(pairing.face_table.links);
    return w.take();
}

bool decode_pairing(const void* data, std::size_t size, pairing_state& out) {
    reader r(data, size);
    std::uint32_t layout = 0;
    if (!r.get(layout) || layout != layout_word) return false;
    bool ok = true;
    for_each_setting(out.settings, [&](auto& f) { ok = ok && r.get(f); });
    std::int32_t edges = 0;
    if (!ok || !r.get(edges) || !r.get_links(out.vertex_links) || !r.get_links(out.face_links) || !r.at_end())
        return false;
    out.edge_count = edges;
    // The invariants are those of a pair table; a table that breaks them
    // was not written by encode_pairing.
    Interconnection_class check;
    return check.assign(out.vertex_links) && check.assign(out.face_links);
}

void keep_pairing_state(twinel_class& pairing) {
    shape_class* shape = pairing.polygon.shape;
    if (!shape || !shape->find_attribute(twinel_uuid)) return;
    const std::string bytes = encode_pairing(pairing);
    std::size_t size = 0;
    const void* kept = shape->get_attribute_data(twinel_uuid, size);
    if (kept && size == bytes.size() && std::memcmp(kept, bytes.data(), size) == 0) return;
    const kx::host_ref<undo_record_interface> record(shape->create_joining_undo_record());
    shape->set_attribute_data(twinel_uuid, bytes.data(), bytes.size());
    if (record) record->close(0);
}

bool read_pairing_state(const shape_class& shape, const Symmetry_class& settings, pairing_state& out) {
    if (!shape.find_attribute(twinel_uuid)) return false;
    std::size_t size = 0;
    const void* data = shape.get_attribute_data(twinel_uuid, size);
    out.settings = settings;
    return data && decode_pairing(data, size, out);
}

bool apply_pairing_state(twinel_class& pairing, const pairing_state& state) {
    Interconnection_class vertices, faces;
    if (!vertices.assign(state.vertex_links) || !faces.assign(state.face_links)) return false;
    pairing.vertex_table = std::move(vertices);
    pairing.face_table = std::move(faces);
    pairing.edge_count = state.edge_count;
    return true;
}
