#include "app/pictures.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

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
    // Library pictures are stored under their base name, as PNG or (photographs) JPEG.
    const QString base = QStringLiteral(":/library/") + QFileInfo(name).completeBaseName().toLower();
    const QString png = base + QStringLiteral(".png");
    return QFile::exists(png) ? png : base + QStringLiteral(".jpg");
}
} // namespace

QPixmap picture(const QString &name)
{
    if (name.isEmpty())
        return {};
    // Icons and launch pictures are drawn again and again: Qt's pixmap cache keeps them decoded. A
    // large picture is shown by one control, which keeps it for as long as it lives: cached, it would
    // stay in memory for the whole run.
    constexpr int kLargestCachedPixels = 256 * 256;
    const QString path = resourceOf(name);
    QImageReader reader(path);
    const QSize size = reader.size();
    if (size.width() * size.height() > kLargestCachedPixels)
        return QPixmap::fromImageReader(&reader);
    return QPixmap(path);
}

QIcon icon(const QString &name)
{
    const QPixmap pixmap = picture(name);
    return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}

QIcon appIcon() { return icon(QStringLiteral("AppIcon!")); }

} // namespace pictures
