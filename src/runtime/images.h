#pragma once
// Pictures read from files and resources.
#include <QPixmap>
#include <QString>

namespace rt {

// The picture of a file in the format its suffix names. Qt, left to guess a format, loads every image
// plugin to ask it, at a cost in start time and memory that a picture of known format never needs.
QPixmap readPicture(const QString &path);

} // namespace rt
