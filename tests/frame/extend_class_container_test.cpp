#include <gtest/gtest.h>

#include <vector>

#include "frame/extend_class_container.h"
#include "frame/globals.h"
#include "window/modifier_components.h"

namespace {

// An object that records its destruction.
struct tracked {
    explicit tracked(std::vector<int>& log, int id) : log(log), id(id) {}
    ~tracked() { log.push_back(id); }
    std::vector<int>& log;
    int id;
};

using registry = extend_class_container<tracked>;

const shape_class* shape_at(int n) { return reinterpret_cast<const shape_class*>(static_cast<std::uintptr_t>(0x1000 * n)); }

TEST(extend_class_container, insert_keeps_an_existing_entry_and_leaves_the_new_object_with_the_caller) {
    std::vector<int> destroyed;
    registry r;
    auto first = registry::make_owner(new tracked(destroyed, 1));
    tracked* first_raw = first.get();
    EXPECT_TRUE(r.insert(shape_at(1), first));
    EXPECT_EQ(first, nullptr);
    EXPECT_EQ(r.get_extend_object(shape_at(1)), first_raw);

    auto second = registry::make_owner(new tracked(destroyed, 2));
    EXPECT_FALSE(r.insert(shape_at(1), second));
    ASSERT_NE(second, nullptr);  // still the caller's
    EXPECT_EQ(r.get_extend_object(shape_at(1)), first_raw);
    EXPECT_TRUE(destroyed.empty());
    second.reset();
    EXPECT_EQ(destroyed, std::vector<int>{2});
    EXPECT_EQ(r.size(), 1);
}

TEST(extend_class_container, remove_destroys_the_object_and_answers_whether_there_was_one) {
    std::vector<int> destroyed;
    registry r;
    auto a = registry::make_owner(new tracked(destroyed, 1));
    auto b = registry::make_owner(new tracked(destroyed, 2));
    r.insert(shape_at(1), a);
    r.insert(shape_at(2), b);
    EXPECT_TRUE(r.remove(shape_at(1)));
    EXPECT_EQ(destroyed, std::vector<int>{1});
    EXPECT_EQ(r.get_extend_object(shape_at(1)), nullptr);
    EXPECT_FALSE(r.remove(shape_at(1)));
    EXPECT_FALSE(r.remove(shape_at(3)));
    EXPECT_EQ(r.get_extend_object(shape_at(2))->id, 2);
}

TEST(extend_class_container, null_shapes_and_objects_are_refused) {
    std::vector<int> destroyed;
    registry r;
    auto a = registry::make_owner(new tracked(destroyed, 1));
    EXPECT_FALSE(r.insert(nullptr, a));
    registry::owned none = registry::make_owner(nullptr);
    EXPECT_FALSE(r.insert(shape_at(1), none));
    EXPECT_EQ(r.size(), 0);
}

TEST(extend_class_container, destruction_discards_every_entry) {
    std::vector<int> destroyed;
    {
        registry r;
        for (int i = 1; i <= 3; ++i) {
            auto o = registry::make_owner(new tracked(destroyed, i));
            r.insert(shape_at(i), o);
        }
    }
    EXPECT_EQ(destroyed, (std::vector<int>{1, 2, 3}));
}

// An object whose destructor looks itself up, as a pairing may while it
// takes its mark off the shape. The registry is declared while the type is
// still incomplete, as SymS is.
struct self_lookup;
using self_registry = extend_class_container<self_lookup>;
struct self_lookup {
    self_registry* r = nullptr;
    const shape_class* shape = nullptr;
    bool* seen_registered = nullptr;
    ~self_lookup() { *seen_registered = r->get_extend_object(shape) != nullptr; }
};

TEST(extend_class_container, an_entry_is_gone_before_its_object_is_destroyed) {
    self_registry r;
    bool seen = true;
    auto* raw = new self_lookup;
    raw->r = &r;
    raw->shape = shape_at(1);
    raw->seen_registered = &seen;
    auto o = self_registry::make_owner(raw);
    r.insert(shape_at(1), o);
    r.remove(shape_at(1));
    EXPECT_FALSE(seen);
}

TEST(remove_edges_component, wireframe_first_pass_picks_the_drawn_shapes_pairing) {
    // A stand-in pairing: the registry never looks inside its objects.
    int stand_in = 0;
    auto* pairing = reinterpret_cast<twinel_class*>(&stand_in);
    auto entry = extend_class_container<twinel_class>::owned(pairing, [](void*) {});
    const auto* shape = shape_at(7);
    ASSERT_TRUE(SymS.insert(shape, entry));

    remove_edges_component tool;
    auto& drawn = *const_cast<shape_class*>(shape);
    CSym = nullptr;
    tool.make_wireframe(drawn, mat4(), 1, 0, nullptr);
    EXPECT_EQ(CSym, nullptr);  // only the first pass counts
    tool.make_wireframe(drawn, mat4(), 0, 0, nullptr);
    EXPECT_EQ(CSym, pairing);
    tool.make_wireframe(*const_cast<shape_class*>(shape_at(8)), mat4(), 0, 0, nullptr);
    EXPECT_EQ(CSym, nullptr);  // a shape without pairing

    SymS.remove(shape);
}

}  // namespace
