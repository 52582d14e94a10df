#pragma once
// The program's text font: the glyphs of the program's own texts, drawn from the installed CJK font
// into a small font of their own when the program is built (text_font.py).
#include <QString>

// Adds the text font to the application's fonts; returns its family, or an empty string when it
// cannot be added. Call once the application object exists.
QString installTextFont();
