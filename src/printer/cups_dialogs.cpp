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
#include <QPointer>
#include <QPrinter>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

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
    // The page settings the user has been shown for the printer (the page-setup dialog, the print dialog's
    // Properties once opened); null while they have not been.
    QPointer<QWidget> pageSettings;
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

// A size the record cannot hold leaves its width and length 0.
void setPaper(DevMode& devMode, const QPageSize& size)
{
    const QSizeF mm = size.size(QPageSize::Millimeter);
    const int number = size.id() == QPageSize::Custom ? 0 : size.windowsId();
    const auto paper = paperOfSize(mm.width() * 100, mm.height() * 100,
                                   number > 0 && number < c::dmpaper_user ? std::uint16_t(number) : c::dmpaper_user);
    devMode.dmPaperSize = paper ? paper->number : c::dmpaper_user;
    devMode.dmPaperWidth = paper ? paper->width : 0;
    devMode.dmPaperLength = paper ? paper->length : 0;
}

void setOrientation(DevMode& devMode, QPageLayout::Orientation orientation)
{
    devMode.dmOrientation = orientation == QPageLayout::Landscape ? c::dmorient_landscape : c::dmorient_portrait;
}

// What the dialog's printer holds.
DevMode heldBy(const QPrinter& printer)
{
    const QPageLayout layout = printer.pageLayout();
    DevMode held;
    held.dmDeviceName = printer.printerName();
    held.dmFields = document_fields;
    setOrientation(held, layout.orientation());
    setPaper(held, layout.pageSize());
    held.dmCopies = std::uint16_t(std::clamp(printer.copyCount(), 1, 9999));
    held.dmCollate = printer.collateCopies() ? collate_true : 0;
    held.dmColor = printer.colorMode() == QPrinter::Color ? color_color : color_monochrome;
    held.dmDuplex = printer.duplex() == QPrinter::DuplexShortSide ? duplex_horizontal
        : printer.duplex() == QPrinter::DuplexNone                 ? duplex_simplex
                                                                   : duplex_vertical;
    return held;
}

void copyPaper(DevMode& to, const DevMode& from)
{
    to.dmPaperSize = from.dmPaperSize;
    to.dmPaperWidth = from.dmPaperWidth;
    to.dmPaperLength = from.dmPaperLength;
}

// The fields of the record that the dialog offers, beside the paper.
constexpr std::uint16_t DevMode::*offered_fields[] = {&DevMode::dmOrientation, &DevMode::dmCopies,
                                                     &DevMode::dmCollate, &DevMode::dmDuplex};

// The stored settings with what the user changed: a field that the dialog gives back as it showed it keeps its
// stored value, to its tenth of a millimetre; one that the dialog does not offer (the colour) is never changed.
DevMode changedByTheUser(const DevMode& stored, const DevMode& shown, const DevMode& chosen)
{
    DevMode result = stored;
    result.dmDeviceName = chosen.dmDeviceName;
    result.dmFields = document_fields;
    if (!samePaper(chosen, shown))
        copyPaper(result, chosen);
    for (std::uint16_t DevMode::*field : offered_fields)
        if (chosen.*field != shown.*field)
            result.*field = chosen.*field;
    return result;
}

// For a printer without stored settings (a raw queue): what the dialog gives back, or, when the user changed
// nothing, a record that names no field: there is nothing to store.
DevMode chosenWithoutStored(const DevMode& shown, const DevMode& chosen)
{
    DevMode result = chosen;
    const bool unchanged = samePaper(chosen, shown)
        && std::all_of(std::begin(offered_fields), std::end(offered_fields),
                       [&](std::uint16_t DevMode::*field) { return chosen.*field == shown.*field; });
    result.dmFields = unchanged ? 0 : document_fields;
    return result;
}

// Qt's page settings (the page-setup dialog's, the print dialog's Properties): its page-size list holds the sizes
// with their QPageSize, and "Custom" without one, for which the width and height in the chosen unit count.
// Qt starts them on the printer's default paper of the PPD, not on the paper its QPrinter holds.
struct PageSettings {
    QComboBox* sizes = nullptr;
    QComboBox* unit = nullptr;
    QDoubleSpinBox* width = nullptr;
    QDoubleSpinBox* height = nullptr;
    QRadioButton* portrait = nullptr;
    QRadioButton* landscape = nullptr;
    QDoubleSpinBox* margins[4] = {}; // left, top, right, bottom

