#include "runtime/static_text.h"

#include "runtime/colors.h"
#include "runtime/fonts.h"
#include "runtime/units.h"

#include <QLabel>

namespace rt {

QLabel *addStaticText(QWidget *parent, const StaticText &text, const QString &face)
{
    QLabel *label = plainLabel(QString::fromUtf8(text.text), parent);
    label->setObjectName(QString::fromUtf8(text.name));
    label->setFont(font(face, text.points, text.weight));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextColor(label, text.color);
    placeControl(label, text.x, text.y, text.width, text.height);
    return label;
}

QLabel *plainLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

} // namespace rt
