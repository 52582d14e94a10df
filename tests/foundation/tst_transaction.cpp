// The transaction object over the real data source through its ODBC driver, SQLite and PostgreSQL alike.
#include "runtime/transaction.h"
#include "test_data_source.h"

#include <QtTest>

using rt::sqlca;

namespace {

bool onPostgres() { return TestDataSource::source() == TestDataSource::Source::PostgreSQL; }

// A row of xmsz written through sqlca, not yet committed.
void insertYear(const QString &nj)
{
    sqlca().execute(QStringLiteral("INSERT INTO xmsz (nj, xm_t_m) VALUES (?, ?)"), {nj, QStringLiteral("1")});
}

} // namespace

class TestTransaction : public QObject {
    Q_OBJECT
private slots:
    void committedRowSurvivesReconnect()
    {
        TestDataSource source;
        QVERIFY2(source.isValid(), qPrintable(source.error()));
        QCOMPARE(TestDataSource::connectSqlca(), 0L);
        insertYear(QStringLiteral("41"));
        QCOMPARE(sqlca().SQLCode, 0L);
        QCOMPARE(sqlca().SQLNRows, 1L);
        QCOMPARE(sqlca().commit(), 0);
        TestDataSource::disconnectSqlca();

        QCOMPARE(TestDataSource::connectSqlca(), 0L);
        const auto rows = sqlca().execute(QStringLiteral("SELECT xm_t_m FROM xmsz WHERE nj = ?"), {QStringLiteral("41")});
        QCOMPARE(sqlca().SQLCode, 0L);
        QCOMPARE(rows, (rt::Transaction::Rows{{QStringLiteral("1")}}));
    }

    void rolledBackRowIsGone()
    {
        TestDataSource source;
        QCOMPARE(TestDataSource::connectSqlca(), 0L);
        insertYear(QStringLiteral("42"));
        QCOMPARE(sqlca().SQLCode, 0L);
        QCOMPARE(sqlca().rollback(), 0);
        sqlca().execute(QStringLiteral("SELECT nj FROM xmsz WHERE nj = ?"), {QStringLiteral("42")});
        QCOMPARE(sqlca().SQLCode, 100L);
        TestDataSource::disconnectSqlca();
        QCOMPARE(source.count(QStringLiteral("xmsz")), 0);
    }

    void uncommittedWorkIsDiscardedAtDisconnect()
    {
        TestDataSource source;
        QCOMPARE(TestDataSource::connectSqlca(), 0L);
        insertYear(QStringLiteral("43"));
        QCOMPARE(sqlca().SQLCode, 0L);
        TestDataSource::disconnectSqlca();
        QCOMPARE(source.count(QStringLiteral("xmsz")), 0);
    }

    void floatBindsAsReal()
    {
        TestDataSource source;
        QCOMPARE(TestDataSource::connectSqlca(), 0L);
        sqlca().execute(QStringLiteral("INSERT INTO dx1234_m (s, z1, z2, z3, z4) VALUES (?, ?, ?, ?, ?)"),
                        {999, QVariant(55.3f), 60.0, 70.0, 80.0});
        QCOMPARE(sqlca().SQLCode, 0L);
        // A single-precision 55.3 lies below the double 55.3: the value went over as a real.
        const auto rows = sqlca().execute(QStringLiteral("SELECT COUNT(*) FROM dx1234_m WHERE s = ? AND z1 < 55.3"), {999});
        QCOMPARE(rows.value(0).value(0).toInt(), 1);
    }

