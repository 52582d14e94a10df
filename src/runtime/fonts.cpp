#include "runtime/fonts.h"

#include <QFontInfo>
#include <QGuiApplication>
#include <QStringList>

namespace rt {

void installFontSubstitutions(const QString &textFamily)
{
    QStringList cjk{QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                    QStringLiteral("Droid Sans Fallback")};
    if (!textFamily.isEmpty())
        cjk.prepend(textFamily);
    auto substitute = [&](const QString &face, const QStringList &latin) {
        QFont::insertSubstitutions(face, latin + cjk);
    };
    substitute(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    substitute(QStringLiteral("MS Sans Serif"), {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    substitute(QStringLiteral("Courier New"),
               {QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")});
    substitute(QStringLiteral("宋体"), {});
    substitute(QStringLiteral("SimSun"), {});
    if (!textFamily.isEmpty()) {
        // Asked for the Chinese of the standard font (menus, message boxes), the desktop's font
        // configuration would answer with the installed CJK font: the text font comes first there too,
        // after the face the standard font stands for.
        const QString standardFamily = QGuiApplication::font().family();
        const QString standardFace = QFontInfo(QGuiApplication::font()).family();
        substitute(standardFace, {});
        if (standardFamily != standardFace)
            substitute(standardFamily, {standardFace});
    }

    // Glyphs are hinted by the fonts' own instructions, as the old platform drew them. FreeType's
    // automatic hinter, Qt's default here, measures about a hundred sample glyphs of a CJK font before
    // drawing its first character, which keeps megabytes of the font file resident for the whole run.
    QFont standard = QGuiApplication::font();
    standard.setHintingPreference(QFont::PreferFullHinting);
    QGuiApplication::setFont(standard);
}

QFont font(const QString &face, int points, int weight)
{
    QFont f(face);
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setPointSize(points > 0 ? points : 9);
    f.setWeight(weight >= 700 ? QFont::Bold : QFont::Normal);
    return f;
}

QFont fontOfTextSize(const QString &face, int textSize, int weight)
{
    QFont f(face);
    f.setHintingPreference(QFont::PreferFullHinting);
    if (textSize < 0)
        f.setPointSize(-textSize);
    else if (textSize > 0)
        f.setPixelSize(textSize);
    f.setWeight(weight >= 700 ? QFont::Bold : QFont::Normal);
    return f;
}

} // namespace rt
