#include "runtime/units.h"

#include "runtime/window_frame.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>
#include <optional>

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

QMargins classicFrame(bool hasCaption)
{
    const int border = int(std::lround(kFrameBorderPx * dpiScale()));
    const int caption = hasCaption ? int(std::lround(kCaptionPx * dpiScale())) : 0;
    return QMargins(border, border + caption, border, border);
}

QSize clientSizeForOuter(int widthUnits, int heightUnits, bool hasCaption)
{
    const QMargins frame = classicFrame(hasCaption);
    return QSize(std::max(1, unitsToPixelsX(widthUnits) - frame.left() - frame.right()),
                 std::max(1, unitsToPixelsY(heightUnits) - frame.top() - frame.bottom()));
}

namespace {

// What a window asked for: its outer size, fixed or not, and its outer place. It lives on the window
// and, when the window is about to be shown under a window manager, puts the size and place into
// effect with the frame that manager draws.
class Placement : public QObject {
public:
    enum class Place { Own, Centred, At };

    static Placement *of(QWidget *window)
    {
        const QString name = QStringLiteral("rt_placement");
        if (auto *found = window->findChild<QObject *>(name, Qt::FindDirectChildrenOnly))
            return static_cast<Placement *>(found);
        auto *placement = new Placement(window);
        placement->setObjectName(name);
        return placement;
    }

    std::optional<QSize> outer;
    bool fixed = false;
    Place place = Place::Own;
    QPoint outerPos;

    // Sizes and places the client area for the frame known so far.
    void apply()
    {
        const QMargins frame = frame_.value_or(QMargins());
        QSize client = window_->size();
        if (frame_ && outer) {
            client = (*outer - QSize(frame.left() + frame.right(), frame.top() + frame.bottom())).expandedTo({1, 1});
            if (fixed)
                window_->setFixedSize(client);
        }
        QRect outerRect(window_->geometry().topLeft() - QPoint(frame.left(), frame.top()), client.grownBy(frame));
        if (place == Place::Centred) {
            const QScreen *screen = window_->screen() ? window_->screen() : QGuiApplication::primaryScreen();
            if (screen)
                outerRect.moveCenter(screen->availableGeometry().center());
        } else if (place == Place::At) {
            outerRect.moveTopLeft(outerPos);
        }
        // The client geometry, never a position that includes a frame nobody has drawn yet.
        window_->setGeometry(QRect(outerRect.topLeft() + QPoint(frame.left(), frame.top()), client));
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        // The native window exists and is not mapped yet: the manager tells its frame, and the window
        // appears where it belongs, without a jump. A window shown maximised keeps its state.
        if (event->type() == QEvent::Show && !asked_) {
            asked_ = true;
            if (!(window_->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))) {
                frame_ = windowManagerFrame(window_);
                if (frame_)
                    apply();
            }
        }
        return false;
    }

private:
    explicit Placement(QWidget *window) : QObject(window), window_(window) { window->installEventFilter(this); }

    QWidget *window_;
    bool asked_ = false;
    std::optional<QMargins> frame_; // the window manager's, once asked; none without a manager
};

void setOuterSize(QWidget *window, int widthUnits, int heightUnits, bool hasCaption, bool fixed)
{
    Placement *placement = Placement::of(window);
    placement->outer = QSize(unitsToPixelsX(widthUnits), unitsToPixelsY(heightUnits));
    placement->fixed = fixed;
    const QSize client = clientSizeForOuter(widthUnits, heightUnits, hasCaption);
    if (fixed)
        window->setFixedSize(client);
    else
        window->resize(client);
}

} // namespace

void sizeWindow(QWidget *window, int widthUnits, int heightUnits, bool hasCaption)
{
    setOuterSize(window, widthUnits, heightUnits, hasCaption, true);
}

void resizeWindow(QWidget *window, int widthUnits, int heightUnits, bool hasCaption)
{
    setOuterSize(window, widthUnits, heightUnits, hasCaption, false);
}

void moveWindow(QWidget *window, int xUnits, int yUnits)
{
    Placement *placement = Placement::of(window);
    placement->place = Placement::Place::At;
    placement->outerPos = QPoint(unitsToPixelsX(xUnits), unitsToPixelsY(yUnits));
    placement->apply();
}

void centerOnScreen(QWidget *window)
{
    Placement *placement = Placement::of(window);
    placement->place = Placement::Place::Centred;
    placement->apply();
}

} // namespace rt
