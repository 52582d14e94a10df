// The printer object against a private CUPS scheduler with its queues on file:///dev/null.

#include "cups_scheduler.h"

#include "printer/cups_platform.h"
#include "printer/n_printer.h"

#include <cups/cups.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPageSetupDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using printer::n_printer;

namespace {

const QString alpha = QStringLiteral("fm_alpha"); // generic driver, custom sizes
const QString beta = QStringLiteral("fm_beta");   // generic driver, not shared
const QString raw = QStringLiteral("fm_raw");     // raw queue: no driver, no paper of its own
// Photo driver: 3.5 x 5 in by default, 4 x 6 in, A4 and letter, no custom sizes; two trays, duplex, colour.
const QString photo = QStringLiteral("fm_photo");
const QString group = QStringLiteral("fm_class"); // class of fm_alpha and fm_beta
const QString generic = QStringLiteral("Generic PostScript Printer");
const QString nullDevice = QStringLiteral("file:///dev/null");

constexpr qint64 local = n_printer::printer_attribute_local;
constexpr qint64 shared = n_printer::printer_attribute_shared;
constexpr qint64 isDefault = n_printer::printer_attribute_default;
constexpr qint32 paused = 0x1;
constexpr qint32 notAvailable = 0x1000;

// The system services with some answers replaced, to show what the object does with them.
class TestPlatform : public printer::CupsPlatform {
public:
    std::uint32_t extraAttributes = 0;
    bool documentReadFails = false;
    std::function<bool(printer::PrintDlg&)> printDialog;
    std::function<bool(printer::PageSetupDlg&)> pageDialog;
    std::optional<QString> deviceEntry;
    bool setPrinterFails = false;
    // Run once, right after a printer was opened or its document settings were read.
    std::function<void()> afterOpen;
    std::function<void()> afterDocumentRead;

    std::unique_ptr<printer::PrinterHandle> openPrinter(const QString& name) override
    {
        auto handle = CupsPlatform::openPrinter(name);
        if (const auto hook = std::exchange(afterOpen, nullptr))
            hook();
        return handle;
    }

    printer::SetPrinterResult setPrinter(printer::PrinterHandle& handle, const printer::PrinterInfo2& info) override
    {
        return setPrinterFails ? printer::SetPrinterResult::refused : CupsPlatform::setPrinter(handle, info);
    }

    QString profileString(const QString& section, const QString& key, const QString& defaultText) override
    {
        return deviceEntry ? *deviceEntry : CupsPlatform::profileString(section, key, defaultText);
    }

    std::optional<printer::PrinterInfo2> getPrinter(printer::PrinterHandle& handle) override
    {
        auto info = CupsPlatform::getPrinter(handle);
        if (info)
            info->attributes |= extraAttributes;
        return info;
    }
    std::optional<printer::DevMode> documentPropertiesOut(printer::PrinterHandle& handle) override
    {
        if (documentReadFails)
            return std::nullopt;
        auto devMode = CupsPlatform::documentPropertiesOut(handle);
        if (const auto hook = std::exchange(afterDocumentRead, nullptr))
            hook();
        return devMode;
    }
    bool printDlg(printer::PrintDlg& record) override
    {
        return printDialog ? printDialog(record) : CupsPlatform::printDlg(record);
    }
    bool pageSetupDlg(printer::PageSetupDlg& record) override
    {
        return pageDialog ? pageDialog(record) : CupsPlatform::pageSetupDlg(record);
    }
};

printer::DevMode devMode(std::uint16_t paper, std::uint16_t width, std::uint16_t length, std::uint16_t orientation)
{
    printer::DevMode mode;
    mode.dmFields = n_printer::dm_orientation | n_printer::dm_papersize | n_printer::dm_paperlength
        | n_printer::dm_paperwidth;
    mode.dmPaperSize = paper;
    mode.dmPaperWidth = width;
    mode.dmPaperLength = length;
    mode.dmOrientation = orientation;
    // A dialog gives the whole record: one copy, grey, one-sided, uncollated.
    mode.dmFields |= n_printer::dm_copies | n_printer::dm_color | n_printer::dm_duplex | n_printer::dm_collate;
    mode.dmCopies = 1;
    mode.dmColor = 1;
    mode.dmDuplex = 1;
    mode.dmCollate = 0;
    return mode;
}

// A dialog that closes with OK on the given printer and settings.
std::function<bool(printer::PrintDlg&)> choosing(std::optional<QString> name, std::optional<printer::DevMode> mode)
{
    return [name, mode](printer::PrintDlg& record) {
        if (name)
            record.hDevNames = printer::makeDevNames(generic, *name, nullDevice, false);
        record.hDevMode = mode;
        return true;
    };
}

// Restores an environment variable's absence at the end of a test.
class EnvironmentVariable {
public:
    EnvironmentVariable(const char* name, const QByteArray& value)
        : m_name(name)
    {
        qputenv(name, value);
    }
    ~EnvironmentVariable() { qunsetenv(m_name); }
    EnvironmentVariable(const EnvironmentVariable&) = delete;
    EnvironmentVariable& operator=(const EnvironmentVariable&) = delete;

private:
    const char* m_name;
};

// When a test freezes the scheduler, or points the object at an address that drops connection attempts or at
// one that answers one byte at a time.
enum class Freeze { beforeTheCall, afterTheOpen, afterTheSettingsRead, unreachable, trickling };

// Keeps libcups pointed at a stand-in for the scheduler, and at the scheduler again afterwards.
template <class StandIn>
class ReplacedScheduler {
public:
    explicit ReplacedScheduler(const CupsScheduler& scheduler)
        : m_socket(QFile::encodeName(scheduler.socketPath()))
    {
        cupsSetServer(m_standIn.address().constData());
    }
    ~ReplacedScheduler() { cupsSetServer(m_socket.constData()); }
    ReplacedScheduler(const ReplacedScheduler&) = delete;
    ReplacedScheduler& operator=(const ReplacedScheduler&) = delete;
    bool isValid() const { return m_standIn.isValid(); }

private:
    StandIn m_standIn;
    QByteArray m_socket;
};

// Silences the scheduler as a row says: frozen before the call or once the platform has opened the printer or
// read its settings, out of reach behind an address that drops connection attempts, or replaced by a server that
// answers one byte at a time. It answers again when this ends.
class Silence {
public:
    Silence(CupsScheduler& scheduler, Freeze freeze, TestPlatform& platform)
        : m_scheduler(scheduler)
    {
        if (freeze == Freeze::beforeTheCall)
            m_frozen.emplace(scheduler);
        else if (freeze == Freeze::unreachable)
            m_unreachable.emplace(scheduler);
        else if (freeze == Freeze::trickling)
            m_trickling.emplace(scheduler);
        else
            (freeze == Freeze::afterTheOpen ? platform.afterOpen : platform.afterDocumentRead) = [this] {
                m_frozen.emplace(m_scheduler);
            };
    }
    Silence(const Silence&) = delete;
    Silence& operator=(const Silence&) = delete;

    // False when no stand-in for the scheduler could be made.
    bool isValid() const
    {
        return (!m_unreachable || m_unreachable->isValid()) && (!m_trickling || m_trickling->isValid());
    }
    bool happened() const { return m_frozen || m_unreachable || m_trickling; }
    void end()
    {
        m_frozen.reset();
        m_unreachable.reset();
        m_trickling.reset();
    }

private:
    CupsScheduler& m_scheduler;
    std::optional<CupsScheduler::Frozen> m_frozen;
    std::optional<ReplacedScheduler<Blackhole>> m_unreachable;
    std::optional<ReplacedScheduler<TricklingServer>> m_trickling;
};

// Every call and dialog step against a scheduler that does not answer ends within this time.
constexpr qint64 answer_bound_ms = 5000;

// A printer's paper, orientation and duplex as the object reads them: "9 2100x2970 portrait one-sided".
QString settingsOf(const QString& name)
{
    n_printer object;
    int paper = 0, width = 0, length = 0;
    QVariant orientation;
    if (object.of_getpapersize(name, paper, width, length) != 1
        || object.of_printer(name, 7, orientation, paper, width, length) != 1)
        return QStringLiteral("unread");
    printer::CupsPlatform platform;
    const auto handle = platform.openPrinter(name);
    const auto settings = handle ? platform.documentPropertiesOut(*handle) : std::nullopt;
    if (!settings)
        return QStringLiteral("unread");
    const char* sides[] = {"one-sided", "two-sided-long-edge", "two-sided-short-edge"};
    return QStringLiteral("%1 %2x%3 %4 %5")
        .arg(paper)
        .arg(width)
        .arg(length)
        .arg(orientation.toUInt() == n_printer::dmorient_landscape ? "landscape" : "portrait")
        .arg(settings->dmDuplex >= 1 && settings->dmDuplex <= 3 ? sides[settings->dmDuplex - 1] : "?");
}

// The paper Qt's print support takes for the printer, as CUPS applies its options: "2100x2970".
QString paperQtTakes(const QString& name)
{
    const QSizeF mm = QPrinterInfo::printerInfo(name).defaultPageSize().size(QPageSize::Millimeter);
    return QStringLiteral("%1x%2").arg(std::lround(mm.width() * 10)).arg(std::lround(mm.height() * 10));
}

// A user's options file as one may find it: a comment, a blank line, another printer's options, an instance.
const QString handWritten = QStringLiteral("# kept by hand\n"
                                           "\n"
                                           "Default fm_alpha sides=two-sided-long-edge\n"
                                           "Dest fm_beta  job-sheets=none,none   print-quality=5\n"
                                           "Dest fm_alpha/draft print-quality=3 job-name=\"a \\\"b\\\"\"\n");

// The print dialog once it is on screen.
QPrintDialog* shownPrintDialog(QWidget* modal)
{
    auto* dialog = qobject_cast<QPrintDialog*>(modal);
    return dialog && dialog->isVisible() ? dialog : nullptr;
}

// The page settings a dialog offers, of the paper, the orientation, the margins and pages per sheet.
QStringList pageSettingsOffered(const QWidget& dialog)
{
    QStringList offered;
    for (const char* name : {"pageSizeCombo", "landscape", "topMargin", "pagesPerSheetCombo"})
        if (const auto* widget = dialog.findChild<QWidget*>(QLatin1String(name)); widget && widget->isVisibleTo(&dialog))
            offered << QLatin1String(name);
    return offered;
}

} // namespace

using Change = std::function<QString(n_printer&)>;
using Touch = std::function<void(QPrintDialog&)>;
Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(Touch)
Q_DECLARE_METATYPE(Freeze)

class tst_printer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void printerListInSpoolerOrder();
    void printerListKeepsEntriesBehindTheCount();
    void unreachableScheduler();
    void queueRecords_data();
    void queueRecords();
    void queueStates_data();
    void queueStates();
    void namesAreCaseInsensitive();
    void attributeWithHighBitIsNotWrapped();
    void directNeedsAPrinterThatOpens_data();
    void directNeedsAPrinterThatOpens();

    void defaultPaperOfTheDriver();
    void paperSetAndReadBack_data();
    void paperSetAndReadBack();
    void paperRefusedStoresNothing_data();
    void paperRefusedStoresNothing();
    void namedPapersWithoutNumberRoundTrip_data();
    void namedPapersWithoutNumberRoundTrip();
    void paperBesideTrayKeyword();
    void classTakesItsMembersPaper();
    void spellingsReadAsCupsAppliesThem_data();
    void spellingsReadAsCupsAppliesThem();
    void orientation_data();
    void orientation();
    void aliasesAndOtherCommands();
    void printerWithoutDocumentDefaults();
    void failedDocumentReadStoresNothing();

    void setDefaultReadBack();
    void setDefaultRefused();
    void environmentDefaultOverrides_data();
    void environmentDefaultOverrides();
    void ownDefaultKeptWhenTheEnvironmentNamesOne_data();
    void ownDefaultKeptWhenTheEnvironmentNamesOne();
    void dialogsStartOnThePrinterInEffect_data();
    void dialogsStartOnThePrinterInEffect();
    void failedDefaultLookupFailsTheRecord();
    void optionsFileAsTheToolWritesIt_data();
    void optionsFileAsTheToolWritesIt();
    void defaultDeviceEntry();
    void defaultPrinterFromEntry_data();
    void defaultPrinterFromEntry();

    void stringFromBlob_data();
    void stringFromBlob();

    void printSetupOkStoresAndMakesDefault();
    void printSetupCancelAppliesNothing();
    void printSetupOkWithoutChoiceAppliesNothing_data();
    void printSetupOkWithoutChoiceAppliesNothing();
    void printSetupRefusedSettingsReported_data();
    void printSetupRefusedSettingsReported();
    void defaultOverriddenChangesNothing_data();
    void defaultOverriddenChangesNothing();
    void printSetupRefusedDefaultReported();
    void pageSetupMarginsInOrder();
    void pageSetupCancelKeepsMargins();
    void pageSetupMarginsReturnedWhenNotApplied_data();
    void pageSetupMarginsReturnedWhenNotApplied();
    void realPrintDialogAccepted_data();
    void realPrintDialogAccepted();
    void realPrintDialogStoresJobChoices();
    void realPageSetupDialogAccepted();
    void switchedPrinterShowsAndKeepsItsSettings_data();
    void switchedPrinterShowsAndKeepsItsSettings();
    void dialogsOfferOnlyWhatIsStored();
    void unchangedOkKeepsWhatCupsApplies_data();
    void unchangedOkKeepsWhatCupsApplies();
    void pageSetupStoresWhatItShows_data();
    void pageSetupStoresWhatItShows();
    void dialogsKeepTheDefaultInstance_data();
    void dialogsKeepTheDefaultInstance();
    void printDialogOffersNoPageRanges();
    void queueWithoutSettingsChosenInTheDialog_data();
    void queueWithoutSettingsChosenInTheDialog();
    void instancesAsTheToolWritesThem_data();
    void instancesAsTheToolWritesThem();
    void undefinedInstanceIsNoPrinter_data();
    void undefinedInstanceIsNoPrinter();

    void silentSchedulerEndsEveryCall_data();
    void silentSchedulerEndsEveryCall();
    void silentSchedulerOpensNoDialog_data();
    void silentSchedulerOpensNoDialog();
    void dialogStepsEndWhenTheSchedulerFreezes_data();
    void dialogStepsEndWhenTheSchedulerFreezes();

    void paperTheRecordCannotHold_data();
    void paperTheRecordCannotHold();
    void linesOfOtherDestinationsKept_data();
    void linesOfOtherDestinationsKept();
    void defaultLineKeptWithoutHome();
    void programsChangingOptionsAtOnce();

    // Last: removes the queues.
    void emptySpoolerListsNothing();

