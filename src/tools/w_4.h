#pragma once
// The desktop calculator window: a main window beside the frame, one at most, over the calculator
// engine. Its four class-level variables live in the engine's shared state and outlive the window.
#include "runtime/registry.h"
#include "tools/calculator_engine.h"
#include "tools/calculator_keys.h"

#include <QDateTime>
#include <QWidget>
#include <array>
#include <functional>

class QLineEdit;
class QPushButton;
class QTimer;

namespace tools {

class w_4 : public QWidget, public rt::WindowEvents {
    Q_OBJECT
public:
    explicit w_4(QWidget *parent = nullptr);

    bool openEvent() override;

    // The source of the current date and time for the clock (tests set a fixed one).
    static void setClock(std::function<QDateTime()> clock);
    static KeyPlatform keyPlatform();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    bool handleKey(QKeyEvent *event);
    void press(CalcKey key);
    void toggleClock();
    void writeClock();
    void showState();

    CalculatorEngine engine_;
    QLineEdit *sle_1 = nullptr; // the display
    QLineEdit *sle_2 = nullptr; // the clock
    QPushButton *cb_24 = nullptr; // "时间", "关闭" in clock mode
    QPushButton *cb_18 = nullptr; // "="
    QPushButton *cb_26 = nullptr; // "关闭"
    std::array<QPushButton *, kCalcKeyCount> buttons_{};
    QTimer *timer_ = nullptr;
};

} // namespace tools
