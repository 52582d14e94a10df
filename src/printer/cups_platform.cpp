#include "printer/cups_platform.h"

#include "printer/n_printer.h"

#include <cups/cups.h>

#include <QDeadlineTimer>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QSize>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>

// libcups's accessor for the calling thread's shared scheduler connection, the one its functions use when they
// are handed CUPS_HTTP_DEFAULT, as Qt's print support does. Exported by libcups, though not in its headers.
extern "C" http_t* _cupsConnect(void);

namespace printer {

namespace {

using c = n_printer;

// Status words of the printer record.
constexpr std::uint32_t status_paused = 0x1;
constexpr std::uint32_t status_printing = 0x400;
constexpr std::uint32_t status_not_available = 0x1000;

// Device-mode values of colour, duplex and collation.
constexpr std::uint16_t color_monochrome = 1;
constexpr std::uint16_t color_color = 2;
constexpr std::uint16_t duplex_simplex = 1;
constexpr std::uint16_t duplex_vertical = 2;
constexpr std::uint16_t duplex_horizontal = 3;
constexpr std::uint16_t collate_true = 1;

constexpr std::uint32_t document_fields = c::dm_orientation | c::dm_papersize | c::dm_paperlength | c::dm_paperwidth
    | c::dm_copies | c::dm_color | c::dm_duplex | c::dm_collate;

// printer-state-reasons keywords (without their -error/-warning/-report suffix) and their status bits.
struct ReasonBit {
    const char* keyword;
    std::uint32_t bit;
};
constexpr ReasonBit reason_bits[] = {
    {"paused", 0x1},           {"media-jam", 0x8},           {"media-empty", 0x10},
    {"media-needed", 0x10},    {"offline", 0x80},            {"output-area-full", 0x800},
    {"toner-low", 0x20000},    {"toner-empty", 0x40000},     {"door-open", 0x400000},
};

// The raw queue of CUPS (no driver) names itself so.
constexpr char raw_make_and_model[] = "Local Raw Printer";

// One operation of the printer object, all its requests together, waits this long at most for the scheduler.
constexpr int call_budget_ms = 3000;
// A wait looks at its budget this often.
constexpr int slice_ms = 200;
// While a dialog is open, each of its waits on the scheduler lasts this long at most.
constexpr double dialog_wait_s = 3.0;

// The time left to one operation. Every wait of a connection bound to it returns to onTimeout at least every
// slice, which ends the wait once the time is spent.
class Budget {
public:
    Budget()
        : m_deadline(call_budget_ms)
    {
    }
    bool spent() const { return m_deadline.hasExpired(); }
    int remainingMs() const { return int(m_deadline.remainingTime()); }
    // A wait lasts a slice at most, and no longer than what is left: 1 ms once the budget is spent.
    void bind(http_t* http) { httpSetTimeout(http, std::clamp(remainingMs(), 1, slice_ms) / 1000.0, &onTimeout, this); }

private:
    static int onTimeout(http_t* http, void* data)
    {
        auto* self = static_cast<Budget*>(data);
        self->bind(http); // the last slice ends with the budget
        return self->spent() ? 0 : 1;
    }

