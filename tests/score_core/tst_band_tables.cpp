// Band tables of the test items, checked at and just below every threshold as an operator types them.
#include "common/band_tables.h"

#include <QLocale>
#include <QtTest>

using common::Sex;
using common::TestItem;

Q_DECLARE_METATYPE(common::TestItem)
Q_DECLARE_METATYPE(common::Sex)

namespace {

float typed(const char *text) { return QLocale::c().toFloat(QString::fromLatin1(text)); }

struct TableCase {
    const char *name;
    TestItem item;
    Sex sex;
    // Thresholds as typed, and the value just below each, as typed.
    std::array<const char *, 6> at;
    std::array<const char *, 6> below;
    std::array<int, 7> points;
};

const TableCase kCases[] = {
    {"step men", TestItem::StepTest, Sex::Male, {"59", "54", "50", "46", "43", "40"},
     {"58.99", "53.99", "49.99", "45.99", "42.99", "39.99"}, {20, 17, 16, 15, 13, 12, 10}},
    {"step women", TestItem::StepTest, Sex::Female, {"56", "52", "48", "44", "42", "25"},
     {"55.99", "51.99", "47.99", "43.99", "41.99", "24.99"}, {20, 17, 16, 15, 13, 12, 10}},
    {"run1000", TestItem::Run1000, Sex::Male, {"5.05", "4.30", "4.19", "4.01", "3.40", "3.37"},
     {"5.04", "4.29", "4.18", "4.00", "3.39", "3.36"}, {10, 12, 13, 15, 16, 17, 20}},
    {"run800", TestItem::Run800, Sex::Female, {"5.04", "4.31", "4.20", "4.01", "3.46", "3.38"},
     {"5.03", "4.30", "4.19", "4.00", "3.45", "3.37"}, {10, 12, 13, 15, 16, 17, 20}},
    {"vital men", TestItem::VitalCapacityIndex, Sex::Male, {"75", "70", "64", "57", "54", "44"},
     {"74.99", "69.99", "63.99", "56.99", "53.99", "43.99"}, {15, 13, 12, 11, 10, 9, 8}},
    {"vital women", TestItem::VitalCapacityIndex, Sex::Female, {"61", "57", "51", "46", "42", "32"},
     {"60.99", "56.99", "50.99", "45.99", "41.99", "31.99"}, {15, 13, 12, 11, 10, 9, 8}},
    {"run50 men", TestItem::Run50, Sex::Male, {"8.5", "8.1", "7.8", "7.4", "7.1", "6.9"},
     {"8.49", "8.09", "7.79", "7.39", "7.09", "6.89"}, {15, 18, 20, 23, 25, 26, 30}},
    {"run50 women", TestItem::Run50, Sex::Female, {"11.1", "9.9", "9.7", "9.2", "8.8", "8.4"},
     {"11.09", "9.89", "9.69", "9.19", "8.79", "8.39"}, {15, 18, 20, 23, 25, 26, 30}},
    {"jump men", TestItem::StandingLongJump, Sex::Male, {"255", "250", "239", "227", "220", "195"},
     {"254.99", "249.99", "238.99", "226.99", "219.99", "194.99"}, {30, 26, 25, 23, 20, 18, 15}},
    {"jump women", TestItem::StandingLongJump, Sex::Female, {"196", "187", "178", "166", "161", "139"},
     {"195.99", "186.99", "177.99", "165.99", "160.99", "138.99"}, {30, 26, 25, 23, 20, 18, 15}},
    {"reach men", TestItem::SitAndReach, Sex::Male, {"18.1", "16.0", "12.3", "8.9", "6.7", "0.1"},
     {"18.09", "15.99", "12.29", "8.89", "6.69", "0.09"}, {20, 17, 16, 15, 13, 12, 10}},
    {"reach women", TestItem::SitAndReach, Sex::Female, {"18.1", "16.2", "13.0", "9.0", "7.8", "3.0"},
     {"18.09", "16.19", "12.99", "8.99", "7.79", "2.99"}, {20, 17, 16, 15, 13, 12, 10}},
    {"situps", TestItem::SitUps, Sex::Female, {"44", "41", "35", "28", "24", "20"},
     {"43.99", "40.99", "34.99", "27.99", "23.99", "19.99"}, {20, 17, 16, 15, 13, 12, 10}},
    {"grip men", TestItem::GripIndex, Sex::Male, {"75", "70", "63", "56", "51", "41"},
     {"74.99", "69.99", "62.99", "55.99", "50.99", "40.99"}, {20, 17, 16, 15, 13, 12, 10}},
    {"grip women", TestItem::GripIndex, Sex::Female, {"57", "52", "46", "40", "36", "29"},
     {"56.99", "51.99", "45.99", "39.99", "35.99", "28.99"}, {20, 17, 16, 15, 13, 12, 10}},
};

} // namespace

