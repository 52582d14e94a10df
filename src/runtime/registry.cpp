#include "runtime/registry.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QEventLoop>
#include <QTimer>

namespace rt {

Message &message()
{
    static Message m;
    return m;
}

WindowRegistry &WindowRegistry::instance()
{
    static WindowRegistry registry;
    return registry;
}

void WindowRegistry::registerClass(const QString &className, WindowType type, WindowFactory factory)
{
    classes_.insert(className, Entry{type, std::move(factory)});
}

bool WindowRegistry::hasClass(const QString &className) const { return classes_.contains(className); }

WindowType WindowRegistry::typeOf(const QString &className) const
{
    return classes_.value(className, Entry{WindowType::Main, {}}).type;
}

int WindowRegistry::open(const QString &className, QWidget *parent)
{
    return openWindow(className, parent, true);
}

int WindowRegistry::openWithParm(const QString &className, QObject *parm, QWidget *parent)
{
    message().powerObjectParm = parm;
    return openWindow(className, parent, true);
}

int WindowRegistry::openNew(const QString &className, QWidget *parent)
{
    return openWindow(className, parent, false);
}

QWidget *WindowRegistry::window(const QString &className) const
{
    return variables_.value(className).data();
}

QString WindowRegistry::classOf(const QWidget *window) const
{
    return window ? window->property("rt_class").toString() : QString();
}

int WindowRegistry::openWindow(const QString &className, QWidget *parent, bool throughVariable)
{
    const auto it = classes_.constFind(className);
    if (it == classes_.constEnd())
        return -1;
    const Entry entry = it.value();

    if (throughVariable) {
        QWidget *open = variables_.value(className);
        // A window that has been shown and closed is gone for its variable, even while its deferred
        // deletion is still pending: opening the class again makes a new window.
        if (open && open->isHidden() && open->testAttribute(Qt::WA_WState_ExplicitShowHide)) {
            variables_.remove(className);
            open = nullptr;
        }
        if (open) {
            open->show();
            open->raise();
            open->activateWindow();
            return 1;
        }
    }

    QWidget *w = entry.factory(parent);
    if (!w)
        return -1;
    w->setObjectName(className);
    w->setProperty("rt_class", className);
    w->setAttribute(Qt::WA_DeleteOnClose);
    if (parent && !w->isWindow())
        w->setWindowFlag(Qt::Window);
    if (throughVariable)
        variables_.insert(className, w);
    QPointer<QWidget> guard(w);
    connect(w, &QObject::destroyed, this, [this, className] {
        auto var = variables_.find(className);
        if (var != variables_.end() && var.value().isNull())
            variables_.erase(var);
        emit windowClosed(className);
    });

    if (auto *events = dynamic_cast<WindowEvents *>(w)) {
        if (!events->openEvent()) {
            if (guard)
                delete guard.data();
            return -1;
        }
    }
    if (!guard)
        return -1;

    if (entry.type != WindowType::Response) {
        w->show();
        w->raise();
        w->activateWindow();
        emit windowShown(w, className);
        return 1;
    }

    // Response window: modal, and the caller waits until it has closed.
    QPointer<QWidget> previous = QApplication::activeWindow();
    w->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    connect(w, &QObject::destroyed, &loop, &QEventLoop::quit);
    struct HideWatcher : QObject {
        QEventLoop *loop;
        explicit HideWatcher(QEventLoop *l) : loop(l) {}
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Hide)
                loop->quit();
            return false;
        }
    } watcher(&loop);
    w->installEventFilter(&watcher);
    w->show();
    w->raise();
    w->activateWindow();
    QTimer::singleShot(0, w, [this, w, className] { emit windowShown(w, className); });
    loop.exec(QEventLoop::DialogExec);
    if (guard) {
        guard->removeEventFilter(&watcher);
        delete guard.data();
    }
    // As an owner window does when its modal window closes, the parent (or the window that was active
    // before) takes the activation back, so the keyboard does not go nowhere without a window manager.
    QWidget *back = parent ? parent->window() : nullptr;
    if (!back || !back->isVisible())
        back = previous;
    if (back && back->isVisible() && !QApplication::activeWindow())
        back->activateWindow();
    return 1;
}

void closeWindow(QWidget *window)
{
    if (window)
        window->close();
}

} // namespace rt
