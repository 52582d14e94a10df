#pragma once
// Fonts are requested by the names of the window definitions; substitutions map them onto installed
// fonts with a CJK fallback, so the Chinese texts render on a Debian machine. `textFamily`, when given,
// is a font holding the program's own characters, tried before the installed CJK fonts.
#include <QFont>
#include <QString>

namespace rt {

void installFontSubstitutions(const QString &textFamily = QString());
// A font of `points` size; weight 400 normal, 700 bold.
QFont font(const QString &face, int points, int weight = 400);
// A font given as the runtime's TextSize: negative is a size in points (the form in which the window
// definitions store text sizes: -9 is 9 points), positive a character height in pixels.
QFont fontOfTextSize(const QString &face, int textSize, int weight = 400);

} // namespace rt