    QDeadlineTimer m_deadline;
};

struct DestDeleter {
    void operator()(cups_dest_t* dest) const { cupsFreeDests(1, dest); }
};
using DestPtr = std::unique_ptr<cups_dest_t, DestDeleter>;

struct InfoDeleter {
    void operator()(cups_dinfo_t* info) const { cupsFreeDestInfo(info); }
};
using InfoPtr = std::unique_ptr<cups_dinfo_t, InfoDeleter>;

struct IppDeleter {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using IppPtr = std::unique_ptr<ipp_t, IppDeleter>;

// Every destination with the user's options, as cupsGetDests2 gives them.
struct DestList {
    int count = 0;
    cups_dest_t* dests = nullptr;
    explicit DestList(http_t* http) { count = cupsGetDests2(http, &dests); }
    ~DestList() { cupsFreeDests(count, dests); }
    DestList(const DestList&) = delete;
    DestList& operator=(const DestList&) = delete;
};

QString option(const cups_dest_t* dest, const char* name)
{
    return QString::fromUtf8(cupsGetOption(name, dest->num_options, dest->options));
}

bool isClass(const cups_dest_t* dest)
{
    return option(dest, "printer-type").toUInt() & CUPS_PRINTER_CLASS;
}

// Queue names are case-insensitive in CUPS.
bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The default that the environment sets for the user's programs (as libcups reads it): LPDEST, or PRINTER
// unless it is "lp".
QString defaultFromEnvironment()
{
    if (qEnvironmentVariableIsSet("LPDEST"))
        return qEnvironmentVariable("LPDEST");
    const QString printer = qEnvironmentVariable("PRINTER");
    return printer == QLatin1String("lp") ? QString() : printer;
}

DestPtr namedDest(http_t* http, const QString& name)
{
    // A null name would ask for the default printer.
    if (!http || name.isEmpty())
        return nullptr;
    return DestPtr(cupsGetNamedDest(http, name.toUtf8().constData(), nullptr));
}

std::uint32_t statusOf(const cups_dest_t* dest)
{
    std::uint32_t status = 0;
    const int state = option(dest, "printer-state").toInt();
    if (state == IPP_PSTATE_STOPPED)
        status |= status_paused;
    else if (state == IPP_PSTATE_PROCESSING)
        status |= status_printing;
    // A queue that rejects jobs takes none until it accepts again.
    if (option(dest, "printer-is-accepting-jobs") == QLatin1String("false"))
        status |= status_not_available;
    const QStringList reasons = option(dest, "printer-state-reasons").split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (QString reason : reasons) {
        for (const char* suffix : {"-error", "-warning", "-report"})
            if (reason.endsWith(QLatin1String(suffix)))
                reason.chop(qsizetype(std::strlen(suffix)));
        for (const ReasonBit& entry : reason_bits)
            if (reason == QLatin1String(entry.keyword))
                status |= entry.bit;
    }
    return status;
}

std::uint32_t attributesOf(const cups_dest_t* dest, bool isDefault)
{
    std::uint32_t attributes = 0;
    const uint type = option(dest, "printer-type").toUInt();
    attributes |= (type & CUPS_PRINTER_REMOTE) ? c::printer_attribute_network : c::printer_attribute_local;
    if (option(dest, "printer-is-shared") == QLatin1String("true"))
        attributes |= c::printer_attribute_shared;
    if (option(dest, "printer-make-and-model") == QLatin1String(raw_make_and_model))
        attributes |= c::printer_attribute_raw_only;
    if (isDefault)
        attributes |= c::printer_attribute_default;
    return attributes;
}

// Where a queue's papers and job settings come from: the printer itself, or for a class every member (a job sent
// to a class may print on any of them).
class Sources {
public:
    static std::optional<Sources> of(http_t* http, cups_dest_t* dest)
    {
        Sources sources;
        if (!isClass(dest)) {
            if (!sources.add(http, dest))
                return std::nullopt;
            return sources;
        }
        const auto members = memberNames(http, dest);
        if (!members || members->isEmpty())
            return std::nullopt;
        for (const QString& member : *members) {
            DestPtr memberDest = namedDest(http, member);
            if (!memberDest || !sources.add(http, memberDest.get()))
                return std::nullopt;
            sources.m_owned.push_back(std::move(memberDest));
        }
        return sources;
    }

    struct Source {
        cups_dest_t* dest;
        InfoPtr info;
    };
    const std::vector<Source>& list() const { return m_list; }

    // The value a job takes when the queue's own options do not set it: the first source's default.
    QString defaultOf(http_t* http, const char* name) const
    {
        const Source& first = m_list.front();
        ipp_attribute_t* attr = cupsFindDestDefault(http, first.dest, first.info.get(), name);
        if (!attr)
            return QString();
        char text[IPP_MAX_NAME * 4];
        ippAttributeString(attr, text, sizeof text);
        return QString::fromUtf8(text);
    }

    bool supports(http_t* http, const char* name, const QString& value) const
    {
        const QByteArray utf8 = value.toUtf8();
        return std::all_of(m_list.begin(), m_list.end(), [&](const Source& source) {
            return cupsCheckDestSupported(http, source.dest, source.info.get(), name, utf8.constData()) != 0;
        });
    }

private:
    bool add(http_t* http, cups_dest_t* dest)
    {
        InfoPtr info(cupsCopyDestInfo(http, dest));
        if (!info)
            return false;
        m_list.push_back({dest, std::move(info)});
        return true;
    }

    static std::optional<QStringList> memberNames(http_t* http, const cups_dest_t* dest)
    {
        ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                     cupsGetOption("printer-uri-supported", dest->num_options, dest->options));
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr, "member-names");
        const IppPtr response(cupsDoRequest(http, request, "/"));
        if (!response || cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE)
            return std::nullopt;
        QStringList names;
        ipp_attribute_t* attr = ippFindAttribute(response.get(), "member-names", IPP_TAG_NAME);
        for (int i = 0; attr && i < ippGetCount(attr); ++i)
            names.append(QString::fromUtf8(ippGetString(attr, i, nullptr)));
        return names;
    }

