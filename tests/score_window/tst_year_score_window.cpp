// The year score windows of years 1 to 3 on the real data source, SQLite and PostgreSQL alike: the
// opening loop, scoring on leaving a field, the sex change, the settings button, the failure messages,
// and the data source shared with other sessions while the windows are open.
#include "common/item_selection.h"
#include "runtime/accessibility.h"
#include "runtime/fonts.h"
#include "runtime/messagebox.h"
#include "runtime/registry.h"
#include "runtime/transaction.h"
#include "score/my_maskedit.h"
#include "score/register.h"
#include "score/year_score_window.h"
#include "kit/pfc_picture_command_button.h"
#include "settings/register.h"
#include "settings/w_xm_dx.h"
#include "score_window_driver.h"
#include "test_data_source.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QElapsedTimer>
#include <QtTest>
#include <deque>
#include <memory>

using score::YearScoreWindow;
using namespace score_test;

namespace {

void runOnSqlca(const QString &sql)
{
    rt::sqlca().execute(sql);
    rt::sqlca().commit();
}

// What the operator does in a settings window before closing it with "关闭(&X)".
using SettingsVisit = std::function<void(w_xm_dx *)>;

// The action a screen reader calls on a check box or a radio button.
void screenReaderToggle(QWidget *w, const char *name)
{
    QAccessibleInterface *button = QAccessible::queryAccessibleInterface(child<QAbstractButton>(w, name));
    QVERIFY2(button && button->actionInterface(), name);
    const QString toggle = QAccessibleActionInterface::toggleAction();
    QVERIFY2(button->actionInterface()->actionNames().contains(toggle), name);
    button->actionInterface()->doAction(toggle);
}

} // namespace

class TestYearScoreWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void openingLoop_data();
    void openingLoop();
    void openingRetrievalError();
    void openingWithRow();
    void openingEndsWhenTheRowCannotBeStored();
    void openingOpensWithTheRowStoredDespiteAFailedSave_data();
    void openingOpensWithTheRowStoredDespiteAFailedSave();

    void enterWalksInputsAndScores();
    void clickElsewhereScoresUnchangedField();
    void heightAndWeightRescore();
    void missingWeightMessage_data();
    void missingWeightMessage();
    void realMessageBoxTakesFocusWithoutScoring();
    void weightLimitRowMissing();
    void weightLimitQueryFails();
    void weightLimitRowUnusable_data();
    void weightLimitRowUnusable();

    void sexChangeGripCountsAtOnce_data();
    void sexChangeGripCountsAtOnce();
    void sexChangeStepTestForWomenOnly_data();
    void sexChangeStepTestForWomenOnly();
    void sexChangeRunsAndSitUpsKeepScores();
    void screenReaderTogglesRunTheClickPath();

    void settingsButtonAppliesNewFlags();
    void settingsButtonWithoutRowOrFailing();

    void othersWriteWhileWindowsAreOpen();
    void lostConnectionNextActionWorks();
    void sexChangeWaitsOnceForALockedTable();

    void keysAndButtons();
    void tabSequence();

private:
    // sqlca connected as the program connects it and the year's settings row saved, then openWindow().
    std::unique_ptr<YearScoreWindow> openWithRow(int year, const Flags &overrides = {},
                                                 const QString &others = QStringLiteral("1"));
    static void leave(QWidget *w, const char *name) { QTest::keyClick(child(w, name), Qt::Key_Tab); }
    // A height typed over the old one, then a weight into the emptied weight edit that Tab reaches.
    static void enterHeightAndWeight(QWidget *w, const QString &height, const QString &weight)
    {
        typeAndLeave(w, "em_s1", height);
        QTest::keyClicks(child(w, "em_s2"), weight);
        leave(w, "em_s2");
    }
    static void addYearRows();
    // Height/weight and the total at 0 points, and one message that the height has no weight limits.
    static void verifyNoWeightLimits(QWidget *w, const rt::MessageBoxRecorder &boxes, int heightCm);

    // Visits of the settings windows, in order; a visit without one closes the window unsaved.
    std::deque<SettingsVisit> visits_;
    int settingsOpenings_ = 0;
    QMetaObject::Connection settingsDriver_;
};

void TestYearScoreWindow::initTestCase()
{
    rt::installFontSubstitutions();
    rt::installAccessibleButtons();
    settings::registerWindows();
    score::registerWindows();
}

void TestYearScoreWindow::init()
{
    visits_.clear();
    settingsOpenings_ = 0;
    settingsDriver_ = connect(&rt::windows(), &rt::WindowRegistry::windowShown, this,
                              [this](QWidget *w, const QString &cls) {
                                  auto *settingsWindow = qobject_cast<w_xm_dx *>(w);
                                  if (!settingsWindow || !cls.startsWith(QLatin1String("w_xm_dx")))
                                      return;
                                  ++settingsOpenings_;
                                  QApplication::setActiveWindow(w);
                                  if (!QTest::qWaitForWindowActive(w))
                                      qWarning("settings window not active");
                                  if (!visits_.empty()) {
                                      const SettingsVisit visit = visits_.front();
                                      visits_.pop_front();
                                      visit(settingsWindow);
                                  }
                                  QTest::mouseClick(settingsWindow->cb_2()->command_button(), Qt::LeftButton);
                              });
}

void TestYearScoreWindow::cleanup() { disconnect(settingsDriver_); }

std::unique_ptr<YearScoreWindow> TestYearScoreWindow::openWithRow(int year, const Flags &overrides,
                                                                  const QString &others)
{
    const long connected = TestDataSource::connectSqlca();
    if (connected != 0) {
        QTest::qFail(qPrintable(QStringLiteral("connectSqlca() gave %1").arg(connected)), __FILE__, __LINE__);
        return nullptr;
    }
    saveRow(year, overrides, others);
    return openWindow(year);
}

