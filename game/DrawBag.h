#pragma once

#include "app/StringList.h"

#include <cstdint>
#include <vector>

namespace game {

// The bag a level's words are drawn from: items at 1-based positions, where removing one moves
// the later items down by one. Picking and removing position k take O(log n), so a pool of a
// million words draws in a fraction of a second and still gives the same item for the same k as a
// plain list would.
class DrawBag {
  public:
    explicit DrawBag(app::StringList items);

    qsizetype Count() const { return count_; }
    // The item now at 1-based position k.
    QStringView Item(qsizetype k) const { return items_.at(indexOf(k)); }
    void Remove(qsizetype k);

  private:
    qsizetype indexOf(qsizetype k) const;

    app::StringList items_;
    // A Fenwick tree over the original positions: 1 while the item is still in the bag.
    std::vector<std::uint32_t> tree_;
    qsizetype count_;
    qsizetype topBit_ = 0;
};

}  // namespace game
