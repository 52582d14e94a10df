#include "runtime/units.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace rt {

namespace {
double dpiScale()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    return dpi > 0 ? dpi / 96.0 : 1.0;
}
} // namespace

int unitsToPixelsX(int units) { return int(std::lround(units * 7.0 / 32.0 * dpiScale())); }
int unitsToPixelsY(int units) { return int(std::lround(units / 4.0 * dpiScale())); }
int pixelsToUnitsX(int pixels) { return int(std::lround(pixels * 32.0 / 7.0 / dpiScale())); }
int pixelsToUnitsY(int pixels) { return int(std::lround(pixels * 4.0 / dpiScale())); }

QRect unitRect(int x, int y, int width, int height)
{
    return QRect(unitsToPixelsX(x), unitsToPixelsY(y), unitsToPixelsX(width), unitsToPixelsY(height));
}

void placeControl(QWidget *control, int x, int y, int width, int height)
{
    control->setGeometry(unitRect(x, y, width, height));
}

QSize clientSizeForOuter(int widthUnits, int heightUnits, bool hasCaption)
{
    const int border = int(std::lround(kFrameBorderPx * dpiScale()));
    const int caption = hasCaption ? int(std::lround(kCaptionPx * dpiScale())) : 0;
    return QSize(std::max(1, unitsToPixelsX(widthUnits) - 2 * border),
                 std::max(1, unitsToPixelsY(heightUnits) - 2 * border - caption));
}

void sizeWindow(QWidget *window, int widthUnits, int heightUnits, bool hasCaption)
{
    window->setFixedSize(clientSizeForOuter(widthUnits, heightUnits, hasCaption));
}

void moveWindow(QWidget *window, int xUnits, int yUnits)
{
    window->move(unitsToPixelsX(xUnits), unitsToPixelsY(yUnits));
}

void centerOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

} // namespace rt
