#include "score/register.h"

#include "runtime/registry.h"
#include "score/graduation_panel.h"
#include "score/w_jsq_by.h"
#include "score/year_score_window.h"

namespace score {

void registerWindows()
{
    // The year score windows of years 1 to 3; year 4 adds the graduation panel.
    for (int year = 1; year <= 3; ++year) {
        const YearParameters &p = yearParameters(year);
        rt::windows().registerClass(QLatin1String(p.className), rt::WindowType::Response,
                                    [&p](QWidget *parent) { return new YearScoreWindow(p, parent); });
    }
    rt::windows().registerClass(QStringLiteral("w_jsq_dx4"), rt::WindowType::Response, createFourthYearWindow);
    rt::windows().registerClass(QStringLiteral("w_jsq_by"), rt::WindowType::Response,
                                [](QWidget *parent) { return new w_jsq_by(parent); });
}

} // namespace score
