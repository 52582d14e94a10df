#pragma once
// The busy cursor for as long as a window's action works with the data source, which may make it
// wait (a lock held elsewhere, a slow or lost server). Nests; does nothing without a GUI application.
#include <QCursor>
#include <QGuiApplication>

namespace rt {

class BusyCursor {
public:
    BusyCursor() : on_(qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr)
    {
        if (on_)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~BusyCursor()
    {
        if (on_)
            QGuiApplication::restoreOverrideCursor();
    }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

private:
    const bool on_;
};

} // namespace rt
