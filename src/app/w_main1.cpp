#include "app/w_main1.h"

#include "app/d_start.h"
#include "app/globals.h"
#include "app/m_main.h"
#include "app/pictures.h"
#include "app/tag_command.h"
#include "kit/uo_microbarutil.h"
#include "kit/uo_toolbarutil.h"
#include "runtime/application.h"
#include "runtime/colors.h"
#include "runtime/messagebox.h"
#include "runtime/static_text.h"
#include "runtime/system.h"
#include "runtime/units.h"

#include <QEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

QPoint launchPadPosition(int frameWidth, int frameHeight)
{
    // Halves of negative differences are clamped away, so truncation and rounding down agree.
    return QPoint(std::max(0, (frameWidth - d_start::kWidth) / 2), std::max(220, (frameHeight - d_start::kHeight) / 2));
}

w_main1::w_main1(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(title());
    setWindowIcon(pictures::icon(QStringLiteral("vemka.ico")));
    // The normal size is the outer size, title bar and borders included.
    resize(rt::clientSizeForOuter(kNormalWidth, kNormalHeight));
    rt::centerOnScreen(this);

    toolbar_ = new QToolBar(this);
    toolbar_->setObjectName(QStringLiteral("frameToolbar"));
    toolbar_->setProperty(uo_toolbarutil::kWindowClassProperty, uo_toolbarutil::toolbarClassFor(rt::kRuntimeMajorVersion));
    toolbar_->setWindowTitle(QStringLiteral("FrameBar"));
    toolbar_->setIconSize(QSize(16, 16));
    toolbar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    const bool userControl = rt::application().toolbarUserControl;
    toolbar_->setMovable(userControl);
    toolbar_->setFloatable(userControl);
    addToolBar(Qt::TopToolBarArea, toolbar_);

    menu_ = new m_main(this, menuBar(), toolbar_);
    for (QToolButton *button : toolbar_->findChildren<QToolButton *>())
        button->installEventFilter(this);

    // The status bar shows the default text whenever no MicroHelp is showing.
    microHelp_ = rt::plainLabel(rt::application().microHelpDefault);
    microHelp_->setObjectName(QStringLiteral("microHelpDefault"));
    statusBar()->addWidget(microHelp_, 1);

    mdi_1_ = new QMdiArea(this);
    mdi_1_->setObjectName(QStringLiteral("mdi_1"));
    mdi_1_->setBackground(rt::color(134217741));
    setCentralWidget(mdi_1_);

    dw_main_ = new d_start(this);
    dw_main_->setObjectName(QStringLiteral("dw_main"));
    // The frame's one control in the Tab order.
    dw_main_->setFocusPolicy(Qt::StrongFocus);
    dw_main_->raise();
    connect(dw_main_, &d_start::mousemove, this, &w_main1::mousemove);
    connect(dw_main_, &d_start::clicked, this, &w_main1::ue_run);

    p_2_ = new QLabel(this);
    p_2_->setObjectName(QStringLiteral("p_2"));
    // Its picture is the largest of all and most runs never show it: decoded when first shown.
    p_2_->installEventFilter(this);
    p_2_->setScaledContents(true);
    p_2_->setVisible(false);
    placeInClient(p_2_, 192, 48, 549, 436);
    p_2_->raise();
    moveInClient(dw_main_, 0, 220);
}

bool w_main1::openEvent()
{
    button_flag() = true;
    uo_microbarutil microbar;
    microbar.of_initmicrobar(this);
    openMaximized();
    return true;
}

void w_main1::openMaximized()
{
    normalSize_ = size();
    setWindowState(windowState() | Qt::WindowMaximized);
    // A window manager maximises the frame before it first appears; an X server without one ignores
    // the request and shows the frame at its normal size. The first exposure tells which it was.
    winId();
    if (QWindow *handle = windowHandle()) {
        awaitingFirstExpose_ = true;
        handle->installEventFilter(this);
    }
}

void w_main1::fillScreenIfNotMaximized()
{
    if (!isMaximized() || size() != normalSize_)
        return;
    QScreen *screen = this->screen();
    if (!screen)
        return;
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    // Placing the window clears its maximised state: it is set again, which such a server ignores too.
    setGeometry(screen->availableGeometry().marginsRemoved(frame));
    setWindowState(windowState() | Qt::WindowMaximized);
}

QSize w_main1::outerSizeUnits() const
{
    const QRect outer = frameGeometry();
    return QSize(rt::pixelsToUnitsX(outer.width()), rt::pixelsToUnitsY(outer.height()));
}

int w_main1::clientTop() const
{
    return menuBar()->isHidden() ? 0 : menuBar()->height();
}

void w_main1::placeInClient(QWidget *control, int x, int y, int width, int height)
{
    QRect r = rt::unitRect(x, y, width, height);
    r.translate(0, clientTop());
    control->setGeometry(r);
}

