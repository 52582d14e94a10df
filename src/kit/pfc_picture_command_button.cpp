#include "kit/pfc_picture_command_button.h"

#include "runtime/fonts.h"
#include "runtime/images.h"
#include "runtime/units.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace kit {

namespace {

struct StockPicture {
    const char *name;
    QStyle::StandardPixmap icon;
};

// Stand-ins for the stock pictures until the program's own artwork is there as a resource.
constexpr StockPicture kStockPictures[] = {
    {"Save!", QStyle::SP_DialogSaveButton},   {"Close!", QStyle::SP_DialogCloseButton},
    {"Exit!", QStyle::SP_DialogCancelButton}, {"Custom079!", QStyle::SP_DialogOkButton},
    {"Open!", QStyle::SP_DialogOpenButton},   {"Help!", QStyle::SP_DialogHelpButton},
    {"AppIcon!", QStyle::SP_ComputerIcon},
};

// Sends a Tab or Shift+Tab to whatever has the focus once the key in hand has been handled, as a
// typed Tab would arrive.
void postTab(QObject *context, bool forward)
{
    QMetaObject::invokeMethod(
        context,
        [forward] {
            QWidget *target = QApplication::focusWidget();
            if (!target)
                return;
            const int key = forward ? Qt::Key_Tab : Qt::Key_Backtab;
            const Qt::KeyboardModifiers mods = forward ? Qt::NoModifier : Qt::ShiftModifier;
            QKeyEvent press(QEvent::KeyPress, key, mods);
            QApplication::sendEvent(target, &press);
            if (QWidget *now = QApplication::focusWidget()) {
                QKeyEvent release(QEvent::KeyRelease, key, mods);
                QApplication::sendEvent(now, &release);
            }
        },
        Qt::QueuedConnection);
}

} // namespace

PictureBox::PictureBox(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void PictureBox::setPicture(const QPixmap &picture)
{
    picture_ = picture;
    update();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    if (picture_.isNull())
        return;
    // The picture is never greyed: it is drawn the same whether the button is on or off.
    QPainter p(this);
    const QSize logical = picture_.deviceIndependentSize().toSize();
    const QSize size = logical.scaled(this->size(), Qt::KeepAspectRatio).boundedTo(logical.expandedTo(QSize(1, 1)));
    p.drawPixmap(QRect(QPoint(0, (height() - size.height()) / 2), size), picture_);
}

CommandButton::CommandButton(pfc_picture_command_button *owner) : QPushButton(owner), owner_(owner)
{
    setAutoDefault(false);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

void CommandButton::paintEvent(QPaintEvent *)
{
    // In 宋体 a blank is half a character wide, and the three blanks before a caption keep it clear of
    // the picture. The faces that stand in for it set narrower blanks, so blanks are drawn as en
    // spaces, which are half a character wide in every face; the text itself keeps its blanks.
    QStylePainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.replace(QLatin1Char(' '), QChar(0x2002));
    p.drawControl(QStyle::CE_PushButton, option);
}

void CommandButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        owner_->lbuttondown();
    QPushButton::mousePressEvent(event);
}

void CommandButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        owner_->lbuttonup();
    QPushButton::mouseReleaseEvent(event);
}

void CommandButton::mouseMoveEvent(QMouseEvent *event)
{
    owner_->mousemove(event->position().toPoint(), event->buttons() & Qt::LeftButton);
    QPushButton::mouseMoveEvent(event);
}

