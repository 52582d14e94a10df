#pragma once
// A weight-limit table as a school delivers it: a CSV file, UTF-8 with or without a byte-order mark,
// LF or CRLF line ends, fields quoted as CSV quotes them, and a header line that names at least the
// columns s, z1, z2, z3, z4 in any order (further columns are ignored). Every row is checked as the
// lookup will use it: a whole-centimetre height, four numbers in ascending order, no height twice.
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
    QList<WeightLimitRow> rows;
    // "FILE:LINE: what is wrong", in the order of the file; the rows count only when there is none.
    QStringList problems;
    bool usable() const { return problems.isEmpty(); }
};

// `name` is how the problems name the file.
WeightLimitTable readWeightLimitTable(const QByteArray &content, const QString &name);
WeightLimitTable readWeightLimitFile(const QString &path);

} // namespace common
