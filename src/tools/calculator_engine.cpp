#include "tools/calculator_engine.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace tools {

CalculatorShared &calculatorShared()
{
    static CalculatorShared shared;
    return shared;
}

bool CalculatorEngine::isNumber(const QString &text)
{
    static const QRegularExpression number(
        QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$)"));
    return number.match(text).hasMatch();
}

bool CalculatorEngine::isPlainDecimal(const QString &text)
{
    static const QRegularExpression decimal(QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)\s*$)"));
    return decimal.match(text).hasMatch();
}

double CalculatorEngine::valueOf(const QString &text)
{
    if (!isNumber(text))
        return 0;
    // Out of range the C locale gives an infinity (or 0 on underflow); the results then show "Error!".
    bool ok = false;
    return QLocale::c().toDouble(text.trimmed(), &ok);
}

QString CalculatorEngine::textOf(double value)
{
    if (value == 0)
        return QStringLiteral("0"); // also for a negative zero
    // The runtime's text of a double: 15 significant digits, so 0.1 + 0.2 shows 0.3. Only next to the
    // largest double, where rounding up would read back as an infinity, are more digits kept.
    const QString text = QString::number(value, 'g', 15);
    return std::isfinite(valueOf(text)) ? text : QString::number(value, 'g', QLocale::FloatingPointShortest);
}

void CalculatorEngine::show(double result)
{
    if (std::isfinite(result))
        text_ = textOf(result);
    else
        showError();
    entered_ = true;
}

void CalculatorEngine::append(QChar c)
{
    // A key extends a number only as a plain decimal. On a number shown in exponent form ("1e+16") a
    // digit would change the exponent and a point would make it no number: the key starts a new number.
    const QString longer = text_ + c;
    if (isNumber(text_) && !isPlainDecimal(longer)) {
        text_ = c == u'.' ? QStringLiteral("0.") : QString(c);
        return;
    }
    if (text_.size() >= kMaxEntryLength)
        return;
    text_ = longer;
}

void CalculatorEngine::setTypedText(const QString &text)
{
    text_ = text;
    entered_ = true;
}

void CalculatorEngine::press(CalcKey key)
{
    switch (key) {
    case CalcKey::Digit0: zero(); break;
    case CalcKey::Digit1:
    case CalcKey::Digit2:
    case CalcKey::Digit3:
    case CalcKey::Digit4:
    case CalcKey::Digit5:
    case CalcKey::Digit6:
    case CalcKey::Digit7:
    case CalcKey::Digit8:
    case CalcKey::Digit9: digit(int(key) - int(CalcKey::Digit0)); break;
    case CalcKey::Point: point(); break;
    case CalcKey::Sign: sign(); break;
    case CalcKey::Backspace: backspace(); break;
    case CalcKey::ClearEntry: clearEntry(); break;
    case CalcKey::ClearAll: clearAll(); break;
    case CalcKey::Add: operatorKey(kRuleAdd); break;
    case CalcKey::Subtract: operatorKey(kRuleSubtract); break;
    case CalcKey::Multiply: operatorKey(kRuleMultiply); break;
    case CalcKey::Divide: operatorKey(kRuleDivide); break;
    case CalcKey::Equals: equals(); break;
    case CalcKey::Square: square(); break;
    case CalcKey::SquareRoot: squareRoot(); break;
    case CalcKey::Reciprocal: reciprocal(); break;
    }
}

void CalculatorEngine::digit(int d)
{
    const QChar c(u'0' + d);
    returnToDisplay();
    entered_ = true;
    if (s_.nn == 1) {
        text_ = c;
        s_.nn = 0;
    } else if (value() == 0 && text_.size() == 1) {
        text_ = c;
    } else if (isNumber(text_)) {
        append(c);
    } else {
        text_ = c;
    }
}

// Unlike 1 to 9, "0" adds no leading zero and never ends the showing of a result.
void CalculatorEngine::zero()
{
    returnToDisplay();
    entered_ = true;
    if (text_.isEmpty() || text_ == kErrorText || s_.nn == 1)
        text_ = QStringLiteral("0");
    if (value() != 0 || text_.size() > 1)
        append(u'0');
}