    static std::optional<PageSettings> in(const QWidget& pane)
    {
        PageSettings settings;
        settings.sizes = pane.findChild<QComboBox*>(QStringLiteral("pageSizeCombo"));
        settings.unit = pane.findChild<QComboBox*>(QStringLiteral("unitCombo"));
        settings.width = pane.findChild<QDoubleSpinBox*>(QStringLiteral("pageWidth"));
        settings.height = pane.findChild<QDoubleSpinBox*>(QStringLiteral("pageHeight"));
        settings.portrait = pane.findChild<QRadioButton*>(QStringLiteral("portrait"));
        settings.landscape = pane.findChild<QRadioButton*>(QStringLiteral("landscape"));
        const char* const marginNames[] = {"leftMargin", "topMargin", "rightMargin", "bottomMargin"};
        for (int i = 0; i < 4; ++i)
            settings.margins[i] = pane.findChild<QDoubleSpinBox*>(QLatin1String(marginNames[i]));
        const bool complete = settings.sizes && settings.unit && settings.width && settings.height && settings.portrait
            && settings.landscape && std::all_of(std::begin(settings.margins), std::end(settings.margins),
                                                 [](const QDoubleSpinBox* margin) { return margin != nullptr; });
        return complete ? std::optional(settings) : std::nullopt;
    }

    QPageLayout::Unit unitShown() const { return unit->currentData().value<QPageLayout::Unit>(); }
    QPageLayout::Orientation orientationShown() const
    {
        return landscape->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait;
    }

    // The size as Qt takes it from the list, or from the width and height (the long side first in landscape).
    QPageSize sizeShown() const
    {
        const QVariant listed = sizes->currentData();
        if (listed.canConvert<QPageSize>())
            return listed.value<QPageSize>();
        QSizeF size(width->value(), height->value());
        if (orientationShown() == QPageLayout::Landscape)
            size.transpose();
        return QPageSize(size, QPageSize::Unit(unitShown()));
    }

    // Selects the paper and orientation of the record; a paper the list does not hold stays as Qt shows it.
    void show(const DevMode& devMode) const
    {
        for (int i = 0; i < sizes->count(); ++i) {
            const QVariant listed = sizes->itemData(i);
            if (!listed.canConvert<QPageSize>())
                continue;
            DevMode item;
            setPaper(item, listed.value<QPageSize>());
            if (samePaper(item, devMode)) {
                sizes->setCurrentIndex(i);
                break;
            }
        }
        (devMode.dmOrientation == c::dmorient_landscape ? landscape : portrait)->click();
    }

    void readInto(DevMode& devMode) const
    {
        setPaper(devMode, sizeShown());
        setOrientation(devMode, orientationShown());
    }

    QPageLayout layoutShown() const
    {
        const QMarginsF shown(margins[0]->value(), margins[1]->value(), margins[2]->value(), margins[3]->value());
        return QPageLayout(sizeShown(), orientationShown(), shown, unitShown());
    }
};

// Puts the printer's stored paper and orientation in the page settings, and takes what they then show as shown;
// false for a pane without page settings.
bool showStoredPage(const QWidget& pane, CupsPlatform::Shown& shown)
{
    const auto settings = PageSettings::in(pane);
    if (!settings)
        return false;
    if (shown.read && shown.stored)
        settings->show(*shown.stored);
    settings->readInto(shown.shown);
    return true;
}

