// The print and page-setup dialogs over Qt's: they open on the default printer in effect with its stored
// settings, show each printer's stored settings when it is chosen, offer only what the printer object stores,
// and give back the stored settings with what the user changed.

#include "printer/cups_budget.h"
#include "printer/cups_dests.h"
#include "printer/cups_devmode.h"
#include "printer/cups_media.h"
#include "printer/cups_platform.h"
#include "printer/n_printer.h"

#include <QCheckBox>
#include <QChildEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>

#include <algorithm>
#include <cmath>

namespace printer {

struct CupsPlatform::Shown {
    QString name;
    bool read = false;              // the printer's settings and device names could be read
    std::optional<DevMode> stored;  // none for a printer without document settings (a raw queue)
    DevMode shown;                  // the stored settings as the dialog holds them
    QString driver;
    QString port;
};

template <class Dialog>
struct CupsPlatform::DialogOn {
    QString defaultName; // the default printer in effect; empty when there is none
    Shown shown;
    std::unique_ptr<QPrinter> printer;
    std::unique_ptr<Dialog> dialog; // destroyed before the printer it works on
};

namespace {

using c = n_printer;
using namespace devmode;

bool samePaper(const DevMode& a, const DevMode& b)
{
    return a.dmPaperSize == b.dmPaperSize
        && (a.dmPaperSize != c::dmpaper_user
            || (withinAPoint(a.dmPaperWidth * 10, b.dmPaperWidth * 10)
                && withinAPoint(a.dmPaperLength * 10, b.dmPaperLength * 10)));
}

constexpr QPrinter::DuplexMode duplex_modes[] = {QPrinter::DuplexNone, QPrinter::DuplexLongSide,
                                                 QPrinter::DuplexShortSide};

// The dialog's printer holds a printer's stored settings (Qt on its own starts from its own paper, orientation,
// copies and modes).
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

// What the dialog's printer holds.
DevMode heldBy(const QPrinter& printer)
{
    const QPageLayout layout = printer.pageLayout();
    const QPageSize size = layout.pageSize();
    const QSizeF mm = size.size(QPageSize::Millimeter);
    DevMode held;
    held.dmDeviceName = printer.printerName();
    held.dmFields = document_fields;
    held.dmOrientation = layout.orientation() == QPageLayout::Landscape ? c::dmorient_landscape : c::dmorient_portrait;
    const int number = size.id() == QPageSize::Custom ? 0 : size.windowsId();
    held.dmPaperSize = number > 0 && number < c::dmpaper_user ? std::uint16_t(number) : c::dmpaper_user;
    held.dmPaperWidth = std::uint16_t(std::lround(mm.width() * 10));
    held.dmPaperLength = std::uint16_t(std::lround(mm.height() * 10));
    held.dmCopies = std::uint16_t(std::clamp(printer.copyCount(), 1, 9999));
    held.dmCollate = printer.collateCopies() ? collate_true : 0;
    held.dmColor = printer.colorMode() == QPrinter::Color ? color_color : color_monochrome;
    held.dmDuplex = printer.duplex() == QPrinter::DuplexShortSide ? duplex_horizontal
        : printer.duplex() == QPrinter::DuplexNone                 ? duplex_simplex
                                                                   : duplex_vertical;
    return held;
}

// The stored settings with what the user changed: a field that the dialog gives back as it showed it keeps its
// stored value, to its tenth of a millimetre; one that the dialog does not offer (the colour) is never changed.
DevMode changedByTheUser(const DevMode& stored, const DevMode& shown, const DevMode& chosen)
{
    DevMode result = stored;
    result.dmDeviceName = chosen.dmDeviceName;
    result.dmFields = document_fields;
    if (!samePaper(chosen, shown)) {
        result.dmPaperSize = chosen.dmPaperSize;
        result.dmPaperWidth = chosen.dmPaperWidth;
        result.dmPaperLength = chosen.dmPaperLength;
    }
    for (std::uint16_t DevMode::*field : {&DevMode::dmOrientation, &DevMode::dmCopies, &DevMode::dmCollate,
                                          &DevMode::dmDuplex})
        if (chosen.*field != shown.*field)
            result.*field = chosen.*field;
    return result;
}

// Qt sets the copies, collation and duplex of a printer chosen in the dialog from its own defaults: they show
// what the dialog's printer holds.
void showOptions(QPrintDialog& dialog, const QPrinter& printer)
{
    if (auto* copies = dialog.findChild<QSpinBox*>(QStringLiteral("copies")))
        copies->setValue(printer.copyCount());
    if (auto* collate = dialog.findChild<QCheckBox*>(QStringLiteral("collate")))
        collate->setChecked(printer.collateCopies());
    const QString duplex = printer.duplex() == QPrinter::DuplexShortSide ? QStringLiteral("duplexShort")
        : printer.duplex() == QPrinter::DuplexNone                        ? QStringLiteral("noDuplex")
                                                                          : QStringLiteral("duplexLong");
    if (auto* radio = dialog.findChild<QRadioButton*>(duplex))
        radio->setChecked(true);
}

void hideAll(const QWidget& dialog, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        for (QWidget* widget : dialog.findChildren<QWidget*>(QLatin1String(name)))
            widget->hide();
}

// What the printer object does not store, taken out of the page settings: pages per sheet, the reversed
// orientations, and, where the caller gets no margins (the print dialog), the margins.
void offerStoredPageSettings(const QWidget& dialog, bool withMargins)
{
    hideAll(dialog, {"pagesPerSheetButtonGroup", "reverseLandscape", "reversePortrait", "paperSource",
                     "paperSourceLabel"});
    if (withMargins)
        return;
    if (const auto* margin = dialog.findChild<QDoubleSpinBox*>(QStringLiteral("topMargin")))
        if (auto* group = qobject_cast<QGroupBox*>(margin->parentWidget()))
            group->hide();
}

// What the printer object does not store, taken out of the print dialog: the page order, the page set and the
// colour mode (Qt sets them up again as the dialog is shown), and in its Properties, made when first asked for,
// all but the page settings: the job options (banners, holding, priority) and the driver's own options (paper
// source and colour mode among them).
class StoredChoicesOnly : public QObject {
public:
    explicit StoredChoicesOnly(QPrintDialog& dialog)
        : m_dialog(dialog)
    {
        dialog.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &m_dialog && event->type() == QEvent::Show)
            hideAll(m_dialog, {"reverse", "pageSetCombo", "pageSetLabel", "colorMode"});
        else if (event->type() == QEvent::ChildPolished)
            if (auto* properties = qobject_cast<QDialog*>(static_cast<QChildEvent*>(event)->child()))
                offerStoredProperties(*properties);
        return QObject::eventFilter(watched, event);
    }

private:
    static void offerStoredProperties(QDialog& properties)
    {
        if (auto* tabs = properties.findChild<QTabWidget*>(QStringLiteral("tabs")))
            for (int i = 0; i < tabs->count(); ++i)
                if (!tabs->widget(i)->findChild<QWidget*>(QStringLiteral("pageSetup")))
                    tabs->setTabVisible(i, false);
        offerStoredPageSettings(properties, false);
    }

