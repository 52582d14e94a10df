// The printer object against a private CUPS scheduler with three queues on file:///dev/null.

#include "cups_scheduler.h"

#include "printer/cups_platform.h"
#include "printer/n_printer.h"

#include <cups/cups.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPageSetupDialog>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using printer::n_printer;

namespace {

const QString alpha = QStringLiteral("fm_alpha"); // generic driver, custom sizes
const QString beta = QStringLiteral("fm_beta");   // generic driver, not shared
const QString raw = QStringLiteral("fm_raw");     // raw queue: no driver, no paper of its own
const QString generic = QStringLiteral("Generic PostScript Printer");
const QString nullDevice = QStringLiteral("file:///dev/null");

constexpr qint64 local = n_printer::printer_attribute_local;
constexpr qint64 shared = n_printer::printer_attribute_shared;
constexpr qint64 isDefault = n_printer::printer_attribute_default;

// The system services with some answers replaced, to show what the object does with them.
class TestPlatform : public printer::CupsPlatform {
public:
    std::uint32_t extraAttributes = 0;
    bool documentReadFails = false;
    std::function<bool(printer::PrintDlg&)> printDialog;
    std::function<bool(printer::PageSetupDlg&)> pageDialog;
    std::optional<QString> deviceEntry;
    bool setPrinterFails = false;

    bool setPrinter(printer::PrinterHandle& handle, const printer::PrinterInfo2& info) override
    {
        return !setPrinterFails && CupsPlatform::setPrinter(handle, info);
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
        return CupsPlatform::documentPropertiesOut(handle);
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

} // namespace

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
    void stoppedAndRejectingQueue();
    void attributeWithHighBitIsNotWrapped();
    void directNeedsAPrinterThatOpens_data();
    void directNeedsAPrinterThatOpens();

    void defaultPaperOfTheDriver();
    void paperSetAndReadBack_data();
    void paperSetAndReadBack();
    void paperRefusedStoresNothing_data();
    void paperRefusedStoresNothing();
    void orientation_data();
    void orientation();
    void aliasesAndOtherCommands();
    void printerWithoutDocumentDefaults();
    void failedDocumentReadStoresNothing();

    void setDefaultReadBack();
    void setDefaultRefused();
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
    void printSetupRefusedDefaultReported();
    void pageSetupMarginsInOrder();
    void pageSetupCancelKeepsMargins();
    void realPrintDialogAccepted_data();
    void realPrintDialogAccepted();
    void realPageSetupDialogAccepted();

