#include "app/window_classes.h"

#include "kit/register.h"
#include "printer/register.h"
#include "score/register.h"
#include "settings/register.h"
#include "tools/register.h"
#include "app/register.h"

void registerWindowClasses()
{
    app::registerWindows();
    kit::registerWindows();
    settings::registerWindows();
    score::registerWindows();
    tools::registerWindows();
    printer::registerWindows();
}