private:
    QString userOptions() const;
    void writeUserOptions(const QString& text);
    QString optionsCupsReads(const QString& home);
    std::unique_ptr<QTimer> acceptModalDialogLater(const std::function<bool(QWidget*)>& isTheDialog);

    CupsScheduler m_cups;
};

void tst_printer::initTestCase()
{
    QVERIFY2(m_cups.start(), qPrintable(m_cups.error()));
    const QString ppd = QStringLiteral(FM_PRINTER_TEST_DIR "/generic.ppd");
    // Added out of order: the list comes in the spooler's order.
    QVERIFY2(m_cups.addQueue(raw, QString()), qPrintable(m_cups.error()));
    QVERIFY2(m_cups.addQueue(beta, ppd, {QStringLiteral("-o"), QStringLiteral("printer-is-shared=false")}),
             qPrintable(m_cups.error()));
    QVERIFY2(m_cups.addQueue(alpha, ppd), qPrintable(m_cups.error()));
    QVERIFY2(m_cups.addQueue(photo, QStringLiteral(FM_PRINTER_TEST_DIR "/photo.ppd")), qPrintable(m_cups.error()));
    for (const QString& member : {alpha, beta})
        QVERIFY2(m_cups.run(QStringLiteral("lpadmin"), {QStringLiteral("-p"), member, QStringLiteral("-c"), group}),
                 qPrintable(m_cups.error()));
    for (const char* tool : {"cupsenable", "cupsaccept"})
        QVERIFY2(m_cups.run(QLatin1String(tool), {group}), qPrintable(m_cups.error()));
}

void tst_printer::cleanupTestCase()
{
    const qint64 pid = m_cups.pid();
    QVERIFY(pid > 0);
    QVERIFY(m_cups.stop());
    QVERIFY(!m_cups.isRunning());
}

void tst_printer::init()
{
    // Every test starts without options of the user's own and without a default printer.
    QDir(m_cups.homePath() + QStringLiteral("/.cups")).removeRecursively();
}

QString tst_printer::userOptions() const
{
    QFile file(m_cups.userOptionsPath());
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

void tst_printer::writeUserOptions(const QString& text)
{
    QVERIFY(QDir().mkpath(QFileInfo(m_cups.userOptionsPath()).path()));
    QFile file(m_cups.userOptionsPath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QVERIFY(file.write(text.toUtf8()) == text.toUtf8().size());
}

QString tst_printer::optionsCupsReads(const QString& home)
{
    // The options of every printer, of the instance the hand-written file names, and the default printer; empty
    // when a tool fails.
    QString read;
    for (const QString& name : {alpha, alpha + QStringLiteral("/draft"), beta, group, photo, raw}) {
        if (!m_cups.run(QStringLiteral("lpoptions"), {QStringLiteral("-p"), name}, home))
            return QString();
        read += name + QStringLiteral(": ") + m_cups.output() + QLatin1Char('\n');
    }
    if (!m_cups.run(QStringLiteral("lpstat"), {QStringLiteral("-d")}, home))
        return QString();
    return read + m_cups.output();
}

std::unique_ptr<QTimer> tst_printer::acceptModalDialogLater(const std::function<bool(QWidget*)>& isTheDialog)
{
    // Lives as long as the caller keeps it, so it never answers a dialog of a later test.
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(50);
    QTimer* ticking = timer.get();
    connect(ticking, &QTimer::timeout, this, [ticking, isTheDialog, deadline = QDeadlineTimer(10000)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && isTheDialog(modal)) {
            QMetaObject::invokeMethod(modal, "accept", Qt::QueuedConnection);
            ticking->stop();
        } else if (deadline.hasExpired()) {
            // Never leave a test waiting in a dialog: cancel whatever dialog is open.
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
                    QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
        }
    });
    ticking->start();
    return timer;
}

void tst_printer::printerListInSpoolerOrder()
{
    n_printer object;
    QStringList list;
    QCOMPARE(object.of_getprinterlist(list), 5);
    QCOMPARE(list, (QStringList{alpha, beta, group, photo, raw}));
}

void tst_printer::printerListKeepsEntriesBehindTheCount()
{
    n_printer object;
    QStringList list{"one", "two", "three", "four", "five", "six", "seven"};
    QCOMPARE(object.of_getprinterlist(list), 5);
    QCOMPARE(list, (QStringList{alpha, beta, group, photo, raw, "six", "seven"}));
}

void tst_printer::unreachableScheduler()
{
    n_printer object;
    const QByteArray nowhere = QFile::encodeName(m_cups.homePath() + QStringLiteral("/no-scheduler.sock"));
    cupsSetServer(nowhere.constData());
    QStringList list{"kept"};
    const int count = object.of_getprinterlist(list);
    const int direct = object.of_direct(alpha, QString());
    const QString driver = object.of_getdrivername(alpha);
    cupsSetServer(QFile::encodeName(m_cups.socketPath()).constData());

    QCOMPARE(count, -1);
    QCOMPARE(list, QStringList{"kept"});
    QCOMPARE(direct, -1);
    QCOMPARE(driver, QString());
    QCOMPARE(object.of_getprinterlist(list), 5); // reachable again
}

void tst_printer::queueRecords_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("driver");
    QTest::addColumn<QString>("port");
    QTest::addColumn<qint32>("status");
    QTest::addColumn<qint64>("attributes");

    QTest::newRow("generic driver, shared") << alpha << generic << nullDevice << 0 << (local | shared);
    QTest::newRow("generic driver, not shared") << beta << generic << nullDevice << 0 << local;
    QTest::newRow("raw queue") << raw << QStringLiteral("Local Raw Printer") << nullDevice << 0
                               << (local | shared | n_printer::printer_attribute_raw_only);
    QTest::newRow("class of two queues") << group << QStringLiteral("Local Printer Class") << nullDevice << 0
                                         << (local | shared);
    QTest::newRow("no such printer") << QStringLiteral("fm_none") << QString() << QString() << -1 << qint64(-1);
    QTest::newRow("empty name") << QString() << QString() << QString() << -1 << qint64(-1);
}

void tst_printer::queueRecords()
{
    QFETCH(QString, name);
    n_printer object;
    QTEST(object.of_getdrivername(name), "driver");
    QTEST(object.of_getportname(name), "port");
    QTEST(object.of_getstatus(name), "status");
    QTEST(object.of_getattribute(name), "attributes");
}

void tst_printer::queueStates_data()
{
    QTest::addColumn<QStringList>("stop");
    QTest::addColumn<QStringList>("resume");
    QTest::addColumn<qint32>("status");

    // A stopped queue keeps taking jobs and holds them; a rejecting one prints what it has and takes none.
    QTest::newRow("stopped is paused") << QStringList{"cupsdisable"} << QStringList{"cupsenable"} << paused;
    QTest::newRow("rejecting takes no job") << QStringList{"cupsreject"} << QStringList{"cupsaccept"} << notAvailable;
    QTest::newRow("stopped and rejecting") << QStringList{"cupsdisable", "cupsreject"}
                                           << QStringList{"cupsenable", "cupsaccept"} << (paused | notAvailable);
}

void tst_printer::queueStates()
{
    QFETCH(QStringList, stop);
    QFETCH(QStringList, resume);
    n_printer object;
    for (const QString& tool : stop)
        QVERIFY2(m_cups.run(tool, {beta}), qPrintable(m_cups.error()));
    const qint32 status = object.of_getstatus(beta);
    const qint64 attributes = object.of_getattribute(beta);
    for (const QString& tool : resume)
        QVERIFY2(m_cups.run(tool, {beta}), qPrintable(m_cups.error()));

    QTEST(status, "status");
    QCOMPARE(attributes, local); // neither is a printer used offline
    QCOMPARE(object.of_getstatus(beta), 0);
}

void tst_printer::namesAreCaseInsensitive()
{
    // The scheduler takes any case; what is stored carries the queue's own name, so every program sees it.
    n_printer object;
    const QString upper = beta.toUpper();
    QCOMPARE(object.of_getdrivername(upper), generic);
    QCOMPARE(object.of_setdefault(upper), 1);
    QCOMPARE(object.of_setpapersize(upper, n_printer::dmpaper_a5, 0, 0), 1);
    QCOMPARE(userOptions(), QStringLiteral("Default fm_beta media=iso_a5_148x210mm\n"));
    QCOMPARE(object.of_getattribute(upper), local | isDefault);
    QCOMPARE(object.of_getattribute(beta), local | isDefault);
    QCOMPARE(object.of_getpbprinter(), beta);
    QVERIFY2(m_cups.run(QStringLiteral("lpoptions"), {QStringLiteral("-p"), beta}), qPrintable(m_cups.error()));
    QVERIFY2(m_cups.output().contains(QStringLiteral("media=iso_a5_148x210mm")), qPrintable(m_cups.output()));
    int paper = 0, width = 0, length = 0;
    QCOMPARE(object.of_getpapersize(upper, paper, width, length), 1);
    QCOMPARE(paper, int(n_printer::dmpaper_a5));
}

void tst_printer::attributeWithHighBitIsNotWrapped()
{
    TestPlatform platform;
    platform.extraAttributes = 0x8000 | 0x10000;
    n_printer object(platform);
    QCOMPARE(object.of_getattribute(alpha), local | shared | 0x8000 | 0x10000);
    QCOMPARE(object.of_getattribute(QStringLiteral("fm_none")), qint64(-1));
}

void tst_printer::directNeedsAPrinterThatOpens_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("result");
    QTest::newRow("queue with driver") << alpha << 1;
    QTest::newRow("raw queue") << raw << 1;
    QTest::newRow("no such printer") << QStringLiteral("fm_none") << -1;
    QTest::newRow("empty name") << QString() << -1;
}

void tst_printer::directNeedsAPrinterThatOpens()
{
    QFETCH(QString, name);
    n_printer object;
    QTEST(object.of_direct(name, QStringLiteral("ignored")), "result");
}

void tst_printer::defaultPaperOfTheDriver()
{
    n_printer object;
    int paper = -7, width = -7, length = -7;
    QCOMPARE(object.of_getpapersize(alpha, paper, width, length), 1);
    QCOMPARE(paper, int(n_printer::dmpaper_a4));
    QCOMPARE(width, 2100);
    QCOMPARE(length, 2970);
    QVariant orientation;
    QCOMPARE(object.of_printer(alpha, 7, orientation, paper, width, length), 1);
    QCOMPARE(orientation.toUInt(), n_printer::dmorient_portrait);
}

void tst_printer::paperSetAndReadBack_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("paper");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("readWidth");
    QTest::addColumn<int>("readLength");
    QTest::addColumn<QString>("options"); // the user's options file afterwards

    QTest::newRow("A4 is 9, the driver's own: nothing to store") << alpha << 9 << 0 << 0 << 2100 << 2970 << "";
    QTest::newRow("letter is 1, width and length ignored")
        << alpha << 1 << 1500 << 2000 << 2159 << 2794 << "Dest fm_alpha media=na_letter_8.5x11in\n";
    QTest::newRow("A5 is 11 on the unshared queue")
        << beta << 11 << 0 << 0 << 1480 << 2100 << "Dest fm_beta media=iso_a5_148x210mm\n";
    QTest::newRow("user size 150 x 200 mm is 256")
        << alpha << 256 << 1500 << 2000 << 1500 << 2000 << "Dest fm_alpha media=custom_150x200mm_150x200mm\n";
}

void tst_printer::paperSetAndReadBack()
{
    QFETCH(QString, name);
    QFETCH(int, paper);
    QFETCH(int, width);
    QFETCH(int, length);
    n_printer object;
    QCOMPARE(object.of_setpapersize(name, paper, width, length), 1);
    QTEST(userOptions(), "options");

    int readPaper = 0, readWidth = 0, readLength = 0;
    QCOMPARE(object.of_getpapersize(name, readPaper, readWidth, readLength), 1);
    QCOMPARE(readPaper, paper);
    QTEST(readWidth, "readWidth");
    QTEST(readLength, "readLength");
}

void tst_printer::paperRefusedStoresNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("paper");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("length");

    QTest::newRow("A3 not listed by the driver") << alpha << 8 << 0 << 0;
    QTest::newRow("no such paper number") << alpha << 999 << 0 << 0;
    QTest::newRow("negative paper number") << alpha << -9 << 0 << 0;
    QTest::newRow("user size above the driver's maximum") << alpha << 256 << 5000 << 6000;
    QTest::newRow("user size without width and length") << alpha << 256 << 0 << 0;
    QTest::newRow("raw queue lists no paper") << raw << 9 << 0 << 0;
    QTest::newRow("user size on a queue without custom sizes") << photo << 256 << 1500 << 2000;
    QTest::newRow("A5 not listed by the photo driver") << photo << 11 << 0 << 0;
    QTest::newRow("no such printer") << QStringLiteral("fm_none") << 9 << 0 << 0;
}

void tst_printer::paperRefusedStoresNothing()
{
    QFETCH(QString, name);
    QFETCH(int, paper);
    QFETCH(int, width);
    QFETCH(int, length);
    n_printer object;
    QCOMPARE(object.of_setpapersize(name, paper, width, length), -1);
    QCOMPARE(userOptions(), QString());
    int readPaper = 0, readWidth = 0, readLength = 0;
    if (name == alpha) {
        QCOMPARE(object.of_getpapersize(alpha, readPaper, readWidth, readLength), 1);
        QCOMPARE(readPaper, int(n_printer::dmpaper_a4));
    }
}

void tst_printer::namedPapersWithoutNumberRoundTrip_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("options"); // the user's options file once it is set

    QTest::newRow("3.5 x 5 in, the driver's default") << 889 << 1270 << "Dest fm_photo media=oe_photo-l_3.5x5in\n";
    QTest::newRow("4 x 6 in") << 1016 << 1524 << "Dest fm_photo media=na_index-4x6_4x6in\n";
}

void tst_printer::namedPapersWithoutNumberRoundTrip()
{
    // Papers the queue lists but Windows has no number for read as 256 with their size, and set back so, though
    // the queue takes no custom size; the object can always come back to them from a numbered paper.
    QFETCH(int, width);
    QFETCH(int, length);
    n_printer object;
    QCOMPARE(object.of_setpapersize(photo, n_printer::dmpaper_a4, 0, 0), 1);
    QCOMPARE(object.of_setpapersize(photo, n_printer::dmpaper_user, width, length), 1);
    QTEST(userOptions(), "options");
    int paper = 0, readWidth = 0, readLength = 0;
    QCOMPARE(object.of_getpapersize(photo, paper, readWidth, readLength), 1);
    QCOMPARE(std::tuple(paper, readWidth, readLength), std::tuple(256, width, length));
    QCOMPARE(object.of_setpapersize(photo, paper, readWidth, readLength), 1);
    QTEST(userOptions(), "options");
}

