// The weight-limit loader as an administrator runs it: the built executable, started through
// scripts/start on the data source vemka that ODBCINI names, SQLite and PostgreSQL alike. Both tables
// are replaced together or not at all, a file the program could not score by is refused before the
// database is reached, and a score window that is open meanwhile scores with the new rows when a
// field is next left.
#include "common/weight_limit_file.h"
#include "common/weight_limits.h"
#include "runtime/messagebox.h"
#include "score_window_driver.h"
#include "test_data_source.h"

#include <QElapsedTimer>
#include <QHash>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>

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

// A table with a row for every height that the lookup of `sex` reads, the height of 140 cm on line 2,
// limits rising with the height; a height in `changed` has the line given there instead (none where
// empty).
QByteArray table(Sex sex, const QMap<int, QByteArray> &changed = {}, double shift = 0)
{
    QByteArray csv = kHeader;
    const common::HeightRange range = common::lookedUpHeights(sex);
    for (int s = range.lowest; s <= range.highest; ++s) {
        if (changed.contains(s)) {
            csv += changed[s];
            continue;
        }
        const double z1 = 30 + (s - range.lowest) * 0.5 + shift;
        csv += QStringLiteral("%1,%2,%3,%4,%5\n").arg(s).arg(z1).arg(z1 + 5).arg(z1 + 10).arg(z1 + 15).toUtf8();
    }
    return csv;
}

const QByteArray kMen = table(Sex::Male);
const QByteArray kWomen = table(Sex::Female, {}, -2);

} // namespace

class TestLoadWeightLimits : public QObject {
    Q_OBJECT
private slots:
    void shippedFilesReplaceBothTables();
    void schoolFileWithByteOrderMarkAndCrlf();
    void rowsOutsideTheLookedUpHeightsLoadAndAreNamed();
    void refusedFilesChangeNothing_data();
    void refusedFilesChangeNothing();
    void oneFileForBothTablesIsRefused_data();
    void oneFileForBothTablesIsRefused();
    void aRowTheDatabaseRefusesChangesNothing();
    void lockedTablesGiveUpWithinOneWait_data();
    void lockedTablesGiveUpWithinOneWait();
    void aLockReleasedWithinTheWaitLoads();
    void withoutTheDatabaseNothingIsLoaded();
    void openScoreWindowUsesNewRowsAtNextFocusOut();

private:
    using Environment = QHash<QString, QString>;
    // Writes the two files into the test's folder and runs the loader on them there.
    Run load(const QByteArray &men, const QByteArray &women, const Environment &env = {});
    void write(const char *name, const QByteArray &content);
    // The loader on `files` in the test's folder, with `env` over the test's own environment.
    void start(QProcess &p, const QStringList &files, const Environment &env = {});
    Run finish(QProcess &p);
    Run loadFiles(const QStringList &files, const Environment &env = {});
    // A data source vemka that cannot be reached: a loader that connects says so.
    Environment unreachable();
    // The data source's wait for another connection's lock made `ms`.
    Environment lockWait(const TestDataSource &ds, int ms);

    QTemporaryDir dir_;
};

void TestLoadWeightLimits::write(const char *name, const QByteArray &content)
{
    QFile f(dir_.filePath(QLatin1String(name)));
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
        qFatal("cannot write %s", name);
}

Run TestLoadWeightLimits::load(const QByteArray &men, const QByteArray &women, const Environment &env)
{
    write("men.csv", men);
    write("women.csv", women);
    return loadFiles({QStringLiteral("men.csv"), QStringLiteral("women.csv")}, env);
}

void TestLoadWeightLimits::start(QProcess &p, const QStringList &files, const Environment &env)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (auto it = env.cbegin(); it != env.cend(); ++it)
        environment.insert(it.key(), it.value());
    p.setProcessEnvironment(environment);
    p.setWorkingDirectory(dir_.path());
    p.start(QStringLiteral("bash"), QStringList{QStringLiteral(FM_SOURCE_DIR "/scripts/start"), QStringLiteral(FM_LOADER)} + files);
}

