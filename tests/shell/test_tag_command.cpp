// Reading keys from launch tags, and the program file a command line names.
#include "app/tag_command.h"

#include <QtTest>

class TestTagCommand : public QObject {
    Q_OBJECT
private slots:
    void tagValue_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("dflt");
        QTest::addColumn<QString>("expected");

        QTest::newRow("Run of a window tag") << "Run = w_jsq_dx1" << "Run" << "" << "w_jsq_dx1";
        QTest::newRow("OpenType absent gives its default") << "Run = w_jsq_dx1" << "OpenType" << "Window" << "Window";
        QTest::newRow("OpenSheet absent gives its default") << "Run = w_jsq_dx1" << "OpenSheet" << "True" << "True";
        QTest::newRow("command line keeps its inner blank")
            << "Run = NotePad.exe ReadMe.txt;OpenType=Exe" << "Run" << "" << "NotePad.exe ReadMe.txt";
        QTest::newRow("second pair after the semicolon")
            << "Run = NotePad.exe ReadMe.txt;OpenType=Exe" << "OpenType" << "Window" << "Exe";
        QTest::newRow("key in capitals") << "Run = w_Jsq_Dx1" << "RUN" << "" << "w_Jsq_Dx1";
        QTest::newRow("key in small letters, value keeps its case") << "RUN=W_JSQ_DX1" << "run" << "" << "W_JSQ_DX1";
        QTest::newRow("key twice with = gives the first") << "Run=first;Run=second" << "Run" << "" << "first";
        QTest::newRow("key without = then with = gives the later")
            << "Run w_a;Run = w_b" << "Run" << "dflt" << "w_b";
        QTest::newRow("key only without = gives the default") << "Run w_a" << "Run" << "dflt" << "dflt";
        QTest::newRow("letters inside a longer key") << "Run=x;OpenType=Exe" << "Type" << "Window" << "Exe";
        QTest::newRow("= then nothing is empty, not the default") << "Run =" << "Run" << "dflt" << "";
        QTest::newRow("= then ; is empty, not the default") << "Run=;OpenType=Exe" << "Run" << "dflt" << "";
        QTest::newRow("blanks around = and the value") << "Run   =    w_xm_dx1   ;x=1" << "Run" << "" << "w_xm_dx1";
        QTest::newRow("empty tag gives the default") << "" << "Run" << "dflt" << "dflt";
        QTest::newRow("no object (!) gives the default") << "!" << "Run" << "dflt" << "dflt";
        QTest::newRow("no tag value (?) gives the default") << "?" << "Run" << "dflt" << "dflt";
        QTest::newRow("key absent from a tag gives the default") << "OpenType=Exe" << "Run" << "dflt" << "dflt";
    }

    void tagValue()
    {
        QFETCH(QString, tag);
        QFETCH(QString, key);
        QFETCH(QString, dflt);
        QFETCH(QString, expected);
        QCOMPARE(launch::tagValue(tag, key, dflt), expected);
    }

    void programFile_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("expected");
        const QString ext = launch::programExtension();
        QTest::newRow("file with a dot and arguments") << "NotePad.exe ReadMe.txt" << "NotePad.exe";
        QTest::newRow("no blank: the whole line") << "viewer.sh" << "viewer.sh";
        QTest::newRow("no dot: the platform's extension") << "env -i" << QString(QStringLiteral("env") + ext);
    }

    void programFile()
    {
        QFETCH(QString, commandLine);
        QFETCH(QString, expected);
        QCOMPARE(launch::programFileOf(commandLine), expected);
    }
};

QTEST_GUILESS_MAIN(TestTagCommand)
#include "test_tag_command.moc"
