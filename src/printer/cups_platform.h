#pragma once

// The printing services over CUPS (the scheduler named by CUPS_SERVER or the client configuration, the
// user's own destinations in ~/.cups/lpoptions) and Qt's print and page-setup dialogs.

#include "printer/platform.h"

namespace printer {

class CupsPlatform : public Platform {
public:
    std::optional<std::vector<PrinterInfo2>> enumPrinters() override;
    std::unique_ptr<PrinterHandle> openPrinter(const QString& printerName) override;
    std::optional<PrinterInfo2> getPrinter(PrinterHandle& printer) override;
    bool setPrinter(PrinterHandle& printer, const PrinterInfo2& info) override;
    std::optional<std::vector<std::uint16_t>> deviceCapabilitiesPapers(const QString& device,
                                                                     const QString& port) override;
    std::optional<DevMode> documentPropertiesOut(PrinterHandle& printer) override;
    long documentPropertiesStore(PrinterHandle& printer, const DevMode& devMode) override;
    bool createDC(const QString& device) override;
    QString profileString(const QString& section, const QString& key, const QString& defaultText) override;

    bool printDlg(PrintDlg& record) override;
    bool pageSetupDlg(PageSetupDlg& record) override;
};

// Paper numbers of media names ("iso_a4_210x297mm" is 9, a "custom_…" size is 256), with the size in
// tenths of a millimetre; nullopt for a name that names no size.
struct Paper {
    std::uint16_t number = 0;
    std::uint16_t width = 0;
    std::uint16_t length = 0;
};
std::optional<Paper> paperOfMedia(const QString& media);

} // namespace printer
