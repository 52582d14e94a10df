#include "app/globals.h"

bool &button_flag()
{
    static bool flag = false;
    return flag;
}
