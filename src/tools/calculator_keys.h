#pragma once
// The calculator's keyboard: which key presses a button. Digits come from the main row and from the
// keypad; the four operators and the decimal point only from the keypad; Backspace, Enter and Esc
// reach "退格", "=" and "清除". Shift and Ctrl make no difference: Shift+8 is "8".
#include "tools/calculator_engine.h"

#include <QtGlobal>
#include <optional>

namespace tools {

// How the platform reports the physical key beside the symbol.
enum class KeyPlatform {
    Unknown, // no physical key reported: the symbol decides
    Xkb, // X11 and Wayland: the native scan code is the XKB key code (evdev code + 8)
    Windows, // the native virtual key is the Windows virtual-key code
};

struct KeyPress {
    int key = 0; // Qt::Key
    Qt::KeyboardModifiers modifiers;
    quint32 nativeScanCode = 0;
    quint32 nativeVirtualKey = 0;
};

std::optional<CalcKey> calcKeyFor(const KeyPress &press, KeyPlatform platform);

} // namespace tools
