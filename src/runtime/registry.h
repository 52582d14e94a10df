#pragma once
// Windows by class name. Every window class registers under its name; a class has one global window
// variable, so at most one window of a class is open through it. Response windows are modal and the
// opening call returns when they have closed; main windows return at once. A window's open event
// runs before it is displayed and can end the opening.
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QWidget>
#include <functional>

namespace rt {

enum class WindowType { Main, Response, MdiFrame };

// Optional interface of a registered window.
class WindowEvents {
public:
    virtual ~WindowEvents() = default;
    // Runs after the window is created and before it is displayed; false ends the opening.
    virtual bool openEvent() { return true; }
};

using WindowFactory = std::function<QWidget *(QWidget *parent)>;

// The runtime's message object: the parameter of a window opened with one, and a return value.
struct Message {
    QPointer<QObject> powerObjectParm;
    QString stringParm;
    double doubleParm = 0;
    long returnValue = 0;
};
Message &message();

class WindowRegistry : public QObject {
    Q_OBJECT
public:
    static WindowRegistry &instance();

    void registerClass(const QString &className, WindowType type, WindowFactory factory);
    bool hasClass(const QString &className) const;
    WindowType typeOf(const QString &className) const;

    // Open(variable): through the class's global variable. 1 on success, -1 when the class is
    // unknown or the open event ended the opening.
    int open(const QString &className, QWidget *parent = nullptr);
    int openWithParm(const QString &className, QObject *parm, QWidget *parent = nullptr);
    // Open(variable, "class", parent): a new window of a class named by a string.
    int openNew(const QString &className, QWidget *parent);

    // The window held by the class's global variable, or null.
    QWidget *window(const QString &className) const;
    // The class a live window was opened as; empty for other widgets.
    QString classOf(const QWidget *window) const;

signals:
    // Raised once a window is on screen; for a response window from inside its modal loop, so a
    // test can drive it and close it there.
    void windowShown(QWidget *window, const QString &className);
    void windowClosed(const QString &className);

private:
    struct Entry {
        WindowType type;
        WindowFactory factory;
    };
    int openWindow(const QString &className, QWidget *parent, bool throughVariable);

    QHash<QString, Entry> classes_;
    QHash<QString, QPointer<QWidget>> variables_;
};

inline WindowRegistry &windows() { return WindowRegistry::instance(); }

// Closes a window as the runtime's Close does: its close event runs and the window is destroyed.
void closeWindow(QWidget *window);

} // namespace rt
