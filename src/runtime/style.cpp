#include "runtime/style.h"

#include "runtime/images.h"

#include <QApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>
#include <QStyleOption>
#include <algorithm>
#include <qdrawutil.h>

namespace rt {

namespace {

QPixmap stylePicture(const QString &name)
{
    return readPicture(QStringLiteral(":/qt-project.org/styles/commonstyle/images/") + name);
}

// An icon of Qt's pictures, read when it is first drawn: a toolbar's extension button shows only when
// the toolbar does not fit its window.
class PictureIconEngine : public QIconEngine {
public:
    explicit PictureIconEngine(QStringList names) : names_(std::move(names)) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return icon().pixmap(size, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    QIconEngine *clone() const override { return new PictureIconEngine(*this); }

private:
    const QIcon &icon()
    {
        if (icon_.isNull()) {
            for (const QString &name : std::as_const(names_))
                icon_.addPixmap(stylePicture(name));
        }
        return icon_;
    }

    QStringList names_;
    QIcon icon_;
};

// Fusion, as it looks, without two costs that nobody sees, and with menu separators that show.
class LeanFusion : public QProxyStyle {
public:
    LeanFusion() : QProxyStyle(QStringLiteral("Fusion")) {}

    // Fusion draws a group box frame, and every toolbar makes its extension button's icon, from pictures
    // of Qt's own that it reads without naming their format; Qt then loads every image-format plugin to
    // ask whether it reads PNG (JPEG, GIF and ICO with their libraries, kept for the rest of the run).
    // Here the same frame and icons come from the same pictures, read as the PNGs they are (an icon's
    // when it is first drawn).
    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption *option, const QWidget *widget) const override
    {
        QString base;
        QList<int> sizes;
        if (standardIcon == SP_ToolBarHorizontalExtensionButton) {
            const bool rtl = option ? option->direction == Qt::RightToLeft : QGuiApplication::isRightToLeft();
            base = rtl ? QStringLiteral("toolbar-ext-h-rtl-") : QStringLiteral("toolbar-ext-h-");
            sizes = {8, 16, 32};
        } else if (standardIcon == SP_ToolBarVerticalExtensionButton) {
            base = QStringLiteral("toolbar-ext-v-");
            sizes = {5, 10, 20};
        } else {
            return QProxyStyle::standardIcon(standardIcon, option, widget);
        }
        QStringList names;
        for (const int size : sizes)
            names << base + QString::number(size) + QStringLiteral(".png");
        return QIcon(new PictureIconEngine(names));
    }

    // Fusion lays out a main window's bars through geometry animations, which for changes made by code
    // last no time: an animation object per bar and change, and Qt's animation code made resident, for
    // nothing to see (the program's toolbars are never dragged). Here the bars take their places at once.
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_Widget_Animation_Duration)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

    // Fusion makes a menu separator 2 pixels high with its line on the top one: a leading separator's
    // line lies under the popup's border, and two separators in a row read as one line. As tall as a
    // Windows menu's separator, each draws its line in its middle, clear of the border and of its
    // neighbour.
    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &contentsSize,
                           const QWidget *widget) const override
    {
        QSize size = QProxyStyle::sizeFromContents(type, option, contentsSize, widget);
        const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
        if (type == CT_MenuItem && item && item->menuItemType == QStyleOptionMenuItem::Separator && item->text.isEmpty())
            size.setHeight(std::max(size.height(), kMenuSeparatorHeight));
        return size;
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if (element != PE_FrameGroupBox) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        if (frame_.isNull())
            frame_ = stylePicture(QStringLiteral("fusion_groupbox.png"));
        // Below the title, or just below the top edge where there is neither title nor check box.
        constexpr int kTopMargin = 3;
        const auto *box = qobject_cast<const QGroupBox *>(widget);
        const int top = box && !box->isCheckable() && box->title().isEmpty()
                            ? kTopMargin
                            : qMax(baseStyle()->pixelMetric(PM_ExclusiveIndicatorHeight), option->fontMetrics.height())
                                  + kTopMargin;
        qDrawBorderPixmap(painter, option->rect.adjusted(0, top, 0, 0), QMargins(6, 6, 6, 6), frame_);
    }

private:
    static constexpr int kMenuSeparatorHeight = 9;
    mutable QPixmap frame_;
};

} // namespace

void installStyle()
{
    if (QApplication::style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0)
        QApplication::setStyle(new LeanFusion);
}

} // namespace rt
