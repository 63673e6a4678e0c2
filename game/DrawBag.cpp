#include "game/DrawBag.h"

#include <array>
#include <bit>

namespace game {

namespace {
// Counting bits by table: the baseline x86-64 this is built for has no popcount instruction.
constexpr auto BitsInByte = [] {
    std::array<std::uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i) t[std::size_t(i)] = std::uint8_t(std::popcount(unsigned(i)));
    return t;
}();
}  // namespace

DrawBag::DrawBag(app::StringList items) : items_(std::move(items)), count_(items_.size()) {
    const std::size_t n = std::size_t(count_);
    const std::size_t words = (n + 63) / 64;
    present_.assign(words, ~std::uint64_t(0));
    if (n % 64) present_.back() = (std::uint64_t(1) << (n % 64)) - 1;
    leaves_ = std::bit_ceil(std::max<std::size_t>(words, 1));
    counts_.assign(2 * leaves_, 0);
    for (std::size_t w = 0; w < words; ++w) {
        counts_[leaves_ + w] = std::uint32_t(std::popcount(present_[w]));
    }
    for (std::size_t node = leaves_ - 1; node >= 1; --node) {
        counts_[node] = counts_[2 * node] + counts_[2 * node + 1];
    }
}

void DrawBag::DrainInto(const std::function<qsizetype(qsizetype)>& pick,
                        const std::function<void(QStringView)>& append) {
    constexpr qsizetype Depth = 16;  // picks in flight
    qsizetype ahead[Depth];
    qsizetype head = 0, tail = 0;  // picks found so far, and appended so far
    while (tail < head || count_ > 0) {
        while (head - tail < Depth && count_ > 0) {
            const qsizetype index = find(pick(count_), true);
            items_.prefetch(index);
            ahead[head++ % Depth] = index;
        }
        append(items_.at(ahead[tail++ % Depth]));
    }
}

qsizetype DrawBag::find(qsizetype k, bool remove) const {
    std::uint64_t rank = std::uint64_t(k);  // 1-based among the items still present
    std::size_t node = 1;
    if (remove) --counts_[node];
    while (node < leaves_) {
        // Left or right without a branch: the choice is random, so a branch would mispredict
        // half the time.
        const std::uint32_t left = counts_[2 * node];
        const bool right = rank > left;
        rank -= right ? left : 0;
        node = 2 * node + right;
        if (remove) --counts_[node];
    }
    const std::size_t word = node - leaves_;
    std::uint64_t bits = present_[word];
    // The rank-th set bit of the word: skip whole bytes, then single bits.
    unsigned offset = 0;
    for (;; offset += 8) {
        const std::uint64_t inByte = BitsInByte[(bits >> offset) & 0xFF];
        if (rank <= inByte) break;
        rank -= inByte;
    }
    for (;; ++offset) {
        if ((bits >> offset) & 1) {
            if (--rank == 0) break;
        }
    }
    if (remove) {
        present_[word] = bits & ~(std::uint64_t(1) << offset);
        --count_;
    }
    return qsizetype(word * 64 + offset);
}

}  // namespace game
