#pragma once

// The printing services over CUPS (the scheduler named by CUPS_SERVER or the client configuration, the
// user's own destinations and options through libcups) and Qt's print and page-setup dialogs.

#include "printer/platform.h"

#include <cups/http.h>

#include <functional>
#include <memory>

class QPrinter;

namespace printer {

class CupsPlatform : public Platform {
public:
    CupsPlatform();
    ~CupsPlatform() override;

    void beginCall() override;
    void endCall() override;

    std::optional<QStringList> enumPrinterNames() override;
    std::unique_ptr<PrinterHandle> openPrinter(const QString& printerName) override;
    std::optional<PrinterInfo2> getPrinter(PrinterHandle& printer) override;
    SetPrinterResult setPrinter(PrinterHandle& printer, const PrinterInfo2& info) override;
    std::optional<std::vector<std::uint16_t>> deviceCapabilitiesPapers(const QString& device,
                                                                     const QString& port) override;
    std::optional<DevMode> documentPropertiesOut(PrinterHandle& printer) override;
    long documentPropertiesStore(PrinterHandle& printer, const DevMode& devMode) override;
    bool createDC(const QString& device) override;
    QString profileString(const QString& section, const QString& key, const QString& defaultText) override;

    bool printDlg(PrintDlg& record) override;
    bool pageSetupDlg(PageSetupDlg& record) override;

private:
    struct Call;

    // The scheduler connection of the current call; null when the scheduler cannot be reached or the call's
    // time is spent.
    http_t* connection();
    bool timeSpent() const;
    QString defaultPrinterName();
    // Makes a dialog's printer, started on the default printer's stored settings (given back in started), and
    // has makeDialog build the dialog on it, all within one time budget that also bounds the requests libcups
    // makes for Qt; null (nothing to show) when the scheduler did not answer in time.
    std::unique_ptr<QPrinter> setUpDialog(std::optional<DevMode>& started,
                                          const std::function<void(QPrinter&)>& makeDialog);
    void takeChoice(QPrinter& printer, const std::optional<DevMode>& started, std::optional<DevMode>& devMode,
                    std::optional<QByteArray>& devNames);

    std::unique_ptr<Call> m_call;
    int m_depth = 0;
};

// Paper numbers of media names ("iso_a4_210x297mm" is 9, a "custom_…" size or a size without a number is
// 256), with the size in tenths of a millimetre; nullopt for a name that names no size.
struct Paper {
    std::uint16_t number = 0;
    std::uint16_t width = 0;
    std::uint16_t length = 0;
};
std::optional<Paper> paperOfMedia(const QString& media);
// The paper of a media option: a size, and source or type keywords, separated by commas, in any order
// ("A4,Upper"); nullopt when none of them names a size.
std::optional<Paper> paperOfMediaOption(const QString& option);

} // namespace printer
