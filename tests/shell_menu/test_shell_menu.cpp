// The frame's menu and toolbar as the operator uses them: every window item and toolbar button opens its
// class over the frame and waits for it, the separators are all drawn, the greyed version label does
// nothing, the access keys reach the items, re-login and exit close the frame only. Work windows of
// other folders are stood in for by empty windows registered under their class names.
#include "app/globals.h"
#include "app/m_main.h"
#include "app/pictures.h"
#include "app/register.h"
#include "app/w_main1.h"
#include "kit/pfc_picture_command_button.h"
#include "runtime/application.h"
#include "runtime/fonts.h"
#include "runtime/registry.h"
#include "runtime/style.h"
#include "runtime/transaction.h"
#include "stub_windows.h"
#include "test_data_source.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QPointer>
#include <QtTest>
#include <memory>

namespace {

w_main1 *frame() { return qobject_cast<w_main1 *>(rt::windows().window(QStringLiteral("w_main1"))); }
QWidget *startWindow() { return rt::windows().window(QStringLiteral("w_pwd")); }
QAction *item(const QString &name) { return frame()->menu()->item(name); }

QImage imageOf(const QIcon &icon) { return icon.pixmap(QSize(32, 32)).toImage(); }

// The work windows the menu opens, with the kind each class is registered as.
const QStringList kResponseStubs = {"w_xm_dx1",  "w_xm_dx2",  "w_xm_dx3",  "w_xm_dx4", "w_jsq_dx1",
                                    "w_jsq_dx2", "w_jsq_dx3", "w_jsq_dx4", "w_jsq_by", "w_genapp_toolbars"};

struct Shown {
    QString className;
    QWidget *parent;
    bool openerWaiting; // the opening call had not yet returned when the window was on screen
};

} // namespace

class TestShellMenu : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDataSource> data_;
    QList<Shown> shown_;
    bool opening_ = false;
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

    void activateFrame()
    {
        frame()->activateWindow();
        QApplication::setActiveWindow(frame());
        QTRY_VERIFY(frame()->isActiveWindow());
    }

    QToolButton *buttonOf(const QString &name)
    {
        return qobject_cast<QToolButton *>(frame()->frameToolbar()->widgetForAction(item(name)));
    }