// Qt's Properties put back on Cancel what they showed when Qt made them, the PPD's default paper: they put back what
// they showed when opened or last accepted.
void cancelToWhatWasShown(QDialog& properties)
{
    auto accepted = std::make_shared<DevMode>();
    const auto read = [&properties, accepted] {
        if (const auto settings = PageSettings::in(properties))
            settings->readInto(*accepted);
    };
    read();
    QObject::connect(&properties, &QDialog::accepted, &properties, read);
    QObject::connect(&properties, &QDialog::rejected, &properties, [&properties, accepted] {
        if (const auto settings = PageSettings::in(properties))
            settings->show(*accepted);
    });
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

// Page ranges, which the printer object does not store: Qt offers the range from one page to another and a list
// of pages (for CUPS to pick) whatever the dialog's options say, and enables the list again for each printer chosen.
void disablePageRanges(const QWidget& dialog)
{
    for (const char* name : {"printSelection", "printRange", "from", "to", "pagesRadioButton", "pagesLineEdit"})
        if (auto* widget = dialog.findChild<QWidget*>(QLatin1String(name)))
            widget->setEnabled(false);
}

// What the printer object does not store, taken out of the print dialog: the page order, the page set, the page
// ranges and the colour mode (Qt sets them up again as the dialog is shown), and in its Properties, made when
// first asked for, all but the page settings: the job options (banners, holding, priority) and the driver's own
// options (paper source and colour mode among them). The page settings are handed to propertiesShown.
class StoredChoicesOnly : public QObject {
public:
    StoredChoicesOnly(QPrintDialog& dialog, std::function<void(QDialog&)> propertiesShown)
        : m_dialog(dialog)
        , m_propertiesShown(std::move(propertiesShown))
    {
        dialog.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &m_dialog && event->type() == QEvent::Show) {
            hideAll(m_dialog, {"reverse", "pageSetCombo", "pageSetLabel", "colorMode"});
            disablePageRanges(m_dialog);
        } else if (event->type() == QEvent::ChildPolished) {
            if (auto* properties = qobject_cast<QDialog*>(static_cast<QChildEvent*>(event)->child())) {
                offerStoredProperties(*properties);
                m_propertiesShown(*properties);
            }
        }
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
    std::function<void(QDialog&)> m_propertiesShown;
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
// nothing when the printer's settings could not be read. The paper and orientation are those the page settings
// show (Qt's printer may refuse a page layout, and makes the print dialog's Properties on its own default paper
// at OK when the user did not open them); page settings the user was not shown are left as they were.
void takeChoice(const QPrinter& printer, const CupsPlatform::Shown& shown, const QWidget* pageSettings,
                const QString& defaultName, std::optional<DevMode>& devMode, std::optional<QByteArray>& devNames)
{
    if (printer.printerName().isEmpty() || !sameName(printer.printerName(), shown.name) || !shown.read)
        return; // a file output, or a printer whose settings did not come
    DevMode chosen = heldBy(printer);
    if (!pageSettings) {
        copyPaper(chosen, shown.shown);
        chosen.dmOrientation = shown.shown.dmOrientation;
    } else if (const auto settings = PageSettings::in(*pageSettings)) {
        settings->readInto(chosen);
    }
    if (chosen.dmPaperWidth == 0 || chosen.dmPaperLength == 0)
        return; // a paper the record cannot hold
    devMode = shown.stored ? changedByTheUser(*shown.stored, shown.shown, chosen)
                           : chosenWithoutStored(shown.shown, chosen);
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
    const StoredChoicesOnly storedChoicesOnly(dialog, [&on](QDialog& properties) {
        if (!showStoredPage(properties, on.shown))
            return;
        on.pageSettings = &properties;
        cancelToWhatWasShown(properties);
    });

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
            disablePageRanges(dialog);
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
    takeChoice(printer, on.shown, on.pageSettings, on.defaultName, record.hDevMode, record.hDevNames);
    return true;
}

bool CupsPlatform::pageSetupDlg(PageSetupDlg& record)
{
    const PlatformCall call(*this);
    DialogOn<QPageSetupDialog> on;
    if (!setUpDialog(on, record.hwndOwner))
        return false;
    offerStoredPageSettings(*on.dialog, true);
    showStoredPage(*on.dialog, on.shown);
    on.pageSettings = on.dialog.get();
    if (!runDialog(*on.dialog))
        return false;
    const QPrinter& printer = *on.printer;
    takeChoice(printer, on.shown, on.pageSettings, on.defaultName, record.hDevMode, record.hDevNames);
    // The margins the dialog shows, which Qt's printer does not take when they lie outside what the printer prints.
    const auto settings = PageSettings::in(*on.dialog);
    const QPageLayout layout = settings ? settings->layoutShown() : printer.pageLayout();
    QMarginsF margins;
    if (record.flags & c::psd_inhundredthsofmillimeters)
        margins = layout.margins(QPageLayout::Millimeter) * 100.0;
    else if (record.flags & c::psd_inthousandthsofinches)
        margins = layout.margins(QPageLayout::Inch) * 1000.0;
    record.rtMargin.left = std::int32_t(std::lround(margins.left()));
    record.rtMargin.top = std::int32_t(std::lround(margins.top()));
    record.rtMargin.right = std::int32_t(std::lround(margins.right()));
    record.rtMargin.bottom = std::int32_t(std::lround(margins.bottom()));
    return true;
}

} // namespace printer
