#pragma once
// Pictures read from files and resources in the format their suffix names. Qt, left to guess a format,
// loads every image plugin to ask it, at a cost in start time and memory that a picture of known
// format never needs.
#include <QImage>
#include <QPixmap>
#include <QString>

namespace rt {

QPixmap readPicture(const QString &path);
// The picture in the form the file stores it: 8 bits a pixel for a palette picture, where a pixmap
// takes 32.
QImage readImage(const QString &path);

} // namespace rt
