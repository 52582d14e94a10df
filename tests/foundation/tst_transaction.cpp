// The transaction object over a real SQLite file through the ODBC driver.
#include "runtime/transaction.h"
#include "test_data_source.h"

#include <QtTest>

using rt::sqlca;

class TestTransaction : public QObject {
    Q_OBJECT
private slots:
    void committedRowSurvivesReconnect()
    {
        TestDataSource source;
        QVERIFY2(source.isValid(), qPrintable(source.error()));
        QCOMPARE(TestDataSource::connectSqlca(), 0L);
        sqlca().execute(QStringLiteral("INSERT INTO xmsz (nj, xm_t_m) VALUES (?, ?)"), {QStringLiteral("41"), QStringLiteral("1")});
        QCOMPARE(sqlca().SQLCode, 0L);
        QCOMPARE(sqlca().SQLNRows, 1L);
        QCOMPARE(sqlca().commit(), 0);
        TestDataSource::disconnectSqlca();

        QCOMPARE(TestDataSource::connectSqlca(), 0L);
        QSqlQuery q = sqlca().execute(QStringLiteral("SELECT xm_t_m FROM xmsz WHERE nj = ?"), {QStringLiteral("41")});
        QCOMPARE(sqlca().SQLCode, 0L);
        QCOMPARE(q.value(0).toString(), QStringLiteral("1"));
    }

    void rolledBackRowIsGone()
    {
        TestDataSource source;
        QCOMPARE(TestDataSource::connectSqlca(), 0L);
        sqlca().execute(QStringLiteral("INSERT INTO xmsz (nj) VALUES (?)"), {QStringLiteral("42")});
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
        sqlca().execute(QStringLiteral("INSERT INTO xmsz (nj) VALUES (?)"), {QStringLiteral("43")});
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
        QSqlQuery q = sqlca().execute(QStringLiteral("SELECT COUNT(*) FROM dx1234_m WHERE s = ? AND z1 < 55.3"), {999});
        QCOMPARE(q.value(0).toInt(), 1);
    }

    void errorsCarryTheDriversText()
    {
        TestDataSource source;
        QCOMPARE(TestDataSource::connectSqlca(), 0L);
        sqlca().execute(QStringLiteral("SELECT nope FROM missing_table"));
        QCOMPARE(sqlca().SQLCode, -1L);
        QVERIFY2(sqlca().SQLErrText.contains(QLatin1String("missing_table")), qPrintable(sqlca().SQLErrText));
    }

    void unreachableDatabaseFailsWithTheDriversText()
    {
        TestDataSource source(TestDataSource::NoDatabase);
        QCOMPARE(TestDataSource::connectSqlca(), -1L);
        QVERIFY(!sqlca().isConnected());
        QVERIFY2(sqlca().SQLErrText.contains(QLatin1String("connect failed")), qPrintable(sqlca().SQLErrText));
        // Statements on a connection that is not there fail instead of crashing.
        sqlca().execute(QStringLiteral("SELECT 1"));
        QCOMPARE(sqlca().SQLCode, -1L);
        QCOMPARE(sqlca().commit(), -1);
    }
};

QTEST_GUILESS_MAIN(TestTransaction)
#include "tst_transaction.moc"
