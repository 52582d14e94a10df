#include "app/pictures.h"

#include "runtime/images.h"

#include <QFileInfo>
#include <QPixmapCache>

// The pictures live in this static library: their registration must be pulled in explicitly.
static void initShellResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(shell);
        return true;
    }();
    (void)done;
}

namespace pictures {

namespace {
QString resourceOf(const QString &name)
{
    initShellResources();
    if (name.endsWith(QLatin1Char('!')))
        return QStringLiteral(":/stock/%1.png").arg(name.chopped(1));
    // Library pictures are stored as PNG under their base name, whatever type their name gives.
    return QStringLiteral(":/library/%1.png").arg(QFileInfo(name).completeBaseName().toLower());
}
} // namespace

QPixmap picture(const QString &name)
{
    if (name.isEmpty())
        return {};
    // Icons are drawn again and again: Qt's pixmap cache keeps them decoded. A large picture is shown
    // by one control, which keeps it for as long as it lives: cached, it would stay in memory for the
    // whole run.
    constexpr int kLargestCachedPixels = 256 * 256;
    const QString path = resourceOf(name);
    QPixmap pixmap;
    if (QPixmapCache::find(path, &pixmap))
        return pixmap;
    pixmap = rt::readPicture(path);
    if (pixmap.width() * pixmap.height() <= kLargestCachedPixels)
        QPixmapCache::insert(path, pixmap);
    return pixmap;
}

QImage image(const QString &name) { return name.isEmpty() ? QImage() : rt::readImage(resourceOf(name)); }

QIcon icon(const QString &name)
{
    const QPixmap pixmap = picture(name);
    return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}

QIcon appIcon() { return icon(QStringLiteral("AppIcon!")); }

} // namespace pictures