    QPrintDialog& m_dialog;
};

} // namespace

CupsPlatform::Shown CupsPlatform::shownFor(const QString& name)
{
    const PlatformCall call(*this);
    Shown shown;
    shown.name = name;
    const auto handle = openPrinter(name);
    if (!handle)
        return shown;
    const auto info = getPrinter(*handle);
    if (!info)
        return shown;
    shown.stored = documentPropertiesOut(*handle);
    if (timeSpent())
        return shown; // settings cut short are no settings
    shown.read = true;
    shown.driver = info->driverName;
    shown.port = info->portName;
    return shown;
}

template <class Dialog>
bool CupsPlatform::setUpDialog(DialogOn<Dialog>& on, QWidget* owner)
{
    const auto defaultName = defaultPrinterName();
    if (!defaultName)
        return false;
    on.defaultName = *defaultName;
    // The printer's settings are read before Qt asks libcups for anything: a scheduler that does not answer is
    // cut off before Qt's requests, which then fail at once.
    if (!on.defaultName.isEmpty())
        on.shown = shownFor(on.defaultName);
    if (timeSpent())
        return false;

    // Qt starts on the printer that libcups marks as the default, and on the first printer when libcups marks
    // none (as when the environment and the user's own Default line name the same printer).
    on.printer = std::make_unique<QPrinter>();
    QPrinter& printer = *on.printer;
    if (!on.defaultName.isEmpty() && !sameName(printer.printerName(), on.defaultName))
        printer.setPrinterName(on.defaultName);
    if (!sameName(printer.printerName(), on.shown.name))
        on.shown = shownFor(printer.printerName());
    if (timeSpent())
        return false;
    if (on.shown.read && on.shown.stored)
        startFrom(printer, *on.shown.stored);
    on.dialog = std::make_unique<Dialog>(&printer, owner);
    if (timeSpent())
        return false;
    on.shown.shown = heldBy(printer);
    return true;
}

