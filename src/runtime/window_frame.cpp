#include "runtime/window_frame.h"

#include "runtime/units.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QThread>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <xcb/xcb.h>

namespace rt {

namespace {

// How long a window manager may take to answer the request; it answers at once in practice.
constexpr int kAnswerMs = 500;

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

// The 32-bit values of a window's property of the given type; empty when it has none.
std::vector<uint32_t> property(xcb_connection_t *c, xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
{
    std::vector<uint32_t> values;
    xcb_get_property_reply_t *reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, 1024), nullptr);
    if (reply && reply->type == type && reply->format == 32) {
        const auto *data = static_cast<const uint32_t *>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

xcb_window_t rootOf(xcb_connection_t *c, xcb_window_t window)
{
    xcb_query_tree_reply_t *reply = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr);
    const xcb_window_t root = reply ? reply->root : xcb_window_t(XCB_WINDOW_NONE);
    std::free(reply);
    return root;
}

// A window manager runs while the root names its check window and that window names itself.
bool windowManagerRuns(xcb_connection_t *c, xcb_window_t root)
{
    const xcb_atom_t check = atom(c, "_NET_SUPPORTING_WM_CHECK");
    const std::vector<uint32_t> named = property(c, root, check, XCB_ATOM_WINDOW);
    return named.size() == 1 && property(c, named[0], check, XCB_ATOM_WINDOW) == named;
}

} // namespace

std::optional<QMargins> windowManagerFrame(QWidget *window)
{
    if (window->windowFlags() & Qt::FramelessWindowHint)
        return std::nullopt;
    // Other platforms (the offscreen one included, which may hold an X11 display of its own) have no
    // window manager to ask.
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return std::nullopt;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *c = x11 ? x11->connection() : nullptr;
    if (!c)
        return std::nullopt;
    const auto id = xcb_window_t(window->winId());
    const xcb_window_t root = rootOf(c, id);
    if (root == XCB_WINDOW_NONE || !windowManagerRuns(c, root))
        return std::nullopt;

    const xcb_atom_t request = atom(c, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extents = atom(c, "_NET_FRAME_EXTENTS");
    const std::vector<uint32_t> supported = property(c, root, atom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM);
    if (std::find(supported.begin(), supported.end(), request) != supported.end()) {
        xcb_client_message_event_t ask{};
        ask.response_type = XCB_CLIENT_MESSAGE;
        ask.format = 32;
        ask.window = id;
        ask.type = request;
        xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                       reinterpret_cast<const char *>(&ask));
        xcb_flush(c);
        QElapsedTimer waited;
        waited.start();
        do {
            // left, right, top, bottom, in device pixels
            const std::vector<uint32_t> e = property(c, id, extents, XCB_ATOM_CARDINAL);
            if (e.size() == 4) {
                const double ratio = window->devicePixelRatioF();
                auto px = [ratio](uint32_t v) { return int(std::lround(v / ratio)); };
                return QMargins(px(e[0]), px(e[2]), px(e[1]), px(e[3]));
            }
            QThread::msleep(2);
        } while (waited.elapsed() < kAnswerMs);
    }
    return classicFrame();
}

} // namespace rt
