#pragma once
// The school-year total: the scores of the counted items, each addition truncated toward zero, then
// 5 per ticked bonus box, graded, and capped at 59 with the grade "不及格" when the absence box is ticked.
#include "common/grade_scale.h"
#include "common/test_items.h"

#include <array>

namespace common {

constexpr int kBonusCount = 4;
constexpr int kBonusPoints = 5;
constexpr int kAbsenceCap = 59;

struct YearTotalInput {
    // Indexed by TestItem: the value each score edit holds, and whether it counts (an optional item
    // counts only while its score edit is enabled; the fixed items always count).
    std::array<float, kTestItemCount> scores{};
    std::array<bool, kTestItemCount> counted{};
    std::array<bool, kBonusCount> bonus{};
    bool absence = false;
};

struct YearTotal {
    int score = 0;
    // The word to show, and the colour to give the grade field; none leaves its colour as it is.
    Grade grade;
};

YearTotal yearTotal(const YearTotalInput &input);

} // namespace common
