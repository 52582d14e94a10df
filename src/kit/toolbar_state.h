#pragma once
// The frame toolbar's runtime properties: its alignment (docked at one of the frame's edges or floating
// in a small tool window of its own beside the frame) and its visibility. They belong to the frame and
// end with it: a new frame starts docked at the top and visible, as its toolbar was made.
#include <QObject>
#include <QPointer>

class QMainWindow;
class QToolBar;
class QWidget;

namespace kit {

// Values of the frame's ToolbarAlignment.
enum ToolbarAlignment : int {
    kAlignLeft = 0,
    kAlignTop = 1,
    kAlignRight = 2,
    kAlignBottom = 3,
    kFloating = 4,
};

class FrameToolbarState : public QObject {
    Q_OBJECT
public:
    // The state of the frame's toolbar, made on first use; null when the frame has no toolbar.
    static FrameToolbarState *of(QMainWindow *frame);

    QToolBar *toolbar() const { return toolbar_; }
    int alignment() const;
    // Moves the toolbar at once; values outside 0..4 are ignored.
    void setAlignment(int alignment);
    bool isVisible() const { return visible_; }
    void setVisible(bool visible);
    // The tool window that holds the toolbar while it floats; null while docked.
    QWidget *floatingWindow() const { return floating_; }

private:
    FrameToolbarState(QMainWindow *frame, QToolBar *toolbar);
    void dock(int alignment);
    void floatBesideFrame();

    QMainWindow *frame_;
    QPointer<QToolBar> toolbar_;
    QPointer<QWidget> floating_;
    bool visible_;
};

// Keeps the application's toolbar text setting in step with the labels of this toolbar, from now on.
void keepToolbarTextInStep(QToolBar *toolbar);

} // namespace kit
