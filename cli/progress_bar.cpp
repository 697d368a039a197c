#include "cli/progress_bar.h"

#include <string>

namespace cli {

void progress_bar::draw(int done) {
    if (!to_ || total_ <= 0) return;
    constexpr int width = 30;
    const int filled = static_cast<int>(static_cast<long long>(width) * done / total_);
    const std::string bar = std::string(static_cast<std::size_t>(filled), '#') +
                            std::string(static_cast<std::size_t>(width - filled), '-');
    std::fprintf(to_, "\r[%s] %d/%d\033[K", bar.c_str(), done, total_);
    std::fflush(to_);
    shown_ = true;
}

void progress_bar::clear() {
    if (!to_ || !shown_) return;
    std::fprintf(to_, "\r\033[K");
    std::fflush(to_);
    shown_ = false;
}

}  // namespace cli
