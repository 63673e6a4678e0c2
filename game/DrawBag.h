// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace game {

// The bag a level's words are drawn from: the positions 1..n of a list, where taking one out
// moves the later ones down by one. Finding and removing position k take O(log n), so a pool of a
// million words draws in a fraction of a second and still gives the same item for the same k as a
// plain list would. The bag holds only positions; the words stay where they are.
class DrawBag {
  public:
    explicit DrawBag(std::size_t count);

    std::size_t Count() const { return count_; }
    // The 0-based index, in the original list, of the item now at 1-based position k.
    std::uint32_t Item(std::size_t k) const;
    // Item(k), which then leaves the bag.
    std::uint32_t Take(std::size_t k);

  private:
    // One walk for both: a const bag only looks, a bag that may change takes the item out.
    template <class Bag>
    static std::uint32_t find(Bag& bag, std::size_t k);

    static constexpr std::size_t Fan = 16;  // children of a node: sixteen counts fill a cache line

    // One bit per original position, set while the item is in the bag.
    std::vector<std::uint64_t> present_;
    // A 16-way tree over the words of present_, level by level from the root. Each node holds
    // the running totals of items under its children, so a walk down reads one cache line a level
    // instead of one per binary choice.
    std::vector<std::vector<std::uint32_t>> levels_;
    std::size_t count_;
};

}  // namespace game
