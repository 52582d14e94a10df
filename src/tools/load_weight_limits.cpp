// fitmarkel-load-limits MEN.csv WOMEN.csv: replaces the weight-limit tables dx1234_m and dx1234_w of
// the data source vemka with a school's own, whatever the driver behind it. Both files are read and
// checked whole before the database is touched; both tables are replaced in one transaction, so a
// program on another PC sees either the old rows of both or the new rows of both.
#include "common/data_source.h"
#include "common/weight_limit_file.h"
#include "runtime/transaction.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTextStream>
#include <algorithm>

using common::Sex;

namespace {

struct Table {
    const char *name;
    Sex sex;
    QString file;
    common::WeightLimitTable limits;
    long long count = 0; // the rows it holds once replaced
};

// The rows in the order of their heights, whatever the order of their file.
QList<common::WeightLimitRow> byHeight(QList<common::WeightLimitRow> rows)
{
    std::sort(rows.begin(), rows.end(), [](const auto &a, const auto &b) { return a.s < b.s; });
    return rows;
}

bool sameRows(const common::WeightLimitTable &a, const common::WeightLimitTable &b)
{
    return std::ranges::equal(byHeight(a.rows), byHeight(b.rows), [](const auto &x, const auto &y) { return x.s == y.s && x.z == y.z; });
}

// One sex scored by the other's limits: the same file, or the same rows, given for both tables.
void refuseOneTableForBoth(QTextStream &err, const QStringList &files, const char *why)
{
    err << files[0] << " and " << files[1] << ' ' << why << ": both tables would hold the same limits.\n"
        << "Nothing was loaded: dx1234_m and dx1234_w are as they were.\n";
}

// Empties each table and inserts its rows, counts them and commits. On any failure: what failed,
// with the driver's text, and false; the caller rolls back.
bool replace(rt::Transaction &tr, std::array<Table, 2> &tables, QString &failure)
{
    for (Table &t : tables) {
        const QString table = QLatin1String(t.name);
        tr.execute(QStringLiteral("DELETE FROM ") + table);
        if (tr.SQLCode < 0) {
            failure = QStringLiteral("the rows of %1 could not be deleted: %2").arg(table, tr.SQLErrText);
            return false;
        }
        const QString insert = QStringLiteral("INSERT INTO %1 (s, z1, z2, z3, z4) VALUES (?, ?, ?, ?, ?)").arg(table);
        for (const common::WeightLimitRow &row : t.limits.rows) {
            tr.execute(insert, {row.s, row.z[0], row.z[1], row.z[2], row.z[3]});
            if (tr.SQLCode < 0) {
                failure = QStringLiteral("%1:%2: %3 refused the row: %4").arg(t.file).arg(row.line).arg(table, tr.SQLErrText);
                return false;
            }
        }
        const rt::Transaction::Rows counted = tr.execute(QStringLiteral("SELECT COUNT(*) FROM ") + table);
        if (tr.SQLCode != 0) {
            failure = QStringLiteral("the rows of %1 could not be counted: %2").arg(table, tr.SQLErrText);
            return false;
        }
        t.count = counted.first().first().toLongLong();
    }
    if (tr.commit() != 0) {
        failure = QStringLiteral("the COMMIT failed: ") + tr.SQLErrText;
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("fitmarkel-load-limits"));
    // Every failure is reported below with the driver's own text; Qt's warnings would say it twice.
    QLoggingCategory::setFilterRules(QStringLiteral("default.warning=false"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    const common::HeightRange menHeights = common::lookedUpHeights(Sex::Male);
    const common::HeightRange womenHeights = common::lookedUpHeights(Sex::Female);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Replaces the weight-limit tables dx1234_m (men) and dx1234_w (women) of the data source vemka.\n"
                       "Each CSV file has a header line naming at least the columns s,z1,z2,z3,z4 (whole-centimetre\n"
                       "height, then four limits in kg, above 0 and strictly ascending); further columns are ignored.\n"
                       "The men's file needs a row for every height from %1 to %2 cm, the women's from %3 to %4 cm.\n"
                       "Nothing is changed unless every row of both files is usable.")
            .arg(menHeights.lowest)
            .arg(menHeights.highest)
            .arg(womenHeights.lowest)
            .arg(womenHeights.highest));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("MEN.csv"), QStringLiteral("The men's weight limits, for dx1234_m."));
    parser.addPositionalArgument(QStringLiteral("WOMEN.csv"), QStringLiteral("The women's weight limits, for dx1234_w."));
    parser.process(app);
    const QStringList files = parser.positionalArguments();
    if (files.size() != 2) {
        err << "Usage: " << QCoreApplication::applicationName() << " MEN.csv WOMEN.csv (--help for more)\n";
        return 2;
    }

    const QString men = QFileInfo(files[0]).canonicalFilePath();
    if (!men.isEmpty() && men == QFileInfo(files[1]).canonicalFilePath()) {
        refuseOneTableForBoth(err, files, "are one file");
        return 1;
    }
    std::array<Table, 2> tables{Table{"dx1234_m", Sex::Male, files[0], common::readWeightLimitFile(files[0])},
                                Table{"dx1234_w", Sex::Female, files[1], common::readWeightLimitFile(files[1])}};
    bool usable = true;
    for (Table &t : tables) {
        common::requireLookedUpHeights(t.limits, t.sex);
        for (const QString &problem : t.limits.problems)
            err << problem << '\n';
        usable = usable && t.limits.usable();
    }
    if (usable && sameRows(tables[0].limits, tables[1].limits)) {
        refuseOneTableForBoth(err, files, "hold the same rows");
        return 1;
    }
    if (!usable) {
        err << "Nothing was loaded: dx1234_m and dx1234_w are as they were.\n";
        return 1;
    }

    rt::Transaction tr;
    common::useProgramDataSource(tr);
    // Under another program's lock the whole load gives up within the data source's wait, as a Save does.
    tr.setWaitOnce(true);
    if (tr.connect() != 0) {
        err << "Cannot connect to the data source vemka: " << tr.SQLErrText << '\n'
            << "Nothing was loaded.\n";
        return 1;
    }
    QString failure;
    if (!replace(tr, tables, failure)) {
        err << failure << '\n';
        if (tr.rollback() != 0)
            err << "The ROLLBACK failed too: " << tr.SQLErrText << '\n';
        else
            err << "Rolled back: dx1234_m and dx1234_w are as they were.\n";
        return 1;
    }
    out << "Loaded into the data source vemka:\n";
    for (const Table &t : tables) {
        out << "  " << t.name << ": " << t.count << " rows, from " << t.file << '\n';
        if (!t.limits.unused.isEmpty()) {
            const common::HeightRange range = common::lookedUpHeights(t.sex);
            out << "    (the rows of " << common::heightRuns(t.limits.unused) << " cm are never looked up: heights are scored from "
                << range.lowest << " to " << range.highest << " cm)\n";
        }
    }
    return 0;
}