void w_main1::moveInClient(QWidget *control, int x, int y)
{
    control->move(rt::unitsToPixelsX(x), rt::unitsToPixelsY(y) + (clientTop()));
}

void w_main1::centreLaunchPad()
{
    const QSize outer = outerSizeUnits();
    const QPoint at = launchPadPosition(outer.width(), outer.height());
    moveInClient(dw_main_, at.x(), at.y());
}

void w_main1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    centreLaunchPad();
}

bool w_main1::event(QEvent *event)
{
    // The menu bar's height is known once it is laid out: the pad follows it.
    if (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Show) {
        const bool result = QMainWindow::event(event);
        centreLaunchPad();
        return result;
    }
    return QMainWindow::event(event);
}

QMenu *w_main1::createPopupMenu()
{
    // Without user control the toolbar offers no pop-up menu for hiding, moving or labelling it.
    return rt::application().toolbarUserControl ? QMainWindow::createPopupMenu() : nullptr;
}

bool w_main1::eventFilter(QObject *watched, QEvent *event)
{
    if (awaitingFirstExpose_ && watched == windowHandle() && event->type() == QEvent::Expose) {
        awaitingFirstExpose_ = false;
        watched->removeEventFilter(this);
        // After the exposure has been handled, so that the window system's own geometry is in.
        QTimer::singleShot(0, this, &w_main1::fillScreenIfNotMaximized);
        return QMainWindow::eventFilter(watched, event);
    }
    if (watched == p_2_ && event->type() == QEvent::Show) {
        p_2_->removeEventFilter(this);
        p_2_->setPixmap(pictures::picture(QStringLiteral("main.BMP")));
    }
    if (event->type() == QEvent::ToolTip && !rt::application().toolbarTips())
        return true;
    return QMainWindow::eventFilter(watched, event);
}

QString w_main1::objectAtPointer() const
{
    return dw_main_->getObjectAtPointer().section(QLatin1Char('\t'), 0, 0).toLower();
}

void w_main1::mousemove()
{
    const QString name = objectAtPointer();
    if (name == is_focus_picture)
        return;
    if (!is_focus_picture.isEmpty()) {
        dw_main_->modify(is_focus_picture + QStringLiteral(".Border='0'"));
        is_focus_picture.clear();
    }
    if (dw_main_->describe(name + QStringLiteral(".type")) != QLatin1String("bitmap"))
        return;
    if (of_gettagstring(name, QStringLiteral("Run"), QString(QLatin1String(""))).isEmpty())
        return;
    if (dw_main_->modify(name + QStringLiteral(".Border='6'")).isEmpty())
        is_focus_picture = name;
}

QString w_main1::of_gettagstring(const QString &as_column, const QString &as_key, const QString &as_default) const
{
    if (as_column.isNull() || as_key.isNull())
        return QString();
    const QString tag = dw_main_->describe(as_column + QStringLiteral(".Tag"));
    return launch::tagValue(tag, as_key, as_default);
}

QString w_main1::of_getwindowpath() const
{
    return QStringLiteral("/usr/bin");
}

void w_main1::ue_run()
{
    const QString name = objectAtPointer();
    if (name != is_focus_picture || name.isEmpty())
        return;
    dw_main_->modify(name + QStringLiteral(".Border='5'"));

    const QString empty(QLatin1String(""));
    QString command = launch::trimBlanks(of_gettagstring(name, QStringLiteral("Run"), empty));
    if (command.isEmpty()) {
        rt::messageBox(windowTitle(), QStringLiteral("此项功能尚未设置, 请与系统管理员联系修改"), rt::Icon::StopSign);
        return;
    }
    const QString openType = of_gettagstring(name, QStringLiteral("OpenType"), QStringLiteral("Window")).toUpper();
    // Read as the tag allows; every launched window opens with the frame as its parent.
    of_gettagstring(name, QStringLiteral("OpenSheet"), QStringLiteral("True"));

    if (openType == QLatin1String("EXE")) {
        const QString file = launch::programFileOf(command);
        if (!rt::fileExists(file)) {
            const QString dir = of_getwindowpath();
            if (rt::fileExists(dir + launch::pathSeparator() + file))
                command = dir + launch::pathSeparator() + command;
        }
        rt::run(command);
        return;
    }
    if (openType == QLatin1String("WINDOW")) {
        // Class names are matched without regard to case; every window class is named in small letters.
        if (!rt::windows().hasClass(command) && rt::windows().hasClass(command.toLower()))
            command = command.toLower();
        if (!rt::windows().hasClass(command)) {
            rt::messageBox(windowTitle(), QStringLiteral("对不起, 您指定起动的窗口不存在, 请与系统管理员联系修改"),
                           rt::Icon::StopSign);
            return;
        }
        rt::windows().openNew(command, this);
    }
}
