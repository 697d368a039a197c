// A one-line bar over the files of a batch, redrawn in place on a
// terminal.
#pragma once

#include <cstdio>

namespace cli {

class progress_bar {
public:
    // A bar of `total` files on `to`; with `to` null it draws nothing.
    progress_bar(std::FILE* to, int total) : to_(to), total_(total) {}
    // Redraws the bar with `done` files finished.
    void draw(int done);
    // Takes the bar off its line, so that other text can be printed there.
    void clear();

private:
    std::FILE* to_;
    int total_;
    bool shown_ = false;
};

}  // namespace cli
