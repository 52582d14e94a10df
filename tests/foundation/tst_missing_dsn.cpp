// Start-up without a data source named vemka: one box with the driver's text, no window, no crash.
#include "app/book.h"
#include "runtime/messagebox.h"
#include "runtime/transaction.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestMissingDsn : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The driver manager reads the definitions once per process: this one never defines vemka.
        QVERIFY(dir_.isValid());
        QFile ini(dir_.filePath(QStringLiteral("odbc.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[somewhere_else]\nDriver=SQLite3\nDatabase=/nonexistent/x.db\n");
        ini.close();
        qputenv("ODBCINI", ini.fileName().toLocal8Bit());
    }

    void missingDataSourceShowsOneBoxAndNoWindow()
    {
        rt::MessageBoxRecorder boxes;
        book app;
        app.create();
        QVERIFY(!app.open(QString()));
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().title, QStringLiteral("数据库连接失败"));
        QVERIFY2(boxes.last().text.contains(QLatin1String("Data source name not found")), qPrintable(boxes.last().text));
        const auto windows = QApplication::topLevelWidgets();
        QVERIFY(std::none_of(windows.begin(), windows.end(), [](QWidget *w) { return w->isVisible(); }));
        QVERIFY(!rt::sqlca().isConnected());
        app.close();
        app.destroy();
    }

private:
    QTemporaryDir dir_;
};

QTEST_MAIN(TestMissingDsn)
#include "tst_missing_dsn.moc"
