// The settings windows w_xm_dx1 to w_xm_dx4 over the real data source, SQLite and PostgreSQL alike.
#include "kit/pfc_picture_command_button.h"
#include "runtime/accessibility.h"
#include "runtime/fonts.h"
#include "runtime/messagebox.h"
#include "runtime/registry.h"
#include "runtime/units.h"
#include "settings/register.h"
#include "settings/w_xm_dx.h"
#include "test_data_source.h"

#include <QAccessible>
#include <QButtonGroup>
#include <QDirIterator>
#include <QGroupBox>
#include <QRadioButton>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <future>
#include <linux/fs.h>
#include <optional>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <thread>
#include <unistd.h>

using namespace settings;
using Status = d_xmsz::RowStatus;

namespace {

const QStringList kAllFlags = {"xm_t_m", "xm_1_m", "xm_5_m", "xm_l_m", "xm_z_m", "xm_w_m", "xm_t_w",
                               "xm_8_w", "xm_5_w", "xm_l_w", "xm_z_w", "xm_y_w", "xm_w_w"};

// The second line of a failed Save in a window that could not read its year's settings.
const QString kReopen = QStringLiteral("本窗口的项目设置未能读取，请关闭后重新打开。");

QString radioOf(const QString &column) { return QStringLiteral("rb_") + column.mid(3); }

// A form whose insertion always fails.
class NoInsertForm : public d_xmsz {
public:
    long insertRow(long) override { return -1; }
};

bool isSelectable(const QRadioButton *rb)
{
    for (const ItemRadio &item : kItemRadios)
        if (rb->objectName() == QLatin1String(item.radio))
            return true;
    return false;
}

bool onSqlite() { return TestDataSource::source() == TestDataSource::Source::SQLite; }

// The descriptors this process holds open on a file.
int descriptorsOn(const QString &file)
{
    const QString target = QFileInfo(file).canonicalFilePath();
    int count = 0;
    for (QDirIterator fd(QStringLiteral("/proc/self/fd"), QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot); fd.hasNext();)
        if (QFile::symLinkTarget(fd.next()) == target)
            ++count;
    return count;
}

// Another program's session in a thread of its own: takes a lock, holds it for `ms`, runs
// `beforeRelease` and lets go (by `end`: a rollback, or a commit of what it wrote). Ended early, it
// waits for the session to let go.
class HeldElsewhere {
public:
    HeldElsewhere(std::function<bool(OtherSession &)> take, int ms, std::function<void()> beforeRelease = {},
                  bool (OtherSession::*end)() = &OtherSession::release)
    {
        std::promise<QString> taken;
        std::future<QString> refused = taken.get_future();
        thread_ = std::thread([take, ms, beforeRelease, end, taken = std::move(taken)]() mutable {
            OtherSession session;
            const bool holding = take(session);
            taken.set_value(holding ? QString() : QStringLiteral("the other session took no lock: ") + session.error());
            if (!holding)
                return;
            QThread::msleep(ms);
            if (beforeRelease)
                beforeRelease();
            (session.*end)();
        });
        error_ = refused.get();
    }
    ~HeldElsewhere() { release(); }
    HeldElsewhere(const HeldElsewhere &) = delete;
    HeldElsewhere &operator=(const HeldElsewhere &) = delete;
    bool holding() const { return error_.isEmpty(); }
    QString error() const { return error_; }
    // Returns once the session has let go.
    void release()
    {
        if (thread_.joinable())
            thread_.join();
    }

private:
    std::thread thread_;
    QString error_;
};

// Sets or clears a file's immutable attribute, which keeps even root from writing it.
bool setImmutable(const QString &file, bool on, QString &error)
{
    // Open only for the moment of the change, while no lock is held on the file.
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY);
    int flags = 0;
    const bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0
                      && (flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    if (!done)
        error = qt_error_string(errno);
    if (fd >= 0)
        ::close(fd);
    return done;
}

// A file that nothing may write for as long as this lives.
class Unwritable {
public:
    explicit Unwritable(QString file) : file_(std::move(file)) { on_ = setImmutable(file_, true, error_); }
    ~Unwritable()
    {
        if (on_)
            setImmutable(file_, false, error_);
    }
    Unwritable(const Unwritable &) = delete;
    Unwritable &operator=(const Unwritable &) = delete;
    bool isOn() const { return on_; }
    QString error() const { return error_; }

private:
    QString file_;
    QString error_;
    bool on_ = false;
};

// A small filesystem of the test's own (tmpfs), which the test fills; mounting it takes root.
class SmallDisk {
public:
    SmallDisk()
    {
        if (dir_.isValid() && ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0, "size=256k") == 0)
            mounted_ = true;
        else
            error_ = qt_error_string(errno);
    }
    ~SmallDisk()
    {
        makeRoom();
        // Whatever still has files open on it keeps it until they are closed.
        if (mounted_)
            ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;
    bool isMounted() const { return mounted_; }
    QString error() const { return error_; }
    QString path() const { return dir_.path(); }

    // Writes a file until no room is left.
    bool fill()
    {
        const int fd = ::open(QFile::encodeName(filler()).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const char block[4096] = {};
        while (fd >= 0 && ::write(fd, block, sizeof block) > 0) {
        }
        const bool full = errno == ENOSPC;
        if (fd >= 0)
            ::close(fd);
        return full;
    }
    void makeRoom() { QFile::remove(filler()); }

private:
    QString filler() const { return dir_.filePath(QStringLiteral("filler")); }
    QTemporaryDir dir_;
    bool mounted_ = false;
    QString error_;
};

} // namespace

class TestSettingsWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        rt::installFontSubstitutions();
        rt::installAccessibleButtons();
        settings::registerWindows();
    }
    void init()
    {
        source = std::make_unique<TestDataSource>(TestDataSource::SchemaOnly);
        QVERIFY2(source->isValid(), qPrintable(source->error()));
        QCOMPARE(TestDataSource::connectSqlca(), 0L);
        boxes = std::make_unique<rt::MessageBoxRecorder>();
    }
    void cleanup()
    {
        delete window.data();
        boxes.reset();
        TestDataSource::disconnectSqlca();
        source.reset();
    }

    void fourClassesAreModal();
    void layout_data();
    void layout();
    void tabVisitsOnlyTheTwoButtons();
    void clickedRadioTakesTheFocusFromClose();
    void tabFromARadioVisitsOnlyTheButtons_data();
    void tabFromARadioVisitsOnlyTheButtons();
    void clickTabEnterSavesTheChoice_data();
    void clickTabEnterSavesTheChoice();
    void radioGroups();
    void clicksStayInTheirBox();
    void storedRowChecksExactlyItsOnes_data();
    void storedRowChecksExactlyItsOnes();
    void noRowStartsANewRow_data();
    void noRowStartsANewRow();
    void failedInsertIsReportedOnce();
    void readFailureIsReportedAndOffersNoSave();
    void saveAfterALockedReadSaysToReopen();
    void anyRadioClickSwitchesSaveOn();
    void screenReaderToggleSwitchesSaveOn_data();
    void screenReaderToggleSwitchesSaveOn();
    void saveWritesTheChosenFlags_data();
    void saveWritesTheChosenFlags();
    void secondSaveUpdatesAndKeepsCarriedColumns();
    void rowStoredMeanwhileTakesTheChoice_data();
    void rowStoredMeanwhileTakesTheChoice();
    void failedCommitLeavesNoRowAndNextSaveWrites();
    void failedCommitKeepsTheStoredRow();
    void fullDiskFailsOnceAndTheNextSaveStores();
    void busyCursorWhileASaveWaits();
    void saveWaitsOnceForAnotherProgramsLock_data();
    void saveWaitsOnceForAnotherProgramsLock();
    void saveRightAfterAServerRestartStores_data();
    void saveRightAfterAServerRestartStores();
    void saveWhoseCommitLosesItsConnection_data();
    void saveWhoseCommitLosesItsConnection();
    void saveAfterTheFileIsWritableAgainStores();
    void saveAfterARealFullDiskStores();
    void restoredFileIsReadAndSavedInto();
    void escEnterAndCloseThroughTheRegistry();

