// The toolbar settings dialog on a real frame opened by a login, opened from the frame's menu item
// "工具栏设置(&B)" and driven from inside its modal loop.
#include "app/w_pwd.h"
#include "app/window_classes.h"
#include "kit/toolbar_state.h"
#include "runtime/application.h"
#include "runtime/fonts.h"
#include "runtime/registry.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QHelpEvent>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <functional>

namespace {

const QString kDialog = QStringLiteral("w_genapp_toolbars");
const QString kHide = QStringLiteral("隐藏(&H)");
const QString kShow = QStringLiteral("显示(&D)");

const char *const kRadios[] = {"rb_left", "rb_top", "rb_right", "rb_bottom", "rb_floating"};

// What a user sees of the frame toolbar and the application's toolbar settings.
struct ToolbarLook {
    int alignment;
    bool visible;
    Qt::ToolButtonStyle style;
    bool tips;
    bool text;
    bool operator==(const ToolbarLook &) const = default;
};

} // namespace

class TestToolbarSettings : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void dialogAsDefined();
    void alignments_data();
    void alignments();
    void visibilityByItsCaption();
    void tipsOffSuppressesToolTips();
    void textBoxSwitchesTheLabels();
    void openingChangesNothingClosingUndoesNothing();
    void newFrameAfterReloginStartsDockedAndVisible();

private:
    void login();
    // Opens the dialog from the frame's menu and runs `drive` inside its modal loop; then closes it.
    void withDialog(const std::function<void(QDialog *)> &drive);
    QToolBar *toolbar() const { return kit::FrameToolbarState::of(frame)->toolbar(); }
    ToolbarLook look() const;
    bool toolTipShown();

    QMainWindow *frame = nullptr;
};

void TestToolbarSettings::initTestCase()
{
    QApplication::setQuitOnLastWindowClosed(false);
    rt::installFontSubstitutions();
    registerWindowClasses();
}

void TestToolbarSettings::init() { login(); }

void TestToolbarSettings::cleanup()
{
    rt::application().setToolbarTips(true);
    for (const char *name : {"w_main1", "w_pwd"}) {
        if (QWidget *w = rt::windows().window(QString::fromLatin1(name)))
            w->close();
    }
    QTRY_VERIFY(!rt::windows().window(QStringLiteral("w_main1")));
    frame = nullptr;
}

void TestToolbarSettings::login()
{
    QCOMPARE(rt::windows().open(QStringLiteral("w_pwd")), 1);
    auto *start = qobject_cast<w_pwd *>(rt::windows().window(QStringLiteral("w_pwd")));
    QVERIFY(start);
    start->login();
    frame = qobject_cast<QMainWindow *>(rt::windows().window(QStringLiteral("w_main1")));
    QVERIFY(frame);
    QVERIFY(kit::FrameToolbarState::of(frame));
}

void TestToolbarSettings::withDialog(const std::function<void(QDialog *)> &drive)
{
    bool shown = false;
    QMetaObject::Connection connection;
    connection = connect(&rt::windows(), &rt::WindowRegistry::windowShown, this,
                         [&](QWidget *window, const QString &className) {
                             if (className != kDialog)
                                 return;
                             disconnect(connection);
                             shown = true;
                             auto *dialog = qobject_cast<QDialog *>(window);
                             QApplication::setActiveWindow(dialog);
                             if (!QTest::qWaitForWindowActive(dialog))
                                 qWarning("dialog not active");
                             drive(dialog);
                             if (rt::windows().window(kDialog))
                                 dialog->close();
                         });
    QAction *item = frame->findChild<QAction *>(QStringLiteral("m_工具栏设置b"));
    QVERIFY(item);
    item->trigger(); // returns when the dialog has closed
    disconnect(connection);
    QVERIFY(shown);
    QVERIFY(!rt::windows().window(kDialog));
}

