#include "printer/n_printer.h"

#include <QtEndian>

#include <limits>

namespace printer {

namespace {

// Worker commands.
enum Command : int {
    cmd_drivername = 1,
    cmd_portname = 2,
    cmd_status = 3,
    cmd_attributes = 4,
    cmd_papersize = 5,
    cmd_papersize_too = 6,
    cmd_orientation = 7,
    cmd_setpaper = 101,
    cmd_setpaper_too = 102,
    cmd_setorientation = 103,
    cmd_setdefault = 105,
};

// A command that takes and gives no paper figures: the worker's result, its value in `value`.
int runWithoutPaper(n_printer& object, const QString& printername, int command, QVariant& value)
{
    int papersize = 0, paperwidth = 0, paperlength = 0;
    return object.of_printer(printername, command, value, papersize, paperwidth, paperlength);
}

// Every field from the orientation up to the panning height.
constexpr std::uint32_t all_fields = 0x1FFFFFFF;

bool fitsWord(int value)
{
    return value >= 0 && value <= std::numeric_limits<std::uint16_t>::max();
}

} // namespace

n_printer::n_printer(Platform& platform)
    : m_platform(platform)
{
}

int n_printer::of_getprinterlist(QStringList& printerlist)
{
    const PlatformCall call(m_platform);
    const auto names = m_platform.enumPrinterNames();
    if (!names)
        return -1;
    const int count = int(names->size());
    // Only the first count names are written; names behind them keep what they held.
    if (printerlist.size() < count)
        printerlist.resize(count);
    for (int i = 0; i < count; ++i)
        printerlist[i] = names->at(i);
    return count;
}

int n_printer::of_direct(const QString& printername, const QString& /*data*/)
{
    const PlatformCall call(m_platform);
    return m_platform.createDC(printername) ? 1 : -1;
}

QString n_printer::of_getstringfromblob(const QByteArray& source, int offset) const
{
    // Positions count from 1; the text ends before the first NUL byte or at the end of the buffer.
    if (offset < 1 || offset > source.size())
        return QString();
    const QByteArray tail = source.mid(offset - 1);
    const qsizetype nul = tail.indexOf('\0');
    return QString::fromUtf8(nul < 0 ? tail : tail.left(nul));
}

int n_printer::of_printer(const QString& printername, int command, QVariant& outpara, int& papersize,
                          int& paperwidth, int& paperlength)
{
    const PlatformCall call(m_platform);
    const auto handle = m_platform.openPrinter(printername);
    if (!handle)
        return -1;
    const auto info = m_platform.getPrinter(*handle);
    if (!info)
        return -1;

    switch (command) {
    case cmd_drivername:
        outpara = info->driverName;
        return 1;
    case cmd_portname:
        outpara = info->portName;
        return 1;
    case cmd_status:
        outpara = qint64(info->status);
        return 1;
    case cmd_attributes:
        outpara = qint64(info->attributes);
        return 1;
    case cmd_papersize:
    case cmd_papersize_too:
    case cmd_orientation: {
        // A printer without default document settings (a raw queue) has no paper to report.
        const auto devMode = m_platform.documentPropertiesOut(*handle);
        if (!devMode)
            return -1;
        if (command == cmd_orientation) {
            outpara = uint(devMode->dmOrientation);
            return 1;
        }
        papersize = devMode->dmPaperSize;
        paperwidth = devMode->dmPaperWidth;
        paperlength = devMode->dmPaperLength;
        return 1;
    }
    case cmd_setdefault: {
        PrinterInfo2 changed = *info;
        changed.attributes |= printer_attribute_default;
        switch (m_platform.setPrinter(*handle, changed)) {
        case SetPrinterResult::done:
            return 1;
        case SetPrinterResult::overridden:
            return 0; // the environment's default stays the one the user's programs use
        case SetPrinterResult::refused:
            break;
        }
        return -1;
    }
    default:
        break;
    }

    // The document path: read the printer's document settings, change them, store them as its defaults.
    const bool setPaper = command == cmd_setpaper || command == cmd_setpaper_too;
    if (setPaper) {
        const auto papers = m_platform.deviceCapabilitiesPapers(printername, info->portName);
        if (!papers || !fitsWord(papersize))
            return -1;
        bool listed = false;
        for (const std::uint16_t paper : *papers)
            if (paper == papersize) {
                listed = true;
                break;
            }
        if (!listed)
            return -1;
    }

    // A failed read stores nothing: empty settings must never become the printer's defaults.
    auto devMode = m_platform.documentPropertiesOut(*handle);
    if (!devMode)
        return -1;

    if (setPaper) {
        devMode->dmPaperSize = std::uint16_t(papersize);
        devMode->dmFields = dm_papersize;
        if (papersize == dmpaper_user) {
            if (!fitsWord(paperwidth) || !fitsWord(paperlength))
                return -1;
            devMode->dmPaperWidth = std::uint16_t(paperwidth);
            devMode->dmPaperLength = std::uint16_t(paperlength);
            devMode->dmFields = dm_papersize | dm_paperlength | dm_paperwidth;
        }
    } else if (command == cmd_setorientation) {
        bool ok = false;
        const uint orientation = outpara.toUInt(&ok);
        if (!ok || orientation > std::numeric_limits<std::uint16_t>::max())
            return -1;
        devMode->dmOrientation = std::uint16_t(orientation);
        devMode->dmFields = dm_orientation;
    }

    const long stored = m_platform.documentPropertiesStore(*handle, *devMode);
    return stored > 0 ? 1 : int(stored);
}

QString n_printer::of_getdrivername(const QString& printername)
{
    QVariant value;
    if (runWithoutPaper(*this, printername, cmd_drivername, value) != 1)
        return QString();
    return value.toString();
}

QString n_printer::of_getportname(const QString& printername)
{
    QVariant value;
    if (runWithoutPaper(*this, printername, cmd_portname, value) != 1)
        return QString();
    return value.toString();
}

qint64 n_printer::of_getattribute(const QString& printername)
{
    // Returned in a wide type: an attribute word with a high bit must not read as the failure value.
    QVariant value;
    if (runWithoutPaper(*this, printername, cmd_attributes, value) != 1)
        return -1;
    return value.toLongLong();
}

qint32 n_printer::of_getstatus(const QString& printername)
{
    QVariant value;
    if (runWithoutPaper(*this, printername, cmd_status, value) != 1)
        return -1;
    return qint32(value.toLongLong());
}

int n_printer::of_getpapersize(const QString& printername, int& papersize, int& paperwidth, int& paperheight)
{
    QVariant value;
    return of_printer(printername, cmd_papersize, value, papersize, paperwidth, paperheight);
}

int n_printer::of_setpapersize(const QString& printername, int papersize, int paperwidth, int paperheight)
{
    QVariant value;
    return of_printer(printername, cmd_setpaper, value, papersize, paperwidth, paperheight);
}

int n_printer::of_setdefault(const QString& printername)
{
    QVariant value;
    return runWithoutPaper(*this, printername, cmd_setdefault, value);
}

QString n_printer::of_getpbprinter()
{
    const PlatformCall call(m_platform);
    const QString device = m_platform.profileString(QStringLiteral("windows"), QStringLiteral("device"),
                                                    QString());
    if (device.isEmpty())
        return QString();
    const qsizetype comma = device.indexOf(QLatin1Char(','));
    return comma < 0 ? device : device.left(comma);
}

int n_printer::of_modifyprinter(const QString& printername, DevMode devmode)
{
    const auto handle = m_platform.openPrinter(printername);
    if (!handle)
        return -1;
    if (!m_platform.getPrinter(*handle))
        return -1;
    devmode.dmFields = all_fields;
    const long stored = m_platform.documentPropertiesStore(*handle, devmode);
    return stored > 0 ? 1 : int(stored);
}

int n_printer::applyDialogChoice(const std::optional<DevMode>& devMode, const std::optional<QByteArray>& devNames)
{
    // A dialog that reports OK without a printer or without settings applies nothing.
    if (!devMode || !devNames || devNames->size() < 8)
        return dialog_not_applied;
    const int deviceOffset = qFromLittleEndian<quint16>(devNames->constData() + 2);
    const QString printername = of_getstringfromblob(*devNames, deviceOffset + 1);
    if (printername.isEmpty())
        return dialog_not_applied;
    // The settings are stored first, and the printer is made the default only once they took: settings the
    // printer refuses, or a default that the environment would override, leave everything as it was. A record
    // that names no field (a printer without document settings, on which the user changed nothing) has nothing to
    // store. The choice counts as applied only when both took.
    if (m_platform.defaultOverridden(printername))
        return dialog_not_applied;
    if (devMode->dmFields != 0 && of_modifyprinter(printername, *devMode) != 1)
        return dialog_not_applied;
    return of_setdefault(printername) == 1 ? 1 : dialog_not_applied;
}

int n_printer::of_printsetup(QWidget* hwnd)
{
    PrintDlg record;
    record.hwndOwner = hwnd;
    record.flags = pd_noselection | pd_nopagenums | pd_printtofile | pd_disableprinttofile;
    // The dialog's set-up and each of its steps wait for the printing system within a time of their own; the work
    // after OK, Qt's and the object's, shares the time of the step that OK began.
    const PlatformCall call(m_platform);
    if (!m_platform.printDlg(record))
        return -1;
    return applyDialogChoice(record.hDevMode, record.hDevNames);
}

int n_printer::of_pagesetup(QWidget* hwnd, qint32& left, qint32& right, qint32& top, qint32& bottom)
{
    PageSetupDlg record;
    record.hwndOwner = hwnd;
    record.flags = psd_inhundredthsofmillimeters;
    const PlatformCall call(m_platform);
    if (!m_platform.pageSetupDlg(record))
        return -1;
    // The margins the user accepted come back whether or not the printer took the rest of the choice.
    left = record.rtMargin.left;
    right = record.rtMargin.right;
    top = record.rtMargin.top;
    bottom = record.rtMargin.bottom;
    return applyDialogChoice(record.hDevMode, record.hDevNames);
}

} // namespace printer