private:
    w_xm_dx *openWindow(const char *className, std::unique_ptr<d_xmsz> form = nullptr)
    {
        window = new w_xm_dx(*variantOf(QLatin1String(className)), nullptr, std::move(form));
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->openEvent();
        window->show();
        QApplication::setActiveWindow(window);
        if (!QTest::qWaitForWindowActive(window))
            qWarning("window not active");
        return window;
    }
    QRadioButton *rb(const QString &name) const { return window->findChild<QRadioButton *>(name); }
    void clickRadio(const QString &name)
    {
        QRadioButton *b = rb(name);
        QVERIFY2(b, qPrintable(name));
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
    }
    // Clicks Save and waits until its clicked has run.
    void clickSave()
    {
        QSignalSpy done(window->cb_1(), &pfc_picture_command_button::clicked);
        QTest::mouseClick(window->cb_1()->command_button(), Qt::LeftButton);
        QTRY_COMPARE(done.count(), 1);
    }
    // The `count`-th box, the last, is the one of a save that stored nothing: "保存失败！", and on its
    // next line the driver's own text (containing `reason`) when the data source refused it.
    void verifySaveFailedBox(int count, const QString &reason = {})
    {
        QCOMPARE(boxes->count(), count);
        QCOMPARE(boxes->last().title, QStringLiteral("注意"));
        QCOMPARE(boxes->last().icon, rt::Icon::Exclamation);
        if (reason.isEmpty()) {
            QCOMPARE(boxes->last().text, QStringLiteral("保存失败！"));
            return;
        }
        const QString text = boxes->last().text;
        QVERIFY2(text.startsWith(QStringLiteral("保存失败！\n")) && text.contains(reason, Qt::CaseInsensitive), qPrintable(text));
        QVERIFY2(!text.contains(QLatin1String("QODBC")), qPrintable(text));
    }
    // Saves while another session makes the commit fail: one box that says why.
    void saveWithCommitRefused()
    {
        OtherSession other;
        QVERIFY2(other.refuseCommits(), qPrintable(other.error()));
        clickSave();
        verifySaveFailedBox(1, TestDataSource::source() == TestDataSource::Source::SQLite ? QStringLiteral("locked")
                                                                                          : QStringLiteral("refuses the commit"));
        QVERIFY(other.release());
    }
    QStringList checkedItems() const
    {
        QStringList on;
        for (const ItemRadio &item : kItemRadios)
            if (rb(QLatin1String(item.radio))->isChecked())
                on << QLatin1String(item.radio);
        return on;
    }
    QString stored(const QString &nj, const QString &column)
    {
        const QVariant v = source->scalar(QStringLiteral("SELECT %1 FROM xmsz WHERE nj = ?").arg(column), {nj});
        return v.isNull() ? QStringLiteral("<null>") : v.toString();
    }
    // The thirteen stored flags as "1"/"0" for the columns named in `on`.
    void verifyStored(const QString &nj, const QStringList &on)
    {
        for (const QString &c : kAllFlags)
            QCOMPARE(stored(nj, c), on.contains(c) ? QStringLiteral("1") : QStringLiteral("0"));
    }
    void seed(const QString &nj, const QStringList &on, const QString &extraColumns = {}, const QString &extraValues = {})
    {
        QStringList values;
        for (const QString &c : kAllFlags)
            values << (on.contains(c) ? QStringLiteral("'1'") : QStringLiteral("'0'"));
        QVERIFY2(source->exec(QStringLiteral("INSERT INTO xmsz (nj, %1%2) VALUES ('%3', %4%5)")
                                  .arg(kAllFlags.join(QStringLiteral(", ")), extraColumns, nj,
                                       values.join(QStringLiteral(", ")), extraValues)),
                 qPrintable(source->error()));
    }

    std::unique_ptr<TestDataSource> source;
    std::unique_ptr<rt::MessageBoxRecorder> boxes;
    QPointer<w_xm_dx> window;
};

void TestSettingsWindow::fourClassesAreModal()
{
    for (const char *name : {"w_xm_dx1", "w_xm_dx2", "w_xm_dx3", "w_xm_dx4"}) {
        QVERIFY2(rt::windows().hasClass(QLatin1String(name)), name);
        QCOMPARE(rt::windows().typeOf(QLatin1String(name)), rt::WindowType::Response);
    }
}

void TestSettingsWindow::layout_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("height");
    QTest::addColumn<QRect>("save");
    QTest::addColumn<QRect>("close");
    QTest::addColumn<QString>("saveCaption");
    QTest::addColumn<QString>("closeCaption");
    const QString savePic = QStringLiteral("   保存（&S)"), save = QStringLiteral("保存（&S)");
    const QString closePic = QStringLiteral("   关闭(&X)"), close = QStringLiteral("关闭(&X)");
    QTest::newRow("year 1: Save with picture") << "w_xm_dx1" << "大学一年级项目" << 1424 << QRect(978, 1164, 360, 100)
                                               << QRect(1435, 1164, 360, 100) << savePic << close;
    QTest::newRow("year 2: no pictures") << "w_xm_dx2" << "大学二年级项目" << 1428 << QRect(983, 1168, 361, 100)
                                         << QRect(1440, 1168, 361, 100) << save << close;
    QTest::newRow("year 3: both pictures") << "w_xm_dx3" << "大学三年级项目" << 1420 << QRect(987, 1168, 360, 100)
                                           << QRect(1440, 1168, 360, 100) << savePic << closePic;
    QTest::newRow("year 4: both pictures") << "w_xm_dx4" << "大学四年级项目" << 1408 << QRect(987, 1164, 361, 100)
                                           << QRect(1445, 1164, 361, 100) << savePic << closePic;
}

