// Runs a program and writes how long after its start a top-level window with
// a given title was mapped, in milliseconds.
//   map_time TITLE OUTFILE PROGRAM [ARGS...]
// The program replaces this process, so the caller's PID is the program's. A
// child watches the display: it listens for map events on the root window
// before the program starts, and takes the start time just before letting it
// go on. Without a window manager the program's own window is the root's
// child that is mapped; with one, the frame is, so both are looked at.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <unistd.h>

namespace {

double Now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

std::string Title(xcb_connection_t* c, xcb_window_t w)
{
    auto cookie = xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookie, nullptr);
    std::string title;
    if (reply) {
        title.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                     static_cast<std::size_t>(xcb_get_property_value_length(reply)));
        std::free(reply);
    }
    return title;
}

bool HasTitle(xcb_connection_t* c, xcb_window_t w, const std::string& wanted, int depth = 0)
{
    if (Title(c, w) == wanted)
        return true;
    if (depth > 1)
        return false;
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr);
    if (!tree)
        return false;
    bool found = false;
    const xcb_window_t* kids = xcb_query_tree_children(tree);
    for (int i = 0; !found && i < xcb_query_tree_children_length(tree); ++i)
        found = HasTitle(c, kids[i], wanted, depth + 1);
    std::free(tree);
    return found;
}

int Watch(const std::string& title, const char* outFile, int ready)
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 2;
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_void_cookie_t cookie = xcb_change_window_attributes_checked(c, root, XCB_CW_EVENT_MASK, &mask);
    if (xcb_generic_error_t* e = xcb_request_check(c, cookie)) {
        std::free(e);
        return 2;
    }
    const double start = Now();
    const char byte = 1;
    if (write(ready, &byte, 1) != 1)
        return 2;
    close(ready);
    while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
        const double at = Now();
        const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
        const xcb_window_t w = mapped ? reinterpret_cast<xcb_map_notify_event_t*>(event)->window : 0;
        std::free(event);
        if (mapped && HasTitle(c, w, title)) {
            if (FILE* f = std::fopen(outFile, "w")) {
                std::fprintf(f, "%.1f\n", at - start);
                std::fclose(f);
            }
            xcb_disconnect(c);
            return 0;
        }
    }
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s TITLE OUTFILE PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return 2;
    const pid_t watcher = fork();
    if (watcher < 0)
        return 2;
    if (watcher == 0) {
        close(pipeFds[0]);
        _exit(Watch(argv[1], argv[2], pipeFds[1]));
    }
    close(pipeFds[1]);
    char byte = 0;
    // If the watcher could not reach the display, the program still runs; the
    // missing file tells the caller.
    [[maybe_unused]] const auto n = read(pipeFds[0], &byte, 1);
    close(pipeFds[0]);
    execvp(argv[3], argv + 3);
    std::perror(argv[3]);
    return 127;
}
