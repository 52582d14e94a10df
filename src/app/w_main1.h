#pragma once
// The multiple-document frame: menu bar, one frame toolbar, a status bar that shows each menu item's
// MicroHelp while it is highlighted and the application's default text otherwise, and a work area that
// shows the launch pad dw_main (kept centred) or the frame picture p_2.
#include "runtime/registry.h"

#include <QMainWindow>
#include <QString>

class QLabel;
class QMdiArea;
class QToolBar;
class d_start;
class m_main;

class w_main1 : public QMainWindow, public rt::WindowEvents {
    Q_OBJECT
public:
    explicit w_main1(QWidget *parent = nullptr);

    static constexpr int kNormalWidth = 4018;
    static constexpr int kNormalHeight = 2692;
    static QString title() { return QStringLiteral("CorvanelFitmarkel（大学） "); }

    bool openEvent() override;

    // The launcher: starts the command of the highlighted launch picture.
    void ue_run();
    // The value of a key in the tag of a launch pad object; a null string when the name or key is null.
    QString of_gettagstring(const QString &as_column, const QString &as_key, const QString &as_default) const;
    // The fallback directory for program files: the system's programs.
    QString of_getwindowpath() const;

    QToolBar *frameToolbar() const { return toolbar_; }
    d_start *dw_main() const { return dw_main_; }
    QLabel *p_2() const { return p_2_; }
    QMdiArea *mdi_1() const { return mdi_1_; }
    m_main *menu() const { return menu_; }
    const QString &focusPicture() const { return is_focus_picture; }

    // The frame's outer size in units, as its Width and Height.
    QSize outerSizeUnits() const;
    // Places a control of the frame at unit coordinates of the frame's client area (below the menu bar).
    void placeInClient(QWidget *control, int x, int y, int width, int height);
    void moveInClient(QWidget *control, int x, int y);
    // None while the application keeps the toolbar's user control off.
    QMenu *createPopupMenu() override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int clientTop() const;
    void openMaximized();
    void fillScreenIfNotMaximized();
    void centreLaunchPad();
    void mousemove();
    QString objectAtPointer() const;

    QMdiArea *mdi_1_;
    d_start *dw_main_;
    QLabel *p_2_;
    QToolBar *toolbar_;
    QLabel *microHelp_;
    m_main *menu_;
    QString is_focus_picture;
    QSize normalSize_;
    bool awaitingFirstExpose_ = false;
};

// Where the launch pad stands in a frame of the given outer size (units): centred, never left of 0 and
// never above 220.
QPoint launchPadPosition(int frameWidth, int frameHeight);
