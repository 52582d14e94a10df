// The calculator window on the offscreen platform: opening, focus and Tab, one window at most, the
// keyboard, the clock, and the shared state across openings.
#include "runtime/fonts.h"
#include "runtime/registry.h"
#include "tools/register.h"
#include "tools/w_4.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>

using tools::calculatorShared;

class TestW4 : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void openingState();
    void tabCycle();
    void controlsAsDefined();
    void secondOpeningBringsTheSameWindow();
    void keysPressTheirButtons();
    void enterAlwaysPressesEquals();
    void displayWithFocusTakesTheKeys();
    void clockShowsDateAndTime();
    void digitInClockModeReturnsToDisplay();
    void closingKeepsSharedState();

private:
    QWidget *openCalculator();
    QWidget *w = nullptr;
    template <typename T> T *control(const char *name) const
    {
        T *c = w->findChild<T *>(QString::fromLatin1(name));
        if (!c)
            qFatal("no control %s", name);
        return c;
    }
    QLineEdit *display() const { return control<QLineEdit>("sle_1"); }
    QLineEdit *clock() const { return control<QLineEdit>("sle_2"); }
    void click(const char *name) { control<QPushButton>(name)->click(); }
};

void TestW4::initTestCase()
{
    rt::installFontSubstitutions();
    tools::registerWindows();
}

void TestW4::init()
{
    calculatorShared() = {};
    tools::w_4::setClock([] { return QDateTime(QDate(2026, 3, 1), QTime(9, 5, 7)); });
    w = openCalculator();
}

void TestW4::cleanup()
{
    if (QWidget *open = rt::windows().window(QStringLiteral("w_4"))) {
        open->close();
        QTRY_VERIFY(!rt::windows().window(QStringLiteral("w_4")));
    }
    w = nullptr;
}

QWidget *TestW4::openCalculator()
{
    if (rt::windows().open(QStringLiteral("w_4")) != 1)
        return nullptr;
    QWidget *calc = rt::windows().window(QStringLiteral("w_4"));
    if (calc) {
        QApplication::setActiveWindow(calc);
        if (!QTest::qWaitForWindowActive(calc))
            qWarning("calculator not active");
    }
    return calc;
}

void TestW4::openingState()
{
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("计算器"));
    QVERIFY(w->isWindow());
    QVERIFY(!w->parentWidget());
    QVERIFY(!w->isModal());
    // A minimize box, no maximize box, no resizable border.
    QVERIFY(w->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!w->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(w->minimumSize(), w->maximumSize());
    QCOMPARE(display()->text(), QStringLiteral("0"));
    QVERIFY(display()->isVisible());
    QVERIFY(!clock()->isVisible());
    QCOMPARE(control<QPushButton>("cb_24")->text(), QStringLiteral("时间"));
    QCOMPARE(QApplication::focusWidget(), control<QPushButton>("cb_18"));
    QVERIFY(display()->alignment().testFlag(Qt::AlignRight));
    QCOMPARE(display()->layoutDirection(), Qt::LeftToRight);
    QVERIFY(!w->findChild<QTimer *>()->isActive());
}

