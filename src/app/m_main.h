#pragma once
// The frame's menu: the menu bar of w_main1 and, from the items' toolbar properties, its frame toolbar.
// Each item is one QAction (objectName = the item's name) in the menu and, with a toolbar picture, on
// the toolbar: choosing it, clicking its button and pressing its shortcut run one path.
#include <QObject>
#include <QString>

class QAction;
class QMainWindow;
class QMenuBar;
class QToolBar;

class m_main : public QObject {
    Q_OBJECT
public:
    // Builds the menu into the frame's menu bar and the frame toolbar; the frame is its ParentWindow.
    m_main(QMainWindow *parentWindow, QMenuBar *bar, QToolBar *toolbar);

    QMainWindow *parentWindow() const { return parentWindow_; }
    QAction *item(const QString &name) const;

    // Width of one spacing unit of a toolbar gap before labels are shown, in pixels.
    static constexpr int kSpacingUnit = 3;

    enum class Command { None, ToolbarSettings, Relogin, Exit, OpenWindow, Navigate };

private:
    void run(Command command, const QString &target);
    void navigate();

    QMainWindow *parentWindow_;
};