void TestSettingsWindow::layout()
{
    QFETCH(QString, className);
    QFETCH(QString, title);
    QFETCH(int, height);
    QFETCH(QRect, save);
    QFETCH(QRect, close);
    QFETCH(QString, saveCaption);
    QFETCH(QString, closeCaption);
    seed(QString::fromLatin1(variantOf(className)->code), {});
    w_xm_dx *w = openWindow(qPrintable(className));
    QCOMPARE(w->windowTitle(), title);
    QCOMPARE(w->size(), rt::clientSizeForOuter(1897, height));
    QCOMPARE(w->minimumSize(), w->maximumSize());
    const Qt::WindowFlags f = w->windowFlags();
    QVERIFY(f & Qt::WindowTitleHint);
    QVERIFY(!(f & (Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint
                   | Qt::WindowSystemMenuHint)));
    QCOMPARE(w->cb_1()->geometry(), rt::unitRect(save.x(), save.y(), save.width(), save.height()));
    QCOMPARE(w->cb_2()->geometry(), rt::unitRect(close.x(), close.y(), close.width(), close.height()));
    QCOMPARE(w->cb_1()->command_button()->text(), saveCaption);
    QCOMPARE(w->cb_2()->command_button()->text(), closeCaption);
    QCOMPARE(w->cb_1()->uo_bitmap()->isVisible(), saveCaption.startsWith(QLatin1Char(' ')));
    QCOMPARE(w->cb_2()->uo_bitmap()->isVisible(), closeCaption.startsWith(QLatin1Char(' ')));
    QVERIFY(!w->saveEnabled());
    QVERIFY(w->cb_2()->command_button()->isEnabled());

    // No push button answers Enter on the window's behalf, and Tab visits only the two buttons.
    for (QPushButton *b : w->findChildren<QPushButton *>()) {
        QVERIFY(!b->autoDefault());
        QVERIFY(!b->isDefault());
    }
    for (QRadioButton *r : w->findChildren<QRadioButton *>())
        QCOMPARE(r->focusPolicy(), Qt::ClickFocus);

    // The form's control is there and never shown.
    auto *dw = w->findChild<QWidget *>(QStringLiteral("dw_1"), Qt::FindDirectChildrenOnly);
    QVERIFY(dw);
    QVERIFY(!dw->isVisible());
    QCOMPARE(dw->focusPolicy(), Qt::NoFocus);
}

void TestSettingsWindow::tabVisitsOnlyTheTwoButtons()
{
    openWindow("w_xm_dx1"); // no row: Save is on
    auto *save = window->cb_1()->command_button();
    auto *close = window->cb_2()->command_button();
    QTRY_VERIFY(close->hasFocus());
    QTest::keyClick(close, Qt::Key_Tab);
    QTRY_VERIFY(save->hasFocus());
    QTest::keyClick(save, Qt::Key_Tab);
    QTRY_VERIFY(close->hasFocus());
    QTest::keyClick(close, Qt::Key_Down); // the arrow keys move as Tab does
    QTRY_VERIFY(save->hasFocus());
}

void TestSettingsWindow::clickedRadioTakesTheFocusFromClose()
{
    seed(QStringLiteral("41"), {"xm_t_m"});
    openWindow("w_xm_dx1");
    QPointer<w_xm_dx> guard(window);
    auto *close = window->cb_2()->command_button();
    QTRY_VERIFY(close->hasFocus());
    clickRadio(QStringLiteral("rb_1_m"));
    // Enter and Space after the click keep the window and the choice: nothing closes it unsaved.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::qWait(50);
    QVERIFY(guard);
    QVERIFY(rb("rb_1_m")->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QTest::qWait(50);
    QVERIFY(guard);
    QVERIFY(window->isVisible());
    QVERIFY(rb("rb_1_m")->isChecked());
    QVERIFY(!rb("rb_t_m")->isChecked());
    QVERIFY(window->saveEnabled());
    // Tab from there still goes to one of the two buttons only.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_VERIFY(close->hasFocus() || window->cb_1()->command_button()->hasFocus());
    verifyStored(QStringLiteral("41"), {"xm_t_m"});
}

void TestSettingsWindow::tabFromARadioVisitsOnlyTheButtons_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("radio");
    QTest::addColumn<bool>("clicked"); // false: pressed, then let go outside it, so Save stays off
    QTest::addColumn<QString>("keys"); // T Tab, B Shift+Tab
    QTest::addColumn<QStringList>("focus");
    const QString save = QStringLiteral("cb_1"), close = QStringLiteral("cb_2");
    QTest::newRow("year 1: Tab from a clicked radio goes to Save, then Close")
        << "w_xm_dx1" << "rb_1_m" << true << "TTT" << QStringList{save, close, save};
    QTest::newRow("year 1: Shift+Tab from a clicked radio goes to Close, then Save")
        << "w_xm_dx1" << "rb_w_w" << true << "BBB" << QStringList{close, save, close};
    QTest::newRow("year 1: Shift+Tab after Tab goes on to Close, not back to the radio")
        << "w_xm_dx1" << "rb_z_m" << true << "TBB" << QStringList{save, close, save};
    QTest::newRow("year 1: a pressed radio with Save off: Tab and Shift+Tab stay on Close")
        << "w_xm_dx1" << "rb_l_w" << false << "TTB" << QStringList{close, close, close};
    QTest::newRow("year 3: Tab from a clicked radio goes to Save, then Close")
        << "w_xm_dx3" << "rb_y_w" << true << "TTT" << QStringList{save, close, save};
    QTest::newRow("year 3: Shift+Tab from a clicked radio goes to Close, then Save")
        << "w_xm_dx3" << "rb_t_m" << true << "BBB" << QStringList{close, save, close};
    QTest::newRow("year 3: Tab, then Shift+Tab twice")
        << "w_xm_dx3" << "rb_5_w" << true << "TBB" << QStringList{save, close, save};
    QTest::newRow("year 3: a pressed radio with Save off: Shift+Tab and Tab stay on Close")
        << "w_xm_dx3" << "rb_1_m" << false << "BTB" << QStringList{close, close, close};
}

void TestSettingsWindow::tabFromARadioVisitsOnlyTheButtons()
{
    QFETCH(QString, className);
    QFETCH(QString, radio);
    QFETCH(bool, clicked);
    QFETCH(QString, keys);
    QFETCH(QStringList, focus);
    seed(QString::fromLatin1(variantOf(className)->code), {"xm_t_m"}); // opens with Save off
    openWindow(qPrintable(className));
    QRadioButton *b = rb(radio);
    const QPoint onIt(6, b->height() / 2);
    if (clicked) {
        QTest::mouseClick(b, Qt::LeftButton, {}, onIt);
    } else {
        QTest::mousePress(b, Qt::LeftButton, {}, onIt);
        QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(b->width() + 20, onIt.y()));
    }
    QVERIFY(b->hasFocus());
    QCOMPARE(window->saveEnabled(), clicked);
    QStringList visited;
    for (const QChar key : keys) {
        QTest::keyClick(QApplication::focusWidget(), key == u'T' ? Qt::Key_Tab : Qt::Key_Backtab,
                        key == u'T' ? Qt::NoModifier : Qt::ShiftModifier);
        QWidget *now = QApplication::focusWidget();
        QVERIFY(now);
        // A button's focus lies on its inner button.
        visited << (qobject_cast<QRadioButton *>(now) ? now->objectName() : now->parentWidget()->objectName());
    }
    QCOMPARE(visited, focus);
}