void tst_printer::paperBesideTrayKeyword()
{
    // A media option may name a tray (or a type) beside the size, as the lpoptions tool stores it.
    QVERIFY2(m_cups.run(QStringLiteral("lpoptions"), {QStringLiteral("-p"), photo, QStringLiteral("-o"),
                                                       QStringLiteral("media=A4,Upper")}),
             qPrintable(m_cups.error()));
    n_printer object;
    int paper = 0, width = 0, length = 0;
    QCOMPARE(object.of_getpapersize(photo, paper, width, length), 1);
    QCOMPARE(std::tuple(paper, width, length), std::tuple(9, 2100, 2970));
    QVariant orientation;
    QCOMPARE(object.of_printer(photo, 7, orientation, paper, width, length), 1);
    QCOMPARE(orientation.toUInt(), n_printer::dmorient_portrait);

    // A new size keeps the tray.
    QCOMPARE(object.of_setpapersize(photo, n_printer::dmpaper_letter, 0, 0), 1);
    QCOMPARE(userOptions(), QStringLiteral("Dest fm_photo media=na_letter_8.5x11in,Upper\n"));
    QCOMPARE(object.of_getpapersize(photo, paper, width, length), 1);
    QCOMPARE(paper, int(n_printer::dmpaper_letter));
    QVariant landscape(2);
    QCOMPARE(object.of_printer(photo, 103, landscape, paper, width, length), 1);
    QCOMPARE(userOptions(), QStringLiteral("Dest fm_photo media=na_letter_8.5x11in,Upper orientation-requested=4\n"));
}

void tst_printer::classTakesItsMembersPaper()
{
    // A job sent to a class prints on any member: the class offers the papers they all take, the first
    // member's default until the user sets one for the class.
    n_printer object;
    int paper = 0, width = 0, length = 0;
    QCOMPARE(object.of_getpapersize(group, paper, width, length), 1);
    QCOMPARE(std::tuple(paper, width, length), std::tuple(9, 2100, 2970));
    QCOMPARE(object.of_setpapersize(group, n_printer::dmpaper_a5, 0, 0), 1);
    QCOMPARE(object.of_setpapersize(group, n_printer::dmpaper_user, 1200, 1800), 1);
    QCOMPARE(object.of_setpapersize(group, n_printer::dmpaper_a3, 0, 0), -1);
    QCOMPARE(userOptions(), QStringLiteral("Dest fm_class media=custom_120x180mm_120x180mm\n"));
    QCOMPARE(object.of_getpapersize(group, paper, width, length), 1);
    QCOMPARE(std::tuple(paper, width, length), std::tuple(256, 1200, 1800));
    QCOMPARE(object.of_getpapersize(alpha, paper, width, length), 1); // the members keep their own
    QCOMPARE(paper, int(n_printer::dmpaper_a4));
}

void tst_printer::spellingsReadAsCupsAppliesThem_data()
{
    QTest::addColumn<QStringList>("stored"); // the photo queue's options, set with the lpoptions tool
    QTest::addColumn<QString>("written");    // the user's options file as the tool writes it
    QTest::addColumn<QString>("before");     // paper, orientation and duplex read
    QTest::addColumn<Change>("change");
    QTest::addColumn<QString>("after");      // the user's options file once changed
    QTest::addColumn<QString>("readBack");

    const auto setPaper = [](int paper) {
        return Change([paper](n_printer& o) { return QString::number(o.of_setpapersize(photo, paper, 0, 0)); });
    };
    const auto turn = [](uint orientation) {
        return Change([orientation](n_printer& o) {
            QVariant value(orientation);
            int unused = 0;
            return QString::number(o.of_printer(photo, 103, value, unused, unused, unused));
        });
    };
    // The print dialog gives back the settings read, one-sided.
    const Change oneSided = [](n_printer&) {
        printer::CupsPlatform read;
        const auto handle = read.openPrinter(photo);
        auto settings = handle ? read.documentPropertiesOut(*handle) : std::nullopt;
        if (!settings)
            return QStringLiteral("unread");
        settings->dmDuplex = 1;
        TestPlatform platform;
        platform.printDialog = choosing(photo, settings);
        n_printer dialog(platform);
        return QString::number(dialog.of_printsetup(nullptr));
    };
    const QString letter = QStringLiteral("1 2159x2794 portrait one-sided");
    const QString a4 = QStringLiteral("9 2100x2970 portrait one-sided");
    const QString small = QStringLiteral("256 889x1270 portrait one-sided"); // the queue's own 3.5 x 5 in

    // CUPS takes the PPD spellings over the IPP ones, and its own `landscape` over orientation-requested; a change
    // replaces the spelling that would overrule it.
    QTest::newRow("PageSize over the default")
        << QStringList{"PageSize=A4"} << "Dest fm_photo PageSize=A4\n" << a4 << setPaper(1)
        << "Dest fm_photo media=na_letter_8.5x11in\n" << letter;
    QTest::newRow("PageRegion over the default")
        << QStringList{"PageRegion=Letter"} << "Dest fm_photo PageRegion=Letter\n" << letter << setPaper(9)
        << "Dest fm_photo media=iso_a4_210x297mm\n" << a4;
    QTest::newRow("PageSize over media")
        << QStringList{"media=na_letter_8.5x11in", "PageSize=A4"}
        << "Dest fm_photo media=na_letter_8.5x11in PageSize=A4\n" << a4 << setPaper(1)
        << "Dest fm_photo media=na_letter_8.5x11in\n" << letter;
    QTest::newRow("landscape")
        << QStringList{"landscape"} << "Dest fm_photo landscape=true\n" << "256 889x1270 landscape one-sided" << turn(1)
        << "Dest fm_photo orientation-requested=3\n" << small;
    QTest::newRow("landscape=false over orientation-requested")
        << QStringList{"nolandscape", "orientation-requested=4"}
        << "Dest fm_photo landscape=false orientation-requested=4\n" << small << turn(2)
        << "Dest fm_photo orientation-requested=4\n" << "256 889x1270 landscape one-sided";
    QTest::newRow("Duplex over the default")
        << QStringList{"Duplex=DuplexNoTumble"} << "Dest fm_photo Duplex=DuplexNoTumble\n"
        << "256 889x1270 portrait two-sided-long-edge" << oneSided << "Default fm_photo sides=one-sided\n" << small;
    // Media that only CUPS's own matching takes: a tray alone (the size stays the queue's own), a PPD name in
    // another case, the PPD's own name of a size.
    QTest::newRow("media of a tray alone")
        << QStringList{"media=Lower"} << "Dest fm_photo media=Lower\n" << small << setPaper(1)
        << "Dest fm_photo media=na_letter_8.5x11in,Lower\n" << letter;
    QTest::newRow("media in another case")
        << QStringList{"media=a4"} << "Dest fm_photo media=a4\n" << a4 << setPaper(1)
        << "Dest fm_photo media=na_letter_8.5x11in\n" << letter;
    QTest::newRow("media of the PPD's own name")
        << QStringList{"media=w288h432"} << "Dest fm_photo media=w288h432\n" << "256 1016x1524 portrait one-sided"
        << setPaper(1) << "Dest fm_photo media=na_letter_8.5x11in\n" << letter;
}

void tst_printer::spellingsReadAsCupsAppliesThem()
{
    // The object reads what CUPS applies, and after a change that returned 1 CUPS applies what it reads back
    // (Qt's print support, which takes the options as CUPS does, takes the same paper).
    QFETCH(QStringList, stored);
    QFETCH(Change, change);
    QStringList arguments{QStringLiteral("-p"), photo};
    for (const QString& option : stored)
        arguments << QStringLiteral("-o") << option;
    QVERIFY2(m_cups.run(QStringLiteral("lpoptions"), arguments), qPrintable(m_cups.error()));
    QTEST(userOptions(), "written");

    QTEST(settingsOf(photo), "before");
    n_printer object;
    QCOMPARE(change(object), QStringLiteral("1"));
    QTEST(userOptions(), "after");
    const QString read = settingsOf(photo);
    QTEST(read, "readBack");
    QCOMPARE(paperQtTakes(photo), read.section(QLatin1Char(' '), 1, 1));
}

void tst_printer::orientation_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("result");
    QTest::addColumn<uint>("readBack");

    QTest::newRow("landscape is 2") << QVariant(2) << 1 << n_printer::dmorient_landscape;
    QTest::newRow("portrait is 1") << QVariant(1) << 1 << n_printer::dmorient_portrait;
    QTest::newRow("landscape as text") << QVariant(QStringLiteral("2")) << 1 << n_printer::dmorient_landscape;
    QTest::newRow("3 refused by the driver") << QVariant(3) << -1 << n_printer::dmorient_portrait;
    QTest::newRow("no number refused") << QVariant(QStringLiteral("wide")) << -1 << n_printer::dmorient_portrait;
    QTest::newRow("beyond 16 bits refused") << QVariant(65538) << -1 << n_printer::dmorient_portrait;
    QTest::newRow("no value refused") << QVariant() << -1 << n_printer::dmorient_portrait;
}

void tst_printer::orientation()
{
    QFETCH(QVariant, value);
    QFETCH(int, result);
    n_printer object;
    int paper = 0, width = 0, length = 0;
    QCOMPARE(object.of_printer(alpha, 103, value, paper, width, length), result);
    if (result != 1)
        QCOMPARE(userOptions(), QString());
    QVariant read;
    QCOMPARE(object.of_printer(alpha, 7, read, paper, width, length), 1);
    QTEST(read.toUInt(), "readBack");
    // The orientation alone is stored: the paper stays the driver's.
    QCOMPARE(object.of_getpapersize(alpha, paper, width, length), 1);
    QCOMPARE(paper, int(n_printer::dmpaper_a4));
    QVERIFY2(!userOptions().contains(QStringLiteral("media=")), qPrintable(userOptions()));
}

void tst_printer::aliasesAndOtherCommands()
{
    n_printer object;
    QVariant unused;
    int paper = 11, width = 0, length = 0;
    QCOMPARE(object.of_printer(alpha, 102, unused, paper, width, length), 1);
    int paper5 = 0, width5 = 0, length5 = 0, paper6 = 0, width6 = 0, length6 = 0;
    QCOMPARE(object.of_printer(alpha, 5, unused, paper5, width5, length5), 1);
    QCOMPARE(object.of_printer(alpha, 6, unused, paper6, width6, length6), 1);
    QCOMPARE(paper5, int(n_printer::dmpaper_a5));
    QCOMPARE(std::tuple(paper6, width6, length6), std::tuple(paper5, width5, length5));
    QVERIFY(!unused.isValid());

    // Any other command writes the settings back as they are.
    for (const int command : {0, 8, 104}) {
        QCOMPARE(object.of_printer(alpha, command, unused, paper, width, length), 1);
        QCOMPARE(object.of_getpapersize(alpha, paper, width, length), 1);
        QCOMPARE(paper, int(n_printer::dmpaper_a5));
    }
    QCOMPARE(object.of_printer(raw, 8, unused, paper, width, length), -1);
}

void tst_printer::printerWithoutDocumentDefaults()
{
    // The raw queue has no paper of its own: nothing to read, and the outputs stay as they were.
    n_printer object;
    int paper = -5, width = -6, length = -7;
    QCOMPARE(object.of_getpapersize(raw, paper, width, length), -1);
    QCOMPARE(std::tuple(paper, width, length), std::tuple(-5, -6, -7));
    QVariant orientation(42);
    QCOMPARE(object.of_printer(raw, 7, orientation, paper, width, length), -1);
    QCOMPARE(orientation, QVariant(42));
}

void tst_printer::failedDocumentReadStoresNothing()
{
    TestPlatform platform;
    platform.documentReadFails = true;
    n_printer object(platform);
    QVariant landscape(2);
    int paper = 0, width = 0, length = 0;
    QCOMPARE(object.of_printer(alpha, 103, landscape, paper, width, length), -1);
    QCOMPARE(object.of_setpapersize(alpha, 11, 0, 0), -1);
    QCOMPARE(object.of_printer(alpha, 0, landscape, paper, width, length), -1);
    QCOMPARE(userOptions(), QString());
}

void tst_printer::setDefaultReadBack()
{
    n_printer object;
    QCOMPARE(object.of_getpbprinter(), QString());
    QCOMPARE(object.of_setdefault(beta), 1);
    QCOMPARE(object.of_getpbprinter(), beta);
    QCOMPARE(QPrinterInfo::defaultPrinterName(), beta);
    // The user's own folder, as libcups makes it: no one else may read it.
    constexpr auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
        | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    QCOMPARE(QFileInfo(m_cups.homePath() + QStringLiteral("/.cups")).permissions() & others, QFileDevice::Permissions());
    QCOMPARE(object.of_getattribute(beta), local | isDefault);
    QCOMPARE(object.of_setdefault(beta), 1); // already the default: stays so
    QCOMPARE(object.of_getattribute(beta), local | isDefault);

    QCOMPARE(object.of_setpapersize(beta, 11, 0, 0), 1); // options of the old default survive the change
    QCOMPARE(object.of_setdefault(alpha), 1);
    QCOMPARE(object.of_getpbprinter(), alpha);
    QCOMPARE(QPrinterInfo::defaultPrinterName(), alpha);
    QCOMPARE(object.of_getattribute(alpha), local | shared | isDefault);
    QCOMPARE(object.of_getattribute(beta), local);
    int paper = 0, width = 0, length = 0;
    QCOMPARE(object.of_getpapersize(beta, paper, width, length), 1);
    QCOMPARE(paper, int(n_printer::dmpaper_a5));

    QCOMPARE(object.of_setdefault(QStringLiteral("fm_none")), -1);
    QCOMPARE(object.of_getpbprinter(), alpha);
}

void tst_printer::setDefaultRefused()
{
    // The user's options file cannot be written: the change is refused and reported.
    QVERIFY(QDir().mkpath(m_cups.userOptionsPath()));
    n_printer object;
    const int result = object.of_setdefault(beta);
    const QString after = object.of_getpbprinter();
    QVERIFY(QDir(m_cups.userOptionsPath()).removeRecursively());
    QCOMPARE(result, -1);
    QCOMPARE(after, QString());
}

void tst_printer::environmentDefaultOverrides_data()
{
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("defaultAfter");
    QTest::addColumn<QString>("options");

    // The user's programs take LPDEST, or else PRINTER, over the stored default: storing another one would
    // change nothing they see.
    QTest::newRow("LPDEST names another printer") << QByteArray("LPDEST") << QByteArray("fm_alpha") << 0 << alpha << "";
    QTest::newRow("PRINTER names another printer") << QByteArray("PRINTER") << QByteArray("fm_alpha") << 0 << alpha
                                                   << "";
    QTest::newRow("LPDEST names this printer") << QByteArray("LPDEST") << QByteArray("fm_beta") << 1 << beta
                                               << "Default fm_beta\n";
    QTest::newRow("PRINTER lp names no printer") << QByteArray("PRINTER") << QByteArray("lp") << 1 << beta
                                                 << "Default fm_beta\n";
    // Set but empty, either names no printer, and libcups then gives the user's programs no default at all.
    QTest::newRow("LPDEST set but empty") << QByteArray("LPDEST") << QByteArray("") << 0 << "" << "";
    QTest::newRow("PRINTER set but empty") << QByteArray("PRINTER") << QByteArray("") << 0 << "" << "";
}

