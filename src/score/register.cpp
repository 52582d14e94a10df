#include "score/register.h"

#include "runtime/registry.h"
#include "score/w_jsq_by.h"

namespace score {

void registerWindows()
{
    rt::windows().registerClass(QStringLiteral("w_jsq_by"), rt::WindowType::Response,
                                [](QWidget *parent) { return new w_jsq_by(parent); });
}

} // namespace score
