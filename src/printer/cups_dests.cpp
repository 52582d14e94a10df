#include "printer/cups_dests.h"

#include <array>
#include <cctype>

namespace printer {

namespace {

// The user's own default printer: the last Default line of the user's options file, read with libcups's reader
// of that file's lines; nullopt when there is none.
struct OwnDefault {
    QByteArray name;
    QByteArray instance;
};

std::optional<OwnDefault> ownDefault()
{
    const QByteArray home = qgetenv("HOME");
    if (home.isEmpty())
        return std::nullopt;
    cups_file_t* file = cupsFileOpen((home + "/.cups/lpoptions").constData(), "r");
    if (!file)
        return std::nullopt;
    std::optional<OwnDefault> found;
    std::array<char, 8192> line{}; // libcups reads the file in lines of this length too
    char* value = nullptr;
    int number = 0;
    while (cupsFileGetConf(file, line.data(), line.size(), &value, &number)) {
        if (!value || qstricmp(line.data(), "default") != 0)
            continue;
        const QByteArray text(value);
        qsizetype end = 0;
        while (end < text.size() && !std::isspace(uchar(text[end])))
            ++end;
        const QByteArray name = text.left(end);
        const qsizetype slash = name.indexOf('/');
        found = slash < 0 ? OwnDefault{name, QByteArray()} : OwnDefault{name.left(slash), name.mid(slash + 1)};
    }
    cupsFileClose(file);
    return found;
}

} // namespace

QString option(const cups_dest_t* dest, const char* name)
{
    return QString::fromUtf8(cupsGetOption(name, dest->num_options, dest->options));
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

DestName::DestName(const QString& name)
{
    const QByteArray utf8 = name.toUtf8();
    const qsizetype slash = utf8.indexOf('/');
    queue = slash < 0 ? utf8 : utf8.left(slash);
    if (slash >= 0)
        instance = utf8.mid(slash + 1);
}

QString nameOf(const cups_dest_t* dest)
{
    const QString queue = QString::fromUtf8(dest->name);
    return dest->instance ? queue + QLatin1Char('/') + QString::fromUtf8(dest->instance) : queue;
}

DestPtr namedDest(http_t* http, const QString& name)
{
    if (!http || name.isEmpty())
        return nullptr;
    const DestName parts(name);
    if (!name.contains(QLatin1Char('/')))
        return DestPtr(cupsGetNamedDest(http, parts.queue.constData(), nullptr));
    // libcups makes up any instance it is asked for; the ones that exist are those the user's options define.
    if (parts.queue.isEmpty() || parts.instance.isEmpty())
        return nullptr;
    const DestList all(http);
    cups_dest_t* found = cupsGetDest(parts.queue.constData(), parts.instance.constData(), all.count, all.dests);
    cups_dest_t* copy = nullptr;
    if (!found || cupsCopyDest(found, 0, &copy) != 1)
        return nullptr;
    return DestPtr(copy);
}

std::optional<QString> defaultFromEnvironment()
{
    if (qEnvironmentVariableIsSet("LPDEST"))
        return qEnvironmentVariable("LPDEST");
    if (!qEnvironmentVariableIsSet("PRINTER"))
        return std::nullopt;
    const QString printer = qEnvironmentVariable("PRINTER");
    if (printer == QLatin1String("lp"))
        return std::nullopt;
    return printer;
}

bool storeUserOptions(http_t* http, const QString& name, const Options& options, const QList<QByteArray>& removed,
                      bool makeDefault)
{
    const DestList all(http);
    const DestName parts(name);
    cups_dest_t* dest = cupsGetDest(parts.queue.constData(), parts.instanceOrNull(), all.count, all.dests);
    if (!dest)
        return false;
    for (const QByteArray& optionName : removed)
        dest->num_options = cupsRemoveOption(optionName.constData(), dest->num_options, &dest->options);
    for (const auto& [optionName, value] : options)
        dest->num_options = cupsAddOption(optionName.constData(), value.constData(), dest->num_options, &dest->options);

    // libcups marks the printer that LPDEST or PRINTER names as the default (and none, when the user's own line
    // names that printer too), and the server's default when the user has none; it would write that mark back as
    // the user's Default line. The mark written is the user's own.
    const cups_dest_t* isDefault = dest;
    if (!makeDefault) {
        const auto own = ownDefault();
        const char* instance = own && !own->instance.isEmpty() ? own->instance.constData() : nullptr;
        isDefault = own ? cupsGetDest(own->name.constData(), instance, all.count, all.dests) : nullptr;
    }
    for (int i = 0; i < all.count; ++i)
        all.dests[i].is_default = &all.dests[i] == isDefault;
    return cupsSetDests2(http, all.count, all.dests) == 0;
}

} // namespace printer
