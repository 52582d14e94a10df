#pragma once
// The numeric edit of the score windows: a masked number, Enter moves on as Tab does, and gaining the
// focus selects the whole text. Windows score on losefocus, raised on every loss of the focus to
// another control of the window (also when nothing changed), never when another window or a popup
// takes the focus.
#include <QLineEdit>

class my_maskedit : public QLineEdit {
    Q_OBJECT
public:
    enum class Mask {
        Input, // "###,###.00": at most 999,999.99
        Score, // "###,###.0"
    };

    explicit my_maskedit(QWidget *parent = nullptr, Mask mask = Mask::Input);

    Mask mask() const { return mask_; }
    void setMask(Mask mask);

    // The text as the runtime's conversion to real reads it: separators ignored; empty or no number is 0.
    float value() const;
    static float readReal(const QString &text);

    // Sets the text from code: shown in the mask's format, raising none of the edit's events.
    void setText(const QString &text);

    // The largest value the input mask takes.
    static constexpr float kMaxInput = 999999.99f;

signals:
    void getfocus();
    void losefocus();
    // Raised on leaving the edit after its text was changed by typing, before losefocus.
    void modified();
    void enter();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QString formatted(const QString &text) const;
    int decimals() const { return mask_ == Mask::Input ? 2 : 1; }

    Mask mask_;
};
