// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "wordstore/ByteSource.h"

#include "runtime/RuntimeError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QByteArray>
#include <cerrno>

namespace wordstore {

using runtime::RuntimeError;
using runtime::Err::DeviceIO;
using runtime::Err::FileNotFound;
using runtime::Err::PathFileAccess;
using runtime::Err::PermissionDenied;

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
    struct stat st = {};
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

}  // namespace wordstore
