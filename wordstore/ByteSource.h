// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstddef>

namespace wordstore {

// Where the bytes of a word file come from. Wrapped so a test can force a failing read.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Up to `capacity` bytes into `buffer`; 0 at end of file. Throws the run-time error of a
    // failed read.
    virtual std::size_t read(char* buffer, std::size_t capacity) = 0;
    // How many bytes the source holds, where it knows; 0 where it does not. Only a hint for
    // sizing: the source may turn out longer or shorter.
    virtual std::size_t sizeHint() const { return 0; }
};

// A regular file opened for sequential input. Opening never blocks (a FIFO named like the word
// file is refused, not waited on). Errors: 53 file not found, 70 permission denied, 75 anything
// that is not a readable regular file, 57 a failed read.
class FileSource final : public ByteSource {
  public:
    // The system's open(2), wrapped so a test can force the failures it cannot cause as root.
    using OpenCall = int (*)(const char* path, int flags);
    static int systemOpen(const char* path, int flags);

    explicit FileSource(const QString& path, OpenCall open = systemOpen);
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::size_t read(char* buffer, std::size_t capacity) override;
    std::size_t sizeHint() const override { return size_; }

  private:
    int fd_ = -1;
    std::size_t size_ = 0;
};

}  // namespace wordstore
