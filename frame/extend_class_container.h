// Registry of per-shape extension objects (the pairing of a shape): an
// ordered map from a host shape, by identity, to one owned object.
//
// The container must compile where the object type is still incomplete (the
// registry is an exported global declared in frame/), so each entry carries
// the function that destroys its object; that function is made where the
// type is complete, by `make_owner`.
#pragma once

#include <map>
#include <memory>

class shape_class;

// Type-erased base: shape -> owned object.
class basic_extend_class_container {
public:
    using destroy_function = void (*)(void*);
    using owner = std::unique_ptr<void, destroy_function>;

    basic_extend_class_container() = default;
    basic_extend_class_container(const basic_extend_class_container&) = delete;
    basic_extend_class_container& operator=(const basic_extend_class_container&) = delete;
    // Destroys every registered object.
    ~basic_extend_class_container() { clear(); }

    // Number of registered shapes.
    int size() const { return static_cast<int>(entries_.size()); }

    // Destroys every registered object, in shape order. An object's
    // destructor may use the container: each entry is taken out before its
    // object is destroyed.
    void clear() {
        while (!entries_.empty()) {
            auto node = entries_.extract(entries_.begin());
            node.mapped().reset();
        }
    }

protected:
    void* find(const shape_class* shape) const {
        const auto it = entries_.find(shape);
        return it == entries_.end() ? nullptr : it->second.get();
    }
    // Registers `object` for `shape` unless the shape already has an entry.
    // On success the container owns the object and `object` is left empty;
    // otherwise the existing entry stays and `object` still owns the new one.
    bool insert(const shape_class* shape, owner& object) {
        if (!shape || !object || entries_.count(shape)) return false;
        entries_.emplace(shape, std::move(object));
        return true;
    }
    // Destroys the shape's object and erases its entry; false when the shape
    // had none. The entry is gone before the destructor runs.
    bool remove(const shape_class* shape) {
        auto node = entries_.extract(shape);
        if (node.empty()) return false;
        node.mapped().reset();
        return true;
    }

private:
    std::map<const shape_class*, owner> entries_;
};

template <class T>
class extend_class_container : public basic_extend_class_container {
public:
    using owned = std::unique_ptr<T, destroy_function>;

    // Takes ownership of a new object; call where T is a complete type.
    static owned make_owner(T* object) {
        return owned(object, [](void* p) { delete static_cast<T*>(p); });
    }

    // The object registered for `shape`, or null.
    T* get_extend_object(const shape_class* shape) const { return static_cast<T*>(find(shape)); }

    // Registers `object` for `shape`. When the shape already has an object
    // that one stays registered, nothing is taken and false is returned: the
    // caller still owns `object` and decides what happens to it.
    bool insert(const shape_class* shape, owned& object) {
        owner erased(object.get(), object.get_deleter());
        if (!basic_extend_class_container::insert(shape, erased)) {
            erased.release();
            return false;
        }
        object.release();
        return true;
    }

    // Destroys the object registered for `shape` and erases the entry;
    // answers whether there was one.
    bool remove(const shape_class* shape) { return basic_extend_class_container::remove(shape); }
};