void TestYearScoreWindow::addYearRows()
{
    QTest::addColumn<int>("year");
    QTest::addRow("year 1") << 1;
    QTest::addRow("year 2") << 2;
    QTest::addRow("year 3") << 3;
}

void TestYearScoreWindow::verifyNoWeightLimits(QWidget *w, const rt::MessageBoxRecorder &boxes, int heightCm)
{
    QCOMPARE(shown(w, "em_s_t"), QStringLiteral("0.0"));
    QCOMPARE(shown(w, "em_xn_t"), QStringLiteral("0.0"));
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().title, QStringLiteral("错误"));
    QCOMPARE(boxes.last().text, QStringLiteral("体重标准中没有身高 %1 厘米的数据，身高标准体重按0分计。").arg(heightCm));
}

// ---- opening

void TestYearScoreWindow::openingLoop_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<QString>("text");
    QTest::addRow("year 1") << 1 << "请先设置好大学一年级测试项目！";
    QTest::addRow("year 2") << 2 << "请先设置好大学二年级测试项目！";
    QTest::addRow("year 3") << 3 << "请先设置好大学三年级测试项目！";
}

void TestYearScoreWindow::openingLoop()
{
    QFETCH(int, year);
    QFETCH(QString, text);
    TestDataSource ds;
    QVERIFY2(ds.isValid(), qPrintable(ds.error()));
    QCOMPARE(TestDataSource::connectSqlca(), 0L);
    rt::MessageBoxRecorder boxes;

    // First visit: closed without saving. Second: one item of each category chosen and saved.
    visits_.push_back([](w_xm_dx *) {});
    visits_.push_back([](w_xm_dx *s) {
        clickRadios(s, {"rb_1_m", "rb_l_m", "rb_w_m", "rb_8_w", "rb_5_w", "rb_y_w"});
        clickSave(s);
    });

    const QString cls = QString::fromLatin1(score::yearParameters(year).className);
    bool checkedWindow = false;
    const auto c = connect(&rt::windows(), &rt::WindowRegistry::windowShown, this,
                           [&](QWidget *w, const QString &name) {
                               if (name != cls)
                                   return;
                               // The saved flags are applied; inputs and results are empty.
                               QCOMPARE(w->windowTitle(), QString::fromUtf8(score::yearParameters(year).title));
                               QVERIFY(!child(w, "em_t")->isEnabled());
                               QVERIFY(child(w, "em_1")->isEnabled());
                               QVERIFY(!child(w, "em_8")->isEnabled());
                               QVERIFY(!child(w, "em_5")->isEnabled());
                               QVERIFY(child(w, "em_l")->isEnabled());
                               QVERIFY(!child(w, "em_z")->isEnabled());
                               QVERIFY(!child(w, "em_y")->isEnabled());
                               QVERIFY(child(w, "em_w")->isEnabled());
                               QVERIFY(child<QRadioButton>(w, "rb_sex_man")->isChecked());
                               QCOMPARE(shown(w, "em_s1"), QString());
                               QCOMPARE(shown(w, "em_xn_t"), QString());
                               QCOMPARE(shown(w, "sle_dj"), QString());
                               checkedWindow = true;
                               w->close();
                           });
    QCOMPARE(rt::windows().open(cls), 1);
    disconnect(c);
    QVERIFY(checkedWindow);
    QCOMPARE(settingsOpenings_, 2);
    QCOMPARE(ds.scalar(QStringLiteral("SELECT xm_y_w FROM xmsz WHERE nj = ?"), {common::studyYearCode(year)}),
             QVariant(QStringLiteral("1")));
    QCOMPARE(boxes.count(), 2);
    for (const rt::ShownBox &b : boxes.boxes) {
        QCOMPARE(b.title, QStringLiteral("注意"));
        QCOMPARE(b.text, text);
        QCOMPARE(b.icon, rt::Icon::Information);
    }
}

void TestYearScoreWindow::openingRetrievalError()
{
    TestDataSource ds;
    QVERIFY2(ds.isValid(), qPrintable(ds.error()));
    QVERIFY(ds.exec(QStringLiteral("DROP TABLE xmsz")));
    QCOMPARE(TestDataSource::connectSqlca(), 0L);
    rt::MessageBoxRecorder boxes;
    bool shownWindow = false;
    const auto c = connect(&rt::windows(), &rt::WindowRegistry::windowShown, this,
                           [&](QWidget *w, const QString &) {
                               shownWindow = true;
                               w->close();
                           });
    QCOMPARE(rt::windows().open(QStringLiteral("w_jsq_dx1")), -1);
    disconnect(c);
    QVERIFY(!shownWindow);
    QCOMPARE(settingsOpenings_, 0);
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().title, QStringLiteral("错误"));
    QVERIFY2(boxes.last().text.contains(QLatin1String("xmsz")), qPrintable(boxes.last().text));
    QVERIFY(!rt::windows().window(QStringLiteral("w_jsq_dx1")));
}

void TestYearScoreWindow::openingWithRow()
{
    TestDataSource ds;
    rt::MessageBoxRecorder boxes;
    auto w = openWithRow(2);
    QVERIFY(w);
    QCOMPARE(boxes.count(), 0);
    QCOMPARE(settingsOpenings_, 0);
    // The focus starts in the height edit; the boxes are clear.
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(child(w.get(), "em_s1")));
    for (const char *box : {"cbx_1", "cbx_2", "cbx_3", "cbx_4", "cbx_59"})
        QVERIFY(!child<QCheckBox>(w.get(), box)->isChecked());
    QCOMPARE(child<QWidget>(w.get(), "gb_6")->property("title").toString(), QStringLiteral("大学二年级成绩"));
}

