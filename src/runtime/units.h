#pragma once
// Layout units of the window definitions: 1 unit is 7/32 px across and 1/4 px down at 96 dpi,
// scaled by the screen's logical dpi.
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace rt {

int unitsToPixelsX(int units);
int unitsToPixelsY(int units);
int pixelsToUnitsX(int pixels);
int pixelsToUnitsY(int pixels);
QRect unitRect(int x, int y, int width, int height);

// Places a control inside its parent's client area.
void placeControl(QWidget *control, int x, int y, int width, int height);

// Window sizes and positions are outer ones, frame included. Without a window manager the frame is the
// classic dialog frame (a 3-px border and a 19-px caption), which comes off the client area though
// nothing draws it, and the client area is placed. Under a window manager the frame is the one it draws:
// once the window is about to be shown, the client area is sized and placed again so that the outer
// frame has the window's size and place.
constexpr int kFrameBorderPx = 3;
constexpr int kCaptionPx = 19;
QMargins classicFrame(bool hasCaption = true);
QSize clientSizeForOuter(int widthUnits, int heightUnits, bool hasCaption = true);
// A fixed outer size.
void sizeWindow(QWidget *window, int widthUnits, int heightUnits, bool hasCaption = true);
// The outer size of a window the operator can resize.
void resizeWindow(QWidget *window, int widthUnits, int heightUnits, bool hasCaption = true);
// Outer position in units, relative to the screen's top left.
void moveWindow(QWidget *window, int xUnits, int yUnits);
// The outer frame centred on the screen's available area.
void centerOnScreen(QWidget *window);

} // namespace rt