Run TestLoadWeightLimits::finish(QProcess &p)
{
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

Run TestLoadWeightLimits::loadFiles(const QStringList &files, const Environment &env)
{
    QProcess p;
    start(p, files, env);
    return finish(p);
}

TestLoadWeightLimits::Environment TestLoadWeightLimits::unreachable()
{
    write("unreachable.ini", QStringLiteral("[vemka]\nDriver=SQLite3\nDatabase=%1\nNoCreat=1\n")
                                 .arg(dir_.filePath(QStringLiteral("no such folder/vemka.db")))
                                 .toUtf8());
    return {{QStringLiteral("ODBCINI"), dir_.filePath(QStringLiteral("unreachable.ini"))}};
}

TestLoadWeightLimits::Environment TestLoadWeightLimits::lockWait(const TestDataSource &ds, int ms)
{
    if (TestDataSource::source() == TestDataSource::Source::PostgreSQL)
        return {{QStringLiteral("PGOPTIONS"), QStringLiteral("-c lock_timeout=%1").arg(ms)}};
    QFile ini(ds.iniPath());
    if (!ini.open(QIODevice::ReadOnly))
        qFatal("cannot read the data source's odbc.ini");
    static const QRegularExpression timeout(QStringLiteral("(?m)^Timeout=.*$"));
    write("wait.ini", QString::fromUtf8(ini.readAll()).replace(timeout, QStringLiteral("Timeout=%1").arg(ms)).toUtf8());
    return {{QStringLiteral("ODBCINI"), dir_.filePath(QStringLiteral("wait.ini"))}};
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
    QByteArray men("\xEF\xBB\xBF" "source,z4,z3,z2,z1,s\r\n");
    for (int s = 140; s <= 190; ++s)
        men += QStringLiteral("\"official, 2014\",%1.5,%2.5,%3.5,%4.5,%5\r\n").arg(s - 95).arg(s - 100).arg(s - 105).arg(s - 110).arg(s).toUtf8();
    const Run run = load(men, kWomen);
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QVERIFY2(run.out.contains(QLatin1String("dx1234_m: 51 rows, from men.csv\n")), qPrintable(run.out));
    QVERIFY2(run.out.contains(QLatin1String("dx1234_w: 47 rows, from women.csv\n")), qPrintable(run.out));
    QCOMPARE(ds.count(QStringLiteral("dx1234_m")), 51);
    QCOMPARE(ds.count(QStringLiteral("dx1234_w")), 47);

    // The program reads them as they were written.
    QCOMPARE(TestDataSource::connectSqlca(), 0L);
    using Limits = std::array<std::optional<float>, 4>;
    QCOMPARE(common::lookupWeightLimits(Sex::Male, 150.5f).limits, (Limits{40.5f, 45.5f, 50.5f, 55.5f}));
    QCOMPARE(common::lookupWeightLimits(Sex::Male, 190.0f).limits, (Limits{80.5f, 85.5f, 90.5f, 95.5f}));
    QCOMPARE(common::lookupWeightLimits(Sex::Female, 152.0f).limits, (Limits{34.0f, 39.0f, 44.0f, 49.0f}));
}

void TestLoadWeightLimits::rowsOutsideTheLookedUpHeightsLoadAndAreNamed()
{
    TestDataSource ds;
    QVERIFY2(ds.isValid(), qPrintable(ds.error()));
    const Run run = load(kMen + "139,29,34,39,44\n191,61,66,71,76\n192,62,67,72,77\n", kWomen);
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QVERIFY2(run.out.contains(QLatin1String("  dx1234_m: 54 rows, from men.csv\n"
                                            "    (the rows of 139, 191-192 cm are never looked up: heights are scored from 140 to 190 cm)\n"
                                            "  dx1234_w: 47 rows, from women.csv\n")),
             qPrintable(run.out));
    QCOMPARE(ds.count(QStringLiteral("dx1234_m")), 54);
}

void TestLoadWeightLimits::refusedFilesChangeNothing_data()
{
    QTest::addColumn<QByteArray>("men");
    QTest::addColumn<QByteArray>("women");
    QTest::addColumn<QString>("problem");
    QTest::addRow("a row out of order") << table(Sex::Male, {{141, "141,41,46,45,56\n"}}) << kWomen
                                        << "men.csv:3: the limits are not in ascending order: z3 45 is not above z2 46\n";
    QTest::addRow("two equal limits") << table(Sex::Male, {{143, "143,45,45,55,60\n"}}) << kWomen
                                      << "men.csv:5: the limits are not in ascending order: z2 45 is not above z1 45\n";
    QTest::addRow("a limit below 0") << table(Sex::Male, {{143, "143,-5,45,50,55\n"}}) << kWomen << "men.csv:5: z1 -5 is not above 0 kg\n";
    QTest::addRow("a limit of 0") << kMen << table(Sex::Female, {{186, "186,0,45,50,55\n"}}) << "women.csv:48: z1 0 is not above 0 kg\n";
    QTest::addRow("a height twice") << kMen << kWomen + "151,39,44,49,54\n" << "women.csv:49: the height 151 is there twice (first on line 13)\n";
    QTest::addRow("a text in a limit") << table(Sex::Male, {{141, "141,41,\"46 kg\",51,56\n"}}) << kWomen
                                       << "men.csv:3: z2 \"46 kg\" is not a number of kilograms\n";
    QTest::addRow("a NUL byte in a limit") << table(Sex::Male, {{141, QByteArray("141,41,46,51,5\0" "6\n", 17)}}) << kWomen
                                           << "men.csv:3: z4 \"5\\u00006\" is not a number of kilograms\n";
    QTest::addRow("a missing column") << kMen << QByteArray("s,z1,z2,z4\n150,38,43,53\n")
                                      << "women.csv:1: the header line has no column z3 (it has: \"s\", \"z1\", \"z2\", \"z4\")\n";
    QTest::addRow("a men's height missing") << table(Sex::Male, {{175, ""}}) << kWomen
                                            << "men.csv: no usable row for 175 cm: the men's table needs one for every whole "
                                               "centimetre from 140 to 190\n";
    QByteArray published = kHeader;
    for (int s = 144; s <= 169; ++s)
        published += QStringLiteral("%1,%2,%3,%4,%5\n").arg(s).arg(s - 100).arg(s - 95).arg(s - 90).arg(s - 85).toUtf8();
    QTest::addRow("the published men's rows alone") << published << kWomen
                                                    << "men.csv: no usable row for 140-143, 170-190 cm: the men's table needs one for every "
                                                       "whole centimetre from 140 to 190\n";
    QTest::addRow("the women's lowest and highest heights missing") << kMen << table(Sex::Female, {{140, ""}, {186, ""}})
                                                                    << "women.csv: no usable row for 140, 186 cm: the women's table needs one "
                                                                       "for every whole centimetre from 140 to 186\n";
    QTest::addRow("the men's file as the women's") << kMen << kMen
                                                   << "men.csv and women.csv hold the same rows: both tables would hold the same limits.\n";
    QList<QByteArray> rows = kMen.split('\n');
    rows.removeAll(QByteArray());
    rows.removeFirst();
    std::reverse(rows.begin(), rows.end());
    QByteArray reworked("\xEF\xBB\xBF" "s,z1,z2,z3,z4,note\r\n");
    for (const QByteArray &row : rows)
        reworked += row + ",copied\r\n";
    QTest::addRow("the men's rows in another order and form") << kMen << reworked
                                                             << "men.csv and women.csv hold the same rows: both tables would hold the same limits.\n";
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
    QCOMPARE(run.err, problem + QStringLiteral("Nothing was loaded: dx1234_m and dx1234_w are as they were.\n"));
    QCOMPARE(dump(), before);
    QVERIFY(!ds.anotherSessionHoldsTransaction());
    // Refused before the data source is reached: the same words where it cannot be.
    const Run offline = load(men, women, unreachable());
    QCOMPARE(offline.exitCode, 1);
    QCOMPARE(offline.err, run.err);
}

void TestLoadWeightLimits::oneFileForBothTablesIsRefused_data()
{
    QTest::addColumn<QString>("women");
    QTest::addRow("the same name twice") << "men.csv";
    QTest::addRow("another spelling of its path") << "./men.csv";
    QTest::addRow("a link to it") << "link.csv";
}

void TestLoadWeightLimits::oneFileForBothTablesIsRefused()
{
    QFETCH(QString, women);
    TestDataSource ds;
    QVERIFY2(ds.isValid(), qPrintable(ds.error()));
    write("men.csv", kMen);
    QFile::remove(dir_.filePath(QStringLiteral("link.csv")));
    QVERIFY(QFile::link(QStringLiteral("men.csv"), dir_.filePath(QStringLiteral("link.csv"))));
    const QStringList before = dump();

    const QString refused = QStringLiteral("men.csv and %1 are one file: both tables would hold the same limits.\n"
                                           "Nothing was loaded: dx1234_m and dx1234_w are as they were.\n")
                                .arg(women);
    for (const Environment &env : {Environment(), unreachable()}) {
        const Run run = loadFiles({QStringLiteral("men.csv"), women}, env);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, refused);
    }
    QCOMPARE(dump(), before);
}

