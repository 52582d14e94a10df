// Height clamp, weight bands and the height-and-weight score over a lookup.
#include "common/height_weight.h"

#include <QtTest>
#include <limits>

using common::Body;
using common::HeightWeightScore;
using common::Sex;
using common::WeightLimitLookup;

Q_DECLARE_METATYPE(common::Sex)

namespace {

// Weight after `steps` single-precision steps of `delta`.
float stepped(float weight, float delta, int steps)
{
    for (int i = 0; i < steps; ++i)
        weight = weight + delta;
    return weight;
}

WeightLimitLookup found(float z1, float z2, float z3, float z4)
{
    WeightLimitLookup l;
    l.status = WeightLimitLookup::Status::Found;
    l.limits = {z1, z2, z3, z4};
    return l;
}

} // namespace

class TestHeightWeight : public QObject {
    Q_OBJECT
private slots:
    void clamp_data();
    void clamp();
    void clampOfLargestInputEnds();
    void weightBands_data();
    void weightBands();
    void weightOnLimitOfSameDecimal();
    void outcomes();
    void lookupTakesTheClampedHeight();
};

void TestHeightWeight::clamp_data()
{
    QTest::addColumn<Sex>("sex");
    QTest::addColumn<float>("height");
    QTest::addColumn<float>("weight");
    QTest::addColumn<float>("clampedHeight");
    QTest::addColumn<float>("clampedWeight");
    QTest::addColumn<int>("row");
    QTest::addRow("139.5/50 raised once") << Sex::Male << 139.5f << 50.0f << 140.5f << 50.5f << 140;
    QTest::addRow("120/30 raised twenty times") << Sex::Male << 120.0f << 30.0f << 140.0f << 40.0f << 140;
    QTest::addRow("138/50 man") << Sex::Male << 138.0f << 50.0f << 140.0f << 51.0f << 140;
    QTest::addRow("140 stays") << Sex::Female << 140.0f << 50.0f << 140.0f << 50.0f << 140;
    QTest::addRow("man 191 lowered") << Sex::Male << 191.0f << 70.0f << 190.0f << 70.0f - 0.9f << 190;
    QTest::addRow("man 190.9 stays") << Sex::Male << 190.9f << 70.0f << 190.9f << 70.0f << 190;
    QTest::addRow("man 189.5 stays") << Sex::Male << 189.5f << 60.0f << 189.5f << 60.0f << 189;
    QTest::addRow("man 189 stays") << Sex::Male << 189.0f << 60.0f << 189.0f << 60.0f << 189;
    QTest::addRow("woman 189 three steps") << Sex::Female << 189.0f << 60.0f << 186.0f << stepped(60.0f, -0.9f, 3)
                                           << 186;
    QTest::addRow("woman 189.5 three steps") << Sex::Female << 189.5f << 60.0f << 186.5f
                                             << stepped(60.0f, -0.9f, 3) << 186;
    QTest::addRow("woman 187 lowered") << Sex::Female << 187.0f << 60.0f << 186.0f << 60.0f - 0.9f << 186;
    QTest::addRow("woman 186.9 stays") << Sex::Female << 186.9f << 60.0f << 186.9f << 60.0f << 186;
    QTest::addRow("man 195/80 five steps") << Sex::Male << 195.0f << 80.0f << 190.0f << stepped(80.0f, -0.9f, 5)
                                           << 190;
    QTest::addRow("man 200/80 ten steps") << Sex::Male << 200.0f << 80.0f << 190.0f << stepped(80.0f, -0.9f, 10)
                                          << 190;
}

void TestHeightWeight::clamp()
{
    QFETCH(Sex, sex);
    QFETCH(float, height);
    QFETCH(float, weight);
    QFETCH(float, clampedHeight);
    QFETCH(float, clampedWeight);
    QFETCH(int, row);
    const Body b = common::clampHeight({height, weight}, sex);
    QCOMPARE(b.height, clampedHeight);
    QCOMPARE(b.weight, clampedWeight); // exact: the same single-precision steps
    QCOMPARE(int(b.height), row);
}

void TestHeightWeight::clampOfLargestInputEnds()
{
    const Body b = common::clampHeight({999999.99f, 60.0f}, Sex::Male);
    QVERIFY(b.height >= 140.0f && b.height < 191.0f);
    QVERIFY(b.weight < 0.0f);
    // The woman of 189 cm and 60 kg is judged at about 57.3 kg, the steps rounding on the way.
    const Body w = common::clampHeight({189.0f, 60.0f}, Sex::Female);
    QVERIFY(qAbs(w.weight - 57.3f) < 1e-4f);
    // Five steps of 0.9 from 80 end just under 75.5, ten steps just under 71.
    QVERIFY(common::clampHeight({195.0f, 80.0f}, Sex::Male).weight < 75.5f);
    QVERIFY(common::clampHeight({200.0f, 80.0f}, Sex::Male).weight < 71.0f);
}

