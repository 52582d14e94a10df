#include "settings/register.h"

#include "runtime/registry.h"
#include "settings/w_xm_dx.h"

namespace settings {

void registerWindows()
{
    for (const StudyYearVariant &v : kStudyYearVariants) {
        rt::windows().registerClass(QLatin1String(v.className), rt::WindowType::Response,
                                    [&v](QWidget *parent) { return new w_xm_dx(v, parent); });
    }
}

} // namespace settings
