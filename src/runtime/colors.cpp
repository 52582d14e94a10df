#include "runtime/colors.h"

#include <QApplication>
#include <QWidget>

namespace rt {

namespace {

// The classic system colour indexes, on the platform's palette.
QColor systemIndexColor(int index, const QPalette &pal)
{
    switch (index) {
    case 1: // desktop
        return QColor(0, 128, 128);
    case 2: // active caption
    case 13: // highlight
        return pal.color(QPalette::Highlight);
    case 3: // inactive caption
        return pal.color(QPalette::Mid);
    case 4: // menu
        return pal.color(QPalette::Window);
    case 5: // window
        return pal.color(QPalette::Base);
    case 6: // window frame
    case 16: // button shadow
        return pal.color(QPalette::Dark);
    case 7: // menu text
    case 8: // window text
        return pal.color(QPalette::WindowText);
    case 9: // caption text
    case 14: // highlight text
        return pal.color(QPalette::HighlightedText);
    case 12: // application workspace
        return pal.color(QPalette::Dark);
    case 17: // grey text
        return pal.color(QPalette::Disabled, QPalette::Text);
    case 18: // button text
        return pal.color(QPalette::ButtonText);
    case 20: // button highlight
        return pal.color(QPalette::Light);
    case 23: // info text
        return pal.color(QPalette::ToolTipText);
    case 24: // info background
        return pal.color(QPalette::ToolTipBase);
    case 26: // hot-light: links
        return pal.color(QPalette::Link);
    default: // scroll bar, borders, button face and the rest
        return pal.color(QPalette::Button);
    }
}

} // namespace

QColor color(long number)
{
    if (number >= 0 && number <= 0xFFFFFF)
        return QColor(int(number & 0xFF), int((number >> 8) & 0xFF), int((number >> 16) & 0xFF));
    const QPalette pal = QApplication::palette();
    if (number > syscolor::IndexBase && number < syscolor::IndexBase + 64)
        return systemIndexColor(int(number - syscolor::IndexBase), pal);
    switch (number) {
    case syscolor::WindowText:
        return pal.color(QPalette::WindowText);
    case syscolor::ButtonFace:
    case syscolor::ButtonFace2:
    case syscolor::ButtonFace3:
        return pal.color(QPalette::Button);
    case syscolor::WindowBackground:
        return pal.color(QPalette::Base);
    case syscolor::AppWorkspace:
        return pal.color(QPalette::Dark);
    case syscolor::Transparent:
        return QColor(Qt::transparent);
    default:
        return pal.color(QPalette::Window);
    }
}

void setTextColor(QWidget *control, long number)
{
    QPalette pal = control->palette();
    const QColor c = color(number);
    pal.setColor(QPalette::WindowText, c);
    pal.setColor(QPalette::Text, c);
    pal.setColor(QPalette::ButtonText, c);
    control->setPalette(pal);
}

void setBackColor(QWidget *control, long number)
{
    QPalette pal = control->palette();
    const QColor c = color(number);
    pal.setColor(QPalette::Window, c);
    pal.setColor(QPalette::Base, c);
    pal.setColor(QPalette::Button, c);
    control->setPalette(pal);
    control->setAutoFillBackground(true);
}

} // namespace rt