void tst_printer::environmentDefaultOverrides()
{
    QFETCH(QByteArray, variable);
    QFETCH(QByteArray, value);
    QFETCH(int, result);
    const EnvironmentVariable environment(variable.constData(), value);
    n_printer object;
    QTEST(object.of_setdefault(beta), "result");
    QTEST(object.of_getpbprinter(), "defaultAfter");
    QTEST(userOptions(), "options");

    // The dialogs report the same: their choice is applied only when the printer became the default.
    QFile::remove(m_cups.userOptionsPath());
    TestPlatform platform;
    platform.printDialog = choosing(beta, devMode(n_printer::dmpaper_a5, 1480, 2100, n_printer::dmorient_portrait));
    n_printer dialogs(platform);
    QCOMPARE(dialogs.of_printsetup(nullptr), result);
    QTEST(dialogs.of_getpbprinter(), "defaultAfter");
}

void tst_printer::ownDefaultKeptWhenTheEnvironmentNamesOne_data()
{
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("before"); // the user's options file
    QTest::addColumn<QString>("after");  // once a paper is set on another printer

    // libcups marks the printer the environment names as the default (none, when the user's own Default line
    // names it too) and writes that mark back as the user's Default line: the user's own line stays as it was.
    QTest::newRow("LPDEST names another printer")
        << QByteArray("LPDEST") << QByteArray("fm_beta") << "Default fm_alpha\n"
        << "Default fm_alpha\nDest fm_photo media=iso_a4_210x297mm\n";
    QTest::newRow("LPDEST names the stored default")
        << QByteArray("LPDEST") << QByteArray("fm_beta") << "Default fm_beta\n"
        << "Default fm_beta\nDest fm_photo media=iso_a4_210x297mm\n";
    QTest::newRow("PRINTER names another printer")
        << QByteArray("PRINTER") << QByteArray("fm_beta") << "Default fm_alpha sides=two-sided-long-edge\n"
        << "Default fm_alpha sides=two-sided-long-edge\nDest fm_photo media=iso_a4_210x297mm\n";
    QTest::newRow("LPDEST names a printer, no Default line")
        << QByteArray("LPDEST") << QByteArray("fm_beta") << "Dest fm_alpha print-quality=5\n"
        << "Dest fm_alpha print-quality=5\nDest fm_photo media=iso_a4_210x297mm\n";
}

void tst_printer::ownDefaultKeptWhenTheEnvironmentNamesOne()
{
    QFETCH(QByteArray, variable);
    QFETCH(QByteArray, value);
    QFETCH(QString, before);
    writeUserOptions(before);
    const EnvironmentVariable environment(variable.constData(), value);
    n_printer object;
    QCOMPARE(object.of_setpapersize(photo, n_printer::dmpaper_a4, 0, 0), 1);
    QTEST(userOptions(), "after");
    QCOMPARE(object.of_getpbprinter(), beta); // the environment's printer stays the one in effect
}

void tst_printer::dialogsStartOnThePrinterInEffect_data()
{
    QTest::addColumn<bool>("pageSetup");
    QTest::newRow("print dialog") << false;
    QTest::newRow("page setup") << true;
}

void tst_printer::dialogsStartOnThePrinterInEffect()
{
    // The environment and the user's own Default line name the same printer: libcups marks none as the default,
    // yet that printer is the one in effect, and the dialogs start on it.
    QFETCH(bool, pageSetup);
    writeUserOptions(QStringLiteral("Default fm_beta\n"));
    const EnvironmentVariable environment("LPDEST", "fm_beta");
    QString shownOn;
    const auto answer = acceptModalDialogLater([&shownOn](QWidget* modal) {
        if (!modal->isVisible())
            return false;
        if (auto* dialog = qobject_cast<QPrintDialog*>(modal))
            shownOn = dialog->printer()->printerName();
        else if (auto* setup = qobject_cast<QPageSetupDialog*>(modal))
            shownOn = setup->printer()->printerName();
        return true;
    });
    n_printer object;
    qint32 left = 0, right = 0, top = 0, bottom = 0;
    const int result = pageSetup ? object.of_pagesetup(nullptr, left, right, top, bottom) : object.of_printsetup(nullptr);
    QCOMPARE(shownOn, beta);
    QCOMPARE(result, 1);
    QCOMPARE(userOptions(), QStringLiteral("Default fm_beta\n"));
}

void tst_printer::failedDefaultLookupFailsTheRecord()
{
    // The scheduler goes away between the open and the record, and what takes its place closes every connection
    // before answering: the default bit cannot be known, so the record is not read.
    n_printer direct;
    QCOMPARE(direct.of_setdefault(alpha), 1);
    QCOMPARE(direct.of_getattribute(alpha), local | shared | isDefault);
    TestPlatform platform;
    std::optional<ClosingSocket> closing;
    platform.afterOpen = [&] {
        if (m_cups.stop())
            closing.emplace(m_cups.socketPath());
    };
    n_printer object(platform);
    const qint64 attributes = object.of_getattribute(alpha);
    const bool replaced = closing && closing->isValid();
    closing.reset();
    QVERIFY2(m_cups.start(), qPrintable(m_cups.error()));
    QVERIFY(replaced);
    QCOMPARE(attributes, qint64(-1));
    QCOMPARE(direct.of_getattribute(alpha), local | shared | isDefault);
}

void tst_printer::optionsFileAsTheToolWritesIt_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QStringList>("tool"); // the same change by the lpoptions tool

    QTest::newRow("paper") << Change([](n_printer& o) { return QString::number(o.of_setpapersize(beta, 11, 0, 0)); })
                           << QStringList{"-p", "fm_beta", "-o", "media=iso_a5_148x210mm"};
    QTest::newRow("user size") << Change([](n_printer& o) { return QString::number(o.of_setpapersize(alpha, 256, 1500, 2000)); })
                               << QStringList{"-p", "fm_alpha", "-o", "media=custom_150x200mm_150x200mm"};
    QTest::newRow("orientation") << Change([](n_printer& o) {
        QVariant landscape(2);
        int unused = 0;
        return QString::number(o.of_printer(alpha, 103, landscape, unused, unused, unused));
    }) << QStringList{"-p", "fm_alpha", "-o", "orientation-requested=4"};
    QTest::newRow("default printer") << Change([](n_printer& o) { return QString::number(o.of_setdefault(photo)); })
                                     << QStringList{"-d", "fm_photo"};
    QTest::newRow("paper of a name in capitals")
        << Change([](n_printer& o) { return QString::number(o.of_setpapersize(QStringLiteral("FM_ALPHA"), 1, 0, 0)); })
        << QStringList{"-p", "fm_alpha", "-o", "media=na_letter_8.5x11in"};
    QTest::newRow("default printer in capitals")
        << Change([](n_printer& o) { return QString::number(o.of_setdefault(QStringLiteral("FM_BETA"))); })
        << QStringList{"-d", "fm_beta"};
}

void tst_printer::optionsFileAsTheToolWritesIt()
{
    // What CUPS reads from the file after a change is what it reads after the same change by the tool (which
    // writes every line anew, where the object changes only the printer's own).
    QFETCH(Change, change);
    QFETCH(QStringList, tool);
    const QTemporaryDir toolHome(m_cups.homePath() + QStringLiteral("/../tool-XXXXXX"));
    const QString toolOptions = toolHome.path() + QStringLiteral("/.cups/lpoptions");
    QVERIFY(toolHome.isValid() && QDir().mkpath(QFileInfo(toolOptions).path()));
    writeUserOptions(handWritten);
    QVERIFY(QFile::copy(m_cups.userOptionsPath(), toolOptions));

    n_printer object;
    QCOMPARE(change(object), QStringLiteral("1"));
    QVERIFY2(m_cups.run(QStringLiteral("lpoptions"), tool, toolHome.path()), qPrintable(m_cups.error()));

    const QString read = optionsCupsReads(m_cups.homePath());
    QVERIFY2(!read.isEmpty(), qPrintable(m_cups.error()));
    QCOMPARE(read, optionsCupsReads(toolHome.path()));
    QVERIFY(userOptions() != handWritten);
}

void tst_printer::defaultDeviceEntry()
{
    printer::CupsPlatform platform;
    QCOMPARE(platform.profileString("windows", "device", "none"), QStringLiteral("none"));
    n_printer object;
    QCOMPARE(object.of_setdefault(raw), 1);
    QCOMPARE(platform.profileString("windows", "device", QString()),
             QStringLiteral("fm_raw,Local Raw Printer,file:///dev/null"));
    QCOMPARE(platform.profileString("windows", "spooler", "none"), QStringLiteral("none"));
    QCOMPARE(object.of_getpbprinter(), raw);
}

void tst_printer::defaultPrinterFromEntry_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("name");
    QTest::newRow("name, driver and port") << "fm_alpha,Generic PostScript Printer,file:///dev/null" << alpha;
    QTest::newRow("no entry") << "" << "";
    QTest::newRow("entry without a comma") << "fm_beta" << beta;
    QTest::newRow("entry beginning with a comma") << ",driver,port" << "";
    QTest::newRow("name with a comma is cut at it") << "fm,comma,driver,port" << "fm";
}

void tst_printer::defaultPrinterFromEntry()
{
    QFETCH(QString, entry);
    TestPlatform platform;
    platform.deviceEntry = entry;
    n_printer object(platform);
    QTEST(object.of_getpbprinter(), "name");
}

void tst_printer::stringFromBlob_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("text");

    const QByteArray five("ab\0cd", 5);
    QTest::newRow("offset 1: first two letters") << five << 1 << "ab";
    QTest::newRow("offset 2: inside the first text") << five << 2 << "b";
    QTest::newRow("offset 3: at the NUL byte") << five << 3 << "";
    QTest::newRow("offset 4: last two letters") << five << 4 << "cd";
    QTest::newRow("offset 6: beyond the end") << five << 6 << "";
    QTest::newRow("offset 0") << five << 0 << "";
    QTest::newRow("negative offset") << five << -1 << "";
    QTest::newRow("empty buffer") << QByteArray() << 1 << "";
    QTest::newRow("double-byte text passes through") << QByteArray("\xe5\xad\xa6\0x", 5) << 1 << "学";
    const QByteArray names = printer::makeDevNames(generic, alpha, nullDevice, true);
    QTest::newRow("device name of a device-names block") << names << int(names.at(2)) + 1 << alpha;
    QTest::newRow("output of a device-names block") << names << int(names.at(4)) + 1 << nullDevice;
}

void tst_printer::stringFromBlob()
{
    QFETCH(QByteArray, source);
    QFETCH(int, offset);
    n_printer object;
    QTEST(object.of_getstringfromblob(source, offset), "text");
}

void tst_printer::printSetupOkStoresAndMakesDefault()
{
    TestPlatform platform;
    platform.printDialog = choosing(beta, devMode(n_printer::dmpaper_a5, 1480, 2100, n_printer::dmorient_landscape));
    n_printer object(platform);
    QCOMPARE(object.of_printsetup(nullptr), 1);

    int paper = 0, width = 0, length = 0;
    QCOMPARE(object.of_getpapersize(beta, paper, width, length), 1);
    QCOMPARE(paper, int(n_printer::dmpaper_a5));
    QVariant orientation;
    QCOMPARE(object.of_printer(beta, 7, orientation, paper, width, length), 1);
    QCOMPARE(orientation.toUInt(), n_printer::dmorient_landscape);
    QCOMPARE(object.of_getpbprinter(), beta);

    // A user size chosen in the dialog is stored with its width and length.
    platform.printDialog = choosing(alpha, devMode(n_printer::dmpaper_user, 1200, 1800, n_printer::dmorient_portrait));
    QCOMPARE(object.of_printsetup(nullptr), 1);
    QCOMPARE(object.of_getpapersize(alpha, paper, width, length), 1);
    QCOMPARE(std::tuple(paper, width, length), std::tuple(256, 1200, 1800));
    QCOMPARE(object.of_getpbprinter(), alpha);
}

void tst_printer::printSetupCancelAppliesNothing()
{
    TestPlatform platform;
    bool asked = false;
    platform.printDialog = [&asked](printer::PrintDlg& record) {
        asked = true;
        // The dialog is asked for printer settings only: no selection, no page numbers, no file.
        return record.flags == 0x8002C && false;
    };
    n_printer object(platform);
    QCOMPARE(object.of_printsetup(nullptr), -1);
    QVERIFY(asked);
    QCOMPARE(userOptions(), QString());
    QCOMPARE(object.of_getpbprinter(), QString());
}

void tst_printer::printSetupOkWithoutChoiceAppliesNothing_data()
{
    QTest::addColumn<bool>("withPrinter");
    QTest::addColumn<bool>("withSettings");
    QTest::addColumn<QByteArray>("names");
    QTest::newRow("no printer") << false << true << QByteArray();
    QTest::newRow("no settings") << true << false << QByteArray();
    QTest::newRow("neither") << false << false << QByteArray();
    QTest::newRow("device-names block too short") << true << true << QByteArray("\x08\0", 2);
    QTest::newRow("device offset past the block") << true << true << QByteArray("\x08\0\x40\0\x08\0\0\0", 8);
    QTest::newRow("empty device name") << true << true << printer::makeDevNames(generic, QString(), nullDevice, false);
}

void tst_printer::printSetupOkWithoutChoiceAppliesNothing()
{
    QFETCH(bool, withPrinter);
    QFETCH(bool, withSettings);
    QFETCH(QByteArray, names);
    TestPlatform platform;
    platform.printDialog = [&](printer::PrintDlg& record) {
        if (withPrinter)
            record.hDevNames = names.isNull() ? printer::makeDevNames(generic, beta, nullDevice, false) : names;
        if (withSettings)
            record.hDevMode = devMode(n_printer::dmpaper_a5, 1480, 2100, n_printer::dmorient_landscape);
        return true;
    };
    n_printer object(platform);
    QCOMPARE(object.of_printsetup(nullptr), n_printer::dialog_not_applied);
    QCOMPARE(userOptions(), QString());
    QCOMPARE(object.of_getpbprinter(), QString());
}

void tst_printer::printSetupRefusedSettingsReported_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("paper");
    // A printer that refuses the settings is not made the default either: nothing changes.
    QTest::newRow("paper not among the driver's") << beta << int(n_printer::dmpaper_a3);
    QTest::newRow("raw queue takes no paper settings") << raw << int(n_printer::dmpaper_a4);
    QTest::newRow("printer the spooler does not know") << QStringLiteral("fm_none") << int(n_printer::dmpaper_a4);
}

