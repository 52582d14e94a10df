// The graduation score of both windows, in exact tenths, with the cap of the fourth-year window.
#include "common/graduation.h"
#include "common/year_total.h"

#include <QTest>

using common::GraduationResult;

namespace {
enum class Window { FourthYear, Graduation };
}
Q_DECLARE_METATYPE(Window)

class GraduationCoreTest : public QObject {
    Q_OBJECT
private slots:
    void score_data();
    void score();
    void absenceLowersTheTermButNotTheGrade();
    void bonusesAboveTheCapCountAsHundred();
    void tenthsRoundToNearest_data();
    void tenthsRoundToNearest();
};

void GraduationCoreTest::score_data()
{
    QTest::addColumn<Window>("window");
    QTest::addColumn<float>("c1");
    QTest::addColumn<float>("c2");
    QTest::addColumn<float>("c3");
    QTest::addColumn<float>("fourth"); // the year total in the fourth-year window, typed in the other
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("word");
    QTest::addColumn<long>("color"); // -1: no colour, the field keeps its own

    constexpr long none = -1;
    const auto F = Window::FourthYear;
    const auto G = Window::Graduation;
    const QString excellent = QStringLiteral("优秀"), good = QStringLiteral("良好"),
                  pass = QStringLiteral("及格"), fail = QStringLiteral("不及格");

    // Fourth-year window.
    QTest::newRow("dx4 nothing typed and 90 gives 45") << F << 0.f << 0.f << 0.f << 90.f << 45 << fail << common::kGradeRed;
    QTest::newRow("dx4 80 80 80 80") << F << 80.f << 80.f << 80.f << 80.f << 80 << good << common::kGradeMagenta;
    QTest::newRow("dx4 100 100 100 100") << F << 100.f << 100.f << 100.f << 100.f << 100 << excellent << common::kGradeBlue;
    QTest::newRow("dx4 total 120 counts as 100") << F << 90.f << 90.f << 90.f << 120.f << 95 << excellent << common::kGradeBlue;
    QTest::newRow("dx4 total 101 counts as 100") << F << 90.f << 90.f << 90.f << 101.f << 95 << excellent << common::kGradeBlue;
    QTest::newRow("dx4 absence-capped 59 grades on its own") << F << 90.f << 90.f << 90.f << 59.f << 74 << pass << common::kGradeGreen;
    QTest::newRow("dx4 85.5 90 77.5 88") << F << 85.5f << 90.f << 77.5f << 88.f << 86 << excellent << common::kGradeBlue;
    QTest::newRow("dx4 93 100 77 90 exact 90") << F << 93.f << 100.f << 77.f << 90.f << 90 << excellent << common::kGradeBlue;
    QTest::newRow("dx4 100 96 74 80 exact 85") << F << 100.f << 96.f << 74.f << 80.f << 85 << good << common::kGradeMagenta;
    QTest::newRow("dx4 100 99 95 74 exact 86") << F << 100.f << 99.f << 95.f << 74.f << 86 << excellent << common::kGradeBlue;
    QTest::newRow("dx4 93 100 62 35 exact 60 passes") << F << 93.f << 100.f << 62.f << 35.f << 60 << pass << common::kGradeGreen;
    QTest::newRow("dx4 1 10 1 0 exact 2") << F << 1.f << 10.f << 1.f << 0.f << 2 << fail << common::kGradeRed;
    QTest::newRow("dx4 all 0 no word no colour") << F << 0.f << 0.f << 0.f << 0.f << 0 << QString() << none;
    QTest::newRow("dx4 59.9 truncates to 59") << F << 59.9f << 59.9f << 59.9f << 60.f << 59 << fail << common::kGradeRed;
    QTest::newRow("dx4 tenths summed before truncating") << F << 0.1f << 0.2f << 0.3f << 0.f << 0 << QString() << none;

    // Graduation window.
    QTest::newRow("by 90 in the first field only gives 15") << G << 90.f << 0.f << 0.f << 0.f << 15 << fail << common::kGradeRed;
    QTest::newRow("by 80 80 80 80") << G << 80.f << 80.f << 80.f << 80.f << 80 << good << common::kGradeMagenta;
    QTest::newRow("by 100 100 100 100") << G << 100.f << 100.f << 100.f << 100.f << 100 << excellent << common::kGradeBlue;
    QTest::newRow("by 120 is not capped") << G << 90.f << 90.f << 90.f << 120.f << 105 << excellent << common::kGradeBlue;
    QTest::newRow("by 99 100 77 110") << G << 99.f << 100.f << 77.f << 110.f << 101 << excellent << common::kGradeBlue;
    QTest::newRow("by 93 100 77 90 exact 90") << G << 93.f << 100.f << 77.f << 90.f << 90 << excellent << common::kGradeBlue;
    QTest::newRow("by 100 96 74 80 exact 85") << G << 100.f << 96.f << 74.f << 80.f << 85 << good << common::kGradeMagenta;
    QTest::newRow("by 100 99 95 74 exact 86") << G << 100.f << 99.f << 95.f << 74.f << 86 << excellent << common::kGradeBlue;
    QTest::newRow("by 93 100 62 35 exact 60 passes") << G << 93.f << 100.f << 62.f << 35.f << 60 << pass << common::kGradeGreen;
    QTest::newRow("by 1 10 1 0 exact 2") << G << 1.f << 10.f << 1.f << 0.f << 2 << fail << common::kGradeRed;
    QTest::newRow("by 0 everywhere no word no colour") << G << 0.f << 0.f << 0.f << 0.f << 0 << QString() << none;
    QTest::newRow("by fourth-year half a tenth 0.1") << G << 0.f << 0.f << 0.f << 0.1f << 0 << QString() << none;
    QTest::newRow("by 85.5 90 77.5 88.5") << G << 85.5f << 90.f << 77.5f << 88.5f << 86 << excellent << common::kGradeBlue;
    QTest::newRow("by 77.7 77.7 77.7 77.7 exact 77.7") << G << 77.7f << 77.7f << 77.7f << 77.7f << 77 << good << common::kGradeMagenta;
}

