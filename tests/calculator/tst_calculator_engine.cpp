// Key sequences against the calculator engine: the display after each checkpoint and the shared
// variables at the end.
#include "tools/calculator_engine.h"

#include <QTest>
#include <cmath>
#include <memory>

using tools::CalcKey;
using tools::CalculatorEngine;
using tools::CalculatorShared;

namespace {

struct Token {
    const char *word;
    CalcKey key;
};

constexpr Token kTokens[] = {
    {"0", CalcKey::Digit0},   {"1", CalcKey::Digit1},        {"2", CalcKey::Digit2},
    {"3", CalcKey::Digit3},   {"4", CalcKey::Digit4},        {"5", CalcKey::Digit5},
    {"6", CalcKey::Digit6},   {"7", CalcKey::Digit7},        {"8", CalcKey::Digit8},
    {"9", CalcKey::Digit9},   {".", CalcKey::Point},         {"+/-", CalcKey::Sign},
    {"BS", CalcKey::Backspace}, {"C", CalcKey::ClearEntry},  {"CA", CalcKey::ClearAll},
    {"+", CalcKey::Add},      {"-", CalcKey::Subtract},      {"*", CalcKey::Multiply},
    {"/", CalcKey::Divide},   {"=", CalcKey::Equals},        {"sq", CalcKey::Square},
    {"sqrt", CalcKey::SquareRoot}, {"1/x", CalcKey::Reciprocal},
};

} // namespace

class TestCalculatorEngine : public QObject {
    Q_OBJECT
private slots:
    void keySequences_data();
    void keySequences();
    void numberText_data();
    void numberText();
    void resultTextReadsBack();
    void clockTextHasNoLeadingZeros();
};