void tst_printer::printSetupRefusedSettingsReported()
{
    QFETCH(QString, name);
    QFETCH(int, paper);
    TestPlatform platform;
    platform.printDialog = choosing(name, devMode(std::uint16_t(paper), 2970, 4200, n_printer::dmorient_landscape));
    n_printer object(platform);
    QCOMPARE(object.of_printsetup(nullptr), n_printer::dialog_not_applied);
    QCOMPARE(object.of_getpbprinter(), QString());
    QCOMPARE(userOptions(), QString());
}

void tst_printer::defaultOverriddenChangesNothing_data()
{
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QByteArray>("value");
    // The user's programs would go on taking the environment's default: the choice is not applied, and the chosen
    // printer's settings are not stored either.
    QTest::newRow("LPDEST names another printer") << QByteArray("LPDEST") << QByteArray("fm_alpha");
    QTest::newRow("PRINTER names another printer") << QByteArray("PRINTER") << QByteArray("fm_alpha");
    QTest::newRow("LPDEST set but empty") << QByteArray("LPDEST") << QByteArray("");
}

void tst_printer::defaultOverriddenChangesNothing()
{
    QFETCH(QByteArray, variable);
    QFETCH(QByteArray, value);
    const EnvironmentVariable environment(variable.constData(), value);
    TestPlatform platform;
    platform.printDialog = choosing(beta, devMode(n_printer::dmpaper_a5, 1480, 2100, n_printer::dmorient_landscape));
    platform.pageDialog = [&platform](printer::PageSetupDlg& record) {
        printer::PrintDlg print;
        const bool ok = platform.printDialog(print);
        record.hDevMode = print.hDevMode;
        record.hDevNames = print.hDevNames;
        return ok;
    };
    n_printer object(platform);
    QCOMPARE(object.of_printsetup(nullptr), n_printer::dialog_not_applied);
    qint32 left = 0, right = 0, top = 0, bottom = 0;
    QCOMPARE(object.of_pagesetup(nullptr, left, right, top, bottom), n_printer::dialog_not_applied);
    QCOMPARE(userOptions(), QString());
}

void tst_printer::printSetupRefusedDefaultReported()
{
    // The settings are stored, but the spooler refuses the default-printer change.
    TestPlatform platform;
    platform.setPrinterFails = true;
    platform.printDialog = choosing(beta, devMode(n_printer::dmpaper_a5, 1480, 2100, n_printer::dmorient_landscape));
    n_printer object(platform);
    QCOMPARE(object.of_printsetup(nullptr), n_printer::dialog_not_applied);
    QCOMPARE(object.of_getpbprinter(), QString());
    int paper = 0, width = 0, length = 0;
    QCOMPARE(object.of_getpapersize(beta, paper, width, length), 1);
    QCOMPARE(paper, int(n_printer::dmpaper_a5));
}

void tst_printer::pageSetupMarginsInOrder()
{
    TestPlatform platform;
    std::uint32_t flags = 0;
    platform.pageDialog = [&flags](printer::PageSetupDlg& record) {
        flags = record.flags;
        record.hDevNames = printer::makeDevNames(generic, alpha, nullDevice, false);
        record.hDevMode = devMode(n_printer::dmpaper_letter, 2159, 2794, n_printer::dmorient_landscape);
        record.rtMargin = {1000, 2000, 2500, 4000}; // left, top, right, bottom
        return true;
    };
    n_printer object(platform);
    qint32 left = -1, right = -1, top = -1, bottom = -1;
    QCOMPARE(object.of_pagesetup(nullptr, left, right, top, bottom), 1);
    QCOMPARE(flags, n_printer::psd_inhundredthsofmillimeters);
    QCOMPARE(left, 1000);
    QCOMPARE(right, 2500); // 25 mm
    QCOMPARE(top, 2000);
    QCOMPARE(bottom, 4000);
    int paper = 0, width = 0, length = 0;
    QCOMPARE(object.of_getpapersize(alpha, paper, width, length), 1);
    QCOMPARE(paper, int(n_printer::dmpaper_letter));
    QCOMPARE(object.of_getpbprinter(), alpha);
}

void tst_printer::pageSetupCancelKeepsMargins()
{
    TestPlatform platform;
    platform.pageDialog = [](printer::PageSetupDlg& record) {
        record.rtMargin = {1, 2, 3, 4};
        return false;
    };
    n_printer object(platform);
    qint32 left = 11, right = 12, top = 13, bottom = 14;
    QCOMPARE(object.of_pagesetup(nullptr, left, right, top, bottom), -1);
    QCOMPARE(std::tuple(left, right, top, bottom), std::tuple(11, 12, 13, 14));
    QCOMPARE(userOptions(), QString());
}

void tst_printer::pageSetupMarginsReturnedWhenNotApplied_data()
{
    QTest::addColumn<bool>("withPrinter");
    QTest::addColumn<QString>("name");
    QTest::newRow("OK without a printer") << false << QString();
    QTest::newRow("printer that takes no paper") << true << raw;
    QTest::newRow("printer the spooler does not know") << true << QStringLiteral("fm_none");
}

void tst_printer::pageSetupMarginsReturnedWhenNotApplied()
{
    // The user accepted the margins: they come back though the printer did not take the rest.
    QFETCH(bool, withPrinter);
    QFETCH(QString, name);
    TestPlatform platform;
    platform.pageDialog = [&](printer::PageSetupDlg& record) {
        if (withPrinter)
            record.hDevNames = printer::makeDevNames(generic, name, nullDevice, false);
        record.hDevMode = devMode(n_printer::dmpaper_a4, 2100, 2970, n_printer::dmorient_portrait);
        record.rtMargin = {1000, 2000, 2500, 4000};
        return true;
    };
    n_printer object(platform);
    qint32 left = 11, right = 12, top = 13, bottom = 14;
    QCOMPARE(object.of_pagesetup(nullptr, left, right, top, bottom), n_printer::dialog_not_applied);
    QCOMPARE(std::tuple(left, right, top, bottom), std::tuple(1000, 2500, 2000, 4000));
    QVERIFY2(!userOptions().contains(QStringLiteral("media=")), qPrintable(userOptions()));
}

void tst_printer::realPrintDialogAccepted_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("stored"); // the user's options, set with the lpoptions tool before the dialog
    QTest::addColumn<int>("paper");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("length");
    QTest::addColumn<uint>("orientation");

    QTest::newRow("driver's defaults") << beta << QStringList() << 9 << 2100 << 2970 << n_printer::dmorient_portrait;
    QTest::newRow("user's A5 landscape") << beta << QStringList{"media=iso_a5_148x210mm", "orientation-requested=4"}
                                         << 11 << 1480 << 2100 << n_printer::dmorient_landscape;
    QTest::newRow("user size 120 x 180 mm") << alpha << QStringList{"media=custom_120x180mm_120x180mm"} << 256
                                            << 1200 << 1800 << n_printer::dmorient_portrait;
    QTest::newRow("3.5 x 5 in, no number, no custom sizes")
        << photo << QStringList() << 256 << 889 << 1270 << n_printer::dmorient_portrait;
    QTest::newRow("A4 beside a tray") << photo << QStringList{"media=A4,Upper"} << 9 << 2100 << 2970
                                      << n_printer::dmorient_portrait;
    QTest::newRow("copies, duplex and grey") << photo
                                             << QStringList{"copies=3", "sides=two-sided-long-edge",
                                                            "print-color-mode=monochrome"}
                                             << 256 << 889 << 1270 << n_printer::dmorient_portrait;
}

void tst_printer::realPrintDialogAccepted()
{
    // The dialog opens on the user's default printer with its stored settings; OK without a change keeps them
    // as they were, keeps that printer the default, and reports the choice applied.
    QFETCH(QString, name);
    QFETCH(QStringList, stored);
    QFETCH(int, paper);
    QFETCH(int, width);
    QFETCH(int, length);
    QFETCH(uint, orientation);
    n_printer object;
    QCOMPARE(object.of_setdefault(name), 1);
    for (const QString& option : stored)
        QVERIFY2(m_cups.run(QStringLiteral("lpoptions"), {QStringLiteral("-p"), name, QStringLiteral("-o"), option}),
                 qPrintable(m_cups.error()));
    const QString before = userOptions();

    QString shownOn;
    QPageLayout shown;
    const auto answer = acceptModalDialogLater([&](QWidget* modal) {
        QPrintDialog* dialog = shownPrintDialog(modal);
        if (!dialog)
            return false;
        shownOn = dialog->printer()->printerName();
        shown = dialog->printer()->pageLayout();
        return true;
    });
    QCOMPARE(object.of_printsetup(nullptr), 1);
    QCOMPARE(shownOn, name);
    if (paper != 256)
        QCOMPARE(shown.pageSize().windowsId(), paper);
    QCOMPARE(shown.orientation() == QPageLayout::Landscape ? n_printer::dmorient_landscape
                                                           : n_printer::dmorient_portrait,
             orientation);

    QCOMPARE(userOptions(), before);
    QCOMPARE(object.of_getpbprinter(), name);
    int readPaper = 0, readWidth = 0, readLength = 0;
    QCOMPARE(object.of_getpapersize(name, readPaper, readWidth, readLength), 1);
    QCOMPARE(std::tuple(readPaper, readWidth, readLength), std::tuple(paper, width, length));
}

void tst_printer::realPrintDialogStoresJobChoices()
{
    // Copies, collation and duplex chosen in the dialog become the user's options for the printer.
    n_printer object;
    QCOMPARE(object.of_setdefault(photo), 1);
    const auto answer = acceptModalDialogLater([](QWidget* modal) {
        QPrintDialog* dialog = shownPrintDialog(modal);
        if (!dialog)
            return false;
        auto* copies = dialog->findChild<QSpinBox*>(QStringLiteral("copies"));
        auto* collate = dialog->findChild<QCheckBox*>(QStringLiteral("collate"));
        auto* longSide = dialog->findChild<QRadioButton*>(QStringLiteral("duplexLong"));
        if (!copies || !collate || !longSide)
            return false;
        copies->setValue(2);
        collate->setChecked(true);
        longSide->click();
        return true;
    });
    QCOMPARE(object.of_printsetup(nullptr), 1);
    QCOMPARE(userOptions(), QStringLiteral("Default fm_photo copies=2 multiple-document-handling=separate-documents-"
                                           "collated-copies sides=two-sided-long-edge\n"));

    // They are what the dialog shows next time.
    int shownCopies = 0;
    bool shownCollated = false;
    QPrinter::DuplexMode shownDuplex = QPrinter::DuplexNone;
    const QString before = userOptions();
    const auto again = acceptModalDialogLater([&](QWidget* modal) {
        QPrintDialog* dialog = shownPrintDialog(modal);
        if (!dialog)
            return false;
        shownCopies = dialog->printer()->copyCount();
        shownCollated = dialog->printer()->collateCopies();
        shownDuplex = dialog->printer()->duplex();
        return true;
    });
    QCOMPARE(object.of_printsetup(nullptr), 1);
    QCOMPARE(shownCopies, 2);
    QVERIFY(shownCollated);
    QCOMPARE(shownDuplex, QPrinter::DuplexLongSide);
    QCOMPARE(userOptions(), before);
}

void tst_printer::realPageSetupDialogAccepted()
{
    // The dialog starts from the stored paper and orientation and hands back the margins it showed.
    n_printer object;
    QCOMPARE(object.of_setdefault(alpha), 1);
    QCOMPARE(object.of_setpapersize(alpha, n_printer::dmpaper_a5, 0, 0), 1);
    QVariant landscape(2);
    int unused = 0;
    QCOMPARE(object.of_printer(alpha, 103, landscape, unused, unused, unused), 1);

    QPageLayout shown;
    const auto answer = acceptModalDialogLater([&shown](QWidget* modal) {
        auto* dialog = qobject_cast<QPageSetupDialog*>(modal);
        if (!dialog || !dialog->isVisible())
            return false;
        shown = dialog->printer()->pageLayout();
        return true;
    });
    qint32 left = -1, right = -1, top = -1, bottom = -1;
    QCOMPARE(object.of_pagesetup(nullptr, left, right, top, bottom), 1);
    QCOMPARE(shown.pageSize().windowsId(), int(n_printer::dmpaper_a5));
    QCOMPARE(shown.orientation(), QPageLayout::Landscape);
    const QMarginsF mm = shown.margins(QPageLayout::Millimeter);
    QCOMPARE(left, qint32(qRound(mm.left() * 100)));
    QCOMPARE(right, qint32(qRound(mm.right() * 100)));
    QCOMPARE(top, qint32(qRound(mm.top() * 100)));
    QCOMPARE(bottom, qint32(qRound(mm.bottom() * 100)));

    QCOMPARE(object.of_getpbprinter(), alpha);
    int paper = 0, width = 0, length = 0;
    QCOMPARE(object.of_getpapersize(alpha, paper, width, length), 1);
    QCOMPARE(paper, int(n_printer::dmpaper_a5));
    QVariant orientation;
    QCOMPARE(object.of_printer(alpha, 7, orientation, paper, width, length), 1);
    QCOMPARE(orientation.toUInt(), n_printer::dmorient_landscape);
}

void tst_printer::switchedPrinterShowsAndKeepsItsSettings_data()
{
    QTest::addColumn<Touch>("touch");
    QTest::addColumn<QString>("after"); // the user's options file once the dialog closed with OK

    QTest::newRow("nothing touched")
        << Touch([](QPrintDialog&) {})
        << "Default fm_photo copies=4 media=na_letter_8.5x11in orientation-requested=4 sides=two-sided-short-edge\n";
    QTest::newRow("copies changed") << Touch([](QPrintDialog& dialog) {
        dialog.findChild<QSpinBox*>(QStringLiteral("copies"))->setValue(2);
    }) << "Default fm_photo copies=2 media=na_letter_8.5x11in orientation-requested=4 sides=two-sided-short-edge\n";
    QTest::newRow("duplex turned off") << Touch([](QPrintDialog& dialog) {
        dialog.findChild<QRadioButton*>(QStringLiteral("noDuplex"))->click();
    }) << "Default fm_photo copies=4 media=na_letter_8.5x11in orientation-requested=4 sides=one-sided\n";
}