void TestSettingsWindow::clickTabEnterSavesTheChoice_data()
{
    QTest::addColumn<QString>("className");
    QTest::newRow("year 1") << "w_xm_dx1";
    QTest::newRow("year 3") << "w_xm_dx3";
}

void TestSettingsWindow::clickTabEnterSavesTheChoice()
{
    QFETCH(QString, className);
    const QString nj = QString::fromLatin1(variantOf(className)->code);
    seed(nj, {"xm_t_m"});
    openWindow(qPrintable(className));
    QPointer<w_xm_dx> guard(window);
    clickRadio(QStringLiteral("rb_1_m"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    // Enter on Save, not on Close: the window stays, the choice is stored.
    QTRY_VERIFY(!guard || !window->saveEnabled());
    QVERIFY(guard && window->isVisible());
    QCOMPARE(boxes->count(), 0);
    verifyStored(nj, {"xm_1_m"});
}

void TestSettingsWindow::radioGroups()
{
    openWindow("w_xm_dx1");
    const QList<QRadioButton *> radios = window->findChildren<QRadioButton *>();
    QCOMPARE(radios.size(), 17);
    const QHash<QString, QString> groupOf = {
        {"rb_t_m", "gb_1"}, {"rb_1_m", "gb_1"}, {"rb_5_m", "gb_2"}, {"rb_l_m", "gb_2"}, {"rb_z_m", "gb_3"},
        {"rb_w_m", "gb_3"}, {"rb_t_w", "gb_6"}, {"rb_8_w", "gb_6"}, {"rb_5_w", "gb_7"}, {"rb_l_w", "gb_7"},
        {"rb_z_w", "gb_8"}, {"rb_y_w", "gb_8"}, {"rb_w_w", "gb_8"},
    };
    for (QRadioButton *r : radios) {
        if (isSelectable(r)) {
            QVERIFY2(r->group(), qPrintable(r->objectName()));
            QCOMPARE(r->group()->objectName(), groupOf.value(r->objectName()));
            QVERIFY(r->group()->exclusive());
            QVERIFY(r->isEnabled());
            QVERIFY(!r->isChecked());
        } else {
            QVERIFY2(!r->group(), qPrintable(r->objectName()));
            QVERIFY(r->isChecked());
            QVERIFY(!r->isEnabled());
            QVERIFY(!r->autoExclusive());
            // Greyed out, not drawn in the style's blue.
            QCOMPARE(r->palette().color(QPalette::Disabled, QPalette::WindowText),
                     QApplication::palette().color(QPalette::Disabled, QPalette::WindowText));
            QCOMPARE_NE(r->palette().color(QPalette::Disabled, QPalette::WindowText), QColor(0, 0, 255));
        }
    }
    QCOMPARE(rb("rb_8")->text(), QStringLiteral("身高标准体重（15分）"));
    QCOMPARE(rb("rb_2")->text(), QStringLiteral("肺活量体重指数（15分）"));
    QCOMPARE(rb("rb_1_m")->text(), QStringLiteral("1000米跑（男）（20分）"));
    QCOMPARE(window->findChild<QGroupBox *>(QStringLiteral("gb_4"))->title(), QStringLiteral("男"));
    QCOMPARE(window->findChild<QGroupBox *>(QStringLiteral("gb_5"))->title(), QStringLiteral("女"));
    QCOMPARE(window->findChildren<QGroupBox *>().size(), 8);
}

void TestSettingsWindow::clicksStayInTheirBox()
{
    openWindow("w_xm_dx1");
    for (const char *name : {"rb_t_m", "rb_5_m", "rb_z_m", "rb_t_w", "rb_5_w", "rb_z_w"})
        clickRadio(QLatin1String(name));
    clickRadio(QStringLiteral("rb_1_m"));
    QCOMPARE(checkedItems(), QStringList({"rb_1_m", "rb_5_m", "rb_z_m", "rb_t_w", "rb_5_w", "rb_z_w"}));
    clickRadio(QStringLiteral("rb_y_w"));
    clickRadio(QStringLiteral("rb_w_w"));
    QCOMPARE(checkedItems(), QStringList({"rb_1_m", "rb_5_m", "rb_z_m", "rb_t_w", "rb_5_w", "rb_w_w"}));
    // A click anywhere on a radio button's rectangle counts, also right of its caption.
    QRadioButton *grip = rb(QStringLiteral("rb_w_m"));
    QTest::mouseClick(grip, Qt::LeftButton, {}, QPoint(grip->width() - 2, grip->height() - 2));
    QVERIFY(grip->isChecked());
    QVERIFY(!rb(QStringLiteral("rb_z_m"))->isChecked());
    // A fixed item stays checked whatever is clicked.
    clickRadio(QStringLiteral("rb_8"));
    QVERIFY(rb("rb_8")->isChecked());
    QVERIFY(rb("rb_9")->isChecked());
}

void TestSettingsWindow::storedRowChecksExactlyItsOnes_data()
{
    QTest::addColumn<QString>("className");
    for (const auto &v : kStudyYearVariants)
        QTest::newRow(v.className) << QString::fromLatin1(v.className);
}

void TestSettingsWindow::storedRowChecksExactlyItsOnes()
{
    QFETCH(QString, className);
    const QString nj = QString::fromLatin1(variantOf(className)->code);
    const QStringList on = {"xm_t_m", "xm_5_m", "xm_z_m", "xm_8_w", "xm_l_w", "xm_w_w"};
    seed(nj, on);
    // "1" with a blank and NULL read as not chosen; other years' rows are not looked at.
    QVERIFY(source->exec(QStringLiteral("UPDATE xmsz SET xm_1_m = NULL, xm_t_w = '1 ' WHERE nj = ?"), {nj}));
    seed(nj == QLatin1String("41") ? QStringLiteral("42") : QStringLiteral("41"), kAllFlags);
    openWindow(qPrintable(className));
    QStringList expected;
    for (const QString &c : on)
        expected << radioOf(c);
    QStringList got = checkedItems();
    got.sort();
    expected.sort();
    QCOMPARE(got, expected);
    QVERIFY(!window->saveEnabled());
    QCOMPARE(window->dw_1().rowStatus(1), Status::NotModified);
    QCOMPARE(boxes->count(), 0);
}

void TestSettingsWindow::noRowStartsANewRow_data() { storedRowChecksExactlyItsOnes_data(); }

void TestSettingsWindow::noRowStartsANewRow()
{
    QFETCH(QString, className);
    seed(QStringLiteral("45"), kAllFlags);
    openWindow(qPrintable(className));
    QVERIFY(checkedItems().isEmpty());
    QVERIFY(window->saveEnabled());
    QCOMPARE(window->dw_1().getRow(), 1L);
    QCOMPARE(window->dw_1().rowStatus(1), Status::New);
    QCOMPARE(boxes->count(), 0);
    // Closing without saving writes nothing.
    QSignalSpy closed(window->cb_2(), &pfc_picture_command_button::clicked);
    QTest::mouseClick(window->cb_2()->command_button(), Qt::LeftButton);
    QTRY_VERIFY(window.isNull());
    QCOMPARE(source->count(QStringLiteral("xmsz")), 1);
}

void TestSettingsWindow::failedInsertIsReportedOnce()
{
    openWindow("w_xm_dx2", std::make_unique<NoInsertForm>());
    QCOMPARE(boxes->count(), 1);
    QCOMPARE(boxes->last().title, QStringLiteral("注意"));
    QCOMPARE(boxes->last().text, QStringLiteral("新建设置不能执行！"));
    QCOMPARE(boxes->last().icon, rt::Icon::Information);
    QVERIFY(!window->saveEnabled());

    // A click still offers Save; with no row to write it fails and writes nothing.
    clickRadio(QStringLiteral("rb_5_m"));
    QVERIFY(window->saveEnabled());
    clickSave();
    verifySaveFailedBox(2);
    QVERIFY(window->saveEnabled());
    QCOMPARE(source->count(QStringLiteral("xmsz")), 0);
}

void TestSettingsWindow::readFailureIsReportedAndOffersNoSave()
{
    QVERIFY(source->exec(QStringLiteral("DROP TABLE xmsz")));
    openWindow("w_xm_dx3");
    QCOMPARE(boxes->count(), 1);
    QCOMPARE(boxes->last().title, QStringLiteral("注意"));
    QVERIFY(boxes->last().text.startsWith(QStringLiteral("项目设置不能读取！\n")));
    QVERIFY2(boxes->last().text.contains(QLatin1String("xmsz")), qPrintable(boxes->last().text));
    QVERIFY(!window->saveEnabled());
    QCOMPARE(window->dw_1().rowCount(), 0L);

    clickRadio(QStringLiteral("rb_l_w"));
    clickSave();
    verifySaveFailedBox(2, kReopen);
}

void TestSettingsWindow::saveAfterALockedReadSaysToReopen()
{
    std::optional<OtherSession> other(std::in_place);
    QVERIFY2(other->lockOutReaders(), qPrintable(other->error()));
    openWindow("w_xm_dx1");
    QCOMPARE(boxes->count(), 1);
    QVERIFY2(boxes->last().text.startsWith(QStringLiteral("项目设置不能读取！\n")), qPrintable(boxes->last().text));
    QVERIFY(!window->saveEnabled());

    // The lock is gone, but this window holds no row: its Save says why it fails, every time.
    QVERIFY(other->release());
    other.reset();
    clickRadio(QStringLiteral("rb_5_m"));
    clickSave();
    verifySaveFailedBox(2, kReopen);
    clickSave();
    verifySaveFailedBox(3, kReopen);
    QCOMPARE(source->count(QStringLiteral("xmsz")), 0);

    // Opened again, the window reads the year afresh and saves.
    window->cb_2()->command_button()->click();
    QTRY_VERIFY(!window);
    openWindow("w_xm_dx1");
    QVERIFY(window->saveEnabled());
    clickRadio(QStringLiteral("rb_5_m"));
    clickSave();
    QCOMPARE(boxes->count(), 3);
    verifyStored(QStringLiteral("41"), {"xm_5_m"});
}

void TestSettingsWindow::anyRadioClickSwitchesSaveOn()
{
    seed(QStringLiteral("41"), {"xm_t_m"});
    openWindow("w_xm_dx1");
    QVERIFY(!window->saveEnabled());
    // A change made by code is no click.
    rb("rb_5_m")->setChecked(true);
    QVERIFY(!window->saveEnabled());
    // A click on the button already checked is.
    clickRadio(QStringLiteral("rb_t_m"));
    QVERIFY(window->saveEnabled());
    QVERIFY(rb("rb_t_m")->isChecked());
}

void TestSettingsWindow::screenReaderToggleSwitchesSaveOn_data()
{
    QTest::addColumn<QString>("radio");
    QTest::addColumn<QStringList>("stored");
    QTest::newRow("another item of the box") << "rb_1_m" << QStringList{"xm_1_m", "xm_5_m"};
    QTest::newRow("the item already chosen") << "rb_t_m" << QStringList{"xm_t_m", "xm_5_m"};
}

void TestSettingsWindow::screenReaderToggleSwitchesSaveOn()
{
    QFETCH(QString, radio);
    QFETCH(QStringList, stored);
    seed(QStringLiteral("41"), {"xm_t_m", "xm_5_m"});
    openWindow("w_xm_dx1");
    QVERIFY(!window->saveEnabled());
    // The action a screen reader calls: a click, so Save comes on and the choice stays in its box.
    QAccessibleInterface *button = QAccessible::queryAccessibleInterface(rb(radio));
    QVERIFY(button && button->actionInterface());
    button->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QVERIFY(rb(radio)->isChecked());
    QVERIFY(window->saveEnabled());
    // Announced as the radio button it is, checked.
    QCOMPARE(button->role(), QAccessible::RadioButton);
    QVERIFY(button->state().checked);
    clickSave();
    QCOMPARE(boxes->count(), 0);
    verifyStored(QStringLiteral("41"), stored);
}

void TestSettingsWindow::saveWritesTheChosenFlags_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QStringList>("flags");
    QTest::newRow("year 1, nothing chosen") << "w_xm_dx1" << QStringList() << QStringList();
    QTest::newRow("year 2, rb_5_m only") << "w_xm_dx2" << QStringList{"rb_5_m"} << QStringList{"xm_5_m"};
    QTest::newRow("year 3, one per box")
        << "w_xm_dx3" << QStringList{"rb_1_m", "rb_l_m", "rb_w_m", "rb_t_w", "rb_5_w", "rb_y_w"}
        << QStringList{"xm_1_m", "xm_l_m", "xm_w_m", "xm_t_w", "xm_5_w", "xm_y_w"};
    QTest::newRow("year 4, changed minds")
        << "w_xm_dx4" << QStringList{"rb_t_m", "rb_1_m", "rb_z_w", "rb_w_w", "rb_8_w"}
        << QStringList{"xm_1_m", "xm_w_w", "xm_8_w"};
}

void TestSettingsWindow::saveWritesTheChosenFlags()
{
    QFETCH(QString, className);
    QFETCH(QStringList, clicks);
    QFETCH(QStringList, flags);
    const QString nj = QString::fromLatin1(variantOf(className)->code);
    openWindow(qPrintable(className));
    for (const QString &name : clicks)
        clickRadio(name);
    clickSave();
    QCOMPARE(boxes->count(), 0);
    QVERIFY(!window->saveEnabled());
    QCOMPARE(source->count(QStringLiteral("xmsz")), 1);
    verifyStored(nj, flags);
    QCOMPARE(stored(nj, QStringLiteral("xm_58_m")), QStringLiteral("<null>"));
    QCOMPARE(window->dw_1().rowStatus(1), Status::NotModified);
}

void TestSettingsWindow::secondSaveUpdatesAndKeepsCarriedColumns()
{
    seed(QStringLiteral("44"), {"xm_t_m"}, QStringLiteral(", xm_58_m, xm_58_w"), QStringLiteral(", 'p', 'q'"));
    openWindow("w_xm_dx4");
    clickRadio(QStringLiteral("rb_1_m"));
    clickSave();
    verifyStored(QStringLiteral("44"), {"xm_1_m"});
    clickRadio(QStringLiteral("rb_1_m")); // already checked: Save comes on again
    clickRadio(QStringLiteral("rb_5_w"));
    clickSave();
    QCOMPARE(boxes->count(), 0);
    QCOMPARE(source->count(QStringLiteral("xmsz")), 1);
    verifyStored(QStringLiteral("44"), {"xm_1_m", "xm_5_w"});
    QCOMPARE(stored(QStringLiteral("44"), QStringLiteral("xm_58_m")), QStringLiteral("p"));
    QCOMPARE(stored(QStringLiteral("44"), QStringLiteral("xm_58_w")), QStringLiteral("q"));
}

void TestSettingsWindow::rowStoredMeanwhileTakesTheChoice_data()
{
    QTest::addColumn<bool>("duringTheSave");
    QTest::newRow("stored before the Save") << false;
    QTest::newRow("stored while the Save waits for it") << true;
}

// The window opened on a year without a row; another PC stores the year's row meanwhile. The Save
// stores the window's choice into that row, which keeps its carried columns, and later Saves of the
// window change it.
void TestSettingsWindow::rowStoredMeanwhileTakesTheChoice()
{
    QFETCH(bool, duringTheSave);
    openWindow("w_xm_dx2");
    QVERIFY(window->saveEnabled());
    clickRadio(QStringLiteral("rb_w_m"));
    const QString otherRow = QStringLiteral("INSERT INTO xmsz (nj, xm_z_m, xm_58_m, xm_58_w) VALUES ('42', '1', 'p', 'q')");
    std::optional<HeldElsewhere> other;
    if (duringTheSave) {
        other.emplace([&](OtherSession &s) { return s.begin() && s.exec(otherRow); }, 300, std::function<void()>(),
                      &OtherSession::commit);
        QVERIFY2(other->holding(), qPrintable(other->error()));
    } else {
        QVERIFY2(source->exec(otherRow), qPrintable(source->error()));
    }
    clickSave();
    other.reset();
    QCOMPARE(boxes->count(), 0);
    QVERIFY(!window->saveEnabled());
    QCOMPARE(source->count(QStringLiteral("xmsz")), 1);
    verifyStored(QStringLiteral("42"), {"xm_w_m"});
    QCOMPARE(stored(QStringLiteral("42"), QStringLiteral("xm_58_m")), QStringLiteral("p"));
    QCOMPARE(stored(QStringLiteral("42"), QStringLiteral("xm_58_w")), QStringLiteral("q"));
    QCOMPARE(window->dw_1().rowStatus(1), Status::NotModified);

    clickRadio(QStringLiteral("rb_5_m"));
    clickSave();
    QCOMPARE(boxes->count(), 0);
    QCOMPARE(source->count(QStringLiteral("xmsz")), 1);
    verifyStored(QStringLiteral("42"), {"xm_w_m", "xm_5_m"});
    QCOMPARE(stored(QStringLiteral("42"), QStringLiteral("xm_58_m")), QStringLiteral("p"));
}

void TestSettingsWindow::failedCommitLeavesNoRowAndNextSaveWrites()
{
    openWindow("w_xm_dx3");
    clickRadio(QStringLiteral("rb_l_m"));
    saveWithCommitRefused();
    QVERIFY(window->saveEnabled());
    QCOMPARE(window->dw_1().rowStatus(1), Status::NewModified);
    QCOMPARE(source->count(QStringLiteral("xmsz")), 0);

    clickSave();
    QCOMPARE(boxes->count(), 1);
    QVERIFY(!window->saveEnabled());
    QCOMPARE(source->count(QStringLiteral("xmsz")), 1);
    verifyStored(QStringLiteral("43"), {"xm_l_m"});
}

void TestSettingsWindow::failedCommitKeepsTheStoredRow()
{
    seed(QStringLiteral("44"), {"xm_5_m", "xm_y_w"});
    openWindow("w_xm_dx4");
    clickRadio(QStringLiteral("rb_l_m"));
    saveWithCommitRefused();
    QCOMPARE(window->dw_1().rowStatus(1), Status::DataModified);
    verifyStored(QStringLiteral("44"), {"xm_5_m", "xm_y_w"});
    clickSave();
    QCOMPARE(boxes->count(), 1);
    verifyStored(QStringLiteral("44"), {"xm_l_m", "xm_y_w"});
}

void TestSettingsWindow::fullDiskFailsOnceAndTheNextSaveStores()
{
    if (TestDataSource::source() != TestDataSource::Source::SQLite)
        QSKIP("a full disk is made through SQLite's page limit");
    // The file may not grow, and rows as large as a Save's fill its last page: the next row finds no room.
    const int pages = source->scalar(QStringLiteral("PRAGMA page_count")).toInt();
    QVERIFY(source->exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages)));
    QStringList flags;
    for (int i = 0; i < kAllFlags.size(); ++i)
        flags << QStringLiteral("'0'");
    const QString fill = QStringLiteral("INSERT INTO xmsz (nj, %1) VALUES (?, %2)").arg(kAllFlags.join(u','), flags.join(u','));
    for (int i = 0; i < 1000 && source->exec(fill, {QStringLiteral("f%1").arg(i)}); ++i) {
    }
    QVERIFY2(source->error().contains(QLatin1String("full")), qPrintable(source->error()));
    rt::sqlca().execute(QStringLiteral("PRAGMA max_page_count = %1").arg(pages));
    QCOMPARE(rt::sqlca().commit(), 0);

    openWindow("w_xm_dx2");
    clickRadio(QStringLiteral("rb_l_m"));
    clickSave();
    verifySaveFailedBox(1, QStringLiteral("full"));
    QVERIFY(window->saveEnabled());
    QVERIFY(source->scalar(QStringLiteral("SELECT nj FROM xmsz WHERE nj = '42'")).isNull());

    // Room again: the next Save stores the row and says nothing, and the one after it too.
    QVERIFY(source->exec(QStringLiteral("DELETE FROM xmsz")));
    clickSave();
    QCOMPARE(boxes->count(), 1);
    QVERIFY(!window->saveEnabled());
    verifyStored(QStringLiteral("42"), {"xm_l_m"});
    clickRadio(QStringLiteral("rb_5_m"));
    clickSave();
    QCOMPARE(boxes->count(), 1);
    verifyStored(QStringLiteral("42"), {"xm_5_m"});
    QVERIFY(!source->anotherSessionHoldsTransaction());
}

