// The weight-limit loader as an administrator runs it: the built executable, started through
// scripts/start on the data source vemka that ODBCINI names, SQLite and PostgreSQL alike. Both tables
// are replaced together or not at all, and a score window that is open meanwhile scores with the new
// rows when a field is next left.
#include "common/weight_limits.h"
#include "runtime/messagebox.h"
#include "score_window_driver.h"
#include "test_data_source.h"

#include <QProcess>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using common::Sex;
using common::WeightLimitLookup;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

// Both tables row by row, each limit as the database writes it, read on a connection of its own.
QStringList dump()
{
    const QString name = QStringLiteral("dump");
    QStringList rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name);
        db.setDatabaseName(TestDataSource::connectString());
        if (!db.open())
            rows << QStringLiteral("cannot open: ") + db.lastError().text();
        for (const char *table : {"dx1234_m", "dx1234_w"}) {
            QSqlQuery q(db);
            if (!q.exec(QStringLiteral("SELECT s, CAST(z1 AS VARCHAR), CAST(z2 AS VARCHAR), CAST(z3 AS VARCHAR), "
                                       "CAST(z4 AS VARCHAR) FROM %1 ORDER BY s")
                            .arg(QLatin1String(table))))
                rows << QStringLiteral("cannot read: ") + q.lastError().text();
            while (q.next())
                rows << QStringLiteral("%1 %2 %3 %4 %5 %6")
                            .arg(QLatin1String(table), q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                                 q.value(3).toString(), q.value(4).toString());
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return rows;
}

const QByteArray kHeader("s,z1,z2,z3,z4\n");
const QByteArray kMen = kHeader + "150,40,45,50,55\n151,41,46,51,56\n";
const QByteArray kWomen = kHeader + "150,38,43,48,53\n151,39,44,49,54\n152,40,45,50,55\n";

} // namespace

class TestLoadWeightLimits : public QObject {
    Q_OBJECT
private slots:
    void shippedFilesReplaceBothTables();
    void schoolFileWithByteOrderMarkAndCrlf();
    void refusedFilesChangeNothing_data();
    void refusedFilesChangeNothing();
    void lockedTablesChangeNothing();
    void withoutTheDatabaseNothingIsLoaded();
    void openScoreWindowUsesNewRowsAtNextFocusOut();

private:
    // Writes the two files into the test's folder and runs the loader on them there.
    Run load(const QByteArray &men, const QByteArray &women);
    Run loadFiles(const QStringList &files);

    QTemporaryDir dir_;
};

Run TestLoadWeightLimits::load(const QByteArray &men, const QByteArray &women)
{
    for (const auto &[name, content] : {std::pair{"men.csv", men}, std::pair{"women.csv", women}}) {
        QFile f(dir_.filePath(QLatin1String(name)));
        if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
            qFatal("cannot write %s", name);
    }
    return loadFiles({QStringLiteral("men.csv"), QStringLiteral("women.csv")});
}

Run TestLoadWeightLimits::loadFiles(const QStringList &files)
{
    QProcess p;
    p.setWorkingDirectory(dir_.path());
    p.start(QStringLiteral("bash"), QStringList{QStringLiteral(FM_SOURCE_DIR "/scripts/start"), QStringLiteral(FM_LOADER)} + files);
    Run run;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) {
        p.kill();
        p.waitForFinished();
        run.err = QStringLiteral("the loader did not end: ") + p.errorString();
        return run;
    }
    run.exitCode = p.exitCode();
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