private slots:
    void initTestCase()
    {
        rt::installFontSubstitutions();
        rt::installStyle(); // as the program does
        data_ = std::make_unique<TestDataSource>();
        QCOMPARE(TestDataSource::connectSqlca(), 0L);
        rt::application().toolbarUserControl = false;
        app::registerWindows();
        registerStubWindows(kResponseStubs, [this](const QString &name) {
            if (name == QLatin1String("w_genapp_toolbars"))
                toolbarSettingsParm_ = rt::message().powerObjectParm;
        });
        registerStubMainWindow(QStringLiteral("w_4"));
        connect(&rt::windows(), &rt::WindowRegistry::windowShown, this, [this](QWidget *w, const QString &cls) {
            shown_.append(Shown{cls, w->parentWidget(), opening_});
            if (kResponseStubs.contains(cls) || cls == QLatin1String("w_about"))
                w->close();
        });
    }

    void init()
    {
        if (!frame())
            login();
        shown_.clear();
    }

    void cleanupTestCase()
    {
        deleteRegisteredWindows();
        TestDataSource::disconnectSqlca();
    }

    void dropdownsInMenuOrder_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("项目设置") << "m_项目设置" << QStringList{"m_大学0"};
        QTest::newRow("项目设置 > 大学") << "m_大学0" << QStringList{"m_大一", "m_大二", "m_大三", "m_大四"};
        QTest::newRow("成绩计算") << "m_成绩计算" << QStringList{"m_大学"};
        QTest::newRow("工具") << "m_工具" << QStringList{"m_计算器"};
    }

    void dropdownsInMenuOrder()
    {
        QFETCH(QString, menu);
        QFETCH(QStringList, items);
        auto *dropdown = frame()->findChild<QMenu *>(menu);
        QVERIFY(dropdown);
        QStringList names;
        for (QAction *a : dropdown->actions())
            names << a->objectName();
        QCOMPARE(names, items);
        // The two 大学 items are cascades.
        for (QAction *a : dropdown->actions())
            QCOMPARE(a->menu() != nullptr, a->objectName().startsWith(QStringLiteral("m_大学")));
    }

    void everySeparatorLineIsDrawn_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QStringList>("separators");
        QTest::addColumn<QString>("below");
        QTest::newRow("system menu") << "m_file" << QStringList{"m_-34", "m_-2"} << "m_退出系统";
        QTest::newRow("score cascade") << "m_大学" << QStringList{"m_-8"} << "m_毕业成绩";
        QTest::newRow("help: two lines before technical support") << "m_帮助" << QStringList{"m_-4", "m_-5"}
                                                                   << "m_关于";
    }

    void everySeparatorLineIsDrawn()
    {
        QFETCH(QString, menu);
        QFETCH(QStringList, separators);
        QFETCH(QString, below);
        auto *dropdown = frame()->findChild<QMenu *>(menu);
        QVERIFY(dropdown);
        dropdown->popup(frame()->mapToGlobal(QPoint(40, 40)));
        QVERIFY(QTest::qWaitForWindowExposed(dropdown));
        dropdown->setActiveAction(nullptr);
        const QImage shot = dropdown->grab().toImage();
        const qreal dpr = shot.devicePixelRatio();
        auto pixel = [&](int x, int y) { return shot.pixel(int(x * dpr), int(y * dpr)); };
        // The dropdown's own colour, left of the caption of the item below the lines.
        const QRect belowRect = dropdown->actionGeometry(item(below));
        const QRgb background = pixel(belowRect.left() + 4, belowRect.center().y());
        // Drawn rows of a column: the popup's top border is the run of them from the top edge.
        auto drawn = [&](int x, int y) { return pixel(x, y) != background; };
        int previousBottom = -1;
        for (const QString &name : separators) {
            const QRect line = dropdown->actionGeometry(item(name));
            QVERIFY2(line.height() > 0, qPrintable(name + QStringLiteral(" has no height")));
            QVERIFY2(line.top() > previousBottom, qPrintable(name + QStringLiteral(" overlaps the line above")));
            previousBottom = line.bottom();
            // A line of its own, in its own rows, set off by the dropdown's colour from the popup's
            // border and from the line above.
            const int x = line.center().x();
            int border = 0;
            while (border < shot.height() && drawn(x, border))
                ++border;
            int first = std::max(line.top(), border);
            while (first <= line.bottom() && !drawn(x, first))
                ++first;
            QVERIFY2(first <= line.bottom(), qPrintable(name + QStringLiteral(" draws no visible line")));
            QVERIFY2(first > line.top() || !drawn(x, first - 1), qPrintable(name + QStringLiteral(" runs into the line above")));
        }
        QVERIFY(belowRect.top() > previousBottom);
        dropdown->hide();
    }

    void windowItemsOpenTheirClassOverTheFrameAndWait_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        QTest::newRow("大一项目") << "m_大一" << "w_xm_dx1";
        QTest::newRow("大二项目") << "m_大二" << "w_xm_dx2";
        QTest::newRow("大三项目") << "m_大三" << "w_xm_dx3";
        QTest::newRow("大四项目") << "m_大四" << "w_xm_dx4";
        QTest::newRow("大一成绩计算") << "m_1" << "w_jsq_dx1";
        QTest::newRow("大二成绩计算") << "m_2" << "w_jsq_dx2";
        QTest::newRow("大三成绩计算") << "m_3" << "w_jsq_dx3";
        QTest::newRow("大四成绩计算") << "m_4" << "w_jsq_dx4";
        QTest::newRow("毕业成绩计算") << "m_毕业成绩" << "w_jsq_by";
        QTest::newRow("技术支持") << "m_关于" << "w_about";
        QTest::newRow("工具栏设置(&B)") << "m_工具栏设置b" << "w_genapp_toolbars";
    }

    void windowItemsOpenTheirClassOverTheFrameAndWait()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        opening_ = true;
        item(name)->trigger();
        opening_ = false;
        QCOMPARE(shown_.size(), 1);
        QCOMPARE(shown_[0].className, className);
        QCOMPARE(shown_[0].parent, frame());
        QVERIFY(shown_[0].openerWaiting);
    }

    void toolbarButtonsRunTheirItems_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("className");
        QTest::newRow("大一项目") << "m_大一" << "FullBuild!" << "w_xm_dx1";
        QTest::newRow("大一成绩") << "m_1" << "Properties!" << "w_jsq_dx1";
        QTest::newRow("大二项目") << "m_大二" << "FullBuild!" << "w_xm_dx2";
        QTest::newRow("大二成绩") << "m_2" << "Properties!" << "w_jsq_dx2";
        QTest::newRow("大三项目") << "m_大三" << "FullBuild!" << "w_xm_dx3";
        QTest::newRow("大三成绩") << "m_3" << "Properties!" << "w_jsq_dx3";
        QTest::newRow("大四项目") << "m_大四" << "FullBuild!" << "w_xm_dx4";
        QTest::newRow("大四成绩") << "m_4" << "Properties!" << "w_jsq_dx4";
        QTest::newRow("毕业成绩") << "m_毕业成绩" << "EditObject!" << "w_jsq_by";
    }

    void toolbarButtonsRunTheirItems()
    {
        QFETCH(QString, name);
        QFETCH(QString, picture);
        QFETCH(QString, className);
        QToolButton *button = buttonOf(name);
        QVERIFY(button);
        QCOMPARE(imageOf(button->icon()), imageOf(pictures::icon(picture)));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(shown_.size(), 1);
        QCOMPARE(shown_[0].className, className);
        QCOMPARE(shown_[0].parent, frame());
    }

    void reloginAndExitButtonsShowTheirPictures()
    {
        QCOMPARE(imageOf(buttonOf(QStringLiteral("m_重新登录"))->icon()), imageOf(pictures::icon(QStringLiteral("RunSCC!"))));
        QCOMPARE(imageOf(buttonOf(QStringLiteral("m_退出系统"))->icon()), imageOf(pictures::icon(QStringLiteral("Exit!"))));
    }

    void versionLabelIsGreyedAndDoesNothing()
    {
        QAction *version = item(QStringLiteral("m_0"));
        QSignalSpy triggered(version, &QAction::triggered);
        QMenuBar *bar = frame()->menuBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(version).center());
        QCOMPARE(triggered.count(), 0);
        QVERIFY(!QApplication::activePopupWidget());
        QVERIFY(shown_.isEmpty());
    }

    void accessKeysReachTheToolbarSettings()
    {
        activateFrame();
        toolbarSettingsParm_ = nullptr;
        QTest::keyClick(frame(), Qt::Key_S, Qt::AltModifier);
        auto *system = frame()->findChild<QMenu *>(QStringLiteral("m_file"));
        QTRY_VERIFY(system->isVisible());
        QTest::keyClick(system, Qt::Key_B);
        QTRY_COMPARE(shown_.size(), 1);
        QCOMPARE(shown_[0].className, QStringLiteral("w_genapp_toolbars"));
        QCOMPARE(toolbarSettingsParm_.data(), frame());
        QTRY_VERIFY(!system->isVisible());
    }

    void keyboardHighlightShowsMicroHelp()
    {
        activateFrame();
        QStatusBar *bar = frame()->statusBar();
        QTest::keyClick(frame(), Qt::Key_S, Qt::AltModifier);
        auto *system = frame()->findChild<QMenu *>(QStringLiteral("m_file"));
        QTRY_VERIFY(system->isVisible());
        const QStringList expected{"工具栏设置(&B)", "重新登录[Alt+I]", "退出系统[Alt+X]"};
        if (!system->activeAction())
            QTest::keyClick(system, Qt::Key_Down);
        for (const QString &text : expected) {
            QTRY_COMPARE(bar->currentMessage(), text);
            QTest::keyClick(system, Qt::Key_Down);
        }
        QTest::keyClick(system, Qt::Key_Escape);
        QTest::keyClick(frame()->menuBar(), Qt::Key_Escape);
        QTRY_VERIFY(!QApplication::activePopupWidget());
        QVERIFY(shown_.isEmpty());
    }

    void reloginButtonOpensTheStartWindowBeforeTheFrameCloses()
    {
        QCOMPARE(rt::windows().open(QStringLiteral("w_4")), 1);
        QPointer<QWidget> calculator = rt::windows().window(QStringLiteral("w_4"));
        QPointer<w_main1> old = frame();
        bool frameOpenAtStart = false;
        auto c = connect(&rt::windows(), &rt::WindowRegistry::windowShown, this, [&](QWidget *, const QString &cls) {
            if (cls == QLatin1String("w_pwd"))
                frameOpenAtStart = old && old->isVisible();
        });
        QTest::mouseClick(buttonOf(QStringLiteral("m_重新登录")), Qt::LeftButton);
        disconnect(c);
        QTRY_VERIFY(!old);
        QVERIFY(frameOpenAtStart);
        QVERIFY(startWindow() && startWindow()->isVisible());
        QVERIFY(rt::sqlca().isConnected());
        QVERIFY(calculator && calculator->isVisible());
        login();
        QVERIFY(button_flag());
        delete calculator.data();
    }

    void exitButtonClosesTheFrameOnly()
    {
        QCOMPARE(rt::windows().open(QStringLiteral("w_4")), 1);
        QPointer<QWidget> calculator = rt::windows().window(QStringLiteral("w_4"));
        QPointer<w_main1> old = frame();
        QTest::mouseClick(buttonOf(QStringLiteral("m_退出系统")), Qt::LeftButton);
        QTRY_VERIFY(!old);
        QVERIFY(!startWindow());
        QVERIFY(calculator && calculator->isVisible());
        delete calculator.data();
    }
};

QTEST_MAIN(TestShellMenu)
#include "test_shell_menu.moc"