void TestSettingsWindow::busyCursorWhileASaveWaits()
{
    openWindow("w_xm_dx1");
    clickRadio(QStringLiteral("rb_5_m"));
    // Another session holds the lock, looks at the cursor while the Save waits for it, then lets go.
    std::optional<Qt::CursorShape> whileWaiting;
    HeldElsewhere other(&OtherSession::holdWriteLock, 300, [&] {
        if (const QCursor *cursor = QGuiApplication::overrideCursor())
            whileWaiting = cursor->shape();
    });
    QVERIFY2(other.holding(), qPrintable(other.error()));
    clickSave();
    other.release();
    QCOMPARE(whileWaiting, std::optional<Qt::CursorShape>(Qt::WaitCursor));
    QVERIFY(!QGuiApplication::overrideCursor());
    QCOMPARE(boxes->count(), 0);
    verifyStored(QStringLiteral("41"), {"xm_5_m"});
}

void TestSettingsWindow::saveWaitsOnceForAnotherProgramsLock_data()
{
    // The test's data source waits 1 s for a lock (SQLite's Timeout, PostgreSQL's lock_timeout).
    QTest::addColumn<bool>("writing"); // false: another program's read, true: its write lock on xmsz
    QTest::addColumn<bool>("storedRow");
    QTest::addColumn<int>("heldMs");
    QTest::newRow("a read of 0.5 s, the stored row") << false << true << 500;
    QTest::newRow("a read of 0.5 s, a new row") << false << false << 500;
    QTest::newRow("a read of 2.5 s, the stored row") << false << true << 2500;
    QTest::newRow("a read of 2.5 s, a new row") << false << false << 2500;
    QTest::newRow("a write lock of 2.5 s, the stored row") << true << true << 2500;
}

