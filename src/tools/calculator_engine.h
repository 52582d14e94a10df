#pragma once
// The desktop calculator without its window: the display text and the state shared by every opening
// of the calculator. The display text is the only record of the number being entered or shown; each
// key reads its value from the text and writes its result back as text.
#include <QDate>
#include <QString>
#include <QTime>

namespace tools {

// Every key of the calculator that acts on the display.
enum class CalcKey {
    Digit0, Digit1, Digit2, Digit3, Digit4, Digit5, Digit6, Digit7, Digit8, Digit9,
    Point,
    Sign,
    Backspace,
    ClearEntry,
    ClearAll,
    Add,
    Subtract,
    Multiply,
    Divide,
    Equals,
    Square,
    SquareRoot,
    Reciprocal,
};

constexpr int kCalcKeyCount = int(CalcKey::Reciprocal) + 1;
constexpr CalcKey digitKey(int digit) { return CalcKey(int(CalcKey::Digit0) + digit); }

// Codes of the pending operation held in `rule`.
enum Rule : short {
    kRuleNone = 0,
    kRuleAdd = 1,
    kRuleSubtract = 2,
    kRuleMultiply = 3,
    kRuleDivide = 4,
    kRuleSquare = 5,
    kRuleSquareRoot = 6,
};

// The class-level variables of the calculator: one set for the whole run, shared by every opening.
struct CalculatorShared {
    short lick = 0; // 1 = the display begins with a "-" that the sign key put there
    short rule = kRuleNone; // pending operation for "="
    double m = 0; // left operand
    short nn = 0; // 1 = a result is shown and the next digit 1 to 9 starts a new number
};
CalculatorShared &calculatorShared();

inline const QString kErrorText = QStringLiteral("Error!");
// Entry by the keys stops at this many characters, so what the keys build always reads as a finite number.
constexpr int kMaxEntryLength = 32;
// The square root shows no more than this many characters of its result.
constexpr int kSquareRootLength = 30;

// One opening of the calculator: its display (and the clock shown in its place) over the shared state.
class CalculatorEngine {
public:
    explicit CalculatorEngine(CalculatorShared &shared = calculatorShared()) : s_(shared) {}

    const QString &text() const { return text_; }
    bool clockShown() const { return clockShown_; }
    const CalculatorShared &shared() const { return s_; }

    void press(CalcKey key);
    // The operator typed into the display itself.
    void setTypedText(const QString &text);
    // "时间" in display mode starts the clock (returns true), in clock mode returns to the display.
    bool toggleClock();

    // The display text read as a number: 0 for a text that is none.
    static double valueOf(const QString &text);
    // The text, taken whole, is a decimal number (digits, at most one point, a sign, an exponent).
    static bool isNumber(const QString &text);
    // A number without an exponent: what the keys build.
    static bool isPlainDecimal(const QString &text);
    // The text a result is shown as: 15 significant digits, in exponent form from 1e+15 up and below 0.0001.
    static QString textOf(double value);

private:
    double value() const { return valueOf(text_); }
    void returnToDisplay() { clockShown_ = false; }
    void show(double result);
    void showError() { text_ = kErrorText; }
    void append(QChar c);

    void digit(int d);
    void zero();
    void point();
    void sign();
    void backspace();
    void clearEntry();
    void clearAll();
    void operatorKey(Rule rule);
    void equals();
    void square();
    void squareRoot();
    void reciprocal();

    CalculatorShared &s_;
    QString text_ = QStringLiteral("0");
    bool clockShown_ = false;
    // False while the display still holds the "0" that an operator (or a cleared entry) left, so that
    // "5 × =" squares while "5 × 0 =" multiplies by the 0 typed.
    bool entered_ = false;
};

// The clock's text: "2026年3月1日  " and the time of day.
QString clockText(const QDate &date, const QTime &time);

} // namespace tools
