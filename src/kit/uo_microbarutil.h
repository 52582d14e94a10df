#pragma once
// Gives the status bar of an MDI frame its own font ("宋体", 16 pixels, GB2312 glyphs through the CJK
// fallback) and a height of 23 pixels. Other windows are left as they are.
#include "runtime/system.h"

class QWidget;

class uo_microbarutil {
public:
    void of_initmicrobar(QWidget *aw_frame, int runtimeMajorVersion = rt::kRuntimeMajorVersion);

    static constexpr int kBarHeight = 23;
    static constexpr int kFontHeight = -16;
};
