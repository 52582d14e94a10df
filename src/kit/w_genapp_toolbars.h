#pragma once
// The toolbar settings dialog "工具栏设置": docks the frame toolbar at an edge of the frame or lets it
// float, hides or shows it, switches the toolbars' tool tips and the buttons' text labels. Every click
// acts at once on the frame and the application; the dialog stores nothing.
#include "runtime/registry.h"

#include <QDialog>
#include <QPointer>

class QButtonGroup;
class QCheckBox;
class QMainWindow;
class QPushButton;

namespace kit {

class FrameToolbarState;

class w_genapp_toolbars : public QDialog, public rt::WindowEvents {
    Q_OBJECT
public:
    explicit w_genapp_toolbars(QWidget *parent = nullptr);

    // Reads the frame from the open parameter and ticks the controls from the live state.
    bool openEvent() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void createControls();
    void showVisibility(bool visible);
    void cb_visible_clicked();

    QPointer<QMainWindow> iw_window;
    QPointer<FrameToolbarState> toolbar_;
    QButtonGroup *alignments_ = nullptr;
    QPushButton *cb_visible = nullptr;
    QCheckBox *cbx_showtips = nullptr;
    QCheckBox *cbx_showtext = nullptr;
    // What the visibility button offers: true while it reads "隐藏(&H)".
    bool offersHide_ = true;
};

} // namespace kit