void TestLoadWeightLimits::shippedFilesReplaceBothTables()
{
    TestDataSource ds;
    QVERIFY2(ds.isValid(), qPrintable(ds.error()));
    const QStringList shipped = dump();
    QCOMPARE(shipped.size(), 51 + 47);
    // Tables that differ from the shipped ones in a row missing, one changed and one added.
    QVERIFY(ds.exec(QStringLiteral("DELETE FROM dx1234_m WHERE s = 170")));
    QVERIFY(ds.exec(QStringLiteral("UPDATE dx1234_w SET z4 = 99 WHERE s = 150")));
    QVERIFY(ds.exec(QStringLiteral("INSERT INTO dx1234_m (s, z1, z2, z3, z4) VALUES (100, 1, 2, 3, 4)")));
    QVERIFY(dump() != shipped);

    const Run run = loadFiles({QStringLiteral(FM_DATA_DIR "/weight-limits-men.csv"), QStringLiteral(FM_DATA_DIR "/weight-limits-women.csv")});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QCOMPARE(run.err, QString());
    QCOMPARE(run.out, QStringLiteral("Loaded into the data source vemka:\n"
                                     "  dx1234_m: 51 rows, from " FM_DATA_DIR "/weight-limits-men.csv\n"
                                     "  dx1234_w: 47 rows, from " FM_DATA_DIR "/weight-limits-women.csv\n"));
    QCOMPARE(dump(), shipped);
}

void TestLoadWeightLimits::schoolFileWithByteOrderMarkAndCrlf()
{
    TestDataSource ds;
    QVERIFY2(ds.isValid(), qPrintable(ds.error()));
    const Run run = load("\xEF\xBB\xBF" "source,z4,z3,z2,z1,s\r\n\"official, 2014\",55.5,50.5,45.5,40.5,150\r\nofficial,56,51,46,41,151\r\n",
                         kWomen);
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QVERIFY2(run.out.contains(QLatin1String("dx1234_m: 2 rows, from men.csv\n")), qPrintable(run.out));
    QVERIFY2(run.out.contains(QLatin1String("dx1234_w: 3 rows, from women.csv\n")), qPrintable(run.out));
    QCOMPARE(ds.count(QStringLiteral("dx1234_m")), 2);
    QCOMPARE(ds.count(QStringLiteral("dx1234_w")), 3);

    // The program reads them as they were written.
    QCOMPARE(TestDataSource::connectSqlca(), 0L);
    using Limits = std::array<std::optional<float>, 4>;
    QCOMPARE(common::lookupWeightLimits(Sex::Male, 150.5f).limits, (Limits{40.5f, 45.5f, 50.5f, 55.5f}));
    QCOMPARE(common::lookupWeightLimits(Sex::Male, 151.0f).limits, (Limits{41.0f, 46.0f, 51.0f, 56.0f}));
    QCOMPARE(common::lookupWeightLimits(Sex::Male, 170.0f).status, WeightLimitLookup::Status::NoRow);
    QCOMPARE(common::lookupWeightLimits(Sex::Female, 152.0f).limits, (Limits{40.0f, 45.0f, 50.0f, 55.0f}));
}

void TestLoadWeightLimits::refusedFilesChangeNothing_data()
{
    QTest::addColumn<QByteArray>("men");
    QTest::addColumn<QByteArray>("women");
    QTest::addColumn<QString>("problem");
    QTest::addRow("a row out of order") << kHeader + "150,40,45,50,55\n151,41,46,45,56\n" << kWomen
                                        << "men.csv:3: the limits are not in ascending order: z3 45 is below z2 46";
    QTest::addRow("a height twice") << kMen << kWomen + "151,39,44,49,54\n" << "women.csv:5: the height 151 is there twice (first on line 3)";
    QTest::addRow("a text in a limit") << kHeader + "150,40,45,50,55\n151,41,\"46 kg\",51,56\n" << kWomen
                                       << "men.csv:3: z2 \"46 kg\" is not a number of kilograms";
    QTest::addRow("a missing column") << kMen << QByteArray("s,z1,z2,z4\n150,38,43,53\n")
                                      << "women.csv:1: the header line has no column z3 (it has: s, z1, z2, z4)";
    // The women's file passes the check, the schema's CHECK refuses a row: the men's table, already
    // replaced in the transaction, goes back with it.
    QTest::addRow("a row the database refuses") << kMen << kWomen + "153,40,40,50,55\n" << "women.csv:5: dx1234_w refused the row: ";
}

