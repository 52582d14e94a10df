// The fourth-year graduation panel on a host window: earlier-year fields, the change signal raised
// only for a changed field, and the result with its grade from the window's year total.
#include "common/grade_scale.h"
#include "graduation_controls.h"
#include "runtime/colors.h"
#include "runtime/fonts.h"
#include "score/graduation_panel.h"
#include "score/my_maskedit.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class GraduationPanelTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { rt::installFontSubstitutions(); }
    void init();
    void cleanup() { delete host.data(); }

    void createdEmptyWithFramesAndTabOrder();
    void changeSignalOnlyForAChangedField();
    void refreshFromTheYearTotal_data();
    void refreshFromTheYearTotal();
    void zeroEmptiesTheWordAndKeepsTheColour();

private:
    template <typename T = my_maskedit> T *control(const char *name) const
    {
        return graduation_test::control<T>(host, name);
    }
    QWidget *focused() const { return QApplication::focusWidget(); }
    QString word() const { return control<QLineEdit>("sle_by_dj")->text(); }
    QColor wordColour() const { return control<QLineEdit>("sle_by_dj")->palette().color(QPalette::Text); }
    void typeAndTab(const char *name, const QString &text) { graduation_test::typeAndLeave(host, name, text); }

    QPointer<QWidget> host;
    score::GraduationPanel *panel = nullptr;
    QPushButton *next = nullptr;
};

void GraduationPanelTest::init()
{
    host = new QWidget;
    host->resize(700, 400);
    panel = new score::GraduationPanel(host);
    next = new QPushButton(QStringLiteral("next"), host);
    next->setObjectName(QStringLiteral("next"));
    QWidget::setTabOrder(panel->lastTabStop(), next);
    QWidget::setTabOrder(next, panel->firstTabStop());
    host->show();
    QApplication::setActiveWindow(host);
    QVERIFY(QTest::qWaitForWindowActive(host));
    panel->firstTabStop()->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(focused(), control<QWidget>("em_c1"));
}

void GraduationPanelTest::createdEmptyWithFramesAndTabOrder()
{
    for (const char *name : {"em_c1", "em_c2", "em_c3", "em_by_cj"})
        QVERIFY2(control(name)->text().isEmpty(), name);
    QVERIFY(word().isEmpty());
    QCOMPARE(control<QGroupBox>("gb_1")->title(), QStringLiteral("毕业成绩"));
    QVERIFY(control<QGroupBox>("gb_2")->title().isEmpty());
    QCOMPARE(control("em_c1")->mask(), my_maskedit::Mask::Score);

    const char *cycle[] = {"em_c1", "em_c2", "em_c3", "next", "em_c1"};
    for (size_t i = 0; i + 1 < std::size(cycle); ++i) {
        QCOMPARE(focused(), control<QWidget>(cycle[i]));
        QTest::keyClick(focused(), Qt::Key_Tab);
    }
    QCOMPARE(focused(), control<QWidget>("em_c1"));

    for (const char *name : {"em_by_cj", "sle_by_dj"}) {
        QTest::mouseClick(control<QWidget>(name), Qt::LeftButton);
        QCOMPARE(focused(), control<QWidget>(name));
    }
}

void GraduationPanelTest::changeSignalOnlyForAChangedField()
{
    QSignalSpy changed(panel, &score::GraduationPanel::earlierYearChanged);
    typeAndTab("em_c1", QString());
    typeAndTab("em_c2", QString());
    typeAndTab("em_c3", QString());
    QCOMPARE(changed.count(), 0);

    QTest::keyClick(focused(), Qt::Key_Tab);
    typeAndTab("em_c1", QString());
    QTest::keyClicks(control("em_c2"), QStringLiteral("88"));
    QTest::keyClick(control("em_c2"), Qt::Key_Return);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(focused(), control<QWidget>("em_c3"));

    // Passing the changed field again without typing raises nothing more.
    QTest::keyClick(focused(), Qt::Key_Backtab);
    typeAndTab("em_c2", QString());
    QCOMPARE(changed.count(), 1);
}

void GraduationPanelTest::refreshFromTheYearTotal_data()
{
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<int>("total");
    QTest::addColumn<QString>("score");
    QTest::addColumn<QString>("word");
    QTest::addColumn<long>("color");
    QTest::newRow("nothing typed and 90") << QStringList{"", "", ""} << 90 << "45.0" << "不及格" << common::kGradeRed;
    QTest::newRow("total 120 counts as 100") << QStringList{"90", "90", "90"} << 120 << "95.0" << "优秀" << common::kGradeBlue;
    QTest::newRow("absence-capped 59") << QStringList{"90", "90", "90"} << 59 << "74.0" << "及格" << common::kGradeGreen;
    QTest::newRow("exact 60 passes") << QStringList{"93", "100", "62"} << 35 << "60.0" << "及格" << common::kGradeGreen;
    QTest::newRow("decimals") << QStringList{"85.5", "90", "77.5"} << 88 << "86.0" << "优秀" << common::kGradeBlue;
}

void GraduationPanelTest::refreshFromTheYearTotal()
{
    QFETCH(QStringList, typed);
    QFETCH(int, total);
    QFETCH(QString, score);
    QFETCH(QString, word);
    QFETCH(long, color);
    typeAndTab("em_c1", typed[0]);
    typeAndTab("em_c2", typed[1]);
    typeAndTab("em_c3", typed[2]);
    panel->refresh(total);
    QCOMPARE(control("em_by_cj")->text(), score);
    QCOMPARE(this->word(), word);
    QCOMPARE(wordColour(), rt::color(color));
}

void GraduationPanelTest::zeroEmptiesTheWordAndKeepsTheColour()
{
    const QColor initial = wordColour();
    panel->refresh(0);
    QCOMPARE(control("em_by_cj")->text(), QStringLiteral("0.0"));
    QVERIFY(word().isEmpty());
    QCOMPARE(wordColour(), initial);

    panel->refresh(100);
    QCOMPARE(word(), QStringLiteral("不及格"));
    panel->refresh(0);
    QVERIFY(word().isEmpty());
    QCOMPARE(wordColour(), rt::color(common::kGradeRed));
}

QTEST_MAIN(GraduationPanelTest)
#include "tst_graduation_panel.moc"