class TestBandTables : public QObject {
    Q_OBJECT
private slots:
    void thresholds_data();
    void thresholds();
    void singleTablesIgnoreSex_data();
    void singleTablesIgnoreSex();
    void notPositiveScoresZero_data();
    void notPositiveScoresZero();
    void namedCases_data();
    void namedCases();
    void vitalCapacity_data();
    void vitalCapacity();

private:
    // Rows of an item, a sex, a typed value and the points it scores.
    static void addPointColumns()
    {
        QTest::addColumn<TestItem>("item");
        QTest::addColumn<Sex>("sex");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("points");
    }
    static void verifyPoints()
    {
        QFETCH(TestItem, item);
        QFETCH(Sex, sex);
        QFETCH(QString, value);
        QFETCH(int, points);
        QCOMPARE(common::scoreItem(item, sex, typed(value.toLatin1().constData())), points);
    }
};

void TestBandTables::thresholds_data()
{
    addPointColumns();
    for (const TableCase &c : kCases) {
        for (int k = 0; k < 6; ++k) {
            QTest::addRow("%s at t%d %s", c.name, k + 1, c.at[k])
                << c.item << c.sex << QString::fromLatin1(c.at[k]) << c.points[k];
            QTest::addRow("%s below t%d %s", c.name, k + 1, c.below[k])
                << c.item << c.sex << QString::fromLatin1(c.below[k]) << c.points[k + 1];
        }
        QTest::addRow("%s band 7 at 0.01", c.name) << c.item << c.sex << QStringLiteral("0.01") << c.points[6];
        QTest::addRow("%s band 1 far above", c.name) << c.item << c.sex << QStringLiteral("999999.99") << c.points[0];
    }
}

void TestBandTables::thresholds() { verifyPoints(); }

void TestBandTables::singleTablesIgnoreSex_data()
{
    QTest::addColumn<TestItem>("item");
    QTest::addColumn<QString>("value");
    QTest::addRow("run1000 4.30") << TestItem::Run1000 << QStringLiteral("4.30");
    QTest::addRow("run1000 3.36") << TestItem::Run1000 << QStringLiteral("3.36");
    QTest::addRow("run800 3.38") << TestItem::Run800 << QStringLiteral("3.38");
    QTest::addRow("run800 5.04") << TestItem::Run800 << QStringLiteral("5.04");
    QTest::addRow("situps 44") << TestItem::SitUps << QStringLiteral("44");
    QTest::addRow("situps 19") << TestItem::SitUps << QStringLiteral("19");
}

void TestBandTables::singleTablesIgnoreSex()
{
    QFETCH(TestItem, item);
    QFETCH(QString, value);
    const float v = typed(value.toLatin1().constData());
    QCOMPARE(common::scoreItem(item, Sex::Male, v), common::scoreItem(item, Sex::Female, v));
    QVERIFY(!common::hasTablePerSex(item));
}

void TestBandTables::notPositiveScoresZero_data()
{
    QTest::addColumn<TestItem>("item");
    QTest::addColumn<Sex>("sex");
    QTest::addColumn<float>("value");
    for (const TableCase &c : kCases) {
        QTest::addRow("%s zero", c.name) << c.item << c.sex << 0.0f;
        QTest::addRow("%s negative", c.name) << c.item << c.sex << -5.0f;
    }
}