void TestW4::tabCycle()
{
    const QList<QWidget *> expected{display(), control<QPushButton>("cb_26"), control<QPushButton>("cb_18")};
    for (QWidget *next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

void TestW4::controlsAsDefined()
{
    QStringList names;
    for (QObject *child : w->children()) {
        if (child->isWidgetType())
            names << child->objectName();
    }
    const QStringList expected{"cb_26", "sle_2", "cb_24", "cb_23", "cb_22", "cb_21", "cb_20", "cb_19",
                               "cb_18", "cb_17", "cb_16", "cb_15", "cb_14", "cb_13", "sle_1", "cb_12",
                               "cb_11", "cb_10", "cb_9",  "cb_8",  "cb_7",  "cb_6",  "cb_5",  "cb_4",
                               "cb_3",  "cb_2",  "cb_1",  "gb_1"};
    // Stacking puts the group box first, behind the rest.
    QCOMPARE(names.size(), 28);
    QCOMPARE(QSet<QString>(names.begin(), names.end()), QSet<QString>(expected.begin(), expected.end()));
    QCOMPARE(names.first(), QStringLiteral("gb_1"));
    for (QPushButton *button : w->findChildren<QPushButton *>()) {
        QVERIFY2(!button->autoDefault(), qPrintable(button->objectName()));
        QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);
    }
    // The group box lies behind the buttons: a button's centre is the button's.
    QPushButton *seven = control<QPushButton>("cb_7");
    QCOMPARE(w->childAt(seven->geometry().center()), seven);
    // The grid: five rows of five buttons, the display above them.
    QCOMPARE(control<QPushButton>("cb_7")->y(), control<QPushButton>("cb_22")->y());
    QVERIFY(control<QPushButton>("cb_24")->y() > display()->geometry().bottom());
    QVERIFY(control<QPushButton>("cb_10")->y() > control<QPushButton>("cb_1")->y());
    QCOMPARE(display()->geometry(), clock()->geometry());
}

void TestW4::secondOpeningBringsTheSameWindow()
{
    click("cb_1");
    click("cb_2");
    QCOMPARE(openCalculator(), w);
    QCOMPARE(display()->text(), QStringLiteral("12"));
    int calculators = 0;
    for (QWidget *top : QApplication::topLevelWidgets())
        calculators += top->objectName() == u"w_4" ? 1 : 0;
    QCOMPARE(calculators, 1);
}

void TestW4::keysPressTheirButtons()
{
    QWidget *focus = QApplication::focusWidget();
    QTest::keyClick(focus, Qt::Key_8, Qt::ShiftModifier); // no physical key offscreen: Qt's key decides
    QTest::keyClick(focus, Qt::Key_Slash, Qt::KeypadModifier);
    QTest::keyClick(focus, Qt::Key_2, Qt::KeypadModifier);
    QTest::keyClick(focus, Qt::Key_Return);
    QCOMPARE(display()->text(), QStringLiteral("4"));
    QTest::keyClick(focus, Qt::Key_Plus); // the main row's + does nothing
    QTest::keyClick(focus, Qt::Key_Period); // nor its point
    QCOMPARE(display()->text(), QStringLiteral("4"));
    QTest::keyClick(focus, Qt::Key_Period, Qt::KeypadModifier);
    QCOMPARE(display()->text(), QStringLiteral("4."));
    QTest::keyClick(focus, Qt::Key_Backspace);
    QCOMPARE(display()->text(), QStringLiteral("4"));
    QTest::keyClick(focus, Qt::Key_Escape);
    QCOMPARE(display()->text(), QStringLiteral("0"));
    QCOMPARE(calculatorShared().rule, short(0));
    QCOMPARE(QApplication::focusWidget(), focus); // a key leaves the focus where it was
}

void TestW4::enterAlwaysPressesEquals()
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QPushButton *close = control<QPushButton>("cb_26");
    QCOMPARE(QApplication::focusWidget(), close);
    QTest::keyClick(close, Qt::Key_Escape);
    QTest::keyClick(close, Qt::Key_5);
    QTest::keyClick(close, Qt::Key_Plus, Qt::KeypadModifier);
    QTest::keyClick(close, Qt::Key_3);
    QTest::keyClick(close, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(display()->text(), QStringLiteral("8"));
    QVERIFY(w->isVisible());
}

void TestW4::displayWithFocusTakesTheKeys()
{
    click("cb_5");
    click("cb_13");
    display()->setFocus();
    QTRY_VERIFY(display()->hasFocus());
    display()->end(false);
    QTest::keyClick(display(), Qt::Key_3);
    QTest::keyClick(display(), Qt::Key_Return);
    QTest::keyClick(display(), Qt::Key_Escape);
    QTest::keyClick(display(), Qt::Key_Plus, Qt::KeypadModifier);
    QCOMPARE(display()->text(), QStringLiteral("03+"));
    QCOMPARE(calculatorShared().rule, short(1)); // Esc did not clear
    QCOMPARE(calculatorShared().nn, short(0)); // Enter did not press "="
    QTest::keyClick(display(), Qt::Key_Backspace);
    click("cb_18");
    QCOMPARE(display()->text(), QStringLiteral("8"));
}

void TestW4::clockShowsDateAndTime()
{
    click("cb_5");
    click("cb_13");
    click("cb_24");
    QVERIFY(clock()->isVisible());
    QVERIFY(!display()->isVisible());
    QCOMPARE(control<QPushButton>("cb_24")->text(), QStringLiteral("关闭"));
    QCOMPARE(clock()->text(), QStringLiteral("2026年3月1日  09:05:07"));
    auto *timer = w->findChild<QTimer *>();
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 1000);

    tools::w_4::setClock([] { return QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58)); });
    QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
    QCOMPARE(clock()->text(), QStringLiteral("2026年12月31日  23:59:58"));

    click("cb_24");
    QVERIFY(display()->isVisible());
    QVERIFY(!clock()->isVisible());
    QCOMPARE(control<QPushButton>("cb_24")->text(), QStringLiteral("时间"));
    QVERIFY(timer->isActive()); // the hidden clock keeps ticking
    click("cb_3");
    click("cb_18");
    QCOMPARE(display()->text(), QStringLiteral("8"));
}

void TestW4::digitInClockModeReturnsToDisplay()
{
    click("cb_24");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Plus, Qt::KeypadModifier);
    QVERIFY(clock()->isVisible()); // an operator leaves the clock shown
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_7);
    QVERIFY(display()->isVisible());
    QVERIFY(!clock()->isVisible());
    QCOMPARE(control<QPushButton>("cb_24")->text(), QStringLiteral("时间"));
    QCOMPARE(display()->text(), QStringLiteral("7"));
}

void TestW4::closingKeepsSharedState()
{
    click("cb_5");
    click("cb_13");
    click("cb_26");
    QTRY_VERIFY(!rt::windows().window(QStringLiteral("w_4")));
    w = openCalculator();
    QCOMPARE(display()->text(), QStringLiteral("0"));
    click("cb_3");
    click("cb_18");
    QCOMPARE(display()->text(), QStringLiteral("8"));
}

QTEST_MAIN(TestW4)
#include "tst_w_4.moc"
