#include "kit/toolbar_state.h"

#include "kit/uo_toolbarutil.h"
#include "runtime/application.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QToolBar>
#include <QVBoxLayout>

namespace kit {

namespace {

constexpr const char *kStateName = "rt_toolbarstate";
constexpr const char *kTextInStepProperty = "rt_toolbartextinstep";

constexpr Qt::ToolBarArea kAreas[] = {Qt::LeftToolBarArea, Qt::TopToolBarArea, Qt::RightToolBarArea,
                                      Qt::BottomToolBarArea};

// The frame toolbar: the one that carries our toolbar window class, else the frame's first toolbar.
QToolBar *findFrameToolbar(QMainWindow *frame)
{
    const auto toolbars = frame->findChildren<QToolBar *>(Qt::FindDirectChildrenOnly);
    for (QToolBar *toolbar : toolbars) {
        if (!toolbar->property(uo_toolbarutil::kWindowClassProperty).toString().isEmpty())
            return toolbar;
    }
    return toolbars.isEmpty() ? nullptr : toolbars.first();
}

// The floating toolbar's window: a tool window that the operator cannot close on its own.
class FloatingToolbarWindow : public QWidget {
public:
    explicit FloatingToolbarWindow(QWidget *frame)
        : QWidget(frame, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    {
        setObjectName(QStringLiteral("floatingToolbar"));
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSizeConstraint(QLayout::SetFixedSize);
    }

protected:
    void closeEvent(QCloseEvent *event) override { event->ignore(); }
};

} // namespace

FrameToolbarState *FrameToolbarState::of(QMainWindow *frame)
{
    if (!frame)
        return nullptr;
    if (auto *state = frame->findChild<FrameToolbarState *>(QLatin1String(kStateName), Qt::FindDirectChildrenOnly))
        return state;
    QToolBar *toolbar = findFrameToolbar(frame);
    return toolbar ? new FrameToolbarState(frame, toolbar) : nullptr;
}

FrameToolbarState::FrameToolbarState(QMainWindow *frame, QToolBar *toolbar)
    : QObject(frame), frame_(frame), toolbar_(toolbar), visible_(!toolbar->isHidden())
{
    setObjectName(QLatin1String(kStateName));
}

int FrameToolbarState::alignment() const
{
    if (floating_)
        return kFloating;
    if (!toolbar_)
        return kAlignTop;
    switch (frame_->toolBarArea(toolbar_)) {
    case Qt::LeftToolBarArea: return kAlignLeft;
    case Qt::RightToolBarArea: return kAlignRight;
    case Qt::BottomToolBarArea: return kAlignBottom;
    default: return kAlignTop;
    }
}

void FrameToolbarState::setAlignment(int alignment)
{
    if (!toolbar_ || alignment < kAlignLeft || alignment > kFloating)
        return;
    if (alignment == kFloating)
        floatBesideFrame();
    else
        dock(alignment);
}

void FrameToolbarState::dock(int alignment)
{
    if (floating_) {
        toolbar_->setParent(frame_);
        delete floating_.data();
    } else {
        frame_->removeToolBar(toolbar_);
    }
    frame_->addToolBar(kAreas[alignment], toolbar_);
    toolbar_->setVisible(visible_);
}

void FrameToolbarState::floatBesideFrame()
{
    if (floating_)
        return;
    frame_->removeToolBar(toolbar_);
    auto *window = new FloatingToolbarWindow(frame_);
    window->setWindowTitle(toolbar_->windowTitle());
    toolbar_->setParent(window);
    toolbar_->setOrientation(Qt::Horizontal);
    window->layout()->addWidget(toolbar_);
    toolbar_->setVisible(true);
    floating_ = window;

    // Right of the frame where the screen has room, else over the frame's work area below its menu.
    window->adjustSize();
    const QRect frameRect = frame_->frameGeometry();
    const QScreen *screen = frame_->screen() ? frame_->screen() : QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry() : frameRect;
    QPoint at(frameRect.right() + 1, frameRect.top());
    if (at.x() + window->width() > room.right() + 1) {
        const int menuHeight = frame_->menuWidget() ? frame_->menuWidget()->height() : 0;
        at = frame_->geometry().topLeft() + QPoint(8, menuHeight + 8);
    }
    window->move(at);
    window->setVisible(visible_);
}

void FrameToolbarState::setVisible(bool visible)
{
    visible_ = visible;
    if (!toolbar_)
        return;
    if (floating_) {
        toolbar_->setVisible(true);
        floating_->setVisible(visible);
    } else {
        toolbar_->setVisible(visible);
    }
}

void keepToolbarTextInStep(QToolBar *toolbar)
{
    if (!toolbar)
        return;
    auto follow = [](Qt::ToolButtonStyle style) { rt::application().setToolbarText(style != Qt::ToolButtonIconOnly); };
    if (!toolbar->property(kTextInStepProperty).toBool()) {
        toolbar->setProperty(kTextInStepProperty, true);
        QObject::connect(toolbar, &QToolBar::toolButtonStyleChanged, &rt::application(), follow);
    }
    follow(toolbar->toolButtonStyle());
}

} // namespace kit