    // Last: removes the queues.
    void emptySpoolerListsNothing();

private:
    QString userOptions() const;
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
    QFile::remove(m_cups.userOptionsPath());
    QDir(m_cups.homePath()).mkpath(QStringLiteral(".cups"));
}

QString tst_printer::userOptions() const
{
    QFile file(m_cups.userOptionsPath());
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
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
    QCOMPARE(object.of_getprinterlist(list), 3);
    QCOMPARE(list, (QStringList{alpha, beta, raw}));
}

void tst_printer::printerListKeepsEntriesBehindTheCount()
{
    n_printer object;
    QStringList list{"one", "two", "three", "four", "five"};
    QCOMPARE(object.of_getprinterlist(list), 3);
    QCOMPARE(list, (QStringList{alpha, beta, raw, "four", "five"}));
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
    QCOMPARE(object.of_getprinterlist(list), 3); // reachable again
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

void tst_printer::stoppedAndRejectingQueue()
{
    n_printer object;
    QVERIFY2(m_cups.run(QStringLiteral("cupsdisable"), {beta}), qPrintable(m_cups.error()));
    QVERIFY2(m_cups.run(QStringLiteral("cupsreject"), {beta}), qPrintable(m_cups.error()));
    const qint32 status = object.of_getstatus(beta);
    const qint64 attributes = object.of_getattribute(beta);
    QVERIFY2(m_cups.run(QStringLiteral("cupsenable"), {beta}), qPrintable(m_cups.error()));
    QVERIFY2(m_cups.run(QStringLiteral("cupsaccept"), {beta}), qPrintable(m_cups.error()));

    QCOMPARE(status, qint32(0x1)); // paused
    QCOMPARE(attributes, local | n_printer::printer_attribute_work_offline);
    QCOMPARE(object.of_getstatus(beta), 0);
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
    QTest::addColumn<QString>("media");

    QTest::newRow("A4 is 9") << alpha << 9 << 0 << 0 << 2100 << 2970 << "media=iso_a4_210x297mm";
    QTest::newRow("letter is 1, width and length ignored")
        << alpha << 1 << 1500 << 2000 << 2159 << 2794 << "media=na_letter_8.5x11in";
    QTest::newRow("A5 is 11 on the unshared queue") << beta << 11 << 0 << 0 << 1480 << 2100 << "media=iso_a5_148x210mm";
    QTest::newRow("user size 150 x 200 mm is 256")
        << alpha << 256 << 1500 << 2000 << 1500 << 2000 << "media=custom_150x200mm_150x200mm";
}

void tst_printer::paperSetAndReadBack()
{
    QFETCH(QString, name);
    QFETCH(int, paper);
    QFETCH(int, width);
    QFETCH(int, length);
    QFETCH(QString, media);
    n_printer object;
    QCOMPARE(object.of_setpapersize(name, paper, width, length), 1);
    QVERIFY2(userOptions().contains(QStringLiteral("Dest %1 %2").arg(name, media)), qPrintable(userOptions()));

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
    QTest::addColumn<QString>("defaultAfter");
    // The chosen printer is still made the default when it refuses the settings (and only then).
    QTest::newRow("paper not among the driver's") << beta << int(n_printer::dmpaper_a3) << beta;
    QTest::newRow("raw queue takes no paper settings") << raw << int(n_printer::dmpaper_a4) << raw;
    QTest::newRow("printer the spooler does not know") << QStringLiteral("fm_none") << int(n_printer::dmpaper_a4)
                                                       << QString();
}

void tst_printer::printSetupRefusedSettingsReported()
{
    QFETCH(QString, name);
    QFETCH(int, paper);
    TestPlatform platform;
    platform.printDialog = choosing(name, devMode(std::uint16_t(paper), 2970, 4200, n_printer::dmorient_landscape));
    n_printer object(platform);
    QCOMPARE(object.of_printsetup(nullptr), n_printer::dialog_not_applied);
    QTEST(object.of_getpbprinter(), "defaultAfter");
    QVERIFY2(!userOptions().contains(QStringLiteral("media=")), qPrintable(userOptions()));
    QVERIFY2(!userOptions().contains(QStringLiteral("orientation-requested=")), qPrintable(userOptions()));
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
    // OK without a printer: nothing applied, margins untouched.
    platform.pageDialog = [](printer::PageSetupDlg& record) {
        record.rtMargin = {1, 2, 3, 4};
        return true;
    };
    QCOMPARE(object.of_pagesetup(nullptr, left, right, top, bottom), n_printer::dialog_not_applied);
    QCOMPARE(std::tuple(left, right, top, bottom), std::tuple(11, 12, 13, 14));
    QCOMPARE(userOptions(), QString());
}

void tst_printer::realPrintDialogAccepted_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("paper");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("length");
    QTest::addColumn<uint>("orientation");
    QTest::addColumn<bool>("stored"); // the user's paper and orientation set before the dialog opens

    QTest::newRow("driver's defaults") << beta << 9 << 2100 << 2970 << n_printer::dmorient_portrait << false;
    QTest::newRow("user's A5 landscape") << beta << 11 << 1480 << 2100 << n_printer::dmorient_landscape << true;
    QTest::newRow("user size 120 x 180 mm")
        << alpha << 256 << 1200 << 1800 << n_printer::dmorient_portrait << true;
}

void tst_printer::realPrintDialogAccepted()
{
    // The dialog opens on the user's default printer with its stored paper and orientation; OK without a
    // change stores what it showed and keeps that printer the default.
    QFETCH(QString, name);
    QFETCH(int, paper);
    QFETCH(int, width);
    QFETCH(int, length);
    QFETCH(uint, orientation);
    QFETCH(bool, stored);
    n_printer object;
    QCOMPARE(object.of_setdefault(name), 1);
    if (stored) {
        QCOMPARE(object.of_setpapersize(name, paper, width, length), 1);
        QVariant turned(orientation);
        int unused = 0;
        QCOMPARE(object.of_printer(name, 103, turned, unused, unused, unused), 1);
    }

    QString shownOn;
    QPageLayout shown;
    const auto answer = acceptModalDialogLater([&](QWidget* modal) {
        auto* dialog = qobject_cast<QPrintDialog*>(modal);
        if (!dialog || !dialog->isVisible())
            return false;
        shownOn = dialog->printer()->printerName();
        shown = dialog->printer()->pageLayout();
        return true;
    });
    QCOMPARE(object.of_printsetup(nullptr), 1);
    QCOMPARE(shownOn, name);
    QCOMPARE(shown.pageSize().windowsId(), paper);
    QCOMPARE(shown.orientation() == QPageLayout::Landscape ? n_printer::dmorient_landscape
                                                           : n_printer::dmorient_portrait,
             orientation);

    QCOMPARE(object.of_getpbprinter(), name);
    int readPaper = 0, readWidth = 0, readLength = 0;
    QCOMPARE(object.of_getpapersize(name, readPaper, readWidth, readLength), 1);
    QCOMPARE(std::tuple(readPaper, readWidth, readLength), std::tuple(paper, width, length));
    QVariant readOrientation;
    QCOMPARE(object.of_printer(name, 7, readOrientation, readPaper, readWidth, readLength), 1);
    QCOMPARE(readOrientation.toUInt(), orientation);
    QVERIFY2(userOptions().contains(QStringLiteral("Default %1 media=").arg(name)), qPrintable(userOptions()));
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

void tst_printer::emptySpoolerListsNothing()
{
    for (const QString& name : {alpha, beta, raw})
        QVERIFY2(m_cups.run(QStringLiteral("lpadmin"), {QStringLiteral("-x"), name}), qPrintable(m_cups.error()));
    n_printer object;
    QStringList list{"kept"};
    QCOMPARE(object.of_getprinterlist(list), 0);
    QCOMPARE(list, QStringList{"kept"});
    QCOMPARE(object.of_getpbprinter(), QString());
}

QTEST_MAIN(tst_printer)
#include "tst_printer.moc"
