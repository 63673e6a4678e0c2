// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "wordstore/WordFile.h"

#include "app/CodePage.h"
#include "runtime/RuntimeError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QByteArray>
#include <QChar>
#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace wordstore {

using ::runtime::RuntimeError;
using ::runtime::Err::DeviceIO;
using ::runtime::Err::FileNotFound;
using ::runtime::Err::PathFileAccess;
using ::runtime::Err::PermissionDenied;

int FileSource::systemOpen(const char* path, int flags) { return ::open(path, flags); }

FileSource::FileSource(const QString& path, OpenCall open) {
    const QByteArray native = path.toLocal8Bit();
    fd_ = open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0) {
        switch (errno) {
            case ENOENT:
                throw RuntimeError(FileNotFound);
            case EACCES:
            case EPERM:
                throw RuntimeError(PermissionDenied);
            default:
                throw RuntimeError(PathFileAccess);
        }
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        throw RuntimeError(PathFileAccess);
    }
    size_ = std::size_t(st.st_size);
    // Regular files never block; clear the flag so reads behave as plain sequential input.
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
}

FileSource::~FileSource() {
    if (fd_ >= 0) ::close(fd_);
}

std::size_t FileSource::read(char* buffer, std::size_t capacity) {
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, capacity);
        if (n >= 0) return std::size_t(n);
        if (errno != EINTR) throw RuntimeError(DeviceIO);
    }
}

