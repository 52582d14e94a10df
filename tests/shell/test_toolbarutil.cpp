// The frame toolbar utility, its factory and the status bar styler, on stand-in frames.
#include "kit/f_create_toolbarutil.h"
#include "kit/uo_microbarutil.h"
#include "kit/uo_toolbarutil.h"
#include "runtime/fonts.h"
#include "runtime/registry.h"

#include <QAction>
#include <QMainWindow>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <memory>

namespace {

// A frame whose toolbar carries the given window class, with two buttons and one gap of 2 units.
std::unique_ptr<QMainWindow> makeFrame(const QString &toolbarClass)
{
    auto frame = std::make_unique<QMainWindow>();
    auto *toolbar = new QToolBar(frame.get());
    toolbar->setProperty(uo_toolbarutil::kWindowClassProperty, toolbarClass);
    toolbar->setIconSize(QSize(16, 16));
    frame->addToolBar(toolbar);
    toolbar->addAction(QStringLiteral("one"));
    auto *gap = new QWidget(toolbar);
    gap->setProperty(uo_toolbarutil::kSpaceProperty, 2);
    gap->setFixedWidth(6);
    toolbar->addWidget(gap);
    toolbar->addAction(QStringLiteral("two"));
    frame->show();
    return frame;
}

QToolBar *toolbarOf(QMainWindow *frame) { return frame->findChild<QToolBar *>(); }

QList<QToolButton *> buttonsOf(QToolBar *toolbar)
{
    QList<QToolButton *> buttons;
    for (QToolButton *b : toolbar->findChildren<QToolButton *>())
        if (b->defaultAction())
            buttons << b;
    return buttons;
}

std::unique_ptr<uo_toolbarutil> makeUtil()
{
    uo_toolbarutil *util = nullptr;
    f_create_toolbarutil(util);
    return std::unique_ptr<uo_toolbarutil>(util);
}

const QString kOurClass = QStringLiteral("FNFIXEDBAR80");

} // namespace

