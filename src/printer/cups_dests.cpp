#include "printer/cups_dests.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>

#include <array>
#include <cctype>
#include <cerrno>

#include <pwd.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace printer {

namespace {

// libcups reads the options file in lines of this length.
constexpr int line_length = 8192;
// Another writer holds the options file for some milliseconds; one that holds it longer (stopped or hung) fails
// this change instead of holding the call.
constexpr int lock_wait_ms = 1000;

// The user's options file as libcups finds it: under HOME, or with HOME unset under the account's home; empty
// when there is neither.
QString userOptionsFile()
{
    QByteArray home;
    if (qEnvironmentVariableIsSet("HOME"))
        home = qgetenv("HOME");
    else if (const passwd* account = ::getpwuid(::getuid()))
        home = account->pw_dir;
    else
        return QString();
    return QFile::decodeName(home) + QStringLiteral("/.cups/lpoptions");
}

// Every destination with the user's options, as cupsGetDests2 gives them.
struct DestList {
    int count = 0;
    cups_dest_t* dests = nullptr;
    explicit DestList(http_t* http) { count = cupsGetDests2(http, &dests); }
    ~DestList() { cupsFreeDests(count, dests); }
    DestList(const DestList&) = delete;
    DestList& operator=(const DestList&) = delete;
};

// A Dest or Default line of the file, as libcups reads it.
struct DestLine {
    qsizetype index; // among the file's lines
    bool isDefault;
    DestName destination;
    QByteArray options;
};

struct OptionsFile {
    QList<QByteArray> lines; // as libcups reads them, without their line ends
    QList<DestLine> destLines;
};

// The text read with libcups's own readers of the file's lines, both over one copy of it: every line, then the
// Dest and Default lines among them (comments stripped) with their line numbers.
std::optional<OptionsFile> parse(const QByteArray& text)
{
    const int fd = ::memfd_create("lpoptions", MFD_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    cups_file_t* file = nullptr;
    if (::write(fd, text.constData(), size_t(text.size())) == text.size() && ::lseek(fd, 0, SEEK_SET) == 0)
        file = cupsFileOpenFd(fd, "r");
    if (!file) {
        ::close(fd);
        return std::nullopt;
    }
    OptionsFile parsed;
    std::array<char, line_length> line{};
    while (cupsFileGets(file, line.data(), line.size()))
        parsed.lines.append(QByteArray(line.data()));
    cupsFileRewind(file);
    char* value = nullptr;
    int number = 0;
    while (cupsFileGetConf(file, line.data(), line.size(), &value, &number)) {
        const bool isDefault = qstricmp(line.data(), "default") == 0;
        if (!value || (!isDefault && qstricmp(line.data(), "dest") != 0) || number > parsed.lines.size())
            continue;
        // The destination runs up to the first white space; its options follow.
        const QByteArray rest(value);
        qsizetype end = 0;
        while (end < rest.size() && !std::isspace(uchar(rest[end])))
            ++end;
        parsed.destLines.append({number - 1, isDefault, DestName(rest.left(end)), rest.mid(end)});
    }
    cupsFileClose(file);
    return parsed;
}

class OptionList {
public:
    OptionList() = default;
    ~OptionList() { cupsFreeOptions(m_count, m_options); }
    OptionList(const OptionList&) = delete;
    OptionList& operator=(const OptionList&) = delete;

    void parse(const QByteArray& text) { m_count = cupsParseOptions(text.constData(), m_count, &m_options); }
    void add(const QByteArray& name, const QByteArray& value)
    {
        m_count = cupsAddOption(name.constData(), value.constData(), m_count, &m_options);
    }
    void remove(const QByteArray& name) { m_count = cupsRemoveOption(name.constData(), m_count, &m_options); }
    bool isEmpty() const { return m_count == 0; }

    bool operator==(const OptionList& other) const
    {
        if (m_count != other.m_count)
            return false;
        for (int i = 0; i < m_count; ++i)
            if (qstrcmp(cupsGetOption(m_options[i].name, other.m_count, other.m_options), m_options[i].value) != 0)
                return false;
        return true;
    }

    // The options as libcups writes them: each as name=value, the value quoted where it holds a space, a quote or
    // a backslash, and a '#' escaped so that it is not read as a comment.
    QByteArray text() const
    {
        QByteArray text;
        for (int i = 0; i < m_count; ++i) {
            const QByteArray value(m_options[i].value);
            text += ' ';
            text += m_options[i].name;
            if (value.isEmpty())
                continue;
            const bool quoted = value.contains(' ') || value.contains('\\') || value.contains('"')
                || value.contains('\'');
            text += quoted ? "=\"" : "=";
            for (const char ch : value) {
                if (ch == '#' || (quoted && (ch == '"' || ch == '\'' || ch == '\\')))
                    text += '\\';
                text += ch;
            }
            if (quoted)
                text += '"';
        }
        return text;
    }

private:
    int m_count = 0;
    cups_option_t* m_options = nullptr;
};

QByteArray lineOf(bool isDefault, const DestName& destination, const OptionList& options)
{
    QByteArray line = isDefault ? "Default " : "Dest ";
    line += destination.queue;
    if (!destination.instance.isEmpty())
        line += '/' + destination.instance;
    return line + options.text();
}

// The line with its Default keyword made Dest (libcups reads the keyword after any white space).
QByteArray demoted(const QByteArray& line)
{
    qsizetype at = 0;
    while (at < line.size() && std::isspace(uchar(line[at])))
        ++at;
    return line.left(at) + "Dest" + line.mid(at + qsizetype(sizeof "Default") - 1);
}

// The file with the change: the target's lines lose the options named and its last line takes the new ones; with
// makeDefault that line becomes the Default line and every other Default line a Dest line. A line left naming
// nothing (no options, no instance, not the default) goes, as libcups writes none such. Every other line stays.
QByteArray changedText(const OptionsFile& file, const DestName& target, const Options& options,
                       const QList<QByteArray>& removed, bool makeDefault)
{
    QList<QByteArray> cleared = removed;
    for (const auto& [name, value] : options)
        cleared.append(name);
    qsizetype last = -1;
    for (const DestLine& line : file.destLines)
        if (line.destination == target)
            last = line.index;

    QList<std::optional<QByteArray>> lines(file.lines.begin(), file.lines.end());
    for (const DestLine& line : file.destLines) {
        if (!(line.destination == target)) {
            if (makeDefault && line.isDefault)
                lines[line.index] = line.options.trimmed().isEmpty() && line.destination.instance.isEmpty()
                    ? std::nullopt
                    : std::optional(demoted(file.lines[line.index]));
            continue;
        }
        OptionList before, after;
        before.parse(line.options);
        after.parse(line.options);
        for (const QByteArray& name : cleared)
            after.remove(name);
        const bool isLast = line.index == last;
        if (isLast)
            for (const auto& [name, value] : options)
                after.add(name, value);
        const bool isDefault = line.isDefault || (isLast && makeDefault);
        if (after == before && isDefault == line.isDefault)
            continue;
        if (after.isEmpty() && !isDefault && target.instance.isEmpty())
            lines[line.index] = std::nullopt;
        else
            lines[line.index] = lineOf(isDefault, target, after);
    }
    if (last < 0 && (makeDefault || !options.isEmpty() || !target.instance.isEmpty())) {
        OptionList added;
        for (const auto& [name, value] : options)
            added.add(name, value);
        // A queue's instances take the options of the queue's lines read before theirs.
        qsizetype at = lines.size();
        if (target.instance.isEmpty())
            for (const DestLine& line : file.destLines)
                if (!line.destination.instance.isEmpty()
                    && qstricmp(line.destination.queue.constData(), target.queue.constData()) == 0) {
                    at = line.index;
                    break;
                }
        lines.insert(at, lineOf(makeDefault, target, added));
    }

    QByteArray text;
    for (const auto& line : lines)
        if (line)
            text += *line + '\n';
    return text;
}

// libcups reads the change: the destination's options, and with makeDefault the destination as the default.
bool inEffect(http_t* http, const DestName& target, const Options& options, const QList<QByteArray>& removed,
              bool makeDefault)
{
    const DestPtr dest(makeDefault ? cupsGetNamedDest(http, nullptr, nullptr)
                                   : cupsGetNamedDest(http, target.queue.constData(), target.instanceOrNull()));
    if (!dest || !(DestName(nameOf(dest.get())) == target))
        return false;
    for (const auto& [name, value] : options)
        if (qstrcmp(cupsGetOption(name.constData(), dest->num_options, dest->options), value) != 0)
            return false;
    for (const QByteArray& name : removed)
        if (cupsGetOption(name.constData(), dest->num_options, dest->options))
            return false;
    return true;
}

struct FileText {
    bool exists = false;
    QByteArray text;
};

// The file's text; nullopt when it cannot be read, or cannot be written as libcups would (one the user made
// read-only stays so).
std::optional<FileText> readText(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return FileText{};
    QFile file(path);
    if (!info.isFile() || !info.isWritable() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    FileText read{true, file.readAll()};
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return read;
}

// Readers of the file see it whole, before or after.
bool writeText(const QString& path, const QByteArray& text)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit();
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

DestName::DestName(const QByteArray& spelled)
{
    const qsizetype slash = spelled.indexOf('/');
    queue = slash < 0 ? spelled : spelled.left(slash);
    if (slash >= 0)
        instance = spelled.mid(slash + 1);
}

bool DestName::operator==(const DestName& other) const
{
    return qstricmp(queue.constData(), other.queue.constData()) == 0
        && qstricmp(instance.constData(), other.instance.constData()) == 0;
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
    const QString path = userOptionsFile();
    if (!http || path.isEmpty())
        return false;
    // The folder as libcups makes it: the user's own.
    const QByteArray folder = QFile::encodeName(QFileInfo(path).path());
    if (::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(lock_wait_ms))
        return false;

    const auto before = readText(path);
    const auto parsed = before ? parse(before->text) : std::nullopt;
    if (!parsed)
        return false;
    const DestName target(name);
    const QByteArray after = changedText(*parsed, target, options, removed, makeDefault);
    const bool changed = after != before->text;
    if (changed && !writeText(path, after))
        return false;
    if (inEffect(http, target, options, removed, makeDefault))
        return true;
    if (changed) {
        if (before->exists)
            writeText(path, before->text);
        else
            QFile::remove(path);
    }
    return false;
}

} // namespace printer
