#include "runtime/fonts.h"

#include <QStringList>

namespace rt {

void installFontSubstitutions()
{
    const QStringList cjk{QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                          QStringLiteral("Droid Sans Fallback")};
    auto substitute = [&](const QString &face, const QStringList &latin) {
        QFont::insertSubstitutions(face, latin + cjk);
    };
    substitute(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    substitute(QStringLiteral("MS Sans Serif"), {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    substitute(QStringLiteral("Courier New"),
               {QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")});
    substitute(QStringLiteral("宋体"), {});
    substitute(QStringLiteral("SimSun"), {});
}

QFont font(const QString &face, int points, int weight)
{
    QFont f(face);
    f.setPointSize(points > 0 ? points : 9);
    f.setWeight(weight >= 700 ? QFont::Bold : QFont::Normal);
    return f;
}

QFont fontOfTextSize(const QString &face, int textSize, int weight)
{
    QFont f(face);
    if (textSize < 0)
        f.setPointSize(-textSize);
    else if (textSize > 0)
        f.setPixelSize(textSize);
    f.setWeight(weight >= 700 ? QFont::Bold : QFont::Normal);
    return f;
}

} // namespace rt
