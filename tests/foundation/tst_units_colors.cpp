// Layout units, colour numbers, text sizes and static texts of the window definitions.
#include "runtime/colors.h"
#include "runtime/fonts.h"
#include "runtime/static_text.h"
#include "runtime/units.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QtTest>

class TestUnitsColors : public QObject {
    Q_OBJECT
private slots:
    void unitsScaleWithTheScreen()
    {
        const double scale = QGuiApplication::primaryScreen()->logicalDotsPerInchX() / 96.0;
        // 32 units across are 7 px, 4 units down are 1 px at 96 dpi.
        QCOMPARE(rt::unitsToPixelsX(3200), qRound(700 * scale));
        QCOMPARE(rt::unitsToPixelsY(400), qRound(100 * scale));
        QCOMPARE(rt::unitRect(32, 4, 64, 8), QRect(qRound(7 * scale), qRound(1 * scale), qRound(14 * scale), qRound(2 * scale)));
    }

    void colourNumbers_data()
    {
        QTest::addColumn<qlonglong>("number");
        QTest::addColumn<QColor>("expected");
        const QPalette pal = QApplication::palette();
        QTest::newRow("RGB red is 255") << 255LL << QColor(255, 0, 0);
        QTest::newRow("RGB blue is 16711680") << 16711680LL << QColor(0, 0, 255);
        QTest::newRow("RGB(166,202,240)") << qlonglong(rt::rgb(166, 202, 240)) << QColor(166, 202, 240);
        QTest::newRow("window text code") << 33554432LL << pal.color(QPalette::WindowText);
        QTest::newRow("button face code 67108864") << 67108864LL << pal.color(QPalette::Button);
        QTest::newRow("button face code 79741120") << 79741120LL << pal.color(QPalette::Button);
        QTest::newRow("button face code 80269524") << 80269524LL << pal.color(QPalette::Button);
        QTest::newRow("indexed highlight 134217741") << 134217741LL << pal.color(QPalette::Highlight);
        QTest::newRow("transparent 536870912") << 536870912LL << QColor(Qt::transparent);
    }
    void colourNumbers()
    {
        QFETCH(qlonglong, number);
        QFETCH(QColor, expected);
        QCOMPARE(rt::color(long(number)), expected);
    }

    void textSizes_data()
    {
        QTest::addColumn<int>("textSize");
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("pixels");
        QTest::newRow("-11 is 11 points") << -11 << 11 << -1;
        QTest::newRow("-9 is 9 points") << -9 << 9 << -1;
        QTest::newRow("12 is a 12-pixel height") << 12 << -1 << 12;
    }
    void textSizes()
    {
        QFETCH(int, textSize);
        const QFont font = rt::fontOfTextSize(QStringLiteral("Courier New"), textSize);
        QCOMPARE(font.family(), QStringLiteral("Courier New"));
        QTEST(font.pointSize(), "points");
        QTEST(font.pixelSize(), "pixels");
    }

    // A text that looks like markup is shown as written, as the old platform showed every text.
    void staticTextShowsAsWritten()
    {
        QWidget window;
        const rt::StaticText text{"st_1", "<b>1</b>", 0, 0, 900, 60, 9, 400, 0};
        const QLabel *label = rt::addStaticText(&window, text, QStringLiteral("Arial"));
        QCOMPARE(label->text(), QStringLiteral("<b>1</b>"));
        QVERIFY(label->sizeHint().width() >= label->fontMetrics().horizontalAdvance(label->text()));
    }
};

QTEST_MAIN(TestUnitsColors)
#include "tst_units_colors.moc"
