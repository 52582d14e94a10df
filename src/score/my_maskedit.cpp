#include "score/my_maskedit.h"

#include "runtime/colors.h"
#include "runtime/fonts.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QRegularExpression>
#include <QTimer>
#include <QValidator>
#include <cmath>

namespace {

constexpr long kDisabledText = rt::rgb(128, 128, 128);

// Digits with optional thousands separators: six places before the point, `decimals` after it.
class NumericMaskValidator : public QValidator {
public:
    NumericMaskValidator(int decimals, QObject *parent) : QValidator(parent), decimals_(decimals) {}

    State validate(QString &input, int &) const override
    {
        QString plain = input;
        plain.remove(QLatin1Char(','));
        static const QRegularExpression number(QStringLiteral("^(\\d*)(\\.(\\d*))?$"));
        const auto m = number.match(plain);
        if (!m.hasMatch())
            return Invalid;
        QString whole = m.captured(1);
        while (whole.size() > 1 && whole.startsWith(QLatin1Char('0')))
            whole.remove(0, 1);
        if (whole.size() > 6 || m.captured(3).size() > decimals_)
            return Invalid;
        return Acceptable;
    }

private:
    int decimals_;
};

} // namespace

my_maskedit::my_maskedit(QWidget *parent, Mask mask) : QLineEdit(parent), mask_(mask)
{
    setFont(rt::font(QStringLiteral("Arial"), 9));
    rt::setTextColor(this, rt::syscolor::WindowText);
    rt::setBackColor(this, rt::rgb(166, 202, 240));
    // A disabled edit keeps its background and shows its text greyed, in a grey that stays legible on
    // that blue.
    QPalette pal = palette();
    pal.setColor(QPalette::Disabled, QPalette::Text, rt::color(kDisabledText));
    setPalette(pal);
    setValidator(new NumericMaskValidator(decimals(), this));
}

void my_maskedit::setMask(Mask mask)
{
    mask_ = mask;
    delete validator();
    setValidator(new NumericMaskValidator(decimals(), this));
    QLineEdit::setText(formatted(text()));
}

float my_maskedit::readReal(const QString &text)
{
    QString plain = text.trimmed();
    plain.remove(QLatin1Char(','));
    bool ok = false;
    const float v = QLocale::c().toFloat(plain, &ok);
    return ok && std::isfinite(v) ? v : 0.0f;
}

float my_maskedit::value() const { return readReal(text()); }

QString my_maskedit::formatted(const QString &text) const
{
    QString plain = text.trimmed();
    plain.remove(QLatin1Char(','));
    bool ok = false;
    const double v = QLocale::c().toDouble(plain, &ok);
    if (!ok || !std::isfinite(v))
        return QString();
    QString digits = QString::number(std::fabs(v), 'f', decimals());
    const int point = int(digits.indexOf(QLatin1Char('.')));
    for (int i = point - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(','));
    return v < 0 ? QLatin1Char('-') + digits : digits;
}

void my_maskedit::setText(const QString &text)
{
    const QSignalBlocker block(this);
    QLineEdit::setText(formatted(text));
}

void my_maskedit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    // A mouse press right after focus-in would clear an immediate selection.
    QTimer::singleShot(0, this, [this] {
        if (hasFocus())
            selectAll();
    });
    selectAll();
    emit getfocus();
}

void my_maskedit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    switch (event->reason()) {
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
    case Qt::MenuBarFocusReason:
        return; // another window took over: the edit was not left
    default:
        break;
    }
    // A disabled edit is being switched off, not left by the operator.
    if (!isEnabled())
        return;
    const bool changed = isModified();
    if (changed) {
        setModified(false);
        const QSignalBlocker block(this);
        QLineEdit::setText(formatted(text()));
    }
    if (changed)
        emit modified();
    emit losefocus();
}

void my_maskedit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit enter();
        // Enter is a Tab stroke in the same shift state.
        focusNextPrevChild(!(event->modifiers() & Qt::ShiftModifier));
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
