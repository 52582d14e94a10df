#include "runtime/static_text.h"

#include "runtime/colors.h"
#include "runtime/fonts.h"
#include "runtime/units.h"

#include <QLabel>

namespace rt {

QLabel *addStaticText(QWidget *parent, const StaticText &text, const QString &face)
{
    auto *label = new QLabel(QString::fromUtf8(text.text), parent);
    label->setObjectName(QString::fromUtf8(text.name));
    label->setFont(font(face, text.points, text.weight));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextColor(label, text.color);
    placeControl(label, text.x, text.y, text.width, text.height);
    return label;
}

} // namespace rt