    // Every failure carries the driver's diagnostic alone, without Qt's own line about it.
    void errorsCarryTheDriversTextAlone_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("connect to a database that is not there") << "connect";
        QTest::newRow("prepare a statement on a missing table") << "prepare";
        QTest::newRow("execute an insert of a duplicate key") << "execute";
    }
    void errorsCarryTheDriversTextAlone()
    {
        QFETCH(QString, failure);
        TestDataSource source(failure == QLatin1String("connect") ? TestDataSource::NoDatabase : TestDataSource::SchemaOnly);
        QVERIFY2(source.isValid(), qPrintable(source.error()));
        QString expected;
        if (failure == QLatin1String("connect")) {
            QCOMPARE(TestDataSource::connectSqlca(), -1L);
            QVERIFY(!sqlca().isConnected());
            expected = onPostgres() ? QStringLiteral("does not exist") : QStringLiteral("connect failed");
        } else {
            QCOMPARE(TestDataSource::connectSqlca(), 0L);
            if (failure == QLatin1String("prepare")) {
                sqlca().execute(QStringLiteral("SELECT nope FROM missing_table WHERE nj = ?"), {QStringLiteral("41")});
                expected = QStringLiteral("missing_table");
            } else {
                QVERIFY(source.exec(QStringLiteral("INSERT INTO xmsz (nj) VALUES ('41')")));
                insertYear(QStringLiteral("41"));
                expected = onPostgres() ? QStringLiteral("duplicate key") : QStringLiteral("UNIQUE constraint failed");
            }
        }
        QCOMPARE(sqlca().SQLCode, -1L);
        QVERIFY2(sqlca().SQLErrText.contains(expected), qPrintable(sqlca().SQLErrText));
        QVERIFY2(!sqlca().SQLErrText.contains(QLatin1String("QODBC")), qPrintable(sqlca().SQLErrText));
    }

    // The data source named with an attribute of its driver's, as the loader and any other caller may
    // give it: the name reaches the driver manager once, with the attribute.
    void dataSourceWithAnAttribute_data()
    {
        QTest::addColumn<bool>("waitOnce");
        QTest::addRow("waiting as the driver does") << false;
        QTest::addRow("waiting once") << true;
    }
    void dataSourceWithAnAttribute()
    {
        QFETCH(bool, waitOnce);
        TestDataSource source;
        QVERIFY2(source.isValid(), qPrintable(source.error()));
        rt::Transaction tr(QStringLiteral("attribute"));
        tr.DBMS = QStringLiteral("ODBC");
        tr.AutoCommit = false;
        tr.DBParm = QStringLiteral("ConnectString='DSN=vemka;PWD=pelvok3864;%1'")
                        .arg(onPostgres() ? QLatin1String("CommLog=0") : QLatin1String("Timeout=2000"));
        tr.setWaitOnce(waitOnce);
        QVERIFY2(tr.connect() == 0, qPrintable(tr.SQLErrText));
        tr.execute(QStringLiteral("INSERT INTO xmsz (nj) VALUES ('41')"));
        QCOMPARE(tr.SQLCode, 0L);
        QCOMPARE(tr.commit(), 0);
        QCOMPARE(source.count(QStringLiteral("xmsz")), 1);
    }

    void statementsWithoutConnectionFailSafely()
    {
        TestDataSource source(TestDataSource::NoDatabase);
        QCOMPARE(TestDataSource::connectSqlca(), -1L);
        sqlca().execute(QStringLiteral("SELECT 1"));
        QCOMPARE(sqlca().SQLCode, -1L);
        QCOMPARE(sqlca().commit(), -1);
    }

    // Reads end with their rows: another session finds nothing held while the program sits idle. A
    // write holds its transaction until COMMIT or ROLLBACK, and after a failed statement nothing stays.
    void onlyAWriteHoldsATransaction()
    {
        TestDataSource source;
        QCOMPARE(TestDataSource::connectSqlca(), 0L);
        sqlca().execute(QStringLiteral("SELECT z1, z2, z3, z4 FROM dx1234_m WHERE s = ?"), {170});
        QCOMPARE(sqlca().SQLCode, 0L);
        QVERIFY(!source.anotherSessionHoldsTransaction());
        sqlca().execute(QStringLiteral("SELECT nj FROM xmsz WHERE nj = ?"), {QStringLiteral("41")});
        QCOMPARE(sqlca().SQLCode, 100L);
        QVERIFY(!source.anotherSessionHoldsTransaction());
        sqlca().execute(QStringLiteral("SELECT nope FROM xmsz"));
        QCOMPARE(sqlca().SQLCode, -1L);
        QVERIFY(!source.anotherSessionHoldsTransaction());

        insertYear(QStringLiteral("41"));
        QVERIFY(source.anotherSessionHoldsTransaction());
        QCOMPARE(sqlca().commit(), 0);
        QVERIFY(!source.anotherSessionHoldsTransaction());

        insertYear(QStringLiteral("41")); // a duplicate: refused, and its transaction ended with it
        QCOMPARE(sqlca().SQLCode, -1L);
        QVERIFY(!source.anotherSessionHoldsTransaction());
        QCOMPARE(sqlca().rollback(), 0);
        QCOMPARE(source.count(QStringLiteral("xmsz")), 1);
    }

    // The server goes away and comes back: a read is made again on a new connection; a write reports
    // its failure and that its transaction went with the old connection, and the next one goes through.
    void lostConnectionIsMadeAgain()
    {
        if (!onPostgres())
            QSKIP("an embedded SQLite database has no server to lose");
        TestDataSource source;
        QCOMPARE(TestDataSource::connectSqlca(), 0L);
        const QString lookup = QStringLiteral("SELECT z1 FROM dx1234_m WHERE s = ?");
        const auto before = sqlca().execute(lookup, {170});
        QCOMPARE(sqlca().SQLCode, 0L);

        QVERIFY2(source.restartServer(), qPrintable(source.error()));
        QCOMPARE(sqlca().execute(lookup, {170}), before);
        QCOMPARE(sqlca().SQLCode, 0L);

        QVERIFY2(source.restartServer(), qPrintable(source.error()));
        insertYear(QStringLiteral("41"));
        QCOMPARE(sqlca().SQLCode, -1L);
        QVERIFY(!sqlca().SQLErrText.isEmpty());
        QVERIFY(sqlca().connectionMadeAgain());
        QCOMPARE(sqlca().rollback(), 0);
        QVERIFY(sqlca().connectionMadeAgain());
        QCOMPARE(source.count(QStringLiteral("xmsz")), 0);

        // Lost as the COMMIT begins: the COMMIT fails and says so, and nothing is stored.
        QVERIFY2(source.cutConnectionAtCommit(1), qPrintable(source.error()));
        insertYear(QStringLiteral("41"));
        QCOMPARE(sqlca().SQLCode, 0L);
        QVERIFY(!sqlca().connectionMadeAgain());
        QCOMPARE(sqlca().commit(), -1);
        QVERIFY(sqlca().connectionMadeAgain());
        QCOMPARE(source.count(QStringLiteral("xmsz")), 0);

        insertYear(QStringLiteral("41"));
        QCOMPARE(sqlca().SQLCode, 0L);
        QCOMPARE(sqlca().commit(), 0);
        QVERIFY(!sqlca().connectionMadeAgain());
        QCOMPARE(source.count(QStringLiteral("xmsz")), 1);
    }

    // The server is down for a while: every statement fails with the driver's text, none hangs, and
    // once it is back the next statement works.
    void serverDownThenBack()
    {
        if (!onPostgres())
            QSKIP("an embedded SQLite database has no server to lose");
        TestDataSource source;
        QCOMPARE(TestDataSource::connectSqlca(), 0L);
        QVERIFY(source.stopServer());
        sqlca().execute(QStringLiteral("SELECT nj FROM xmsz WHERE nj = ?"), {QStringLiteral("41")});
        QCOMPARE(sqlca().SQLCode, -1L);
        sqlca().execute(QStringLiteral("SELECT nj FROM xmsz WHERE nj = ?"), {QStringLiteral("41")});
        QCOMPARE(sqlca().SQLCode, -1L);
        QVERIFY2(!sqlca().SQLErrText.isEmpty(), "no reason given");
        insertYear(QStringLiteral("41")); // no new connection to run it again on
        QCOMPARE(sqlca().SQLCode, -1L);
        QVERIFY(!sqlca().connectionMadeAgain());
        QVERIFY2(source.startServer(), qPrintable(source.error()));
        sqlca().execute(QStringLiteral("SELECT nj FROM xmsz WHERE nj = ?"), {QStringLiteral("41")});
        QCOMPARE(sqlca().SQLCode, 100L);
    }
};

QTEST_GUILESS_MAIN(TestTransaction)
#include "tst_transaction.moc"
