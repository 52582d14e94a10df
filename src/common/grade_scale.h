#pragma once
// The grade words of a school-year or graduation score, tried from the top on the integer score.
#include <QString>
#include <optional>

namespace common {

struct Grade {
    QString word;              // empty for 0 or less
    std::optional<long> color; // RGB number; none: the colour shown stays as it was
};

Grade gradeOf(int score);

constexpr long kGradeBlue = 16711680;    // RGB(0,0,255)
constexpr long kGradeMagenta = 16711935; // RGB(255,0,255)
constexpr long kGradeGreen = 65280;      // RGB(0,255,0)
constexpr long kGradeRed = 255;          // RGB(255,0,0)

} // namespace common
