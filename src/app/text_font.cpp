#include "app/text_font.h"

#include <QByteArray>
#include <QFontDatabase>
#include <QResource>

QString installTextFont()
{
    // The font's bytes stay where they lie in the program's file: the font database keeps a view of
    // them, not a copy.
    const QResource resource(QStringLiteral(":/fonts/text-font.ttf"));
    if (!resource.isValid() || resource.compressionAlgorithm() != QResource::NoCompression)
        return QString();
    const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char *>(resource.data()),
                                                    qsizetype(resource.size()));
    return QFontDatabase::applicationFontFamilies(QFontDatabase::addApplicationFontFromData(data)).value(0);
}
