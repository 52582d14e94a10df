#include "printer/cups_platform.h"

#include "printer/cups_budget.h"
#include "printer/cups_dests.h"
#include "printer/cups_devmode.h"
#include "printer/cups_media.h"
#include "printer/n_printer.h"

#include <cups/cups.h>

#include <QSize>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace printer {

namespace {

using c = n_printer;
using namespace devmode;

// Status words of the printer record.
constexpr std::uint32_t status_paused = 0x1;
constexpr std::uint32_t status_printing = 0x400;
constexpr std::uint32_t status_not_available = 0x1000;

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

// The spellings that CUPS applies over the IPP option of the same choice: a change of that choice takes them out,
// so that what is stored is what CUPS applies.
const QList<QByteArray> paper_spellings{"PageSize", "PageRegion"};
const QList<QByteArray> orientation_spellings{"landscape"};
const QList<QByteArray> duplex_spellings{"Duplex"};

struct InfoDeleter {
    void operator()(cups_dinfo_t* info) const { cupsFreeDestInfo(info); }
};
using InfoPtr = std::unique_ptr<cups_dinfo_t, InfoDeleter>;

struct IppDeleter {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using IppPtr = std::unique_ptr<ipp_t, IppDeleter>;

// The scheduler answers a request for its own default printer (having one or not).
bool schedulerAnswers(http_t* http)
{
    ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_DEFAULT);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr, "printer-name");
    const IppPtr response(cupsDoRequest(http, request, "/"));
    return response
        && (cupsLastError() <= IPP_STATUS_OK_EVENTS_COMPLETE || cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND);
}

bool isClass(const cups_dest_t* dest)
{
    return option(dest, "printer-type").toUInt() & CUPS_PRINTER_CLASS;
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

// The printer's document defaults: the user's options for it over the queue's own defaults, read as CUPS applies
// them; nullopt for a queue without a paper of its own (a raw queue, a class without members).
std::optional<DevMode> devModeOf(http_t* http, const cups_dest_t* dest, const Sources& sources, Ppd* ppd)
{
    std::optional<Paper> paper;
    std::optional<QString> sidesApplied;
    if (ppd) {
        const Ppd::Applied applied = ppd->applied(dest);
        paper = applied.paper;
        sidesApplied = applied.sides;
    } else {
        // A media option that names no size (a tray alone) leaves the queue's own size.
        QString media = option(dest, "media");
        if (sizeKeyword(media).isEmpty())
            media = sources.defaultOf(http, "media");
        paper = paperOfMediaOption(media);
    }
    if (!paper)
        return std::nullopt;
    bool landscape = false;
    if (const auto spelled = landscapeOption(dest)) {
        landscape = *spelled;
    } else {
        const int orientation = effective(http, dest, sources, "orientation-requested").toInt();
        landscape = orientation == IPP_ORIENT_LANDSCAPE || orientation == IPP_ORIENT_REVERSE_LANDSCAPE;
    }
    const int copies = effective(http, dest, sources, "copies").toInt();

    DevMode devMode;
    devMode.dmDeviceName = nameOf(dest);
    devMode.dmFields = document_fields;
    devMode.dmOrientation = landscape ? c::dmorient_landscape : c::dmorient_portrait;
    devMode.dmPaperSize = paper->number;
    devMode.dmPaperWidth = paper->width;
    devMode.dmPaperLength = paper->length;
    devMode.dmCopies = std::uint16_t(std::clamp(copies, 1, 9999));
    devMode.dmColor = valueOf(color_modes, effective(http, dest, sources, "print-color-mode"), color_monochrome);
    devMode.dmDuplex = valueOf(sides, sidesApplied ? *sidesApplied : effective(http, dest, sources, "sides"),
                               duplex_simplex);
    devMode.dmCollate = valueOf(collations, effective(http, dest, sources, "multiple-document-handling"), 0);
    return devMode;
}

class CupsHandle : public PrinterHandle {
public:
    explicit CupsHandle(DestPtr dest)
        : m_dest(std::move(dest))
    {
    }
    // The queue's own name, as the scheduler spells it, with the user's instance of it.
    QString name() const override { return nameOf(m_dest.get()); }
    cups_dest_t* dest() const { return m_dest.get(); }
    // Looked up once per handle.
    const Sources* sources(http_t* http)
    {
        if (!m_sources && http)
            m_sources = Sources::of(http, m_dest.get());
        return m_sources ? &*m_sources : nullptr;
    }
    Ppd* ppd(http_t* http)
    {
        if (!m_ppdAsked && http) {
            m_ppd = Ppd::of(http, QString::fromUtf8(m_dest->name));
            m_ppdAsked = true;
        }
        return m_ppd.get();
    }

private:
    DestPtr m_dest;
    std::optional<Sources> m_sources;
    std::unique_ptr<Ppd> m_ppd;
    bool m_ppdAsked = false;
};

} // namespace

CupsPlatform::CupsPlatform() = default;
CupsPlatform::~CupsPlatform() = default;

void CupsPlatform::beginCall()
{
    if (m_depth++ == 0)
        m_call = std::make_unique<SchedulerBudget>();
}

void CupsPlatform::endCall()
{
    if (--m_depth == 0)
        m_call.reset();
}

bool CupsPlatform::timeSpent() const
{
    return !m_call || m_call->spent();
}