void tst_printer::switchedPrinterShowsAndKeepsItsSettings()
{
    // The dialog opens on another printer; the printer chosen in it shows its stored settings, and OK stores only
    // what the user changed.
    QFETCH(Touch, touch);
    writeUserOptions(QStringLiteral("Default fm_alpha\nDest fm_photo copies=4 media=na_letter_8.5x11in "
                                    "orientation-requested=4 sides=two-sided-short-edge\n"));
    int shownCopies = 0;
    QPrinter::DuplexMode shownDuplex = QPrinter::DuplexNone;
    QPageLayout shownLayout;
    const auto answer = acceptModalDialogLater([&](QWidget* modal) {
        QPrintDialog* dialog = shownPrintDialog(modal);
        if (!dialog)
            return false;
        auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
        printers->setCurrentIndex(printers->findText(photo));
        shownCopies = dialog->findChild<QSpinBox*>(QStringLiteral("copies"))->value();
        shownDuplex = dialog->findChild<QRadioButton*>(QStringLiteral("duplexShort"))->isChecked()
            ? QPrinter::DuplexShortSide
            : QPrinter::DuplexNone;
        shownLayout = dialog->printer()->pageLayout();
        touch(*dialog);
        return true;
    });
    n_printer object;
    QCOMPARE(object.of_printsetup(nullptr), 1);
    QCOMPARE(shownCopies, 4);
    QCOMPARE(shownDuplex, QPrinter::DuplexShortSide);
    QCOMPARE(shownLayout.pageSize().id(), QPageSize::Letter);
    QCOMPARE(shownLayout.orientation(), QPageLayout::Landscape);
    QTEST(userOptions(), "after");
}

void tst_printer::dialogsOfferOnlyWhatIsStored()
{
    // The print dialog offers the printer, copies, collation, duplex, and under Properties the paper and the
    // orientation; each of them is stored. It does not offer what would not be: the page order and page set, the
    // Properties' job options and the driver's own options (paper source, colour mode), pages per sheet and
    // margins (the caller gets none).
    n_printer object;
    QCOMPARE(object.of_setdefault(photo), 1);
    QStringList offered;
    bool propertiesDone = false;
    QTimer timer;
    timer.setInterval(50);
    const QDeadlineTimer deadline(20000);
    connect(&timer, &QTimer::timeout, this, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || deadline.hasExpired()) {
            if (deadline.hasExpired() && modal)
                QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
            return;
        }
        if (QPrintDialog* dialog = shownPrintDialog(modal)) {
            if (propertiesDone) {
                timer.stop();
                QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
                return;
            }
            // Its options pane starts folded away: taken out is what is hidden itself.
            for (const char* name : {"copies", "collate", "duplexLong", "reverse", "pageSetCombo", "colorMode"})
                if (const auto* widget = dialog->findChild<QWidget*>(QLatin1String(name)); widget && !widget->isHidden())
                    offered << QLatin1String(name);
            QMetaObject::invokeMethod(dialog->findChild<QPushButton*>(QStringLiteral("properties")), "click",
                                      Qt::QueuedConnection);
            return;
        }
        // The Properties, opened from the print dialog.
        if (auto* tabs = modal->findChild<QTabWidget*>(QStringLiteral("tabs")))
            for (int i = 0; i < tabs->count(); ++i)
                if (tabs->isTabVisible(i))
                    offered << tabs->tabText(i);
        offered << pageSettingsOffered(*modal);
        auto* sizes = modal->findChild<QComboBox*>(QStringLiteral("pageSizeCombo"));
        sizes->setCurrentIndex(sizes->findText(QStringLiteral("US Letter")));
        modal->findChild<QRadioButton*>(QStringLiteral("landscape"))->click();
        propertiesDone = true;
        QMetaObject::invokeMethod(modal, "accept", Qt::QueuedConnection);
    });
    timer.start();
    QCOMPARE(object.of_printsetup(nullptr), 1);
    QCOMPARE(offered, (QStringList{"copies", "collate", "duplexLong", "Page", "pageSizeCombo", "landscape"}));
    QCOMPARE(userOptions(), QStringLiteral("Default fm_photo media=na_letter_8.5x11in orientation-requested=4\n"));

    // Page setup returns its margins, but stores no pages per sheet.
    QStringList setupOffers;
    const auto answer = acceptModalDialogLater([&setupOffers](QWidget* modal) {
        auto* dialog = qobject_cast<QPageSetupDialog*>(modal);
        if (!dialog || !dialog->isVisible())
            return false;
        setupOffers = pageSettingsOffered(*dialog);
        return true;
    });
    qint32 left = 0, right = 0, top = 0, bottom = 0;
    QCOMPARE(object.of_pagesetup(nullptr, left, right, top, bottom), 1);
    QCOMPARE(setupOffers, (QStringList{"pageSizeCombo", "landscape", "topMargin"}));
}

namespace {

// Answers the modal dialogs as they come up: handle gets the open modal dialog every 50 ms until it returns true.
// Past the deadline every open dialog is cancelled, so that no test is left waiting in one.
std::unique_ptr<QTimer> answerDialogs(std::function<bool(QWidget*)> handle)
{
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(50);
    QTimer* ticking = timer.get();
    QObject::connect(ticking, &QTimer::timeout, ticking,
                     [ticking, handle = std::move(handle), deadline = QDeadlineTimer(15000)] {
                         if (deadline.hasExpired()) {
                             for (QWidget* widget : QApplication::topLevelWidgets())
                                 if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
                                     QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
                             return;
                         }
                         QWidget* modal = QApplication::activeModalWidget();
                         if (modal && modal->isVisible() && handle(modal))
                             ticking->stop();
                     });
    ticking->start();
    return timer;
}

void pressLater(QWidget* dialog, const char* slot)
{
    QMetaObject::invokeMethod(dialog, slot, Qt::QueuedConnection);
}

// The paper a page-settings pane shows, as its Windows number: "9" for A4, "256" for a size without one.
QString paperShownBy(const QWidget& pane)
{
    const auto* sizes = pane.findChild<QComboBox*>(QStringLiteral("pageSizeCombo"));
    if (!sizes || !sizes->currentData().canConvert<QPageSize>())
        return QStringLiteral("none");
    const QPageSize size = sizes->currentData().value<QPageSize>();
    return QString::number(size.id() == QPageSize::Custom ? 256 : size.windowsId());
}

} // namespace

void tst_printer::unchangedOkKeepsWhatCupsApplies_data()
{
    QTest::addColumn<bool>("pageSetup");
    QTest::addColumn<QString>("before");     // the user's options file
    QTest::addColumn<QString>("switchTo");   // the printer chosen in the print dialog
    QTest::addColumn<QString>("properties"); // how the print dialog's Properties were left, when opened
    QTest::addColumn<int>("copies");         // set in the print dialog; 0 leaves them
    QTest::addColumn<QString>("shown");      // the paper the page settings showed
    QTest::addColumn<QString>("after");

    const QString pageRegion = QStringLiteral("Default fm_photo PageRegion=A4\n");
    const QString accepted = QStringLiteral("accepted");
    const QString letterCancelled = QStringLiteral("US Letter chosen, cancelled");
    QTest::newRow("print dialog, PageRegion") << false << pageRegion << "" << "" << 0 << "" << pageRegion;
    QTest::newRow("print dialog, PageRegion, Properties accepted")
        << false << pageRegion << "" << accepted << 0 << "9" << pageRegion;
    QTest::newRow("print dialog, PageRegion, Properties changed and cancelled")
        << false << pageRegion << "" << letterCancelled << 0 << "9" << pageRegion;
    QTest::newRow("print dialog, PageRegion, copies changed")
        << false << pageRegion << "" << "" << 2 << "" << "Default fm_photo copies=2 PageRegion=A4\n";
    QTest::newRow("print dialog, PageRegion of the printer chosen in it")
        << false << "Default fm_alpha\nDest fm_photo PageRegion=A4\n" << photo << "" << 0 << "" << pageRegion;
    QTest::newRow("print dialog, PageRegion of an instance chosen in it")
        << false << "Default fm_alpha\nDest fm_photo/inst PageRegion=A4\n" << "fm_photo/inst" << "" << 0 << ""
        << "Default fm_photo/inst PageRegion=A4\n";
    QTest::newRow("page setup, PageRegion") << true << pageRegion << "" << "" << 0 << "9" << pageRegion;
    QTest::newRow("page setup, PageSize of the PPD's own name")
        << true << "Default fm_photo PageSize=w288h432\n" << "" << "" << 0 << "256"
        << "Default fm_photo PageSize=w288h432\n";
    QTest::newRow("page setup, A4 beside a tray")
        << true << "Default fm_photo media=A4,Upper\n" << "" << "" << 0 << "9"
        << "Default fm_photo media=A4,Upper\n";
    QTest::newRow("page setup, user size") << true << "Default fm_alpha media=custom_120x180mm_120x180mm\n" << ""
                                           << "" << 0 << "256"
                                           << "Default fm_alpha media=custom_120x180mm_120x180mm\n";
    QTest::newRow("print dialog, user size, Properties accepted")
        << false << "Default fm_alpha media=custom_120x180mm_120x180mm\n" << "" << accepted << 0 << "256"
        << "Default fm_alpha media=custom_120x180mm_120x180mm\n";
}

void tst_printer::unchangedOkKeepsWhatCupsApplies()
{
    // OK on the stored settings leaves what CUPS applies as it was, whichever spelling stores them.
    QFETCH(bool, pageSetup);
    QFETCH(QString, before);
    QFETCH(QString, switchTo);
    QFETCH(QString, properties);
    QFETCH(int, copies);
    writeUserOptions(before);
    const QStringList applied{settingsOf(photo), settingsOf(alpha)};

    QString shown;
    bool propertiesDone = false;
    const auto answer = answerDialogs([&](QWidget* modal) {
        if (pageSetup) {
            shown = paperShownBy(*modal);
            pressLater(modal, "accept");
            return true;
        }
        auto* dialog = qobject_cast<QPrintDialog*>(modal);
        if (!dialog) { // the Properties
            shown = paperShownBy(*modal);
            propertiesDone = true;
            if (properties == QLatin1String("accepted")) {
                pressLater(modal, "accept");
                return false;
            }
            auto* sizes = modal->findChild<QComboBox*>(QStringLiteral("pageSizeCombo"));
            sizes->setCurrentIndex(sizes->findText(QStringLiteral("US Letter")));
            pressLater(modal, "reject");
            return false;
        }
        if (!switchTo.isEmpty()) {
            auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
            printers->setCurrentIndex(printers->findText(std::exchange(switchTo, QString())));
        }
        if (copies)
            dialog->findChild<QSpinBox*>(QStringLiteral("copies"))->setValue(copies);
        if (!properties.isEmpty() && !propertiesDone) {
            pressLater(dialog->findChild<QPushButton*>(QStringLiteral("properties")), "click");
            return false;
        }
        pressLater(dialog, "accept");
        return true;
    });
    n_printer object;
    qint32 left = 0, right = 0, top = 0, bottom = 0;
    const int result = pageSetup ? object.of_pagesetup(nullptr, left, right, top, bottom) : object.of_printsetup(nullptr);
    QCOMPARE(result, 1);
    QTEST(shown, "shown");
    QTEST(userOptions(), "after");
    QCOMPARE((QStringList{settingsOf(photo), settingsOf(alpha)}), applied);
}

void tst_printer::pageSetupStoresWhatItShows_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("paper"); // chosen by its text in the dialog; empty leaves it
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<double>("width"); // of a custom size, in millimetres
    QTest::addColumn<double>("height");
    QTest::addColumn<double>("left"); // typed, in millimetres; below 0 leaves it
    QTest::addColumn<double>("top");
    QTest::addColumn<QString>("after"); // the user's options file, which held only the printer as the default

    // The photo driver's sizes have printable margins; the dialog lets them down to 0.
    QTest::newRow("photo driver: US Letter, left 20 mm, top 15 mm")
        << photo << "US Letter" << false << 0.0 << 0.0 << 20.0 << 15.0 << "Default fm_photo media=na_letter_8.5x11in\n";
    QTest::newRow("photo driver: US Letter alone")
        << photo << "US Letter" << false << 0.0 << 0.0 << -1.0 << -1.0 << "Default fm_photo media=na_letter_8.5x11in\n";
    QTest::newRow("photo driver: landscape alone")
        << photo << "" << true << 0.0 << 0.0 << -1.0 << -1.0 << "Default fm_photo orientation-requested=4\n";
    QTest::newRow("photo driver: 4 x 6 in landscape, left 5 mm")
        << photo << "4 x 6 in" << true << 0.0 << 0.0 << 5.0 << -1.0
        << "Default fm_photo media=na_index-4x6_4x6in orientation-requested=4\n";
    QTest::newRow("generic driver: US Letter, left 25 mm")
        << alpha << "US Letter" << false << 0.0 << 0.0 << 25.0 << -1.0 << "Default fm_alpha media=na_letter_8.5x11in\n";
    QTest::newRow("generic driver: custom 150 x 200 mm landscape")
        << alpha << "Custom" << true << 200.0 << 150.0 << -1.0 << -1.0
        << "Default fm_alpha media=custom_150x200mm_150x200mm orientation-requested=4\n";
}

void tst_printer::pageSetupStoresWhatItShows()
{
    // The paper and orientation chosen are stored, and the margins handed back are those the dialog showed at OK.
    QFETCH(QString, name);
    QFETCH(QString, paper);
    QFETCH(bool, landscape);
    QFETCH(double, width);
    QFETCH(double, height);
    QFETCH(double, left);
    QFETCH(double, top);
    writeUserOptions(QStringLiteral("Default %1\n").arg(name));
    bool chosen = false;
    QMarginsF shownMm;
    const auto answer = answerDialogs([&](QWidget* modal) {
        auto* unit = modal->findChild<QComboBox*>(QStringLiteral("unitCombo"));
        auto* sizes = modal->findChild<QComboBox*>(QStringLiteral("pageSizeCombo"));
        if (!unit || !sizes || unit->currentData().value<QPageLayout::Unit>() != QPageLayout::Millimeter)
            return false;
        chosen = paper.isEmpty() || sizes->findText(paper) >= 0;
        if (!paper.isEmpty())
            sizes->setCurrentIndex(sizes->findText(paper));
        if (landscape)
            modal->findChild<QRadioButton*>(QStringLiteral("landscape"))->click();
        if (width > 0) { // as shown: the long side first in landscape
            modal->findChild<QDoubleSpinBox*>(QStringLiteral("pageWidth"))->setValue(width);
            modal->findChild<QDoubleSpinBox*>(QStringLiteral("pageHeight"))->setValue(height);
        }
        auto* leftMargin = modal->findChild<QDoubleSpinBox*>(QStringLiteral("leftMargin"));
        auto* topMargin = modal->findChild<QDoubleSpinBox*>(QStringLiteral("topMargin"));
        if (left >= 0)
            leftMargin->setValue(left);
        if (top >= 0)
            topMargin->setValue(top);
        shownMm = QMarginsF(leftMargin->value(), topMargin->value(),
                            modal->findChild<QDoubleSpinBox*>(QStringLiteral("rightMargin"))->value(),
                            modal->findChild<QDoubleSpinBox*>(QStringLiteral("bottomMargin"))->value());
        pressLater(modal, "accept");
        return true;
    });
    n_printer object;
    qint32 marginLeft = -1, marginRight = -1, marginTop = -1, marginBottom = -1;
    const int result = object.of_pagesetup(nullptr, marginLeft, marginRight, marginTop, marginBottom);
    QVERIFY(chosen);
    QCOMPARE(result, 1);
    QTEST(userOptions(), "after");
    const auto hundredths = [](double mm) { return qint32(qRound(mm * 100)); };
    QCOMPARE(std::tuple(marginLeft, marginRight, marginTop, marginBottom),
             std::tuple(hundredths(shownMm.left()), hundredths(shownMm.right()), hundredths(shownMm.top()),
                        hundredths(shownMm.bottom())));
    if (left >= 0)
        QCOMPARE(marginLeft, hundredths(left));
    if (top >= 0)
        QCOMPARE(marginTop, hundredths(top));
}

