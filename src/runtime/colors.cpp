#include "runtime/colors.h"

#include <QApplication>
#include <QWidget>

namespace rt {

QColor color(long number)
{
    if (number >= 0 && number <= 0xFFFFFF)
        return QColor(int(number & 0xFF), int((number >> 8) & 0xFF), int((number >> 16) & 0xFF));
    const QPalette pal = QApplication::palette();
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
    case syscolor::Desktop:
        return QColor(0, 128, 128);
    case syscolor::LinkColor:
        return pal.color(QPalette::Link);
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
