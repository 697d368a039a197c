#include "mesh/mark_elements.h"

bool mark_elements::send(shape_class& shape) {
    if (!component) return false;
    try {
        component->mark_elements(shape, *this);
        return true;
    } catch (...) {
        // A failing component only costs the marks; the edit goes on.
        return false;
    }
}

int mark_elements::mark(shape_class& shape, TARGET target_kind, int n, const int* indices, bool mark_flag) {
    if (!component) return 1;
    if (n < 0 || (n > 0 && !indices)) return 1;
    command = MARK;
    target = target_kind;
    count = n;
    list = indices;
    flag = mark_flag;
    return send(shape) ? 0 : 1;
}

int mark_elements::clear(shape_class& shape, TARGET target_kind) {
    if (!component) return 1;
    command = CLEAR;
    target = target_kind;
    return send(shape) ? 0 : 1;
}

std::pair<int, const int*> mark_elements::get_mark(shape_class& shape, TARGET target_kind) {
    if (!component) return {-1, nullptr};
    command = GET;
    target = target_kind;
    if (!send(shape)) return {-1, nullptr};
    return {count, list};
}
