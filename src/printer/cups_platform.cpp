#include "printer/cups_platform.h"

#include "printer/lpoptions.h"
#include "printer/n_printer.h"

#include <cups/cups.h>

#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QtEndian>

#include <cmath>
#include <cstring>

namespace printer {

namespace {

using c = n_printer;

constexpr std::uint32_t attribute_default = c::printer_attribute_default;
constexpr std::uint32_t attribute_shared = c::printer_attribute_shared;
constexpr std::uint32_t attribute_network = c::printer_attribute_network;
constexpr std::uint32_t attribute_local = c::printer_attribute_local;
constexpr std::uint32_t attribute_work_offline = c::printer_attribute_work_offline;
constexpr std::uint32_t attribute_raw_only = c::printer_attribute_raw_only;

// Status words of the printer record.
constexpr std::uint32_t status_paused = 0x1;
constexpr std::uint32_t status_printing = 0x400;

constexpr std::uint32_t field_orientation = c::dm_orientation;
constexpr std::uint32_t field_papersize = c::dm_papersize;
constexpr std::uint32_t paper_fields = c::dm_orientation | c::dm_papersize | c::dm_paperlength | c::dm_paperwidth;

constexpr std::uint16_t paper_user = c::dmpaper_user;
constexpr std::uint16_t orient_portrait = c::dmorient_portrait;
constexpr std::uint16_t orient_landscape = c::dmorient_landscape;

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

// Every wait on the scheduler is bounded.
constexpr int connect_timeout_ms = 5000;
constexpr double answer_timeout_s = 30.0;

struct Http {
    http_t* http = nullptr;
    Http()
        : http(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                            connect_timeout_ms, nullptr))
    {
        if (http)
            httpSetTimeout(http, answer_timeout_s, nullptr, nullptr); // no callback: a silent scheduler is an error
    }
    ~Http()
    {
        if (http)
            httpClose(http);
    }
    Http(const Http&) = delete;
    Http& operator=(const Http&) = delete;
};

struct Dest {
    cups_dest_t* dest = nullptr;
    Dest(http_t* http, const QString& name)
    {
        // A null name would ask for the default printer.
        if (http && !name.isEmpty())
            dest = cupsGetNamedDest(http, name.toUtf8().constData(), nullptr);
    }
    explicit Dest(http_t* http) // the user's default printer
    {
        if (http)
            dest = cupsGetNamedDest(http, nullptr, nullptr);
    }
    ~Dest()
    {
        if (dest)
            cupsFreeDests(1, dest);
    }
    Dest(const Dest&) = delete;
    Dest& operator=(const Dest&) = delete;
};

struct DestInfo {
    cups_dinfo_t* info = nullptr;
    DestInfo(http_t* http, cups_dest_t* dest)
        : info(http && dest ? cupsCopyDestInfo(http, dest) : nullptr)
    {
    }
    ~DestInfo()
    {
        if (info)
            cupsFreeDestInfo(info);
    }
    DestInfo(const DestInfo&) = delete;
    DestInfo& operator=(const DestInfo&) = delete;
};

class CupsHandle : public PrinterHandle {
public:
    explicit CupsHandle(const QString& name)
        : m_name(name)
    {
    }
    QString name() const override { return m_name; }
    Http connection;

private:
    QString m_name;
};

QString option(const cups_dest_t* dest, const char* name)
{
    return QString::fromUtf8(cupsGetOption(name, dest->num_options, dest->options));
}

QString defaultPrinterName(http_t* http)
{
    const Dest dest(http);
    return dest.dest ? QString::fromUtf8(dest.dest->name) : QString();
}

std::uint32_t statusOf(const cups_dest_t* dest)
{
    std::uint32_t status = 0;
    const int state = option(dest, "printer-state").toInt();
    if (state == IPP_PSTATE_STOPPED)
        status |= status_paused;
    else if (state == IPP_PSTATE_PROCESSING)
        status |= status_printing;
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
    attributes |= (type & CUPS_PRINTER_REMOTE) ? attribute_network : attribute_local;
    if (option(dest, "printer-is-shared") == QLatin1String("true"))
        attributes |= attribute_shared;
    if (option(dest, "printer-is-accepting-jobs") == QLatin1String("false"))
        attributes |= attribute_work_offline;
    if (option(dest, "printer-make-and-model") == QLatin1String(raw_make_and_model))
        attributes |= attribute_raw_only;
    if (isDefault)
        attributes |= attribute_default;
    return attributes;
}

// The printer's document defaults: the user's options for it over the printer's own defaults.
std::optional<DevMode> devModeOf(http_t* http, cups_dest_t* dest)
{
    const DestInfo info(http, dest);
    if (!info.info)
        return std::nullopt;
    QString media = option(dest, "media");
    if (media.isEmpty())
        if (ipp_attribute_t* attr = cupsFindDestDefault(http, dest, info.info, "media"))
            media = QString::fromUtf8(ippGetString(attr, 0, nullptr));
    const auto paper = paperOfMedia(media);
    if (!paper)
        return std::nullopt; // a printer without a paper of its own (a raw queue) has no document defaults

    int orientation = option(dest, "orientation-requested").toInt();
    if (orientation == 0)
        if (ipp_attribute_t* attr = cupsFindDestDefault(http, dest, info.info, "orientation-requested"))
            orientation = ippGetInteger(attr, 0);

    DevMode devMode;
    devMode.dmDeviceName = QString::fromUtf8(dest->name);
    devMode.dmFields = paper_fields;
    devMode.dmOrientation =
        orientation == IPP_ORIENT_LANDSCAPE || orientation == IPP_ORIENT_REVERSE_LANDSCAPE ? orient_landscape
                                                                                          : orient_portrait;
    devMode.dmPaperSize = paper->number;
    devMode.dmPaperWidth = paper->width;
    devMode.dmPaperLength = paper->length;
    return devMode;
}

PrinterInfo2 infoOf(http_t* http, cups_dest_t* dest, bool isDefault)
{
    PrinterInfo2 info;
    info.printerName = QString::fromUtf8(dest->name);
    info.driverName = option(dest, "printer-make-and-model");
    info.portName = option(dest, "device-uri");
    info.comment = option(dest, "printer-info");
    info.location = option(dest, "printer-location");
    info.attributes = attributesOf(dest, isDefault);
    info.status = statusOf(dest);
    info.devMode = devModeOf(http, dest);
    return info;
}

struct MediaList {
    QStringList names; // media-supported, custom ranges left out
    std::optional<pwg_media_t> customMin;
    std::optional<pwg_media_t> customMax;
};

std::optional<MediaList> mediaOf(http_t* http, cups_dest_t* dest)
{
    const DestInfo info(http, dest);
    if (!info.info)
        return std::nullopt;
    MediaList list;
    ipp_attribute_t* attr = cupsFindDestSupported(http, dest, info.info, "media");
    for (int i = 0; attr && i < ippGetCount(attr); ++i) {
        const char* name = ippGetString(attr, i, nullptr);
        if (!name)
            continue;
        const bool isMin = std::strncmp(name, "custom_min_", 11) == 0;
        if (isMin || std::strncmp(name, "custom_max_", 11) == 0) {
            if (pwg_media_t* limit = pwgMediaForPWG(name))
                (isMin ? list.customMin : list.customMax) = *limit;
            continue;
        }
        list.names.append(QString::fromUtf8(name));
    }
    return list;
}

// A dialog starts on the user's default printer with that printer's document defaults, as they are
// stored, so that OK without a change writes back what was there (Qt on its own starts from its own
// paper and orientation whatever the printer's defaults are). Returns the settings it started from.
std::optional<DevMode> startFromDefaults(Platform& platform, QPrinter& printer)
{
    const QString name = printer.printerName();
    if (name.isEmpty())
        return std::nullopt;
    const auto handle = platform.openPrinter(name);
    if (!handle)
        return std::nullopt;
    const auto devMode = platform.documentPropertiesOut(*handle);
    if (!devMode)
        return std::nullopt;
    const QPageSize::PageSizeId id =
        devMode->dmPaperSize == paper_user ? QPageSize::Custom : QPageSize::id(int(devMode->dmPaperSize));
    const QPageSize size = id != QPageSize::Custom
        ? QPageSize(id)
        : QPageSize(QSizeF(devMode->dmPaperWidth / 10.0, devMode->dmPaperLength / 10.0), QPageSize::Millimeter,
                    QString(), QPageSize::FuzzyMatch);
    if (size.isValid())
        printer.setPageSize(size);
    printer.setPageOrientation(devMode->dmOrientation == orient_landscape ? QPageLayout::Landscape
                                                                          : QPageLayout::Portrait);
    return devMode;
}

// Qt keeps a user size in whole points; a size within a point of the one the dialog started from is that
// size, in its own tenths of a millimetre.
bool samePaperInPoints(std::uint16_t tenthsMm, double mm)
{
    constexpr double points_per_mm = 72.0 / 25.4;
    return std::abs(tenthsMm / 10.0 - mm) * points_per_mm < 1.0;
}

// The device-names block and settings of the printer a dialog left in its QPrinter.
void takeChoice(Platform& platform, QPrinter& printer, const std::optional<DevMode>& started,
                std::optional<DevMode>& devMode, std::optional<QByteArray>& devNames)
{
    const QString name = printer.printerName();
    if (name.isEmpty())
        return; // a file output is no printer
    const QPageLayout layout = printer.pageLayout();
    const QPageSize size = layout.pageSize();
    const QSizeF mm = size.size(QPageSize::Millimeter);
    DevMode chosen;
    chosen.dmDeviceName = name;
    chosen.dmFields = paper_fields;
    chosen.dmOrientation = layout.orientation() == QPageLayout::Landscape ? orient_landscape : orient_portrait;
    const int number = size.id() == QPageSize::Custom ? 0 : size.windowsId();
    chosen.dmPaperSize = number > 0 && number < paper_user ? std::uint16_t(number) : paper_user;
    chosen.dmPaperWidth = std::uint16_t(std::lround(mm.width() * 10));
    chosen.dmPaperLength = std::uint16_t(std::lround(mm.height() * 10));
    if (chosen.dmPaperSize == paper_user && started && started->dmDeviceName == name
        && started->dmPaperSize == paper_user && samePaperInPoints(started->dmPaperWidth, mm.width())
        && samePaperInPoints(started->dmPaperLength, mm.height())) {
        chosen.dmPaperWidth = started->dmPaperWidth;
        chosen.dmPaperLength = started->dmPaperLength;
    }
    devMode = chosen;

    QString driver;
    QString port;
    if (const auto handle = platform.openPrinter(name))
        if (const auto info = platform.getPrinter(*handle)) {
            driver = info->driverName;
            port = info->portName;
        }
    devNames = makeDevNames(driver, name, port, name == QPrinterInfo::defaultPrinterName());
}

} // namespace

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
    pwg_media_t* pwg = pwgMediaForPWG(name.constData());
    if (!pwg)
        pwg = pwgMediaForLegacy(name.constData());
    if (!pwg)
        pwg = pwgMediaForPPD(name.constData());
    if (!pwg || pwg->width <= 0 || pwg->length <= 0)
        return std::nullopt;
    Paper paper;
    paper.width = std::uint16_t((pwg->width + 5) / 10); // hundredths to tenths of a millimetre
    paper.length = std::uint16_t((pwg->length + 5) / 10);
    paper.number = paper_user;
    if (!media.startsWith(QLatin1String("custom_"))) {
        const QPageSize::PageSizeId id = QPageSize::id(QSizeF(pwg->width / 100.0, pwg->length / 100.0),
                                                       QPageSize::Millimeter, QPageSize::FuzzyMatch);
        const int number = id == QPageSize::Custom ? 0 : QPageSize::windowsId(id);
        if (number > 0 && number < paper_user)
            paper.number = std::uint16_t(number);
    }
    return paper;
}

