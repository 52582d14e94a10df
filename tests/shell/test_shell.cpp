// The shell as the operator meets it: splash, start window, login, the frame's menu, toolbar, status
// bar, launch pad and launcher, re-login and the navigation toggle. Work windows of other folders are
// stood in for by empty windows registered under their class names.
#include "app/d_start.h"
#include "app/globals.h"
#include "app/m_main.h"
#include "app/pictures.h"
#include "app/register.h"
#include "app/w_about.h"
#include "app/w_main1.h"
#include "kit/pfc_picture_command_button.h"
#include "kit/uo_toolbarutil.h"
#include "runtime/application.h"
#include "runtime/fonts.h"
#include "runtime/messagebox.h"
#include "runtime/registry.h"
#include "runtime/transaction.h"
#include "runtime/units.h"
#include "stub_windows.h"
#include "test_data_source.h"

#include <QAction>
#include <QDesktopServices>
#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QImageReader>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QWidgetAction>
#include <QPointer>
#include <QtTest>
#include <memory>

namespace {

struct Opened {
    QString className;
    QWidget *parent;
};

w_main1 *frame() { return qobject_cast<w_main1 *>(rt::windows().window(QStringLiteral("w_main1"))); }
QWidget *startWindow() { return rt::windows().window(QStringLiteral("w_pwd")); }

int visibleWindowsOf(const QString &className)
{
    int n = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && rt::windows().classOf(w) == className)
            ++n;
    return n;
}

QAction *item(const QString &name) { return frame()->menu()->item(name); }

QStringList toolbarButtonNames(QToolBar *toolbar)
{
    QStringList names;
    for (QAction *a : toolbar->actions())
        if (!qobject_cast<QWidgetAction *>(a))
            names << a->objectName();
    return names;
}

// Stands in for the system's web browser.
class Browser : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

} // namespace

