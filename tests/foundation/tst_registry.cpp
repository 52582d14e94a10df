// Windows by class name: one per class through its variable, modal response windows, the open event.
#include "runtime/registry.h"

#include <QDialog>
#include <QtTest>

namespace {

class ProbeWindow : public QDialog, public rt::WindowEvents {
public:
    explicit ProbeWindow(QWidget *parent, bool accept) : QDialog(parent), accept_(accept) {}
    bool openEvent() override
    {
        opened = true;
        visibleDuringOpen = isVisible();
        return accept_;
    }
    bool opened = false;
    bool visibleDuringOpen = true;

private:
    bool accept_;
};

int created = 0;

} // namespace

class TestRegistry : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        auto &reg = rt::windows();
        reg.registerClass(QStringLiteral("w_main_probe"), rt::WindowType::Main, [](QWidget *parent) {
            ++created;
            return new ProbeWindow(parent, true);
        });
        reg.registerClass(QStringLiteral("w_response_probe"), rt::WindowType::Response,
                          [](QWidget *parent) { return new ProbeWindow(parent, true); });
        reg.registerClass(QStringLiteral("w_refusing_probe"), rt::WindowType::Response,
                          [](QWidget *parent) { return new ProbeWindow(parent, false); });
    }

    void unknownClassFails()
    {
        QVERIFY(!rt::windows().hasClass(QStringLiteral("w_nothing")));
        QCOMPARE(rt::windows().open(QStringLiteral("w_nothing")), -1);
        QCOMPARE(rt::windows().openNew(QStringLiteral("w_nothing"), nullptr), -1);
    }

    void oneWindowPerClassThroughItsVariable()
    {
        created = 0;
        QCOMPARE(rt::windows().open(QStringLiteral("w_main_probe")), 1);
        QWidget *first = rt::windows().window(QStringLiteral("w_main_probe"));
        QVERIFY(first && first->isVisible());
        QCOMPARE(first->objectName(), QStringLiteral("w_main_probe"));
        QVERIFY(static_cast<ProbeWindow *>(first)->opened);
        QVERIFY(!static_cast<ProbeWindow *>(first)->visibleDuringOpen);
        QCOMPARE(rt::windows().open(QStringLiteral("w_main_probe")), 1);
        QCOMPARE(created, 1);
        QCOMPARE(rt::windows().window(QStringLiteral("w_main_probe")), first);

        // A new window of a class named by a string is another window.
        QCOMPARE(rt::windows().openNew(QStringLiteral("w_main_probe"), nullptr), 1);
        QCOMPARE(created, 2);

        QPointer<QWidget> guard(first);
        first->close();
        QTRY_VERIFY(guard.isNull());
        QVERIFY(!rt::windows().window(QStringLiteral("w_main_probe")));
        QCOMPARE(rt::windows().open(QStringLiteral("w_main_probe")), 1);
        QCOMPARE(created, 3);
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("w_main_probe"))
                delete w;
    }

    void responseWindowReturnsAfterItHasClosed()
    {
        bool shownInsideLoop = false;
        QPointer<QWidget> seen;
        auto conn = connect(&rt::windows(), &rt::WindowRegistry::windowShown, this,
                            [&](QWidget *w, const QString &name) {
                                if (name != QLatin1String("w_response_probe"))
                                    return;
                                shownInsideLoop = w->isVisible() && w->isModal();
                                seen = w;
                                w->close();
                            });
        QCOMPARE(rt::windows().open(QStringLiteral("w_response_probe")), 1);
        disconnect(conn);
        QVERIFY(shownInsideLoop);
        QVERIFY(seen.isNull()); // destroyed before the call returned
        QVERIFY(!rt::windows().window(QStringLiteral("w_response_probe")));
    }

    void openEventRunsBeforeDisplayAndCanEndTheOpening()
    {
        bool shown = false;
        auto conn = connect(&rt::windows(), &rt::WindowRegistry::windowShown, this, [&] { shown = true; });
        QCOMPARE(rt::windows().open(QStringLiteral("w_refusing_probe")), -1);
        disconnect(conn);
        QVERIFY(!shown);
        QVERIFY(!rt::windows().window(QStringLiteral("w_refusing_probe")));
    }

    void parameterTravelsInTheMessageObject()
    {
        QObject parm;
        auto conn = connect(&rt::windows(), &rt::WindowRegistry::windowShown, this,
                            [&](QWidget *w, const QString &) { w->close(); });
        QCOMPARE(rt::windows().openWithParm(QStringLiteral("w_response_probe"), &parm), 1);
        disconnect(conn);
        QCOMPARE(rt::message().powerObjectParm.data(), &parm);
    }
};

QTEST_MAIN(TestRegistry)
#include "tst_registry.moc"