class TestToolbarUtil : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { rt::installFontSubstitutions(); }

    void factoryMakesTheVariantOfTheRuntime_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<bool>("created");
        QTest::addColumn<QString>("toolClass");
        QTest::newRow("runtime 6") << 6 << true << "FNFIXEDBAR60";
        QTest::newRow("runtime 7") << 7 << true << "FNFIXEDBAR70";
        QTest::newRow("runtime 8") << 8 << true << "FNFIXEDBAR80";
        QTest::newRow("runtime 9 makes none") << 9 << false << "";
    }

    void factoryMakesTheVariantOfTheRuntime()
    {
        QFETCH(int, version);
        QFETCH(bool, created);
        QFETCH(QString, toolClass);
        uo_toolbarutil *util = nullptr;
        QCOMPARE(f_create_toolbarutil(util, version), created);
        std::unique_ptr<uo_toolbarutil> owner(util);
        QCOMPARE(util != nullptr, created);
        if (util) {
            QCOMPARE(util->toolClassName(), toolClass);
            QVERIFY(!util->attachedToolbar());
        }
    }

    void factoryLeavesAnExistingObject()
    {
        uo_toolbarutil *util = nullptr;
        QVERIFY(f_create_toolbarutil(util));
        std::unique_ptr<uo_toolbarutil> owner(util);
        uo_toolbarutil *const first = util;
        QVERIFY(!f_create_toolbarutil(util));
        QCOMPARE(util, first);
    }

    void ourToolbarClassIsTheRuntimeVersionsName()
    {
        QCOMPARE(uo_toolbarutil::toolbarClassFor(8), kOurClass);
    }

    void attachFindsOnlyAToolbarOfItsClass()
    {
        auto util = makeUtil();
        QVERIFY(!util->of_inittoolbar(nullptr, 24));
        auto other = makeFrame(QStringLiteral("FNFIXEDBAR70"));
        QVERIFY(!util->of_inittoolbar(other.get(), 24));
        auto ours = makeFrame(kOurClass);
        QVERIFY(util->of_inittoolbar(ours.get(), 24));
        QCOMPARE(util->attachedToolbar(), toolbarOf(ours.get()));
        QCOMPARE(util->iconSize(), 24);
    }

    void labelsOnInTheRequestedFont()
    {
        auto util = makeUtil();
        auto frame = makeFrame(kOurClass);
        QToolBar *toolbar = toolbarOf(frame.get());
        QVERIFY(util->of_inittoolbar(frame.get(), 24));
        util->of_settoolbarfont(QStringLiteral("Courier New"), -11, QStringLiteral("12345"));
        util->of_toolbarshowtext(true);
        QCOMPARE(toolbar->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        QCOMPARE(toolbar->iconSize(), QSize(24, 24));
        for (QToolButton *button : buttonsOf(toolbar)) {
            QCOMPARE(button->font().family(), QStringLiteral("Courier New"));
            QCOMPARE(button->font().pointSize(), 11);
            QVERIFY(button->minimumWidth() >= QFontMetrics(button->font()).horizontalAdvance(QStringLiteral("12345")));
        }
        QWidget *gap = toolbar->findChildren<QWidget *>().constFirst();
        for (QWidget *w : toolbar->findChildren<QWidget *>())
            if (w->property(uo_toolbarutil::kSpaceProperty).toInt() == 2)
                gap = w;
        QCOMPARE(gap->width(), 2 * uo_toolbarutil::kLabelledSeparator);
    }

    void labelsOffUseTheRecordedIconSize()
    {
        auto util = makeUtil();
        auto frame = makeFrame(kOurClass);
        QToolBar *toolbar = toolbarOf(frame.get());
        QVERIFY(util->of_inittoolbar(frame.get(), 24));
        util->of_toolbarshowtext(true);
        util->of_toolbarshowtext(false);
        QCOMPARE(toolbar->toolButtonStyle(), Qt::ToolButtonIconOnly);
        QCOMPARE(toolbar->iconSize(), QSize(24, 24));
        for (QToolButton *button : buttonsOf(toolbar))
            QCOMPARE(button->size(), QSize(31, 30));
        // And on again: labelled buttons are no longer held at the icon-only size.
        util->of_toolbarshowtext(true);
        for (QToolButton *button : buttonsOf(toolbar))
            QCOMPARE(button->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    }

    void smallIconSizeIsNotRecorded()
    {
        auto util = makeUtil();
        auto frame = makeFrame(kOurClass);
        QToolBar *toolbar = toolbarOf(frame.get());
        QVERIFY(util->of_inittoolbar(frame.get(), 16));
        QCOMPARE(util->iconSize(), 0);
        util->of_toolbarshowtext(false);
        QCOMPARE(toolbar->iconSize(), QSize(16, 16));
        for (QToolButton *button : buttonsOf(toolbar))
            QVERIFY(button->size() != QSize(23, 22));
    }

    void labelsOffWithoutARecordedSizeGiveIconOnlyButtons()
    {
        auto util = makeUtil();
        auto frame = makeFrame(kOurClass);
        QToolBar *toolbar = toolbarOf(frame.get());
        QToolButton *first = buttonsOf(toolbar).constFirst();
        const int iconOnlyWidth = first->sizeHint().width();
        QVERIFY(util->of_inittoolbar(frame.get(), 16));
        util->of_settoolbarfont(QStringLiteral("Courier New"), -11, QStringLiteral("1234567890"));
        util->of_toolbarshowtext(true);
        QVERIFY(first->minimumWidth() > iconOnlyWidth);
        util->of_toolbarshowtext(false);
        QCOMPARE(toolbar->toolButtonStyle(), Qt::ToolButtonIconOnly);
        for (QToolButton *button : buttonsOf(toolbar))
            QVERIFY(button->minimumWidth() <= iconOnlyWidth);
    }

    void nothingChangesBeforeAnAttach()
    {
        auto util = makeUtil();
        auto frame = makeFrame(kOurClass);
        QToolBar *toolbar = toolbarOf(frame.get());
        const QFont before = toolbar->font();
        util->of_settoolbarfont(QStringLiteral("Courier New"), -11, QStringLiteral("12345"));
        util->of_toolbarshowtext(true);
        QCOMPARE(toolbar->font(), before);
        QCOMPARE(toolbar->toolButtonStyle(), Qt::ToolButtonIconOnly);
    }

    void failedAttachLeavesTheEarlierToolbarAlone()
    {
        auto util = makeUtil();
        auto first = makeFrame(kOurClass);
        QToolBar *toolbar = toolbarOf(first.get());
        QVERIFY(util->of_inittoolbar(first.get(), 24));
        auto without = makeFrame(QStringLiteral("SomeOtherBar"));
        QVERIFY(!util->of_inittoolbar(without.get(), 24));
        QVERIFY(!util->attachedToolbar());
        const QFont before = toolbar->font();
        util->of_settoolbarfont(QStringLiteral("Courier New"), -11, QStringLiteral("12345"));
        util->of_toolbarshowtext(true);
        util->of_toolbarshowtext(false);
        QCOMPARE(toolbar->font(), before);
        QCOMPARE(toolbar->toolButtonStyle(), Qt::ToolButtonIconOnly);
        QCOMPARE(toolbar->iconSize(), QSize(16, 16));
    }

    void destroyedFrameDetaches()
    {
        auto util = makeUtil();
        auto frame = makeFrame(kOurClass);
        QVERIFY(util->of_inittoolbar(frame.get(), 24));
        frame.reset();
        QVERIFY(!util->attachedToolbar());
        util->of_settoolbarfont(QStringLiteral("Courier New"), -11, QStringLiteral("12345"));
        util->of_toolbarshowtext(true);
        util->of_toolbarshowtext(false);
    }

    void reattachStylesTheNewFrameOnly()
    {
        auto util = makeUtil();
        auto first = makeFrame(kOurClass);
        QVERIFY(util->of_inittoolbar(first.get(), 24));
        util->of_toolbarshowtext(true);
        auto second = makeFrame(kOurClass);
        QVERIFY(util->of_inittoolbar(second.get(), 24));
        util->of_toolbarshowtext(false);
        QCOMPARE(toolbarOf(first.get())->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        QCOMPARE(toolbarOf(second.get())->toolButtonStyle(), Qt::ToolButtonIconOnly);
    }

    void statusBarOfAnMdiFrameGetsItsFontAndHeight_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<int>("version");
        QTest::addColumn<bool>("styled");
        QTest::newRow("MDI frame, runtime 8") << "t_mdiframe" << 8 << true;
        QTest::newRow("MDI frame, runtime 6") << "t_mdiframe" << 6 << true;
        QTest::newRow("MDI frame, runtime 9") << "t_mdiframe" << 9 << false;
        QTest::newRow("main window") << "t_mainwindow" << 8 << false;
    }

    void statusBarOfAnMdiFrameGetsItsFontAndHeight()
    {
        QFETCH(QString, className);
        QFETCH(int, version);
        QFETCH(bool, styled);
        auto make = [](QWidget *) {
            auto *w = new QMainWindow;
            w->statusBar()->showMessage(QStringLiteral("就绪"));
            return w;
        };
        rt::windows().registerClass(QStringLiteral("t_mdiframe"), rt::WindowType::MdiFrame, make);
        rt::windows().registerClass(QStringLiteral("t_mainwindow"), rt::WindowType::Main, make);
        QCOMPARE(rt::windows().open(className), 1);
        auto *frame = qobject_cast<QMainWindow *>(rt::windows().window(className));
        QVERIFY(frame);
        const QFont before = frame->statusBar()->font();
        uo_microbarutil().of_initmicrobar(frame, version);
        if (styled) {
            QCOMPARE(frame->statusBar()->font().family(), QStringLiteral("宋体"));
            QCOMPARE(frame->statusBar()->font().pixelSize(), 16);
            // The face stands in for a font that holds the Chinese texts.
            QVERIFY(QFontMetrics(frame->statusBar()->font()).inFontUcs4(U'就'));
            QCOMPARE(frame->statusBar()->height(), 23);
        } else {
            QCOMPARE(frame->statusBar()->font(), before);
            QVERIFY(frame->statusBar()->maximumHeight() != 23);
        }
        delete frame;
    }
};

QTEST_MAIN(TestToolbarUtil)
#include "test_toolbarutil.moc"
