#include "common/height_weight.h"

namespace common {

Body clampHeight(Body body, Sex sex)
{
    // Past 2^24 a step of one centimetre no longer changes a float; the inputs stay far below that.
    while (body.height < kLowestHeight && body.height + 1.0f != body.height) {
        body.height = body.height + 1.0f;
        body.weight = body.weight + kRaiseWeightPerCm;
    }
    const float upper = upperHeightBound(sex);
    while (body.height >= upper && body.height - 1.0f != body.height) {
        body.height = body.height - 1.0f;
        body.weight = body.weight - kLowerWeightPerCm;
    }
    return body;
}

int firstUnusableLimit(const std::array<std::optional<float>, 4> &limits)
{
    for (int i = 0; i < 4; ++i) {
        if (!limits[i] || (i > 0 && !(*limits[i - 1] <= *limits[i])))
            return i;
    }
    return -1;
}

int weightBandPoints(float weight, const WeightLimits &z)
{
    if (weight >= z[3])
        return 7;
    if (weight >= z[2])
        return 9;
    if (weight >= z[1])
        return 15;
    if (weight >= z[0])
        return 9;
    return 7;
}

HeightWeightScore scoreHeightWeight(Body typed, Sex sex, const WeightLimitSource &lookup)
{
    HeightWeightScore result;
    result.body = typed;
    if (!(typed.weight > 0.0f) || !(typed.height > 0.0f))
        return result;

    result.body = clampHeight(typed, sex);
    const WeightLimitLookup found = lookup(sex, result.body.height);
    switch (found.status) {
    case WeightLimitLookup::Status::Failed:
        result.outcome = HeightWeightScore::Outcome::QueryFailed;
        result.error = found.error;
        return result;
    case WeightLimitLookup::Status::NoRow:
        result.outcome = HeightWeightScore::Outcome::NoRow;
        return result;
    case WeightLimitLookup::Status::Found:
        break;
    }
    if (firstUnusableLimit(found.limits) >= 0) {
        result.outcome = HeightWeightScore::Outcome::InvalidRow;
        return result;
    }
    for (int i = 0; i < 4; ++i)
        result.limits[i] = *found.limits[i];
    result.outcome = HeightWeightScore::Outcome::Scored;
    result.points = weightBandPoints(result.body.weight, result.limits);
    return result;
}

} // namespace common
