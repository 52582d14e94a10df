#include "app/w_flash.h"

#include "app/pictures.h"
#include "runtime/colors.h"
#include "runtime/registry.h"
#include "runtime/units.h"

#include <QCloseEvent>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

w_flash::w_flash(QWidget *parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setWindowIcon(pictures::appIcon());
    rt::setBackColor(this, rt::rgb(0, 0, 255));
    // No title bar and no border: the outer size is the picture's.
    setFixedSize(rt::unitsToPixelsX(1861), rt::unitsToPixelsY(1076));

    p_1_ = new QLabel(this);
    p_1_->setObjectName(QStringLiteral("p_1"));
    p_1_->setPixmap(pictures::picture(QStringLiteral("vemka_flash.JPG")));
    p_1_->setScaledContents(true);
    p_1_->setFocusPolicy(Qt::NoFocus);
    rt::placeControl(p_1_, 0, 0, 1861, 1076);
    p_1_->installEventFilter(this);
    rt::centerOnScreen(this);

    timer_ = new QTimer(this);
    // Two seconds to the millisecond: a coarse timer would end the splash anywhere from 1.9 to 2.1 s.
    timer_->setTimerType(Qt::PreciseTimer);
    timer_->setInterval(kIntervalMs);
    connect(timer_, &QTimer::timeout, this, &w_flash::finish);
    timer_->start();
}

void w_flash::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        finish();
}

bool w_flash::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == p_1_ && event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        finish();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void w_flash::finish() { rt::closeWindow(this); }

void w_flash::closeEvent(QCloseEvent *event)
{
    // The first timer tick, click or window manager's close opens the start window; the splash is
    // gone in the same step, so nothing can open a second one.
    if (!finished_) {
        finished_ = true;
        rt::windows().open(QStringLiteral("w_pwd"));
    }
    event->accept();
}