void TestYearScoreWindow::openingEndsWhenTheRowCannotBeStored()
{
    TestDataSource ds;
    QVERIFY2(ds.isValid(), qPrintable(ds.error()));
    QVERIFY2(ds.refuseWrites(), qPrintable(ds.error()));
    QCOMPARE(TestDataSource::connectSqlca(), 0L);
    rt::MessageBoxRecorder boxes;
    visits_.push_back([](w_xm_dx *s) {
        clickRadios(s, {"rb_1_m"});
        clickSave(s);
    });
    // Should the loop go round again, the next visit stores the row behind the program's back so
    // that the test ends.
    visits_.push_back([&ds](w_xm_dx *) {
        ds.exec(QStringLiteral("DROP TRIGGER refuse_insert"));
        ds.exec(QStringLiteral("INSERT INTO xmsz (nj) VALUES ('41')"));
    });
    bool shownWindow = false;
    const auto c = connect(&rt::windows(), &rt::WindowRegistry::windowShown, this, [&](QWidget *w, const QString &name) {
        if (name != QLatin1String("w_jsq_dx1"))
            return;
        shownWindow = true;
        w->close();
    });
    QCOMPARE(rt::windows().open(QStringLiteral("w_jsq_dx1")), -1);
    disconnect(c);
    QCOMPARE(settingsOpenings_, 1);
    QVERIFY(!shownWindow);
    // The request to set the year up, then the settings window's own word on the failed Save.
    QCOMPARE(boxes.count(), 2);
    QCOMPARE(boxes.boxes[0].text, QStringLiteral("请先设置好大学一年级测试项目！"));
    QVERIFY2(boxes.boxes[1].text.startsWith(QStringLiteral("保存失败！\n")), qPrintable(boxes.boxes[1].text));
    QCOMPARE(ds.count(QStringLiteral("xmsz")), 0);
}

void TestYearScoreWindow::openingOpensWithTheRowStoredDespiteAFailedSave_data()
{
    QTest::addColumn<bool>("storedElsewhere");
    QTest::newRow("a first Save stored the row, a second one met a lock") << false;
    QTest::newRow("another session stored the row, this Save met a lock") << true;
}

void TestYearScoreWindow::openingOpensWithTheRowStoredDespiteAFailedSave()
{
    QFETCH(bool, storedElsewhere);
    TestDataSource ds;
    QVERIFY2(ds.isValid(), qPrintable(ds.error()));
    QCOMPARE(TestDataSource::connectSqlca(), 0L);
    rt::MessageBoxRecorder boxes;
    // Either way the year's row ends up with the men's 1000 m run, long jump and grip index, and the
    // settings window is closed after a Save that failed.
    visits_.push_back([&](w_xm_dx *s) {
        if (storedElsewhere) {
            QVERIFY2(ds.exec(QStringLiteral("INSERT INTO xmsz (nj, xm_t_m, xm_1_m, xm_5_m, xm_l_m, xm_z_m, xm_w_m, xm_t_w, "
                                            "xm_8_w, xm_5_w, xm_l_w, xm_z_w, xm_y_w, xm_w_w) "
                                            "VALUES ('41', '0', '1', '0', '1', '0', '1', '0', '0', '0', '0', '0', '0', '0')")),
                     qPrintable(ds.error()));
        } else {
            clickRadios(s, {"rb_1_m", "rb_l_m", "rb_w_m"});
            clickSave(s);
        }
        OtherSession other;
        QVERIFY2(other.holdWriteLock(), qPrintable(other.error()));
        clickRadios(s, {"rb_t_m"});
        clickSave(s);
    });
    bool shownWindow = false;
    const auto c = connect(&rt::windows(), &rt::WindowRegistry::windowShown, this, [&](QWidget *w, const QString &name) {
        if (name != QLatin1String("w_jsq_dx1"))
            return;
        shownWindow = true;
        QVERIFY(!child(w, "em_t")->isEnabled());
        QVERIFY(child(w, "em_1")->isEnabled());
        QVERIFY(!child(w, "em_5")->isEnabled());
        QVERIFY(child(w, "em_l")->isEnabled());
        QVERIFY(!child(w, "em_z")->isEnabled());
        QVERIFY(child(w, "em_w")->isEnabled());
        w->close();
    });
    const int opened = rt::windows().open(QStringLiteral("w_jsq_dx1"));
    disconnect(c);
    QCOMPARE(opened, 1);
    QVERIFY(shownWindow);
    QCOMPARE(settingsOpenings_, 1);
    QCOMPARE(boxes.count(), 2);
    QCOMPARE(boxes.boxes[0].text, QStringLiteral("请先设置好大学一年级测试项目！"));
    QVERIFY2(boxes.boxes[1].text.startsWith(QStringLiteral("保存失败！\n"))
                 && boxes.boxes[1].text.contains(QLatin1String("lock"), Qt::CaseInsensitive),
             qPrintable(boxes.boxes[1].text));
    QCOMPARE(ds.count(QStringLiteral("xmsz")), 1);
}

// ---- scoring on leaving a field

