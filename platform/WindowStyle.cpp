#include "WindowStyle.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// An xcb reply, which the caller frees with free().
struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

xcb_atom_t Atom(xcb_connection_t* c, const char* name)
{
    const auto cookie = xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name);
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(c, cookie, nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

} // namespace

void SetSkipTaskbar(QWidget* window)
{
    if (!window || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t* c = x11->connection();
    const auto id = static_cast<xcb_window_t>(window->winId());

    static const xcb_atom_t state = Atom(c, "_NET_WM_STATE");
    static const xcb_atom_t skipTaskbar = Atom(c, "_NET_WM_STATE_SKIP_TASKBAR");
    static const xcb_atom_t skipPager = Atom(c, "_NET_WM_STATE_SKIP_PAGER");
    if (state == XCB_ATOM_NONE)
        return;

    std::vector<xcb_atom_t> atoms;
    const auto cookie = xcb_get_property(c, 0, id, state, XCB_ATOM_ATOM, 0, 64);
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(c, cookie, nullptr));
    if (reply && reply->format == 32) {
        const auto* begin = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        atoms.assign(begin, begin + xcb_get_property_value_length(reply.get()) / sizeof(xcb_atom_t));
    }
    bool changed = false;
    for (xcb_atom_t wanted : {skipTaskbar, skipPager}) {
        if (wanted != XCB_ATOM_NONE && std::find(atoms.begin(), atoms.end(), wanted) == atoms.end()) {
            atoms.push_back(wanted);
            changed = true;
        }
    }
    if (changed)
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32,
                            static_cast<uint32_t>(atoms.size()), atoms.data());
}
