// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <limits>
#include <new>
#include <vector>

namespace app {

// An append-only list of strings packed into one buffer: a word list of a million entries costs
// its characters plus one offset and one index each, instead of a heap block per word. The index
// says where each line's text is kept, so the lines can be put in another order by moving four
// bytes a line rather than their text.
class StringList {
  public:
    qsizetype size() const { return qsizetype(order_.size()); }
    bool empty() const { return order_.empty(); }

    QStringView at(qsizetype i) const {
        const std::size_t stored = order_[std::size_t(i)];
        const std::size_t begin = stored == 0 ? 0 : ends_[stored - 1];
        return QStringView(chars_.data() + begin, qsizetype(ends_[stored] - begin));
    }

    void append(QStringView s) {
        if (ends_.size() >= std::numeric_limits<std::uint32_t>::max()) throw std::bad_alloc();
        chars_.insert(chars_.end(), s.utf16(), s.utf16() + s.size());
        order_.push_back(std::uint32_t(ends_.size()));
        ends_.push_back(chars_.size());
    }

    // Puts the lines in a new order: line i becomes the line that was at from[i]. `from` must
    // name every line exactly once.
    void reorder(const std::vector<std::uint32_t>& from) {
        std::vector<std::uint32_t> order(from.size());
        for (std::size_t i = 0; i < from.size(); ++i) order[i] = order_[from[i]];
        order_ = std::move(order);
    }

    void clear() {
        chars_.clear();
        ends_.clear();
        order_.clear();
    }

  private:
    std::vector<char16_t> chars_;       // not QChar: a plain type grows by memmove
    std::vector<std::size_t> ends_;     // in the order the lines were added
    std::vector<std::uint32_t> order_;  // line i is the order_[i]-th added
};

}  // namespace app