std::optional<std::vector<PrinterInfo2>> CupsPlatform::enumPrinters()
{
    const Http http;
    if (!http.http)
        return std::nullopt;
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(http.http, &dests);
    if (count == 0 && cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE && cupsLastError() != IPP_STATUS_ERROR_NOT_FOUND)
        return std::nullopt;
    std::vector<PrinterInfo2> printers;
    for (int i = 0; i < count; ++i)
        if (!dests[i].instance) // instances are option sets of a queue, not printers
            printers.push_back(infoOf(http.http, &dests[i], dests[i].is_default != 0));
    cupsFreeDests(count, dests);
    return printers;
}

std::unique_ptr<PrinterHandle> CupsPlatform::openPrinter(const QString& printerName)
{
    auto handle = std::make_unique<CupsHandle>(printerName);
    const Dest dest(handle->connection.http, printerName);
    if (!dest.dest)
        return nullptr;
    return handle;
}

std::optional<PrinterInfo2> CupsPlatform::getPrinter(PrinterHandle& printer)
{
    http_t* http = static_cast<CupsHandle&>(printer).connection.http;
    const Dest dest(http, printer.name());
    if (!dest.dest)
        return std::nullopt;
    return infoOf(http, dest.dest, defaultPrinterName(http) == printer.name());
}

