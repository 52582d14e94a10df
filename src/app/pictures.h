#pragma once
// The program's pictures, compiled in as resources: the runtime's stock names ending in "!" and the
// pictures of the application library by their file names ("xm_1.bmp", "main.BMP").
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace pictures {

// The picture of a stock name ("Exit!") or a library file name; a null pixmap when there is none.
QPixmap picture(const QString &name);
// The same picture decoded anew, in the form its file stores it (8 bits a pixel for most): for pictures
// drawn now and then, which need not stay decoded between times.
QImage image(const QString &name);
QIcon icon(const QString &name);
// The application's icon, "AppIcon!".
QIcon appIcon();

} // namespace pictures
