// The update bracket of a shape (begin and end of a modification), closed on
// every path.
#pragma once

#include "frame/sdk/shape.h"

class modification_bracket {
public:
    // Opens the bracket on `s`; a null shape makes an empty bracket.
    explicit modification_bracket(shape_class* s) : shape_(s) {
        if (shape_) shape_->begin_modification();
    }
    ~modification_bracket() {
        if (shape_) shape_->end_modification();
    }
    modification_bracket(const modification_bracket&) = delete;
    modification_bracket& operator=(const modification_bracket&) = delete;

private:
    shape_class* shape_;
};