namespace {

constexpr std::size_t ChunkBytes = 64 * 1024;
// Room after the buffer's last unit for a sentinel and for reading four units at a time.
constexpr std::size_t Sentinel = 4;
constexpr char16_t CtrlZ = 0x1A;

bool isBlank(char16_t u) { return u == u' ' || u == u'\t'; }
constexpr char16_t ByteOrderMark = 0xFEFF;

// What a word list copied from a web page or a word processor carries around its words without
// showing it: every kind of white space (the no-break space, the ideographic space...) and the
// invisible format characters (zero-width space, word joiner, byte order mark...).
bool isInvisible(char32_t c) {
    return QChar::isSpace(c) || QChar::category(c) == QChar::Other_Format;
}

// The field without what is invisible at either end; what lies inside stays.
QStringView trimInvisible(QStringView field) {
    const char16_t* u = field.utf16();
    qsizetype begin = 0, end = field.size();
    while (begin < end) {
        const bool pair = begin + 1 < end && QChar::isHighSurrogate(u[begin]) &&
                          QChar::isLowSurrogate(u[begin + 1]);
        const char32_t c = pair ? QChar::surrogateToUcs4(u[begin], u[begin + 1]) : u[begin];
        if (!isInvisible(c)) break;
        begin += pair ? 2 : 1;
    }
    while (end > begin) {
        const bool pair = end - 1 > begin && QChar::isLowSurrogate(u[end - 1]) &&
                          QChar::isHighSurrogate(u[end - 2]);
        const char32_t c = pair ? QChar::surrogateToUcs4(u[end - 2], u[end - 1]) : u[end - 1];
        if (!isInvisible(c)) break;
        end -= pair ? 2 : 1;
    }
    return field.sliced(begin, end - begin);
}
bool endsField(char16_t u) { return u == u',' || u == u'\n' || u == u'\r'; }

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool isValidUtf8(const unsigned char* s, std::size_t n) {
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t len;
        char32_t cp;
        if ((c & 0xE0) == 0xC0) {
            len = 2;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (n - i < len) return false;
        for (std::size_t k = 1; k < len; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        static constexpr char32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < minimum[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += len;
    }
    return true;
}

}  // namespace

// The file as a stream of code units: bytes, or 16-bit units after a UTF-16 byte order mark.
// Units are held widened to 16 bits either way; `bytes_` says how to decode a finished field.
class FieldReader::Units {
  public:
    explicit Units(ByteSource& source) : source_(source) {
        raw_.resize(ChunkBytes);
        // Sized once: a view into it stays where it is until the next chunk is read over it.
        units_.resize(ChunkBytes + Sentinel);
        fillRaw(0, 3);  // enough to see a byte order mark
        const auto* b = reinterpret_cast<const unsigned char*>(raw_.data());
        std::size_t skip = 0;
        if (rawLen_ >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
            skip = 3;
        } else if (rawLen_ >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
            skip = 2;
            mode_ = Mode::Utf16LE;
        } else if (rawLen_ >= 2 && b[0] == 0xFE && b[1] == 0xFF) {
            skip = 2;
            mode_ = Mode::Utf16BE;
        }
        rawPos_ = skip;
        convert();
    }

    bool next(QStringView& out) {
        if (lfMayFollow_) {
            lfMayFollow_ = false;
            if (peek() == u'\n') ++pos_;
        }
        int u = skipLeading();
        if (u < 0) return false;
        // Both from one value, never one from the other: a view written as two halves and read
        // back whole waits for the store to finish.
        QStringView field;
        const bool quoted = u == u'"';
        if (!quoted && takeWhole(field)) {
            // Only a unit beyond ASCII at either end can be invisible: blanks are gone already.
            if (!field.isEmpty() &&
                (field.front().unicode() >= 0x80 || field.back().unicode() >= 0x80))
                field = trimInvisible(field);
            out = field;
            last_ = field;
            return true;
        }
        field_.clear();
        ascii_ = true;
        if (quoted) {
            ++pos_;
            takeUntil([](char16_t c) { return c == u'"'; });
            if (peek() == u'"') {
                ++pos_;
                // Anything between the closing quote and the delimiter is not part of the word.
                while ((u = peek()) >= 0 && !endsField(char16_t(u))) ++pos_;
            }
        } else {
            takeUntil(endsField);
            while (!field_.empty() && isBlank(field_.back())) field_.pop_back();
        }
        consumeDelimiter();
        field = decode();
        if (!quoted) field = trimInvisible(field);
        out = field;
        last_ = field;
        return true;
    }

    QStringView last() const { return last_; }

  private:
    enum class Mode { Bytes, Utf16LE, Utf16BE };

    // Past the blanks and byte order marks before a field (a file joined to another brings its
    // mark along); returns the first unit of the field, or -1 at the end of the file.
    int skipLeading() {
        for (;;) {
            const int u = peek();
            if (u < 0) return u;
            if (isBlank(char16_t(u)) || u == ByteOrderMark) {
                ++pos_;
            } else if (mode_ == Mode::Bytes && u == 0xEF && startsUtf8Mark()) {
                pos_ += 3;  // the mark in UTF-8, whatever the rest of the field turns out to be
            } else {
                return u;
            }
        }
    }

    // Whether the bytes at pos_ are EF BB BF. A mark split by the end of the buffer is read
    // whole: its first bytes go back to be read again with the next chunk.
    bool startsUtf8Mark() {
        static constexpr char16_t mark[3] = {0xEF, 0xBB, 0xBF};
        for (;;) {
            const std::size_t left = std::min<std::size_t>(len_ - pos_, 3);
            if (!std::equal(units_.begin() + long(pos_), units_.begin() + long(pos_ + left), mark))
                return false;
            if (left == 3) return true;
            if (sourceDone_ || ended_) return false;
            rawPos_ = rawLen_ - (len_ - pos_);
            pos_ = len_;
            if (!refill()) return false;
        }
    }

    // The next unit, or -1 at the end of the file (Ctrl+Z included).
    int peek() {
        if (pos_ == len_ && !refill()) return -1;
        const char16_t u = units_[pos_];
        if (u == CtrlZ) {
            ended_ = true;
            len_ = pos_;
            return -1;
        }
        return u;
    }

    // Nearly every field of a big list is short, unquoted and lies wholly in the buffer, with its
    // delimiter: then it is handed out where it lies. False, with nothing taken, for any other.
    bool takeWhole(QStringView& field) {
        // Only bytes above 0x7F need a field decoded as a whole, and a chunk of plain ASCII, as
        // nearly all are, has none to look for.
        const bool mayNeedDecoding = mode_ == Mode::Bytes && !chunkAscii_;
        char16_t seen = 0;
        std::size_t end = pos_;
        for (;; ++end) {
            end = mayNeedDecoding ? nextLowUnit<true>(end, seen) : nextLowUnit<false>(end, seen);
            const char16_t u = units_[end];
            if (u == CtrlZ || endsField(u)) break;
        }
        if (end == len_ || units_[end] == CtrlZ) return false;
        if (seen >= 0x80) return false;  // to be decoded as a whole
        std::size_t last = end;
        while (last > pos_ && isBlank(units_[last - 1])) --last;
        field = QStringView(units_.data() + pos_, qsizetype(last - pos_));
        // The delimiter is taken without looking past the buffer, which would read the next
        // chunk over the field: the LF of a CRLF split between chunks is skipped next time.
        pos_ = end + 1;
        if (units_[end] == u'\r') {
            if (pos_ == len_) {
                lfMayFollow_ = true;
            } else if (units_[pos_] == u'\n') {
                ++pos_;
            }
        }
        return true;
    }

    // From `i` on, the first unit that sorts at or below the comma, as Ctrl+Z and every delimiter
    // do and letters never do; the units passed over are ORed into `seen`. The sentinel after the
    // buffer's last unit ends the search. Four units at a time where they lie in memory in order.
    template <bool TrackSeen>
    std::size_t nextLowUnit(std::size_t i, char16_t& seen) const {
        const char16_t* u = units_.data();
        if constexpr (std::endian::native == std::endian::little) {
            constexpr std::uint64_t ones = 0x0001000100010001u, highs = 0x8000800080008000u;
            std::uint64_t passed = 0;
            for (;; i += 4) {
                std::uint64_t w;
                std::memcpy(&w, u + i, sizeof w);
                // The lowest lane flagged here is the first unit below the comma + 1 (borrows
                // only run upwards, from a lane that is itself below).
                const std::uint64_t low = (w - ones * (u',' + 1)) & ~w & highs;
                if (low) {
                    const int lane = std::countr_zero(low) / 16;
                    if constexpr (TrackSeen) passed |= w & ((std::uint64_t(1) << (16 * lane)) - 1);
                    i += std::size_t(lane);
                    break;
                }
                if constexpr (TrackSeen) passed |= w;
            }
            if constexpr (TrackSeen) {
                passed |= passed >> 32;
                passed |= passed >> 16;
                seen |= char16_t(passed);
            }
        } else {
            for (; u[i] > u','; ++i) seen |= u[i];
        }
        return i;
    }

    template <class Stop>
    void takeUntil(Stop stop) {
        for (;;) {
            if (pos_ == len_ && !refill()) return;
            const std::size_t begin = pos_;
            char16_t seen = 0;
            while (pos_ < len_) {
                const char16_t u = units_[pos_];
                if (u == CtrlZ || stop(u)) break;
                seen |= u;
                ++pos_;
            }
            field_.append(units_.data() + begin, pos_ - begin);
            if (seen >= 0x80) ascii_ = false;
            if (pos_ < len_) {
                if (units_[pos_] == CtrlZ) {
                    ended_ = true;
                    len_ = pos_;
                }
                return;
            }
        }
    }

    void consumeDelimiter() {
        const int u = peek();
        if (u == u',' || u == u'\n') {
            ++pos_;
        } else if (u == u'\r') {
            ++pos_;
            if (peek() == u'\n') ++pos_;
        }
    }

    QStringView decode() {
        const std::size_t n = field_.size();
        if (mode_ != Mode::Bytes || ascii_) return QStringView(field_.data(), qsizetype(n));
        bytes_.resize(n);
        for (std::size_t i = 0; i < n; ++i) bytes_[i] = static_cast<unsigned char>(field_[i]);
        if (isValidUtf8(bytes_.data(), n)) {
            decoded_ =
                QString::fromUtf8(reinterpret_cast<const char*>(bytes_.data()), qsizetype(n));
            return decoded_;
        }
        decoded_.resize(qsizetype(n));
        auto* d = reinterpret_cast<char16_t*>(decoded_.data());
        for (std::size_t i = 0; i < n; ++i) {
            d[i] = app::cp1252::toUnicode(bytes_[i]);
        }
        return decoded_;
    }

    bool refill() {
        if (ended_ || sourceDone_) return false;
        // The next chunk goes over the last field if it lies in the buffer.
        // (std::less: the last field may lie in another buffer, and only it orders any pointers.)
        const std::less<const char16_t*> before;
        if (!before(last_.utf16(), units_.data()) &&
            before(last_.utf16(), units_.data() + units_.size())) {
            kept_.assign(last_.utf16(), std::size_t(last_.size()));
            last_ = QStringView(kept_.data(), qsizetype(kept_.size()));
        }
        // Keep a trailing half unit of UTF-16 for the next read.
        const std::size_t carry = rawLen_ - rawPos_;
        if (carry > 0)
            std::copy(raw_.begin() + long(rawPos_), raw_.begin() + long(rawLen_), raw_.begin());
        fillRaw(carry, mode_ == Mode::Bytes ? carry + 1 : 2);
        rawPos_ = 0;
        convert();
        return len_ > 0;
    }

    // Reads at least `atLeast` bytes in all (or to the end of the file); one read usually brings
    // a whole chunk.
    void fillRaw(std::size_t keep, std::size_t atLeast) {
        rawLen_ = keep;
        while (rawLen_ < atLeast) {
            const std::size_t n = source_.read(raw_.data() + rawLen_, raw_.size() - rawLen_);
            if (n == 0) {
                sourceDone_ = true;
                break;
            }
            rawLen_ += n;
        }
    }

    void convert() {
        const auto* b = reinterpret_cast<const unsigned char*>(raw_.data());
        pos_ = 0;
        if (mode_ == Mode::Bytes) {
            len_ = rawLen_ - rawPos_;
            unsigned char all = 0;
            for (std::size_t i = 0; i < len_; ++i) {
                units_[i] = b[rawPos_ + i];
                all |= b[rawPos_ + i];
            }
            chunkAscii_ = all < 0x80;
            rawPos_ = rawLen_;
        } else {
            len_ = (rawLen_ - rawPos_) / 2;
            const bool le = mode_ == Mode::Utf16LE;
            for (std::size_t i = 0; i < len_; ++i) {
                const unsigned char x = b[rawPos_ + 2 * i], y = b[rawPos_ + 2 * i + 1];
                units_[i] = le ? char16_t(x | (y << 8)) : char16_t((x << 8) | y);
            }
            rawPos_ += 2 * len_;
            // An odd last byte at the very end of the file is no character.
            if (sourceDone_) rawPos_ = rawLen_;
        }
        units_[len_] = u'\n';
    }

    ByteSource& source_;
    Mode mode_ = Mode::Bytes;
    std::vector<char> raw_;
    std::size_t rawLen_ = 0;
    std::size_t rawPos_ = 0;
    bool sourceDone_ = false;
    bool ended_ = false;

    std::vector<char16_t> units_;
    bool chunkAscii_ = true;  // of a byte file: every byte of the buffer is below 0x80
    std::size_t pos_ = 0;
    std::size_t len_ = 0;

    bool lfMayFollow_ = false;  // the last field ended at a CR at the end of the buffer

    std::u16string field_;  // a field taken piece by piece, before decoding
    std::vector<unsigned char> bytes_;
    QString decoded_;
    bool ascii_ = true;

    QStringView last_;
    std::u16string kept_;  // the last field, when the buffer it lay in was read over
};

FieldReader::FieldReader(ByteSource& source) : units_(std::make_unique<Units>(source)) {}
FieldReader::~FieldReader() = default;

bool FieldReader::next(QStringView& field) { return units_->next(field); }
QStringView FieldReader::last() const { return units_->last(); }

}  // namespace wordstore
