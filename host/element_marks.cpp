#include "host/element_marks.h"

#include <stdexcept>
#include <string>

namespace host {
namespace {

bool known_target(int target) {
    return target == mark_request::VERTICES || target == mark_request::EDGES || target == mark_request::FACES;
}

}  // namespace

void element_marks::mark_elements(shape_class& shape, mark_request& record) {
    ++requests_;
    const int target = static_cast<int>(record.target);
    if (!known_target(target)) throw std::invalid_argument("unknown mark target " + std::to_string(target));
    const key k(&shape, target);
    switch (record.command) {
    case mark_request::CLEAR:
        marks_.erase(k);
        return;
    case mark_request::MARK: {
        if (record.count < 0 || (record.count > 0 && !record.list))
            throw std::invalid_argument("a mark request needs a list of " + std::to_string(record.count) + " indices");
        entry& e = marks_[k];
        e.indices.assign(record.list, record.list + record.count);
        e.flag = record.flag;
        return;
    }
    case mark_request::GET: {
        const auto it = marks_.find(k);
        if (it == marks_.end()) answer_.clear();
        else answer_ = it->second.indices;
        record.count = static_cast<std::int32_t>(answer_.size());
        record.list = answer_.empty() ? nullptr : answer_.data();
        return;
    }
    default:
        throw std::invalid_argument("unknown mark command " + std::to_string(record.command));
    }
}

const std::vector<std::int32_t>& element_marks::marks(const shape_class& shape, int target) const {
    const auto it = marks_.find(key(&shape, target));
    return it == marks_.end() ? none_ : it->second.indices;
}

bool element_marks::flag(const shape_class& shape, int target) const {
    const auto it = marks_.find(key(&shape, target));
    return it != marks_.end() && it->second.flag;
}

void element_marks::forget(const shape_class& shape) {
    for (int target : {1, 2, 4}) marks_.erase(key(&shape, target));
}

}  // namespace host
