#include "tools/w_4.h"

#include "runtime/colors.h"
#include "runtime/fonts.h"
#include "runtime/units.h"

#include <QFile>
#include <QGroupBox>
#include <QIcon>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

namespace tools {

namespace {

enum class Kind { Button, Display, Clock, Group };
// What a button's click does besides the calculator keys.
enum class Action { Key, Close, ClockToggle, None };

struct ControlDef {
    const char *name;
    Kind kind;
    const char16_t *caption;
    int x, y, width, height;
    int points;
    bool bold;
    bool inTabCycle;
    Action action;
    CalcKey key;
};

constexpr CalcKey kNoKey = CalcKey::Digit0; // unused where the action is not Key

// In creation order, which is also the stacking and the control list of the window.
constexpr ControlDef kControls[] = {
    {"cb_26", Kind::Button, u"关闭", 1024, 224, 197, 120, 11, false, true, Action::Close, kNoKey},
    {"sle_2", Kind::Clock, u"", 50, 68, 1175, 128, 15, false, false, Action::None, kNoKey},
    {"cb_24", Kind::Button, u"时间", 55, 224, 201, 120, 11, false, false, Action::ClockToggle, kNoKey},
    {"cb_23", Kind::Button, u"平方", 1024, 528, 201, 120, 11, false, false, Action::Key, CalcKey::Square},
    {"cb_22", Kind::Button, u"平方根", 1024, 376, 201, 120, 9, false, false, Action::Key, CalcKey::SquareRoot},
    {"cb_21", Kind::Button, u"1/x", 1024, 680, 201, 120, 14, false, false, Action::Key, CalcKey::Reciprocal},
    {"cb_20", Kind::Button, u"清除", 530, 224, 201, 120, 11, false, false, Action::Key, CalcKey::ClearAll},
    {"cb_19", Kind::Button, u"C", 777, 224, 201, 120, 14, false, false, Action::Key, CalcKey::ClearEntry},
    {"cb_18", Kind::Button, u"=", 1024, 832, 201, 120, 14, false, true, Action::Key, CalcKey::Equals},
    {"cb_17", Kind::Button, u"退格", 279, 224, 201, 120, 11, false, false, Action::Key, CalcKey::Backspace},
    {"cb_16", Kind::Button, u"÷", 777, 376, 201, 120, 16, false, false, Action::Key, CalcKey::Divide},
    {"cb_15", Kind::Button, u"×", 777, 528, 201, 120, 16, false, false, Action::Key, CalcKey::Multiply},
    {"cb_14", Kind::Button, u"-", 777, 680, 201, 120, 20, false, false, Action::Key, CalcKey::Subtract},
    {"cb_13", Kind::Button, u"+", 777, 832, 201, 120, 16, false, false, Action::Key, CalcKey::Add},
    {"sle_1", Kind::Display, u"0", 50, 68, 1175, 128, 14, false, true, Action::None, kNoKey},
    {"cb_12", Kind::Button, u".", 526, 832, 201, 120, 18, false, false, Action::Key, CalcKey::Point},
    {"cb_11", Kind::Button, u"+/-", 279, 832, 201, 120, 14, false, false, Action::Key, CalcKey::Sign},
    {"cb_10", Kind::Button, u"0", 55, 832, 201, 120, 14, true, false, Action::Key, CalcKey::Digit0},
    {"cb_9", Kind::Button, u"9", 526, 376, 201, 120, 14, true, false, Action::Key, CalcKey::Digit9},
    {"cb_8", Kind::Button, u"8", 279, 376, 201, 120, 14, true, false, Action::Key, CalcKey::Digit8},
    {"cb_7", Kind::Button, u"7", 55, 376, 201, 120, 14, true, false, Action::Key, CalcKey::Digit7},
    {"cb_6", Kind::Button, u"6", 526, 528, 201, 120, 14, true, false, Action::Key, CalcKey::Digit6},
    {"cb_5", Kind::Button, u"5", 279, 528, 201, 120, 14, true, false, Action::Key, CalcKey::Digit5},
    {"cb_4", Kind::Button, u"4", 55, 528, 201, 120, 14, true, false, Action::Key, CalcKey::Digit4},
    {"cb_3", Kind::Button, u"3", 526, 680, 201, 120, 14, true, false, Action::Key, CalcKey::Digit3},
    {"cb_2", Kind::Button, u"2", 279, 680, 201, 120, 14, true, false, Action::Key, CalcKey::Digit2},
    {"cb_1", Kind::Button, u"1", 55, 680, 201, 120, 14, true, false, Action::Key, CalcKey::Digit1},
    {"gb_1", Kind::Group, u"", 23, 0, 1239, 984, 11, false, false, Action::None, kNoKey},
};

constexpr long kEditText = 16711680; // blue
constexpr long kEditBack = 15793151; // RGB(255,251,240)

const QString kClockCaption = QStringLiteral("时间");
const QString kClockOnCaption = QStringLiteral("关闭");

std::function<QDateTime()> &clockSource()
{
    static std::function<QDateTime()> source = [] { return QDateTime::currentDateTime(); };
    return source;
}

} // namespace

w_4::w_4(QWidget *parent) : QWidget(parent)
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("计算器"));
    // The stock icon "Form!" of the program's artwork; a plain style icon where the artwork is not
    // linked in (the calculator alone, as in its tests).
    const QString form = QStringLiteral(":/stock/Form.png");
    setWindowIcon(QFile::exists(form) ? QIcon(form) : style()->standardIcon(QStyle::SP_TitleBarNormalButton));
    rt::setBackColor(this, rt::syscolor::ButtonFace3);
    rt::sizeWindow(this, 1312, 1108);
    rt::moveWindow(this, 1111, 488);

    createControls();

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("clockTimer"));
    timer_->setInterval(1000);
    connect(timer_, &QTimer::timeout, this, &w_4::writeClock);
}

