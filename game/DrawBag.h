#pragma once

#include "app/StringList.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace game {

// The bag a level's words are drawn from: items at 1-based positions, where removing one moves
// the later items down by one. Finding and removing position k take O(log n), so a pool of a
// million words draws in a fraction of a second and still gives the same item for the same k as a
// plain list would.
class DrawBag {
public:
    explicit DrawBag(app::StringList items);

    qsizetype Count() const { return count_; }
    // Characters of all the items the bag was made with.
    qsizetype TotalChars() const { return items_.totalChars(); }
    // The item now at 1-based position k.
    QStringView Item(qsizetype k) const { return items_.at(find(k, false)); }
    void Remove(qsizetype k) { find(k, true); }
    // Item(k) followed by Remove(k), in one pass.
    QStringView Take(qsizetype k) { return items_.at(find(k, true)); }

    // Empties the bag: while items remain, pick(count) names a position k and the item there is
    // taken out and handed to append. The same as Take in a loop, but the items of a large bag
    // lie all over memory, so the next few picks are found ahead and where their words lie is
    // fetched while earlier ones are appended.
    void DrainInto(const std::function<qsizetype(qsizetype count)>& pick,
                   const std::function<void(QStringView)>& append);

private:
    // The original index of the item at position k; with `remove`, it also leaves the bag.
    qsizetype find(qsizetype k, bool remove) const;

    app::StringList items_;
    // One bit per original position, set while the item is in the bag: 64 positions a word, small
    // enough to stay in cache for a million words.
    mutable std::vector<std::uint64_t> present_;
    // A complete binary tree over the words of present_: each node counts the items below it.
    mutable std::vector<std::uint32_t> counts_;
    std::size_t leaves_ = 1;
    mutable qsizetype count_;
};

}  // namespace game
