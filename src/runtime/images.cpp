#include "runtime/images.h"

#include <QFileInfo>
#include <QImageReader>

namespace rt {

namespace {
void readInNamedFormat(QImageReader &reader, const QString &path)
{
    reader.setFileName(path);
    reader.setFormat(QFileInfo(path).suffix().toLower().toLatin1());
    reader.setAutoDetectImageFormat(false);
}
} // namespace

QImage readImage(const QString &path)
{
    QImageReader reader;
    readInNamedFormat(reader, path);
    return reader.read();
}

QPixmap readPicture(const QString &path)
{
    QImageReader reader;
    readInNamedFormat(reader, path);
    return QPixmap::fromImageReader(&reader);
}

} // namespace rt
