#include "common/weight_limit_file.h"

#include "common/height_weight.h"

#include <QDebug>
#include <QFile>
#include <QHash>
#include <QStringDecoder>
#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>

namespace common {

namespace {

constexpr const char *kColumns[] = {"s", "z1", "z2", "z3", "z4"};

struct Record {
    int line = 0; // where it starts: a quoted field may hold line ends
    QStringList fields;

    bool isBlank() const
    {
        for (const QString &f : fields)
            if (!f.trimmed().isEmpty())
                return false;
        return true;
    }
};

class Reader {
public:
    explicit Reader(const QString &name) { table.name = name; }

    void problem(int line, const QString &what) { table.problems << QStringLiteral("%1:%2: %3").arg(table.name).arg(line).arg(what); }

    // The text of UTF-8 bytes, an initial byte-order mark dropped; nothing after a problem.
    std::optional<QString> decode(const QByteArray &bytes)
    {
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString text = utf8(bytes);
        if (!utf8.hasError())
            return text;
        int line = 1;
        for (const QByteArray &bytesOfLine : bytes.split('\n')) {
            QStringDecoder lineDecoder(QStringDecoder::Utf8);
            const QString decoded = lineDecoder(bytesOfLine); // decoded only when converted
            if (lineDecoder.hasError())
                break;
            ++line;
        }
        problem(line, QStringLiteral("the file is not UTF-8 text (save it as CSV in UTF-8)"));
        return std::nullopt;
    }

    // The records of the text, split at commas and line ends outside double quotes; a quote inside a
    // quoted field is doubled. Nothing after a problem.
    std::optional<QList<Record>> split(const QString &text)
    {
        enum class State { FieldStart, Unquoted, Quoted, AfterQuote };
        QList<Record> records;
        Record record{1, {}};
        QString field;
        State state = State::FieldStart;
        int line = 1;
        int quoteLine = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (state == State::Quoted) {
                if (c == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"') {
                    field += c;
                    ++i;
                } else if (c == u'"') {
                    state = State::AfterQuote;
                } else {
                    line += c == u'\n';
                    field += c;
                }
                continue;
            }
            const bool lineEnd = c == u'\n' || (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n');
            if (c == u',' || lineEnd) {
                record.fields << field;
                field.clear();
                state = State::FieldStart;
                if (lineEnd) {
                    i += c == u'\r';
                    records << record;
                    record = Record{++line, {}};
                }
            } else if (state == State::AfterQuote) {
                problem(line, QStringLiteral("text after the closing quote of field %1").arg(record.fields.size() + 1));
                return std::nullopt;
            } else if (state == State::FieldStart && c == u'"') {
                state = State::Quoted;
                quoteLine = line;
            } else {
                field += c;
                state = State::Unquoted;
            }
        }
        if (state == State::Quoted) {
            problem(quoteLine, QStringLiteral("a quoted field is not closed"));
            return std::nullopt;
        }
        if (state != State::FieldStart || !record.fields.isEmpty()) { // the last line has no line end
            record.fields << field;
            records << record;
        }
        return records;
    }

    // The position of each of s, z1..z4 in the header; nothing after a problem.
    std::optional<std::array<qsizetype, 5>> columnsOf(const Record &header)
    {
        std::array<qsizetype, 5> at;
        at.fill(-1);
        bool found = true;
        for (int c = 0; c < 5; ++c) {
            const QLatin1String name(kColumns[c]);
            for (qsizetype i = 0; i < header.fields.size(); ++i) {
                if (header.fields[i].trimmed().compare(name, Qt::CaseInsensitive) != 0)
                    continue;
                if (at[c] >= 0) {
                    problem(header.line, QStringLiteral("the header line names the column %1 twice").arg(name));
                    found = false;
                }
                at[c] = i;
            }
            if (at[c] < 0) {
                QStringList names;
                for (const QString &f : header.fields)
                    names << quoted(f.trimmed());
                // One column alone: most likely another separator than the comma.
                problem(header.line, QStringLiteral("the header line has no column %1 (it has: %2%3)")
                                         .arg(name, names.join(QLatin1String(", ")),
                                              names.size() == 1 ? QLatin1String("; columns are separated by commas") : QLatin1String()));
                found = false;
            }
        }
        if (!found)
            return std::nullopt;
        return at;
    }

