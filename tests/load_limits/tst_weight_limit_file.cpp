// Reading and checking a school's weight-limit CSV file: what a CSV reader must take (byte-order
// mark, CRLF, quoting, columns by name), every kind of row that the tables refuse or the lookup could
// not use, named by its line, and the heights that each sex's table must hold.
#include "common/weight_limit_file.h"

#include <QTemporaryDir>
#include <QtTest>

using common::Sex;
using common::WeightLimitTable;

namespace {

// "LINE:S=Z1/Z2/Z3/Z4" for each row read.
QStringList rowsOf(const WeightLimitTable &table)
{
    QStringList rows;
    for (const common::WeightLimitRow &r : table.rows)
        rows << QStringLiteral("%1:%2=%3/%4/%5/%6").arg(r.line).arg(r.s).arg(r.z[0]).arg(r.z[1]).arg(r.z[2]).arg(r.z[3]);
    return rows;
}

} // namespace

class TestWeightLimitFile : public QObject {
    Q_OBJECT
private slots:
    void shippedFilesAreRead_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<Sex>("sex");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addRow("men") << "weight-limits-men.csv" << Sex::Male << 51 << "2:140=40.4/44.8/49.8/51.3" << "52:190=61.2/68.8/77.9/80.8";
        QTest::addRow("women") << "weight-limits-women.csv" << Sex::Female << 47 << "2:140=38.8/43/47.8/49.2" << "48:186=57/64.1/72.6/75.4";
    }
    void shippedFilesAreRead()
    {
        QFETCH(QString, file);
        QFETCH(Sex, sex);
        QFETCH(int, rows);
        WeightLimitTable table = common::readWeightLimitFile(QStringLiteral(FM_DATA_DIR "/") + file);
        common::requireLookedUpHeights(table, sex);
        QCOMPARE(table.problems, QStringList());
        QCOMPARE(table.unused, QList<int>());
        QCOMPARE(table.rows.size(), rows);
        QTEST(rowsOf(table).first(), "first");
        QTEST(rowsOf(table).last(), "last");
    }

    void usableFilesAreRead_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("rows");
        QTest::addRow("byte-order mark and CRLF")
            << QByteArray("\xEF\xBB\xBFs,z1,z2,z3,z4\r\n150,40,45,50,55\r\n151,40.5,45.5,50.5,55.5\r\n")
            << QStringList{"2:150=40/45/50/55", "3:151=40.5/45.5/50.5/55.5"};
        QTest::addRow("columns found by name, in any order and case, others ignored")
            << QByteArray("source, Z4 ,z3,z2,z1,S\nprinted,55,50,45,40,150\n") << QStringList{"2:150=40/45/50/55"};
        QTest::addRow("quoted fields; a comma, a quote and a line end inside one")
            << QByteArray("s,z1,z2,z3,z4,note\n\"150\",\"40.5\",45,50,55,\"a, \"\"b\"\"\r\nc\"\n151,41,46,51,56,\n")
            << QStringList{"2:150=40.5/45/50/55", "4:151=41/46/51/56"};
        QTest::addRow("blank lines, and none at the end")
            << QByteArray("\ns,z1,z2,z3,z4\n\n150,40,45,50,55\n,,,,\n151,41,46,51,56") << QStringList{"4:150=40/45/50/55", "6:151=41/46/51/56"};
        QTest::addRow("blanks around numbers") << QByteArray("s,z1,z2,z3,z4\n 150 , 40 ,45,50, 55\n") << QStringList{"2:150=40/45/50/55"};
        QTest::addRow("a whole height written with a point") << QByteArray("s,z1,z2,z3,z4\n150.0,40,45,50,55\n") << QStringList{"2:150=40/45/50/55"};
        QTest::addRow("limits just apart") << QByteArray("s,z1,z2,z3,z4\n150,0.1,40,40.1,40.2\n") << QStringList{"2:150=0.1/40/40.1/40.2"};
    }
    void usableFilesAreRead()
    {
        QFETCH(QByteArray, content);
        const WeightLimitTable table = common::readWeightLimitTable(content, QStringLiteral("t.csv"));
        QCOMPARE(table.problems, QStringList());
        QTEST(rowsOf(table), "rows");
    }

    void problemsAreNamedByLine_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("problems");
        const QByteArray header("s,z1,z2,z3,z4\n");
        const QByteArray nul(1, '\0');
        QTest::addRow("a row out of order") << header + "150,40,45,50,55\n151,41,46,45,56\n"
                                            << QStringList{"t.csv:3: the limits are not in ascending order: z3 45 is not above z2 46"};
        // As the tables' CHECK holds them: every band holds some weight.
        QTest::addRow("equal limits") << header + "150,40,40,50,55\n151,41,46,51,51\n"
                                      << QStringList{"t.csv:2: the limits are not in ascending order: z2 40 is not above z1 40",
                                                     "t.csv:3: the limits are not in ascending order: z4 51 is not above z3 51"};
        QTest::addRow("limits equal as the lookup reads them") << header + "150,40,45,50.00000001,50\n"
                                                               << QStringList{"t.csv:2: the limits are not in ascending order: z4 50 is not above z3 50.00000001"};
        QTest::addRow("limits not above 0") << header + "150,-5,45,50,55\n151,0,46,51,56\n152,1e-50,46,51,56\n"
                                            << QStringList{"t.csv:2: z1 -5 is not above 0 kg", "t.csv:3: z1 0 is not above 0 kg",
                                                           "t.csv:4: z1 1e-50 is not above 0 kg"};
        QTest::addRow("control characters, shown escaped")
            << header + "150,40,45,50,5" + nul + "\n\"15\x1b[2J1\",40,45,50,55\n152,\"4\t0\",45,50,55\n"
            << QStringList{"t.csv:2: z4 \"5\\u0000\" is not a number of kilograms",
                           "t.csv:3: the height s \"15\\u001B[2J1\" is not a positive whole number of centimetres",
                           "t.csv:4: z1 \"4\\t0\" is not a number of kilograms"};
        QTest::addRow("a height twice") << header + "150,40,45,50,55\n151,41,46,51,56\n150,40,45,50,55\n"
                                        << QStringList{"t.csv:4: the height 150 is there twice (first on line 2)"};
        QTest::addRow("a text in a limit") << header + "150,40,abc,50,55\n" << QStringList{"t.csv:2: z2 \"abc\" is not a number of kilograms"};
        QTest::addRow("a decimal comma") << header + "150,\"40,5\",45,50,55\n" << QStringList{"t.csv:2: z1 \"40,5\" is not a number of kilograms"};
        QTest::addRow("an empty limit") << header + "150,40,45,,55\n" << QStringList{"t.csv:2: z3 is empty"};
        QTest::addRow("no number") << header + "150,40,45,50,nan\n151,40,45,50,inf\n152,40,45,50,1e39\n"
                                   << QStringList{"t.csv:2: z4 \"nan\" is not a number of kilograms", "t.csv:3: z4 \"inf\" is not a number of kilograms",
                                                  "t.csv:4: z4 \"1e39\" is not a number of kilograms"};
        QTest::addRow("heights that are no whole centimetres")
            << header + "150.5,40,45,50,55\n0,40,45,50,55\n-150,40,45,50,55\n,40,45,50,55\n"
            << QStringList{"t.csv:2: the height s \"150.5\" is not a positive whole number of centimetres",
                           "t.csv:3: the height s \"0\" is not a positive whole number of centimetres",
                           "t.csv:4: the height s \"-150\" is not a positive whole number of centimetres",
                           "t.csv:5: the height s \"\" is not a positive whole number of centimetres"};
        QTest::addRow("a missing column") << "s,z1,z2,z" + nul + "3,source\n150,40,45,55,x\n"
                                          << QStringList{"t.csv:1: the header line has no column z3 (it has: \"s\", \"z1\", \"z2\", \"z\\u00003\", \"source\")",
                                                         "t.csv:1: the header line has no column z4 (it has: \"s\", \"z1\", \"z2\", \"z\\u00003\", \"source\")"};
        QStringList noColumn;
        for (const char *c : {"s", "z1", "z2", "z3", "z4"})
            noColumn << QStringLiteral("t.csv:1: the header line has no column %1 (it has: \"s;z1;z2;z3;z4\"; columns are separated by commas)")
                            .arg(QLatin1String(c));
        QTest::addRow("semicolons between the columns") << QByteArray("s;z1;z2;z3;z4\n150;40;45;50;55\n") << noColumn;
        QTest::addRow("a column twice") << QByteArray("s,z1,z2,z3,z4,z1\n150,40,45,50,55,40\n") << QStringList{"t.csv:1: the header line names the column z1 twice"};
        QTest::addRow("a row short of fields") << header + "150,40,45,50\n151,41,46,51,56,57\n"
                                               << QStringList{"t.csv:2: 4 fields, but the header line has 5", "t.csv:3: 6 fields, but the header line has 5"};
        QTest::addRow("a quote not closed") << header + "150,40,45,50,55\n151,\"41,46,51,56\n152,42,47,52,57\n"
                                            << QStringList{"t.csv:3: a quoted field is not closed"};
        QTest::addRow("text after a closing quote") << header + "150,\"40\"x,45,50,55\n" << QStringList{"t.csv:2: text after the closing quote of field 2"};
        QTest::addRow("not UTF-8") << header + "150,40,45,50,55\n151,41,46,51,56,\xB9\xAB\xB2\xBC\n"
                                   << QStringList{"t.csv:3: the file is not UTF-8 text (save it as CSV in UTF-8)"};
        QTest::addRow("UTF-16") << QByteArray("\xFF\xFEs\0,\0z\0", 8) << QStringList{"t.csv:1: the file is not UTF-8 text (save it as CSV in UTF-8)"};
        QTest::addRow("an empty file") << QByteArray("\xEF\xBB\xBF\r\n")
                                       << QStringList{"t.csv:1: the file is empty: it needs a header line naming s, z1, z2, z3, z4, and the rows"};
        QTest::addRow("a header line alone") << QByteArray("\ns,z1,z2,z3,z4\n") << QStringList{"t.csv:2: no rows below the header line"};
        QTest::addRow("every problem, lines counted past a quoted line end")
            << QByteArray("s,z1,z2,z3,z4,note\n150,40,45,50,55,\"two\nlines\"\n151,x,46,51,56,\n151,41,46,51,5,\n")
            << QStringList{"t.csv:4: z1 \"x\" is not a number of kilograms", "t.csv:5: the height 151 is there twice (first on line 4)"};
    }
    void problemsAreNamedByLine()
    {
        QFETCH(QByteArray, content);
        const WeightLimitTable table = common::readWeightLimitTable(content, QStringLiteral("t.csv"));
        QTEST(table.problems, "problems");
        QVERIFY(!table.usable());
        QCOMPARE(table.rows.size(), 0);
    }

    void eachSexNeedsEveryHeightItLooksUp_data()
    {
        QTest::addColumn<Sex>("sex");
        QTest::addColumn<QList<int>>("heights");
        QTest::addColumn<QStringList>("problems");
        QTest::addColumn<QList<int>>("unused");
        QList<int> men, women;
        for (int s = 140; s <= 190; ++s)
            (s <= 186 ? women : men) << s;
        men = women + men;
        const auto without = [](QList<int> heights, std::initializer_list<int> gone) {
            for (const int s : gone)
                heights.removeAll(s);
            return heights;
        };
        const QString menNeed = QStringLiteral(": the men's table needs one for every whole centimetre from 140 to 190");
        const QString womenNeed = QStringLiteral(": the women's table needs one for every whole centimetre from 140 to 186");
        QTest::addRow("the men's heights") << Sex::Male << men << QStringList() << QList<int>();
        QTest::addRow("the women's heights") << Sex::Female << women << QStringList() << QList<int>();
        QTest::addRow("the men's heights for the women: the tallest never looked up")
            << Sex::Female << men << QStringList() << QList<int>{187, 188, 189, 190};
        QTest::addRow("the women's heights for the men") << Sex::Male << women << QStringList{"t.csv: no usable row for 187-190 cm" + menNeed}
                                                          << QList<int>();
        QTest::addRow("one man's height missing") << Sex::Male << without(men, {175}) << QStringList{"t.csv: no usable row for 175 cm" + menNeed}
                                                  << QList<int>();
        QTest::addRow("the women's lowest and highest missing, rows beyond them")
            << Sex::Female << without(women, {140, 186}) + QList<int>{100, 139, 187, 250}
            << QStringList{"t.csv: no usable row for 140, 186 cm" + womenNeed} << QList<int>{100, 139, 187, 250};
    }
    void eachSexNeedsEveryHeightItLooksUp()
    {
        QFETCH(Sex, sex);
        QFETCH(QList<int>, heights);
        QByteArray csv("s,z1,z2,z3,z4\n");
        for (const int s : heights)
            csv += QByteArray::number(s) + ",40,45,50,55\n";
        WeightLimitTable table = common::readWeightLimitTable(csv, QStringLiteral("t.csv"));
        common::requireLookedUpHeights(table, sex);
        QTEST(table.problems, "problems");
        QTEST(table.unused, "unused");
    }

    // A row refused for its limits has said so; one whose height cannot be read leaves that height
    // missing; a file not read at all says why alone.
    void heightsOfRefusedRows()
    {
        QByteArray csv("s,z1,z2,z3,z4\n");
        for (int s = 140; s <= 190; ++s)
            csv += QByteArray::number(s) + (s == 150 ? ",40,40,50,55\n" : s == 160 ? ",40,45,50\n" : ",40,45,50,55\n");
        WeightLimitTable table = common::readWeightLimitTable(csv, QStringLiteral("t.csv"));
        common::requireLookedUpHeights(table, Sex::Male);
        QCOMPARE(table.problems, (QStringList{"t.csv:12: the limits are not in ascending order: z2 40 is not above z1 40",
                                              "t.csv:22: 4 fields, but the header line has 5",
                                              "t.csv: no usable row for 160 cm: the men's table needs one for every whole centimetre from 140 to 190"}));

        table = common::readWeightLimitTable("s;z1;z2;z3;z4\n150;40;45;50;55\n", QStringLiteral("t.csv"));
        const QStringList unreadable = table.problems;
        common::requireLookedUpHeights(table, Sex::Male);
        QCOMPARE(table.problems, unreadable);
    }

    void heightRuns_data()
    {
        QTest::addColumn<QList<int>>("heights");
        QTest::addColumn<QString>("runs");
        QTest::addRow("none") << QList<int>() << "";
        QTest::addRow("one") << QList<int>{175} << "175";
        QTest::addRow("runs and single heights, in any order") << QList<int>{190, 141, 140, 170, 189, 143, 142, 188} << "140-143, 170, 188-190";
    }
    void heightRuns()
    {
        QFETCH(QList<int>, heights);
        QTEST(common::heightRuns(heights), "runs");
    }

    void unreadableFile()
    {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("men.csv"));
        QCOMPARE(common::readWeightLimitFile(missing).problems,
                 QStringList{missing + QStringLiteral(": cannot be read: No such file or directory")});
        QVERIFY(!common::readWeightLimitFile(dir.path()).usable());
    }
};

QTEST_GUILESS_MAIN(TestWeightLimitFile)
#include "tst_weight_limit_file.moc"
