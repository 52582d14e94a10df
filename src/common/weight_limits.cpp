#include "common/weight_limits.h"

#include "runtime/transaction.h"

namespace common {

namespace {

// The height is typed as a real at both places: left untyped, a server that prepares the statement
// takes it for an integer from the column s it is compared with, and refuses 170.5. The four limits
// come as their texts in one column: a driver reads a text that is no number as 0 or as the number it
// starts with ("55,3" as 55), the text tells it apart; and one column is read faster than four.
QString limitsQuery(const char *table)
{
    return QStringLiteral("SELECT COALESCE(CAST(z1 AS VARCHAR), '') || ';' || COALESCE(CAST(z2 AS VARCHAR), '') || ';' "
                          "|| COALESCE(CAST(z3 AS VARCHAR), '') || ';' || COALESCE(CAST(z4 AS VARCHAR), '') FROM %1 "
                          "WHERE s <= CAST(? AS REAL) AND s > (CAST(? AS REAL) - 1)")
        .arg(QLatin1String(table));
}
const QString kMen = limitsQuery("dx1234_m");
const QString kWomen = limitsQuery("dx1234_w");

// The four limits of the texts "z1;z2;z3;z4": each a number, or empty for NULL and for a text that is
// no number (SQLite keeps text in a REAL column).
std::array<std::optional<float>, 4> limitsOf(const QString &texts)
{
    std::array<std::optional<float>, 4> limits;
    const QStringList parts = texts.split(QLatin1Char(';'));
    if (parts.size() != 4)
        return limits;
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const double limit = parts[i].toDouble(&ok);
        if (ok)
            limits[i] = float(limit);
    }
    return limits;
}

} // namespace

WeightLimitLookup lookupWeightLimits(Sex sex, float height)
{
    rt::Transaction &tr = rt::sqlca();
    const rt::Transaction::Rows rows = tr.execute(sex == Sex::Male ? kMen : kWomen, {QVariant(height), QVariant(height)});

    WeightLimitLookup result;
    if (tr.SQLCode == 100) {
        result.status = WeightLimitLookup::Status::NoRow;
        return result;
    }
    if (tr.SQLCode != 0) {
        result.status = WeightLimitLookup::Status::Failed;
        result.error = tr.SQLErrText;
        return result;
    }
    result.status = WeightLimitLookup::Status::Found;
    result.limits = limitsOf(rows.first().value(0).toString());
    return result;
}

} // namespace common
