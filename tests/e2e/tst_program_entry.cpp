// The program's entry: Qt's own command-line options take no effect, and a screen reader's toggle on a
// check box is a click. Each run ends at the connection failure (no data source named vemka), where the
// running application is examined.
#include "app/program.h"
#include "runtime/messagebox.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QStyle>
#include <QTemporaryDir>
#include <QtTest>
#include <vector>

class TestProgramEntry : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QFile ini(dir.filePath(QStringLiteral("odbc.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[somewhere_else]\nDriver=SQLite3\nDatabase=/nonexistent/x.db\n");
        ini.close();
        qputenv("ODBCINI", ini.fileName().toLocal8Bit());
    }

    void qtOptionsChangeNothing()
    {
        QFile sheet(dir.filePath(QStringLiteral("red.qss")));
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
};

QTEST_APPLESS_MAIN(TestProgramEntry)
#include "tst_program_entry.moc"
