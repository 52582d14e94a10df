#include "printer/lpoptions.h"

#include <cups/cups.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QRegularExpression>
#include <QStringList>

#include <optional>

namespace printer {

namespace {

struct Line {
    QString raw;      // kept as read when not a destination line
    bool dest = false;
    bool isDefault = false;
    QString name;     // name[/instance]
    OptionList options;
};

QString quoted(const QString& value)
{
    bool plain = !value.isEmpty();
    for (const QChar c : value)
        if (c.isSpace() || c == QLatin1Char('"') || c == QLatin1Char('\'') || c == QLatin1Char('\\'))
            plain = false;
    if (plain)
        return value;
    QString out = QStringLiteral("\"");
    for (const QChar c : value) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out + QLatin1Char('"');
}

Line parse(const QString& text)
{
    Line line;
    line.raw = text;
    const QString trimmed = text.trimmed();
    const qsizetype sp = trimmed.indexOf(QRegularExpression(QStringLiteral("\\s")));
    const QString keyword = sp < 0 ? trimmed : trimmed.left(sp);
    if (keyword.compare(QLatin1String("Dest"), Qt::CaseInsensitive) != 0
        && keyword.compare(QLatin1String("Default"), Qt::CaseInsensitive) != 0)
        return line;
    QString rest = sp < 0 ? QString() : trimmed.mid(sp).trimmed();
    const qsizetype nameEnd = rest.indexOf(QRegularExpression(QStringLiteral("\\s")));
    line.name = nameEnd < 0 ? rest : rest.left(nameEnd);
    if (line.name.isEmpty())
        return line;
    line.dest = true;
    line.isDefault = keyword.compare(QLatin1String("Default"), Qt::CaseInsensitive) == 0;
    rest = nameEnd < 0 ? QString() : rest.mid(nameEnd).trimmed();
    // The option syntax (quotes, escapes) is libcups's own.
    cups_option_t* options = nullptr;
    const QByteArray utf8 = rest.toUtf8();
    const int count = cupsParseOptions(utf8.constData(), 0, &options);
    for (int i = 0; i < count; ++i)
        line.options.append({QString::fromUtf8(options[i].name), QString::fromUtf8(options[i].value)});
    cupsFreeOptions(count, options);
    return line;
}

QString format(const Line& line)
{
    if (!line.dest)
        return line.raw;
    QString out = (line.isDefault ? QStringLiteral("Default ") : QStringLiteral("Dest ")) + line.name;
    for (const auto& [name, value] : line.options)
        out += QLatin1Char(' ') + name + QLatin1Char('=') + quoted(value);
    return out;
}

std::optional<QList<Line>> readLines()
{
    QFile file(UserOptionsFile::path());
    QList<Line> lines;
    if (!file.exists())
        return lines;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    const QStringList texts = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& text : texts)
        lines.append(parse(text));
    return lines;
}

bool writeLines(const QList<Line>& lines)
{
    const QString filePath = UserOptionsFile::path();
    if (filePath.isEmpty() || !QDir().mkpath(QFileInfo(filePath).path()))
        return false;
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    for (const Line& line : lines)
        file.write((format(line) + QLatin1Char('\n')).toUtf8());
    return file.commit();
}

} // namespace

QString UserOptionsFile::path()
{
    const QString home = qEnvironmentVariable("HOME");
    return home.isEmpty() ? QString() : home + QStringLiteral("/.cups/lpoptions");
}

bool UserOptionsFile::setDefault(const QString& printerName)
{
    auto lines = readLines();
    if (!lines)
        return false;
    bool found = false;
    for (Line& line : *lines) {
        if (!line.dest)
            continue;
        line.isDefault = line.name == printerName;
        found = found || line.isDefault;
    }
    if (!found) {
        Line line;
        line.dest = true;
        line.isDefault = true;
        line.name = printerName;
        lines->append(line);
    }
    return writeLines(*lines);
}

bool UserOptionsFile::setOptions(const QString& printerName, const OptionList& options)
{
    auto lines = readLines();
    if (!lines)
        return false;
    Line* target = nullptr;
    for (Line& line : *lines)
        if (line.dest && line.name == printerName)
            target = &line;
    if (!target) {
        Line line;
        line.dest = true;
        line.name = printerName;
        lines->append(line);
        target = &lines->last();
    }
    for (const auto& option : options) {
        bool replaced = false;
        for (auto& existing : target->options)
            if (existing.first == option.first) {
                existing.second = option.second;
                replaced = true;
            }
        if (!replaced)
            target->options.append(option);
    }
    return writeLines(*lines);
}

} // namespace printer
