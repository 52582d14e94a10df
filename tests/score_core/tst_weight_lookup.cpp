// The weight-limit lookup on the real data source, SQLite and PostgreSQL alike, with the shipped
// tables: the row of the height's whole centimetre at whole and decimal heights, for men and women,
// after the clamp, and a weight on each limit.
#include "common/height_weight.h"
#include "common/weight_limits.h"
#include "test_data_source.h"

#include <QtTest>
#include <cmath>
#include <memory>

using common::HeightWeightScore;
using common::Sex;
using common::WeightLimitLookup;

Q_DECLARE_METATYPE(common::Sex)

class TestWeightLookup : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        source = std::make_unique<TestDataSource>();
        QVERIFY2(source->isValid(), qPrintable(source->error()));
        QCOMPARE(TestDataSource::connectSqlca(), 0L);
    }
    void cleanupTestCase() { source.reset(); }

    void rowOfTheHeight_data();
    void rowOfTheHeight();
    void weightOnEachLimit_data();
    void weightOnEachLimit();
    void missingRowNullAndFailure();

private:
    // The limits of row s as the fixture reads them, as floats.
    common::WeightLimits rowLimits(Sex sex, int s)
    {
        common::WeightLimits z{};
        const QString table = sex == Sex::Male ? QStringLiteral("dx1234_m") : QStringLiteral("dx1234_w");
        for (int i = 0; i < 4; ++i)
            z[i] = source->scalar(QStringLiteral("SELECT z%1 FROM %2 WHERE s = ?").arg(i + 1).arg(table), {s}).toFloat();
        return z;
    }

    std::unique_ptr<TestDataSource> source;
};

void TestWeightLookup::rowOfTheHeight_data()
{
    QTest::addColumn<Sex>("sex");
    QTest::addColumn<float>("height");
    QTest::addColumn<int>("row");
    QTest::addRow("man 170 whole: row 170") << Sex::Male << 170.0f << 170;
    QTest::addRow("man 170.5 decimal: row 170") << Sex::Male << 170.5f << 170;
    QTest::addRow("man 170.99: row 170") << Sex::Male << 170.99f << 170;
    QTest::addRow("man 140: row 140, not raised") << Sex::Male << 140.0f << 140;
    QTest::addRow("man 139.5 raised to 140.5: row 140") << Sex::Male << 139.5f << 140;
    QTest::addRow("man 120 raised to 140: row 140") << Sex::Male << 120.0f << 140;
    QTest::addRow("man 190.9: row 190, not lowered") << Sex::Male << 190.9f << 190;
    QTest::addRow("man 191 lowered to 190") << Sex::Male << 191.0f << 190;
    QTest::addRow("man 200.5 lowered to 190.5") << Sex::Male << 200.5f << 190;
    QTest::addRow("woman 155 whole: row 155") << Sex::Female << 155.0f << 155;
    QTest::addRow("woman 165.3 decimal: row 165") << Sex::Female << 165.3f << 165;
    QTest::addRow("woman 186.99: row 186, not lowered") << Sex::Female << 186.99f << 186;
    QTest::addRow("woman 187 lowered to 186") << Sex::Female << 187.0f << 186;
    QTest::addRow("woman 189.5 lowered to 186.5") << Sex::Female << 189.5f << 186;
    QTest::addRow("woman 135.5 raised to 140.5") << Sex::Female << 135.5f << 140;
}

void TestWeightLookup::rowOfTheHeight()
{
    QFETCH(Sex, sex);
    QFETCH(float, height);
    QFETCH(int, row);
    const HeightWeightScore r = common::scoreHeightWeight({height, 60.0f}, sex, common::lookupWeightLimits);
    QCOMPARE(r.outcome, HeightWeightScore::Outcome::Scored);
    QCOMPARE(r.wholeHeight(), row);
    QCOMPARE(r.limits, rowLimits(sex, row));
    QCOMPARE(r.points, common::weightBandPoints(r.body.weight, r.limits));
}

void TestWeightLookup::weightOnEachLimit_data()
{
    QTest::addColumn<Sex>("sex");
    QTest::addColumn<float>("height");
    QTest::addColumn<int>("limit"); // 1 to 4, or 0 for just below z1
    QTest::addColumn<int>("points");
    struct Case {
        const char *who;
        Sex sex;
        float height;
    };
    for (const Case &c : {Case{"man 170", Sex::Male, 170.0f}, Case{"woman 165.5", Sex::Female, 165.5f}}) {
        QTest::addRow("%s just below z1", c.who) << c.sex << c.height << 0 << 7;
        QTest::addRow("%s on z1", c.who) << c.sex << c.height << 1 << 9;
        QTest::addRow("%s on z2", c.who) << c.sex << c.height << 2 << 15;
        QTest::addRow("%s on z3", c.who) << c.sex << c.height << 3 << 9;
        QTest::addRow("%s on z4", c.who) << c.sex << c.height << 4 << 7;
    }
}

void TestWeightLookup::weightOnEachLimit()
{
    QFETCH(Sex, sex);
    QFETCH(float, height);
    QFETCH(int, limit);
    QFETCH(int, points);
    const common::WeightLimits z = rowLimits(sex, int(height));
    const float weight = limit == 0 ? std::nextafter(z[0], 0.0f) : z[limit - 1];
    const HeightWeightScore r = common::scoreHeightWeight({height, weight}, sex, common::lookupWeightLimits);
    QCOMPARE(r.outcome, HeightWeightScore::Outcome::Scored);
    QCOMPARE(r.limits, z);
    QCOMPARE(r.points, points);
}

void TestWeightLookup::missingRowNullAndFailure()
{
    source.reset();
    source = std::make_unique<TestDataSource>();
    QVERIFY(source->exec(QStringLiteral("DELETE FROM dx1234_m WHERE s = 170")));
    // A table whose limits may be NULL.
    QVERIFY(source->exec(QStringLiteral("DROP TABLE dx1234_w")));
    QVERIFY(source->exec(QStringLiteral("CREATE TABLE dx1234_w (s INTEGER PRIMARY KEY, z1 REAL, z2 REAL, z3 REAL, z4 REAL)")));
    QVERIFY(source->exec(QStringLiteral("INSERT INTO dx1234_w VALUES (160, 45.0, NULL, 55.0, 60.0)")));
    QCOMPARE(TestDataSource::connectSqlca(), 0L);

    WeightLimitLookup l = common::lookupWeightLimits(Sex::Male, 170.5f);
    QCOMPARE(l.status, WeightLimitLookup::Status::NoRow);

    l = common::lookupWeightLimits(Sex::Female, 160.0f);
    QCOMPARE(l.status, WeightLimitLookup::Status::Found);
    QCOMPARE(l.limits[0], std::optional<float>(45.0f));
    QVERIFY(!l.limits[1].has_value());

    QVERIFY(source->exec(QStringLiteral("DROP TABLE dx1234_m")));
    l = common::lookupWeightLimits(Sex::Male, 160.0f);
    QCOMPARE(l.status, WeightLimitLookup::Status::Failed);
    QVERIFY2(l.error.contains(QLatin1String("dx1234_m")), qPrintable(l.error));
}

QTEST_GUILESS_MAIN(TestWeightLookup)
#include "tst_weight_lookup.moc"