// Another program reads the settings or holds a write lock while the Save writes them: the Save waits
// for it to end, once, as long as the data source waits for a lock (not once per statement), and
// stores as soon as it has ended; a lock that outlasts the wait fails it with one message, nothing
// lost, and the next Save stores.
void TestSettingsWindow::saveWaitsOnceForAnotherProgramsLock()
{
    QFETCH(bool, writing);
    QFETCH(bool, storedRow);
    QFETCH(int, heldMs);
    if (!writing && !storedRow && !onSqlite())
        QSKIP("PostgreSQL's row locks hold rows that are there; a new row waits for none");
    if (storedRow)
        seed(QStringLiteral("41"), {"xm_t_m"});
    openWindow("w_xm_dx1");
    clickRadio(QStringLiteral("rb_5_m"));
    const QStringList chosen = storedRow ? QStringList{"xm_t_m", "xm_5_m"} : QStringList{"xm_5_m"};

    HeldElsewhere other(writing ? &OtherSession::holdWriteLock : &OtherSession::holdRows, heldMs);
    QVERIFY2(other.holding(), qPrintable(other.error()));
    QElapsedTimer waited;
    waited.start();
    clickSave();
    const qint64 ms = waited.elapsed();
    other.release();

    if (heldMs < 1000) {
        QCOMPARE(boxes->count(), 0);
        QVERIFY(!window->saveEnabled());
        QVERIFY2(ms >= heldMs - 50 && ms < heldMs + 400, qPrintable(QString::number(ms)));
        verifyStored(QStringLiteral("41"), chosen);
        return;
    }
    // One wait of at most 1 s (the driver's last try ends within it), not one per try.
    QVERIFY2(ms >= 600 && ms < 1800, qPrintable(QString::number(ms)));
    verifySaveFailedBox(1, QStringLiteral("lock"));
    QVERIFY(window->saveEnabled());
    QCOMPARE(window->dw_1().rowStatus(1), storedRow ? Status::DataModified : Status::NewModified);
    if (storedRow)
        verifyStored(QStringLiteral("41"), {"xm_t_m"});
    else
        QCOMPARE(source->count(QStringLiteral("xmsz")), 0);
    clickSave();
    QCOMPARE(boxes->count(), 1);
    verifyStored(QStringLiteral("41"), chosen);
}

