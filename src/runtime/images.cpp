#include "runtime/images.h"

#include <QFileInfo>
#include <QImageReader>

namespace rt {

QPixmap readPicture(const QString &path)
{
    QImageReader reader(path, QFileInfo(path).suffix().toLower().toLatin1());
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImageReader(&reader);
}

} // namespace rt
