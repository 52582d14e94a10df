// A department's server that stops answering, with the data source entry of the README: the test runs
// in a network namespace of its own with its private server on 127.0.0.1 there, and switches the
// loopback off as a pulled cable would. A start, a lookup on leaving the height and a Save each give
// up within 10 s with their usual message, and work again once the network is back; a start against
// a server whose processes are frozen gives up as soon.
#include "app/book.h"
#include "private_network.h"
#include "runtime/fonts.h"
#include "runtime/messagebox.h"
#include "runtime/transaction.h"
#include "score/register.h"
#include "score_window_driver.h"
#include "settings/register.h"
#include "test_data_source.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QtTest>
#include <functional>

using namespace std::chrono_literals;
using namespace score_test;

namespace {

// What the operator may wait for, and, far above it, when a wait counts as a hang and is ended.
constexpr qint64 kGivesUpWithinMs = 10000;
constexpr auto kHang = 20s;

qint64 timed(const std::function<void()> &action)
{
    QElapsedTimer clock;
    clock.start();
    action();
    return clock.elapsed();
}

QString took(qint64 ms) { return QStringLiteral("took %1 ms").arg(ms); }

} // namespace

class TestNetworkLoss : public QObject {
    Q_OBJECT
public:
    explicit TestNetworkLoss(QString withoutNetwork) : withoutNetwork_(std::move(withoutNetwork)) {}

private slots:
    void initTestCase()
    {
        if (!withoutNetwork_.isEmpty())
            QSKIP(qPrintable(withoutNetwork_));
        rt::installFontSubstitutions();
        settings::registerWindows();
        score::registerWindows();
    }

    void startGivesUpThenStarts_data()
    {
        QTest::addColumn<bool>("frozenServer");
        QTest::newRow("network cut off") << false;
        QTest::newRow("server's processes frozen") << true;
    }

    void startGivesUpThenStarts()
    {
        QFETCH(bool, frozenServer);
        TestDataSource ds;
        QVERIFY2(ds.isValid(), qPrintable(ds.error()));
        rt::MessageBoxRecorder boxes;
        book app;
        app.create();
        {
            Outage outage = frozenServer ? Outage([&ds] { return ds.freezeServer(true); }, [&ds] { return ds.freezeServer(false); }, kHang)
                                         : Outage::loopbackOff(kHang);
            QVERIFY(outage.isCut());
            bool started = true;
            const qint64 ms = timed([&] { started = app.open(QString()); });
            QVERIFY(outage.restore());
            QVERIFY2(ms < kGivesUpWithinMs, qPrintable(took(ms)));
            QVERIFY(!started);
        }
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().title, QStringLiteral("数据库连接失败"));
        QVERIFY(!boxes.last().text.isEmpty());
        QCOMPARE(boxes.last().text, rt::sqlca().SQLErrText);

        QVERIFY(app.open(QString()));
        QCOMPARE(boxes.count(), 1);
        app.close();
        app.destroy();
    }

    void lookupGivesUpThenWorks()
    {
        TestDataSource ds;
        QVERIFY2(ds.isValid(), qPrintable(ds.error()));
        QCOMPARE(TestDataSource::connectSqlca(), 0L);
        saveRow(1);
        rt::MessageBoxRecorder boxes;
        const auto win = openWindow(1);
        QVERIFY(win);
        typeAndLeave(win.get(), "em_s1", QStringLiteral("170"));
        typeAndLeave(win.get(), "em_s2", QStringLiteral("60"));
        QCOMPARE(shown(win.get(), "em_s_t"), QStringLiteral("15.0"));
        QCOMPARE(boxes.count(), 0);

        {
            Outage outage = Outage::loopbackOff(kHang);
            QVERIFY(outage.isCut());
            const qint64 ms = timed([&] { typeAndLeave(win.get(), "em_s1", QStringLiteral("171")); });
            QVERIFY(outage.restore());
            QVERIFY2(ms < kGivesUpWithinMs, qPrintable(took(ms)));
        }
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().title, QStringLiteral("错误"));
        QVERIFY(!boxes.last().text.isEmpty());
        QCOMPARE(shown(win.get(), "em_s_t"), QStringLiteral("0.0"));

        // The network is back: the next lookup works, on a connection made again.
        typeAndLeave(win.get(), "em_s1", QStringLiteral("170"));
        QCOMPARE(shown(win.get(), "em_s_t"), QStringLiteral("15.0"));
        QCOMPARE(boxes.count(), 1);
    }

    void saveGivesUpThenStores()
    {
        TestDataSource ds(TestDataSource::SchemaOnly);
        QVERIFY2(ds.isValid(), qPrintable(ds.error()));
        QCOMPARE(TestDataSource::connectSqlca(), 0L);
        rt::MessageBoxRecorder boxes;
        w_xm_dx win(*settings::variantOf(QStringLiteral("w_xm_dx1")));
        win.openEvent();
        win.show();
        activate(&win);
        clickRadios(&win, {"rb_l_m"});
        QVERIFY(win.saveEnabled());

        {
            Outage outage = Outage::loopbackOff(kHang);
            QVERIFY(outage.isCut());
            const qint64 ms = timed([&] { clickSave(&win); });
            QVERIFY(outage.restore());
            QVERIFY2(ms < kGivesUpWithinMs, qPrintable(took(ms)));
        }
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().title, QStringLiteral("注意"));
        QVERIFY2(boxes.last().text.startsWith(QStringLiteral("保存失败！\n")), qPrintable(boxes.last().text));
        QVERIFY(win.saveEnabled());
        QCOMPARE(ds.count(QStringLiteral("xmsz")), 0);

        // The network is back: the next Save stores the choice.
        clickSave(&win);
        QCOMPARE(boxes.count(), 1);
        QVERIFY(!win.saveEnabled());
        QCOMPARE(ds.scalar(QStringLiteral("SELECT xm_l_m FROM xmsz WHERE nj = '41'")), QVariant(QStringLiteral("1")));
    }

private:
    QString withoutNetwork_;
};

int main(int argc, char **argv)
{
    // First, while the process has one thread: the namespace belongs to the thread that enters it.
    const QString withoutNetwork = private_network::enter();
    QApplication app(argc, argv);
    TestNetworkLoss test(withoutNetwork);
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_network_loss.moc"