bool CupsPlatform::runDialog(QDialog& dialog)
{
    const DialogSteps steps(m_call.get());
    return dialog.exec() == QDialog::Accepted;
}

namespace {

// The dialog's choice: the chosen printer's stored settings with what the user changed, and its device names;
// nothing when the printer's settings could not be read.
void takeChoice(const QPrinter& printer, const CupsPlatform::Shown& shown, const QString& defaultName,
                std::optional<DevMode>& devMode, std::optional<QByteArray>& devNames)
{
    if (printer.printerName().isEmpty() || !sameName(printer.printerName(), shown.name) || !shown.read)
        return; // a file output, or a printer whose settings did not come
    const DevMode chosen = heldBy(printer);
    devMode = shown.stored ? changedByTheUser(*shown.stored, shown.shown, chosen) : chosen;
    devNames = makeDevNames(shown.driver, shown.name, shown.port, sameName(defaultName, shown.name));
}

} // namespace

bool CupsPlatform::printDlg(PrintDlg& record)
{
    // One time for setting the dialog up, then one for each step of it while it is open.
    const PlatformCall call(*this);
    DialogOn<QPrintDialog> on;
    if (!setUpDialog(on, record.hwndOwner))
        return false;
    QPrintDialog& dialog = *on.dialog;
    QPrinter& printer = *on.printer;
    if (record.flags & c::pd_noselection)
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    if (record.flags & c::pd_nopagenums) {
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    }
    if (record.flags & c::pd_disableprinttofile)
        dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    const StoredChoicesOnly storedChoicesOnly(dialog);

    // Qt's own handling of another printer makes its print device, with requests to the scheduler. The printer's
    // stored settings are read first (a scheduler that does not answer is cut off before Qt asks it), and shown
    // once Qt has set the dialog up for the printer.
    auto* printers = dialog.findChild<QComboBox*>(QStringLiteral("printers"));
    auto* printWidget = dialog.findChild<QWidget*>(QStringLiteral("QPrintWidget"));
    if (printers && printWidget) {
        QObject::disconnect(printers, &QComboBox::currentIndexChanged, printWidget, nullptr);
        QObject::connect(printers, &QComboBox::currentIndexChanged, printWidget, [&, printers, printWidget](int index) {
            if (index < 0)
                return;
            Shown next = shownFor(printers->itemText(index));
            QMetaObject::invokeMethod(printWidget, "_q_printerChanged", Qt::DirectConnection, Q_ARG(int, index));
            if (next.read && next.stored) {
                startFrom(printer, *next.stored);
                showOptions(dialog, printer);
            }
            next.shown = heldBy(printer);
            on.shown = next;
        });
    }

    if (!runDialog(dialog))
        return false;
    takeChoice(printer, on.shown, on.defaultName, record.hDevMode, record.hDevNames);
    return true;
}

bool CupsPlatform::pageSetupDlg(PageSetupDlg& record)
{
    const PlatformCall call(*this);
    DialogOn<QPageSetupDialog> on;
    if (!setUpDialog(on, record.hwndOwner))
        return false;
    offerStoredPageSettings(*on.dialog, true);
    if (!runDialog(*on.dialog))
        return false;
    const QPrinter& printer = *on.printer;
    takeChoice(printer, on.shown, on.defaultName, record.hDevMode, record.hDevNames);
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

} // namespace printer
