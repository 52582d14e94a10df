#include "score/register.h"

namespace score {

void registerWindows()
{
}

} // namespace score
