// One run of the program: splash, login, re-login, exit. The event loop ends when the last window has
// closed, not at a re-login, and the connection stays open until the application object closes it.
#include "app/book.h"
#include "app/m_main.h"
#include "app/register.h"
#include "app/w_main1.h"
#include "kit/pfc_picture_command_button.h"
#include "runtime/fonts.h"
#include "runtime/messagebox.h"
#include "runtime/registry.h"
#include "runtime/transaction.h"
#include "test_data_source.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QtTest>

class TestLifecycle : public QObject {
    Q_OBJECT
private slots:
    void programEndsWhenTheLastWindowCloses()
    {
        rt::installFontSubstitutions();
        TestDataSource data;
        app::registerWindows();
        rt::MessageBoxRecorder boxes;

        int logins = 0;
        int startWindows = 0;
        bool connectedAtRelogin = false;
        connect(&rt::windows(), &rt::WindowRegistry::windowShown, this, [&](QWidget *w, const QString &cls) {
            if (cls == QLatin1String("w_flash")) {
                QTest::mouseClick(w->findChild<QLabel *>(QStringLiteral("p_1")), Qt::LeftButton);
            } else if (cls == QLatin1String("w_pwd")) {
                ++startWindows;
                QTimer::singleShot(0, w, [w] {
                    auto *login = w->findChild<pfc_picture_command_button *>(QStringLiteral("uo_3"));
                    QTest::mouseClick(login->command_button(), Qt::LeftButton);
                });
            } else if (cls == QLatin1String("w_main1")) {
                ++logins;
                auto *frame = static_cast<w_main1 *>(w);
                const QString next = logins == 1 ? QStringLiteral("m_重新登录") : QStringLiteral("m_退出系统");
                QTimer::singleShot(0, frame, [frame, next, &connectedAtRelogin] {
                    connectedAtRelogin = rt::sqlca().isConnected();
                    frame->menu()->item(next)->trigger();
                });
            }
        });

        book program;
        program.create();
        QVERIFY(program.open(QString()));
        QCOMPARE(startWindows, 1);
        QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
        QTimer::singleShot(30000, qApp, [] { QCoreApplication::exit(2); }); // a hang fails instead of blocking
        QCOMPARE(QApplication::exec(), 0);

        QCOMPARE(logins, 2);
        QCOMPARE(startWindows, 2);
        QCOMPARE(lastClosed.count(), 1);
        QVERIFY(connectedAtRelogin);
        QVERIFY(rt::sqlca().isConnected());
        program.close();
        QVERIFY(!rt::sqlca().isConnected());
        program.destroy();
        QCOMPARE(boxes.count(), 0);
    }
};

QTEST_MAIN(TestLifecycle)
#include "test_lifecycle.moc"
