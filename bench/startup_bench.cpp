// Time from starting a program to its window mapped, for Lumivar and for a
// plain Qt window with the same kinds of controls, in turns on one X server.
// The map is awaited as an X event, never polled for.
//   startup_bench ROUNDS PROGRAM YARDSTICK
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct ConnectionDeleter {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};

// Milliseconds from the start of `program` to the first top-level window
// mapped; negative when it ended without one.
double timeToMapped(xcb_connection_t* connection, const char* program)
{
    char* arguments[] = {const_cast<char*>(program), nullptr};
    const Clock::time_point start = Clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, program, nullptr, nullptr, arguments, environ) != 0) {
        return -1.0;
    }
    double elapsed = -1.0;
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
        const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
        std::free(event);
        if (mapped) {
            elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            break;
        }
    }
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    // Whatever the ended program's windows did meanwhile is not the next one's.
    free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    while (xcb_generic_event_t* event = xcb_poll_for_queued_event(connection)) {
        std::free(event);
    }
    return elapsed;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s ROUNDS PROGRAM YARDSTICK\n", argv[0]);
        return 2;
    }
    const int rounds = std::max(1, std::atoi(argv[1]));
    const std::unique_ptr<xcb_connection_t, ConnectionDeleter> connection(xcb_connect(nullptr, nullptr));
    if (xcb_connection_has_error(connection.get()) != 0) {
        std::fprintf(stderr, "no X server at DISPLAY\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection.get())).data;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection.get(), screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection.get());

    std::vector<double> program;
    std::vector<double> yardstick;
    // One start of each first, untimed: the page cache holds both after it.
    timeToMapped(connection.get(), argv[2]);
    timeToMapped(connection.get(), argv[3]);
    for (int round = 0; round < rounds; ++round) {
        program.push_back(timeToMapped(connection.get(), argv[2]));
        yardstick.push_back(timeToMapped(connection.get(), argv[3]));
        if (program.back() < 0 || yardstick.back() < 0) {
            std::fprintf(stderr, "a program ended without mapping a window\n");
            return 1;
        }
    }
    const double ours = median(program);
    const double plain = median(yardstick);
    std::printf("window mapped after %.1f ms (median of %d), a plain Qt window after %.1f ms: %.2f x\n", ours,
                rounds, plain, ours / plain);
    return 0;
}
