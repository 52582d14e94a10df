#include "runtime/application.h"

namespace rt {

Application &Application::instance()
{
    static Application app;
    return app;
}

void Application::setToolbarText(bool on)
{
    if (toolbarText_ == on)
        return;
    toolbarText_ = on;
    emit toolbarTextChanged(on);
}

void Application::setToolbarTips(bool on)
{
    if (toolbarTips_ == on)
        return;
    toolbarTips_ = on;
    emit toolbarTipsChanged(on);
}

} // namespace rt