void TestYearScoreWindow::enterWalksInputsAndScores()
{
    TestDataSource ds;
    rt::MessageBoxRecorder boxes;
    auto w = openWithRow(1, {{"xm_1_m", "0"}, {"xm_l_m", "0"}});
    QVERIFY(w);
    QWidget *win = w.get();

    // Each Enter scores the edit it leaves and moves on in tab order, past disabled items.
    struct Step {
        const char *edit;
        const char *typed;
        const char *next;
        const char *scoreEdit;
        const char *score;
    };
    const Step steps[] = {
        {"em_s1", "170", "em_s2", "em_s_t", "0.0"}, // no weight yet
        {"em_s2", "60", "em_t", "em_s_t", "15.0"},
        {"em_t", "50", "em_f", "em_t_t", "16.0"},   // em_1 and em_8 are off for men
        {"em_f", "3500", "em_5", "em_f_t", "11.0"},
        {"em_5", "7.6", "em_z", "em_5_t", "23.0"},  // em_l off
        {"em_z", "16", "em_w", "em_z_t", "17.0"},   // em_y off for men
        {"em_w", "60", "cb_2", "em_w_t", "15.0"},
    };
    QTRY_VERIFY(child(win, "em_s1")->hasFocus());
    for (const Step &s : steps) {
        my_maskedit *e = child(win, s.edit);
        QVERIFY2(e->hasFocus(), s.edit);
        QTest::keyClicks(e, QString::fromLatin1(s.typed));
        QTest::keyClick(e, Qt::Key_Return);
        QCOMPARE(shown(win, s.scoreEdit), QString::fromLatin1(s.score));
        QVERIFY2(child<QWidget>(win, s.next)->hasFocus(), s.next);
    }
    // 15 + 11 + 16 + 23 + 17 + 15
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("97.0"));
    QCOMPARE(shown(win, "sle_dj"), QStringLiteral("优秀"));
    QCOMPARE(child<QLineEdit>(win, "sle_dj")->palette().color(QPalette::Text), QColor(0, 0, 255));
    QCOMPARE(boxes.count(), 0);

    // The absence box caps the total; unticking it restores it.
    QTest::mouseClick(child<QCheckBox>(win, "cbx_59"), Qt::LeftButton);
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("59.0"));
    QCOMPARE(shown(win, "sle_dj"), QStringLiteral("不及格"));
    QCOMPARE(child<QLineEdit>(win, "sle_dj")->palette().color(QPalette::Text), QColor(255, 0, 0));
    QTest::mouseClick(child<QCheckBox>(win, "cbx_59"), Qt::LeftButton);
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("97.0"));

    // A score typed over by the operator counts at the next total, its fraction dropped at its addition.
    typeInto(win, "em_s_t", QStringLiteral("12.5"));
    QTest::mouseClick(child<QCheckBox>(win, "cbx_1"), Qt::LeftButton);
    QCOMPARE(shown(win, "em_s_t"), QStringLiteral("12.5"));
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("99.0")); // 12.5 + 11 gives 23, then 16 + 23 + 17 + 15 + 5
}

void TestYearScoreWindow::clickElsewhereScoresUnchangedField()
{
    TestDataSource ds;
    rt::MessageBoxRecorder boxes;
    auto w = openWithRow(3);
    QVERIFY(w);
    QWidget *win = w.get();
    typeInto(win, "em_l", QStringLiteral("240"));
    typeInto(win, "em_z", QString()); // a click elsewhere leaves em_l
    QCOMPARE(shown(win, "em_l_t"), QStringLiteral("25.0"));
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("25.0"));

    // A score typed over is scored again when the input is left unchanged.
    child(win, "em_l_t")->setText(QStringLiteral("3"));
    typeAndLeave(win, "em_l", QString());
    QCOMPARE(shown(win, "em_l_t"), QStringLiteral("25.0"));
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("25.0"));

    // A total that drops to 0 empties the grade and leaves its last colour in place.
    typeAndLeave(win, "em_l", QStringLiteral("0"));
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("0.0"));
    QCOMPARE(shown(win, "sle_dj"), QString());
    QCOMPARE(child<QLineEdit>(win, "sle_dj")->palette().color(QPalette::Text), QColor(255, 0, 0));
}

void TestYearScoreWindow::heightAndWeightRescore()
{
    TestDataSource ds;
    rt::MessageBoxRecorder boxes;
    auto w = openWithRow(1);
    QVERIFY(w);
    QWidget *win = w.get();

    typeAndLeave(win, "em_s1", QStringLiteral("170"));
    QCOMPARE(shown(win, "em_s_t"), QStringLiteral("0.0"));
    QVERIFY(child(win, "em_s2")->hasFocus());
    QTest::keyClicks(child(win, "em_s2"), QStringLiteral("60"));
    leave(win, "em_s2");
    QCOMPARE(shown(win, "em_s_t"), QStringLiteral("15.0"));
    QCOMPARE(shown(win, "em_f_t"), QStringLiteral("0.0")); // no capacity: 0, no message

    typeAndLeave(win, "em_f", QStringLiteral("3500"));
    QCOMPARE(shown(win, "em_f_t"), QStringLiteral("11.0"));

    // A new weight scores height/weight and then the capacity per kilogram.
    typeAndLeave(win, "em_s2", QStringLiteral("50"));
    QCOMPARE(shown(win, "em_s_t"), QStringLiteral("7.0"));
    QCOMPARE(shown(win, "em_f_t"), QStringLiteral("13.0")); // 70 per kg
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("20.0"));

    // Leaving the height does not score the capacity again.
    child(win, "em_f")->setText(QStringLiteral("2640"));
    typeAndLeave(win, "em_s1", QStringLiteral("138"));
    QCOMPARE(shown(win, "em_f_t"), QStringLiteral("13.0"));
    QCOMPARE(shown(win, "em_s_t"), QStringLiteral("9.0")); // judged as 140 cm and 51 kg: from z3 49.8 to z4 51.3
    // Selected on entry: typing replaces the height.
    typeInto(win, "em_s1", QString());
    QCOMPARE(child(win, "em_s1")->selectedText(), QStringLiteral("138.00"));
    leave(win, "em_s1");
    leave(win, "em_s2");
    QCOMPARE(shown(win, "em_f_t"), QStringLiteral("9.0")); // 52.8 per kg
    QCOMPARE(boxes.count(), 0);
}

void TestYearScoreWindow::missingWeightMessage_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addRow("year 1") << 1 << "提示" << "如要得到肺活量成绩，请先正确输入体重！";
    QTest::addRow("year 2") << 2 << "错误" << "请先正确输入体重。";
    QTest::addRow("year 3") << 3 << "错误" << "请先正确输入体重。";
}