void TestLoadWeightLimits::aRowTheDatabaseRefusesChangesNothing()
{
    TestDataSource ds;
    QVERIFY2(ds.isValid(), qPrintable(ds.error()));
    // A data source stricter than the loader's check: the men's table, already replaced in the
    // transaction, goes back with the women's.
    QVERIFY2(ds.exec(TestDataSource::source() == TestDataSource::Source::PostgreSQL
                         ? QStringLiteral("ALTER TABLE dx1234_w ADD CONSTRAINT no_153 CHECK (s <> 153) NOT VALID")
                         : QStringLiteral("CREATE TRIGGER no_153 BEFORE INSERT ON dx1234_w WHEN NEW.s = 153 "
                                          "BEGIN SELECT RAISE(ABORT, 'no row of 153 cm'); END")),
             qPrintable(ds.error()));
    const QStringList before = dump();
    const Run run = load(kMen, kWomen);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.startsWith(QLatin1String("women.csv:15: dx1234_w refused the row: ")), qPrintable(run.err));
    QVERIFY2(run.err.endsWith(QLatin1String("Rolled back: dx1234_m and dx1234_w are as they were.\n")), qPrintable(run.err));
    QCOMPARE(dump(), before);
    QVERIFY(!ds.anotherSessionHoldsTransaction());
}

