#pragma once
// Fonts are requested by the names of the window definitions; substitutions map them onto installed
// fonts with a CJK fallback, so the Chinese texts render on a Debian machine.
#include <QFont>
#include <QString>

namespace rt {

void installFontSubstitutions();
// A font of `points` size; weight 400 normal, 700 bold.
QFont font(const QString &face, int points, int weight = 400);
// A font given as the runtime's height: negative is a character height in pixels, positive in points.
QFont fontOfHeight(const QString &face, int height, int weight = 400);

} // namespace rt
