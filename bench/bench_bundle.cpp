// Start-up of the self-contained folder's program to its first window on the X display, against
// the same build started from the build folder: a bundle whose libraries were picked badly (many
// more loaded, or loaded twice) shows here. Each start is a whole process; the window counts as
// there when the X server maps it, which this process sees on the root window.
#include <xcb/xcb.h>

#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "bench_support.h"

namespace {

// Starts the program with a home and runtime folder of its own (no options, no other instance)
// and returns the seconds until its first top-level window is mapped; negative when it failed.
double startToWindow(const std::string& program)
{
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        xcb_disconnect(x);
        return -1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);
    char home[] = "/tmp/kalmora-bench-home-XXXXXX";
    if (!::mkdtemp(home)) {
        xcb_disconnect(x);
        return -1;
    }
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("HOME", home, 1);
        ::setenv("XDG_RUNTIME_DIR", home, 1);
        ::setenv("XDG_CONFIG_HOME", home, 1);
        ::setenv("XDG_STATE_HOME", home, 1);
        ::unsetenv("QT_QPA_PLATFORM");
        ::execl(program.c_str(), program.c_str(), nullptr);
        ::_exit(127);
    }
    double seconds = -1;
    while (xcb_generic_event_t* event = xcb_wait_for_event(x)) {
        const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY
                            && !reinterpret_cast<xcb_map_notify_event_t*>(event)->override_redirect;
        std::free(event);
        if (mapped) {
            seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            break;
        }
    }
    ::kill(pid, SIGKILL);  // nothing of it is saved: the next start is like this one
    ::waitpid(pid, nullptr, 0);
    xcb_disconnect(x);
    std::system(("rm -rf '" + std::string(home) + "'").c_str());
    return seconds;
}

void registerStart(const char* name, const std::string& program)
{
    benchmark::RegisterBenchmark(name, [program](benchmark::State& state) {
        for (auto _ : state) {
            const double seconds = startToWindow(program);
            if (seconds < 0) {
                state.SkipWithError("no window: is DISPLAY an X server, and the program there?");
                break;
            }
            state.SetIterationTime(seconds);
        }
    })->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
}

}  // namespace

int main(int argc, char** argv)
{
    registerStart("start-up to the window, bundled/project", KL_BUNDLED);
    registerStart("start-up to the window, bundled/floor", KL_BUILT);
    return bench::runWithRatios(argc, argv, {{"start-up to the window, bundled", {"<= 1.1", 1.1}}});
}