void TestLoadWeightLimits::refusedFilesChangeNothing()
{
    QFETCH(QByteArray, men);
    QFETCH(QByteArray, women);
    QFETCH(QString, problem);
    TestDataSource ds;
    QVERIFY2(ds.isValid(), qPrintable(ds.error()));
    const QStringList before = dump();

    const Run run = load(men, women);
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QString());
    QVERIFY2(run.err.startsWith(problem), qPrintable(run.err));
    QVERIFY2(run.err.endsWith(QLatin1String("dx1234_m and dx1234_w are as they were.\n")), qPrintable(run.err));
    QCOMPARE(dump(), before);
    QVERIFY(!ds.anotherSessionHoldsTransaction());
}

void TestLoadWeightLimits::lockedTablesChangeNothing()
{
    TestDataSource ds;
    QVERIFY2(ds.isValid(), qPrintable(ds.error()));
    const QStringList before = dump();
    {
        OtherSession other;
        QVERIFY2(other.lockOutReaders(), qPrintable(other.error()));
        const Run run = load(kMen, kWomen);
        QCOMPARE(run.exitCode, 1);
        // The driver's word on the lock that outlasted the data source's wait.
        QVERIFY2(run.err.startsWith(QLatin1String("the rows of dx1234_m could not be deleted: ")), qPrintable(run.err));
        QVERIFY2(run.err.contains(TestDataSource::source() == TestDataSource::Source::SQLite ? QLatin1String("locked")
                                                                                             : QLatin1String("lock timeout")),
                 qPrintable(run.err));
        QVERIFY2(run.err.endsWith(QLatin1String("Rolled back: dx1234_m and dx1234_w are as they were.\n")), qPrintable(run.err));
        QVERIFY(other.release());
    }
    QCOMPARE(dump(), before);
    // Once the lock is gone the same files load.
    QCOMPARE(load(kMen, kWomen).exitCode, 0);
    QCOMPARE(ds.count(QStringLiteral("dx1234_m")), 2);
}

void TestLoadWeightLimits::withoutTheDatabaseNothingIsLoaded()
{
    TestDataSource ds(TestDataSource::NoDatabase);
    QVERIFY2(ds.isValid(), qPrintable(ds.error()));
    const Run run = load(kMen, kWomen);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.startsWith(QLatin1String("Cannot connect to the data source vemka: ")), qPrintable(run.err));
    QVERIFY2(run.err.size() > 60, qPrintable(run.err)); // with the driver's text
}

void TestLoadWeightLimits::openScoreWindowUsesNewRowsAtNextFocusOut()
{
    TestDataSource ds;
    QVERIFY2(ds.isValid(), qPrintable(ds.error()));
    QCOMPARE(TestDataSource::connectSqlca(), 0L);
    score_test::saveRow(1);
    rt::MessageBoxRecorder boxes;
    const auto w = score_test::openWindow(1);
    QVERIFY(w);
    score_test::typeAndLeave(w.get(), "em_s1", QStringLiteral("170"));
    score_test::typeAndLeave(w.get(), "em_s2", QStringLiteral("60"));
    QCOMPARE(score_test::shown(w.get(), "em_s_t"), QStringLiteral("15.0")); // the shipped rows of 170 cm

    const Run run = load(kHeader + "170,61,62,63,64\n", kHeader + "170,56,58,59,62\n");
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QCOMPARE(score_test::shown(w.get(), "em_s_t"), QStringLiteral("15.0"));
    score_test::typeAndLeave(w.get(), "em_s1", QStringLiteral("170"));
    QCOMPARE(score_test::shown(w.get(), "em_s_t"), QStringLiteral("7.0")); // 60 kg now below z1
    QTest::mouseClick(score_test::child<QRadioButton>(w.get(), "rb_sex_woman"), Qt::LeftButton, {}, QPoint(6, 6));
    QTRY_COMPARE(score_test::shown(w.get(), "em_s_t"), QStringLiteral("9.0")); // the women's new row
    QCOMPARE(boxes.count(), 0);
}

QTEST_MAIN(TestLoadWeightLimits)
#include "tst_load_weight_limits.moc"
