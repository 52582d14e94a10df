#include "common/grade_scale.h"

namespace common {

Grade gradeOf(int score)
{
    if (score > 85)
        return {QStringLiteral("优秀"), kGradeBlue};
    if (score > 75)
        return {QStringLiteral("良好"), kGradeMagenta};
    if (score >= 60)
        return {QStringLiteral("及格"), kGradeGreen};
    if (score > 0)
        return {QStringLiteral("不及格"), kGradeRed};
    return {QString(), std::nullopt};
}

} // namespace common
