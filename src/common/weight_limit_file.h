#pragma once
// A weight-limit table as a school delivers it: a CSV file, UTF-8 with or without a byte-order mark,
// LF or CRLF line ends, fields quoted as CSV quotes them, and a header line that names at least the
// columns s, z1, z2, z3, z4 in any order (further columns are ignored). Every row is checked as the
// tables hold it: a whole-centimetre height, four limits above 0 kg in strictly ascending order, no
// height twice; and a table must hold every height that the lookup of its sex reads.
#include "common/test_items.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>

namespace common {

struct WeightLimitRow {
    int line = 0;             // where the row starts in its file
    int s = 0;                // cm
    std::array<double, 4> z{}; // z1..z4 in kg, as written
};

struct WeightLimitTable {
    QString name; // how the problems name the file
    QList<WeightLimitRow> rows;
    // "FILE:LINE: what is wrong", in the order of the file; the rows count only when there is none.
    QStringList problems;
    QList<int> heights; // every whole-centimetre height read, rows with other problems included
    QList<int> unused;  // heights that the lookup never reads (see requireLookedUpHeights)
    bool usable() const { return problems.isEmpty(); }
};

WeightLimitTable readWeightLimitTable(const QByteArray &content, const QString &name);
WeightLimitTable readWeightLimitFile(const QString &path);

// The heights that the lookup of `sex` reads: every whole centimetre from the lowest height up to the
// last one below the sex's upper bound.
struct HeightRange {
    int lowest = 0, highest = 0;
};
HeightRange lookedUpHeights(Sex sex);

// A problem naming the heights of the range that the table lacks; the heights outside the range go
// into `unused`: they are loaded, and never looked up.
void requireLookedUpHeights(WeightLimitTable &table, Sex sex);

// Heights as ascending runs: "140-143, 170, 188-190".
QString heightRuns(QList<int> heights);

// Text from a file, as a message shows it: in double quotes, characters that do not show (a NUL byte,
// any control character) as escapes.
QString quoted(const QString &text);

} // namespace common