void TestYearScoreWindow::missingWeightMessage()
{
    QFETCH(int, year);
    QFETCH(QString, title);
    QFETCH(QString, text);
    TestDataSource ds;
    rt::MessageBoxRecorder boxes;
    auto w = openWithRow(year);
    QVERIFY(w);
    QWidget *win = w.get();

    child(win, "em_f_t")->setText(QStringLiteral("12"));
    typeInto(win, "em_f", QStringLiteral("3500")); // leaving the height totals 12
    child(win, "em_f_t")->setText(QStringLiteral("5"));
    leave(win, "em_f");
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().title, title);
    QCOMPARE(boxes.last().text, text);
    QCOMPARE(shown(win, "em_f_t"), QStringLiteral("5.0"));   // kept
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("12.0")); // not recomputed

    // Leaving the weight empty brings it through the weight's event as well, after height/weight.
    typeAndLeave(win, "em_s2", QString());
    QCOMPARE(boxes.count(), 2);
    QCOMPARE(shown(win, "em_s_t"), QStringLiteral("0.0"));
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("5.0"));
}

void TestYearScoreWindow::realMessageBoxTakesFocusWithoutScoring()
{
    TestDataSource ds;
    auto w = openWithRow(1);
    QVERIFY(w);
    QWidget *win = w.get();
    typeInto(win, "em_f", QStringLiteral("3500"));

    // The real box: the edit that has just taken the focus loses it to the box, and is not scored.
    int shownBoxes = 0;
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            ++shownBoxes;
            box->accept();
        }
    });
    closer.start(50);
    QTest::keyClick(child(win, "em_f"), Qt::Key_Tab);
    closer.stop();
    QCOMPARE(shownBoxes, 1);
    activate(win);
    QTRY_VERIFY(child(win, "em_5")->hasFocus());
    QCOMPARE(shown(win, "em_5_t"), QString());
}

void TestYearScoreWindow::weightLimitRowMissing()
{
    TestDataSource ds;
    QVERIFY(ds.exec(QStringLiteral("DELETE FROM dx1234_m WHERE s = 170")));
    rt::MessageBoxRecorder boxes;
    auto w = openWithRow(1);
    QVERIFY(w);
    QWidget *win = w.get();

    // A good row first, so limits are held from before.
    enterHeightAndWeight(win, QStringLiteral("160"), QStringLiteral("55"));
    QCOMPARE(shown(win, "em_s_t"), QStringLiteral("15.0"));
    QCOMPARE(boxes.count(), 0);

    // 170 cm has no row: 0 points and one message, not the limits of 160 cm.
    typeAndLeave(win, "em_s1", QStringLiteral("170.5"));
    verifyNoWeightLimits(win, boxes, 170);
    if (QTest::currentTestFailed())
        return;

    // A change of sex looks the height up twice for men: still one message per change.
    QTest::mouseClick(child<QRadioButton>(win, "rb_sex_woman"), Qt::LeftButton);
    QCOMPARE(shown(win, "em_s_t"), QStringLiteral("9.0")); // the women's row 170: 55 kg lies from z1 50.0 to z2 56.4
    boxes.clear();
    QTest::mouseClick(child<QRadioButton>(win, "rb_sex_man"), Qt::LeftButton);
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(shown(win, "em_s_t"), QStringLiteral("0.0"));
}

void TestYearScoreWindow::weightLimitQueryFails()
{
    TestDataSource ds;
    QVERIFY(ds.exec(QStringLiteral("DROP TABLE dx1234_w")));
    rt::MessageBoxRecorder boxes;
    auto w = openWithRow(2);
    QVERIFY(w);
    QWidget *win = w.get();
    QTest::mouseClick(child<QRadioButton>(win, "rb_sex_woman"), Qt::LeftButton);
    QCOMPARE(boxes.count(), 0); // nothing typed, nothing looked up
    enterHeightAndWeight(win, QStringLiteral("165"), QStringLiteral("55"));
    QCOMPARE(shown(win, "em_s_t"), QStringLiteral("0.0"));
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().title, QStringLiteral("错误"));
    QVERIFY2(boxes.last().text.contains(QLatin1String("dx1234_w")), qPrintable(boxes.last().text));
}

void TestYearScoreWindow::weightLimitRowUnusable_data()
{
    QTest::addColumn<QString>("limitType");
    QTest::addColumn<QString>("limits");
    QTest::newRow("a NULL limit") << "REAL" << "45.0, NULL, 55.0, 60.0";
    QTest::newRow("limits in descending order") << "REAL" << "90.0, 80.0, 70.0, 60.0";
    QTest::newRow("z2 above z3") << "REAL" << "45.0, 56.0, 55.0, 60.0";
    // SQLite keeps a text in a REAL column; a school's own table elsewhere may hold limits as text.
    QTest::newRow("a text that is no number")
        << (TestDataSource::source() == TestDataSource::Source::SQLite ? "REAL" : "VARCHAR(10)") << "'x', '50.0', '55.0', '60.0'";
    QTest::newRow("a decimal comma")
        << (TestDataSource::source() == TestDataSource::Source::SQLite ? "REAL" : "VARCHAR(10)") << "'45,5', '50.0', '55.0', '60.0'";
}

void TestYearScoreWindow::weightLimitRowUnusable()
{
    QFETCH(QString, limitType);
    QFETCH(QString, limits);
    TestDataSource ds;
    // A school's own table, without the shipped check of ascending limits.
    QVERIFY(ds.exec(QStringLiteral("DROP TABLE dx1234_m")));
    QVERIFY(ds.exec(QStringLiteral("CREATE TABLE dx1234_m (s INTEGER PRIMARY KEY, z1 %1, z2 %1, z3 %1, z4 %1)").arg(limitType)));
    QVERIFY(ds.exec(QStringLiteral("INSERT INTO dx1234_m VALUES (150, 40.0, 45.0, 55.0, 60.0)")));
    QVERIFY2(ds.exec(QStringLiteral("INSERT INTO dx1234_m VALUES (160, %1)").arg(limits)), qPrintable(ds.error()));
    rt::MessageBoxRecorder boxes;
    auto w = openWithRow(1);
    QVERIFY(w);
    QWidget *win = w.get();

    enterHeightAndWeight(win, QStringLiteral("150"), QStringLiteral("50"));
    QCOMPARE(shown(win, "em_s_t"), QStringLiteral("15.0"));

    // A row whose limits cannot place a weight: 0 points and the message of a missing row.
    typeAndLeave(win, "em_s1", QStringLiteral("160.4"));
    verifyNoWeightLimits(win, boxes, 160);
}

