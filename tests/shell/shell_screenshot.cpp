// Grabs the shell's windows as a user sees them: the splash, the start window, the frame with its
// launch pad (a launch picture raised and pressed) and the frame picture, and the about box. Fails
// when the maximised frame does not cover the screen. Run under Xvfb by scripts/screenshot-shell;
// writes PNGs to argv[1].
#include "app/book.h"
#include "app/d_start.h"
#include "app/m_main.h"
#include "app/w_main1.h"
#include "app/window_classes.h"
#include "kit/pfc_picture_command_button.h"
#include "runtime/fonts.h"
#include "runtime/registry.h"
#include "test_data_source.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTimer>
#include <QtTest>

namespace {
QString outDir;
bool frameFillsScreen = false;

void save(QWidget *w, const QString &name)
{
    QApplication::processEvents();
    QTest::qWait(300);
    const QString path = QDir(outDir).filePath(name + QStringLiteral(".png"));
    w->window()->grab().save(path);
    // The whole screen too, for the window's place on it.
    if (QScreen *screen = QGuiApplication::primaryScreen())
        screen->grabWindow(0).save(QDir(outDir).filePath(name + QStringLiteral("-screen.png")));
    qInfo("wrote %s", qPrintable(path));
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(outDir);
    rt::installFontSubstitutions();
    registerWindowClasses();
    TestDataSource data;

    QObject::connect(&rt::windows(), &rt::WindowRegistry::windowShown, &app, [](QWidget *w, const QString &cls) {
        if (cls == QLatin1String("w_flash")) {
            save(w, QStringLiteral("w_flash"));
            QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(20, 20));
        } else if (cls == QLatin1String("w_pwd")) {
            QTimer::singleShot(200, w, [w] {
                save(w, QStringLiteral("w_pwd"));
                auto *login = w->findChild<pfc_picture_command_button *>(QStringLiteral("uo_3"));
                QTest::mouseClick(login->command_button(), Qt::LeftButton);
            });
        } else if (cls == QLatin1String("w_about")) {
            save(w, QStringLiteral("w_about"));
            w->close();
        } else if (cls == QLatin1String("w_main1")) {
            QTimer::singleShot(500, w, [w] {
                auto *frame = static_cast<w_main1 *>(w);
                // The frame opens maximised: it must cover the screen's available area, with a window
                // manager or without one.
                const QRect got = frame->frameGeometry();
                const QRect available = frame->screen()->availableGeometry();
                frameFillsScreen = frame->isMaximized() && got == available;
                qInfo("frame %dx%d+%d+%d, available %dx%d+%d+%d: %s", got.width(), got.height(), got.x(), got.y(),
                      available.width(), available.height(), available.x(), available.y(),
                      frameFillsScreen ? "maximised" : "NOT FILLING THE SCREEN");
                save(frame, QStringLiteral("w_main1"));
                // A launch picture raised under the pointer, and pressed as a click leaves it.
                d_start *pad = frame->dw_main();
                QTest::mouseMove(pad, pad->objectRect(QStringLiteral("p_8")).center());
                save(frame, QStringLiteral("w_main1-hover"));
                pad->modify(QStringLiteral("p_8.Border='5'"));
                save(frame, QStringLiteral("w_main1-pressed"));
                QTest::mouseMove(pad, QPoint(2, 2));
                frame->menu()->item(QStringLiteral("m_关于"))->trigger();
                frame->menu()->item(QStringLiteral("m_导航"))->trigger();
                save(frame, QStringLiteral("w_main1-picture"));
                frame->menu()->item(QStringLiteral("m_导航"))->trigger();
                frame->menu()->item(QStringLiteral("m_退出系统"))->trigger();
            });
        }
    });

    book program;
    program.create();
    if (!program.open(QString()))
        return 1;
    const int status = QApplication::exec();
    program.close();
    program.destroy();
    return status != 0 ? status : (frameFillsScreen ? 0 : 3);
}
