// Grabs the frame's menu bar with each dropdown and cascade open and the toolbar with labels on and off,
// as a user sees them. Run under Xvfb (xvfb-run -a -s "-screen 0 1600x1000x24 -dpi 96"); PNGs go to argv[1].
#include "app/book.h"
#include "app/m_main.h"
#include "app/w_main1.h"
#include "app/window_classes.h"
#include "kit/pfc_picture_command_button.h"
#include "kit/uo_toolbarutil.h"
#include "runtime/fonts.h"
#include "runtime/registry.h"
#include "runtime/style.h"
#include "test_data_source.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QtTest>

namespace {
QString outDir;

void saveScreen(const QString &name)
{
    QApplication::processEvents();
    QTest::qWait(300);
    const QString path = QDir(outDir).filePath(name + QStringLiteral(".png"));
    QGuiApplication::primaryScreen()->grabWindow(0, 0, 0, 1000, 420).save(path);
    qInfo("wrote %s", qPrintable(path));
}

void showMenus(w_main1 *frame)
{
    QMenuBar *bar = frame->menuBar();
    struct Shot {
        const char *menu;
        const char *cascade;
        const char *highlight;
    };
    const Shot shots[] = {
        {"m_file", nullptr, "m_退出系统"},
        {"m_项目设置", "m_大学0", "m_大三"},
        {"m_成绩计算", "m_大学", "m_毕业成绩"},
        {"m_工具", nullptr, "m_计算器"},
        {"m_帮助", nullptr, "m_关于"},
    };
    for (const Shot &shot : shots) {
        auto *menu = frame->findChild<QMenu *>(QString::fromUtf8(shot.menu));
        bar->setActiveAction(menu->menuAction());
        QTest::qWait(200);
        QMenu *last = menu;
        if (shot.cascade) {
            auto *cascade = frame->findChild<QMenu *>(QString::fromUtf8(shot.cascade));
            menu->setActiveAction(cascade->menuAction());
            QTest::qWait(400);
            if (!cascade->isVisible())
                cascade->popup(menu->mapToGlobal(menu->actionGeometry(cascade->menuAction()).topRight()));
            QTest::qWait(200);
            last = cascade;
        }
        last->setActiveAction(frame->menu()->item(QString::fromUtf8(shot.highlight)));
        saveScreen(QStringLiteral("menu-") + QString::fromUtf8(shot.menu));
        for (QMenu *m : frame->findChildren<QMenu *>())
            m->hide();
        QTest::qWait(100);
    }
    guo_toolbarutil()->of_toolbarshowtext(false);
    saveScreen(QStringLiteral("toolbar-labels-off"));
    guo_toolbarutil()->of_toolbarshowtext(true);
    saveScreen(QStringLiteral("toolbar-labels-on"));
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(outDir);
    rt::installFontSubstitutions();
    rt::installStyle();
    registerWindowClasses();
    TestDataSource data;

    QObject::connect(&rt::windows(), &rt::WindowRegistry::windowShown, &app, [](QWidget *w, const QString &cls) {
        if (cls == QLatin1String("w_flash")) {
            QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(20, 20));
        } else if (cls == QLatin1String("w_pwd")) {
            QTimer::singleShot(200, w, [w] {
                auto *login = w->findChild<pfc_picture_command_button *>(QStringLiteral("uo_3"));
                QTest::mouseClick(login->command_button(), Qt::LeftButton);
            });
        } else if (cls == QLatin1String("w_main1")) {
            QTimer::singleShot(500, w, [w] {
                auto *frame = static_cast<w_main1 *>(w);
                frame->setGeometry(frame->screen()->availableGeometry());
                QApplication::setActiveWindow(frame);
                showMenus(frame);
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
    return status;
}