    std::vector<DestPtr> m_owned;
    std::vector<Source> m_list;
};

// The value of an option for a queue: the user's or the queue's own, else the default its sources give.
QString effective(http_t* http, const cups_dest_t* dest, const Sources& sources, const char* name)
{
    const QString own = option(dest, name);
    return own.isEmpty() ? sources.defaultOf(http, name) : own;
}

struct MediaList {
    QStringList names; // named sizes every source lists, in the first one's order; custom ranges left out
    std::optional<QSize> customMin; // in hundredths of a millimetre
    std::optional<QSize> customMax;
};

MediaList mediaOf(http_t* http, const Sources& sources)
{
    MediaList list;
    bool first = true;
    for (const Sources::Source& source : sources.list()) {
        QStringList names;
        std::optional<QSize> customMin, customMax;
        ipp_attribute_t* attr = cupsFindDestSupported(http, source.dest, source.info.get(), "media");
        for (int i = 0; attr && i < ippGetCount(attr); ++i) {
            const char* name = ippGetString(attr, i, nullptr);
            if (!name)
                continue;
            const bool isMin = std::strncmp(name, "custom_min_", 11) == 0;
            if (isMin || std::strncmp(name, "custom_max_", 11) == 0) {
                if (const pwg_media_t* limit = pwgMediaForPWG(name))
                    (isMin ? customMin : customMax) = QSize(limit->width, limit->length);
                continue;
            }
            names.append(QString::fromUtf8(name));
        }
        if (first) {
            list.names = names;
            list.customMin = customMin;
            list.customMax = customMax;
            first = false;
            continue;
        }
        list.names.removeIf([&names](const QString& name) { return !names.contains(name); });
        if (!customMin || !customMax || !list.customMin || !list.customMax) {
            list.customMin.reset();
            list.customMax.reset();
        } else {
            list.customMin = list.customMin->expandedTo(*customMin);
            list.customMax = list.customMax->boundedTo(*customMax);
        }
    }
    return list;
}

// The listed name of a paper: a numbered paper by its number, a paper without a number (256) by its size, else
// a size within the custom range; empty when the queue takes no such paper.
QString mediaNameFor(const DevMode& devMode, const MediaList& media)
{
    for (const QString& name : media.names) {
        const auto paper = paperOfMedia(name);
        if (paper && paper->number == devMode.dmPaperSize
            && (devMode.dmPaperSize != c::dmpaper_user
                || (paper->width == devMode.dmPaperWidth && paper->length == devMode.dmPaperLength)))
            return name;
    }
    if (devMode.dmPaperSize != c::dmpaper_user || !media.customMin || !media.customMax)
        return QString();
    const QSize size(devMode.dmPaperWidth * 10, devMode.dmPaperLength * 10); // hundredths of a millimetre
    if (size.width() < media.customMin->width() || size.height() < media.customMin->height()
        || size.width() > media.customMax->width() || size.height() > media.customMax->height())
        return QString();
    char name[IPP_MAX_NAME];
    if (!pwgFormatSizeName(name, sizeof name, "custom", nullptr, size.width(), size.height(), nullptr))
        return QString();
    return QString::fromUtf8(name);
}

// The media option with its size replaced and its source or type keywords kept.
QString withSize(const QString& mediaOption, const QString& size)
{
    QStringList keywords = mediaOption.split(QLatin1Char(','), Qt::SkipEmptyParts);
    const auto at = std::find_if(keywords.begin(), keywords.end(),
                                 [](const QString& keyword) { return paperOfMedia(keyword).has_value(); });
    if (at == keywords.end())
        keywords.prepend(size);
    else
        *at = size;
    return keywords.join(QLatin1Char(','));
}

// Device-mode values and the IPP keywords that store them.
struct Keyword {
    std::uint16_t value;
    const char* keyword;
};
constexpr Keyword color_modes[] = {{color_monochrome, "monochrome"}, {color_color, "color"}};
constexpr Keyword sides[] = {
    {duplex_simplex, "one-sided"}, {duplex_vertical, "two-sided-long-edge"}, {duplex_horizontal, "two-sided-short-edge"}};
constexpr Keyword collations[] = {
    {0, "separate-documents-uncollated-copies"}, {collate_true, "separate-documents-collated-copies"}};

template <std::size_t N>
std::uint16_t valueOf(const Keyword (&table)[N], const QString& keyword, std::uint16_t otherwise)
{
    for (const Keyword& entry : table)
        if (keyword == QLatin1String(entry.keyword))
            return entry.value;
    return otherwise;
}

template <std::size_t N>
QString keywordOf(const Keyword (&table)[N], std::uint16_t value)
{
    for (const Keyword& entry : table)
        if (entry.value == value)
            return QString::fromLatin1(entry.keyword);
    return QString();
}

// The printer's document defaults: the user's options for it over the queue's own defaults; nullopt for a queue
// without a paper of its own (a raw queue, a class without members).
std::optional<DevMode> devModeOf(http_t* http, const cups_dest_t* dest, const Sources& sources)
{
    const auto paper = paperOfMediaOption(effective(http, dest, sources, "media"));
    if (!paper)
        return std::nullopt;
    const int orientation = effective(http, dest, sources, "orientation-requested").toInt();
    const int copies = effective(http, dest, sources, "copies").toInt();

    DevMode devMode;
    devMode.dmDeviceName = QString::fromUtf8(dest->name);
    devMode.dmFields = document_fields;
    devMode.dmOrientation = orientation == IPP_ORIENT_LANDSCAPE || orientation == IPP_ORIENT_REVERSE_LANDSCAPE
        ? c::dmorient_landscape
        : c::dmorient_portrait;
    devMode.dmPaperSize = paper->number;
    devMode.dmPaperWidth = paper->width;
    devMode.dmPaperLength = paper->length;
    devMode.dmCopies = std::uint16_t(std::clamp(copies, 1, 9999));
    devMode.dmColor = valueOf(color_modes, effective(http, dest, sources, "print-color-mode"), color_monochrome);
    devMode.dmDuplex = valueOf(sides, effective(http, dest, sources, "sides"), duplex_simplex);
    devMode.dmCollate = valueOf(collations, effective(http, dest, sources, "multiple-document-handling"), 0);
    return devMode;
}

class CupsHandle : public PrinterHandle {
public:
    explicit CupsHandle(DestPtr dest)
        : m_dest(std::move(dest))
    {
    }
    // The queue's own name, as the scheduler spells it.
    QString name() const override { return QString::fromUtf8(m_dest->name); }
    cups_dest_t* dest() const { return m_dest.get(); }
    // Looked up once per handle.
    const Sources* sources(http_t* http)
    {
        if (!m_sources && http)
            m_sources = Sources::of(http, m_dest.get());
        return m_sources ? &*m_sources : nullptr;
    }

private:
    DestPtr m_dest;
    std::optional<Sources> m_sources;
};

// Stores options as the user's own for a queue, the way the lpoptions tool does: every destination with the
// user's options as libcups reads them, the change, and libcups writes them all back.
bool storeUserOptions(http_t* http, const QString& name, const QList<QPair<QByteArray, QByteArray>>& options,
                      bool makeDefault)
{
    const DestList all(http);
    cups_dest_t* dest = cupsGetDest(name.toUtf8().constData(), nullptr, all.count, all.dests);
    if (!dest)
        return false;
    for (const auto& [optionName, value] : options)
        dest->num_options = cupsAddOption(optionName.constData(), value.constData(), dest->num_options, &dest->options);
    if (makeDefault)
        for (int i = 0; i < all.count; ++i)
            all.dests[i].is_default = &all.dests[i] == dest;
    return cupsSetDests2(http, all.count, all.dests) == 0;
}

// Closes libcups's shared connection of this thread; the next request opens a new one to the same server.
// A connection whose wait was cut short may still get the answer it waited for, and one bound to a budget must
// not outlive it.
void dropSharedConnection()
{
    const QByteArray server = cupsServer();
    cupsSetServer(server.constData());
}

// While a dialog is open, each wait of libcups's shared connection (Qt's print support uses it) ends after a
// bound; the connection is dropped when the dialog closes.
class DialogWaits {
public:
    DialogWaits()
    {
        if (http_t* http = _cupsConnect())
            httpSetTimeout(http, dialog_wait_s, &endWait, nullptr);
    }
    ~DialogWaits() { dropSharedConnection(); }
    DialogWaits(const DialogWaits&) = delete;
    DialogWaits& operator=(const DialogWaits&) = delete;

private:
    static int endWait(http_t*, void*) { return 0; }
};

// Qt keeps a user size in whole points; a size within a point of the one the dialog started from is that
// size, in its own tenths of a millimetre.
bool samePaperInPoints(std::uint16_t tenthsMm, double mm)
{
    constexpr double points_per_mm = 72.0 / 25.4;
    return std::abs(tenthsMm / 10.0 - mm) * points_per_mm < 1.0;
}

constexpr QPrinter::DuplexMode duplex_modes[] = {QPrinter::DuplexNone, QPrinter::DuplexLongSide,
                                                 QPrinter::DuplexShortSide};

// The dialog's printer starts from the printer's stored settings, so that OK without a change writes back what
// was there (Qt on its own starts from its own paper, orientation, copies and modes).
void startFrom(QPrinter& printer, const DevMode& devMode)
{
    const QPageSize::PageSizeId id =
        devMode.dmPaperSize == c::dmpaper_user ? QPageSize::Custom : QPageSize::id(int(devMode.dmPaperSize));
    const QPageSize size = id != QPageSize::Custom
        ? QPageSize(id)
        : QPageSize(QSizeF(devMode.dmPaperWidth / 10.0, devMode.dmPaperLength / 10.0), QPageSize::Millimeter,
                    QString(), QPageSize::FuzzyMatch);
    if (size.isValid())
        printer.setPageSize(size);
    printer.setPageOrientation(devMode.dmOrientation == c::dmorient_landscape ? QPageLayout::Landscape
                                                                              : QPageLayout::Portrait);
    printer.setCopyCount(devMode.dmCopies);
    printer.setCollateCopies(devMode.dmCollate == collate_true);
    printer.setColorMode(devMode.dmColor == color_color ? QPrinter::Color : QPrinter::GrayScale);
    if (devMode.dmDuplex >= duplex_simplex && devMode.dmDuplex <= duplex_horizontal)
        printer.setDuplex(duplex_modes[devMode.dmDuplex - duplex_simplex]);
}

// Shows a dialog, each of its waits on the scheduler bounded; true on OK.
bool runDialog(QDialog& dialog)
{
    const DialogWaits whileOpen;
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

struct CupsPlatform::Call {
    Budget budget;
    ~Call() { dropSharedConnection(); }
};

CupsPlatform::CupsPlatform() = default;
CupsPlatform::~CupsPlatform() = default;

void CupsPlatform::beginCall()
{
    if (m_depth++ == 0)
        m_call = std::make_unique<Call>();
}

void CupsPlatform::endCall()
{
    if (--m_depth == 0)
        m_call.reset();
}

bool CupsPlatform::timeSpent() const
{
    return !m_call || m_call->budget.spent();
}

http_t* CupsPlatform::connection()
{
    if (timeSpent())
        return nullptr; // no new request once the time is spent
    // libcups's own connection of this thread: where libcups falls back on it (a named queue it does not find
    // makes it look for one on the network), its requests share the budget too.
    http_t* http = _cupsConnect();
    if (http)
        m_call->budget.bind(http);
    return http;
}

QString CupsPlatform::defaultPrinterName()
{
    const PlatformCall call(*this);
    http_t* http = connection();
    if (!http)
        return QString();
    const DestPtr dest(cupsGetNamedDest(http, nullptr, nullptr));
    return dest ? QString::fromUtf8(dest->name) : QString();
}

std::optional<QStringList> CupsPlatform::enumPrinterNames()
{
    // One request for the names alone.
    const PlatformCall call(*this);
    http_t* http = connection();
    if (!http)
        return std::nullopt;
    ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr, "printer-name");
    const IppPtr response(cupsDoRequest(http, request, "/"));
    // A scheduler without queues answers "not found".
    if (!response || (cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE && cupsLastError() != IPP_STATUS_ERROR_NOT_FOUND))
        return std::nullopt;
    QStringList names;
    for (ipp_attribute_t* attr = ippFirstAttribute(response.get()); attr; attr = ippNextAttribute(response.get()))
        if (ippGetGroupTag(attr) == IPP_TAG_PRINTER && ippGetValueTag(attr) == IPP_TAG_NAME
            && std::strcmp(ippGetName(attr), "printer-name") == 0)
            names.append(QString::fromUtf8(ippGetString(attr, 0, nullptr)));
    return names;
}

std::unique_ptr<PrinterHandle> CupsPlatform::openPrinter(const QString& printerName)
{
    const PlatformCall call(*this);
    DestPtr dest = namedDest(connection(), printerName);
    if (!dest)
        return nullptr;
    return std::make_unique<CupsHandle>(std::move(dest));
}

std::optional<PrinterInfo2> CupsPlatform::getPrinter(PrinterHandle& printer)
{
    const PlatformCall call(*this);
    const cups_dest_t* dest = static_cast<CupsHandle&>(printer).dest();
    if (!connection())
        return std::nullopt;
    PrinterInfo2 info;
    info.printerName = printer.name();
    info.driverName = option(dest, "printer-make-and-model");
    info.portName = option(dest, "device-uri");
    info.comment = option(dest, "printer-info");
    info.location = option(dest, "printer-location");
    info.attributes = attributesOf(dest, sameName(defaultPrinterName(), printer.name()));
    info.status = statusOf(dest);
    if (timeSpent())
        return std::nullopt; // the default could not be asked for
    return info;
}

SetPrinterResult CupsPlatform::setPrinter(PrinterHandle& printer, const PrinterInfo2& info)
{
    const PlatformCall call(*this);
    if (!(info.attributes & c::printer_attribute_default))
        return SetPrinterResult::done;
    // The user's programs take the environment's default over the stored one.
    const QString environment = defaultFromEnvironment();
    if (!environment.isEmpty() && !sameName(environment, printer.name()))
        return SetPrinterResult::overridden;
    http_t* http = connection();
    if (!http || !storeUserOptions(http, printer.name(), {}, true))
        return SetPrinterResult::refused;
    return SetPrinterResult::done;
}

std::optional<std::vector<std::uint16_t>> CupsPlatform::deviceCapabilitiesPapers(const QString& device,
                                                                               const QString& /*port*/)
{
    const PlatformCall call(*this);
    http_t* http = connection();
    const DestPtr dest = namedDest(http, device);
    if (!dest)
        return std::nullopt;
    const auto sources = Sources::of(http, dest.get());
    if (!sources)
        return std::nullopt;
    const MediaList media = mediaOf(http, *sources);
    std::vector<std::uint16_t> papers;
    auto add = [&papers](std::uint16_t number) {
        if (std::find(papers.begin(), papers.end(), number) == papers.end())
            papers.push_back(number);
    };
    for (const QString& name : media.names)
        if (const auto paper = paperOfMedia(name))
            add(paper->number);
    if (media.customMin && media.customMax)
        add(c::dmpaper_user);
    return papers;
}

std::optional<DevMode> CupsPlatform::documentPropertiesOut(PrinterHandle& printer)
{
    const PlatformCall call(*this);
    auto& handle = static_cast<CupsHandle&>(printer);
    http_t* http = connection();
    const Sources* sources = handle.sources(http);
    if (!sources)
        return std::nullopt;
    auto devMode = devModeOf(http, handle.dest(), *sources);
    if (timeSpent())
        return std::nullopt; // defaults cut short are no defaults
    return devMode;
}

long CupsPlatform::documentPropertiesStore(PrinterHandle& printer, const DevMode& devMode)
{
    const PlatformCall call(*this);
    auto& handle = static_cast<CupsHandle&>(printer);
    http_t* http = connection();
    const Sources* sources = handle.sources(http);
    if (!sources)
        return -1;
    const cups_dest_t* dest = handle.dest();
    const auto current = devModeOf(http, dest, *sources);

    // Each field named is stored where it differs from what the queue has now. A paper or orientation the queue
    // does not take refuses the whole record; a job value it does not take (colour on a grey printer) it does not
    // offer, and it is left out.
    QList<QPair<QByteArray, QByteArray>> options;
    auto change = [&](std::uint32_t field, std::uint16_t DevMode::*member, const char* name, const QString& value) {
        if (!(devMode.dmFields & field) || (current && (*current).*member == devMode.*member))
            return true;
        if (value.isEmpty() || !sources->supports(http, name, value))
            return false;
        options.append({name, value.toUtf8()});
        return true;
    };
    auto offer = [&](std::uint32_t field, std::uint16_t DevMode::*member, const char* name, const QString& value) {
        change(field, member, name, value);
        return true;
    };
    const bool samePaper = current && current->dmPaperSize == devMode.dmPaperSize
        && current->dmPaperWidth == devMode.dmPaperWidth && current->dmPaperLength == devMode.dmPaperLength;
    if ((devMode.dmFields & c::dm_papersize) && !samePaper) {
        const QString name = mediaNameFor(devMode, mediaOf(http, *sources));
        if (name.isEmpty())
            return -1;
        options.append({"media", withSize(option(dest, "media"), name).toUtf8()});
    }
    const QString orientation = devMode.dmOrientation == c::dmorient_landscape ? QString::number(IPP_ORIENT_LANDSCAPE)
        : devMode.dmOrientation == c::dmorient_portrait                         ? QString::number(IPP_ORIENT_PORTRAIT)
                                                                                : QString();
    const bool accepted = change(c::dm_orientation, &DevMode::dmOrientation, "orientation-requested", orientation)
        && offer(c::dm_copies, &DevMode::dmCopies, "copies", QString::number(devMode.dmCopies))
        && offer(c::dm_color, &DevMode::dmColor, "print-color-mode", keywordOf(color_modes, devMode.dmColor))
        && offer(c::dm_duplex, &DevMode::dmDuplex, "sides", keywordOf(sides, devMode.dmDuplex))
        && offer(c::dm_collate, &DevMode::dmCollate, "multiple-document-handling",
                 keywordOf(collations, devMode.dmCollate));
    if (!accepted || timeSpent())
        return -1;
    if (options.isEmpty())
        return 1;
    return storeUserOptions(http, printer.name(), options, false) ? 1 : -1;
}

bool CupsPlatform::createDC(const QString& device)
{
    const PlatformCall call(*this);
    return namedDest(connection(), device) != nullptr;
}

QString CupsPlatform::profileString(const QString& section, const QString& key, const QString& defaultText)
{
    if (section.compare(QLatin1String("windows"), Qt::CaseInsensitive) != 0
        || key.compare(QLatin1String("device"), Qt::CaseInsensitive) != 0)
        return defaultText;
    const PlatformCall call(*this);
    http_t* http = connection();
    if (!http)
        return defaultText;
    const DestPtr dest(cupsGetNamedDest(http, nullptr, nullptr));
    if (!dest)
        return defaultText;
    return QString::fromUtf8(dest->name) + QLatin1Char(',') + option(dest.get(), "printer-make-and-model")
        + QLatin1Char(',') + option(dest.get(), "device-uri");
}

std::unique_ptr<QPrinter> CupsPlatform::setUpDialog(std::optional<DevMode>& started,
                                                    const std::function<void(QPrinter&)>& makeDialog)
{
    const PlatformCall call(*this);
    // Nothing is shown against a scheduler that does not answer.
    http_t* http = connection();
    if (!http)
        return nullptr;
    QString defaultName;
    std::optional<DevMode> stored;
    if (const DestPtr dest{cupsGetNamedDest(http, nullptr, nullptr)}) {
        defaultName = QString::fromUtf8(dest->name);
        if (const auto handle = openPrinter(defaultName))
            stored = documentPropertiesOut(*handle);
    } else if (cupsLastError() != IPP_STATUS_ERROR_NOT_FOUND) {
        return nullptr;
    }
    if (timeSpent())
        return nullptr;

    // Qt's print support asks libcups on the same connection, still within the budget; once it is spent, every
    // further request would still wait a second for the scheduler to take it, so the set-up stops there.
    auto printer = std::make_unique<QPrinter>();
    if (timeSpent())
        return nullptr;
    if (stored && sameName(printer->printerName(), defaultName)) {
        startFrom(*printer, *stored);
        started = stored;
    }
    makeDialog(*printer);
    if (timeSpent())
        return nullptr;
    return printer;
}

void CupsPlatform::takeChoice(QPrinter& printer, const std::optional<DevMode>& started,
                              std::optional<DevMode>& devMode, std::optional<QByteArray>& devNames)
{
    const QString name = printer.printerName();
    if (name.isEmpty())
        return; // a file output is no printer
    const QPageLayout layout = printer.pageLayout();
    const QPageSize size = layout.pageSize();
    const QSizeF mm = size.size(QPageSize::Millimeter);
    const bool sameStart = started && sameName(started->dmDeviceName, name);
    DevMode chosen;
    chosen.dmDeviceName = name;
    chosen.dmFields = document_fields;
    chosen.dmOrientation = layout.orientation() == QPageLayout::Landscape ? c::dmorient_landscape : c::dmorient_portrait;
    const int number = size.id() == QPageSize::Custom ? 0 : size.windowsId();
    chosen.dmPaperSize = number > 0 && number < c::dmpaper_user ? std::uint16_t(number) : c::dmpaper_user;
    chosen.dmPaperWidth = std::uint16_t(std::lround(mm.width() * 10));
    chosen.dmPaperLength = std::uint16_t(std::lround(mm.height() * 10));
    if (chosen.dmPaperSize == c::dmpaper_user && sameStart && started->dmPaperSize == c::dmpaper_user
        && samePaperInPoints(started->dmPaperWidth, mm.width())
        && samePaperInPoints(started->dmPaperLength, mm.height())) {
        chosen.dmPaperWidth = started->dmPaperWidth;
        chosen.dmPaperLength = started->dmPaperLength;
    }
    chosen.dmCopies = std::uint16_t(std::clamp(printer.copyCount(), 1, 9999));
    chosen.dmCollate = printer.collateCopies() ? collate_true : 0;
    // Qt's dialog offers colour for a printer only among the driver's own options and leaves colorMode() at the
    // device's default: the colour stays what the printer had.
    chosen.dmColor = sameStart ? started->dmColor : 0;
    chosen.dmDuplex = printer.duplex() == QPrinter::DuplexShortSide ? duplex_horizontal
        : printer.duplex() == QPrinter::DuplexNone                 ? duplex_simplex
                                                                   : duplex_vertical;
    devMode = chosen;

    const PlatformCall call(*this);
    QString driver;
    QString port;
    if (const auto handle = openPrinter(name))
        if (const auto info = getPrinter(*handle)) {
            driver = info->driverName;
            port = info->portName;
        }
    devNames = makeDevNames(driver, name, port, sameName(name, defaultPrinterName()));
}

QByteArray makeDevNames(const QString& driver, const QString& device, const QString& output, bool isDefault)
{
    const QByteArray texts[] = {driver.toUtf8(), device.toUtf8(), output.toUtf8()};
    QByteArray block(8, '\0');
    quint16 offset = 8;
    for (int i = 0; i < 3; ++i) {
        qToLittleEndian<quint16>(offset, block.data() + 2 * i);
        offset = quint16(offset + texts[i].size() + 1);
    }
    qToLittleEndian<quint16>(isDefault ? 1 : 0, block.data() + 6);
    for (const QByteArray& text : texts)
        block += text + '\0';
    return block;
}

std::optional<Paper> paperOfMedia(const QString& media)
{
    if (media.isEmpty())
        return std::nullopt;
    const QByteArray name = media.toUtf8();
    const pwg_media_t* pwg = pwgMediaForPWG(name.constData());
    if (!pwg)
        pwg = pwgMediaForLegacy(name.constData());
    if (!pwg)
        pwg = pwgMediaForPPD(name.constData());
    if (!pwg || pwg->width <= 0 || pwg->length <= 0)
        return std::nullopt;
    Paper paper;
    paper.width = std::uint16_t((pwg->width + 5) / 10); // hundredths to tenths of a millimetre
    paper.length = std::uint16_t((pwg->length + 5) / 10);
    paper.number = c::dmpaper_user;
    if (!media.startsWith(QLatin1String("custom_"))) {
        const QPageSize::PageSizeId id = QPageSize::id(QSizeF(pwg->width / 100.0, pwg->length / 100.0),
                                                       QPageSize::Millimeter, QPageSize::FuzzyMatch);
        const int number = id == QPageSize::Custom ? 0 : QPageSize::windowsId(id);
        if (number > 0 && number < c::dmpaper_user)
            paper.number = std::uint16_t(number);
    }
    return paper;
}

std::optional<Paper> paperOfMediaOption(const QString& option)
{
    for (const QString& keyword : option.split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (const auto paper = paperOfMedia(keyword))
            return paper;
    return std::nullopt;
}

bool CupsPlatform::printDlg(PrintDlg& record)
{
    std::unique_ptr<QPrinter> printer;
    std::unique_ptr<QPrintDialog> dialog;
    std::optional<DevMode> started;
    printer = setUpDialog(started, [&](QPrinter& made) {
        dialog = std::make_unique<QPrintDialog>(&made, record.hwndOwner);
        if (record.flags & c::pd_noselection)
            dialog->setOption(QAbstractPrintDialog::PrintSelection, false);
        if (record.flags & c::pd_nopagenums) {
            dialog->setOption(QAbstractPrintDialog::PrintPageRange, false);
            dialog->setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        }
        if (record.flags & c::pd_disableprinttofile)
            dialog->setOption(QAbstractPrintDialog::PrintToFile, false);
    });
    if (!printer || !runDialog(*dialog))
        return false;
    takeChoice(*printer, started, record.hDevMode, record.hDevNames);
    return true;
}

bool CupsPlatform::pageSetupDlg(PageSetupDlg& record)
{
    std::unique_ptr<QPrinter> printer;
    std::unique_ptr<QPageSetupDialog> dialog;
    std::optional<DevMode> started;
    printer = setUpDialog(started, [&](QPrinter& made) {
        dialog = std::make_unique<QPageSetupDialog>(&made, record.hwndOwner);
    });
    if (!printer || !runDialog(*dialog))
        return false;
    takeChoice(*printer, started, record.hDevMode, record.hDevNames);
    QMarginsF margins;
    if (record.flags & c::psd_inhundredthsofmillimeters)
        margins = printer->pageLayout().margins(QPageLayout::Millimeter) * 100.0;
    else if (record.flags & c::psd_inthousandthsofinches)
        margins = printer->pageLayout().margins(QPageLayout::Inch) * 1000.0;
    record.rtMargin.left = std::int32_t(std::lround(margins.left()));
    record.rtMargin.top = std::int32_t(std::lround(margins.top()));
    record.rtMargin.right = std::int32_t(std::lround(margins.right()));
    record.rtMargin.bottom = std::int32_t(std::lround(margins.bottom()));
    return true;
}

Platform& systemPlatform()
{
    static CupsPlatform platform;
    return platform;
}

} // namespace printer
