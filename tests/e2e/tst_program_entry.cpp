// The program's entry: Qt's own command-line options take no effect, a screen reader's toggle on a check
// box is a click, Qt scales a large picture on one worker thread at most, Qt's own texts are Chinese
// whatever the desktop's language, and the Chinese texts come from the program's text font exactly as
// from the installed font they were taken from. Each run ends at the connection failure (the data
// source's file is missing), where the running application is examined.
#include "app/program.h"
#include "runtime/fonts.h"
#include "runtime/messagebox.h"
#include "score/my_maskedit.h"
#include "test_data_source.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QProcess>
#include <QRawFont>
#include <QStyle>
#include <QTextLayout>
#include <QtTest>
#include <memory>
#include <vector>

class TestProgramEntry : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDataSource> source;

private slots:
    void initTestCase()
    {
        source = std::make_unique<TestDataSource>(TestDataSource::NoDatabase);
        QVERIFY2(source->isValid(), qPrintable(source->error()));
    }

    void qtOptionsChangeNothing()
    {
        QFile sheet(QDir(source->folder()).filePath(QStringLiteral("red.qss")));
        QVERIFY(sheet.open(QIODevice::WriteOnly));
        sheet.write("QWidget { background: red; }\n");
        sheet.close();

        QByteArray program("fitmarkel"), reverse("-reverse"), style("-style"), windows("Windows"),
            stylesheet("-stylesheet"), sheetPath(sheet.fileName().toLocal8Bit()), platform("-platform"),
            minimal("minimal");
        std::vector<char *> argv{program.data(), reverse.data(), style.data(), windows.data(), stylesheet.data(),
                                 sheetPath.data(), platform.data(), minimal.data(), nullptr};

        // What the running program is like when it shows its first box.
        QString platformName, styleName, styleSheet, title;
        Qt::LayoutDirection direction = Qt::LayoutDirectionAuto;
        rt::MessageBoxRecorder boxes;
        boxes.onShow = [&](const rt::ShownBox &box) {
            title = box.title;
            platformName = QGuiApplication::platformName();
            direction = QGuiApplication::layoutDirection();
            styleName = QApplication::style()->name();
            styleSheet = qApp->styleSheet();
        };
        QCOMPARE(runProgram(int(argv.size()) - 1, argv.data()), 1);
        QCOMPARE(title, QStringLiteral("数据库连接失败"));
        QCOMPARE(platformName, QString::fromLocal8Bit(qgetenv("QT_QPA_PLATFORM")));
        QCOMPARE(direction, Qt::LeftToRight);
        QVERIFY2(styleName.compare(QLatin1String("windows"), Qt::CaseInsensitive) != 0, qPrintable(styleName));
        QCOMPARE(styleSheet, QString());
    }

    void screenReaderToggleIsAClick()
    {
        QByteArray program("fitmarkel");
        char *argv[] = {program.data(), nullptr};
        int clicks = -1;
        rt::MessageBoxRecorder boxes;
        boxes.onShow = [&](const rt::ShownBox &) {
            QCheckBox box;
            clicks = 0;
            connect(&box, &QCheckBox::clicked, this, [&] { ++clicks; });
            if (QAccessibleInterface *button = QAccessible::queryAccessibleInterface(&box))
                button->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        };
        QCOMPARE(runProgram(1, argv), 1);
        QCOMPARE(clicks, 1);
    }

    void largePictureScalesOnOneWorker()
    {
        auto threads = [] {
            return QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
        };
        QByteArray program("fitmarkel");
        char *argv[] = {program.data(), nullptr};
        qsizetype before = -1, after = -1;
        rt::MessageBoxRecorder boxes;
        boxes.onShow = [&](const rt::ShownBox &) {
            before = threads();
            // Qt hands each 64K pixels of a smooth scaling to a worker of its own.
            QImage picture(1600, 1000, QImage::Format_RGB32);
            picture.fill(Qt::blue);
            QCOMPARE(picture.scaled(800, 500, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixel(400, 250),
                     QColor(Qt::blue).rgb());
            after = threads();
        };
        QCOMPARE(runProgram(1, argv), 1);
        QVERIFY2(before > 0 && after - before <= 1,
                 qPrintable(QStringLiteral("%1 threads, then %2").arg(before).arg(after)));
    }

    // The program's Chinese comes from its text font and looks exactly as from the installed font.
    void textsDrawnFromTheTextFont_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<int>("weight");
        QTest::newRow("status bar, 16 px") << QStringLiteral("就绪") << 16 << 400;
        QTest::newRow("start window's title, 21 px bold") << QStringLiteral("登录管理系统") << 21 << 700;
        QTest::newRow("full-width brackets and digits, 12 px") << QStringLiteral("（次/1分钟） 2024") << 12 << 400;
        QTest::newRow("grade word, 35 px bold") << QStringLiteral("不及格") << 35 << 700;
        // A character of none of the program's texts comes from the installed font.
        QTest::newRow("Qt's own text beside the program's, 12 px") << QStringLiteral("撤消 打印") << 12 << 400;
    }

    void textsDrawnFromTheTextFont()
    {
        QFETCH(QString, text);
        QFETCH(int, pixels);
        QFETCH(int, weight);
        QByteArray program("fitmarkel");
        char *argv[] = {program.data(), nullptr};
        QString family;
        bool outsideCovered = true;
        QImage drawn, installed;
        rt::MessageBoxRecorder boxes;
        boxes.onShow = [&](const rt::ShownBox &) {
            const QFont font = rt::fontOfTextSize(QStringLiteral("宋体"), pixels, weight);
            family = QFontInfo(font).family();
            outsideCovered = QRawFont::fromFont(font).supportsCharacter(QChar(0x64A4)); // 撤
            QFont reference = font;
            reference.setFamily(QStringLiteral("WenQuanYi Micro Hei"));
            auto draw = [&](const QFont &f) {
                QImage image(pixels * (text.size() + 2), pixels * 2, QImage::Format_RGB32);
                image.fill(Qt::white);
                QPainter painter(&image);
                painter.setFont(f);
                painter.drawText(image.rect(), Qt::AlignCenter, text);
                return image;
            };
            drawn = draw(font);
            installed = draw(reference);
        };
        QCOMPARE(runProgram(1, argv), 1);
        QCOMPARE(family, QStringLiteral("Fitmarkel Micro Hei"));
        QVERIFY(!outsideCovered);
        QImage blank = installed;
        blank.fill(Qt::white);
        QVERIFY(installed != blank);
        QVERIFY(drawn == installed);
    }

    // Chinese in the windows' Latin fonts and in the standard font of menus and message boxes; their
    // Latin letters stay with their own faces.
    void chineseOfEveryFontFromTheTextFont_data()
    {
        QTest::addColumn<QString>("face");
        QTest::newRow("standard font") << QString();
        QTest::newRow("Arial") << QStringLiteral("Arial");
        QTest::newRow("Courier New") << QStringLiteral("Courier New");
        QTest::newRow("MS Sans Serif") << QStringLiteral("MS Sans Serif");
    }

    void chineseOfEveryFontFromTheTextFont()
    {
        QFETCH(QString, face);
        QByteArray program("fitmarkel");
        char *argv[] = {program.data(), nullptr};
        QStringList families;
        rt::MessageBoxRecorder boxes;
        boxes.onShow = [&](const rt::ShownBox &) {
            QTextLayout layout(QStringLiteral("Version 系统管理"),
                               face.isEmpty() ? QApplication::font() : rt::font(face, 9));
            layout.beginLayout();
            layout.createLine();
            layout.endLayout();
            for (const QGlyphRun &run : layout.glyphRuns())
                families << run.rawFont().familyName();
        };
        QCOMPARE(runProgram(1, argv), 1);
        QCOMPARE(families.size(), 2);
        QCOMPARE(families.filter(QStringLiteral("Fitmarkel Micro Hei"), Qt::CaseInsensitive).size(), 1);
    }

    // The menu a right-click on the numeric edit opens, under this process's desktop language.
    void editMenuReadsChinese()
    {
        QByteArray program("fitmarkel");
        char *argv[] = {program.data(), nullptr};
        QStringList items;
        QString locale, systemLocale, printTitle;
        rt::MessageBoxRecorder boxes;
        boxes.onShow = [&](const rt::ShownBox &) {
            QWidget window;
            auto *edit = new my_maskedit(&window);
            edit->setText(QStringLiteral("12.5"));
            window.show();
            QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(4, 4), edit->mapToGlobal(QPoint(4, 4)));
            QApplication::sendEvent(edit, &click);
            if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                for (const QAction *action : menu->actions()) {
                    if (!action->isSeparator())
                        items << action->text().section(QLatin1Char('\t'), 0, 0);
                }
                menu->close();
            }
            // The print dialog's title, from the same catalogue.
            printTitle = QCoreApplication::translate("QPrintDialog", "Print");
            locale = QLocale().name();
            systemLocale = QLocale::system().name();
        };
        QCOMPARE(runProgram(1, argv), 1);
        const QStringList chinese{QStringLiteral("撤消(&U)"), QStringLiteral("重做(&R)"), QStringLiteral("剪切(&T)"),
                                  QStringLiteral("复制(&C)"), QStringLiteral("粘贴(&P)"), QStringLiteral("删除"),
                                  QStringLiteral("全选")};
        QCOMPARE(items, chinese);
        QCOMPARE(printTitle, QStringLiteral("打印"));
        // Only texts change: numbers and dates keep the desktop's locale.
        QCOMPARE(locale, systemLocale);
    }

    // The same in a process of its own per desktop language: Qt reads the language once per process.
    void editMenuReadsChineseWhateverTheLanguage_data()
    {
        QTest::addColumn<QStringList>("variables");
        QTest::newRow("LANG=C") << QStringList{QStringLiteral("LANG=C")};
        QTest::newRow("LANG=en_US.UTF-8") << QStringList{QStringLiteral("LANG=en_US.UTF-8")};
        QTest::newRow("no language variable at all") << QStringList{};
        QTest::newRow("LC_ALL=de_DE.UTF-8") << QStringList{QStringLiteral("LC_ALL=de_DE.UTF-8")};
        QTest::newRow("LANG=zh_CN.UTF-8 with LANGUAGE=en")
            << QStringList{QStringLiteral("LANG=zh_CN.UTF-8"), QStringLiteral("LANGUAGE=en")};
    }

    void editMenuReadsChineseWhateverTheLanguage()
    {
        QFETCH(QStringList, variables);
        QStringList environment;
        for (const QString &variable : QProcess::systemEnvironment()) {
            const QString name = variable.section(QLatin1Char('='), 0, 0);
            const bool language = name == QLatin1String("LANG") || name == QLatin1String("LANGUAGE")
                || name.startsWith(QLatin1String("LC_"));
            if (!language)
                environment << variable;
        }
        QProcess child;
        child.setEnvironment(environment + variables);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QStringLiteral("/proc/self/exe"), {QStringLiteral("editMenuReadsChinese")});
        QVERIFY(child.waitForFinished(60000));
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, child.readAll().constData());
    }
};

QTEST_APPLESS_MAIN(TestProgramEntry)
#include "tst_program_entry.moc"