void tst_printer::dialogsKeepTheDefaultInstance_data()
{
    QTest::addColumn<bool>("pageSetup");
    QTest::addColumn<QByteArray>("lpdest"); // empty: not set
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("shownOn");
    QTest::addColumn<QString>("shownPaper"); // Windows number of the paper shown
    QTest::addColumn<int>("shownCopies");    // in the print dialog
    QTest::addColumn<QString>("after");

    // As `lpoptions -d fm_photo/inst` and `lpoptions -p fm_beta/inst` write them.
    const QString instanceDefault = QStringLiteral("Default fm_photo/inst copies=3 media=na_letter_8.5x11in\n");
    QTest::newRow("print dialog, an instance is the default")
        << false << QByteArray() << instanceDefault << "fm_photo/inst" << "1" << 3 << instanceDefault;
    QTest::newRow("page setup, an instance is the default")
        << true << QByteArray() << instanceDefault << "fm_photo/inst" << "1" << 0 << instanceDefault;
    // The environment's default becomes the user's own, as for a printer without an instance.
    QTest::newRow("print dialog, LPDEST names an instance")
        << false << QByteArray("fm_beta/inst") << "Dest fm_beta/inst copies=2\n" << "fm_beta/inst" << "9" << 2
        << "Default fm_beta/inst copies=2\n";
    QTest::newRow("page setup, LPDEST names an instance")
        << true << QByteArray("fm_beta/inst") << "Dest fm_beta/inst copies=2\n" << "fm_beta/inst" << "9" << 0
        << "Default fm_beta/inst copies=2\n";
}

void tst_printer::dialogsKeepTheDefaultInstance()
{
    // The dialogs start on the instance in effect with its settings, and OK keeps it the default.
    QFETCH(bool, pageSetup);
    QFETCH(QByteArray, lpdest);
    QFETCH(QString, before);
    QFETCH(QString, shownOn);
    writeUserOptions(before);
    std::optional<EnvironmentVariable> environment;
    if (!lpdest.isEmpty())
        environment.emplace("LPDEST", lpdest);

    QString printerShown, paperShown;
    int copiesShown = 0;
    const auto answer = answerDialogs([&](QWidget* modal) {
        if (auto* dialog = qobject_cast<QPrintDialog*>(modal)) {
            printerShown = dialog->printer()->printerName();
            paperShown = QString::number(dialog->printer()->pageLayout().pageSize().windowsId());
            copiesShown = dialog->findChild<QSpinBox*>(QStringLiteral("copies"))->value();
        } else if (auto* setup = qobject_cast<QPageSetupDialog*>(modal)) {
            printerShown = setup->printer()->printerName();
            paperShown = paperShownBy(*setup);
        }
        pressLater(modal, "accept");
        return true;
    });
    n_printer object;
    qint32 left = 0, right = 0, top = 0, bottom = 0;
    const int result = pageSetup ? object.of_pagesetup(nullptr, left, right, top, bottom) : object.of_printsetup(nullptr);
    QCOMPARE(printerShown, shownOn);
    QTEST(paperShown, "shownPaper");
    if (!pageSetup)
        QTEST(copiesShown, "shownCopies");
    QCOMPARE(result, 1);
    QTEST(userOptions(), "after");
    QCOMPARE(object.of_getpbprinter(), shownOn);
    QCOMPARE(object.of_getattribute(shownOn) & isDefault, isDefault);
    int paper = 0, width = 0, length = 0;
    QCOMPARE(object.of_getpapersize(shownOn, paper, width, length), 1);
    QCOMPARE(QString::number(paper), paperShown);
}

void tst_printer::printDialogOffersNoPageRanges()
{
    // Selection and page ranges are not stored: the print dialog does not offer them, on any printer chosen in it.
    writeUserOptions(QStringLiteral("Default fm_alpha\n"));
    const char* const ranges[] = {"printSelection", "printRange", "from", "to", "pagesRadioButton", "pagesLineEdit"};
    QStringList offered;
    QStringList otherDialogs;
    int step = 0;
    const auto answer = answerDialogs([&](QWidget* modal) {
        auto* dialog = qobject_cast<QPrintDialog*>(modal);
        if (!dialog) { // a message over the dialog
            otherDialogs << modal->windowTitle();
            pressLater(modal, "reject");
            return false;
        }
        if (step == 2)
            return false; // Print pressed
        for (const char* name : ranges) {
            auto* widget = dialog->findChild<QWidget*>(QLatin1String(name));
            if (!widget)
                offered << QStringLiteral("%1 missing").arg(QLatin1String(name));
            else if (widget->isEnabled() && !widget->isHidden())
                offered << QStringLiteral("%1 on %2").arg(QLatin1String(name), dialog->printer()->printerName());
        }
        if (step++ == 0) {
            auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
            printers->setCurrentIndex(printers->findText(photo));
            return false;
        }
        // As a user would try it: "Pages" clicked, a range typed, Print pressed.
        QTest::mouseClick(dialog->findChild<QRadioButton*>(QStringLiteral("pagesRadioButton")), Qt::LeftButton);
        QTest::keyClicks(dialog->findChild<QLineEdit*>(QStringLiteral("pagesLineEdit")), QStringLiteral("1-3"));
        pressLater(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), "click");
        return false;
    });
    n_printer object;
    QElapsedTimer clock;
    clock.start();
    const int result = object.of_printsetup(nullptr);
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(offered.join(QLatin1String(", ")), QString());
    QCOMPARE(otherDialogs.join(QLatin1String(", ")), QString());
    QCOMPARE(step, 2);
    QCOMPARE(result, 1);
    QVERIFY2(elapsed <= answer_bound_ms, qPrintable(QString::number(elapsed)));
    QCOMPARE(userOptions(), QStringLiteral("Default fm_photo\n"));
}

void tst_printer::queueWithoutSettingsChosenInTheDialog_data()
{
    QTest::addColumn<int>("copies"); // set in the dialog; 0 leaves them
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("defaultAfter");

    // The raw queue has no paper of its own: nothing of it to store, and when the user changes what it cannot
    // store, it does not become the default either.
    QTest::newRow("nothing changed: made the default") << 0 << 1 << "Default fm_raw\n" << raw;
    QTest::newRow("copies changed: nothing changed")
        << 2 << int(n_printer::dialog_not_applied) << "Default fm_alpha\n" << alpha;
}

void tst_printer::queueWithoutSettingsChosenInTheDialog()
{
    QFETCH(int, copies);
    writeUserOptions(QStringLiteral("Default fm_alpha\n"));
    const auto answer = answerDialogs([copies](QWidget* modal) {
        auto* dialog = qobject_cast<QPrintDialog*>(modal);
        if (!dialog)
            return false;
        auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
        printers->setCurrentIndex(printers->findText(raw));
        if (copies)
            dialog->findChild<QSpinBox*>(QStringLiteral("copies"))->setValue(copies);
        pressLater(dialog, "accept");
        return true;
    });
    n_printer object;
    QTEST(object.of_printsetup(nullptr), "result");
    QTEST(userOptions(), "after");
    QTEST(object.of_getpbprinter(), "defaultAfter");
}

void tst_printer::instancesAsTheToolWritesThem_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QStringList>("tool"); // the same change by the lpoptions tool

    QTest::newRow("paper of an instance")
        << Change([](n_printer& o) { return QString::number(o.of_setpapersize("fm_photo/inst", 9, 0, 0)); })
        << QStringList{"-p", "fm_photo/inst", "-o", "media=iso_a4_210x297mm"};
    QTest::newRow("orientation of an instance") << Change([](n_printer& o) {
        QVariant landscape(2);
        int unused = 0;
        return QString::number(o.of_printer("fm_photo/inst", 103, landscape, unused, unused, unused));
    }) << QStringList{"-p", "fm_photo/inst", "-o", "orientation-requested=4"};
    QTest::newRow("instance made the default")
        << Change([](n_printer& o) { return QString::number(o.of_setdefault("fm_photo/inst")); })
        << QStringList{"-d", "fm_photo/inst"};
}

void tst_printer::instancesAsTheToolWritesThem()
{
    // An instance is named as CUPS names it, "queue/instance", and has settings of its own.
    QFETCH(Change, change);
    QFETCH(QStringList, tool);
    const QTemporaryDir toolHome(m_cups.homePath() + QStringLiteral("/../tool-XXXXXX"));
    const QString toolOptions = toolHome.path() + QStringLiteral("/.cups/lpoptions");
    QVERIFY(toolHome.isValid() && QDir().mkpath(QFileInfo(toolOptions).path()));
    writeUserOptions(QStringLiteral("Default fm_alpha\nDest fm_photo/inst copies=3 media=na_letter_8.5x11in\n"));
    QVERIFY(QFile::copy(m_cups.userOptionsPath(), toolOptions));

    n_printer object;
    int paper = 0, width = 0, length = 0;
    QCOMPARE(object.of_getpapersize(QStringLiteral("fm_photo/inst"), paper, width, length), 1);
    QCOMPARE(paper, int(n_printer::dmpaper_letter));
    QCOMPARE(object.of_getdrivername(QStringLiteral("fm_photo/inst")), object.of_getdrivername(photo));
    QCOMPARE(change(object), QStringLiteral("1"));
    QVERIFY2(m_cups.run(QStringLiteral("lpoptions"), tool, toolHome.path()), qPrintable(m_cups.error()));
    QFile toolFile(toolOptions);
    QVERIFY(toolFile.open(QIODevice::ReadOnly));
    QCOMPARE(userOptions(), QString::fromUtf8(toolFile.readAll()));
    // The queue itself keeps its own.
    QCOMPARE(object.of_getpapersize(photo, paper, width, length), 1);
    QCOMPARE(std::tuple(paper, width, length), std::tuple(256, 889, 1270));
}

void tst_printer::undefinedInstanceIsNoPrinter_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("instance the options do not define") << "fm_photo/none";
    QTest::newRow("empty instance") << "fm_photo/";
    QTest::newRow("instance of no queue") << "/inst";
}

void tst_printer::undefinedInstanceIsNoPrinter()
{
    QFETCH(QString, name);
    const QString before = QStringLiteral("Dest fm_photo/inst copies=3\n");
    writeUserOptions(before);
    n_printer object;
    QCOMPARE(object.of_getdrivername(name), QString());
    QCOMPARE(object.of_getattribute(name), qint64(-1));
    QCOMPARE(object.of_direct(name, QString()), -1);
    QCOMPARE(object.of_setpapersize(name, n_printer::dmpaper_a4, 0, 0), -1);
    QCOMPARE(object.of_setdefault(name), -1);
    QCOMPARE(userOptions(), before);
}

void tst_printer::silentSchedulerEndsEveryCall_data()
{
    QTest::addColumn<Change>("call");
    QTest::addColumn<Freeze>("freeze");
    QTest::addColumn<QString>("result");

    const Change list = [](n_printer& o) {
        QStringList names{"kept"};
        return QString::number(o.of_getprinterlist(names)) + names.join(QLatin1Char(','));
    };
    const Change driver = [](n_printer& o) { return o.of_getdrivername(alpha); };
    const Change attributes = [](n_printer& o) { return QString::number(o.of_getattribute(beta)); };
    const Change paper = [](n_printer& o) {
        int size = 0, width = 0, length = 0;
        return QString::number(o.of_getpapersize(beta, size, width, length));
    };
    const Change setPaper = [](n_printer& o) { return QString::number(o.of_setpapersize(beta, 11, 0, 0)); };
    const Change turn = [](n_printer& o) {
        QVariant landscape(2);
        int unused = 0;
        return QString::number(o.of_printer(beta, 103, landscape, unused, unused, unused));
    };
    const Change setDefault = [](n_printer& o) { return QString::number(o.of_setdefault(beta)); };
    const Change defaultName = [](n_printer& o) { return o.of_getpbprinter(); };
    const Change direct = [](n_printer& o) { return QString::number(o.of_direct(beta, QString())); };

    QTest::newRow("printer list") << list << Freeze::beforeTheCall << "-1kept";
    QTest::newRow("driver name") << driver << Freeze::beforeTheCall << "";
    QTest::newRow("attributes") << attributes << Freeze::beforeTheCall << "-1";
    QTest::newRow("paper") << paper << Freeze::beforeTheCall << "-1";
    QTest::newRow("set paper") << setPaper << Freeze::beforeTheCall << "-1";
    QTest::newRow("set orientation") << turn << Freeze::beforeTheCall << "-1";
    QTest::newRow("set default") << setDefault << Freeze::beforeTheCall << "-1";
    QTest::newRow("default printer") << defaultName << Freeze::beforeTheCall << "";
    QTest::newRow("device context") << direct << Freeze::beforeTheCall << "-1";
    QTest::newRow("attributes, frozen after the open") << attributes << Freeze::afterTheOpen << "-1";
    QTest::newRow("paper, frozen after the open") << paper << Freeze::afterTheOpen << "-1";
    QTest::newRow("set paper, frozen after the open") << setPaper << Freeze::afterTheOpen << "-1";
    QTest::newRow("set paper, frozen before it is stored") << setPaper << Freeze::afterTheSettingsRead << "-1";
    QTest::newRow("set default, frozen after the open") << setDefault << Freeze::afterTheOpen << "-1";
    // CUPS_SERVER=host:port of a server behind a firewall that drops connection attempts: libcups alone waits
    // 30 s for each connection.
    QTest::newRow("printer list, address drops connections") << list << Freeze::unreachable << "-1kept";
    QTest::newRow("driver name, address drops connections") << driver << Freeze::unreachable << "";
    QTest::newRow("attributes, address drops connections") << attributes << Freeze::unreachable << "-1";
    QTest::newRow("paper, address drops connections") << paper << Freeze::unreachable << "-1";
    QTest::newRow("set paper, address drops connections") << setPaper << Freeze::unreachable << "-1";
    QTest::newRow("set default, address drops connections") << setDefault << Freeze::unreachable << "-1";
    QTest::newRow("default printer, address drops connections") << defaultName << Freeze::unreachable << "";
    QTest::newRow("device context, address drops connections") << direct << Freeze::unreachable << "-1";
    // A server that takes the request and sends its answer one byte every 0.15 s: each of libcups's waits gets a
    // byte before it times out.
    QTest::newRow("printer list, answer trickles") << list << Freeze::trickling << "-1kept";
    QTest::newRow("driver name, answer trickles") << driver << Freeze::trickling << "";
    QTest::newRow("attributes, answer trickles") << attributes << Freeze::trickling << "-1";
    QTest::newRow("paper, answer trickles") << paper << Freeze::trickling << "-1";
    QTest::newRow("set paper, answer trickles") << setPaper << Freeze::trickling << "-1";
    QTest::newRow("set orientation, answer trickles") << turn << Freeze::trickling << "-1";
    QTest::newRow("set default, answer trickles") << setDefault << Freeze::trickling << "-1";
    QTest::newRow("default printer, answer trickles") << defaultName << Freeze::trickling << "";
    QTest::newRow("device context, answer trickles") << direct << Freeze::trickling << "-1";
}

