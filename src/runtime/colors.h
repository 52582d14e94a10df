#pragma once
// Colour numbers of the window definitions: up to 16777215 an RGB number (0x00BBGGRR),
// larger numbers the runtime's codes for system colours.
#include <QColor>
#include <QPalette>

class QWidget;

namespace rt {

namespace syscolor {
constexpr long WindowText = 33554432;
constexpr long ButtonFace = 67108864;
constexpr long ButtonFace2 = 79741120;
constexpr long ButtonFace3 = 80269524;
constexpr long WindowBackground = 1073741824;
constexpr long AppWorkspace = 268435456;
constexpr long Transparent = 536870912;
// 134217728 plus a system colour index: 1 desktop, 13 highlight, 26 link (hot-light), …
constexpr long IndexBase = 134217728;
constexpr long Desktop = IndexBase + 1;
constexpr long Highlight = IndexBase + 13;
constexpr long LinkColor = IndexBase + 26;
} // namespace syscolor

constexpr long rgb(int r, int g, int b) { return long(r) + 256L * g + 65536L * b; }

QColor color(long number);
// The text and background colours of a control, as the window definitions give them.
void setTextColor(QWidget *control, long number);
void setBackColor(QWidget *control, long number);

} // namespace rt
