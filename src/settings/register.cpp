#include "settings/register.h"

namespace settings {

void registerWindows()
{
}

} // namespace settings
