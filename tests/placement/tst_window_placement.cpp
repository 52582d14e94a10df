// Where windows stand on a real X display: a private Xvfb display, with the openbox window manager and
// without one, each time running the placement probe, which opens the windows as the program does and
// reports the frames the X server holds. Under a window manager the outer frame has the window's size
// and is centred (or stands at the window's position); without one the client area is, as it always was.
#include "runtime/units.h"

#include <QFile>
#include <QProcess>
#include <QRect>
#include <QStandardPaths>
#include <QtTest>

namespace {

constexpr QSize kScreen(1600, 1000);

struct Expected {
    const char *cls;
    QSize units;        // outer size
    QPoint position{-1, -1}; // outer position in units; none: centred
};

const Expected kWindows[] = {
    {"w_pwd", {1682, 612}},
    {"w_xm_dx1", {1897, 1424}},
    {"w_jsq_dx1", {3008, 1388}},
    {"w_jsq_by", {1531, 1448}},
    {"w_4", {1312, 1108}, {1111, 488}},
};

struct Placed {
    QRect outer;
    QRect client;
    int moves; // after the window first appeared
};

// A private X display and, when asked, openbox on it; both stopped by their process ids.
class PrivateDisplay {
public:
    ~PrivateDisplay()
    {
        for (QProcess *p : {&wm_, &server_}) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(3000))
                    p->kill();
                p->waitForFinished(1000);
            }
        }
    }

    bool start(bool withWindowManager, QString &error)
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
        if (xvfb.isEmpty() || (withWindowManager && openbox.isEmpty())) {
            error = QStringLiteral("needs Xvfb and openbox (apt-get install xvfb openbox)");
            return false;
        }
        // The server picks a free display and writes its number on standard output.
        server_.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                             QStringLiteral("0"), QStringLiteral("%1x%2x24").arg(kScreen.width()).arg(kScreen.height()),
                             QStringLiteral("-dpi"), QStringLiteral("96"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        QByteArray number;
        QElapsedTimer clock;
        clock.start();
        while (!number.contains('\n') && clock.elapsed() < 10000 && server_.state() != QProcess::NotRunning) {
            server_.waitForReadyRead(200);
            number += server_.readAllStandardOutput();
        }
        if (!number.contains('\n')) {
            error = QStringLiteral("Xvfb did not start: ") + QString::fromLocal8Bit(server_.readAllStandardError());
            return false;
        }
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + QString::fromLatin1(number.trimmed()));
        env_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env_.remove(QStringLiteral("XAUTHORITY"));
        if (withWindowManager) {
            wm_.setProcessEnvironment(env_);
            wm_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            wm_.start(openbox, {QStringLiteral("--sm-disable")});
            if (!wm_.waitForStarted(5000)) {
                error = QStringLiteral("openbox did not start");
                return false;
            }
        }
        return true;
    }

    // Runs the probe on the display; the windows it placed, by class.
    QHash<QString, Placed> probe(bool withWindowManager, QString &error)
    {
        QProcess probe;
        probe.setProcessEnvironment(env_);
        probe.start(QStringLiteral(PLACEMENT_PROBE),
                    withWindowManager ? QStringList{QStringLiteral("--wm")} : QStringList{});
        QHash<QString, Placed> placed;
        if (!probe.waitForFinished(60000) || probe.exitCode() != 0) {
            error = QStringLiteral("probe failed: ") + QString::fromLocal8Bit(probe.readAllStandardError());
            return placed;
        }
        const QList<QByteArray> lines = probe.readAllStandardOutput().split('\n');
        for (const QByteArray &line : lines) {
            const QList<QByteArray> f = line.simplified().split(' ');
            if (f.size() != 13)
                continue;
            auto rect = [&](int at) { return QRect(f[at].toInt(), f[at + 1].toInt(), f[at + 2].toInt(), f[at + 3].toInt()); };
            placed.insert(QString::fromLatin1(f[0]), Placed{rect(2), rect(7), f[12].toInt()});
        }
        return placed;
    }

private:
    QProcess server_;
    QProcess wm_;
    QProcessEnvironment env_;
};

QSize pixels(QSize units) { return QSize(rt::unitsToPixelsX(units.width()), rt::unitsToPixelsY(units.height())); }

// Twice the distance between the rectangle's centre and the screen's, so that half pixels stay whole.
QPoint twiceOffCentre(const QRect &r)
{
    return QPoint(2 * r.x() + r.width() - kScreen.width(), 2 * r.y() + r.height() - kScreen.height());
}

// What is wrong with the windows' places: each rectangle must have the size and stand where expected.
QStringList misplaced(const QHash<QString, Placed> &placed, bool outerFrame)
{
    QStringList wrong;
    for (const Expected &e : kWindows) {
        const QString cls = QLatin1String(e.cls);
        if (!placed.contains(cls)) {
            wrong << cls + QStringLiteral(": not shown");
            continue;
        }
        const Placed &p = placed[cls];
        const QRect r = outerFrame ? p.outer : p.client;
        if (outerFrame == (p.outer == p.client))
            wrong << cls + (outerFrame ? QStringLiteral(": not framed") : QStringLiteral(": framed"));
        if (p.moves != 0)
            wrong << QStringLiteral("%1: jumped %2 times after it appeared").arg(cls).arg(p.moves);
        const QSize size = outerFrame ? pixels(e.units) : rt::clientSizeForOuter(e.units.width(), e.units.height());
        if (r.size() != size)
            wrong << QStringLiteral("%1: %2x%3, not %4x%5").arg(cls).arg(r.width()).arg(r.height()).arg(size.width()).arg(size.height());
        if (e.position.x() < 0) {
            // Centred to the pixel: off by at most half a pixel where the sizes differ by an odd number.
            const QPoint off = twiceOffCentre(r);
            if (std::abs(off.x()) > 1 || std::abs(off.y()) > 1)
                wrong << QStringLiteral("%1: centre off by (%2, %3) px").arg(cls).arg(off.x() / 2.0).arg(off.y() / 2.0);
        } else {
            const QPoint at(rt::unitsToPixelsX(e.position.x()), rt::unitsToPixelsY(e.position.y()));
            if (r.topLeft() != at)
                wrong << QStringLiteral("%1: at (%2, %3), not (%4, %5)").arg(cls).arg(r.x()).arg(r.y()).arg(at.x()).arg(at.y());
        }
    }
    return wrong;
}

} // namespace

class TestWindowPlacement : public QObject {
    Q_OBJECT
private slots:
    void placement_data()
    {
        QTest::addColumn<bool>("windowManager");
        QTest::newRow("under openbox the outer frame has the size and place") << true;
        QTest::newRow("without a window manager the client area has them") << false;
    }

    void placement()
    {
        QFETCH(bool, windowManager);
        PrivateDisplay display;
        QString error;
        QVERIFY2(display.start(windowManager, error), qPrintable(error));
        const QHash<QString, Placed> placed = display.probe(windowManager, error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const QStringList wrong = misplaced(placed, windowManager);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral("; "))));
    }
};

QTEST_GUILESS_MAIN(TestWindowPlacement)
#include "tst_window_placement.moc"