// ---- change of sex

void TestYearScoreWindow::sexChangeGripCountsAtOnce_data() { addYearRows(); }

void TestYearScoreWindow::sexChangeGripCountsAtOnce()
{
    QFETCH(int, year);
    TestDataSource ds;
    rt::MessageBoxRecorder boxes;
    auto w = openWithRow(year);
    QVERIFY(w);
    QWidget *win = w.get();

    typeAndLeave(win, "em_w", QStringLiteral("60"));
    QCOMPARE(shown(win, "em_w_t"), QStringLiteral("15.0"));
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("15.0"));

    QTest::mouseClick(child<QRadioButton>(win, "rb_sex_woman"), Qt::LeftButton);
    QVERIFY(child<QRadioButton>(win, "rb_sex_woman")->isChecked());
    QCOMPARE(shown(win, "em_w_t"), QStringLiteral("20.0"));
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("20.0"));
    // The focus rests in the last edit of the walk, its text selected.
    QTRY_VERIFY(child(win, "em_w")->hasFocus());
    QCOMPARE(child(win, "em_w")->selectedText(), QStringLiteral("60.00"));
    // Leaving it now scores it again, under the same sex.
    leave(win, "em_w");
    QCOMPARE(shown(win, "em_w_t"), QStringLiteral("20.0"));
    QCOMPARE(boxes.count(), 0);
}

void TestYearScoreWindow::sexChangeStepTestForWomenOnly_data() { addYearRows(); }

void TestYearScoreWindow::sexChangeStepTestForWomenOnly()
{
    QFETCH(int, year);
    TestDataSource ds;
    rt::MessageBoxRecorder boxes;
    auto w = openWithRow(year, {{"xm_t_m", "0"}});
    QVERIFY(w);
    QWidget *win = w.get();
    QVERIFY(!child(win, "em_t")->isEnabled());

    QTest::mouseClick(child<QRadioButton>(win, "rb_sex_woman"), Qt::LeftButton);
    QVERIFY(child(win, "em_t")->isEnabled());
    typeAndLeave(win, "em_t", QStringLiteral("45"));
    QCOMPARE(shown(win, "em_t_t"), QStringLiteral("15.0"));
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("15.0"));

    QTest::mouseClick(child<QRadioButton>(win, "rb_sex_man"), Qt::LeftButton);
    QCOMPARE(shown(win, "em_t_t"), QStringLiteral("13.0")); // the men's table, not counted
    QVERIFY(!child(win, "em_t_t")->isEnabled());
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("0.0"));

    QTest::mouseClick(child<QRadioButton>(win, "rb_sex_woman"), Qt::LeftButton);
    QCOMPARE(shown(win, "em_t_t"), QStringLiteral("15.0")); // scored again though skipped by the walk
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("15.0"));
    QCOMPARE(boxes.count(), 0);
}

void TestYearScoreWindow::screenReaderTogglesRunTheClickPath()
{
    TestDataSource ds;
    rt::MessageBoxRecorder boxes;
    auto w = openWithRow(1, {{"xm_t_m", "0"}}); // the step test for women only
    QVERIFY(w);
    QWidget *win = w.get();

    // The sex changed by assistive technology re-scores and enables the women's items.
    screenReaderToggle(win, "rb_sex_woman");
    QVERIFY(child<QRadioButton>(win, "rb_sex_woman")->isChecked());
    QVERIFY(child(win, "em_t")->isEnabled());
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("0.0"));
    typeAndLeave(win, "em_t", QStringLiteral("45"));
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("15.0"));

    // A bonus box ticked and unticked the same way counts and stops counting.
    screenReaderToggle(win, "cbx_1");
    QVERIFY(child<QCheckBox>(win, "cbx_1")->isChecked());
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("20.0"));
    screenReaderToggle(win, "cbx_1");
    QVERIFY(!child<QCheckBox>(win, "cbx_1")->isChecked());
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("15.0"));

    // Back to men: the step test is scored by the men's table and no longer counts.
    screenReaderToggle(win, "rb_sex_man");
    QCOMPARE(shown(win, "em_t_t"), QStringLiteral("13.0"));
    QVERIFY(!child(win, "em_t")->isEnabled());
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("0.0"));
    QCOMPARE(shown(win, "sle_dj"), QString());

    // The absence box: the grade is "不及格" whatever the total.
    screenReaderToggle(win, "cbx_59");
    QCOMPARE(shown(win, "sle_dj"), QStringLiteral("不及格"));

    // A change made by the program's own code is no click: nothing is computed.
    child<QCheckBox>(win, "cbx_2")->setChecked(true);
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("0.0"));
    QCOMPARE(boxes.count(), 0);
}