ToolbarLook TestToolbarSettings::look() const
{
    const auto *state = kit::FrameToolbarState::of(frame);
    const bool floating = state->floatingWindow() != nullptr;
    const bool visible = floating ? !state->floatingWindow()->isHidden() : !toolbar()->isHidden();
    return {state->alignment(), visible, toolbar()->toolButtonStyle(), rt::application().toolbarTips(),
            rt::application().toolbarText()};
}

bool TestToolbarSettings::toolTipShown()
{
    QToolTip::hideText();
    QToolButton *button = nullptr;
    for (QToolButton *b : toolbar()->findChildren<QToolButton *>()) {
        if (b->defaultAction() && !b->defaultAction()->toolTip().isEmpty()) {
            button = b;
            break;
        }
    }
    if (!button)
        qFatal("no toolbar button with a tip");
    QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), button->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(button, &help);
    const bool shown = QToolTip::isVisible();
    QToolTip::hideText();
    return shown;
}

void TestToolbarSettings::dialogAsDefined()
{
    withDialog([&](QDialog *dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("工具栏设置"));
        QVERIFY(dialog->isModal());
        auto *visible = dialog->findChild<QPushButton *>(QStringLiteral("cb_visible"));
        QVERIFY(visible->isDefault());
        QCOMPARE(dialog->focusWidget(), visible);
        QCOMPARE(dialog->findChild<QPushButton *>(QStringLiteral("cb_done"))->text(), QStringLiteral("关闭(&X)"));
        // The radio buttons stand like the frame's edges.
        auto at = [&](const char *name) { return dialog->findChild<QRadioButton *>(QLatin1String(name))->geometry().center(); };
        QVERIFY(at("rb_top").y() < at("rb_floating").y() && at("rb_floating").y() < at("rb_bottom").y());
        QVERIFY(at("rb_left").x() < at("rb_floating").x() && at("rb_floating").x() < at("rb_right").x());
        QCOMPARE(at("rb_left").y(), at("rb_right").y());
        // One exclusive group: ticking one unticks the others.
        QTest::mouseClick(dialog->findChild<QRadioButton *>(QStringLiteral("rb_left")), Qt::LeftButton);
        QTest::mouseClick(dialog->findChild<QRadioButton *>(QStringLiteral("rb_top")), Qt::LeftButton);
        int ticked = 0;
        for (const char *name : kRadios)
            ticked += dialog->findChild<QRadioButton *>(QLatin1String(name))->isChecked() ? 1 : 0;
        QCOMPARE(ticked, 1);
        // Esc does not close it; "关闭(&X)" does.
        QTest::keyClick(dialog, Qt::Key_Escape);
        QVERIFY(rt::windows().window(kDialog));
        dialog->findChild<QPushButton *>(QStringLiteral("cb_done"))->click();
        QTRY_VERIFY(!rt::windows().window(kDialog));
    });
}

void TestToolbarSettings::alignments_data()
{
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("area");
    QTest::addColumn<int>("then");
    QTest::newRow("左边 docks left, then top") << 0 << int(Qt::LeftToolBarArea) << 1;
    QTest::newRow("顶部 docks top, then bottom") << 1 << int(Qt::TopToolBarArea) << 3;
    QTest::newRow("右边 docks right, then floating") << 2 << int(Qt::RightToolBarArea) << 4;
    QTest::newRow("底部 docks bottom, then right") << 3 << int(Qt::BottomToolBarArea) << 2;
    QTest::newRow("浮动 floats beside the frame, then left") << 4 << int(Qt::NoToolBarArea) << 0;
}

