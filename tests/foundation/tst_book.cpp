// The application object's connection at start-up and its end.
#include "app/book.h"
#include "runtime/messagebox.h"
#include "runtime/registry.h"
#include "runtime/transaction.h"
#include "test_data_source.h"

#include <QApplication>
#include <QtTest>

class TestBook : public QObject {
    Q_OBJECT
private slots:
    void failedConnectionShowsOneBoxAndNoWindow()
    {
        TestDataSource source(TestDataSource::NoDatabase);
        rt::MessageBoxRecorder boxes;
        book app;
        app.create();
        QVERIFY(!app.open(QString()));
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().title, QStringLiteral("数据库连接失败"));
        QCOMPARE(boxes.last().icon, rt::Icon::Information);
        QVERIFY(!boxes.last().text.isEmpty());
        QCOMPARE(boxes.last().text, rt::sqlca().SQLErrText);
        const auto windows = QApplication::topLevelWidgets();
        QVERIFY(std::none_of(windows.begin(), windows.end(), [](QWidget *w) { return w->isVisible(); }));
        app.close();
        app.destroy();
    }

    void connectsWithTheFixedSettingsAndDisconnectsOnce()
    {
        TestDataSource source;
        rt::MessageBoxRecorder boxes;
        book app;
        app.create();
        QVERIFY(app.open(QStringLiteral("--any arguments are ignored")));
        QCOMPARE(boxes.count(), 0);
        QVERIFY(rt::sqlca().isConnected());
        QCOMPARE(rt::sqlca().DBMS, QStringLiteral("ODBC"));
        QVERIFY(!rt::sqlca().AutoCommit);
        QCOMPARE(rt::sqlca().DBParm, QStringLiteral("ConnectString='DSN=vemka;PWD=pelvok3864'"));
        app.close();
        QVERIFY(!rt::sqlca().isConnected());
        app.close(); // a second close does nothing
        QVERIFY(!rt::sqlca().isConnected());
        app.destroy();
    }
};

QTEST_MAIN(TestBook)
#include "tst_book.moc"