void w_4::createControls()
{
    QGroupBox *group = nullptr;
    for (const ControlDef &def : kControls) {
        const QString caption = QString::fromUtf16(def.caption);
        QWidget *control = nullptr;
        switch (def.kind) {
        case Kind::Button: {
            auto *button = new QPushButton(caption, this);
            button->setAutoDefault(false);
            button->setCursor(Qt::PointingHandCursor);
            switch (def.action) {
            case Action::Key:
                buttons_[size_t(def.key)] = button;
                connect(button, &QPushButton::clicked, this, [this, key = def.key] { press(key); });
                break;
            case Action::Close:
                connect(button, &QPushButton::clicked, this, &QWidget::close);
                break;
            case Action::ClockToggle:
                connect(button, &QPushButton::clicked, this, &w_4::toggleClock);
                break;
            case Action::None: break;
            }
            control = button;
            break;
        }
        case Kind::Display:
        case Kind::Clock: {
            auto *edit = new QLineEdit(caption, this);
            edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            rt::setTextColor(edit, kEditText);
            rt::setBackColor(edit, kEditBack);
            control = edit;
            break;
        }
        case Kind::Group:
            group = new QGroupBox(this);
            rt::setTextColor(group, kEditText);
            rt::setBackColor(group, rt::syscolor::ButtonFace);
            control = group;
            break;
        }
        control->setObjectName(QString::fromLatin1(def.name));
        control->setFont(rt::font(QStringLiteral("Arial"), def.points, def.bold ? 700 : 400));
        rt::placeControl(control, def.x, def.y, def.width, def.height);
        if (def.kind != Kind::Group)
            control->setFocusPolicy(def.inTabCycle ? Qt::StrongFocus : Qt::ClickFocus);
    }
    // The group box frames the display and the buttons from behind.
    group->lower();

    sle_1 = findChild<QLineEdit *>(QStringLiteral("sle_1"));
    sle_2 = findChild<QLineEdit *>(QStringLiteral("sle_2"));
    cb_24 = findChild<QPushButton *>(QStringLiteral("cb_24"));
    cb_26 = findChild<QPushButton *>(QStringLiteral("cb_26"));
    cb_18 = buttons_[size_t(CalcKey::Equals)];

    // The clock shows only what the clock writes; keys pressed in it work the buttons.
    sle_2->setReadOnly(true);
    sle_2->installEventFilter(this);
    connect(sle_1, &QLineEdit::textEdited, this, [this](const QString &text) { engine_.setTypedText(text); });

    setTabOrder(cb_18, sle_1);
    setTabOrder(sle_1, cb_26);
}

bool w_4::openEvent()
{
    sle_1->setVisible(true);
    sle_2->setVisible(false);
    cb_18->setFocus();
    return true;
}

void w_4::setClock(std::function<QDateTime()> clock) { clockSource() = std::move(clock); }

KeyPlatform w_4::keyPlatform()
{
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland")))
        return KeyPlatform::Xkb;
    if (platform == QLatin1String("windows"))
        return KeyPlatform::Windows;
    return KeyPlatform::Unknown;
}

// Keys arrive here when the focused control leaves them; the display keeps every key it is given.
bool w_4::handleKey(QKeyEvent *event)
{
    if (sle_1->hasFocus())
        return false;
    const KeyPress press{event->key(), event->modifiers(), event->nativeScanCode(), event->nativeVirtualKey()};
    const std::optional<CalcKey> key = calcKeyFor(press, keyPlatform());
    if (!key)
        return false;
    buttons_[size_t(*key)]->click();
    return true;
}

void w_4::keyPressEvent(QKeyEvent *event)
{
    if (!handleKey(event))
        QWidget::keyPressEvent(event);
}

bool w_4::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == sle_2 && event->type() == QEvent::KeyPress && handleKey(static_cast<QKeyEvent *>(event)))
        return true;
    return QWidget::eventFilter(watched, event);
}

void w_4::press(CalcKey key)
{
    engine_.press(key);
    showState();
}

void w_4::toggleClock()
{
    if (engine_.toggleClock()) {
        writeClock();
        timer_->start();
    }
    showState();
}

void w_4::writeClock()
{
    const QDateTime now = clockSource()();
    sle_2->setText(clockText(now.date(), now.time()));
}

void w_4::showState()
{
    if (sle_1->text() != engine_.text())
        sle_1->setText(engine_.text());
    const bool clock = engine_.clockShown();
    cb_24->setText(clock ? kClockOnCaption : kClockCaption);
    sle_2->setVisible(clock);
    sle_1->setVisible(!clock);
}

} // namespace tools