void TestSettingsWindow::saveRightAfterAServerRestartStores_data()
{
    QTest::addColumn<bool>("storedRow");
    QTest::addColumn<bool>("downAtTheSave");
    QTest::newRow("a new row") << false << false;
    QTest::newRow("the stored row") << true << false;
    QTest::newRow("the stored row, the server still down") << true << true;
}

// The department's server restarts while the window is open: its connection is gone, and the Save
// makes it again and stores, with no message. While the server is still down, the Save fails with its
// message at once, and the first Save once it is back stores.
void TestSettingsWindow::saveRightAfterAServerRestartStores()
{
    QFETCH(bool, storedRow);
    QFETCH(bool, downAtTheSave);
    if (onSqlite())
        QSKIP("an embedded SQLite database has no server to restart");
    if (storedRow)
        seed(QStringLiteral("42"), {"xm_t_m"});
    openWindow("w_xm_dx2");
    clickRadio(QStringLiteral("rb_5_m"));
    if (downAtTheSave) {
        QVERIFY(source->stopServer());
        QElapsedTimer waited;
        waited.start();
        clickSave();
        const qint64 ms = waited.elapsed();
        // Within the data source's lock wait (1 s here): the Save does not wait for the server.
        QVERIFY2(ms < 1000, qPrintable(QString::number(ms)));
        verifySaveFailedBox(1, QStringLiteral("connection"));
        QVERIFY(window->saveEnabled());
        QVERIFY2(source->startServer(), qPrintable(source->error()));
        verifyStored(QStringLiteral("42"), {"xm_t_m"});
    } else {
        QVERIFY2(source->restartServer(), qPrintable(source->error()));
    }
    clickSave();
    QCOMPARE(boxes->count(), downAtTheSave ? 1 : 0);
    QVERIFY(!window->saveEnabled());
    QCOMPARE(window->dw_1().rowStatus(1), Status::NotModified);
    verifyStored(QStringLiteral("42"), storedRow ? QStringList{"xm_t_m", "xm_5_m"} : QStringList{"xm_5_m"});
    QCOMPARE(source->count(QStringLiteral("xmsz")), 1);
}

void TestSettingsWindow::saveWhoseCommitLosesItsConnection_data()
{
    QTest::addColumn<bool>("storedRow");
    QTest::addColumn<int>("cuts");
    QTest::newRow("a new row, cut once") << false << 1;
    QTest::newRow("the stored row, cut once") << true << 1;
    QTest::newRow("a new row, cut twice") << false << 2;
}

// The connection is lost as the Save's COMMIT begins, so nothing is committed: the Save writes the row
// again on a new connection and commits it. Lost again there, the Save fails with its message, and the
// next Save stores.
void TestSettingsWindow::saveWhoseCommitLosesItsConnection()
{
    QFETCH(bool, storedRow);
    QFETCH(int, cuts);
    if (onSqlite())
        QSKIP("an embedded SQLite database has no server to lose");
    if (storedRow)
        seed(QStringLiteral("43"), {"xm_t_m"});
    openWindow("w_xm_dx3");
    clickRadio(QStringLiteral("rb_z_w"));
    QVERIFY2(source->cutConnectionAtCommit(cuts), qPrintable(source->error()));
    const QStringList chosen = storedRow ? QStringList{"xm_t_m", "xm_z_w"} : QStringList{"xm_z_w"};
    clickSave();
    if (cuts > 1) {
        verifySaveFailedBox(1, QStringLiteral("connection"));
        QVERIFY(window->saveEnabled());
        QCOMPARE(window->dw_1().rowStatus(1), storedRow ? Status::DataModified : Status::NewModified);
        QCOMPARE(source->count(QStringLiteral("xmsz")), storedRow ? 1 : 0);
        QVERIFY(!source->anotherSessionHoldsTransaction());
        clickSave();
    }
    QCOMPARE(boxes->count(), cuts > 1 ? 1 : 0);
    QVERIFY(!window->saveEnabled());
    QCOMPARE(window->dw_1().rowStatus(1), Status::NotModified);
    QCOMPARE(source->count(QStringLiteral("xmsz")), 1);
    verifyStored(QStringLiteral("43"), chosen);
}

