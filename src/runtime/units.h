#pragma once
// Layout units of the window definitions: 1 unit is 7/32 px across and 1/4 px down at 96 dpi,
// scaled by the screen's logical dpi.
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

// Window sizes are outer sizes: the title bar and the borders of a classic dialog frame come off.
constexpr int kFrameBorderPx = 3;
constexpr int kCaptionPx = 19;
QSize clientSizeForOuter(int widthUnits, int heightUnits, bool hasCaption = true);
void sizeWindow(QWidget *window, int widthUnits, int heightUnits, bool hasCaption = true);
// Outer position in units, relative to the screen's top left.
void moveWindow(QWidget *window, int xUnits, int yUnits);
void centerOnScreen(QWidget *window);

} // namespace rt
