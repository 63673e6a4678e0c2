#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

namespace app {

// An append-only list of strings packed into one buffer: a word list of a million entries costs
// its characters plus one offset each, instead of a heap block per word.
class StringList {
  public:
    qsizetype size() const { return qsizetype(ends_.size()); }
    bool empty() const { return ends_.empty(); }

    QStringView at(qsizetype i) const {
        const std::size_t begin = i == 0 ? 0 : ends_[std::size_t(i) - 1];
        return QStringView(chars_.data() + begin, qsizetype(ends_[std::size_t(i)] - begin));
    }

    void append(QStringView s) {
        chars_.insert(chars_.end(), s.begin(), s.end());
        ends_.push_back(chars_.size());
    }

    void reserve(qsizetype items, qsizetype chars) {
        ends_.reserve(std::size_t(items));
        chars_.reserve(std::size_t(chars));
    }

    qsizetype totalChars() const { return qsizetype(chars_.size()); }

    // Hints that item i is about to be read.
    void prefetch(qsizetype i) const { __builtin_prefetch(ends_.data() + i); }

    void clear() {
        chars_.clear();
        ends_.clear();
    }

  private:
    std::vector<QChar> chars_;
    std::vector<std::size_t> ends_;
};

}  // namespace app
