// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <deque>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace speech {

// Which file a socket path names now: a service started anew makes its socket anew.
struct SocketIdentity {
    bool exists = false;
    unsigned long long device = 0, inode = 0;
    long long changed = 0;  // ctime, nanoseconds
    static SocketIdentity of(const std::string& path);
    friend bool operator==(const SocketIdentity&, const SocketIdentity&) = default;
};

// One connection to the desktop's speech service (speech-dispatcher), spoken to in its own text
// protocol, SSIP. Every call has a deadline and can be stopped, and the connection is read only
// by whoever calls: a service that dies is seen at once (its socket closes), and one that stops
// answering holds up nobody past the deadline.
class SsipConnection {
  public:
    using Clock = std::chrono::steady_clock;
    enum class Status { Ok, Closed, TimedOut, Stopped, Refused };

    // What the service sends: a reply to a command, or a notice of its own accord (codes 700 and
    // up: 701 begin, 702 end, 703 cancel... of a message). Its code and the values of its lines,
    // the last (the status text) included.
    struct Reply {
        int code = 0;
        std::vector<std::string> lines;
        bool isNotice() const { return code >= 700; }
        // The message a notice is about, or the number a queued message was given.
        std::size_t message() const;
    };
    static constexpr int Begin = 701;
    static constexpr int End = 702;
    static constexpr int Cancel = 703;
    // The reply to CANCEL.
    static constexpr int Cancelled = 213;

    SsipConnection() = default;
    ~SsipConnection() { close(); }
    SsipConnection(const SsipConnection&) = delete;
    SsipConnection& operator=(const SsipConnection&) = delete;

    // `address` as SPEECHD_ADDRESS gives it ("unix_socket:PATH", "inet_socket:HOST:PORT"), or
    // empty for the session's own socket. Refused when nothing listens there.
    Status open(const std::string& address, Clock::time_point deadline);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    // The socket an address names, or the session's own.
    static std::string socketPath(const std::string& address);

    // A call that waits looks at `stop` every few milliseconds, and gives up when asked.
    using Stop = std::stop_token;

    Status command(std::string_view line, Reply& reply, Clock::time_point deadline,
                   const Stop& stop);
    // SPEAK with the text as one block of data; `message` is the number the service gave it.
    Status speak(std::string_view text, std::size_t& message, Clock::time_point deadline,
                 const Stop& stop);
    // The next notice or reply, whichever comes first; notices that came while a command waited
    // for its reply come first.
    Status next(Reply& block, Clock::time_point deadline, const Stop& stop);
    // A command sent without waiting for its reply, which next() then reads. It may be sent from
    // another thread than the one reading, as the program ends.
    void post(std::string_view line);

    // The session's own socket: $XDG_RUNTIME_DIR/speech-dispatcher/speechd.sock.
    static std::string defaultSocket();

  private:
    Status writeAll(std::string_view bytes, Clock::time_point deadline, const Stop& stop);
    Status readLine(std::string& line, Clock::time_point deadline, const Stop& stop);
    // A reply or a notice, whichever comes; notices that come while a reply is awaited are kept
    // for next().
    Status readBlock(Reply& block, Clock::time_point deadline, const Stop& stop);
    Status wait(short events, Clock::time_point deadline, const Stop& stop);

    std::atomic<int> fd_{-1};
    std::string in_;
    std::deque<Reply> notices_;
};

}  // namespace speech
