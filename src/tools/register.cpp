#include "tools/register.h"

#include "runtime/registry.h"
#include "tools/w_4.h"

namespace tools {

void registerWindows()
{
    // The calculator is opened with no parent and stays open beside the frame, also after it closes.
    rt::windows().registerClass(QStringLiteral("w_4"), rt::WindowType::Main,
                                [](QWidget *parent) { return new w_4(parent); });
}

} // namespace tools
