#pragma once

// The printing services over CUPS (the scheduler named by CUPS_SERVER or the client configuration, the
// user's own destinations and options through libcups) and Qt's print and page-setup dialogs.

#include "printer/platform.h"

#include <cups/http.h>

#include <memory>

class QDialog;

namespace printer {

class SchedulerBudget;

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
    bool defaultOverridden(const QString& printerName) override;
    std::optional<std::vector<std::uint16_t>> deviceCapabilitiesPapers(const QString& device,
                                                                     const QString& port) override;
    std::optional<DevMode> documentPropertiesOut(PrinterHandle& printer) override;
    long documentPropertiesStore(PrinterHandle& printer, const DevMode& devMode) override;
    bool createDC(const QString& device) override;
    QString profileString(const QString& section, const QString& key, const QString& defaultText) override;

    bool printDlg(PrintDlg& record) override;
    bool pageSetupDlg(PageSetupDlg& record) override;

    // What a dialog shows for one printer: its stored settings, as the dialog holds them, and its device names.
    struct Shown;

private:
    // A dialog on a printer of its own, and what it shows.
    template <class Dialog>
    struct DialogOn;

    // The scheduler connection of the current call; null when the scheduler cannot be reached or the call's
    // time is spent.
    http_t* connection();
    bool timeSpent() const;
    // The name of the default printer in effect (empty when there is none); nullopt when it cannot be asked for.
    std::optional<QString> defaultPrinterName();
    // Reads what a dialog shows for the printer: its stored settings and device names.
    Shown shownFor(const QString& name);
    // Makes the dialog and its printer on the default printer in effect, started on its stored settings; false
    // (nothing to show) when the scheduler did not answer in time. The time of the current call bounds the
    // requests libcups makes for Qt too.
    template <class Dialog>
    bool setUpDialog(DialogOn<Dialog>& on, QWidget* owner);
    // Shows the dialog, each step of it within a time of its own; true on OK.
    bool runDialog(QDialog& dialog);

    std::unique_ptr<SchedulerBudget> m_call;
    int m_depth = 0;
};

} // namespace printer
