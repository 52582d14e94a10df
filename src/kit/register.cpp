#include "kit/register.h"

namespace kit {

void registerWindows()
{
}

} // namespace kit
