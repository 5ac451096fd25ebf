// Starts a program and prints the microseconds from its start until the X
// server maps its first top-level window, then ends the program. It waits
// for the server's MapNotify event instead of asking for windows in a loop,
// so it spends no processor time while the program starts.
// Usage: mapwait PROGRAM [ARGS...]   (DISPLAY must name a server without a
// window manager, on which no other program maps windows meanwhile)
#include <xcb/xcb.h>

#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;

struct EventDeleter {
    void operator()(xcb_generic_event_t* event) const { std::free(event); }
};
using Event = std::unique_ptr<xcb_generic_event_t, EventDeleter>;

// Listens to the root window for the mapping of its children.
xcb_connection_t* watchRootWindow() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "mapwait: keine Verbindung zum X-Server\n");
        std::exit(2);
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_void_cookie_t cookie = xcb_change_window_attributes_checked(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    if (std::unique_ptr<xcb_generic_error_t, decltype(&std::free)> error{xcb_request_check(connection, cookie),
                                                                         &std::free}) {
        std::fprintf(stderr, "mapwait: Wurzelfenster nicht beobachtbar\n");
        std::exit(2);
    }
    return connection;
}

// Waits for a top-level window to be mapped; pop-ups (override-redirect) do not count.
bool waitForTopLevelMap(xcb_connection_t* connection) {
    while (Event event{xcb_wait_for_event(connection)}) {
        if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY) continue;
        const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event.get());
        if (!map->override_redirect) return true;
    }
    return false;  // connection lost
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "Aufruf: mapwait PROGRAMM [ARGUMENTE...]\n");
        return 2;
    }
    xcb_connection_t* connection = watchRootWindow();
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        close(xcb_get_file_descriptor(connection));
        execvp(argv[1], argv + 1);
        std::perror("mapwait: exec");
        _exit(127);
    }
    const bool mapped = child > 0 && waitForTopLevelMap(connection);
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
    if (child > 0) {
        kill(child, SIGTERM);
        waitpid(child, nullptr, 0);
    }
    xcb_disconnect(connection);
    if (!mapped) {
        std::fprintf(stderr, "mapwait: kein Fenster von %s\n", argv[1]);
        return 1;
    }
    std::printf("%lld\n", static_cast<long long>(elapsed.count()));
    return 0;
}
