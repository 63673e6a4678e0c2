// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/DrawBag.h"

#include <algorithm>
#include <array>
#include <bit>
#include <iterator>
#include <utility>

namespace game {

namespace {

// For each byte and each r in 0..7, where its (r+1)-th set bit is.
constexpr auto SelectInByte = [] {
    std::array<std::array<std::uint8_t, 8>, 256> t{};
    for (unsigned b = 0; b < 256; ++b) {
        unsigned r = 0;
        for (unsigned bit = 0; bit < 8; ++bit) {
            if (b >> bit & 1) t[b][r++] = std::uint8_t(bit);
        }
    }
    return t;
}();

constexpr std::uint64_t Ones8 = 0x0101010101010101ULL;
constexpr std::uint64_t High8 = 0x8080808080808080ULL;

// Where the rank-th (1-based) set bit of a word is, without branches and without a popcount
// instruction (the baseline x86-64 this is built for has none): count bits per byte in
// parallel, sum them into running totals, find the byte the rank falls in, look up the bit.
unsigned selectBit(std::uint64_t bits, std::uint64_t rank) {
    std::uint64_t s = bits - ((bits >> 1) & 0x5555555555555555ULL);
    s = (s & 0x3333333333333333ULL) + ((s >> 2) & 0x3333333333333333ULL);
    s = (s + (s >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
    const std::uint64_t totals = s * Ones8;  // byte i: set bits in bytes 0..i
    // Bytes whose running total is below the rank come first; there are `byte` of them.
    const std::uint64_t below = (((rank - 1) * Ones8 | High8) - totals) & High8;
    const unsigned byte = unsigned(((below >> 7) * Ones8) >> 56);
    const std::uint64_t before = ((totals << 8) >> (8 * byte)) & 0xFF;
    const unsigned inByte = unsigned((bits >> (8 * byte)) & 0xFF);
    return 8 * byte + SelectInByte[inByte][rank - before - 1];
}

}  // namespace

DrawBag::DrawBag(std::size_t count) : count_(count) {
    const std::size_t n = count;
    const std::size_t words = std::max<std::size_t>((n + 63) / 64, 1);
    present_.assign(words, ~std::uint64_t(0));
    if (n % 64) present_.back() = (std::uint64_t(1) << (n % 64)) - 1;
    if (n == 0) present_.back() = 0;

    // Bottom level first: one count per word, as running totals within each node.
    std::vector<std::uint32_t> below(words);
    for (std::size_t w = 0; w < words; ++w) below[w] = std::uint32_t(std::popcount(present_[w]));
    std::vector<std::vector<std::uint32_t>> upward;
    for (;;) {
        const std::size_t nodes = (below.size() + Fan - 1) / Fan;
        std::vector<std::uint32_t> level(nodes * Fan, 0);
        std::vector<std::uint32_t> totals(nodes, 0);
        for (std::size_t node = 0; node < nodes; ++node) {
            std::uint32_t sum = 0;
            for (std::size_t j = 0; j < Fan; ++j) {
                const std::size_t child = node * Fan + j;
                if (child < below.size()) sum += below[child];
                level[child] = sum;
            }
            totals[node] = sum;
        }
        upward.push_back(std::move(level));
        if (nodes == 1) break;
        below = std::move(totals);
    }
    levels_.assign(std::make_move_iterator(upward.rbegin()),
                   std::make_move_iterator(upward.rend()));
}

template <class Bag>
std::uint32_t DrawBag::find(Bag& bag, std::size_t k) {
    constexpr bool remove = !std::is_const_v<Bag>;
    std::uint32_t rank = std::uint32_t(k);  // 1-based among the items still present
    std::size_t node = 0;
    for (auto& level : bag.levels_) {
        auto* totals = level.data() + node * Fan;
        // Which child the rank falls in: the number of running totals below it. A plain count,
        // not a search, because the choice is random and a branch would mispredict.
        unsigned child = 0;
        for (std::size_t j = 0; j < Fan; ++j) child += totals[j] < rank;
        if (child > 0) rank -= totals[child - 1];
        if constexpr (remove) {
            for (std::size_t j = 0; j < Fan; ++j) totals[j] -= j >= child;
        }
        node = node * Fan + child;
    }
    const std::size_t word = node;
    const std::uint64_t bits = bag.present_[word];
    const unsigned offset = selectBit(bits, rank);
    if constexpr (remove) {
        bag.present_[word] = bits & ~(std::uint64_t(1) << offset);
        --bag.count_;
    }
    return std::uint32_t(word * 64 + offset);
}

std::uint32_t DrawBag::Item(std::size_t k) const { return find(*this, k); }

std::uint32_t DrawBag::Take(std::size_t k) { return find(*this, k); }

}  // namespace game
