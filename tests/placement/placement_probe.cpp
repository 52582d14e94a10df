// Opens the start window, a settings window, a score window, the graduation window and the calculator
// on a real X display, one after the other, as the program opens them, and prints where each one stands
// once the window manager (if any) has framed it: one line per window,
//   <class> outer <x> <y> <width> <height> client <x> <y> <width> <height> moves <n>
// in screen pixels, the outer rectangle being the frame the window manager drew (or the window itself
// without one), and n the times it was seen to move or change its size after it first appeared. With --wm it first waits for a window manager; with --shots DIR it saves a picture of
// the whole screen for each window there. Run by tst_window_placement and scripts/screenshot-placement.
#include "app/window_classes.h"
#include "common/item_selection.h"
#include "runtime/fonts.h"
#include "runtime/registry.h"
#include "runtime/transaction.h"
#include "test_data_source.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QScreen>
#include <QTest>
#include <QtGui/qguiapplication_platform.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace {

xcb_connection_t *connection()
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// The window's ancestor that is a child of the root: the window manager's frame, or the window itself.
xcb_window_t topLevelOf(xcb_connection_t *c, xcb_window_t window)
{
    for (;;) {
        xcb_query_tree_reply_t *tree = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr);
        if (!tree)
            return window;
        const bool top = tree->parent == tree->root;
        const xcb_window_t parent = tree->parent;
        std::free(tree);
        if (top)
            return window;
        window = parent;
    }
}

QRect rootRectOf(xcb_connection_t *c, xcb_window_t window)
{
    xcb_get_geometry_reply_t *g = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
    if (!g)
        return {};
    const xcb_window_t root = g->root;
    const QSize size(g->width + 2 * g->border_width, g->height + 2 * g->border_width);
    std::free(g);
    xcb_translate_coordinates_reply_t *t =
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, root, 0, 0), nullptr);
    if (!t)
        return {};
    const QRect r(QPoint(t->dst_x, t->dst_y), size);
    std::free(t);
    return r;
}

// Viewable: the window and every ancestor, the window manager's frame included, are mapped.
bool viewable(xcb_connection_t *c, xcb_window_t window)
{
    xcb_get_window_attributes_reply_t *a =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
    const bool result = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(a);
    return result;
}

bool windowManagerRuns(xcb_connection_t *c)
{
    const char *name = "_NET_SUPPORTING_WM_CHECK";
    xcb_intern_atom_reply_t *a = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    if (!a)
        return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_get_property_reply_t *p =
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, a->atom, XCB_ATOM_WINDOW, 0, 1), nullptr);
    const bool runs = p && p->value_len == 1;
    std::free(p);
    std::free(a);
    return runs;
}

// Waits until the window is framed (under a window manager) and its outer rectangle has stood still;
// counts the times the rectangle changed after it first appeared on the screen (a manager may reparent
// and place its frame in separate steps before it maps it, which nobody sees).
bool settle(QWidget *w, bool wm, QRect &outer, QRect &client, int &moves)
{
    xcb_connection_t *c = connection();
    const auto id = xcb_window_t(w->winId());
    QRect last;
    int still = 0;
    moves = -1;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000) {
        QTest::qWait(10);
        const xcb_window_t top = topLevelOf(c, id);
        if ((wm && top == id) || !viewable(c, id))
            continue;
        const QRect now = rootRectOf(c, top);
        if (now != last)
            ++moves;
        still = now == last ? still + 1 : 0;
        last = now;
        if (still >= 20) {
            outer = now;
            client = rootRectOf(c, id);
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const bool wm = args.contains(QStringLiteral("--wm"));
    const int shotsAt = int(args.indexOf(QStringLiteral("--shots")));
    const QString shots = shotsAt > 0 && shotsAt + 1 < args.size() ? args.at(shotsAt + 1) : QString();
    if (!shots.isEmpty())
        QDir().mkpath(shots);
    if (!connection()) {
        std::fprintf(stderr, "not on an X display\n");
        return 2;
    }
    QElapsedTimer waited;
    waited.start();
    while (wm && !windowManagerRuns(connection()) && waited.elapsed() < 10000)
        QTest::qWait(50);
    if (wm && !windowManagerRuns(connection())) {
        std::fprintf(stderr, "no window manager\n");
        return 2;
    }

    rt::installFontSubstitutions();
    TestDataSource data;
    if (!data.isValid() || TestDataSource::connectSqlca() != 0) {
        std::fprintf(stderr, "no data source: %s\n", qPrintable(data.error()));
        return 2;
    }
    // Year 1's settings row, so that its score window opens at once.
    QStringList columns{QStringLiteral("nj")}, marks{QStringLiteral("?")};
    QVariantList values{common::studyYearCode(1)};
    for (const char *column : common::kItemFlagColumns) {
        columns << QLatin1String(column);
        marks << QStringLiteral("?");
        values << QStringLiteral("1");
    }
    data.exec(QStringLiteral("INSERT INTO xmsz (%1) VALUES (%2)").arg(columns.join(u','), marks.join(u',')), values);
    registerWindowClasses();

    const QStringList classes{QStringLiteral("w_pwd"), QStringLiteral("w_xm_dx1"), QStringLiteral("w_jsq_dx1"),
                              QStringLiteral("w_jsq_by"), QStringLiteral("w_4")};
    int measured = 0;
    QObject::connect(&rt::windows(), &rt::WindowRegistry::windowShown, &app, [&](QWidget *w, const QString &cls) {
        if (!classes.contains(cls))
            return;
        QRect outer, client;
        int moves = 0;
        if (settle(w, wm, outer, client, moves)) {
            ++measured;
            std::printf("%s outer %d %d %d %d client %d %d %d %d moves %d\n", qPrintable(cls), outer.x(), outer.y(),
                        outer.width(), outer.height(), client.x(), client.y(), client.width(), client.height(), moves);
            std::fflush(stdout);
            if (!shots.isEmpty())
                QGuiApplication::primaryScreen()->grabWindow(0).save(QDir(shots).filePath(cls + QStringLiteral(".png")));
        } else {
            std::fprintf(stderr, "%s did not settle\n", qPrintable(cls));
        }
        w->close();
    });
    for (const QString &cls : classes)
        rt::windows().open(cls);
    QTest::qWait(100);
    TestDataSource::disconnectSqlca();
    return measured == classes.size() ? 0 : 1;
}