void tst_printer::silentSchedulerEndsEveryCall()
{
    // Every call ends with its failure value within its time, and writes nothing.
    QFETCH(Change, call);
    QFETCH(Freeze, freeze);
    writeUserOptions(handWritten);
    TestPlatform platform;
    Silence silence(m_cups, freeze, platform);
    QVERIFY(silence.isValid());
    n_printer object(platform);
    QElapsedTimer clock;
    clock.start();
    const QString result = call(object);
    const qint64 elapsed = clock.elapsed();
    qInfo("%s: %lld ms", QTest::currentDataTag(), elapsed);
    QVERIFY(silence.happened());
    silence.end();

    QVERIFY2(elapsed <= answer_bound_ms, qPrintable(QString::number(elapsed)));
    QTEST(result, "result");
    QCOMPARE(userOptions(), handWritten);
    QCOMPARE(object.of_getdrivername(alpha), generic); // the scheduler answers again
}

void tst_printer::silentSchedulerOpensNoDialog_data()
{
    QTest::addColumn<bool>("pageSetup");
    QTest::addColumn<Freeze>("freeze");
    QTest::newRow("print dialog, frozen before") << false << Freeze::beforeTheCall;
    QTest::newRow("print dialog, frozen while Qt builds it") << false << Freeze::afterTheSettingsRead;
    QTest::newRow("print dialog, address drops connections") << false << Freeze::unreachable;
    QTest::newRow("page setup, frozen before") << true << Freeze::beforeTheCall;
    QTest::newRow("page setup, frozen while Qt builds it") << true << Freeze::afterTheSettingsRead;
    QTest::newRow("page setup, address drops connections") << true << Freeze::unreachable;
    QTest::newRow("print dialog, answer trickles") << false << Freeze::trickling;
    QTest::newRow("page setup, answer trickles") << true << Freeze::trickling;
}

void tst_printer::silentSchedulerOpensNoDialog()
{
    // A dialog against a scheduler that does not answer would hang in Qt's own requests or show nothing
    // usable: the call ends with failure instead, within its time, and nothing is shown or stored.
    QFETCH(bool, pageSetup);
    QFETCH(Freeze, freeze);
    n_printer direct;
    QCOMPARE(direct.of_setdefault(photo), 1);
    const QString before = userOptions();

    bool shown = false;
    const auto answer = acceptModalDialogLater([&shown](QWidget*) { return shown = true; });
    TestPlatform platform;
    Silence silence(m_cups, freeze, platform);
    QVERIFY(silence.isValid());
    n_printer object(platform);
    qint32 left = 11, right = 12, top = 13, bottom = 14;
    QElapsedTimer clock;
    clock.start();
    const int result = pageSetup ? object.of_pagesetup(nullptr, left, right, top, bottom) : object.of_printsetup(nullptr);
    const qint64 elapsed = clock.elapsed();
    qInfo("%s: %lld ms", QTest::currentDataTag(), elapsed);
    QVERIFY(silence.happened());
    silence.end();

    QVERIFY2(elapsed <= answer_bound_ms, qPrintable(QString::number(elapsed)));
    QCOMPARE(result, -1);
    QVERIFY(!shown);
    QCOMPARE(std::tuple(left, right, top, bottom), std::tuple(11, 12, 13, 14));
    QCOMPARE(userOptions(), before);
}

void tst_printer::dialogStepsEndWhenTheSchedulerFreezes_data()
{
    QTest::addColumn<bool>("pageSetup");
    QTest::addColumn<QString>("switchTo"); // the printer chosen in the dialog once the scheduler is frozen
    QTest::newRow("print dialog, OK") << false << QString();
    QTest::newRow("print dialog, another printer chosen, OK") << false << photo;
    QTest::newRow("page setup, OK") << true << QString();
}

void tst_printer::dialogStepsEndWhenTheSchedulerFreezes()
{
    // The scheduler stops answering while a dialog is open: choosing another printer ends within its time, and
    // so does OK with all the work after it; nothing is stored, and OK reports the choice not applied.
    QFETCH(bool, pageSetup);
    QFETCH(QString, switchTo);
    n_printer object;
    QCOMPARE(object.of_setdefault(alpha), 1);
    const QString before = userOptions();

    std::optional<CupsScheduler::Frozen> frozen;
    qint64 switchMs = 0;
    QElapsedTimer okClock;
    const auto answer = acceptModalDialogLater([&](QWidget* modal) {
        if (!modal->isVisible())
            return false;
        frozen.emplace(m_cups);
        if (!switchTo.isEmpty()) {
            auto* printers = modal->findChild<QComboBox*>(QStringLiteral("printers"));
            if (!printers)
                return false;
            QElapsedTimer clock;
            clock.start();
            printers->setCurrentIndex(printers->findText(switchTo));
            switchMs = clock.elapsed();
        }
        okClock.start();
        return true;
    });
    qint32 left = 0, right = 0, top = 0, bottom = 0;
    const int result = pageSetup ? object.of_pagesetup(nullptr, left, right, top, bottom) : object.of_printsetup(nullptr);
    const qint64 okMs = okClock.isValid() ? okClock.elapsed() : -1;
    qInfo("%s: switch %lld ms, OK %lld ms", QTest::currentDataTag(), switchMs, okMs);
    QVERIFY(frozen.has_value());
    frozen.reset();

    QVERIFY2(switchMs <= answer_bound_ms, qPrintable(QString::number(switchMs)));
    QVERIFY2(okMs >= 0 && okMs <= answer_bound_ms, qPrintable(QString::number(okMs)));
    QCOMPARE(result, n_printer::dialog_not_applied);
    QCOMPARE(userOptions(), before);
    QCOMPARE(object.of_getpbprinter(), alpha); // the scheduler answers again
}

void tst_printer::paperTheRecordCannotHold_data()
{
    QTest::addColumn<QString>("stored"); // the generic queue's option, set with the lpoptions tool
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("paper");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("length");

    // The record holds a size in 16-bit tenths of a millimetre: 6553.5 mm at most. CUPS applies a custom PageSize
    // whatever its size.
    QTest::newRow("6600 x 6600 mm") << "PageSize=Custom.6600x6600mm" << -1 << -7 << -7 << -7;
    QTest::newRow("6553.6 mm, a tenth too wide") << "PageSize=Custom.6553.6x100mm" << -1 << -7 << -7 << -7;
    QTest::newRow("negative size") << "PageSize=Custom.-10x-10" << -1 << -7 << -7 << -7;
    QTest::newRow("6553.5 mm, the widest it holds") << "PageSize=Custom.6553.5x100mm" << 1 << 256 << 65535 << 1000;
    // A media size beyond the driver's custom sizes: CUPS applies the driver's default.
    QTest::newRow("media of 6600 x 6600 mm") << "media=custom_big_6600x6600mm" << 1 << 9 << 2100 << 2970;
}

void tst_printer::paperTheRecordCannotHold()
{
    // A stored paper that the record cannot hold fails the read, as the setter refuses it, and is never read as
    // another size.
    QFETCH(QString, stored);
    QVERIFY2(m_cups.run(QStringLiteral("lpoptions"), {QStringLiteral("-p"), alpha, QStringLiteral("-o"), stored}),
             qPrintable(m_cups.error()));
    n_printer object;
    int paper = -7, width = -7, length = -7;
    QTEST(object.of_getpapersize(alpha, paper, width, length), "result");
    QTEST(paper, "paper");
    QTEST(width, "width");
    QTEST(length, "length");
}

void tst_printer::linesOfOtherDestinationsKept_data()
{
    QTest::addColumn<QString>("before"); // the user's options file
    QTest::addColumn<Change>("change");
    QTest::addColumn<QString>("after");

    const Change photoA4 = [](n_printer& o) { return QString::number(o.of_setpapersize(photo, 9, 0, 0)); };
    const Change betaA5 = [](n_printer& o) { return QString::number(o.of_setpapersize(beta, 11, 0, 0)); };
    const Change betaDefault = [](n_printer& o) { return QString::number(o.of_setdefault(beta)); };
    const QString photoLine = QStringLiteral("Dest fm_photo media=iso_a4_210x297mm\n");

    // A queue of another server, or a temporary one, that the scheduler does not list now keeps its lines for
    // when it is there again.
    QTest::newRow("Default line of a queue not listed")
        << "Default fm_gone media=A4\n" << photoA4 << "Default fm_gone media=A4\n" + photoLine;
    QTest::newRow("options of a queue not listed and of its instance")
        << "Dest fm_gone copies=2\nDest fm_gone/draft copies=3\n" << photoA4
        << "Dest fm_gone copies=2\nDest fm_gone/draft copies=3\n" + photoLine;
    QTest::newRow("Default line of a queue not listed, another made the default")
        << "Default fm_gone media=A4\n" << betaDefault << "Dest fm_gone media=A4\nDefault fm_beta\n";
    QTest::newRow("comments, blank lines and spacing of other printers") << handWritten << photoA4
                                                                         << handWritten + photoLine;
    QTest::newRow("the changed printer's line alone changes")
        << handWritten << betaA5
        << "# kept by hand\n\nDefault fm_alpha sides=two-sided-long-edge\n"
           "Dest fm_beta job-sheets=none,none media=iso_a5_148x210mm print-quality=5\n"
           "Dest fm_alpha/draft print-quality=3 job-name=\"a \\\"b\\\"\"\n";
}

void tst_printer::linesOfOtherDestinationsKept()
{
    // A change rewrites the lines it means to change, and every other line of the file stays as it was.
    QFETCH(QString, before);
    QFETCH(Change, change);
    writeUserOptions(before);
    n_printer object;
    QCOMPARE(change(object), QStringLiteral("1"));
    QTEST(userOptions(), "after");
}

void tst_printer::defaultLineKeptWithoutHome()
{
    // With HOME unset libcups reads and writes the options file under the account's home, and so does the
    // object: a change there keeps the user's Default line, as the lpoptions tool does. The call runs with a
    // private folder mounted over the account's home, in a mount namespace of its own.
    const QTemporaryDir account(m_cups.homePath() + QStringLiteral("/../account-XXXXXX"));
    QVERIFY(account.isValid());
    const QString options = account.path() + QStringLiteral("/.cups/lpoptions");
    QVERIFY(QDir().mkpath(QFileInfo(options).path()));
    QFile file(options);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write("Default fm_alpha sides=two-sided-long-edge\n") > 0);
    file.close();

    QProcess call;
    call.start(QStringLiteral(FM_PRINTER_CALL),
               {QStringLiteral("--account-home"), account.path(), QStringLiteral("setpaper"), photo, QStringLiteral("9")});
    QVERIFY(call.waitForFinished(20000));
    if (call.exitCode() == 3)
        QSKIP(qPrintable(QString::fromLocal8Bit(call.readAllStandardError())));
    QCOMPARE(call.exitCode(), 0);
    QCOMPARE(call.readAllStandardOutput().trimmed(), QByteArray("1"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("Default fm_alpha sides=two-sided-long-edge\nDest fm_photo media=iso_a4_210x297mm\n"));
    QCOMPARE(userOptions(), QString()); // the test's own HOME is left alone
}

void tst_printer::programsChangingOptionsAtOnce()
{
    // Two programs change options at the same moment, each on a printer of its own, round after round: each
    // reports 1, and both changes are in effect.
    constexpr int rounds = 20;
    const QStringList calls[] = {{QStringLiteral("--wait"), QStringLiteral("setpaper"), alpha, QStringLiteral("11")},
                                 {QStringLiteral("--wait"), QStringLiteral("setorientation"), photo, QStringLiteral("2")}};
    for (int round = 0; round < rounds; ++round) {
        QFile::remove(m_cups.userOptionsPath());
        QProcess programs[2];
        for (int i = 0; i < 2; ++i)
            programs[i].start(QStringLiteral(FM_PRINTER_CALL), calls[i]);
        for (QProcess& program : programs)
            QVERIFY(program.waitForReadyRead(10000) && program.readLine() == "ready\n");
        for (QProcess& program : programs)
            program.write("\n");
        for (QProcess& program : programs)
            QVERIFY(program.waitForBytesWritten(10000));
        QByteArray results;
        for (QProcess& program : programs) {
            QVERIFY(program.waitForFinished(10000));
            results += program.readAllStandardOutput();
        }

        n_printer object;
        int paper = 0, width = 0, length = 0;
        QVariant orientation;
        QCOMPARE(object.of_printer(photo, 7, orientation, paper, width, length), 1);
        QCOMPARE(object.of_getpapersize(alpha, paper, width, length), 1);
        QVERIFY2(results.simplified() == "1 1" && paper == n_printer::dmpaper_a5
                     && orientation.toUInt() == n_printer::dmorient_landscape,
                 qPrintable(QStringLiteral("round %1: results %2, paper of fm_alpha %3, orientation of fm_photo %4")
                                .arg(round)
                                .arg(QString::fromLatin1(results.simplified()))
                                .arg(paper)
                                .arg(orientation.toUInt())));
    }
}

void tst_printer::emptySpoolerListsNothing()
{
    for (const QString& name : {group, alpha, beta, raw, photo})
        QVERIFY2(m_cups.run(QStringLiteral("lpadmin"), {QStringLiteral("-x"), name}), qPrintable(m_cups.error()));
    n_printer object;
    QStringList list{"kept"};
    QCOMPARE(object.of_getprinterlist(list), 0);
    QCOMPARE(list, QStringList{"kept"});
    QCOMPARE(object.of_getpbprinter(), QString());
}

QTEST_MAIN(tst_printer)
#include "tst_printer.moc"
