#include "game/DrawBag.h"

#include <bit>

namespace game {

DrawBag::DrawBag(app::StringList items) : items_(std::move(items)), count_(items_.size()) {
    const std::size_t n = std::size_t(count_);
    tree_.assign(n + 1, 0);
    // Every item present: node i covers (i - lowbit(i), i], so it holds lowbit(i).
    for (std::size_t i = 1; i <= n; ++i) tree_[i] = std::uint32_t(i & (~i + 1));
    topBit_ = n == 0 ? 0 : qsizetype(std::bit_floor(n));
}

qsizetype DrawBag::indexOf(qsizetype k) const {
    // Descend from the highest power of two to the last position whose prefix count is below k.
    std::size_t pos = 0;
    std::size_t remaining = std::size_t(k);
    const std::size_t n = tree_.size() - 1;
    for (std::size_t step = std::size_t(topBit_); step != 0; step >>= 1) {
        const std::size_t next = pos + step;
        if (next <= n && tree_[next] < remaining) {
            pos = next;
            remaining -= tree_[next];
        }
    }
    return qsizetype(pos);  // 0-based index of the k-th present item
}

void DrawBag::Remove(qsizetype k) {
    const std::size_t n = tree_.size() - 1;
    for (std::size_t i = std::size_t(indexOf(k)) + 1; i <= n; i += i & (~i + 1)) --tree_[i];
    --count_;
}

}  // namespace game
