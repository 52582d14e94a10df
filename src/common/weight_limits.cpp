#include "common/weight_limits.h"

#include "runtime/transaction.h"

namespace common {

namespace {

// The height is typed as a real at both places: left untyped, a server that prepares the statement
// takes it for an integer from the column s it is compared with, and refuses 170.5.
const QString kMen = QStringLiteral("SELECT z1, z2, z3, z4 FROM dx1234_m WHERE s <= CAST(? AS REAL) AND s > (CAST(? AS REAL) - 1)");
const QString kWomen = QStringLiteral("SELECT z1, z2, z3, z4 FROM dx1234_w WHERE s <= CAST(? AS REAL) AND s > (CAST(? AS REAL) - 1)");

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
    for (int i = 0; i < 4; ++i) {
        const QVariant v = rows.first().value(i);
        if (!v.isNull())
            result.limits[i] = v.toFloat();
    }
    return result;
}

} // namespace common
