#include "app/tag_command.h"

namespace launch {

QString trimLeadingBlanks(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    return text.mid(i);
}

QString trimBlanks(const QString &text)
{
    QString result = trimLeadingBlanks(text);
    qsizetype end = result.size();
    while (end > 0 && result.at(end - 1) == QLatin1Char(' '))
        --end;
    result.truncate(end);
    return result;
}

QString tagValue(const QString &tag, const QString &key, const QString &dflt)
{
    if (tag.isEmpty() || tag == QLatin1String("!") || tag == QLatin1String("?"))
        return dflt;
    if (key.isEmpty())
        return dflt;
    const QString lowerKey = key.toLower();
    QString rest = tag;
    for (;;) {
        const qsizetype at = rest.toLower().indexOf(lowerKey);
        if (at < 0)
            return dflt;
        rest = trimLeadingBlanks(rest.mid(at + key.size()));
        if (rest.startsWith(QLatin1Char('='))) {
            const qsizetype semicolon = rest.indexOf(QLatin1Char(';'), 1);
            const QString value = semicolon < 0 ? rest.mid(1) : rest.mid(1, semicolon - 1);
            return trimBlanks(value);
        }
    }
}

QString programExtension()
{
#ifdef Q_OS_WIN
    return QStringLiteral(".exe");
#else
    return QString();
#endif
}

QChar pathSeparator()
{
#ifdef Q_OS_WIN
    return QLatin1Char('\\');
#else
    return QLatin1Char('/');
#endif
}

QString programFileOf(const QString &commandLine)
{
    const qsizetype blank = commandLine.indexOf(QLatin1Char(' '));
    QString file = blank < 0 ? commandLine : commandLine.left(blank);
    if (!file.contains(QLatin1Char('.')))
        file += programExtension();
    return file;
}

} // namespace launch
