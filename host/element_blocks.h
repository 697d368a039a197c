// Element objects that find their mesh and index from where they live.
//
// A mesh hands out one object per element index, so a million-vertex mesh
// that is paired holds a million vertex objects and as many face objects;
// objects that stored their mesh and index took 24 to 32 bytes each. Here
// a mesh's objects of one kind live in blocks of element_block_bytes, each
// block aligned to its size and opened by a header naming the mesh and the
// block's first index: an object is only its virtual-table pointers and
// finds the rest from its own address. Blocks never move, so a reference
// stays usable for as long as the mesh lives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

namespace host {

class mesh;

struct element_block_header {
    mesh* owner;
    int first;  // index of the block's first element
};

constexpr std::size_t element_block_bytes = std::size_t{1} << 16;

// The header of the block that holds the object at `p`.
inline const element_block_header& element_block_of(const void* p) {
    const auto mask = ~(static_cast<std::uintptr_t>(element_block_bytes) - 1);
    return *reinterpret_cast<const element_block_header*>(reinterpret_cast<std::uintptr_t>(p) & mask);
}

// The objects of one kind (default-constructible, without data members of
// their own) for the indices 0 .. size()-1 of one mesh.
template <class Element>
class element_blocks {
public:
    // Room the header takes, in whole elements, and elements per block.
    static constexpr std::size_t header_slots =
        (sizeof(element_block_header) + sizeof(Element) - 1) / sizeof(Element);
    static constexpr std::size_t per_block = element_block_bytes / sizeof(Element) - header_slots;

    explicit element_blocks(mesh& owner) : owner_(&owner) {}
    element_blocks(const element_blocks&) = delete;
    element_blocks& operator=(const element_blocks&) = delete;
    ~element_blocks() {
        for (std::size_t i = 0; i < size_; ++i) slot(i)->~Element();
    }

    std::size_t size() const { return size_; }

    // The object for `index` (>= 0), made with those before it when first
    // asked for.
    Element& at(int index) {
        const auto wanted = static_cast<std::size_t>(index);
        while (size_ <= wanted) {
            if (size_ == blocks_.size() * per_block) add_block();
            ::new (static_cast<void*>(slot(size_))) Element();
            ++size_;
        }
        return *slot(wanted);
    }

    // The index of an object this kind of container made.
    static int index_of(const Element* e) {
        const element_block_header& h = element_block_of(e);
        const std::uintptr_t first = reinterpret_cast<std::uintptr_t>(&h) + header_slots * sizeof(Element);
        return h.first + static_cast<int>((reinterpret_cast<std::uintptr_t>(e) - first) / sizeof(Element));
    }

private:
    // Blocks come from the aligned operator new, which every C++17 library
    // has (std::aligned_alloc is missing from Windows' C library).
    struct block_free {
        void operator()(void* p) const { ::operator delete(p, std::align_val_t{element_block_bytes}); }
    };

    Element* slot(std::size_t i) const {
        char* const b = static_cast<char*>(blocks_[i / per_block].get());
        return reinterpret_cast<Element*>(b + (header_slots + i % per_block) * sizeof(Element));
    }

    void add_block() {
        std::unique_ptr<void, block_free> b(::operator new(element_block_bytes, std::align_val_t{element_block_bytes}));
        ::new (b.get()) element_block_header{owner_, static_cast<int>(blocks_.size() * per_block)};
        blocks_.push_back(std::move(b));
    }

    mesh* owner_;
    std::vector<std::unique_ptr<void, block_free>> blocks_;
    std::size_t size_ = 0;
};

}  // namespace host
