#include "host/saved_state.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <utility>

namespace host {
namespace {

// Small enough that a move of a few vertices keeps little, large enough
// that a million-vertex mesh needs a few thousand chunks.
constexpr std::size_t chunk_bytes = std::size_t{1} << 16;

// Swaps the plain arrays of `a` and `b` for as long as it lives: what a
// copy of the state outside those arrays needs.
class arrays_aside {
public:
    arrays_aside(mesh_data& live, mesh_data& aside) : live_(live), aside_(aside) { swap(); }
    ~arrays_aside() { swap(); }
    arrays_aside(const arrays_aside&) = delete;
    arrays_aside& operator=(const arrays_aside&) = delete;

private:
    void swap() {
        for_each_plain_array([](auto& a, auto& b) { a.swap(b); }, live_, aside_);
    }
    mesh_data& live_;
    mesh_data& aside_;
};

}  // namespace

saved_state::saved_state(shape_state& live, const saved_state* previous) {
    {
        mesh_data aside;
        const arrays_aside guard(live.mesh, aside);
        rest_ = live;
    }
    std::size_t index = 0;
    for_each_plain_array(
        [&](const auto& v) {
            using T = typename std::decay_t<decltype(v)>::value_type;
            static_assert(std::is_trivially_copyable_v<T>, "a chunked array holds plain bytes");
            const array* before =
                previous && index < previous->arrays_.size() ? &previous->arrays_[index] : nullptr;
            ++index;
            array a;
            a.size = v.size() * sizeof(T);
            const auto* bytes = reinterpret_cast<const unsigned char*>(v.data());
            for (std::size_t at = 0, k = 0; at < a.size; at += chunk_bytes, ++k) {
                const std::size_t n = std::min(chunk_bytes, a.size - at);
                if (before && k < before->chunks.size() && before->chunks[k]->size() == n &&
                    std::memcmp(before->chunks[k]->data(), bytes + at, n) == 0) {
                    a.chunks.push_back(before->chunks[k]);
                } else {
                    a.chunks.push_back(std::make_shared<const chunk>(bytes + at, bytes + at + n));
                }
            }
            arrays_.push_back(std::move(a));
        },
        std::as_const(live.mesh));
}

void saved_state::restore_into(shape_state& live) const {
    {
        mesh_data aside;
        const arrays_aside guard(live.mesh, aside);
        live = rest_;
    }
    std::size_t index = 0;
    for_each_plain_array(
        [&](auto& v) {
            using T = typename std::decay_t<decltype(v)>::value_type;
            const array& a = arrays_[index++];
            v.resize(a.size / sizeof(T));
            auto* bytes = reinterpret_cast<unsigned char*>(v.data());
            std::size_t at = 0;
            for (const auto& c : a.chunks) {
                std::memcpy(bytes + at, c->data(), c->size());
                at += c->size();
            }
        },
        live.mesh);
}

std::size_t saved_state::bytes(std::unordered_set<const void*>& seen) const {
    std::size_t total = sizeof *this + rest_.points.capacity() * sizeof(control_point_data) +
                        rest_.children.capacity() * sizeof(shape*) +
                        rest_.mesh.skins.capacity() * sizeof(skin_data);
    for (const array& a : arrays_) {
        total += a.chunks.capacity() * sizeof(a.chunks[0]);
        for (const auto& c : a.chunks)
            if (seen.insert(c.get()).second) total += sizeof(chunk) + c->capacity();
    }
    return total;
}

}  // namespace host
