// Which optional items are tested for a sex under a year's settings row.
#include "common/item_selection.h"

#include <QtTest>

using common::ItemFlag;
using common::ItemSelection;
using common::Sex;
using common::TestedItems;
using common::TestItem;

Q_DECLARE_METATYPE(common::Sex)
Q_DECLARE_METATYPE(common::ItemSelection)

namespace {

ItemSelection allFlags(const QString &value)
{
    ItemSelection s;
    s.flags.fill(value);
    return s;
}

ItemSelection with(ItemSelection s, ItemFlag f, const QString &value)
{
    s[f] = value;
    return s;
}

// The tested items, as letters in sum order (s f t 1 8 5 l z y w).
QString letters(const TestedItems &tested)
{
    QString out;
    for (TestItem item : common::kTestItemsInSumOrder)
        if (tested[common::indexOf(item)])
            out += QLatin1Char(common::itemCode(item));
    return out;
}

} // namespace

class TestItemSelection : public QObject {
    Q_OBJECT
private slots:
    void tested_data();
    void tested();
};

void TestItemSelection::tested_data()
{
    QTest::addColumn<ItemSelection>("selection");
    QTest::addColumn<Sex>("sex");
    QTest::addColumn<QString>("items");

    const ItemSelection ones = allFlags(QStringLiteral("1"));
    const ItemSelection zeros = allFlags(QStringLiteral("0"));
    QTest::addRow("all 1 men") << ones << Sex::Male << "sft15lzw";
    QTest::addRow("all 1 women") << ones << Sex::Female << "sft85lzyw";
    QTest::addRow("all 0 men") << zeros << Sex::Male << "sf";
    QTest::addRow("all 0 women") << zeros << Sex::Female << "sf";
    QTest::addRow("all NULL men") << allFlags(QString()) << Sex::Male << "sft15lzw";
    QTest::addRow("all NULL women") << allFlags(QString()) << Sex::Female << "sft85lzyw";
    QTest::addRow("all empty women") << allFlags(QStringLiteral("")) << Sex::Female << "sft85lzyw";
    QTest::addRow("padded '1 ' enables") << with(zeros, ItemFlag::xm_t_m, QStringLiteral("1 ")) << Sex::Male
                                         << "sft";
    QTest::addRow("padded '0 ' enables") << with(zeros, ItemFlag::xm_5_w, QStringLiteral("0 ")) << Sex::Female
                                         << "sf5";
    QTest::addRow("women's flags leave men alone") << with(ones, ItemFlag::xm_t_w, QStringLiteral("0"))
                                                   << Sex::Male << "sft15lzw";
    QTest::addRow("men's flags leave women alone") << with(ones, ItemFlag::xm_w_m, QStringLiteral("0"))
                                                   << Sex::Female << "sft85lzyw";
    QTest::addRow("step for women only, men") << with(zeros, ItemFlag::xm_t_w, QStringLiteral("1")) << Sex::Male
                                              << "sf";
    QTest::addRow("step for women only, women") << with(zeros, ItemFlag::xm_t_w, QStringLiteral("1"))
                                                << Sex::Female << "sft";
    QTest::addRow("two of a category both tested")
        << with(with(zeros, ItemFlag::xm_5_m, QStringLiteral("1")), ItemFlag::xm_l_m, QStringLiteral("1"))
        << Sex::Male << "sf5l";
    QTest::addRow("men's run1000 only") << with(zeros, ItemFlag::xm_1_m, QStringLiteral("1")) << Sex::Male << "sf1";
    QTest::addRow("run1000 never for women") << with(zeros, ItemFlag::xm_1_m, QStringLiteral("1")) << Sex::Female
                                             << "sf";
    QTest::addRow("run800 and situps never for men")
        << with(with(zeros, ItemFlag::xm_8_w, QStringLiteral("1")), ItemFlag::xm_y_w, QStringLiteral("1"))
        << Sex::Male << "sf";
}

void TestItemSelection::tested()
{
    QFETCH(ItemSelection, selection);
    QFETCH(Sex, sex);
    QFETCH(QString, items);
    QCOMPARE(letters(common::testedItems(selection, sex)), items);
}

QTEST_GUILESS_MAIN(TestItemSelection)
#include "tst_item_selection.moc"
