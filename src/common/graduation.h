#pragma once
// The graduation score: the first three years weigh one sixth each, the fourth year one half.
// Scores carry at most one decimal, so the weighted sum is taken in whole tenths: a result that is
// exactly a whole number is never lost to rounding, and both windows agree on the same scores.
#include "common/grade_scale.h"

namespace common {

// The fourth-year window counts its own year total at most as this much.
constexpr int kFourthYearTermCap = 100;

struct GraduationResult {
    int score = 0; // whole part of the weighted sum
    Grade grade;   // the year grade scale, applied to `score`
};

// A typed score in whole tenths, rounded to the nearest tenth.
int scoreInTenths(float score);

// The fourth-year window: three typed earlier-year scores and the window's own year total (bonuses and
// absence cap applied), the latter counted at most as kFourthYearTermCap.
GraduationResult fourthYearGraduation(float year1, float year2, float year3, int fourthYearTotal);

// The graduation window: four typed year scores, the fourth one not capped.
GraduationResult graduation(float year1, float year2, float year3, float year4);

} // namespace common
