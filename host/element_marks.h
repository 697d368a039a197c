// The host's element-mark component: marks of vertices, edges or faces per
// shape, found by kx::sdk::elements_preference_uuid.
#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "frame/sdk/plugin.h"

namespace host {

class element_marks final : public kx::ref_counted<element_mark_interface> {
public:
    kx::uuid_class get_uuid() override { return kx::sdk::elements_preference_uuid; }
    int get_korvo_version() override { return kx::sdk::korvo_sdk_version; }

    // Clear drops the shape's marks of the target; mark replaces them by the
    // record's list (the flag is kept beside them); get leaves the count and
    // a list owned by the component in the record, valid until the next
    // request. Throws std::invalid_argument for an unknown command or
    // target, or a mark with a negative count or a missing list.
    void mark_elements(shape_class& shape, mark_request& record) override;

    // Host side: the marks of a shape and target (empty when none).
    const std::vector<std::int32_t>& marks(const shape_class& shape, int target) const;
    bool flag(const shape_class& shape, int target) const;
    // Forgets every mark of the shape (the shape is going away).
    void forget(const shape_class& shape);
    int requests() const { return requests_; }

private:
    struct entry {
        std::vector<std::int32_t> indices;
        bool flag = false;
    };
    using key = std::pair<const shape_class*, int>;
    std::map<key, entry> marks_;
    std::vector<std::int32_t> answer_;  // the list of the last get
    const std::vector<std::int32_t> none_{};
    int requests_ = 0;
};

}  // namespace host
