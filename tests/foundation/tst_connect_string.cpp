// The connect string that ODBC receives from the program's connection settings, read from the driver
// manager's trace.
#include "runtime/transaction.h"
#include "test_data_source.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

class TestConnectString : public QObject {
    Q_OBJECT
private slots:
    void odbcReceivesTheConnectStringUnchanged()
    {
        QTemporaryDir sys;
        QVERIFY(sys.isValid());
        const QString trace = sys.filePath(QStringLiteral("trace.log"));
        {
            QFile ini(sys.filePath(QStringLiteral("odbcinst.ini")));
            QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Text));
            QTextStream(&ini) << "[ODBC]\nTrace=Yes\nTraceFile=" << trace
                              << "\n\n[SQLite3]\nDriver=libsqlite3odbc.so\n";
        }
        // Read by the driver manager when the first handle is made; nothing ODBC has run before.
        qputenv("ODBCSYSINI", sys.path().toLocal8Bit());

        TestDataSource source;
        QVERIFY2(source.isValid(), qPrintable(source.error()));
        QCOMPARE(TestDataSource::connectSqlca(), 0L);
        TestDataSource::disconnectSqlca();

        QFile log(trace);
        QVERIFY(log.open(QIODevice::ReadOnly | QIODevice::Text));
        const QString text = QString::fromLocal8Bit(log.readAll());
        // The trace hides the password behind one '*' per character.
        static const QRegularExpression in(QStringLiteral("Str In = \\[(DSN=vemka;[^\\]]*)\\]"));
        const auto m = in.match(text);
        QVERIFY2(m.hasMatch(), "no SQLDriverConnect to vemka in the trace");
        QCOMPARE(m.captured(1), QStringLiteral("DSN=vemka;PWD=") + QString(QStringLiteral("pelvok3864").size(), QLatin1Char('*')));
        QVERIFY(!text.contains(QLatin1String("DSN=DSN=")));
    }

    void connectStringIsTakenFromDbParm()
    {
        QCOMPARE(rt::Transaction::connectStringOf(QStringLiteral("ConnectString='DSN=vemka;PWD=pelvok3864'")),
                 QStringLiteral("DSN=vemka;PWD=pelvok3864"));
        QCOMPARE(rt::Transaction::connectStringOf(QStringLiteral("Other=1")), QString());
    }
};

QTEST_GUILESS_MAIN(TestConnectString)
#include "tst_connect_string.moc"