void TestYearScoreWindow::sexChangeRunsAndSitUpsKeepScores()
{
    TestDataSource ds;
    rt::MessageBoxRecorder boxes;
    auto w = openWithRow(1);
    QVERIFY(w);
    QWidget *win = w.get();
    QTest::mouseClick(child<QRadioButton>(win, "rb_sex_woman"), Qt::LeftButton);
    typeInto(win, "em_8", QStringLiteral("3.38"));
    typeInto(win, "em_y", QStringLiteral("41"));
    typeInto(win, "em_s1", QString());
    QCOMPARE(shown(win, "em_8_t"), QStringLiteral("17.0"));
    QCOMPARE(shown(win, "em_y_t"), QStringLiteral("17.0"));
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("34.0"));

    // Men: both kept but disabled and left out; women again: counted again.
    QTest::mouseClick(child<QRadioButton>(win, "rb_sex_man"), Qt::LeftButton);
    QVERIFY(!child(win, "em_8")->isEnabled() && !child(win, "em_y")->isEnabled());
    QVERIFY(!child<QWidget>(win, "st_88")->isEnabled() && !child<QWidget>(win, "st_y")->isEnabled());
    QCOMPARE(shown(win, "em_8_t"), QStringLiteral("17.0"));
    QCOMPARE(shown(win, "em_8"), QStringLiteral("3.38"));
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("0.0"));
    // The kept score is shown greyed.
    const QPalette kept = child(win, "em_8_t")->palette();
    QCOMPARE(kept.color(QPalette::Disabled, QPalette::Text), QColor(128, 128, 128));
    QVERIFY(kept.color(QPalette::Disabled, QPalette::Text) != kept.color(QPalette::Active, QPalette::Text));
    QTest::mouseClick(child<QRadioButton>(win, "rb_sex_woman"), Qt::LeftButton);
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("34.0"));
    // With a capacity and no weight, the change of sex brings the missing-weight message once.
    child(win, "em_f")->setText(QStringLiteral("3000"));
    QTest::mouseClick(child<QRadioButton>(win, "rb_sex_man"), Qt::LeftButton);
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().title, QStringLiteral("提示"));
}

// ---- the settings button

void TestYearScoreWindow::settingsButtonAppliesNewFlags()
{
    TestDataSource ds;
    rt::MessageBoxRecorder boxes;
    // Men: step test, 50 m, sit-and-reach; women: step test, 50 m, sit-and-reach.
    auto w = openWithRow(
        2, {{"xm_t_m", "1"}, {"xm_5_m", "1"}, {"xm_z_m", "1"}, {"xm_t_w", "1"}, {"xm_5_w", "1"}, {"xm_z_w", "1"}},
        QStringLiteral("0"));
    QVERIFY(w);
    QWidget *win = w.get();
    QVERIFY(child(win, "em_5")->isEnabled());
    QVERIFY(!child(win, "em_l")->isEnabled());
    typeAndLeave(win, "em_5", QStringLiteral("7.6"));
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("23.0"));

    // The long jump in place of the 50 m run for men.
    visits_.push_back([](w_xm_dx *s) {
        clickRadios(s, {"rb_l_m"});
        clickSave(s);
    });
    QTest::mouseClick(child<QPushButton>(win, "cb_2"), Qt::LeftButton);
    QCOMPARE(settingsOpenings_, 1);
    activate(win);
    // Disabled at once; the score stays and the total is left as it was.
    QVERIFY(!child(win, "em_5")->isEnabled());
    QVERIFY(!child(win, "em_5_t")->isEnabled());
    QVERIFY(child(win, "em_l")->isEnabled());
    QCOMPARE(shown(win, "em_5_t"), QStringLiteral("23.0"));
    QCOMPARE(shown(win, "em_5"), QStringLiteral("7.60"));
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("23.0"));
    // The next total leaves it out.
    QTest::mouseClick(child<QCheckBox>(win, "cbx_1"), Qt::LeftButton);
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("5.0"));
    QCOMPARE(boxes.count(), 0);
}

void TestYearScoreWindow::settingsButtonWithoutRowOrFailing()
{
    TestDataSource ds;
    rt::MessageBoxRecorder boxes;
    auto w = openWithRow(3, {{"xm_l_m", "0"}});
    QVERIFY(w);
    QWidget *win = w.get();
    QVERIFY(!child(win, "em_l")->isEnabled());

    // The row went missing and nothing was saved: one message, the flags stay.
    visits_.push_back([](w_xm_dx *) { runOnSqlca(QStringLiteral("DELETE FROM xmsz")); });
    QTest::mouseClick(child<QPushButton>(win, "cb_2"), Qt::LeftButton);
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().title, QStringLiteral("注意"));
    QCOMPARE(boxes.last().text, QStringLiteral("请先设置好大学三年级测试项目！"));
    QVERIFY(!child(win, "em_l")->isEnabled());
    QVERIFY(child(win, "em_z")->isEnabled());

    // The table cannot be read: the driver's text, and nothing changes.
    visits_.push_back([](w_xm_dx *) { runOnSqlca(QStringLiteral("DROP TABLE xmsz")); });
    QTest::mouseClick(child<QPushButton>(win, "cb_2"), Qt::LeftButton);
    QCOMPARE(boxes.count(), 2);
    QCOMPARE(boxes.last().title, QStringLiteral("错误"));
    QVERIFY2(boxes.last().text.contains(QLatin1String("xmsz")), qPrintable(boxes.last().text));
    QVERIFY(!child(win, "em_l")->isEnabled());
    QVERIFY(child(win, "em_z")->isEnabled());
}

// ---- the data source shared with other sessions

void TestYearScoreWindow::othersWriteWhileWindowsAreOpen()
{
    TestDataSource ds;
    rt::MessageBoxRecorder boxes;
    auto w = openWithRow(1, {{"xm_5_m", "0"}});
    QVERIFY(w);
    QWidget *win = w.get();
    enterHeightAndWeight(win, QStringLiteral("170"), QStringLiteral("60"));
    QCOMPARE(shown(win, "em_s_t"), QStringLiteral("15.0"));
    QVERIFY(!child(win, "em_5")->isEnabled());

    // The score window is idle: another session replaces a weight row at once.
    QVERIFY(!ds.anotherSessionHoldsTransaction());
    QVERIFY2(ds.exec(QStringLiteral("DELETE FROM dx1234_m WHERE s = 170")), qPrintable(ds.error()));
    QVERIFY2(ds.exec(QStringLiteral("INSERT INTO dx1234_m (s, z1, z2, z3, z4) VALUES (170, 61.0, 62.0, 63.0, 64.0)")),
             qPrintable(ds.error()));

    // With the settings window open over it as well, another session saves the year's settings.
    visits_.push_back([&ds](w_xm_dx *) {
        QVERIFY(!ds.anotherSessionHoldsTransaction());
        QVERIFY2(ds.exec(QStringLiteral("UPDATE xmsz SET xm_5_m = '1', xm_l_m = '0' WHERE nj = '41'")), qPrintable(ds.error()));
    });
    QTest::mouseClick(child<QPushButton>(win, "cb_2"), Qt::LeftButton);
    QCOMPARE(settingsOpenings_, 1);
    activate(win);
    QVERIFY(child(win, "em_5")->isEnabled());
    QVERIFY(!ds.anotherSessionHoldsTransaction());

    // The new limits count at the next lookup: 60 kg now lies below z1.
    typeAndLeave(win, "em_s1", QStringLiteral("170"));
    QCOMPARE(shown(win, "em_s_t"), QStringLiteral("7.0"));
    QVERIFY(!ds.anotherSessionHoldsTransaction());
    QCOMPARE(boxes.count(), 0);
}

