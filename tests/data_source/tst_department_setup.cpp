// A department's PostgreSQL server set up as the README says, each step run as written there: the
// role and the database (data/postgresql-setup.sql, run by the private server of every PostgreSQL test),
// the tables with the default weight limits (data/postgresql-load.sql), the data source entry of
// every PC (the fixture's odbc.ini, which is the README's but for the server's address).
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

// The lines under [vemka] in `text`, from the entry that names the driver `driver`: the README's
// indented block, or an odbc.ini.
QStringList entryLines(const QString &text, const QString &driver)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i].trimmed() != QLatin1String("[vemka]") || lines[i + 1].trimmed() != QStringLiteral("Driver=") + driver)
            continue;
        QStringList entry;
        for (qsizetype j = i + 1; j < lines.size() && !lines[j].trimmed().isEmpty() && !lines[j].trimmed().startsWith(u'['); ++j)
            entry << lines[j].trimmed();
        return entry;
    }
    return {};
}

QString readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromUtf8(f.readAll()) : QString();
}

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

    // What the PostgreSQL tests find of a server that stops answering or of the communication log
    // holds for a PC set up from the README only while the two entries say the same.
    void everyPcsEntryIsTheReadmes()
    {
        TestDataSource ds;
        QVERIFY2(ds.isValid(), qPrintable(ds.error()));
        const QString driver = QStringLiteral("PostgreSQL Unicode");
        QStringList readme = entryLines(readAll(QStringLiteral(FM_SOURCE_DIR "/README.md")), driver);
        QStringList fixture = entryLines(readAll(ds.iniPath()), driver);
        QVERIFY2(readme.contains(QLatin1String("Servername=SERVER")), qPrintable(readme.join(u'|')));
        QVERIFY2(readme.contains(QLatin1String("Port=5432")), qPrintable(readme.join(u'|')));
        // Where the server is differs; every other line is the same.
        auto address = [](const QString &line) {
            return line.startsWith(QLatin1String("Servername=")) || line.startsWith(QLatin1String("Port="));
        };
        readme.removeIf(address);
        fixture.removeIf(address);
        QCOMPARE(fixture, readme);
    }
};

QTEST_GUILESS_MAIN(TestDepartmentSetup)
#include "tst_department_setup.moc"
