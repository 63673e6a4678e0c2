// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/Ssip.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace speech {

namespace {

using Status = SsipConnection::Status;

// How often a wait looks at its stop request.
constexpr auto Slice = std::chrono::milliseconds(20);

int connectUnix(const std::string& path) {
    sockaddr_un where{};
    where.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof where.sun_path) return -1;
    std::memcpy(where.sun_path, path.data(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&where), sizeof where) == 0 ||
        errno == EINPROGRESS || errno == EAGAIN) {
        return fd;
    }
    ::close(fd);
    return -1;
}

int connectInet(const std::string& hostPort) {
    const auto colon = hostPort.rfind(':');
    const std::string host = colon == std::string::npos ? hostPort : hostPort.substr(0, colon);
    const std::string port = colon == std::string::npos ? "6560" : hostPort.substr(colon + 1);
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    // Only numeric addresses: a name lookup could wait on the network with no deadline.
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    if (::getaddrinfo(host.empty() ? "127.0.0.1" : host.c_str(), port.c_str(), &hints, &found) !=
        0) {
        return -1;
    }
    int fd = -1;
    for (addrinfo* a = found; a && fd < 0; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0) continue;
        if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0 && errno != EINPROGRESS) {
            ::close(fd);
            fd = -1;
        }
    }
    ::freeaddrinfo(found);
    return fd;
}

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::size_t SsipConnection::Reply::message() const {
    // A notice's first line is its message's number (its second the client's), as is the first
    // line of the reply that queues a message.
    return lines.size() > 1 ? std::size_t(std::strtoull(lines[0].c_str(), nullptr, 10)) : 0;
}

SocketIdentity SocketIdentity::of(const std::string& path) {
    struct stat st = {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return {};
    return {true, (unsigned long long)st.st_dev, (unsigned long long)st.st_ino,
            (long long)st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec};
}

std::string SsipConnection::socketPath(const std::string& address) {
    if (!address.empty() && !startsWith(address, "unix_socket")) return {};
    const auto colon = address.find(':');
    return colon == std::string::npos ? defaultSocket() : address.substr(colon + 1);
}

std::string SsipConnection::defaultSocket() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) return {};
    return std::string(runtime) + "/speech-dispatcher/speechd.sock";
}

Status SsipConnection::open(const std::string& address, Clock::time_point deadline) {
    close();
    if (address.empty() || startsWith(address, "unix_socket")) {
        fd_ = connectUnix(socketPath(address));
    } else if (startsWith(address, "inet_socket:")) {
        fd_ = connectInet(address.substr(std::strlen("inet_socket:")));
    }
    if (fd_ < 0) return Status::Refused;
    const Status ready = wait(POLLOUT, deadline, {});
    int error = 0;
    socklen_t size = sizeof error;
    if (ready == Status::Ok &&
        (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0)) {
        close();
        return Status::Refused;
    }
    if (ready != Status::Ok) close();
    return ready;
}

void SsipConnection::close() {
    const int fd = fd_.exchange(-1);
    if (fd >= 0) ::close(fd);
    in_.clear();
    notices_.clear();
}

Status SsipConnection::wait(short events, Clock::time_point deadline, const Stop& stop) {
    for (;;) {
        if (stop.stop_requested()) return Status::Stopped;
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero()) return Status::TimedOut;
        pollfd p{fd_, events, 0};
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::min<Clock::duration>(left, Slice));
        const int n = ::poll(&p, 1, int(std::max<long long>(1, ms.count())));
        if (n < 0 && errno != EINTR) return Status::Closed;
        if (n <= 0) continue;
        // A hang-up with bytes still to read is read first; the read then finds the end.
        if (p.revents & events) return Status::Ok;
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) return Status::Closed;
    }
}

Status SsipConnection::writeAll(std::string_view bytes, Clock::time_point deadline,
                                const Stop& stop) {
    while (!bytes.empty()) {
        // Never SIGPIPE: a service gone away is a status, not the end of the game.
        const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n > 0) {
            bytes.remove_prefix(std::size_t(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (const Status s = wait(POLLOUT, deadline, stop); s != Status::Ok) return s;
            continue;
        }
        return Status::Closed;
    }
    return Status::Ok;
}

void SsipConnection::post(std::string_view line) {
    const int fd = fd_;
    if (fd < 0) return;
    const std::string whole = std::string(line) + "\r\n";
    [[maybe_unused]] const ssize_t n =
        ::send(fd, whole.data(), whole.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}

Status SsipConnection::readLine(std::string& line, Clock::time_point deadline, const Stop& stop) {
    for (;;) {
        const auto end = in_.find("\r\n");
        if (end != std::string::npos) {
            line.assign(in_, 0, end);
            in_.erase(0, end + 2);
            return Status::Ok;
        }
        // A line has a few dozen characters; a service that sends endless bytes without one is
        // not a service.
        if (in_.size() > 64 * 1024) return Status::Closed;
        if (const Status s = wait(POLLIN, deadline, stop); s != Status::Ok) return s;
        char buffer[4096];
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n > 0) {
            in_.append(buffer, std::size_t(n));
        } else if (n == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) {
            return Status::Closed;
        }
    }
}

Status SsipConnection::readBlock(Reply& block, Clock::time_point deadline, const Stop& stop) {
    block = Reply{};
    for (;;) {
        std::string line;
        if (const Status s = readLine(line, deadline, stop); s != Status::Ok) return s;
        // "NNN-value" lines go on; "NNN text" ends the block.
        if (line.size() < 4 || (line[3] != '-' && line[3] != ' ')) return Status::Closed;
        block.code = std::atoi(line.substr(0, 3).c_str());
        block.lines.push_back(line.substr(4));
        if (line[3] == ' ') return Status::Ok;
    }
}

Status SsipConnection::command(std::string_view line, Reply& reply, Clock::time_point deadline,
                               const Stop& stop) {
    if (fd_ < 0) return Status::Closed;
    if (const Status s = writeAll(std::string(line) + "\r\n", deadline, stop); s != Status::Ok)
        return s;
    for (;;) {
        if (const Status s = readBlock(reply, deadline, stop); s != Status::Ok) return s;
        if (!reply.isNotice()) return Status::Ok;
        // A notice that came first, about an earlier message.
        notices_.push_back(reply);
    }
}

Status SsipConnection::speak(std::string_view text, std::size_t& message,
                             Clock::time_point deadline, const Stop& stop) {
    Reply reply;
    if (const Status s = command("SPEAK", reply, deadline, stop); s != Status::Ok) return s;
    if (reply.code != 230) return Status::Refused;
    // The text is one line of plain text. A line of a single dot would end the data; it is
    // sent doubled, as the protocol asks.
    const std::string data = std::string(text == "." ? ".." : text) + "\r\n.";
    if (const Status s = command(data, reply, deadline, stop); s != Status::Ok) return s;
    if (reply.code != 225 || reply.lines.size() < 2) return Status::Refused;
    message = reply.message();
    return Status::Ok;
}

Status SsipConnection::next(Reply& block, Clock::time_point deadline, const Stop& stop) {
    if (notices_.empty()) return readBlock(block, deadline, stop);
    block = std::move(notices_.front());
    notices_.pop_front();
    return Status::Ok;
}

}  // namespace speech