    // One row; the problems of all its fields.
    void readRow(const Record &record, const std::array<qsizetype, 5> &at, qsizetype width)
    {
        if (record.fields.size() != width) {
            problem(record.line, QStringLiteral("%1 fields, but the header line has %2").arg(record.fields.size()).arg(width));
            return;
        }
        WeightLimitRow row;
        row.line = record.line;
        bool ok = true;

        const QString height = record.fields[at[0]].trimmed();
        bool number = false;
        const double s = height.toDouble(&number);
        if (!number || s != std::floor(s) || s < 1 || s > INT_MAX) {
            problem(record.line, QStringLiteral("the height s %1 is not a positive whole number of centimetres").arg(quoted(height)));
            ok = false;
        } else if (const auto first = lines_.constFind(int(s)); first != lines_.cend()) {
            problem(record.line, QStringLiteral("the height %1 is there twice (first on line %2)").arg(int(s)).arg(*first));
            ok = false;
        } else {
            row.s = int(s);
            lines_.insert(row.s, row.line);
            table.heights << row.s;
        }

        std::array<std::optional<float>, 4> limits;
        for (int i = 0; i < 4; ++i) {
            const QString text = record.fields[at[i + 1]].trimmed();
            const double z = text.toDouble(&number);
            // Read as the lookup reads it: a single-precision real.
            if (number && std::isfinite(float(z))) {
                row.z[i] = z;
                limits[i] = float(z);
            } else {
                problem(record.line, text.isEmpty() ? QStringLiteral("z%1 is empty").arg(i + 1)
                                                    : QStringLiteral("z%1 %2 is not a number of kilograms").arg(i + 1).arg(quoted(text)));
                ok = false;
            }
        }
        if (!ok)
            return;
        // As the tables' CHECK holds them, compared as the lookup reads them: above 0, each limit above
        // the one before it, so that every band holds some weight.
        const auto written = [&](int i) { return record.fields[at[i + 1]].trimmed(); };
        for (int i = 0; i < 4; ++i) {
            if (!(*limits[i] > 0.0f)) {
                problem(record.line, QStringLiteral("z%1 %2 is not above 0 kg").arg(i + 1).arg(written(i)));
                return;
            }
            if (i > 0 && !(*limits[i] > *limits[i - 1])) {
                problem(record.line, QStringLiteral("the limits are not in ascending order: z%1 %2 is not above z%3 %4")
                                         .arg(i + 1)
                                         .arg(written(i))
                                         .arg(i)
                                         .arg(written(i - 1)));
                return;
            }
        }
        table.rows << row;
    }

    WeightLimitTable table;

private:
    QString name_;
    QHash<int, int> lines_; // the line of each height read
};

} // namespace

WeightLimitTable readWeightLimitTable(const QByteArray &content, const QString &name)
{
    Reader reader(name);
    const std::optional<QString> text = reader.decode(content);
    const std::optional<QList<Record>> records = text ? reader.split(*text) : std::nullopt;
    if (!records)
        return reader.table;

    qsizetype next = 0;
    while (next < records->size() && records->at(next).isBlank())
        ++next;
    if (next == records->size()) {
        reader.problem(1, QStringLiteral("the file is empty: it needs a header line naming s, z1, z2, z3, z4, and the rows"));
        return reader.table;
    }
    const Record &header = records->at(next++);
    const std::optional<std::array<qsizetype, 5>> at = reader.columnsOf(header);
    if (!at)
        return reader.table;
    for (; next < records->size(); ++next) {
        if (!records->at(next).isBlank())
            reader.readRow(records->at(next), *at, header.fields.size());
    }
    if (reader.table.rows.isEmpty() && reader.table.problems.isEmpty())
        reader.problem(header.line, QStringLiteral("no rows below the header line"));
    if (!reader.table.problems.isEmpty())
        reader.table.rows.clear();
    return reader.table;
}

WeightLimitTable readWeightLimitFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        WeightLimitTable table;
        table.name = path;
        table.problems << QStringLiteral("%1: cannot be read: %2").arg(path, file.errorString());
        return table;
    }
    return readWeightLimitTable(file.readAll(), path);
}

HeightRange lookedUpHeights(Sex sex)
{
    return {static_cast<int>(kLowestHeight), static_cast<int>(upperHeightBound(sex)) - 1};
}

void requireLookedUpHeights(WeightLimitTable &table, Sex sex)
{
    const HeightRange range = lookedUpHeights(sex);
    QList<int> missing;
    for (int s = range.lowest; s <= range.highest; ++s) {
        if (!table.heights.contains(s))
            missing << s;
    }
    table.unused.clear();
    for (const int s : table.heights) {
        if (s < range.lowest || s > range.highest)
            table.unused << s;
    }
    // A file that could not be read at all has said why already.
    if (!missing.isEmpty() && !(table.heights.isEmpty() && !table.problems.isEmpty()))
        table.problems << QStringLiteral("%1: no usable row for %2 cm: the %3 table needs one for every whole centimetre from %4 to %5")
                              .arg(table.name, heightRuns(missing), sex == Sex::Male ? QLatin1String("men's") : QLatin1String("women's"))
                              .arg(range.lowest)
                              .arg(range.highest);
}

QString heightRuns(QList<int> heights)
{
    std::sort(heights.begin(), heights.end());
    QStringList runs;
    for (qsizetype i = 0; i < heights.size();) {
        qsizetype last = i;
        while (last + 1 < heights.size() && heights[last + 1] == heights[last] + 1)
            ++last;
        runs << (last == i ? QString::number(heights[i]) : QStringLiteral("%1-%2").arg(heights[i]).arg(heights[last]));
        i = last + 1;
    }
    return runs.join(QLatin1String(", "));
}

QString quoted(const QString &text)
{
    // QDebug writes a string in quotes, with a quote, a backslash and every character that does not show
    // escaped.
    QString out;
    QDebug(&out).nospace() << text;
    return out;
}

} // namespace common
