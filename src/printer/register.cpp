#include "printer/register.h"

namespace printer {

void registerWindows()
{
}

} // namespace printer
