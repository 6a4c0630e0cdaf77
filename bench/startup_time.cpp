// SPDX-License-Identifier: GPL-3.0-or-later
// Measures how long a window program takes from its process start until its
// first top-level window is mapped on the X display: `startup_time RUNS
// PROGRAM [ARGUMENT...]` starts it RUNS times, stops it each time once its
// window is up, and prints each time and the median in milliseconds.
#include <X11/Xlib.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int TimeoutMs = 20000;

// Waits for a window to be mapped on the root window; false on timeout.
bool WaitForMap(Display* display) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(TimeoutMs);
    while (Clock::now() < deadline) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify) {
                return true;
            }
        }
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, 5);
    }
    return false;
}

void Stop(pid_t child) {
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
}

// One start of the program: the milliseconds until its window was mapped.
std::optional<double> TimeOneStart(Display* display, char** command) {
    XSync(display, True);  // events of earlier runs are dropped
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(command[0], command);
        std::perror(command[0]);
        _exit(127);
    }
    const bool mapped = WaitForMap(display);
    const auto elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start);
    Stop(child);
    if (!mapped) {
        return std::nullopt;
    }
    return elapsed.count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s RUNS PROGRAM [ARGUMENT...]\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr || runs < 1) {
        std::fprintf(stderr, "%s: no X display, or no runs\n", argv[0]);
        return 2;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const std::optional<double> ms = TimeOneStart(display, argv + 2);
        if (!ms) {
            std::fprintf(stderr, "%s: no window from %s within %d ms\n", argv[0], argv[2],
                         TimeoutMs);
            return 1;
        }
        std::printf("run %d: %.1f ms\n", run + 1, *ms);
        times.push_back(*ms);
    }
    std::sort(times.begin(), times.end());
    const std::size_t mid = times.size() / 2;
    const double median =
        times.size() % 2 == 1 ? times[mid] : (times[mid - 1] + times[mid]) / 2;
    std::printf("median: %.1f ms\n", median);
    XCloseDisplay(display);
    return 0;
}