void TestToolbarSettings::alignments()
{
    QFETCH(int, alignment);
    QFETCH(int, area);
    QFETCH(int, then);

    auto checkDocked = [&](int value, Qt::ToolBarArea expected) {
        const auto *state = kit::FrameToolbarState::of(frame);
        if (value == kit::kFloating) {
            QWidget *window = state->floatingWindow();
            QVERIFY(window);
            QVERIFY(window->isWindow() && window->isVisible());
            QCOMPARE(toolbar()->window(), window);
            QVERIFY(toolbar()->isVisible());
            QCOMPARE(toolbar()->orientation(), Qt::Horizontal);
        } else {
            QVERIFY(!state->floatingWindow());
            QCOMPARE(toolbar()->parentWidget(), frame);
            QCOMPARE(frame->toolBarArea(toolbar()), expected);
            QVERIFY(toolbar()->isVisible());
        }
    };

    withDialog([&](QDialog *dialog) {
        QVERIFY(dialog->findChild<QRadioButton *>(QStringLiteral("rb_top"))->isChecked());
        QTest::mouseClick(dialog->findChild<QRadioButton *>(QLatin1String(kRadios[alignment])), Qt::LeftButton);
        checkDocked(alignment, Qt::ToolBarArea(area)); // at once, while the dialog is open
    });
    if (QTest::currentTestFailed())
        return;
    checkDocked(alignment, Qt::ToolBarArea(area));

    const Qt::ToolBarArea thenArea[] = {Qt::LeftToolBarArea, Qt::TopToolBarArea, Qt::RightToolBarArea,
                                        Qt::BottomToolBarArea, Qt::NoToolBarArea};
    withDialog([&](QDialog *dialog) {
        for (const char *name : kRadios) {
            const bool expected = QLatin1String(name) == QLatin1String(kRadios[alignment]);
            QCOMPARE(dialog->findChild<QRadioButton *>(QLatin1String(name))->isChecked(), expected);
        }
        dialog->findChild<QRadioButton *>(QLatin1String(kRadios[then]))->click();
        checkDocked(then, thenArea[then]);
    });
    if (QTest::currentTestFailed())
        return;
    checkDocked(then, thenArea[then]);
    QCOMPARE(frame->findChildren<QToolBar *>().size(), 1);
}

void TestToolbarSettings::visibilityByItsCaption()
{
    withDialog([&](QDialog *dialog) {
        auto *button = dialog->findChild<QPushButton *>(QStringLiteral("cb_visible"));
        QCOMPARE(button->text(), kHide);
        // Enter with the focus on a check box presses the default button.
        auto *tips = dialog->findChild<QCheckBox *>(QStringLiteral("cbx_showtips"));
        tips->setFocus();
        QTest::keyClick(tips, Qt::Key_Return);
        QVERIFY(toolbar()->isHidden());
        QCOMPARE(button->text(), kShow);
        QVERIFY(rt::application().toolbarTips()); // the box was not clicked
    });
    if (QTest::currentTestFailed())
        return;
    QVERIFY(toolbar()->isHidden());

    withDialog([&](QDialog *dialog) {
        auto *button = dialog->findChild<QPushButton *>(QStringLiteral("cb_visible"));
        QCOMPARE(button->text(), kShow);
        QTest::keyClick(button, Qt::Key_Return);
        QVERIFY(!toolbar()->isHidden());
        QCOMPARE(button->text(), kHide);
        QTest::keyClick(button, Qt::Key_Return);
        QVERIFY(toolbar()->isHidden());
        QCOMPARE(button->text(), kShow);
        // Hidden while floating: the tool window stays hidden until shown again.
        dialog->findChild<QRadioButton *>(QStringLiteral("rb_floating"))->click();
        QWidget *floating = kit::FrameToolbarState::of(frame)->floatingWindow();
        QVERIFY(floating && floating->isHidden());
        button->click();
        QVERIFY(floating->isVisible());
        QCOMPARE(button->text(), kHide);
    });
}

void TestToolbarSettings::tipsOffSuppressesToolTips()
{
    QVERIFY(toolTipShown());
    withDialog([&](QDialog *dialog) {
        auto *box = dialog->findChild<QCheckBox *>(QStringLiteral("cbx_showtips"));
        QVERIFY(box->isChecked());
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(!rt::application().toolbarTips());
        QVERIFY(!toolTipShown());
    });
    if (QTest::currentTestFailed())
        return;
    QVERIFY(!toolTipShown());
    withDialog([&](QDialog *dialog) {
        auto *box = dialog->findChild<QCheckBox *>(QStringLiteral("cbx_showtips"));
        QVERIFY(!box->isChecked());
        box->click();
        QVERIFY(rt::application().toolbarTips());
    });
    QVERIFY(toolTipShown());
}

