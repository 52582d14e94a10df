#include "app/register.h"

namespace app {

void registerWindows()
{
}

} // namespace app