void TestBandTables::notPositiveScoresZero()
{
    QFETCH(TestItem, item);
    QFETCH(Sex, sex);
    QFETCH(float, value);
    QCOMPARE(common::scoreItem(item, sex, value), 0);
}

void TestBandTables::namedCases_data()
{
    addPointColumns();
    QTest::addRow("run800 typed 4.7 is 4.70") << TestItem::Run800 << Sex::Female << QStringLiteral("4.7") << 12;
    QTest::addRow("run1000 3.75 as a decimal") << TestItem::Run1000 << Sex::Male << QStringLiteral("3.75") << 16;
    QTest::addRow("run1000 seconds over 60 compared as decimal") << TestItem::Run1000 << Sex::Male
                                                                 << QStringLiteral("3.65") << 16;
    QTest::addRow("reach men 0.05 band 7") << TestItem::SitAndReach << Sex::Male << QStringLiteral("0.05") << 10;
    QTest::addRow("grip 56 men") << TestItem::GripIndex << Sex::Male << QStringLiteral("56") << 15;
    QTest::addRow("grip 56 women") << TestItem::GripIndex << Sex::Female << QStringLiteral("56") << 17;
    QTest::addRow("grip 60 men") << TestItem::GripIndex << Sex::Male << QStringLiteral("60") << 15;
    QTest::addRow("grip 60 women") << TestItem::GripIndex << Sex::Female << QStringLiteral("60") << 20;
    QTest::addRow("step 45 men") << TestItem::StepTest << Sex::Male << QStringLiteral("45") << 13;
    QTest::addRow("step 45 women") << TestItem::StepTest << Sex::Female << QStringLiteral("45") << 15;
    QTest::addRow("jump 200 men") << TestItem::StandingLongJump << Sex::Male << QStringLiteral("200") << 18;
    QTest::addRow("jump 200 women") << TestItem::StandingLongJump << Sex::Female << QStringLiteral("200") << 30;
    QTest::addRow("run50 7.6 men") << TestItem::Run50 << Sex::Male << QStringLiteral("7.6") << 23;
}

void TestBandTables::namedCases() { verifyPoints(); }

void TestBandTables::vitalCapacity_data()
{
    QTest::addColumn<float>("capacity");
    QTest::addColumn<float>("weight");
    QTest::addColumn<Sex>("sex");
    QTest::addColumn<bool>("missingWeight");
    QTest::addColumn<int>("points");
    QTest::addRow("3500/60 men 11") << 3500.0f << 60.0f << Sex::Male << false << 11;
    QTest::addRow("3500/60 women 13") << 3500.0f << 60.0f << Sex::Female << false << 13;
    QTest::addRow("2640/60 is exactly 44, men 9") << 2640.0f << 60.0f << Sex::Male << false << 9;
    QTest::addRow("2999/40 is 74.975, men 13") << 2999.0f << 40.0f << Sex::Male << false << 13;
    QTest::addRow("3000/40 is 75, men 15") << 3000.0f << 40.0f << Sex::Male << false << 15;
    QTest::addRow("2440/40 is 61, women 15") << 2440.0f << 40.0f << Sex::Female << false << 15;
    QTest::addRow("capacity without weight") << 3500.0f << 0.0f << Sex::Male << true << 0;
    QTest::addRow("capacity with negative weight") << 3500.0f << -1.0f << Sex::Female << true << 0;
    QTest::addRow("neither capacity nor weight") << 0.0f << 0.0f << Sex::Male << false << 0;
    QTest::addRow("weight without capacity") << 0.0f << 60.0f << Sex::Male << false << 0;
    QTest::addRow("negative capacity") << -100.0f << 60.0f << Sex::Male << false << 0;
}

void TestBandTables::vitalCapacity()
{
    QFETCH(float, capacity);
    QFETCH(float, weight);
    QFETCH(Sex, sex);
    QFETCH(bool, missingWeight);
    QFETCH(int, points);
    const common::VitalCapacityScore s = common::scoreVitalCapacity(capacity, weight, sex);
    QCOMPARE(s.missingWeight, missingWeight);
    if (!missingWeight)
        QCOMPARE(s.points, points);
}

QTEST_GUILESS_MAIN(TestBandTables)
#include "tst_band_tables.moc"
