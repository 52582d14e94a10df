// The graduation window driven through its real controls: tab cycle, computation on a changed field,
// grade colour carried over at 0, and closing.
#include "common/grade_scale.h"
#include "graduation_controls.h"
#include "runtime/colors.h"
#include "runtime/fonts.h"
#include "runtime/registry.h"
#include "score/my_maskedit.h"
#include "score/register.h"
#include "score/w_jsq_by.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <memory>

class GraduationWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void opensModalWithFocusInFirstYearAndClosesByButton();
    void tabCycle();
    void enterMovesOnLikeTab();
    void resultFieldsTakeAClickButNoTab();
    void keysCloseNothing();
    void computesWhenAChangedFieldIsLeft_data();
    void computesWhenAChangedFieldIsLeft();
    void unchangedFieldsComputeNothing();
    void enterInFourthYearComputesAndMovesToClose();
    void zeroEmptiesTheWordAndKeepsTheColour();

private:
    template <typename T = my_maskedit> T *control(const char *name) const
    {
        return graduation_test::control<T>(window, name);
    }
    QWidget *focused() const { return QApplication::focusWidget(); }
    void typeAndTab(const char *name, const QString &text) { graduation_test::typeAndLeave(window, name, text); }
    QColor gradeColour() const { return control<QLineEdit>("sle_by_dj")->palette().color(QPalette::Text); }

    QPointer<w_jsq_by> window;
};

void GraduationWindowTest::initTestCase()
{
    rt::installFontSubstitutions();
    score::registerWindows();
}

void GraduationWindowTest::init()
{
    window = new w_jsq_by;
    window->show();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTRY_COMPARE(focused(), static_cast<QWidget *>(control("em_c1")));
}

void GraduationWindowTest::cleanup() { delete window.data(); }

void GraduationWindowTest::opensModalWithFocusInFirstYearAndClosesByButton()
{
    QVERIFY(rt::windows().hasClass(QStringLiteral("w_jsq_by")));
    bool shown = false;
    auto connection = connect(&rt::windows(), &rt::WindowRegistry::windowShown, this,
                              [&](QWidget *w, const QString &className) {
                                  if (className != QLatin1String("w_jsq_by"))
                                      return;
                                  shown = true;
                                  QCOMPARE(w->windowTitle(), QStringLiteral("毕业成绩计算"));
                                  QVERIFY(QApplication::activeModalWidget() == w);
                                  QApplication::setActiveWindow(w);
                                  QVERIFY(QTest::qWaitForWindowActive(w));
                                  auto *c1 = w->findChild<my_maskedit *>(QStringLiteral("em_c1"));
                                  QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(c1));
                                  QVERIFY(w->findChild<my_maskedit *>(QStringLiteral("em_by_cj"))->text().isEmpty());
                                  QVERIFY(w->findChild<QLineEdit *>(QStringLiteral("sle_by_dj"))->text().isEmpty());
                                  QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("cb_1")),
                                                    Qt::LeftButton);
                              });
    QCOMPARE(rt::windows().open(QStringLiteral("w_jsq_by")), 1);
    disconnect(connection);
    QVERIFY(shown);
    QVERIFY(!rt::windows().window(QStringLiteral("w_jsq_by")));
}

void GraduationWindowTest::tabCycle()
{
    const char *cycle[] = {"em_c1", "em_c2", "em_c3", "em_c4", "cb_1", "em_c1", "em_c2"};
    for (size_t i = 0; i + 1 < std::size(cycle); ++i) {
        QWidget *from = control<QWidget>(cycle[i]);
        QCOMPARE(focused(), from);
        QTest::keyClick(from, Qt::Key_Tab);
        QCOMPARE(focused(), control<QWidget>(cycle[i + 1]));
    }
    QTest::keyClick(focused(), Qt::Key_Backtab);
    QCOMPARE(focused(), control<QWidget>("em_c1"));
    QTest::keyClick(focused(), Qt::Key_Backtab);
    QCOMPARE(focused(), control<QWidget>("cb_1"));
}

