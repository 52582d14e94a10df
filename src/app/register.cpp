#include "app/register.h"

#include "app/w_about.h"
#include "app/w_flash.h"
#include "app/w_main1.h"
#include "app/w_pwd.h"
#include "runtime/registry.h"

namespace app {

void registerWindows()
{
    rt::WindowRegistry &windows = rt::windows();
    windows.registerClass(QStringLiteral("w_flash"), rt::WindowType::Response,
                          [](QWidget *parent) { return new w_flash(parent); });
    windows.registerClass(QStringLiteral("w_pwd"), rt::WindowType::Main, [](QWidget *parent) { return new w_pwd(parent); });
    windows.registerClass(QStringLiteral("w_main1"), rt::WindowType::MdiFrame,
                          [](QWidget *parent) { return new w_main1(parent); });
    windows.registerClass(QStringLiteral("w_about"), rt::WindowType::Response,
                          [](QWidget *parent) { return new w_about(parent); });
}

} // namespace app
