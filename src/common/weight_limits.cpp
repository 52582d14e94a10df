#include "common/weight_limits.h"

#include "runtime/transaction.h"

namespace common {

namespace {

// The height is typed as a real at both places: left untyped, a server that prepares the statement
// takes it for an integer from the column s it is compared with, and refuses 170.5. Each limit comes
// as a number and as text: a driver reads a text that is no number as 0, the text tells it apart.
QString limitsQuery(const char *table)
{
    return QStringLiteral("SELECT z1, z2, z3, z4, CAST(z1 AS VARCHAR(32)), CAST(z2 AS VARCHAR(32)), "
                          "CAST(z3 AS VARCHAR(32)), CAST(z4 AS VARCHAR(32)) FROM %1 "
                          "WHERE s <= CAST(? AS REAL) AND s > (CAST(? AS REAL) - 1)")
        .arg(QLatin1String(table));
}
const QString kMen = limitsQuery("dx1234_m");
const QString kWomen = limitsQuery("dx1234_w");

// A limit as a number; empty for NULL and for a text that is no number (SQLite keeps text in a REAL column).
std::optional<float> limitOf(const QVariant &number, const QVariant &text)
{
    bool isNumber = false;
    text.toString().toDouble(&isNumber); // NULL comes as an empty text: no number either
    bool ok = false;
    const float limit = number.toFloat(&ok);
    return isNumber && ok ? std::optional<float>(limit) : std::nullopt;
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
    const QVariantList &row = rows.first();
    for (int i = 0; i < 4; ++i)
        result.limits[i] = limitOf(row.value(i), row.value(i + 4));
    return result;
}

} // namespace common