void TestToolbarSettings::textBoxSwitchesTheLabels()
{
    // The login switched the labels on.
    QCOMPARE(toolbar()->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    withDialog([&](QDialog *dialog) {
        auto *box = dialog->findChild<QCheckBox *>(QStringLiteral("cbx_showtext"));
        QVERIFY(box->isChecked());
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(toolbar()->toolButtonStyle(), Qt::ToolButtonIconOnly);
        QVERIFY(!rt::application().toolbarText());
    });
    if (QTest::currentTestFailed())
        return;
    withDialog([&](QDialog *dialog) {
        auto *box = dialog->findChild<QCheckBox *>(QStringLiteral("cbx_showtext"));
        QVERIFY(!box->isChecked());
        box->click();
        QCOMPARE(toolbar()->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        QVERIFY(rt::application().toolbarText());
    });
    if (QTest::currentTestFailed())
        return;
    withDialog([&](QDialog *dialog) {
        QVERIFY(dialog->findChild<QCheckBox *>(QStringLiteral("cbx_showtext"))->isChecked());
    });
}

void TestToolbarSettings::openingChangesNothingClosingUndoesNothing()
{
    const ToolbarLook before = look();
    QCOMPARE(before, (ToolbarLook{kit::kAlignTop, true, Qt::ToolButtonTextUnderIcon, true, true}));
    withDialog([&](QDialog *) { QCOMPARE(look(), before); });
    QCOMPARE(look(), before);

    const ToolbarLook changed{kit::kAlignRight, false, Qt::ToolButtonIconOnly, false, false};
    withDialog([&](QDialog *dialog) {
        dialog->findChild<QRadioButton *>(QStringLiteral("rb_right"))->click();
        dialog->findChild<QPushButton *>(QStringLiteral("cb_visible"))->click();
        dialog->findChild<QCheckBox *>(QStringLiteral("cbx_showtips"))->click();
        dialog->findChild<QCheckBox *>(QStringLiteral("cbx_showtext"))->click();
        QCOMPARE(look(), changed);
    });
    QCOMPARE(look(), changed);
    withDialog([&](QDialog *) { QCOMPARE(look(), changed); });
    QCOMPARE(look(), changed);
}

void TestToolbarSettings::newFrameAfterReloginStartsDockedAndVisible()
{
    withDialog([&](QDialog *dialog) {
        dialog->findChild<QRadioButton *>(QStringLiteral("rb_floating"))->click();
        dialog->findChild<QPushButton *>(QStringLiteral("cb_visible"))->click();
        dialog->findChild<QCheckBox *>(QStringLiteral("cbx_showtips"))->click();
    });
    QPointer<QMainWindow> first = frame;
    frame->findChild<QAction *>(QStringLiteral("m_重新登录"))->trigger();
    QTRY_VERIFY(!first);
    login();
    QVERIFY(frame);
    QCOMPARE(look(), (ToolbarLook{kit::kAlignTop, true, Qt::ToolButtonTextUnderIcon, false, true}));
    QVERIFY(!kit::FrameToolbarState::of(frame)->floatingWindow());
    withDialog([&](QDialog *dialog) {
        QVERIFY(dialog->findChild<QRadioButton *>(QStringLiteral("rb_top"))->isChecked());
        QCOMPARE(dialog->findChild<QPushButton *>(QStringLiteral("cb_visible"))->text(), kHide);
        QVERIFY(!dialog->findChild<QCheckBox *>(QStringLiteral("cbx_showtips"))->isChecked()); // lasts the run
        QVERIFY(dialog->findChild<QCheckBox *>(QStringLiteral("cbx_showtext"))->isChecked());
    });
}

QTEST_MAIN(TestToolbarSettings)
#include "tst_w_genapp_toolbars.moc"