// The database file cannot be written for a while (here by its immutable attribute): the Saves fail
// meanwhile, each with one message, and the first Save after it is writable again stores, on a
// connection of its own; no connection is left behind.
void TestSettingsWindow::saveAfterTheFileIsWritableAgainStores()
{
    if (!onSqlite())
        QSKIP("a server's database has no file of the program's");
    seed(QStringLiteral("43"), {"xm_z_m"});
    openWindow("w_xm_dx3");
    clickRadio(QStringLiteral("rb_w_m"));
    const int descriptors = descriptorsOn(source->databasePath());
    {
        Unwritable unwritable(source->databasePath());
        if (!unwritable.isOn())
            QSKIP(qPrintable(QStringLiteral("the immutable attribute cannot be set here (it takes root): ") + unwritable.error()));
        // The first Save fails as it writes the file; the next one finds the file unwritable from the start.
        for (int failed = 1; failed <= 2; ++failed) {
            clickSave();
            QCOMPARE(boxes->count(), failed);
            QVERIFY2(boxes->last().text.startsWith(QStringLiteral("保存失败！\n")), qPrintable(boxes->last().text));
            QVERIFY(window->saveEnabled());
        }
    }
    verifyStored(QStringLiteral("43"), {"xm_z_m"}); // nothing half-written
    clickSave();
    QCOMPARE(boxes->count(), 2);
    QVERIFY(!window->saveEnabled());
    verifyStored(QStringLiteral("43"), {"xm_w_m"});
    QCOMPARE(descriptorsOn(source->databasePath()), descriptors);
    QVERIFY(!source->anotherSessionHoldsTransaction());
}

// The disk holding the database fills up: each Save fails with one message and leaves no connection
// behind, and the first Save after room is made stores.
void TestSettingsWindow::saveAfterARealFullDiskStores()
{
    if (!onSqlite())
        QSKIP("a server's database has no file of the program's");
    SmallDisk disk;
    if (!disk.isMounted())
        QSKIP(qPrintable(QStringLiteral("no filesystem of the test's own can be mounted (it takes root): ") + disk.error()));
    TestDataSource::disconnectSqlca();
    QVERIFY2(source->moveDatabaseTo(disk.path()), qPrintable(source->error()));
    QCOMPARE(TestDataSource::connectSqlca(), 0L);
    const QString file = QDir(disk.path()).filePath(QStringLiteral("vemka.db"));

    openWindow("w_xm_dx2");
    clickRadio(QStringLiteral("rb_l_m"));
    const int descriptors = descriptorsOn(file);
    QVERIFY(disk.fill());
    for (int failed = 1; failed <= 3; ++failed) {
        clickSave();
        verifySaveFailedBox(failed, QStringLiteral("full"));
        QVERIFY(window->saveEnabled());
        QCOMPARE(descriptorsOn(file), descriptors);
    }
    QCOMPARE(source->count(QStringLiteral("xmsz")), 0);

    disk.makeRoom();
    clickSave();
    QCOMPARE(boxes->count(), 3);
    QVERIFY(!window->saveEnabled());
    verifyStored(QStringLiteral("42"), {"xm_l_m"});
    QCOMPARE(descriptorsOn(file), descriptors);
}

// A backup is restored over the database (mv) while the program runs: reads come from the restored
// file, and a Save stores into it.
void TestSettingsWindow::restoredFileIsReadAndSavedInto()
{
    if (!onSqlite())
        QSKIP("a server's database has no file of the program's");
    seed(QStringLiteral("41"), {"xm_t_m"});
    openWindow("w_xm_dx1");
    QCOMPARE(checkedItems(), QStringList{"rb_t_m"});

    const QString backup = source->databasePath() + QStringLiteral(".backup");
    QFile::remove(backup);
    QVERIFY(QFile::copy(source->databasePath(), backup));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), QStringLiteral("backup"));
        db.setDatabaseName(QStringLiteral("DRIVER=SQLite3;Database=") + backup);
        QVERIFY(db.open());
        QVERIFY(QSqlQuery(db).exec(QStringLiteral("UPDATE xmsz SET xm_t_m = '0', xm_5_m = '1' WHERE nj = '41'")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("backup"));
    QVERIFY2(source->replaceDatabaseWith(backup), qPrintable(source->error()));

    d_xmsz reader;
    QCOMPARE(reader.retrieve(QStringLiteral("41")), 1L);
    QCOMPARE(reader.getItemString(1, QStringLiteral("xm_5_m")), QStringLiteral("1"));
    QCOMPARE(reader.getItemString(1, QStringLiteral("xm_t_m")), QStringLiteral("0"));

    clickRadio(QStringLiteral("rb_1_m"));
    clickSave();
    QCOMPARE(boxes->count(), 0);
    QVERIFY(!window->saveEnabled());
    verifyStored(QStringLiteral("41"), {"xm_1_m"});
}

void TestSettingsWindow::escEnterAndCloseThroughTheRegistry()
{
    bool checkedInside = false;
    auto conn = connect(&rt::windows(), &rt::WindowRegistry::windowShown, this, [&](QWidget *w, const QString &cls) {
        if (cls != QLatin1String("w_xm_dx1"))
            return;
        auto *win = qobject_cast<w_xm_dx *>(w);
        QPointer<w_xm_dx> guard(win);
        QApplication::setActiveWindow(win);
        QVERIFY(QTest::qWaitForWindowActive(win));
        QVERIFY(win->isModal());
        auto *save = win->cb_1()->command_button();
        QTest::keyClick(win, Qt::Key_Escape);
        QTest::qWait(20);
        QVERIFY(guard);
        // Enter on Save saves once and closes nothing.
        auto *radio = win->findChild<QRadioButton *>(QStringLiteral("rb_z_w"));
        QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
        save->setFocus();
        QTRY_VERIFY(save->hasFocus());
        QTest::keyClick(save, Qt::Key_Return);
        QTRY_VERIFY(!win->saveEnabled());
        QTest::keyClick(win, Qt::Key_Escape);
        QTest::qWait(20);
        QVERIFY(guard);
        checkedInside = true;
        // Closed by the window manager: closes at once, like the Close button.
        win->close();
    });
    QCOMPARE(rt::windows().open(QStringLiteral("w_xm_dx1")), 1);
    disconnect(conn);
    QVERIFY(checkedInside);
    QVERIFY(!rt::windows().window(QStringLiteral("w_xm_dx1")));
    QCOMPARE(boxes->count(), 0);
    verifyStored(QStringLiteral("41"), {"xm_z_w"});
}

QTEST_MAIN(TestSettingsWindow)
#include "test_w_xm_dx.moc"