void TestYearScoreWindow::lostConnectionNextActionWorks()
{
    if (TestDataSource::source() != TestDataSource::Source::PostgreSQL)
        QSKIP("an embedded SQLite database has no server to lose");
    TestDataSource ds;
    rt::MessageBoxRecorder boxes;
    auto w = openWithRow(1);
    QVERIFY(w);
    QWidget *win = w.get();
    enterHeightAndWeight(win, QStringLiteral("170"), QStringLiteral("60"));
    QCOMPARE(shown(win, "em_s_t"), QStringLiteral("15.0"));

    // The server restarts: the next lookup is made on a new connection, without a word.
    QVERIFY2(ds.restartServer(), qPrintable(ds.error()));
    typeAndLeave(win, "em_s2", QStringLiteral("50"));
    QCOMPARE(shown(win, "em_s_t"), QStringLiteral("7.0"));
    QCOMPARE(boxes.count(), 0);

    // It restarts again while the settings window is open: the Save is made on a new connection too,
    // and stores the row without a word.
    visits_.push_back([&ds](w_xm_dx *s) {
        QVERIFY2(ds.restartServer(), qPrintable(ds.error()));
        clickRadios(s, {"rb_l_m"});
        clickSave(s);
        QVERIFY(!s->saveEnabled());
    });
    QTest::mouseClick(child<QPushButton>(win, "cb_2"), Qt::LeftButton);
    QCOMPARE(settingsOpenings_, 1);
    QCOMPARE(boxes.count(), 0);
    QCOMPARE(ds.scalar(QStringLiteral("SELECT xm_l_m FROM xmsz WHERE nj = '41'")), QVariant(QStringLiteral("1")));
}

void TestYearScoreWindow::sexChangeWaitsOnceForALockedTable()
{
    TestDataSource ds;
    rt::MessageBoxRecorder boxes;
    auto w = openWithRow(1);
    QVERIFY(w);
    QWidget *win = w.get();
    enterHeightAndWeight(win, QStringLiteral("170"), QStringLiteral("60"));

    // Another session keeps every reader of the weight tables out: the change of sex looks the height
    // up once, waits once for the data source's timeout (1 s here) and says so once.
    OtherSession other;
    QVERIFY2(other.lockOutReaders(), qPrintable(other.error()));
    QElapsedTimer waited;
    waited.start();
    QTest::mouseClick(child<QRadioButton>(win, "rb_sex_woman"), Qt::LeftButton);
    QVERIFY2(waited.elapsed() < 1800, qPrintable(QString::number(waited.elapsed())));
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(shown(win, "em_s_t"), QStringLiteral("0.0"));

    // Once it lets go, the next lookup works.
    QVERIFY(other.release());
    QTest::mouseClick(child<QRadioButton>(win, "rb_sex_man"), Qt::LeftButton);
    QCOMPARE(shown(win, "em_s_t"), QStringLiteral("15.0"));
    QCOMPARE(boxes.count(), 1);
}

// ---- keys and the Tab sequence

void TestYearScoreWindow::keysAndButtons()
{
    TestDataSource ds;
    rt::MessageBoxRecorder boxes;
    auto w = openWithRow(1);
    QVERIFY(w);
    QWidget *win = w.get();
    for (QPushButton *b : win->findChildren<QPushButton *>()) {
        QVERIFY(!b->autoDefault());
        QVERIFY(!b->isDefault());
    }
    QCOMPARE(win->windowFlags() & Qt::WindowCloseButtonHint, Qt::WindowFlags());
    // Esc closes nothing, Enter on a button clicks nothing.
    QTest::keyClick(child(win, "em_s1"), Qt::Key_Escape);
    QVERIFY(win->isVisible());
    QPushButton *cb_1 = child<QPushButton>(win, "cb_1");
    cb_1->setFocus();
    QTest::keyClick(cb_1, Qt::Key_Return);
    QVERIFY(win->isVisible());
    // "关闭" closes.
    QPointer<QWidget> guard(win);
    win->setAttribute(Qt::WA_DeleteOnClose);
    w.release();
    QTest::mouseClick(cb_1, Qt::LeftButton);
    QTRY_VERIFY(!guard);
}

void TestYearScoreWindow::tabSequence()
{
    TestDataSource ds;
    rt::MessageBoxRecorder boxes;
    auto w = openWithRow(2);
    QVERIFY(w);
    QWidget *win = w.get();
    const QStringList expected = {
        "em_s1", "em_s2", "em_t",  "em_1",   "em_f",  "em_5",   "em_l",   "em_z",  "em_w",
        "cb_2",  "em_s_t", "cbx_1", "em_t_t", "cbx_2", "em_1_t", "cbx_3", "em_f_t", "cbx_4",
        "em_5_t", "cbx_59", "em_l_t", "em_z_t", "em_w_t", "em_xn_t", "sle_dj", "cb_1", "em_s1",
    };
    QTRY_VERIFY(child(win, "em_s1")->hasFocus());
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (int i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, expected);
}

QTEST_MAIN(TestYearScoreWindow)
#include "tst_year_score_window.moc"