void GraduationCoreTest::score()
{
    QFETCH(Window, window);
    QFETCH(float, c1);
    QFETCH(float, c2);
    QFETCH(float, c3);
    QFETCH(float, fourth);
    QFETCH(int, expected);
    QFETCH(QString, word);
    QFETCH(long, color);

    const GraduationResult r = window == Window::FourthYear
                                   ? common::fourthYearGraduation(c1, c2, c3, int(fourth))
                                   : common::graduation(c1, c2, c3, fourth);
    QCOMPARE(r.score, expected);
    QCOMPARE(r.grade.word, word);
    if (color < 0)
        QVERIFY(!r.grade.color.has_value());
    else
        QCOMPARE(r.grade.color.value_or(-1), color);
}

namespace {
// A fourth-year total from the fixed items and three optional ones.
common::YearTotalInput yearInput(float s, float f, float t, float five, float z)
{
    using common::TestItem;
    common::YearTotalInput in;
    for (auto [item, score] : {std::pair{TestItem::HeightStandardWeight, s}, {TestItem::VitalCapacityIndex, f},
                               {TestItem::StepTest, t}, {TestItem::Run50, five}, {TestItem::SitAndReach, z}}) {
        in.scores[common::indexOf(item)] = score;
        in.counted[common::indexOf(item)] = true;
    }
    return in;
}
} // namespace

void GraduationCoreTest::absenceLowersTheTermButNotTheGrade()
{
    common::YearTotalInput in = yearInput(15, 13, 20, 20, 12); // 80
    in.absence = true;
    const common::YearTotal year = common::yearTotal(in);
    QCOMPARE(year.score, 59);
    QCOMPARE(year.grade.word, QStringLiteral("不及格"));

    const GraduationResult r = common::fourthYearGraduation(90, 90, 90, year.score);
    QCOMPARE(r.score, 74);
    QCOMPARE(r.grade.word, QStringLiteral("及格"));
    QCOMPARE(r.grade.color.value_or(-1), common::kGradeGreen);
}

void GraduationCoreTest::bonusesAboveTheCapCountAsHundred()
{
    common::YearTotalInput in = yearInput(15, 15, 20, 30, 20); // 100
    in.bonus = {true, true, true, true};
    const common::YearTotal year = common::yearTotal(in);
    QCOMPARE(year.score, 120);
    QCOMPARE(common::fourthYearGraduation(90, 90, 90, year.score).score, 95);
    // Typed into the graduation window the same 120 is not capped.
    QCOMPARE(common::graduation(90, 90, 90, float(year.score)).score, 105);
}

void GraduationCoreTest::tenthsRoundToNearest_data()
{
    QTest::addColumn<float>("score");
    QTest::addColumn<int>("tenths");
    QTest::newRow("0") << 0.f << 0;
    QTest::newRow("77.7 stored below 77.7") << 77.7f << 777;
    QTest::newRow("0.3 stored above 0.3") << 0.3f << 3;
    QTest::newRow("85.5 exact") << 85.5f << 855;
    QTest::newRow("largest score of the mask") << 999999.9f << 9999999;
}

void GraduationCoreTest::tenthsRoundToNearest()
{
    QFETCH(float, score);
    QFETCH(int, tenths);
    QCOMPARE(common::scoreInTenths(score), tenths);
}

QTEST_GUILESS_MAIN(GraduationCoreTest)
#include "tst_graduation_core.moc"