void TestCalculatorEngine::keySequences_data()
{
    // keys: words separated by blanks; "|" records the display; "reopen" makes a new opening on the
    // same shared state; "clock" clicks "时间"/"关闭"; "type:xyz" types xyz into the display.
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("displays");
    QTest::addColumn<int>("lick");
    QTest::addColumn<int>("rule");
    QTest::addColumn<double>("m");
    QTest::addColumn<int>("nn");
    QTest::addColumn<bool>("clock");

    auto row = [](const char *name, const char *keys, QStringList displays, int lick, int rule, double m,
                  int nn, bool clock = false) {
        QTest::newRow(name) << QString::fromUtf8(keys) << displays << lick << rule << m << nn << clock;
    };

    // Number entry
    row("7 on the starting 0 shows 7", "7 |", {"7"}, 0, 0, 0, 0);
    row("0 on 0 leaves 0", "0 |", {"0"}, 0, 0, 0, 0);
    row("1 0 0 shows 100", "1 0 0 |", {"100"}, 0, 0, 0, 0);
    row("a second point is ignored", "1 . 5 . |", {"1.5"}, 0, 0, 0, 0);
    row("point then 0 on the start shows 0.0", ". 0 |", {"0.0"}, 0, 0, 0, 0);
    row("a digit after a result starts a new number", "5 + 3 = | 5 |", {"8", "5"}, 0, 1, 5, 0);
    row("a point after a result is appended, the next digit starts anew", "5 + 3 = . | 5 |", {"8.", "5"}, 0,
        1, 5, 0);
    row("0 after a result shows 0 and keeps the result flag", "5 + 3 = 0 | . 5 |", {"0", "5"}, 0, 1, 5, 0);
    row("a digit replaces Error!", "5 / = | 7 |", {"Error!", "7"}, 0, 0, 5, 0);
    row("0 replaces Error!", "5 / = 0 |", {"0"}, 0, 0, 5, 0);
    row("a point leaves Error!", "5 / = . |", {"Error!"}, 0, 0, 5, 0);
    row("a typed text that is no number is replaced by a digit", "type:abc 4 |", {"4"}, 0, 0, 0, 0);
    row("0 appends to a text longer than one character", "type:ab 0 |", {"ab0"}, 0, 0, 0, 0);

    // Sign change
    row("+/- on 5 twice", "5 +/- | +/- |", {"-5", "5"}, 0, 0, 0, 0);
    row("+/- on 0 does nothing", "+/- |", {"0"}, 0, 0, 0, 0);
    row("+/- on 0. does nothing", "0 . +/- |", {"0."}, 0, 0, 0, 0);
    row("+/- on Error! does nothing", "5 / = +/- |", {"Error!"}, 0, 0, 5, 0);
    row("+/- after a result negates it and ends the result", "5 + 3 = +/- | 5 |", {"-8", "-85"}, 1, 1, 5, 0);
    row("+/- on a new number after a negated one negates it", "5 +/- + 3 5 +/- |", {"-35"}, 1, 1, -5, 0);
    row("+/- on a single digit after a negated number", "5 +/- C 7 +/- |", {"-7"}, 1, 0, 0, 0);
    row("+/- on a negative result removes the minus", "2 - 1 0 = | +/- |", {"-8", "8"}, 0, 2, 2, 0);
    row("digits after -5 are appended", "5 +/- 3 |", {"-53"}, 1, 0, 0, 0);

    // Backspace
    row("backspace down to a lone minus, then 0", "5 +/- 3 BS | BS | BS |", {"-5", "-", "0"}, 1, 0, 0, 0);
    row("backspace on 0. shows 0", ". BS |", {"0"}, 0, 0, 0, 0);
    row("backspace on a result keeps the result flag", "5 + 3 0 = BS | 7 |", {"3", "7"}, 0, 1, 5, 0);
    row("backspace on Error! shows 0", "5 / = BS |", {"0"}, 0, 0, 5, 0);
    row("backspace removes a whole Chinese character", "type:12中 BS |", {"12"}, 0, 0, 0, 0);
    row("backspace removes a whole character outside the BMP", "type:1\xF0\x9F\x98\x80 BS |", {"1"}, 0, 0, 0, 0);
    row("backspace on one character outside the BMP shows 0", "type:\xF0\x9F\x98\x80 BS |", {"0"}, 0, 0, 0, 0);

    // Clearing
    row("C keeps the pending addition", "5 + 3 C 4 = |", {"9"}, 0, 1, 5, 1);
    row("清除 drops the pending operation and keeps m", "5 + CA |", {"0"}, 0, 0, 5, 0);
    row("= after 清除 changes nothing", "5 + CA = |", {"0"}, 0, 0, 5, 0);
    row("清除 resets the sign flag", "5 +/- CA |", {"0"}, 0, 0, 0, 0);

    // Operations
    row("5 + 3 = = = repeats the addition on the same operand", "5 + 3 = | = | = |", {"8", "13", "18"}, 0, 1, 5, 1);
    row("8 / 2 = = = divides the same operand", "8 / 2 = | = | = |", {"4", "2", "4"}, 0, 4, 8, 1);
    row("2 + 3 + 4 = shows 7", "2 + 3 + 4 = |", {"7"}, 0, 1, 3, 1);
    row("an operator drops the pending one uncomputed", "2 + 3 * 4 = |", {"12"}, 0, 3, 3, 1);
    row("5 + = shows 5", "5 + = |", {"5"}, 0, 1, 5, 1);
    row("5 - = shows 5", "5 - = |", {"5"}, 0, 2, 5, 1);
    row("5 * = squares, a further = multiplies again", "5 * = | = |", {"25", "125"}, 0, 3, 5, 1);
    row("5 * 0 = multiplies by the typed 0", "5 * 0 = |", {"0"}, 0, 3, 5, 1);
    row("5 * 3 C = squares: the entry was cleared", "5 * 3 C = |", {"25"}, 0, 3, 5, 1);
    row("5 * backspace = squares: backspace on the operator's 0 types nothing", "5 * BS = |", {"25"}, 0, 3, 5, 1);
    row("5 / = shows Error! and drops the division", "5 / = |", {"Error!"}, 0, 0, 5, 0);
    row("5 / 0 = = leaves Error!", "5 / 0 = | = |", {"Error!", "Error!"}, 0, 0, 5, 0);
    row("an operator on Error! stores 0", "5 / = + |", {"0"}, 0, 1, 0, 0);
    row("= with nothing pending changes nothing", "7 = |", {"7"}, 0, 0, 0, 0);
    row("3 平方 shows 9, a following = nothing", "3 sq | = |", {"9", "9"}, 0, 5, 9, 1);
    row("平方 drops the pending addition", "2 + 3 sq = |", {"9"}, 0, 5, 9, 1);
    row("3 平方 4 = 5 shows 5", "3 sq 4 = 5 |", {"5"}, 0, 5, 9, 0);
    row("平方根 of 9 is 3", "9 sqrt |", {"3"}, 0, 6, 3, 1);
    row("平方根 of 2 keeps the shown digits", "2 sqrt |", {"1.4142135623731"}, 0, 6, 1.4142135623731, 1);
    row("平方根 of -4 shows Error! and keeps -4", "4 +/- sqrt |", {"Error!"}, 1, 6, -4, 1);
    row("an operator after the failed 平方根 stores 0", "4 +/- sqrt * |", {"0"}, 1, 3, 0, 0);
    row("1/x of 0 shows Error!", "1/x |", {"Error!"}, 0, 0, 0, 1);
    row("1/x of Error! shows Error! and keeps m", "5 / = 1/x |", {"Error!"}, 0, 0, 5, 1);
    row("4 1/x shows 0.25 and leaves m alone", "4 1/x |", {"0.25"}, 0, 0, 0, 1);
    row("2 + 4 1/x = adds the reciprocal to 2", "2 + 4 1/x | = |", {"0.25", "2.25"}, 0, 1, 2, 1);
    row("a digit after a reciprocal starts a new number", "4 1/x 5 |", {"5"}, 0, 0, 0, 0);
    row("a negative zero shows 0", "5 +/- * 0 = |", {"0"}, 1, 3, -5, 1);

    // Results in 15 significant digits
    row("0.1 + 0.2 = shows 0.3", "0 . 1 + 0 . 2 = |", {"0.3"}, 0, 1, 0.1, 1);
    row("0.1 × 3 = shows 0.3", "0 . 1 * 3 = |", {"0.3"}, 0, 3, 0.1, 1);
    row("1 ÷ 3 = shows 15 digits", "1 / 3 = |", {"0.333333333333333"}, 0, 4, 1, 1);
    row("平方 of the root of 2 squares the root as shown", "2 sqrt sq |", {"2.00000000000001"}, 0, 5,
        2.00000000000001, 1);
    row("a result of 1e16 is shown in exponent form", "1 0 0 0 0 0 0 0 0 sq |", {"1e+16"}, 0, 5, 1e16, 1);
    row("a point after a result in exponent form starts a new number", "1 0 0 0 0 0 0 0 0 sq . | 5 |",
        {"0.", "5"}, 0, 5, 1e16, 0);
    row("a digit after a negated result in exponent form starts a new number", "1 0 0 0 0 0 0 0 0 sq +/- | 5 |",
        {"-1e+16", "5"}, 1, 5, 1e16, 0);
    row("0 after a negated result in exponent form starts a new number", "1 0 0 0 0 0 0 0 0 sq +/- 0 . 5 |",
        {"0.5"}, 1, 5, 1e16, 0);
    row("a small result in exponent form takes no point", "1 / 1 0 0 0 0 0 = | . |", {"1e-05", "0."}, 0, 4, 1, 1);

    // Beyond the range of a double
    row("an infinite product shows Error!", "type:1e300 * = |", {"Error!"}, 0, 3, 1e300, 1);
    row("squaring past the range shows Error!", "type:1e200 sq |", {"Error!"}, 0, 5, 0, 1);
    row("a typed number beyond the range adds to Error!", "type:1e999 + 1 = |", {"Error!"}, 0, 1,
        std::numeric_limits<double>::infinity(), 1);
    row("1/x of a typed number beyond the range shows Error!", "type:1e999 1/x |", {"Error!"}, 0, 0, 0, 1);
    row("dividing by a typed number beyond the range shows Error!", "5 / type:1e999 = |", {"Error!"}, 0, 4, 5, 1);
    row("a digit on a typed number in exponent form starts a new number", "type:1e308 5 0 |", {"50"}, 0, 0, 0, 0);
    const QByteArray forty = QByteArray("9 ").repeated(40) + "|";
    QTest::newRow("entry stops at 32 characters")
        << QString::fromLatin1(forty) << QStringList{QString(32, u'9')} << 0 << 0 << 0.0 << 0 << false;
    const QByteArray zeros = "1 " + QByteArray("0 ").repeated(40) + ". |";
    QTest::newRow("0 and the point stop at 32 characters too")
        << QString::fromLatin1(zeros) << QStringList{u'1' + QString(31, u'0')} << 0 << 0 << 0.0 << 0 << false;

    // The shared state across openings and the clock
    row("5 +, close, reopen, 3 = shows 8", "5 + reopen | 3 = |", {"0", "8"}, 0, 1, 5, 1);
    row("5 *, close, reopen, = squares", "5 * reopen = |", {"25"}, 0, 3, 5, 1);
    row("a visit to the clock keeps the pending addition", "5 + clock clock | 3 = |", {"0", "8"}, 0, 1, 5, 1);
    row("a digit in clock mode returns to the display", "clock 7 |", {"7"}, 0, 0, 0, 0, false);
    row("+ in clock mode stays in clock mode and stores 0", "5 clock + |", {"0"}, 0, 1, 0, 0, true);
    row("a point in clock mode edits the hidden display", "clock . |", {"0."}, 0, 0, 0, 0, true);
    row("C in clock mode returns to the display", "clock C |", {"0"}, 0, 0, 0, 0, false);
}

