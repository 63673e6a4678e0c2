// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Starts a program RUNS times and measures each run from just before it is started to the moment
// it reports its first painted frame (through ORTHOVANE_FIRST_FRAME_FD), and its peak resident
// memory. Prints the median of each:
//   bench_launch RUNS PROGRAM [ARGS...]
//   startup_ms=12.34 peak_rss_kib=45678
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s RUNS PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    std::vector<double> startup, rss;
    for (int run = 0; run < runs; ++run) {
        int fds[2];
        if (pipe(fds) != 0) return 2;
        const auto t0 = std::chrono::steady_clock::now();
        const pid_t child = fork();
        if (child == 0) {
            close(fds[0]);
            setenv("ORTHOVANE_FIRST_FRAME_FD", std::to_string(fds[1]).c_str(), 1);
            execvp(argv[2], argv + 2);
            _exit(127);
        }
        close(fds[1]);
        pollfd p{fds[0], POLLIN, 0};
        char byte = 0;
        const bool framed = poll(&p, 1, 60'000) == 1 && read(fds[0], &byte, 1) == 1;
        const auto t1 = std::chrono::steady_clock::now();
        close(fds[0]);
        if (!framed) kill(child, SIGKILL);
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        if (!framed) {
            std::fprintf(stderr, "bench_launch: %s showed no frame (status %d)\n", argv[2], status);
            return 1;
        }
        startup.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        rss.push_back(double(usage.ru_maxrss));
    }
    std::printf("startup_ms=%.2f peak_rss_kib=%.0f\n", median(startup), median(rss));
    return 0;
}
