// The program's style: group box frames and toolbar extension icons look exactly as Qt's Fusion style
// makes them, and making them loads no image-format plugin.
#include "runtime/fonts.h"
#include "runtime/style.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QToolBar>
#include <QtTest>
#include <memory>

class TestStyle : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        rt::installFontSubstitutions();
        rt::installStyle();
    }

    // Runs first: Fusion itself, making the comparisons below, loads the plugins.
    void framesAndToolbarsLoadNoImagePlugin()
    {
        QGroupBox titled(QStringLiteral("性别"));
        titled.resize(200, 100);
        QGroupBox untitled;
        untitled.resize(200, 100);
        titled.grab();
        untitled.grab();
        QToolBar toolbar;
        toolbar.addAction(QStringLiteral("大一项目"));
        toolbar.grab();
        QFile maps(QStringLiteral("/proc/self/maps"));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QByteArray mapped = maps.readAll();
        QVERIFY2(!mapped.contains("/imageformats/"), "an image-format plugin was loaded");
    }

    void framesLookAsFusions_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("checkable");
        QTest::addColumn<QFont>("font");
        QTest::addColumn<QSize>("size");
        const QFont standard = QApplication::font();
        QTest::newRow("no title: the frame starts at the top") << QString() << false << standard << QSize(240, 90);
        QTest::newRow("a title: the frame starts below it") << QStringLiteral("项目成绩") << false << standard
                                                            << QSize(240, 90);
        QTest::newRow("a 16-point title") << QStringLiteral("加分") << false << rt::font(QStringLiteral("宋体"), 16)
                                          << QSize(300, 120);
        QTest::newRow("a bold title in a small box") << QStringLiteral("性别") << false
                                                     << rt::font(QStringLiteral("Arial"), 8, 700) << QSize(40, 30);
        QTest::newRow("a check box and no title") << QString() << true << standard << QSize(240, 90);
    }
    void framesLookAsFusions()
    {
        QFETCH(QString, title);
        QFETCH(bool, checkable);
        QFETCH(QFont, font);
        QFETCH(QSize, size);
        const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
        QGroupBox box(title);
        box.setCheckable(checkable);
        box.setFont(font);
        box.resize(size);
        const QImage ours = box.grab().toImage();
        box.setStyle(fusion.get());
        const QImage fusions = box.grab().toImage();
        box.setStyle(nullptr);
        QCOMPARE(ours, fusions);
    }

    void toolbarIconsAreFusions_data()
    {
        QTest::addColumn<int>("icon");
        QTest::addColumn<Qt::LayoutDirection>("direction");
        QTest::newRow("horizontal") << int(QStyle::SP_ToolBarHorizontalExtensionButton) << Qt::LeftToRight;
        QTest::newRow("horizontal, right to left") << int(QStyle::SP_ToolBarHorizontalExtensionButton) << Qt::RightToLeft;
        QTest::newRow("vertical") << int(QStyle::SP_ToolBarVerticalExtensionButton) << Qt::LeftToRight;
    }
    void toolbarIconsAreFusions()
    {
        QFETCH(int, icon);
        QFETCH(Qt::LayoutDirection, direction);
        const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
        QStyleOption option;
        option.direction = direction;
        const auto which = QStyle::StandardPixmap(icon);
        const QIcon ours = QApplication::style()->standardIcon(which, &option);
        const QIcon fusions = fusion->standardIcon(which, &option);
        QCOMPARE(ours.availableSizes(), fusions.availableSizes());
        for (const QSize size : {QSize(8, 8), QSize(12, 12), QSize(16, 16), QSize(24, 24), QSize(32, 32)}) {
            for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled, QIcon::Active}) {
                const QString what = QStringLiteral("%1 px, mode %2").arg(size.width()).arg(int(mode));
                QVERIFY2(ours.pixmap(size, mode).toImage() == fusions.pixmap(size, mode).toImage(), qPrintable(what));
            }
        }
    }
};

QTEST_MAIN(TestStyle)
#include "tst_style.moc"