void TestCalculatorEngine::keySequences()
{
    QFETCH(QString, keys);
    QFETCH(QStringList, displays);

    CalculatorShared shared;
    auto engine = std::make_unique<CalculatorEngine>(shared);
    QStringList seen;
    for (const QString &word : keys.split(u' ', Qt::SkipEmptyParts)) {
        if (word == u"|") {
            seen << engine->text();
        } else if (word == u"reopen") {
            engine = std::make_unique<CalculatorEngine>(shared);
        } else if (word == u"clock") {
            engine->toggleClock();
        } else if (word.startsWith(u"type:")) {
            engine->setTypedText(word.mid(5));
        } else {
            const auto token = std::find_if(std::begin(kTokens), std::end(kTokens),
                                            [&](const Token &t) { return word == QLatin1String(t.word); });
            QVERIFY2(token != std::end(kTokens), qPrintable(word));
            engine->press(token->key);
        }
    }
    QCOMPARE(seen, displays);
    QTEST(int(shared.lick), "lick");
    QTEST(int(shared.rule), "rule");
    QTEST(shared.m, "m");
    QTEST(int(shared.nn), "nn");
    QTEST(engine->clockShown(), "clock");
}

void TestCalculatorEngine::numberText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("number");
    QTest::addColumn<double>("value");
    QTest::newRow("integer") << "12" << true << 12.0;
    QTest::newRow("negative") << "-5" << true << -5.0;
    QTest::newRow("trailing point") << "1." << true << 1.0;
    QTest::newRow("leading point") << ".5" << true << 0.5;
    QTest::newRow("exponent") << "2.5e3" << true << 2500.0;
    QTest::newRow("minus alone") << "-" << false << 0.0;
    QTest::newRow("two minus signs") << "--5" << false << 0.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("Error!") << "Error!" << false << 0.0;
    QTest::newRow("group separator") << "1,000" << false << 0.0;
    QTest::newRow("infinity word") << "inf" << false << 0.0;
}

