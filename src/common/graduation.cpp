#include "common/graduation.h"

#include <algorithm>
#include <cmath>

namespace common {

namespace {

// Sixths and a half in tenths: (t1 + t2 + t3) / 60 + t4 / 20 = (t1 + t2 + t3 + 3 t4) / 60.
GraduationResult graded(long long sixtiethsNumerator)
{
    const int score = int(sixtiethsNumerator / 60);
    return {score, gradeOf(score)};
}

} // namespace

int scoreInTenths(float score)
{
    return int(std::lround(double(score) * 10.0));
}

GraduationResult fourthYearGraduation(float year1, float year2, float year3, int fourthYearTotal)
{
    const long long term = std::min(fourthYearTotal, kFourthYearTermCap);
    return graded(static_cast<long long>(scoreInTenths(year1)) + scoreInTenths(year2) + scoreInTenths(year3) +
                  30 * term);
}

GraduationResult graduation(float year1, float year2, float year3, float year4)
{
    return graded(static_cast<long long>(scoreInTenths(year1)) + scoreInTenths(year2) + scoreInTenths(year3) +
                  3LL * scoreInTenths(year4));
}

} // namespace common