void CalculatorEngine::point()
{
    if (text_.contains(u'.') || text_ == kErrorText)
        return;
    entered_ = true;
    append(u'.');
}

// The sign is read from the text itself, so a new number or a negative result is negated properly.
void CalculatorEngine::sign()
{
    if (value() == 0)
        return;
    entered_ = true;
    s_.nn = 0;
    if (text_.startsWith(u'-')) {
        text_.remove(0, 1);
        s_.lick = 0;
    } else {
        text_.prepend(u'-');
        s_.lick = 1;
    }
}

// An edit of what is shown: it types nothing, so the "0" an operator left still squares on "×".
void CalculatorEngine::backspace()
{
    // Length in characters: a character outside the BMP is one, though two UTF-16 units.
    const int lastChar = text_.size() >= 2 && text_.back().isLowSurrogate()
                                 && text_.at(text_.size() - 2).isHighSurrogate()
                             ? 2
                             : 1;
    const bool moreThanOne = text_.size() > lastChar;
    if (moreThanOne && text_ != kErrorText)
        text_.chop(lastChar);
    else
        text_ = QStringLiteral("0");
}

void CalculatorEngine::clearEntry()
{
    returnToDisplay();
    text_ = QStringLiteral("0");
    entered_ = false;
    s_.nn = 0;
}

// What C clears, and the sign flag and the pending operation as well; m is kept.
void CalculatorEngine::clearAll()
{
    clearEntry();
    s_.lick = 0;
    s_.rule = kRuleNone;
}

// An operator drops a pending operation uncomputed and takes the display as the new left operand.
void CalculatorEngine::operatorKey(Rule rule)
{
    s_.rule = rule;
    s_.nn = 0;
    s_.m = value();
    text_ = QStringLiteral("0");
    entered_ = false;
}

// "=" leaves the left operand and the operation in place, so a further "=" applies it again.
void CalculatorEngine::equals()
{
    const double d = value();
    switch (s_.rule) {
    case kRuleAdd: show(s_.m + d); break;
    case kRuleSubtract: show(s_.m - d); break;
    case kRuleMultiply: show(entered_ ? s_.m * d : s_.m * s_.m); break;
    case kRuleDivide:
        if (d == 0) {
            showError();
            s_.rule = kRuleNone;
        } else if (!std::isfinite(d)) {
            showError(); // a typed number beyond the range of a double: no quotient, not 0
        } else {
            show(s_.m / d);
        }
        break;
    default: break;
    }
    if (s_.rule > 0)
        s_.nn = 1;
}

void CalculatorEngine::square()
{
    s_.rule = kRuleSquare;
    s_.m = value();
    show(s_.m * s_.m);
    s_.m = value();
    s_.nn = 1;
}

void CalculatorEngine::squareRoot()
{
    s_.m = value();
    s_.rule = kRuleSquareRoot;
    if (value() < 0) {
        showError();
    } else {
        show(std::sqrt(s_.m));
        if (text_ != kErrorText)
            text_.truncate(kSquareRootLength);
        s_.m = value();
    }
    entered_ = true;
    s_.nn = 1;
}

// The reciprocal replaces the display only: the left operand and the pending operation stay, and the
// next digit starts a new number.
void CalculatorEngine::reciprocal()
{
    const double d = value();
    if (d == 0 || !std::isfinite(d)) // nor 0 for a typed number beyond the range of a double
        showError();
    else
        show(1 / d);
    entered_ = true;
    s_.nn = 1;
}

bool CalculatorEngine::toggleClock()
{
    clockShown_ = !clockShown_;
    text_ = QStringLiteral("0");
    entered_ = false;
    return clockShown_;
}

QString clockText(const QDate &date, const QTime &time)
{
    return QStringLiteral("%1年%2月%3日  ").arg(date.year()).arg(date.month()).arg(date.day())
           + time.toString(QStringLiteral("HH:mm:ss"));
}

} // namespace tools