void TestHeightWeight::weightBands_data()
{
    QTest::addColumn<float>("weight");
    QTest::addColumn<int>("points");
    QTest::addRow("above z4") << 75.0f << 7;
    QTest::addRow("at z4") << 70.0f << 7;
    QTest::addRow("below z4") << 69.99f << 9;
    QTest::addRow("at z3") << 65.0f << 9;
    QTest::addRow("below z3") << 64.99f << 15;
    QTest::addRow("at z2") << 55.0f << 15;
    QTest::addRow("below z2") << 54.99f << 9;
    QTest::addRow("at z1") << 50.0f << 9;
    QTest::addRow("below z1") << 49.99f << 7;
    QTest::addRow("negative") << -3.0f << 7;
}

void TestHeightWeight::weightBands()
{
    QFETCH(float, weight);
    QFETCH(int, points);
    QCOMPARE(common::weightBandPoints(weight, {50.0f, 55.0f, 65.0f, 70.0f}), points);
}

void TestHeightWeight::weightOnLimitOfSameDecimal()
{
    // A limit read as a float meets a weight typed with the same decimal.
    const float limit = QVariant(55.3).toFloat();
    QCOMPARE(common::weightBandPoints(QLocale::c().toFloat(QStringLiteral("55.3")), {50.0f, limit, 65.0f, 70.0f}),
             15);
}

void TestHeightWeight::outcomes()
{
    int calls = 0;
    WeightLimitLookup answer = found(50, 55, 65, 70);
    const common::WeightLimitSource source = [&](Sex, float) {
        ++calls;
        return answer;
    };

    HeightWeightScore r = common::scoreHeightWeight({0.0f, 60.0f}, Sex::Male, source);
    QCOMPARE(r.outcome, HeightWeightScore::Outcome::NotMeasured);
    QCOMPARE(r.points, 0);
    r = common::scoreHeightWeight({170.0f, -1.0f}, Sex::Male, source);
    QCOMPARE(r.outcome, HeightWeightScore::Outcome::NotMeasured);
    QCOMPARE(calls, 0);

    r = common::scoreHeightWeight({170.0f, 60.0f}, Sex::Male, source);
    QCOMPARE(r.outcome, HeightWeightScore::Outcome::Scored);
    QCOMPARE(r.points, 15);
    QCOMPARE(r.limits, (common::WeightLimits{50, 55, 65, 70}));

    // The test for 0 or less looks at the typed values: 250 cm and 40 kg end far below 0 kg.
    r = common::scoreHeightWeight({250.0f, 40.0f}, Sex::Male, source);
    QCOMPARE(r.outcome, HeightWeightScore::Outcome::Scored);
    QCOMPARE(r.points, 7);

    answer = WeightLimitLookup{};
    answer.status = WeightLimitLookup::Status::NoRow;
    r = common::scoreHeightWeight({120.0f, 30.0f}, Sex::Male, source);
    QCOMPARE(r.outcome, HeightWeightScore::Outcome::NoRow);
    QCOMPARE(r.points, 0);
    QCOMPARE(r.wholeHeight(), 140);

    // Limits that are not four ascending numbers place no weight; equal neighbours still do.
    answer = found(50, 55, 65, 70);
    answer.limits[2].reset();
    r = common::scoreHeightWeight({170.0f, 60.0f}, Sex::Female, source);
    QCOMPARE(r.outcome, HeightWeightScore::Outcome::InvalidRow);
    QCOMPARE(r.points, 0);
    answer = found(90, 80, 70, 60);
    r = common::scoreHeightWeight({170.0f, 65.0f}, Sex::Female, source);
    QCOMPARE(r.outcome, HeightWeightScore::Outcome::InvalidRow);
    QCOMPARE(r.points, 0);
    answer = found(50, std::numeric_limits<float>::quiet_NaN(), 65, 70);
    r = common::scoreHeightWeight({170.0f, 60.0f}, Sex::Female, source);
    QCOMPARE(r.outcome, HeightWeightScore::Outcome::InvalidRow);
    answer = found(50, 55, 55, 70);
    r = common::scoreHeightWeight({170.0f, 60.0f}, Sex::Female, source);
    QCOMPARE(r.outcome, HeightWeightScore::Outcome::Scored);
    QCOMPARE(r.points, 9);

    answer = WeightLimitLookup{};
    answer.status = WeightLimitLookup::Status::Failed;
    answer.error = QStringLiteral("no such table: dx1234_w");
    r = common::scoreHeightWeight({170.0f, 60.0f}, Sex::Female, source);
    QCOMPARE(r.outcome, HeightWeightScore::Outcome::QueryFailed);
    QCOMPARE(r.points, 0);
    QCOMPARE(r.error, answer.error);
}

void TestHeightWeight::lookupTakesTheClampedHeight()
{
    QList<QPair<Sex, float>> asked;
    const common::WeightLimitSource source = [&](Sex sex, float h) {
        asked.append({sex, h});
        return found(50, 55, 65, 70);
    };
    common::scoreHeightWeight({189.0f, 60.0f}, Sex::Female, source);
    common::scoreHeightWeight({189.0f, 60.0f}, Sex::Male, source);
    QCOMPARE(asked.size(), 2);
    QCOMPARE(asked[0].first, Sex::Female);
    QCOMPARE(asked[0].second, 186.0f);
    QCOMPARE(asked[1].first, Sex::Male);
    QCOMPARE(asked[1].second, 189.0f);
}

QTEST_GUILESS_MAIN(TestHeightWeight)
#include "tst_height_weight.moc"
