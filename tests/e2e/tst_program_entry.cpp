// The program's entry: Qt's own command-line options take no effect, a screen reader's toggle on a check
// box is a click, and Qt scales a large picture on one worker thread at most. Each run ends at the
// connection failure (the data source's file is missing), where the running application is examined.
#include "app/program.h"
#include "runtime/messagebox.h"
#include "test_data_source.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QStyle>
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
};

QTEST_APPLESS_MAIN(TestProgramEntry)
#include "tst_program_entry.moc"
