// The school-year total and grade from the score edits' values, enabled states and the boxes.
#include "common/year_total.h"

#include <QtTest>

using common::TestItem;
using common::YearTotalInput;

Q_DECLARE_METATYPE(common::YearTotalInput)

namespace {

// Scores in sum order s, f, t, 1, 8, 5, l, z, y, w; every item counted unless told otherwise.
YearTotalInput input(std::initializer_list<float> scores, std::initializer_list<bool> bonus = {},
                     bool absence = false)
{
    YearTotalInput in;
    int i = 0;
    for (float s : scores)
        in.scores[i++] = s;
    in.counted.fill(true);
    i = 0;
    for (bool b : bonus)
        in.bonus[i++] = b;
    in.absence = absence;
    return in;
}

} // namespace

class TestYearTotal : public QObject {
    Q_OBJECT
private slots:
    void total_data();
    void total();
    void disabledItemsDoNotCount();
    void fixedItemsAlwaysCount();
};

void TestYearTotal::total_data()
{
    QTest::addColumn<YearTotalInput>("in");
    QTest::addColumn<int>("score");
    QTest::addColumn<QString>("word");
    QTest::addColumn<long>("color"); // -1: the colour stays unchanged

    QTest::addRow("86 excellent") << input({15, 15, 20, 0, 0, 30, 0, 6}) << 86 << "优秀" << common::kGradeBlue;
    QTest::addRow("85 good") << input({15, 15, 20, 0, 0, 30, 0, 5}) << 85 << "良好" << common::kGradeMagenta;
    QTest::addRow("76 good") << input({15, 15, 20, 0, 0, 26}) << 76 << "良好" << common::kGradeMagenta;
    QTest::addRow("75 pass") << input({15, 15, 20, 0, 0, 25}) << 75 << "及格" << common::kGradeGreen;
    QTest::addRow("60 pass") << input({15, 15, 20, 10}) << 60 << "及格" << common::kGradeGreen;
    QTest::addRow("59 fail") << input({15, 15, 20, 9}) << 59 << "不及格" << common::kGradeRed;
    QTest::addRow("1 fail") << input({1}) << 1 << "不及格" << common::kGradeRed;
    QTest::addRow("0 empty, colour kept") << input({}) << 0 << "" << -1L;
    QTest::addRow("58 and a bonus 63") << input({15, 13, 20, 10}, {true}) << 63 << "及格" << common::kGradeGreen;
    QTest::addRow("58, bonus and absence 59") << input({15, 13, 20, 10}, {true}, true) << 59 << "不及格"
                                              << common::kGradeRed;
    QTest::addRow("100 and four bonuses 120") << input({15, 15, 20, 0, 0, 30, 0, 20}, {true, true, true, true})
                                              << 120 << "优秀" << common::kGradeBlue;
    QTest::addRow("120 with absence 59") << input({15, 15, 20, 0, 0, 30, 0, 20}, {true, true, true, true}, true)
                                         << 59 << "不及格" << common::kGradeRed;
    QTest::addRow("80 with absence 59") << input({15, 15, 20, 0, 0, 30}, {}, true) << 59 << "不及格"
                                        << common::kGradeRed;
    QTest::addRow("45 with absence not raised") << input({15, 15, 15}, {}, true) << 45 << "不及格"
                                                << common::kGradeRed;
    QTest::addRow("nothing with absence 0 fail") << input({}, {}, true) << 0 << "不及格" << common::kGradeRed;
    QTest::addRow("only four bonuses 20") << input({}, {true, true, true, true}) << 20 << "不及格"
                                          << common::kGradeRed;
    QTest::addRow("12.5 + 12.5 is 24") << input({12.5f, 12.5f}) << 24 << "不及格" << common::kGradeRed;
    QTest::addRow("15.5 + 15.5 is 30") << input({15.5f, 15.5f}) << 30 << "不及格" << common::kGradeRed;
    QTest::addRow("9.9 alone is 9") << input({9.9f}) << 9 << "不及格" << common::kGradeRed;
    QTest::addRow("30 then 12.7 is 42") << input({15, 15, 12.7f}) << 42 << "不及格" << common::kGradeRed;
    QTest::addRow("83 plus two bonuses 93") << input({15, 13, 17, 0, 0, 25, 0, 13}, {true, false, true}) << 93
                                            << "优秀" << common::kGradeBlue;
}

void TestYearTotal::total()
{
    QFETCH(YearTotalInput, in);
    QFETCH(int, score);
    QFETCH(QString, word);
    QFETCH(long, color);
    const common::YearTotal t = common::yearTotal(in);
    QCOMPARE(t.score, score);
    QCOMPARE(t.grade.word, word);
    if (color < 0)
        QVERIFY(!t.grade.color.has_value());
    else
        QCOMPARE(t.grade.color, std::optional<long>(color));
}

void TestYearTotal::disabledItemsDoNotCount()
{
    // 15 + 13 + 20 (step) + 26 (run50) + 16 (reach), the run and sit-ups scores disabled.
    YearTotalInput in = input({15, 13, 20, 17, 20, 26, 0, 16, 20, 0});
    in.counted[common::indexOf(TestItem::Run1000)] = false;
    in.counted[common::indexOf(TestItem::Run800)] = false;
    in.counted[common::indexOf(TestItem::SitUps)] = false;
    common::YearTotal t = common::yearTotal(in);
    QCOMPARE(t.score, 90);
    QCOMPARE(t.grade.word, QStringLiteral("优秀"));
    // Enabled again, the kept score counts again.
    in.counted[common::indexOf(TestItem::SitUps)] = true;
    QCOMPARE(common::yearTotal(in).score, 110);
}

void TestYearTotal::fixedItemsAlwaysCount()
{
    YearTotalInput in = input({15, 13});
    in.counted.fill(false);
    QCOMPARE(common::yearTotal(in).score, 28);
}

QTEST_GUILESS_MAIN(TestYearTotal)
#include "tst_year_total.moc"