bool CupsPlatform::setPrinter(PrinterHandle& printer, const PrinterInfo2& info)
{
    if (!(info.attributes & attribute_default))
        return true;
    return UserOptionsFile::setDefault(printer.name());
}

std::optional<std::vector<std::uint16_t>> CupsPlatform::deviceCapabilitiesPapers(const QString& device,
                                                                               const QString& /*port*/)
{
    const Http http;
    const Dest dest(http.http, device);
    if (!dest.dest)
        return std::nullopt;
    const auto media = mediaOf(http.http, dest.dest);
    if (!media)
        return std::nullopt;
    std::vector<std::uint16_t> papers;
    auto add = [&papers](std::uint16_t number) {
        for (const std::uint16_t known : papers)
            if (known == number)
                return;
        papers.push_back(number);
    };
    for (const QString& name : media->names)
        if (const auto paper = paperOfMedia(name))
            add(paper->number);
    if (media->customMin && media->customMax)
        add(paper_user);
    return papers;
}

std::optional<DevMode> CupsPlatform::documentPropertiesOut(PrinterHandle& printer)
{
    http_t* http = static_cast<CupsHandle&>(printer).connection.http;
    const Dest dest(http, printer.name());
    if (!dest.dest)
        return std::nullopt;
    return devModeOf(http, dest.dest);
}

