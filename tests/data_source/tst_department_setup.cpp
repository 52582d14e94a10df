// A department's PostgreSQL server set up as the README says, each step run as written there: the
// role and the database (data/postgresql-setup.sql, run by the private server of every PostgreSQL test),
// the tables with the default weight limits (data/postgresql-load.sql), the data source entry of
// every PC (the fixture's odbc.ini).
#include "common/weight_limits.h"
#include "test_data_source.h"

#include <QFile>
#include <QtTest>

using common::Sex;
using common::WeightLimitLookup;

namespace {

// The limits of height `s` in one of the shipped CSV files.
std::array<std::optional<float>, 4> csvRow(const QString &file, int s)
{
    QFile f(QStringLiteral(FM_SOURCE_DIR "/data/") + file);
    f.open(QIODevice::ReadOnly | QIODevice::Text);
    while (!f.atEnd()) {
        const QList<QByteArray> cols = f.readLine().split(',');
        if (cols.size() >= 5 && cols[0].toInt() == s)
            return {cols[1].toFloat(), cols[2].toFloat(), cols[3].toFloat(), cols[4].toFloat()};
    }
    return {};
}

const QStringList kLoad = {QStringLiteral("-f"), QStringLiteral("data/postgresql-load.sql")};

} // namespace

class TestDepartmentSetup : public QObject {
    Q_OBJECT
private slots:
    void loadFillsEmptyTablesOnce()
    {
        TestDataSource ds(TestDataSource::Empty);
        QVERIFY2(ds.isValid(), qPrintable(ds.error()));
        for (int run = 0; run < 2; ++run) {
            QVERIFY2(ds.psql(kLoad, QStringLiteral(FM_SOURCE_DIR)), qPrintable(ds.error()));
            QCOMPARE(ds.count(QStringLiteral("dx1234_m")), 51);
            QCOMPARE(ds.count(QStringLiteral("dx1234_w")), 47);
            QCOMPARE(ds.count(QStringLiteral("xmsz")), 0);
        }
        // The program finds them through the data source entry, at a decimal height too.
        QCOMPARE(TestDataSource::connectSqlca(), 0L);
        const WeightLimitLookup men = common::lookupWeightLimits(Sex::Male, 170.5f);
        QCOMPARE(men.status, WeightLimitLookup::Status::Found);
        QCOMPARE(men.limits, csvRow(QStringLiteral("weight-limits-men.csv"), 170));
        const WeightLimitLookup women = common::lookupWeightLimits(Sex::Female, 186.9f);
        QCOMPARE(women.limits, csvRow(QStringLiteral("weight-limits-women.csv"), 186));
    }
};

QTEST_GUILESS_MAIN(TestDepartmentSetup)
#include "tst_department_setup.moc"