void TestCalculatorEngine::numberText()
{
    QFETCH(QString, text);
    QTEST(CalculatorEngine::isNumber(text), "number");
    QTEST(CalculatorEngine::valueOf(text), "value");
}

void TestCalculatorEngine::resultTextReadsBack()
{
    for (double v : {1.0 / 3, 1e20, -2.5e-9, 0.0001, 123456789012345.67, 1.7976931348623157e308,
                     -1.7976931348623157e308}) {
        const QString text = CalculatorEngine::textOf(v);
        QVERIFY2(CalculatorEngine::isNumber(text), qPrintable(text));
        // The number shown, to 15 significant digits, and never an infinity next to the largest double.
        const double back = CalculatorEngine::valueOf(text);
        QVERIFY2(std::isfinite(back), qPrintable(text));
        QVERIFY2(std::fabs(back - v) <= std::fabs(v) * 1e-14, qPrintable(text));
        QVERIFY2(text.size() <= tools::kMaxEntryLength, qPrintable(text));
    }
}

void TestCalculatorEngine::clockTextHasNoLeadingZeros()
{
    QCOMPARE(tools::clockText(QDate(2026, 3, 1), QTime(9, 5, 7)), QStringLiteral("2026年3月1日  09:05:07"));
    QCOMPARE(tools::clockText(QDate(2025, 12, 31), QTime(23, 59, 59)), QStringLiteral("2025年12月31日  23:59:59"));
}

QTEST_GUILESS_MAIN(TestCalculatorEngine)
#include "tst_calculator_engine.moc"
