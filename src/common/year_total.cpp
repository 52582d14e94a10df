#include "common/year_total.h"

#include <cstdint>

namespace common {

YearTotal yearTotal(const YearTotalInput &input)
{
    std::int32_t score = 0;
    for (TestItem item : kTestItemsInSumOrder) {
        const int i = indexOf(item);
        if (!isFixed(item) && !input.counted[i])
            continue;
        // The running total goes back to a float, the sum is rounded to single precision and truncated.
        const float sum = static_cast<float>(score) + input.scores[i];
        score = static_cast<std::int32_t>(sum);
    }
    for (bool ticked : input.bonus) {
        if (ticked)
            score += kBonusPoints;
    }

    YearTotal total;
    total.grade = gradeOf(score);
    if (input.absence) {
        if (score > kAbsenceCap)
            score = kAbsenceCap;
        total.grade = {QStringLiteral("不及格"), kGradeRed};
    }
    total.score = score;
    return total;
}

} // namespace common