http_t* CupsPlatform::connection()
{
    return m_call ? m_call->connection() : nullptr;
}

std::optional<QString> CupsPlatform::defaultPrinterName()
{
    const PlatformCall call(*this);
    http_t* http = connection();
    if (!http)
        return std::nullopt;
    if (const DestPtr dest{cupsGetNamedDest(http, nullptr, nullptr)})
        return nameOf(dest.get());
    // libcups reports every failed lookup as "not found": there is no default printer only when the scheduler
    // answers.
    if (!schedulerAnswers(http) || timeSpent())
        return std::nullopt;
    return QString();
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
    // The default bit is part of the record: a default that cannot be asked for fails the read.
    const auto defaultName = defaultPrinterName();
    if (!defaultName)
        return std::nullopt;
    PrinterInfo2 info;
    info.printerName = printer.name();
    info.driverName = option(dest, "printer-make-and-model");
    info.portName = option(dest, "device-uri");
    info.comment = option(dest, "printer-info");
    info.location = option(dest, "printer-location");
    info.attributes = attributesOf(dest, sameName(*defaultName, printer.name()));
    info.status = statusOf(dest);
    return info;
}

SetPrinterResult CupsPlatform::setPrinter(PrinterHandle& printer, const PrinterInfo2& info)
{
    const PlatformCall call(*this);
    if (!(info.attributes & c::printer_attribute_default))
        return SetPrinterResult::done;
    if (defaultOverridden(printer.name()))
        return SetPrinterResult::overridden;
    http_t* http = connection();
    if (!http || !storeUserOptions(http, printer.name(), {}, {}, true))
        return SetPrinterResult::refused;
    return SetPrinterResult::done;
}

bool CupsPlatform::defaultOverridden(const QString& printerName)
{
    // The user's programs take the environment's default over the stored one; set but empty, it leaves them none.
    const auto environment = defaultFromEnvironment();
    return environment && !sameName(*environment, printerName);
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
    auto devMode = devModeOf(http, handle.dest(), *sources, handle.ppd(http));
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
    Ppd* ppd = handle.ppd(http);
    const cups_dest_t* dest = handle.dest();
    const auto current = devModeOf(http, dest, *sources, ppd);

    // Each field named is stored where it differs from what CUPS applies now, in its IPP spelling, and the other
    // spellings of that choice are taken out. A paper or orientation the queue does not take refuses the whole
    // record; a job value it does not take (colour on a grey printer) it does not offer, and it is left out.
    Options options;
    QList<QByteArray> removed;
    auto change = [&](std::uint32_t field, std::uint16_t DevMode::*member, const char* name, const QString& value,
                      const QList<QByteArray>& spellings) {
        if (!(devMode.dmFields & field) || (current && (*current).*member == devMode.*member))
            return true;
        if (value.isEmpty() || !sources->supports(http, name, value))
            return false;
        options.append({name, value.toUtf8()});
        removed += spellings;
        return true;
    };
    auto offer = [&](std::uint32_t field, std::uint16_t DevMode::*member, const char* name, const QString& value,
                     const QList<QByteArray>& spellings = {}) {
        change(field, member, name, value, spellings);
        return true;
    };
    const bool samePaper = current && current->dmPaperSize == devMode.dmPaperSize
        && current->dmPaperWidth == devMode.dmPaperWidth && current->dmPaperLength == devMode.dmPaperLength;
    if ((devMode.dmFields & c::dm_papersize) && !samePaper) {
        const QString name = mediaNameFor(devMode, mediaOf(http, *sources));
        if (name.isEmpty())
            return -1;
        const auto namesSize = [ppd](const QString& keyword) {
            return ppd ? ppd->namesSize(keyword) : mediaNamesSize(keyword);
        };
        options.append({"media", withSize(option(dest, "media"), name, namesSize).toUtf8()});
        removed += paper_spellings;
    }
    const QString orientation = devMode.dmOrientation == c::dmorient_landscape ? QString::number(IPP_ORIENT_LANDSCAPE)
        : devMode.dmOrientation == c::dmorient_portrait                         ? QString::number(IPP_ORIENT_PORTRAIT)
                                                                                : QString();
    const bool accepted = change(c::dm_orientation, &DevMode::dmOrientation, "orientation-requested", orientation,
                                 orientation_spellings)
        && offer(c::dm_copies, &DevMode::dmCopies, "copies", QString::number(devMode.dmCopies))
        && offer(c::dm_color, &DevMode::dmColor, "print-color-mode", keywordOf(color_modes, devMode.dmColor))
        && offer(c::dm_duplex, &DevMode::dmDuplex, "sides", keywordOf(sides, devMode.dmDuplex), duplex_spellings)
        && offer(c::dm_collate, &DevMode::dmCollate, "multiple-document-handling",
                 keywordOf(collations, devMode.dmCollate));
    if (!accepted || timeSpent())
        return -1;
    if (options.isEmpty())
        return 1;
    return storeUserOptions(http, printer.name(), options, removed, false) ? 1 : -1;
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
    return nameOf(dest.get()) + QLatin1Char(',') + option(dest.get(), "printer-make-and-model")
        + QLatin1Char(',') + option(dest.get(), "device-uri");
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

Platform& systemPlatform()
{
    static CupsPlatform platform;
    return platform;
}

} // namespace printer
