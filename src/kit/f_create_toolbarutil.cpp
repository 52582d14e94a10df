#include "kit/f_create_toolbarutil.h"

#include "kit/uo_toolbarutil.h"

bool f_create_toolbarutil(uo_toolbarutil *&auo_toolbarutil, int runtimeMajorVersion)
{
    if (auo_toolbarutil)
        return false;
    switch (runtimeMajorVersion) {
    case 6:
        auo_toolbarutil = new uo_toolbarutil6;
        return true;
    case 7:
        auo_toolbarutil = new uo_toolbarutil7;
        return true;
    case 8:
        auo_toolbarutil = new uo_toolbarutil8;
        return true;
    default:
        return false;
    }
}
