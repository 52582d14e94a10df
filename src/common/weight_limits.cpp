#include "common/weight_limits.h"

#include "runtime/transaction.h"

#include <QSqlQuery>

namespace common {

WeightLimitLookup lookupWeightLimits(Sex sex, float height)
{
    const QString sql = sex == Sex::Male
        ? QStringLiteral("SELECT z1, z2, z3, z4 FROM dx1234_m WHERE s <= ? AND s > (? - 1)")
        : QStringLiteral("SELECT z1, z2, z3, z4 FROM dx1234_w WHERE s <= ? AND s > (? - 1)");
    rt::Transaction &tr = rt::sqlca();
    QSqlQuery q = tr.execute(sql, {QVariant(height), QVariant(height)});

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
        const QVariant v = q.value(i);
        if (!v.isNull())
            result.limits[i] = v.toFloat();
    }
    return result;
}

} // namespace common