class TestShell : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDataSource> data_;
    QList<Opened> opened_;
    QStringList stubs_{QStringLiteral("w_xm_dx1"), QStringLiteral("w_jsq_dx1"), QStringLiteral("w_jsq_by"),
                       QStringLiteral("w_genapp_toolbars")};
    QPointer<QObject> toolbarSettingsParm_;

    void login()
    {
        if (!startWindow())
            QCOMPARE(rt::windows().open(QStringLiteral("w_pwd")), 1);
        auto *button = startWindow()->findChild<pfc_picture_command_button *>(QStringLiteral("uo_3"));
        QVERIFY(button);
        QTest::mouseClick(button->command_button(), Qt::LeftButton);
        QTRY_VERIFY(frame() && !startWindow());
    }

    d_start *pad() { return frame()->dw_main(); }
    QPoint centreOf(const QString &name) { return pad()->objectRect(name).center(); }
    void moveTo(const QPoint &pos)
    {
        QMouseEvent move(QEvent::MouseMove, pos, pad()->mapToGlobal(pos), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(pad(), &move);
    }
    void moveTo(const QString &name) { moveTo(centreOf(name)); }
    void clickAt(const QPoint &pos) { QTest::mouseClick(pad(), Qt::LeftButton, {}, pos); }
    QString border(const QString &name) { return pad()->describe(name + QStringLiteral(".border")); }

private slots:
    void initTestCase()
    {
        rt::installFontSubstitutions();
        data_ = std::make_unique<TestDataSource>();
        QCOMPARE(TestDataSource::connectSqlca(), 0L);
        rt::application().toolbarUserControl = false;
        app::registerWindows();
        registerStubWindows(stubs_, [this](const QString &name) {
            if (name == QLatin1String("w_genapp_toolbars"))
                toolbarSettingsParm_ = rt::message().powerObjectParm;
        });
        registerStubMainWindow(QStringLiteral("w_4"));
        connect(&rt::windows(), &rt::WindowRegistry::windowShown, this, [this](QWidget *w, const QString &cls) {
            opened_.append(Opened{cls, w->parentWidget()});
            if (stubs_.contains(cls))
                w->close();
        });
    }

    void init()
    {
        opened_.clear();
        if (!frame())
            login();
        // Each test starts with the launch pad shown and nothing highlighted.
        if (!button_flag())
            item(QStringLiteral("m_导航"))->trigger();
        moveTo(QPoint(2, 2));
        opened_.clear();
    }

    void cleanupTestCase()
    {
        deleteRegisteredWindows();
        TestDataSource::disconnectSqlca();
    }

    void splashGivesWayToOneStartWindowAtAClick()
    {
        delete frame();
        QElapsedTimer clock;
        clock.start();
        QPointer<QWidget> splash;
        auto c = connect(&rt::windows(), &rt::WindowRegistry::windowShown, this, [&](QWidget *w, const QString &cls) {
            if (cls != QLatin1String("w_flash"))
                return;
            splash = w;
            QCOMPARE(visibleWindowsOf(QStringLiteral("w_pwd")), 0);
            QTest::mouseClick(w->findChild<QLabel *>(QStringLiteral("p_1")), Qt::LeftButton);
        });
        QCOMPARE(rt::windows().open(QStringLiteral("w_flash")), 1);
        disconnect(c);
        QVERIFY(clock.elapsed() < 1500);
        QVERIFY(!splash);
        QCOMPARE(visibleWindowsOf(QStringLiteral("w_pwd")), 1);
        // Nothing of the splash is left to open a second start window.
        QTest::qWait(2300);
        QCOMPARE(visibleWindowsOf(QStringLiteral("w_pwd")), 1);
        login();
    }

    void splashGivesWayToOneStartWindowAfterTwoSeconds()
    {
        delete frame();
        // A coarse timer may end the splash up to a tenth early or late: its timer keeps to the millisecond.
        Qt::TimerType timerType = Qt::CoarseTimer;
        auto c = connect(&rt::windows(), &rt::WindowRegistry::windowShown, this, [&](QWidget *w, const QString &cls) {
            if (cls == QLatin1String("w_flash"))
                timerType = w->findChild<QTimer *>()->timerType();
        });
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(rt::windows().open(QStringLiteral("w_flash")), 1);
        disconnect(c);
        QCOMPARE(timerType, Qt::PreciseTimer);
        QVERIFY2(clock.elapsed() >= 2000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(visibleWindowsOf(QStringLiteral("w_pwd")), 1);
        QCOMPARE(startWindow()->windowTitle(), QStringLiteral("登录管理系统....."));
        login();
    }

    void startWindowExitClosesItWithoutAFrame()
    {
        delete frame();
        QCOMPARE(rt::windows().open(QStringLiteral("w_pwd")), 1);
        QApplication::setActiveWindow(startWindow());
        QVERIFY(QTest::qWaitForWindowActive(startWindow()));
        // The login button first in the Tab order, then the exit button.
        auto *loginButton = startWindow()->findChild<pfc_picture_command_button *>(QStringLiteral("uo_3"));
        auto *exitButton = startWindow()->findChild<pfc_picture_command_button *>(QStringLiteral("uo_4"));
        QTRY_COMPARE(QApplication::focusWidget(), loginButton->command_button());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), exitButton->command_button());
        QTest::keyClick(startWindow(), Qt::Key_X, Qt::AltModifier);
        QTRY_VERIFY(!startWindow());
        QVERIFY(!frame());
    }

    void startWindowLogsInByItsAccessKey()
    {
        delete frame();
        QCOMPARE(rt::windows().open(QStringLiteral("w_pwd")), 1);
        QApplication::setActiveWindow(startWindow());
        QVERIFY(QTest::qWaitForWindowActive(startWindow()));
        QTest::keyClick(startWindow(), Qt::Key_L, Qt::AltModifier);
        QTRY_VERIFY(frame() && !startWindow());
        QCOMPARE(frame()->frameToolbar()->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    }

    void loginLeavesAToolbarPlainWhenTheUtilityCannotAttach()
    {
        delete frame();
        // The frame's toolbar is no toolbar of the runtime's class: the attach fails.
        auto c = connect(&rt::windows(), &rt::WindowRegistry::windowShown, this, [](QWidget *w, const QString &cls) {
            if (cls == QLatin1String("w_main1"))
                static_cast<w_main1 *>(w)->frameToolbar()->setProperty(uo_toolbarutil::kWindowClassProperty,
                                                                       QStringLiteral("OtherBar"));
        });
        login();
        disconnect(c);
        QToolBar *toolbar = frame()->frameToolbar();
        QCOMPARE(toolbar->toolButtonStyle(), Qt::ToolButtonIconOnly);
        for (QAction *a : toolbar->actions())
            if (auto *button = qobject_cast<QToolButton *>(toolbar->widgetForAction(a)))
                QVERIFY(button->font().family() != QLatin1String("Courier New"));
        QVERIFY(!startWindow());
        // The next test logs in afresh.
        delete frame();
    }

    void loginOpensTheFrameWithElevenLabelledButtonsInOrder()
    {
        QToolBar *toolbar = frame()->frameToolbar();
        QCOMPARE(toolbarButtonNames(toolbar),
                 QStringList({"m_大一", "m_1", "m_大二", "m_2", "m_大三", "m_3", "m_大四", "m_4", "m_毕业成绩",
                              "m_重新登录", "m_退出系统"}));
        // A gap stands before each button whose item asks for space.
        QStringList afterGap;
        const QList<QAction *> actions = toolbar->actions();
        for (int i = 1; i < actions.size(); ++i)
            if (qobject_cast<QWidgetAction *>(actions[i - 1]))
                afterGap << actions[i]->objectName();
        QCOMPARE(afterGap, QStringList({"m_大二", "m_大三", "m_大四", "m_毕业成绩", "m_重新登录", "m_退出系统"}));

        QStringList labels;
        for (QAction *a : actions)
            if (!qobject_cast<QWidgetAction *>(a)) {
                labels << a->iconText();
                QCOMPARE(a->toolTip(), a->iconText());
                QVERIFY(!a->icon().isNull());
            }
        QCOMPARE(labels, QStringList({"大一项目", "大一成绩", "大二项目", "大二成绩", "大三项目", "大三成绩", "大四项目",
                                      "大四成绩", "毕业成绩", "重新登录", "退出系统"}));
        QCOMPARE(toolbar->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        for (QAction *a : actions) {
            if (auto *button = qobject_cast<QToolButton *>(toolbar->widgetForAction(a))) {
                QCOMPARE(button->font().family(), QStringLiteral("Courier New"));
                QCOMPARE(button->font().pointSize(), 11);
            }
        }
        QVERIFY(frame()->isMaximized());
        QCOMPARE(frame()->windowTitle(), QStringLiteral("CorvanelFitmarkel（大学） "));
        QCOMPARE(guo_toolbarutil()->attachedToolbar(), toolbar);
        // Without user control the toolbar offers no pop-up menu.
        QVERIFY(!frame()->createPopupMenu());
    }

    void toolTipsFollowTheApplicationSetting()
    {
        QWidget *button = frame()->frameToolbar()->widgetForAction(item(QStringLiteral("m_1")));
        QHelpEvent help(QEvent::ToolTip, QPoint(4, 4), button->mapToGlobal(QPoint(4, 4)));
        rt::application().setToolbarTips(false);
        QApplication::sendEvent(button, &help);
        QVERIFY(!QToolTip::isVisible());
        rt::application().setToolbarTips(true);
        QApplication::sendEvent(button, &help);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), QStringLiteral("大一成绩"));
        QToolTip::hideText();
    }

    void statusBarHasItsFontAndHeight()
    {
        QStatusBar *bar = frame()->statusBar();
        QCOMPARE(bar->font().family(), QStringLiteral("宋体"));
        QCOMPARE(bar->font().pixelSize(), 16);
        QCOMPARE(bar->height(), 23);
    }

    void reloginKeepsTheUtilityAndRestylesTheNewFrame()
    {
        uo_toolbarutil *const util = guo_toolbarutil();
        QVERIFY(util);
        QPointer<w_main1> old = frame();
        const bool wasConnected = rt::sqlca().isConnected();
        QApplication::setActiveWindow(frame());
        QTest::keyClick(frame(), Qt::Key_I, Qt::AltModifier);
        QTRY_VERIFY(!old);
        QVERIFY(startWindow() && startWindow()->isVisible());
        QCOMPARE(rt::sqlca().isConnected(), wasConnected);
        login();
        QCOMPARE(guo_toolbarutil(), util);
        QCOMPARE(util->attachedToolbar(), frame()->frameToolbar());
        QCOMPARE(frame()->frameToolbar()->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        QVERIFY(button_flag());
    }

    void menuTree_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("microHelp");
        QTest::newRow("m_工具栏设置b") << "m_工具栏设置b" << "m_file" << "工具栏设置(&B)" << "工具栏设置(&B)";
        QTest::newRow("m_重新登录") << "m_重新登录" << "m_file" << "重新登录\tAlt+I" << "重新登录[Alt+I]";
        QTest::newRow("m_退出系统") << "m_退出系统" << "m_file" << "退出系统\tAlt+X" << "退出系统[Alt+X]";
        QTest::newRow("m_大学0") << "m_大学0" << "m_项目设置" << "大学" << "";
        QTest::newRow("m_大一") << "m_大一" << "m_大学0" << "大一项目" << "大一项目设置";
        QTest::newRow("m_大二") << "m_大二" << "m_大学0" << "大二项目" << "大二项目设置";
        QTest::newRow("m_大三") << "m_大三" << "m_大学0" << "大三项目" << "大三项目设置";
        QTest::newRow("m_大四") << "m_大四" << "m_大学0" << "大四项目" << "大四项目设置";
        QTest::newRow("m_大学") << "m_大学" << "m_成绩计算" << "大学" << "";
        QTest::newRow("m_1") << "m_1" << "m_大学" << "大一成绩计算" << "大一成绩计算";
        QTest::newRow("m_2") << "m_2" << "m_大学" << "大二成绩计算" << "大二成绩计算";
        QTest::newRow("m_3") << "m_3" << "m_大学" << "大三成绩计算" << "大三成绩计算";
        QTest::newRow("m_4 has no MicroHelp") << "m_4" << "m_大学" << "大四成绩计算" << "";
        QTest::newRow("m_毕业成绩") << "m_毕业成绩" << "m_大学" << "毕业成绩计算" << "初中毕业成绩";
        QTest::newRow("m_计算器") << "m_计算器" << "m_工具" << "计算器" << "计算器";
        QTest::newRow("m_关于") << "m_关于" << "m_帮助" << "技术支持" << "";
    }

    void menuTree()
    {
        QFETCH(QString, name);
        QFETCH(QString, in);
        QFETCH(QString, caption);
        QFETCH(QString, microHelp);
        QAction *action = item(name);
        QVERIFY(action);
        QCOMPARE(action->text(), caption);
        QCOMPARE(action->statusTip(), microHelp);
        QVERIFY(action->isEnabled());
        auto *menu = frame()->findChild<QMenu *>(in);
        QVERIFY(menu);
        QVERIFY(menu->actions().contains(action));
    }

    void menuBarAndDropdownsInOrder()
    {
        QStringList bar;
        for (QAction *a : frame()->menuBar()->actions())
            bar << a->text();
        QCOMPARE(bar, QStringList({"系统管理(&S)", "项目设置", "成绩计算", "工具", "导航", "帮助", "Version 3.0 Build 0101"}));
        QVERIFY(!item(QStringLiteral("m_0"))->isEnabled());
        QVERIFY(!item(QStringLiteral("m_导航"))->menu());
        auto names = [](QMenu *menu) {
            QStringList list;
            for (QAction *a : menu->actions())
                list << a->objectName();
            return list;
        };
        QCOMPARE(names(frame()->findChild<QMenu *>(QStringLiteral("m_file"))),
                 QStringList({"m_工具栏设置b", "m_-34", "m_重新登录", "m_-2", "m_退出系统"}));
        QCOMPARE(names(frame()->findChild<QMenu *>(QStringLiteral("m_大学"))),
                 QStringList({"m_1", "m_2", "m_3", "m_4", "m_-8", "m_毕业成绩"}));
        QCOMPARE(names(frame()->findChild<QMenu *>(QStringLiteral("m_帮助"))), QStringList({"m_-4", "m_-5", "m_关于"}));
        QCOMPARE(item(QStringLiteral("m_重新登录"))->shortcut(), QKeySequence(QStringLiteral("Alt+I")));
        QCOMPARE(item(QStringLiteral("m_退出系统"))->shortcut(), QKeySequence(QStringLiteral("Alt+X")));
        int withShortcut = 0;
        for (QAction *a : frame()->findChildren<QAction *>())
            withShortcut += a->shortcut().isEmpty() ? 0 : 1;
        QCOMPARE(withShortcut, 2);
    }

    void statusBarShowsMicroHelpWhileHighlighted()
    {
        QStatusBar *bar = frame()->statusBar();
        auto *defaultText = bar->findChild<QLabel *>(QStringLiteral("microHelpDefault"));
        QCOMPARE(defaultText->text(), rt::application().microHelpDefault);
        QVERIFY(bar->currentMessage().isEmpty());
        auto *menu = frame()->findChild<QMenu *>(QStringLiteral("m_大学"));
        menu->popup(frame()->mapToGlobal(QPoint(50, 50)));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        menu->setActiveAction(item(QStringLiteral("m_毕业成绩")));
        QTRY_COMPARE(bar->currentMessage(), QStringLiteral("初中毕业成绩"));
        menu->setActiveAction(item(QStringLiteral("m_4")));
        QTRY_VERIFY(bar->currentMessage().isEmpty());
        menu->hide();
        QTRY_VERIFY(defaultText->isVisible());
    }

    void navigationToggleSwitchesBetweenPadAndPicture()
    {
        QVERIFY(pad()->isVisible());
        QVERIFY(!frame()->p_2()->isVisible());
        // The frame picture is decoded only when it is first shown.
        QVERIFY(frame()->p_2()->pixmap().isNull());
        item(QStringLiteral("m_导航"))->trigger();
        QVERIFY(!button_flag());
        QVERIFY(!pad()->isVisible());
        QVERIFY(frame()->p_2()->isVisible());
        QCOMPARE(frame()->p_2()->pixmap().size(), QSize(1016, 712));
        const QSize outer = frame()->outerSizeUnits();
        const QRect expected = rt::unitRect(0, 210, outer.width(), outer.height() - 515)
                                   .translated(0, frame()->menuBar()->height());
        QCOMPARE(frame()->p_2()->geometry(), expected);
        // Resizing leaves the picture as it is.
        frame()->showNormal();
        frame()->resize(600, 500);
        QTRY_COMPARE(frame()->size(), QSize(600, 500));
        QCOMPARE(frame()->p_2()->geometry(), expected);
        // The hidden pad still follows the frame.
        const QSize small = frame()->outerSizeUnits();
        const QPoint at = ::launchPadPosition(small.width(), small.height());
        QCOMPARE(pad()->pos(), QPoint(rt::unitsToPixelsX(at.x()), rt::unitsToPixelsY(at.y()) + frame()->menuBar()->height()));

        item(QStringLiteral("m_导航"))->trigger();
        QVERIFY(button_flag());
        QVERIFY(pad()->isVisible());
        QVERIFY(!frame()->p_2()->isVisible());
        frame()->showMaximized();
        QTRY_COMPARE(frame()->frameGeometry(), frame()->screen()->availableGeometry());
    }

    void picturesHaveEightBitsPerChannel_data()
    {
        QTest::addColumn<QString>("path");
        pictures::appIcon(); // registers the pictures
        for (const char *folder : {":/library", ":/stock"})
            for (QDirIterator it(QString::fromLatin1(folder)); it.hasNext();) {
                const QString path = it.next();
                QTest::newRow(qPrintable(path)) << path;
            }
    }

    // Sixteen bits per channel only cost decoding time and memory.
    void picturesHaveEightBitsPerChannel()
    {
        QFETCH(QString, path);
        QImageReader reader(path);
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        QVERIFY2(image.depth() <= 32, qPrintable(QStringLiteral("%1 bits per pixel").arg(image.depth())));
    }

    void onlySmallPicturesStayDecoded_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("kept");
        QTest::newRow("small picture (a launch picture)") << "xm_1.bmp" << true;
        QTest::newRow("toolbar icon") << "Exit!" << true;
        QTest::newRow("splash picture, shown once") << "vemka_flash.JPG" << false;
        QTest::newRow("frame picture, held by its label") << "main.BMP" << false;
    }

    // A picture kept decoded by Qt's pixmap cache comes back as the same pixmap; a large one would
    // stay in memory for the whole run after its window has gone.
    void onlySmallPicturesStayDecoded()
    {
        QFETCH(QString, name);
        QFETCH(bool, kept);
        const QPixmap first = pictures::picture(name);
        QVERIFY(!first.isNull());
        QCOMPARE(pictures::picture(name).cacheKey() == first.cacheKey(), kept);
    }

    void padPicturesDecodeInTheirStoredForm_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("depth");
        QTest::newRow("palette launch picture") << "xm_1.bmp" << 8;
        QTest::newRow("true-colour launch picture") << "cj_3.bmp" << 32;
        QTest::newRow("palette arrow") << "arrow2.bmp" << 8;
    }

    // The pad draws its pictures from their stored form, as their pixmaps would look.
    void padPicturesDecodeInTheirStoredForm()
    {
        QFETCH(QString, name);
        const QImage image = pictures::image(name);
        QTEST(image.depth(), "depth");
        QCOMPARE(image.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 pictures::picture(name).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }

    // A picture raised or lowered is drawn again with its border, and nothing else of the pad is.
    void borderChangeRepaintsItsPicture()
    {
        struct PaintedArea : QObject {
            QRegion region;
            bool eventFilter(QObject *, QEvent *event) override
            {
                if (event->type() == QEvent::Paint)
                    region += static_cast<QPaintEvent *>(event)->region();
                return false;
            }
        } painted;
        QApplication::processEvents();
        pad()->installEventFilter(&painted);
        for (const char *border : {"6", "5", "0"}) {
            painted.region = QRegion();
            QCOMPARE(pad()->modify(QStringLiteral("p_8.Border='%1'").arg(QLatin1String(border))), QString());
            QTRY_VERIFY(!painted.region.isEmpty());
            QCOMPARE(painted.region.boundingRect(), pad()->objectRect(QStringLiteral("p_8")).adjusted(-2, -2, 2, 2));
        }
        pad()->removeEventFilter(&painted);
    }

    void launchPadPosition_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("normal frame size") << 4018 << 2692 << QPoint(173, 274);
        QTest::newRow("narrower than the pad stays at x 0") << 3000 << 2692 << QPoint(0, 274);
        QTest::newRow("odd difference rounds down") << 3674 << 2587 << QPoint(1, 221);
        QTest::newRow("lower than 2584 stays at y 220") << 4018 << 2500 << QPoint(173, 220);
    }

    void launchPadPosition()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QPoint, expected);
        QCOMPARE(::launchPadPosition(width, height), expected);
    }

    void launchPadFollowsTheFrame()
    {
        frame()->showNormal();
        frame()->resize(rt::unitsToPixelsX(4018), rt::unitsToPixelsY(2692));
        QTRY_COMPARE(frame()->size(), QSize(rt::unitsToPixelsX(4018), rt::unitsToPixelsY(2692)));
        const QSize outer = frame()->outerSizeUnits();
        const QPoint at = ::launchPadPosition(outer.width(), outer.height());
        QCOMPARE(pad()->pos(), QPoint(rt::unitsToPixelsX(at.x()), rt::unitsToPixelsY(at.y()) + frame()->menuBar()->height()));
        frame()->showMaximized();
        QTRY_COMPARE(frame()->frameGeometry(), frame()->screen()->availableGeometry());
    }

    void hoverRaisesOnlyLaunchPictures()
    {
        // Through the window system first, as the pointer reaches the pad.
        QTest::mouseMove(pad(), centreOf(QStringLiteral("p_1")));
        QCOMPARE(border(QStringLiteral("p_1")), QStringLiteral("6"));
        QCOMPARE(frame()->focusPicture(), QStringLiteral("p_1"));
        moveTo(centreOf(QStringLiteral("p_1")) + QPoint(5, 5));
        QCOMPARE(border(QStringLiteral("p_1")), QStringLiteral("6"));
        // Straight onto another picture: the first goes plain, the second is raised.
        moveTo(QStringLiteral("p_8"));
        QCOMPARE(border(QStringLiteral("p_1")), QStringLiteral("0"));
        QCOMPARE(border(QStringLiteral("p_8")), QStringLiteral("6"));
        // Caption, arrow, title and empty space highlight nothing.
        for (const QString &other : {QStringLiteral("t_5"), QStringLiteral("p_7"), QStringLiteral("t_12")}) {
            moveTo(QStringLiteral("p_8"));
            moveTo(other);
            QCOMPARE(border(QStringLiteral("p_8")), QStringLiteral("0"));
            QCOMPARE(border(other), QStringLiteral("0"));
            QVERIFY(frame()->focusPicture().isEmpty());
        }
        moveTo(QStringLiteral("p_8"));
        moveTo(QPoint(2, 2));
        QCOMPARE(border(QStringLiteral("p_8")), QStringLiteral("0"));
        QVERIFY(frame()->focusPicture().isEmpty());
    }

    void highlightSurvivesTheNavigationToggle()
    {
        moveTo(QStringLiteral("p_6"));
        item(QStringLiteral("m_导航"))->trigger();
        item(QStringLiteral("m_导航"))->trigger();
        QCOMPARE(border(QStringLiteral("p_6")), QStringLiteral("6"));
    }

    void clickOnTheHighlightedPictureLaunchesItsWindow()
    {
        moveTo(QStringLiteral("p_8"));
        clickAt(centreOf(QStringLiteral("p_8")));
        QCOMPARE(opened_.size(), 1);
        QCOMPARE(opened_[0].className, QStringLiteral("w_jsq_dx1"));
        QCOMPARE(opened_[0].parent, frame());
        QCOMPARE(border(QStringLiteral("p_8")), QStringLiteral("5"));
        // Still pressed after the window has closed; a second click launches again.
        clickAt(centreOf(QStringLiteral("p_8")));
        QCOMPARE(opened_.size(), 2);
        moveTo(QPoint(2, 2));
        QCOMPARE(border(QStringLiteral("p_8")), QStringLiteral("0"));
    }

    void clicksElsewhereDoNothing()
    {
        rt::MessageBoxRecorder boxes;
        for (const QString &name : {QStringLiteral("t_5"), QStringLiteral("p_7"), QStringLiteral("t_12")}) {
            moveTo(name);
            clickAt(centreOf(name));
        }
        moveTo(QPoint(2, 2));
        clickAt(QPoint(2, 2));
        QVERIFY(opened_.isEmpty());
        QCOMPARE(boxes.count(), 0);
    }

    void launcherMessages_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty Run") << "Run = " << "此项功能尚未设置, 请与系统管理员联系修改";
        QTest::newRow("no such window") << "Run = w_nowhere" << "对不起, 您指定起动的窗口不存在, 请与系统管理员联系修改";
        QTest::newRow("OpenType neither Window nor Exe") << "Run = w_jsq_dx1;OpenType=Sheet" << "";
    }

    void launcherMessages()
    {
        QFETCH(QString, tag);
        QFETCH(QString, text);
        rt::MessageBoxRecorder boxes;
        moveTo(QStringLiteral("p_1"));
        // The tag changes after the picture was highlighted, so even an empty Run reaches the launcher.
        QCOMPARE(pad()->modify(QStringLiteral("p_1.Tag='%1'").arg(tag)), QString());
        clickAt(centreOf(QStringLiteral("p_1")));
        QCOMPARE(pad()->modify(QStringLiteral("p_1.Tag='Run = w_xm_dx1'")), QString());
        QCOMPARE(border(QStringLiteral("p_1")), QStringLiteral("5"));
        QVERIFY(opened_.isEmpty());
        if (text.isEmpty()) {
            QCOMPARE(boxes.count(), 0);
            return;
        }
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().title, frame()->windowTitle());
        QCOMPARE(boxes.last().text, text);
        QCOMPARE(boxes.last().icon, rt::Icon::StopSign);
    }

    void launcherFindsTheWindowClassWhateverItsCase()
    {
        moveTo(QStringLiteral("p_8"));
        QCOMPARE(pad()->modify(QStringLiteral("p_8.Tag='Run = W_Jsq_DX1'")), QString());
        clickAt(centreOf(QStringLiteral("p_8")));
        pad()->modify(QStringLiteral("p_8.Tag='Run = w_jsq_dx1'"));
        QCOMPARE(opened_.size(), 1);
        QCOMPARE(opened_[0].className, QStringLiteral("w_jsq_dx1"));
        QCOMPARE(opened_[0].parent, frame());
    }

    void launcherStartsAProgramFromTheSystemDirectoryWithoutWaiting()
    {
        QTemporaryDir dir;
        const QString marker = dir.filePath(QStringLiteral("started"));
        QCOMPARE(frame()->of_getwindowpath(), QStringLiteral("/usr/bin"));
        moveTo(QStringLiteral("p_1"));
        pad()->modify(QStringLiteral("p_1.Tag='Run = touch %1;OpenType=exe'").arg(marker));
        clickAt(centreOf(QStringLiteral("p_1")));
        pad()->modify(QStringLiteral("p_1.Tag='Run = w_xm_dx1'"));
        QTRY_VERIFY(QFile::exists(marker));
        QVERIFY(opened_.isEmpty());
    }

    void tagOfPadObjects()
    {
        QCOMPARE(frame()->of_gettagstring(QStringLiteral("p_6"), QStringLiteral("Run"), QString()), QStringLiteral("w_jsq_by"));
        QCOMPARE(frame()->of_gettagstring(QStringLiteral("p_7"), QStringLiteral("Run"), QStringLiteral("d")), QStringLiteral("d"));
        QCOMPARE(frame()->of_gettagstring(QStringLiteral("no_such"), QStringLiteral("Run"), QStringLiteral("d")), QStringLiteral("d"));
        QVERIFY(frame()->of_gettagstring(QString(), QStringLiteral("Run"), QStringLiteral("d")).isNull());
        QVERIFY(frame()->of_gettagstring(QStringLiteral("p_6"), QString(), QStringLiteral("d")).isNull());
    }

    void menuItemsOpenTheirWindows()
    {
        item(QStringLiteral("m_大一"))->trigger();
        item(QStringLiteral("m_毕业成绩"))->trigger();
        item(QStringLiteral("m_计算器"))->trigger();
        item(QStringLiteral("m_计算器"))->trigger();
        QCOMPARE(opened_.size(), 3);
        QCOMPARE(opened_[0].className, QStringLiteral("w_xm_dx1"));
        QCOMPARE(opened_[1].className, QStringLiteral("w_jsq_by"));
        QCOMPARE(opened_[2].className, QStringLiteral("w_4"));
        QCOMPARE(opened_[2].parent, nullptr);
        delete rt::windows().window(QStringLiteral("w_4"));
    }

    void toolbarSettingsGetsTheFrameAsParameter()
    {
        toolbarSettingsParm_ = nullptr;
        item(QStringLiteral("m_工具栏设置b"))->trigger();
        QCOMPARE(opened_.size(), 1);
        QCOMPARE(opened_[0].className, QStringLiteral("w_genapp_toolbars"));
        QCOMPARE(toolbarSettingsParm_.data(), frame());
    }

    void aboutBoxLinkOpensInTheBrowserAndLeavesTheBoxOpen()
    {
        Browser browser;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "open");
        bool checked = false;
        auto c = connect(&rt::windows(), &rt::WindowRegistry::windowShown, this, [&](QWidget *w, const QString &cls) {
            if (cls != QLatin1String("w_about"))
                return;
            QApplication::setActiveWindow(w);
            QVERIFY(QTest::qWaitForWindowActive(w));
            // The button is the one control that takes the focus.
            QTRY_COMPARE(QApplication::focusWidget(), w->findChild<QWidget *>(QStringLiteral("cb_1")));
            for (QWidget *child : w->findChildren<QWidget *>())
                QCOMPARE(child->focusPolicy() != Qt::NoFocus, child->objectName() == QLatin1String("cb_1"));
            for (const auto &[name, label] : {std::pair{"st_5", "手机："}, std::pair{"st_4", "电话："},
                                              std::pair{"st_2", "E_Mail:"}, std::pair{"st_10", "软件升级："}})
                QVERIFY2(w->findChild<QLabel *>(QLatin1String(name))->text().startsWith(QString::fromUtf8(label)), name);
            auto *link = w->findChild<QLabel *>(QStringLiteral("shl_1"));
            QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(20, link->height() / 2));
            QTRY_COMPARE(browser.opened, QList<QUrl>{QUrl(w_about::upgradeUrl())});
            QVERIFY(w->isVisible());
            checked = true;
            w->close();
        });
        item(QStringLiteral("m_关于"))->trigger();
        disconnect(c);
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QVERIFY(checked);
    }

    void aboutBoxClosesWithAltX()
    {
        bool shown = false;
        bool closedByKey = false;
        auto c = connect(&rt::windows(), &rt::WindowRegistry::windowShown, this, [&](QWidget *w, const QString &cls) {
            if (cls != QLatin1String("w_about"))
                return;
            shown = true;
            QApplication::setActiveWindow(w);
            QVERIFY(QTest::qWaitForWindowActive(w));
            QPointer<QWidget> box = w;
            QTest::keyClick(w, Qt::Key_X, Qt::AltModifier);
            // The mnemonic clicks the button as a mouse would, after its pressed look.
            closedByKey = QTest::qWaitFor([&] { return !box || !box->isVisible(); }, 2000);
            if (box && !closedByKey)
                box->close();
        });
        item(QStringLiteral("m_关于"))->trigger();
        disconnect(c);
        QVERIFY(shown);
        QVERIFY(closedByKey);
        QCOMPARE(opened_.size(), 1);
    }

    void exitClosesTheFrame()
    {
        QPointer<w_main1> old = frame();
        QApplication::setActiveWindow(frame());
        QTest::keyClick(frame(), Qt::Key_X, Qt::AltModifier);
        QTRY_VERIFY(!old);
        QVERIFY(!startWindow());
    }
};

QTEST_MAIN(TestShell)
#include "test_shell.moc"
