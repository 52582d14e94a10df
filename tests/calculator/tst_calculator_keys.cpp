// The calculator's keyboard: key presses, with and without the keypad and Shift, to the button they
// press, on a platform that reports the physical key and on one that does not.
#include "tools/calculator_keys.h"

#include <QTest>

using tools::CalcKey;
using tools::KeyPlatform;
using tools::KeyPress;

Q_DECLARE_METATYPE(tools::KeyPlatform)

namespace {
constexpr int kNone = -1; // the key presses no button
constexpr auto kKeypad = Qt::KeypadModifier;
constexpr auto kShift = Qt::ShiftModifier;
} // namespace

class TestCalculatorKeys : public QObject {
    Q_OBJECT
private slots:
    void keyToButton_data();
    void keyToButton();
};

void TestCalculatorKeys::keyToButton_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<quint32>("scanCode");
    QTest::addColumn<quint32>("virtualKey");
    QTest::addColumn<KeyPlatform>("platform");
    QTest::addColumn<int>("button");

    auto row = [](const char *name, int key, Qt::KeyboardModifiers mods, quint32 scan, quint32 vk,
                  KeyPlatform platform, int button) {
        QTest::newRow(name) << key << mods << scan << vk << platform << button;
    };
    const Qt::KeyboardModifiers none;
    const auto X = KeyPlatform::Xkb;
    const auto W = KeyPlatform::Windows;
    const auto U = KeyPlatform::Unknown;
    auto b = [](CalcKey k) { return int(k); };

    // Digits of the main row: X key codes 10..19, Windows virtual keys 0x30..0x39
    for (int d = 0; d <= 9; ++d) {
        const quint32 scan = d == 0 ? 19 : quint32(9 + d);
        QTest::addRow("main row %d", d) << int(Qt::Key_0) + d << none << scan << quint32(0x30 + d) << X
                                        << b(tools::digitKey(d));
        QTest::addRow("keypad %d", d) << int(Qt::Key_0) + d << Qt::KeyboardModifiers(kKeypad)
                                      << quint32(d == 0 ? 90 : 0) << quint32(0x60 + d) << X << b(tools::digitKey(d));
    }
    row("Shift+8 on X11 is 8 by its key code", Qt::Key_Asterisk, kShift, 17, 0x2a, X, b(CalcKey::Digit8));
    row("Shift+1 on Windows is 1 by its virtual key", Qt::Key_Exclam, kShift, 2, 0x31, W, b(CalcKey::Digit1));
    row("Shift+8 without a physical key does nothing", Qt::Key_Asterisk, kShift, 0, 0, U, kNone);
    row("digit 5 without a physical key", Qt::Key_5, none, 0, 0, U, b(CalcKey::Digit5));
    row("Ctrl+3 is 3", Qt::Key_3, Qt::ControlModifier, 12, 0x33, X, b(CalcKey::Digit3));
    row("AZERTY: the unshifted 1 key gives & and is 1", Qt::Key_Ampersand, none, 10, 0x26, X, b(CalcKey::Digit1));
    row("Shift+keypad 7 is 7", Qt::Key_7, kKeypad | kShift, 79, 0xffb7, X, b(CalcKey::Digit7));

    // Operators and the point from the keypad only
    row("keypad + adds", Qt::Key_Plus, kKeypad, 86, 0xffab, X, b(CalcKey::Add));
    row("keypad - subtracts", Qt::Key_Minus, kKeypad, 82, 0xffad, X, b(CalcKey::Subtract));
    row("keypad * multiplies", Qt::Key_Asterisk, kKeypad, 63, 0xffaa, X, b(CalcKey::Multiply));
    row("keypad / divides", Qt::Key_Slash, kKeypad, 106, 0xffaf, X, b(CalcKey::Divide));
    row("keypad point", Qt::Key_Period, kKeypad, 91, 0xffae, X, b(CalcKey::Point));
    row("keypad decimal comma", Qt::Key_Comma, kKeypad, 91, 0xffac, X, b(CalcKey::Point));
    row("keypad Enter is =", Qt::Key_Enter, kKeypad, 104, 0xff8d, X, b(CalcKey::Equals));
    row("main row + does nothing", Qt::Key_Plus, kShift, 21, 0x2b, X, kNone);
    row("main row - does nothing", Qt::Key_Minus, none, 20, 0x2d, X, kNone);
    row("main row / does nothing", Qt::Key_Slash, none, 61, 0x2f, X, kNone);
    row("main row * on an unknown platform does nothing", Qt::Key_Asterisk, none, 0, 0, U, kNone);
    row("main row point does nothing", Qt::Key_Period, none, 60, 0x2e, X, kNone);
    row("keypad Home (Num Lock off) does nothing", Qt::Key_Home, kKeypad, 79, 0xff95, X, kNone);

    // Backspace, Enter and Esc
    row("Backspace", Qt::Key_Backspace, none, 22, 0xff08, X, b(CalcKey::Backspace));
    row("Return is =", Qt::Key_Return, none, 36, 0xff0d, X, b(CalcKey::Equals));
    row("Esc is 清除", Qt::Key_Escape, none, 9, 0xff1b, X, b(CalcKey::ClearAll));
    row("Shift+Return is =", Qt::Key_Return, kShift, 36, 0xff0d, X, b(CalcKey::Equals));

    // Buttons without a key
    row("C does nothing", Qt::Key_C, none, 54, 0x63, X, kNone);
    row("Delete does nothing", Qt::Key_Delete, none, 119, 0xffff, X, kNone);
    row("Space does nothing", Qt::Key_Space, none, 65, 0x20, X, kNone);
    row("F9 does nothing", Qt::Key_F9, none, 75, 0xffc6, X, kNone);
}

void TestCalculatorKeys::keyToButton()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(quint32, scanCode);
    QFETCH(quint32, virtualKey);
    QFETCH(KeyPlatform, platform);
    QFETCH(int, button);

    const auto calc = tools::calcKeyFor(KeyPress{key, modifiers, scanCode, virtualKey}, platform);
    QCOMPARE(calc ? int(*calc) : kNone, button);
}

QTEST_GUILESS_MAIN(TestCalculatorKeys)
#include "tst_calculator_keys.moc"