void GraduationWindowTest::enterMovesOnLikeTab()
{
    QTest::keyClick(control("em_c1"), Qt::Key_Return);
    QCOMPARE(focused(), control<QWidget>("em_c2"));
    QTest::keyClick(control("em_c2"), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(focused(), control<QWidget>("em_c3"));
}

void GraduationWindowTest::resultFieldsTakeAClickButNoTab()
{
    for (const char *name : {"em_by_cj", "sle_by_dj"}) {
        QWidget *field = control<QWidget>(name);
        QCOMPARE(field->focusPolicy(), Qt::ClickFocus);
        QTest::mouseClick(field, Qt::LeftButton);
        QCOMPARE(focused(), field);
    }
    // From a result field Tab goes back into the cycle.
    QTest::keyClick(focused(), Qt::Key_Tab);
    QVERIFY(focused() != control<QWidget>("em_by_cj") && focused() != control<QWidget>("sle_by_dj"));
}

void GraduationWindowTest::keysCloseNothing()
{
    for (QPushButton *button : window->findChildren<QPushButton *>())
        QVERIFY2(!button->autoDefault() && !button->isDefault(), qPrintable(button->objectName()));
    QCOMPARE(window->windowFlags() & Qt::WindowCloseButtonHint, Qt::WindowFlags());
    // Esc is no cancel key, and Enter on the button presses nothing.
    QTest::keyClick(control("em_c1"), Qt::Key_Escape);
    QVERIFY(window->isVisible());
    control<QPushButton>("cb_1")->setFocus();
    QTest::keyClick(control<QPushButton>("cb_1"), Qt::Key_Return);
    QVERIFY(window->isVisible());
    // The access key of "关闭(&X)" closes at once.
    window->setAttribute(Qt::WA_DeleteOnClose);
    QTest::keyClick(focused(), Qt::Key_X, Qt::AltModifier);
    QTRY_VERIFY(!window);
}

void GraduationWindowTest::computesWhenAChangedFieldIsLeft_data()
{
    QTest::addColumn<QStringList>("typed"); // em_c1 .. em_c4, "" left untouched
    QTest::addColumn<QString>("score");
    QTest::addColumn<QString>("word");
    QTest::addColumn<long>("color");

    QTest::newRow("90 in the first field only")
        << QStringList{"90", "", "", ""} << "15.0" << "不及格" << common::kGradeRed;
    QTest::newRow("exact 60 passes") << QStringList{"93", "100", "62", "35"} << "60.0" << "及格" << common::kGradeGreen;
    QTest::newRow("exact 90") << QStringList{"93", "100", "77", "90"} << "90.0" << "优秀" << common::kGradeBlue;
    QTest::newRow("exact 85 is good") << QStringList{"100", "96", "74", "80"} << "85.0" << "良好" << common::kGradeMagenta;
    QTest::newRow("fourth year 120 not capped")
        << QStringList{"90", "90", "90", "120"} << "105.0" << "优秀" << common::kGradeBlue;
    QTest::newRow("decimals in tenths") << QStringList{"85.5", "90", "77.5", "88.5"} << "86.0" << "优秀" << common::kGradeBlue;
}

void GraduationWindowTest::computesWhenAChangedFieldIsLeft()
{
    QFETCH(QStringList, typed);
    QFETCH(QString, score);
    QFETCH(QString, word);
    QFETCH(long, color);

    const char *fields[] = {"em_c1", "em_c2", "em_c3", "em_c4"};
    for (int i = 0; i < 4; ++i)
        typeAndTab(fields[i], typed[i]);
    QCOMPARE(control("em_by_cj")->text(), score);
    QCOMPARE(control<QLineEdit>("sle_by_dj")->text(), word);
    QCOMPARE(gradeColour(), rt::color(color));
}

void GraduationWindowTest::unchangedFieldsComputeNothing()
{
    const QColor before = gradeColour();
    for (const char *name : {"em_c1", "em_c2", "em_c3", "em_c4"})
        typeAndTab(name, QString());
    QCOMPARE(focused(), control<QWidget>("cb_1"));
    QVERIFY(control("em_by_cj")->text().isEmpty());
    QVERIFY(control<QLineEdit>("sle_by_dj")->text().isEmpty());
    QCOMPARE(gradeColour(), before);

    // A shown result stays when a field is passed again without a change.
    QTest::keyClick(focused(), Qt::Key_Tab);
    typeAndTab("em_c1", QStringLiteral("90"));
    control("em_by_cj")->setText(QStringLiteral("7"));
    QTest::keyClick(focused(), Qt::Key_Backtab);
    typeAndTab("em_c1", QString());
    QCOMPARE(control("em_by_cj")->text(), QStringLiteral("7.0"));
}

void GraduationWindowTest::enterInFourthYearComputesAndMovesToClose()
{
    typeAndTab("em_c1", QString());
    typeAndTab("em_c2", QString());
    typeAndTab("em_c3", QString());
    QTest::keyClicks(control("em_c4"), QStringLiteral("80"));
    QTest::keyClick(control("em_c4"), Qt::Key_Return);
    QCOMPARE(focused(), control<QWidget>("cb_1"));
    QCOMPARE(control("em_by_cj")->text(), QStringLiteral("40.0"));
    QCOMPARE(control<QLineEdit>("sle_by_dj")->text(), QStringLiteral("不及格"));
}

void GraduationWindowTest::zeroEmptiesTheWordAndKeepsTheColour()
{
    for (const char *name : {"em_c1", "em_c2", "em_c3"})
        typeAndTab(name, QString());
    typeAndTab("em_c4", QStringLiteral("120"));
    QCOMPARE(control("em_by_cj")->text(), QStringLiteral("60.0"));
    QCOMPARE(control<QLineEdit>("sle_by_dj")->text(), QStringLiteral("及格"));
    QTest::keyClick(focused(), Qt::Key_Backtab);
    typeAndTab("em_c4", QStringLiteral("0"));
    QCOMPARE(control("em_by_cj")->text(), QStringLiteral("0.0"));
    QVERIFY(control<QLineEdit>("sle_by_dj")->text().isEmpty());
    QCOMPARE(gradeColour(), rt::color(common::kGradeGreen));
}

QTEST_MAIN(GraduationWindowTest)
#include "tst_w_jsq_by.moc"
