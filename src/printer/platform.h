#pragma once

// The printing services the printer object stands on: the spooler (printer list, printer records, a
// printer's document defaults, its paper list, the default printer) and the print and page-setup dialogs.
// Records carry the fields the object reads and writes; sizes follow what they hold.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace printer {

// Public part of a device mode: paper (number, width and length in tenths of a millimetre), orientation,
// copies, colour, duplex and collation.
struct DevMode {
    QString dmDeviceName;
    std::uint32_t dmFields = 0;
    std::uint16_t dmOrientation = 0;
    std::uint16_t dmPaperSize = 0;
    std::uint16_t dmPaperLength = 0;
    std::uint16_t dmPaperWidth = 0;
    std::uint16_t dmCopies = 0;
    std::uint16_t dmColor = 0;   // 1 monochrome, 2 colour
    std::uint16_t dmDuplex = 0;  // 1 one-sided, 2 long edge, 3 short edge
    std::uint16_t dmCollate = 0; // 0 uncollated, 1 collated
};

// Level-2 printer information.
struct PrinterInfo2 {
    QString printerName;
    QString portName;
    QString driverName;
    QString comment;
    QString location;
    std::uint32_t attributes = 0;
    std::uint32_t status = 0;
};

// A device-names block: four 16-bit little-endian words (driver, device and output offsets in bytes from
// the block's start, default flag) followed by the three NUL-terminated texts.
QByteArray makeDevNames(const QString& driver, const QString& device, const QString& output, bool isDefault);

struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

struct PrintDlg {
    QWidget* hwndOwner = nullptr;
    std::uint32_t flags = 0;
    std::optional<DevMode> hDevMode;     // set by the dialog on OK
    std::optional<QByteArray> hDevNames; // set by the dialog on OK
};

struct PageSetupDlg {
    QWidget* hwndOwner = nullptr;
    std::uint32_t flags = 0;
    std::optional<DevMode> hDevMode;
    std::optional<QByteArray> hDevNames;
    Rect rtMargin; // chosen margins, in the unit the flags name
};

// What became of a default-printer change.
enum class SetPrinterResult {
    done,
    refused,
    overridden, // not made: the environment names the default that the user's programs use
};

// An open printer; closing it is destroying the handle.
class PrinterHandle {
public:
    virtual ~PrinterHandle() = default;
    virtual QString name() const = 0;
};

class Platform {
public:
    virtual ~Platform() = default;

    // Every call between beginCall and the matching endCall shares one bounded wait on the printing system, so
    // that an operation made of several requests ends within a few seconds in all when the system does not
    // answer. Pairs nest; the outermost one counts. While a dialog is open, each of its steps has the time anew.
    virtual void beginCall() {}
    virtual void endCall() {}

    // The names of the local printers in the spooler's order; nullopt when the spooler cannot list them.
    virtual std::optional<QStringList> enumPrinterNames() = 0;
    // nullptr when there is no such printer or it cannot be reached.
    virtual std::unique_ptr<PrinterHandle> openPrinter(const QString& printerName) = 0;
    virtual std::optional<PrinterInfo2> getPrinter(PrinterHandle& printer) = 0;
    // Applies a changed record; only the default bit of the attributes is taken.
    virtual SetPrinterResult setPrinter(PrinterHandle& printer, const PrinterInfo2& info) = 0;
    // Whether the environment names another default for the user's programs, so that making this printer the
    // default would be overridden (setPrinter then answers overridden).
    virtual bool defaultOverridden(const QString& printerName) = 0;
    // The paper numbers the printer's driver lists, in its order; nullopt when it cannot list them.
    virtual std::optional<std::vector<std::uint16_t>> deviceCapabilitiesPapers(const QString& device,
                                                                             const QString& port) = 0;
    // The printer's document settings as the driver hands them out; nullopt when they cannot be read.
    virtual std::optional<DevMode> documentPropertiesOut(PrinterHandle& printer) = 0;
    // Merges the fields named by dmFields into the printer's default document settings and stores them.
    // Positive when stored; 0 or negative when the driver refuses them (then nothing is stored).
    virtual long documentPropertiesStore(PrinterHandle& printer, const DevMode& devMode) = 0;
    // A device context can be made on the printer (and is released at once).
    virtual bool createDC(const QString& device) = 0;
    // The initialization-file entry of section "windows", key "device": "name,driver,port" of the default.
    virtual QString profileString(const QString& section, const QString& key, const QString& defaultText) = 0;

    // Modal dialogs; true on OK.
    virtual bool printDlg(PrintDlg& record) = 0;
    virtual bool pageSetupDlg(PageSetupDlg& record) = 0;
};

// One operation on the printing system, from construction to destruction.
class PlatformCall {
public:
    explicit PlatformCall(Platform& platform)
        : m_platform(platform)
    {
        m_platform.beginCall();
    }
    ~PlatformCall() { m_platform.endCall(); }
    PlatformCall(const PlatformCall&) = delete;
    PlatformCall& operator=(const PlatformCall&) = delete;

private:
    Platform& m_platform;
};

// CUPS and Qt's print dialogs.
Platform& systemPlatform();

} // namespace printer
