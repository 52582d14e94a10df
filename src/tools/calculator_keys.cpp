#include "tools/calculator_keys.h"

namespace tools {

namespace {

struct KeyEntry {
    int key;
    CalcKey calc;
};

constexpr KeyEntry kKeypad[] = {
    {Qt::Key_0, CalcKey::Digit0},      {Qt::Key_1, CalcKey::Digit1},      {Qt::Key_2, CalcKey::Digit2},
    {Qt::Key_3, CalcKey::Digit3},      {Qt::Key_4, CalcKey::Digit4},      {Qt::Key_5, CalcKey::Digit5},
    {Qt::Key_6, CalcKey::Digit6},      {Qt::Key_7, CalcKey::Digit7},      {Qt::Key_8, CalcKey::Digit8},
    {Qt::Key_9, CalcKey::Digit9},      {Qt::Key_Period, CalcKey::Point},  {Qt::Key_Comma, CalcKey::Point},
    {Qt::Key_Plus, CalcKey::Add},      {Qt::Key_Minus, CalcKey::Subtract}, {Qt::Key_Asterisk, CalcKey::Multiply},
    {Qt::Key_Slash, CalcKey::Divide},  {Qt::Key_Enter, CalcKey::Equals},
};

constexpr KeyEntry kMainKeyboard[] = {
    {Qt::Key_0, CalcKey::Digit0},         {Qt::Key_1, CalcKey::Digit1}, {Qt::Key_2, CalcKey::Digit2},
    {Qt::Key_3, CalcKey::Digit3},         {Qt::Key_4, CalcKey::Digit4}, {Qt::Key_5, CalcKey::Digit5},
    {Qt::Key_6, CalcKey::Digit6},         {Qt::Key_7, CalcKey::Digit7}, {Qt::Key_8, CalcKey::Digit8},
    {Qt::Key_9, CalcKey::Digit9},         {Qt::Key_Backspace, CalcKey::Backspace},
    {Qt::Key_Return, CalcKey::Equals},    {Qt::Key_Enter, CalcKey::Equals},
    {Qt::Key_Escape, CalcKey::ClearAll},
};

std::optional<CalcKey> lookUp(const KeyEntry *begin, const KeyEntry *end, int key)
{
    for (const KeyEntry *e = begin; e != end; ++e) {
        if (e->key == key)
            return e->calc;
    }
    return std::nullopt;
}

// The digit of a physical key of the main row, whatever symbol Shift or the layout makes of it.
std::optional<int> mainRowDigit(const KeyPress &press, KeyPlatform platform)
{
    switch (platform) {
    case KeyPlatform::Xkb: {
        // Key codes 10 to 18 are the keys 1 to 9, 19 is 0.
        const quint32 code = press.nativeScanCode;
        if (code >= 10 && code <= 18)
            return int(code) - 9;
        if (code == 19)
            return 0;
        return std::nullopt;
    }
    case KeyPlatform::Windows: {
        const quint32 vk = press.nativeVirtualKey;
        if (vk >= 0x30 && vk <= 0x39)
            return int(vk) - 0x30;
        return std::nullopt;
    }
    case KeyPlatform::Unknown: break;
    }
    return std::nullopt;
}

} // namespace

std::optional<CalcKey> calcKeyFor(const KeyPress &press, KeyPlatform platform)
{
    if (press.modifiers.testFlag(Qt::KeypadModifier))
        return lookUp(std::begin(kKeypad), std::end(kKeypad), press.key);
    if (const auto d = mainRowDigit(press, platform))
        return digitKey(*d);
    return lookUp(std::begin(kMainKeyboard), std::end(kMainKeyboard), press.key);
}

} // namespace tools
