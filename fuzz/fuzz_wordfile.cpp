// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: any bytes as a word file, through the reader and into the pools.
#include "app/FrmMain.h"
#include "runtime/Random.h"
#include "support/Recorders.h"
#include "wordstore/FieldReader.h"
#include "wordstore/Loader.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// Hands the bytes over in reads of varying size, so fields straddle every kind of refill.
class Bytes final : public wordstore::ByteSource {
  public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t read(char* buffer, std::size_t capacity) override {
        const std::size_t step = 1 + (at_ * 7 + size_) % 97;
        const std::size_t n = std::min({capacity, size_ - at_, step});
        std::memcpy(buffer, data_ + at_, n);
        at_ += n;
        return n;
    }
    // Sometimes the true size, sometimes too small, as of a file that grew after it was opened,
    // sometimes more than memory could hold, as a sparse file can claim.
    std::size_t sizeHint() const override {
        if (size_ % 5 == 4) return std::numeric_limits<std::size_t>::max() - size_;
        return size_ / (1 + size_ % 3);
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    testsupport::Journal journal;
    testsupport::RecordingServices services{journal};
    ::runtime::MixingRandom random;
    app::FrmMain form(services, random);
    Bytes bytes(data, size);
    if (wordstore::loadWords(form, bytes) != 0) __builtin_trap();  // reading memory cannot fail
    qsizetype words = 0;
    for (int level = 1; level <= 6; ++level) {
        auto& pool = form.Pool(level);
        for (qsizetype i = 0; i < pool.ListCount(); ++i) {
            // Every word sits in the pool its length (before lowercasing) chose; a lowercased
            // word can only be as long as that or a little longer.
            (void)pool.List(i);
            ++words;
        }
    }
    // No more words than delimiters allow.
    if (words > qsizetype(size) + 1) __builtin_trap();
    return 0;
}