void CommandButton::keyPressEvent(QKeyEvent *event)
{
    if (owner_->keydown(event->key())) {
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void CommandButton::keyReleaseEvent(QKeyEvent *event)
{
    // A held key repeats its key-down only; it comes up once.
    if (!event->isAutoRepeat())
        owner_->keyup(event->key());
    QPushButton::keyReleaseEvent(event);
}

} // namespace kit

pfc_picture_command_button::pfc_picture_command_button(QWidget *parent)
    : QWidget(parent), uo_bitmap_(new kit::PictureBox(this)), command_button_(new kit::CommandButton(this))
{
    uo_bitmap_->setObjectName(QStringLiteral("uo_bitmap"));
    command_button_->setObjectName(QStringLiteral("command_button"));
    // The picture lies above the button face.
    uo_bitmap_->raise();
    setFocusPolicy(Qt::NoFocus);
    setFocusProxy(command_button_);
    rt::placeControl(command_button_, 0, 0, kDefaultWidth, kDefaultHeight);
    rt::placeControl(uo_bitmap_, 5, 0, kPictureWidth, kPictureHeight);
    connect(command_button_, &QAbstractButton::clicked, this, [this] { commandButtonClicked(); });
}

void pfc_picture_command_button::place(int x, int y, int width, int height)
{
    x_ = x;
    y_ = y;
    width_ = width;
    height_ = height;
    rt::placeControl(this, x, y, width, height);
}

void pfc_picture_command_button::constructor()
{
    command_button_->move(0, 0);
    movePicture(0, 0);

    if (cancel) {
        auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
        esc->setContext(Qt::WindowShortcut);
        connect(esc, &QShortcut::activated, command_button_, [this] {
            if (command_button_->isEnabled())
                command_button_->click();
        });
    }
    command_button_->setDefault(default_);

    if (buttonwidth == 0 || buttonheight == 0) {
        buttonwidth = rt::unitsToPixelsX(width_);
        buttonheight = rt::unitsToPixelsY(height_);
    }
    of_setresize(buttonwidth, buttonheight);
    of_setproperties();
}

void pfc_picture_command_button::of_setresize(int is_width, int is_height)
{
    const int li_width = rt::pixelsToUnitsX(is_width);
    const int li_height = rt::pixelsToUnitsY(is_height);
    command_button_->resize(rt::unitsToPixelsX(li_width), rt::unitsToPixelsY(li_height));
    // The picture is placed by the object's own size, not by the inner button's.
    commandButtonResize(width_, height_);
}

void pfc_picture_command_button::commandButtonResize(int newwidth, int newheight)
{
    // X = (W - W / 3.75) / 8 = 11W / 120 and Y = (H - H / 1.75) / 2 = 3H / 14, rounded in whole numbers.
    const long x = (22L * newwidth + 120) / 240;
    const long y = (6L * newheight + 14) / 28;
    movePicture(int(x), int(y));
    il_picx = picX_;
    il_picy = picY_;
}

bool pfc_picture_command_button::isPictureName(const QString &name)
{
    if (name.isNull() || name.trimmed().isEmpty())
        return false;
    const QString tail = name.right(3);
    return tail == QLatin1String("gif") || tail == QLatin1String("bmp") || tail == QLatin1String("jpg")
           || name.endsWith(QLatin1Char('!'));
}

QPixmap pfc_picture_command_button::loadPicture(const QString &name)
{
    const QSize box(rt::unitsToPixelsX(kPictureWidth), rt::unitsToPixelsY(kPictureHeight));
    if (name.endsWith(QLatin1Char('!'))) {
        const QString resource = QStringLiteral(":/stock/") + name.chopped(1) + QStringLiteral(".png");
        if (QFile::exists(resource)) {
            const QPixmap art = rt::readPicture(resource);
            if (!art.isNull())
                return art;
        }
        for (const auto &stock : kit::kStockPictures) {
            if (name == QLatin1String(stock.name))
                return QApplication::style()->standardIcon(stock.icon).pixmap(box);
        }
        return {};
    }
    return QPixmap(name);
}

void pfc_picture_command_button::of_setproperties()
{
    pictureMode_ = isPictureName(bitmapname);
    if (pictureMode_) {
        command_button_->setText(QStringLiteral("   ") + buttontext);
        // Emptied and refilled with drawing suspended, so that it is drawn once.
        uo_bitmap_->setUpdatesEnabled(false);
        uo_bitmap_->setPicture(QPixmap());
        uo_bitmap_->setPicture(loadPicture(bitmapname));
        uo_bitmap_->setUpdatesEnabled(true);
    } else {
        uo_bitmap_->setVisible(false);
        command_button_->setText(buttontext);
    }
    // A positive text size is a character height in pixels.
    command_button_->setFont(rt::fontOfTextSize(QStringLiteral("宋体"), 12, 400));
    // The object's own Enabled, whatever its window's state.
    if (testAttribute(Qt::WA_ForceDisabled))
        command_button_->setEnabled(false);
}

void pfc_picture_command_button::of_setenabled(bool is_enabled) { command_button_->setEnabled(is_enabled); }

void pfc_picture_command_button::movePicture(int x, int y)
{
    picX_ = x;
    picY_ = y;
    rt::placeControl(uo_bitmap_, x, y, kPictureWidth, kPictureHeight);
}

void pfc_picture_command_button::commandButtonClicked()
{
    // Posted: the holder's script runs after the input that clicked the button has been handled.
    QMetaObject::invokeMethod(this, [this] { emit clicked(); }, Qt::QueuedConnection);
    of_releasemouse();
}

void pfc_picture_command_button::lbuttondown()
{
    lb_inbounds = true;
    pressPicture();
}

void pfc_picture_command_button::lbuttonup()
{
    lb_inbounds = false;
    restPicture();
}

void pfc_picture_command_button::mousemove(const QPoint &pos, bool leftDown)
{
    if (lb_keyboard)
        return;
    const bool inside = command_button_->rect().contains(pos);
    if (inside && leftDown && lb_inbounds)
        pressPicture();
    else
        restPicture();
}

bool pfc_picture_command_button::keydown(int key)
{
    switch (key) {
    case Qt::Key_Space:
        if (!lb_inbounds) {
            lb_keyboard = true;
            pressPicture();
        }
        return false;
    case Qt::Key_Down:
    case Qt::Key_Right:
        kit::postTab(this, true);
        return true; // the native arrow handling would move the focus a second time
    case Qt::Key_Up:
    case Qt::Key_Left:
        kit::postTab(this, false);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Clicks here; the key goes no further, so no dialog clicks a default button as well.
        commandButtonClicked();
        return true;
    default:
        return false;
    }
}

void pfc_picture_command_button::keyup(int key)
{
    if (key == Qt::Key_Space) {
        lb_keyboard = false;
        restPicture();
    }
}
