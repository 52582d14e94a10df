#include "tools/register.h"

namespace tools {

void registerWindows()
{
}

} // namespace tools
