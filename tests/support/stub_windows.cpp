#include "stub_windows.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

void registerStubWindows(const QStringList &names, const std::function<void(const QString &)> &made)
{
    for (const QString &name : names) {
        rt::windows().registerClass(name, rt::WindowType::Response, [name, made](QWidget *parent) {
            if (made)
                made(name);
            auto *w = new QWidget(parent);
            w->resize(200, 100);
            return w;
        });
    }
}

void registerStubMainWindow(const QString &name)
{
    rt::windows().registerClass(name, rt::WindowType::Main, [](QWidget *) { return new QWidget; });
}

void deleteRegisteredWindows()
{
    // Deleting a window also deletes its own top-level menus: keep guards, not raw pointers.
    QList<QPointer<QWidget>> windows;
    for (QWidget *w : QApplication::topLevelWidgets())
        windows << w;
    for (const QPointer<QWidget> &w : windows)
        if (w && !rt::windows().classOf(w).isEmpty())
            delete w.data();
}