void TestLoadWeightLimits::lockedTablesGiveUpWithinOneWait_data()
{
    QTest::addColumn<bool>("readersLockedOut");
    QTest::addColumn<QString>("failure");
    const bool sqlite = TestDataSource::source() == TestDataSource::Source::SQLite;
    QTest::addRow("readers locked out") << true << "the rows of dx1234_m could not be deleted: ";
    // A server keeps a reader from no writer.
    if (sqlite)
        QTest::addRow("a reader keeps the COMMIT waiting") << false << "the COMMIT failed: ";
}

void TestLoadWeightLimits::lockedTablesGiveUpWithinOneWait()
{
    QFETCH(bool, readersLockedOut);
    QFETCH(QString, failure);
    TestDataSource ds;
    QVERIFY2(ds.isValid(), qPrintable(ds.error()));
    const QStringList before = dump();
    // Longer than the fixture's wait, so that a load that waited twice shows.
    const int wait = 3000;
    {
        OtherSession other;
        QVERIFY2(readersLockedOut ? other.lockOutReaders() : other.holdRows(), qPrintable(other.error()));
        QElapsedTimer took;
        took.start();
        const Run run = load(kMen, kWomen, lockWait(ds, wait));
        const qint64 ms = took.elapsed();
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(ms < wait + 2000, qPrintable(QStringLiteral("gave up after %1 ms").arg(ms)));
        // The driver's word on the lock that outlasted the data source's wait.
        QVERIFY2(run.err.startsWith(failure), qPrintable(run.err));
        QVERIFY2(run.err.contains(TestDataSource::source() == TestDataSource::Source::SQLite ? QLatin1String("locked")
                                                                                             : QLatin1String("lock timeout")),
                 qPrintable(run.err));
        QVERIFY2(run.err.endsWith(QLatin1String("Rolled back: dx1234_m and dx1234_w are as they were.\n")), qPrintable(run.err));
        QVERIFY(other.release());
    }
    QCOMPARE(dump(), before);
    // Once the lock is gone the same files load.
    QCOMPARE(load(kMen, kWomen).exitCode, 0);
    QCOMPARE(ds.scalar(QStringLiteral("SELECT z1 FROM dx1234_w WHERE s = 140")).toDouble(), 28.0);
}

void TestLoadWeightLimits::aLockReleasedWithinTheWaitLoads()
{
    TestDataSource ds;
    QVERIFY2(ds.isValid(), qPrintable(ds.error()));
    write("men.csv", kMen);
    write("women.csv", kWomen);
    OtherSession other;
    QVERIFY2(other.lockOutReaders(), qPrintable(other.error()));
    QProcess p;
    start(p, {QStringLiteral("men.csv"), QStringLiteral("women.csv")}, lockWait(ds, 5000));
    QTest::qWait(1000);
    QVERIFY(other.release());
    const Run run = finish(p);
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QCOMPARE(ds.scalar(QStringLiteral("SELECT z1 FROM dx1234_w WHERE s = 140")).toDouble(), 28.0);
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

    const Run run = load(table(Sex::Male, {{170, "170,61,62,63,64\n"}}), table(Sex::Female, {{170, "170,56,58,59,62\n"}}));
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
