// Grabs the frame's two tools as a user sees them over a real frame: the calculator opened from the
// menu item "计算器" (display and clock mode), and the toolbar settings dialog opened from
// "工具栏设置(&B)", then the toolbar docked at the left and floating. Run under Xvfb by
// scripts/screenshot-frame-tools; writes PNGs to argv[1].
#include "app/book.h"
#include "app/m_main.h"
#include "app/w_main1.h"
#include "app/w_pwd.h"
#include "app/window_classes.h"
#include "runtime/fonts.h"
#include "runtime/registry.h"
#include "test_data_source.h"
#include "tools/w_4.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

namespace {
QString outDir;

void save(QWidget *w, const QString &name)
{
    QApplication::processEvents();
    QTest::qWait(300);
    w->window()->grab().save(QDir(outDir).filePath(name + QStringLiteral(".png")));
    if (QScreen *screen = QGuiApplication::primaryScreen())
        screen->grabWindow(0).save(QDir(outDir).filePath(name + QStringLiteral("-screen.png")));
    qInfo("wrote %s", qPrintable(name));
}

template <typename T> T *child(QWidget *w, const char *name) { return w->findChild<T *>(QLatin1String(name)); }

void driveDialog(QWidget *dialog)
{
    QTimer::singleShot(200, dialog, [dialog] {
        save(dialog, QStringLiteral("w_genapp_toolbars"));
        child<QRadioButton>(dialog, "rb_left")->click();
        save(dialog, QStringLiteral("w_genapp_toolbars-left"));
        child<QRadioButton>(dialog, "rb_floating")->click();
        save(dialog, QStringLiteral("w_genapp_toolbars-floating"));
        child<QRadioButton>(dialog, "rb_top")->click();
        child<QPushButton>(dialog, "cb_done")->click();
    });
}

void driveFrame(w_main1 *frame)
{
    QTimer::singleShot(500, frame, [frame] {
        if (frame->size().width() < frame->screen()->availableSize().width())
            frame->setGeometry(frame->screen()->availableGeometry());
        frame->menu()->item(QStringLiteral("m_计算器"))->trigger();
        QWidget *calc = rt::windows().window(QStringLiteral("w_4"));
        for (const char *digit : {"cb_1", "cb_2", "cb_3", "cb_12", "cb_4", "cb_5"})
            child<QPushButton>(calc, digit)->click();
        save(calc, QStringLiteral("w_4"));
        child<QPushButton>(calc, "cb_24")->click();
        save(calc, QStringLiteral("w_4-clock"));
        calc->close();
        // Returns when the dialog has closed.
        frame->menu()->item(QStringLiteral("m_工具栏设置b"))->trigger();
        frame->menu()->item(QStringLiteral("m_退出系统"))->trigger();
    });
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
    // A fixed moment, so that the clock's longest date fits in the picture.
    tools::w_4::setClock([] { return QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58)); });

    QObject::connect(&rt::windows(), &rt::WindowRegistry::windowShown, &app, [](QWidget *w, const QString &cls) {
        if (cls == QLatin1String("w_flash"))
            QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(20, 20));
        else if (cls == QLatin1String("w_pwd"))
            QTimer::singleShot(200, w, [w] { static_cast<w_pwd *>(w)->login(); });
        else if (cls == QLatin1String("w_main1"))
            driveFrame(static_cast<w_main1 *>(w));
        else if (cls == QLatin1String("w_genapp_toolbars"))
            driveDialog(w);
    });

    book program;
    program.create();
    if (!program.open(QString()))
        return 1;
    const int status = QApplication::exec();
    program.close();
    program.destroy();
    return status;
}
