// The connect string that ODBC receives from the program's connection settings, read from the driver
// manager's trace.
#include "runtime/transaction.h"
#include "test_data_source.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

class TestConnectString : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(sys_.isValid());
        {
            QFile ini(sys_.filePath(QStringLiteral("odbcinst.ini")));
            QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Text));
            QTextStream(&ini) << "[ODBC]\nTrace=Yes\nTraceFile=" << trace()
                              << "\n\n[SQLite3]\nDriver=libsqlite3odbc.so\n";
        }
        // Read by the driver manager when the first handle is made; nothing ODBC has run before.
        qputenv("ODBCSYSINI", sys_.path().toLocal8Bit());
    }

    void odbcReceivesTheConnectStringUnchanged()
    {
        TestDataSource source;
        QVERIFY2(source.isValid(), qPrintable(source.error()));
        const qint64 from = QFileInfo(trace()).size();
        QCOMPARE(TestDataSource::connectSqlca(), 0L);
        TestDataSource::disconnectSqlca();
        // The trace hides the password behind one '*' per character.
        QCOMPARE(received(from), QStringLiteral("DSN=vemka;PWD=") + QString(QStringLiteral("pelvok3864").size(), QLatin1Char('*')));
    }

    // Qt's driver would put a second "DSN=" before a name that comes with attributes.
    void attributesGoOverWithTheDataSource_data()
    {
        QTest::addColumn<QString>("connectString");
        QTest::addColumn<bool>("waitOnce");
        QTest::addColumn<QString>("received");
        QTest::addRow("an attribute after the password") << "DSN=vemka;PWD=pelvok3864;Timeout=2000" << false
                                                         << "DSN=vemka;Timeout=2000;PWD=**********";
        QTest::addRow("an attribute before the name, the user") << "NoWCHAR=0;dsn=vemka;UID=office;PWD=pelvok3864" << false
                                                                << "DSN=vemka;NoWCHAR=0;UID=office;PWD=**********";
        QTest::addRow("the driver's wait cut for the one wait") << "DSN=vemka;PWD=pelvok3864" << true << "DSN=vemka;Timeout=1;PWD=**********";
        QTest::addRow("the caller's Timeout cut too") << "DSN=vemka;timeout = 5000;PWD=pelvok3864" << true
                                                      << "DSN=vemka;Timeout=1;PWD=**********";
    }
    void attributesGoOverWithTheDataSource()
    {
        QFETCH(QString, connectString);
        QFETCH(bool, waitOnce);
        TestDataSource source;
        QVERIFY2(source.isValid(), qPrintable(source.error()));
        const qint64 from = QFileInfo(trace()).size();
        {
            rt::Transaction tr(QStringLiteral("attributes"));
            tr.DBMS = QStringLiteral("ODBC");
            tr.DBParm = QStringLiteral("ConnectString='%1'").arg(connectString);
            tr.setWaitOnce(waitOnce);
            QVERIFY2(tr.connect() == 0, qPrintable(tr.SQLErrText));
            QCOMPARE(tr.execute(QStringLiteral("SELECT COUNT(*) FROM dx1234_m")).value(0).value(0).toInt(), 51);
        }
        QTEST(received(from), "received");
    }

    void connectStringIsTakenFromDbParm()
    {
        QCOMPARE(rt::Transaction::connectStringOf(QStringLiteral("ConnectString='DSN=vemka;PWD=pelvok3864'")),
                 QStringLiteral("DSN=vemka;PWD=pelvok3864"));
        QCOMPARE(rt::Transaction::connectStringOf(QStringLiteral("Other=1")), QString());
    }

private:
    QString trace() const { return sys_.filePath(QStringLiteral("trace.log")); }

    // The connect string of the first SQLDriverConnect in the trace from byte `from` on.
    QString received(qint64 from) const
    {
        QFile log(trace());
        if (!log.open(QIODevice::ReadOnly | QIODevice::Text) || !log.seek(from))
            return QStringLiteral("no trace");
        const QString text = QString::fromLocal8Bit(log.readAll());
        static const QRegularExpression in(QStringLiteral("\\[SQLDriverConnectW?\\.c\\].*?Str In = \\[([^\\]]*)\\]"),
                                           QRegularExpression::DotMatchesEverythingOption);
        const auto m = in.match(text);
        return m.hasMatch() ? m.captured(1) : QStringLiteral("no SQLDriverConnect in the trace");
    }

    QTemporaryDir sys_;
};

QTEST_GUILESS_MAIN(TestConnectString)
#include "tst_connect_string.moc"