long CupsPlatform::documentPropertiesStore(PrinterHandle& printer, const DevMode& devMode)
{
    http_t* http = static_cast<CupsHandle&>(printer).connection.http;
    const Dest dest(http, printer.name());
    if (!dest.dest)
        return -1;
    OptionList options;
    if (devMode.dmFields & field_papersize) {
        const auto media = mediaOf(http, dest.dest);
        if (!media)
            return -1;
        QString chosen;
        if (devMode.dmPaperSize == paper_user) {
            const int width = devMode.dmPaperWidth * 10; // hundredths of a millimetre
            const int length = devMode.dmPaperLength * 10;
            if (!media->customMin || !media->customMax || width < media->customMin->width
                || length < media->customMin->length || width > media->customMax->width
                || length > media->customMax->length)
                return -1; // the printer takes no paper of that size
            char name[IPP_MAX_NAME];
            if (!pwgFormatSizeName(name, sizeof name, "custom", nullptr, width, length, nullptr))
                return -1;
            chosen = QString::fromUtf8(name);
        } else {
            for (const QString& name : media->names)
                if (const auto paper = paperOfMedia(name); paper && paper->number == devMode.dmPaperSize) {
                    chosen = name;
                    break;
                }
            if (chosen.isEmpty())
                return -1;
        }
        options.append({QStringLiteral("media"), chosen});
    }
    if (devMode.dmFields & field_orientation) {
        if (devMode.dmOrientation != orient_portrait && devMode.dmOrientation != orient_landscape)
            return -1;
        options.append({QStringLiteral("orientation-requested"),
                        QString::number(devMode.dmOrientation == orient_landscape ? IPP_ORIENT_LANDSCAPE
                                                                                  : IPP_ORIENT_PORTRAIT)});
    }
    if (options.isEmpty())
        return 1;
    return UserOptionsFile::setOptions(printer.name(), options) ? 1 : -1;
}

bool CupsPlatform::createDC(const QString& device)
{
    const Http http;
    const Dest dest(http.http, device);
    return dest.dest != nullptr;
}

QString CupsPlatform::profileString(const QString& section, const QString& key, const QString& defaultText)
{
    if (section.compare(QLatin1String("windows"), Qt::CaseInsensitive) != 0
        || key.compare(QLatin1String("device"), Qt::CaseInsensitive) != 0)
        return defaultText;
    const Http http;
    const Dest dest(http.http);
    if (!dest.dest)
        return defaultText;
    return QString::fromUtf8(dest.dest->name) + QLatin1Char(',') + option(dest.dest, "printer-make-and-model")
        + QLatin1Char(',') + option(dest.dest, "device-uri");
}

bool CupsPlatform::printDlg(PrintDlg& record)
{
    QPrinter printer;
    const auto started = startFromDefaults(*this, printer);
    QPrintDialog dialog(&printer, record.hwndOwner);
    if (record.flags & c::pd_noselection)
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    if (record.flags & c::pd_nopagenums) {
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    }
    if (record.flags & c::pd_disableprinttofile)
        dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    takeChoice(*this, printer, started, record.hDevMode, record.hDevNames);
    return true;
}

bool CupsPlatform::pageSetupDlg(PageSetupDlg& record)
{
    QPrinter printer;
    const auto started = startFromDefaults(*this, printer);
    QPageSetupDialog dialog(&printer, record.hwndOwner);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    takeChoice(*this, printer, started, record.hDevMode, record.hDevNames);
    QMarginsF margins;
    if (record.flags & c::psd_inhundredthsofmillimeters)
        margins = printer.pageLayout().margins(QPageLayout::Millimeter) * 100.0;
    else if (record.flags & c::psd_inthousandthsofinches)
        margins = printer.pageLayout().margins(QPageLayout::Inch) * 1000.0;
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
