// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime/BigBufferAllocator.h"

#include <QStringView>
#include <cstdint>
#include <limits>
#include <new>
#include <vector>

namespace app {

// An append-only list of strings packed into one buffer: a word list of a million entries costs
// its characters plus one offset each, instead of a heap block per word. Once the lines are put
// in another order, an index says where each line's text is kept, so reordering moves four bytes
// a line rather than their text.
class StringList {
  public:
    qsizetype size() const { return qsizetype(ends_.size()); }
    bool empty() const { return ends_.empty(); }

    QStringView at(qsizetype i) const {
        const std::size_t stored = order_.empty() ? std::size_t(i) : order_[std::size_t(i)];
        const std::size_t begin = stored == 0 ? 0 : ends_[stored - 1];
        return QStringView(chars_.data() + begin, qsizetype(ends_[stored] - begin));
    }

    void append(QStringView s) {
        if (ends_.size() >= std::numeric_limits<std::uint32_t>::max()) throw std::bad_alloc();
        chars_.insert(chars_.end(), s.utf16(), s.utf16() + s.size());
        if (!order_.empty()) order_.push_back(std::uint32_t(ends_.size()));
        ends_.push_back(chars_.size());
    }

    // Puts the lines in a new order: line i becomes the line that was at from[i]. `from` must
    // name every line exactly once.
    void reorder(const std::vector<std::uint32_t>& from) {
        Vector<std::uint32_t> order(from.size());
        for (std::size_t i = 0; i < from.size(); ++i) {
            order[i] = order_.empty() ? from[i] : order_[from[i]];
        }
        order_ = std::move(order);
    }

    // Room for this many lines and characters in all, for a list about to be filled: a list that
    // grows a line at a time copies itself each time it doubles. The room is only address space
    // until lines are written into it.
    void reserve(std::size_t lines, std::size_t chars) {
        chars_.reserve(chars);
        ends_.reserve(lines);
    }

    void clear() {
        chars_.clear();
        ends_.clear();
        order_.clear();
    }

  private:
    template <class T>
    using Vector = std::vector<T, runtime::BigBufferAllocator<T>>;

    Vector<char16_t> chars_;    // not QChar: a plain type grows by memmove
    Vector<std::size_t> ends_;  // in the order the lines were added
    // Line i is the order_[i]-th added; empty while the lines are in the order they were added,
    // as a freshly loaded list is.
    Vector<std::uint32_t> order_;
};

}  // namespace app
