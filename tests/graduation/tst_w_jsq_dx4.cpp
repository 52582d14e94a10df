// The fourth-year score window on a real data source: the opening loop, the Tab sequence with the
// graduation panel in front, the graduation score after every year total and after a changed
// earlier-year score, the cap and the absence box, and the change of sex.
#include "common/grade_scale.h"
#include "graduation_controls.h"
#include "common/item_selection.h"
#include "runtime/colors.h"
#include "runtime/fonts.h"
#include "runtime/messagebox.h"
#include "runtime/registry.h"
#include "runtime/transaction.h"
#include "runtime/units.h"
#include "score/graduation_panel.h"
#include "score/my_maskedit.h"
#include "score/register.h"
#include "score/year_score_window.h"
#include "test_data_source.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>

namespace {

// Writes the year-4 settings row as the settings window does: through sqlca, committed.
void saveRow(const QMap<QString, QString> &overrides = {})
{
    rt::Transaction &tr = rt::sqlca();
    tr.execute(QStringLiteral("DELETE FROM xmsz WHERE nj = '44'"));
    QStringList columns{QStringLiteral("nj")};
    QStringList marks{QStringLiteral("?")};
    QVariantList values{QStringLiteral("44")};
    for (const char *c : common::kItemFlagColumns) {
        columns << QLatin1String(c);
        marks << QStringLiteral("?");
        values << overrides.value(QLatin1String(c), QStringLiteral("1"));
    }
    tr.execute(QStringLiteral("INSERT INTO xmsz (%1) VALUES (%2)").arg(columns.join(u','), marks.join(u',')), values);
    tr.commit();
}

// Stands in for the year-4 settings window: each opening runs the next queued action, then closes.
std::deque<std::function<void()>> settingsActions;
int settingsOpenings = 0;

class SettingsStandIn : public QWidget {
public:
    explicit SettingsStandIn(QWidget *parent) : QWidget(parent, Qt::Dialog) { resize(200, 100); }

protected:
    void showEvent(QShowEvent *event) override
    {
        QWidget::showEvent(event);
        ++settingsOpenings;
        QTimer::singleShot(0, this, [this] {
            if (!settingsActions.empty()) {
                const auto action = settingsActions.front();
                settingsActions.pop_front();
                action();
            }
            close();
        });
    }
};

template <typename T = my_maskedit> T *child(QWidget *w, const char *name)
{
    return graduation_test::control<T>(w, name);
}

QString shown(QWidget *w, const char *name) { return child<QLineEdit>(w, name)->text(); }
QColor colourOf(QWidget *w, const char *name) { return child<QLineEdit>(w, name)->palette().color(QPalette::Text); }
QWidget *focused() { return QApplication::focusWidget(); }

} // namespace

class FourthYearWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void openingLoopAndFirstState();
    void tabSequence();
    void enterMovesThroughThePanelIntoTheItems();
    void resultFieldsTakeAClickButNoTab();
    void enterInFirstYearRecomputesYearAndGraduation();
    void unchangedEarlierYearsComputeNothing();
    void absenceDoesNotForceTheGraduationGrade();
    void bonusesAboveHundredCountAsHundred();
    void sexChangeRefreshesTheGraduationScore();
    void missingWeightNoticeLeavesTheGraduationScore();

private:
    void openWindow();
    void typeInto(const char *name, const QString &text);
    void typeAndLeave(const char *name, const QString &text, Qt::Key key = Qt::Key_Tab);
    // The same text into each of the three earlier-year scores, in their tab order.
    void typeEarlierYears(const QString &text, Qt::Key key = Qt::Key_Tab)
    {
        for (const char *name : {"em_c1", "em_c2", "em_c3"})
            typeAndLeave(name, text, key);
    }

    std::unique_ptr<TestDataSource> data;
    std::unique_ptr<rt::MessageBoxRecorder> boxes;
    std::unique_ptr<score::YearScoreWindow> window;
    QWidget *win = nullptr;
};

void FourthYearWindowTest::initTestCase()
{
    rt::installFontSubstitutions();
    rt::windows().registerClass(QStringLiteral("w_xm_dx4"), rt::WindowType::Response,
                                [](QWidget *parent) { return new SettingsStandIn(parent); });
    score::registerWindows();
}

void FourthYearWindowTest::init()
{
    settingsActions.clear();
    settingsOpenings = 0;
    data = std::make_unique<TestDataSource>();
    QVERIFY2(data->isValid(), qPrintable(data->error()));
    QCOMPARE(TestDataSource::connectSqlca(), 0L);
    boxes = std::make_unique<rt::MessageBoxRecorder>();
}

void FourthYearWindowTest::cleanup()
{
    window.reset();
    win = nullptr;
    boxes.reset();
    TestDataSource::disconnectSqlca();
    data.reset();
}

void FourthYearWindowTest::openWindow()
{
    window.reset(score::createFourthYearWindow(nullptr));
    QVERIFY(window->openEvent());
    win = window.get();
    win->show();
    QApplication::setActiveWindow(win);
    QVERIFY(QTest::qWaitForWindowActive(win));
    QTRY_COMPARE(focused(), child<QWidget>(win, "em_c1"));
}

void FourthYearWindowTest::typeInto(const char *name, const QString &text)
{
    my_maskedit *e = child(win, name);
    QTest::mouseClick(e, Qt::LeftButton);
    QTRY_VERIFY(e->hasFocus());
    e->selectAll();
    QTest::keyClicks(e, text);
}

void FourthYearWindowTest::typeAndLeave(const char *name, const QString &text, Qt::Key key)
{
    graduation_test::typeAndLeave(win, name, text, key);
}

void FourthYearWindowTest::openingLoopAndFirstState()
{
    // First visit of the settings window: closed without saving. Second: the year's items saved.
    settingsActions.push_back([] {});
    settingsActions.push_back([] { saveRow({{"xm_t_m", "0"}}); });

    bool checkedWindow = false;
    const auto c = connect(&rt::windows(), &rt::WindowRegistry::windowShown, this,
                           [&](QWidget *w, const QString &name) {
                               if (name != QLatin1String("w_jsq_dx4"))
                                   return;
                               checkedWindow = true;
                               QCOMPARE(w->windowTitle(), QStringLiteral("大学四年级成绩"));
                               QCOMPARE(child<QWidget>(w, "gb_6")->property("title").toString(),
                                        QStringLiteral("大学四年级成绩"));
                               QCOMPARE(w->size(), rt::clientSizeForOuter(3003, 1492));
                               QApplication::setActiveWindow(w);
                               QVERIFY(QTest::qWaitForWindowActive(w));
                               QTRY_COMPARE(focused(), child<QWidget>(w, "em_c1"));
                               for (const char *name : {"em_c1", "em_c2", "em_c3", "em_by_cj", "sle_by_dj",
                                                        "em_s1", "em_xn_t", "sle_dj"})
                                   QVERIFY2(shown(w, name).isEmpty(), name);
                               QVERIFY(!child(w, "em_t")->isEnabled());
                               QVERIFY(child(w, "em_1")->isEnabled());
                               w->close();
                           });
    QCOMPARE(rt::windows().open(QStringLiteral("w_jsq_dx4")), 1);
    disconnect(c);
    QVERIFY(checkedWindow);
    QCOMPARE(settingsOpenings, 2);
    QCOMPARE(boxes->count(), 2);
    for (const rt::ShownBox &b : boxes->boxes) {
        QCOMPARE(b.title, QStringLiteral("注意"));
        QCOMPARE(b.text, QStringLiteral("请先设置好大学四年级测试项目！"));
    }
}

void FourthYearWindowTest::tabSequence()
{
    saveRow();
    openWindow();
    // Men: the 800 m and sit-ups are off; no score edit, total or result is visited.
    const QStringList expected = {
        "em_c1", "em_c2", "em_c3", "em_s1", "em_s2",  "em_t", "em_1", "em_f",  "em_5", "em_l",
        "em_z",  "em_w",  "cbx_1", "cbx_2", "cbx_3", "cbx_4", "cbx_59", "cb_2", "cb_1", "em_c1",
    };
    QStringList visited{focused()->objectName()};
    for (int i = 1; i < expected.size(); ++i) {
        QTest::keyClick(focused(), Qt::Key_Tab);
        visited << focused()->objectName();
    }
    QCOMPARE(visited, expected);
    // Backwards the sequence wraps the other way.
    QTest::keyClick(focused(), Qt::Key_Backtab);
    QCOMPARE(focused(), child<QWidget>(win, "cb_1"));
    QTest::keyClick(focused(), Qt::Key_Backtab);
    QCOMPARE(focused(), child<QWidget>(win, "cb_2"));
    QCOMPARE(boxes->count(), 0);
}

void FourthYearWindowTest::enterMovesThroughThePanelIntoTheItems()
{
    saveRow();
    openWindow();
    typeEarlierYears(QString(), Qt::Key_Return);
    QCOMPARE(focused(), child<QWidget>(win, "em_s1"));
    typeInto("em_w", QString());
    QTest::keyClick(focused(), Qt::Key_Return);
    QCOMPARE(focused(), child<QWidget>(win, "cbx_1"));
}

void FourthYearWindowTest::resultFieldsTakeAClickButNoTab()
{
    saveRow();
    openWindow();
    for (const char *name : {"em_by_cj", "sle_by_dj", "em_xn_t", "sle_dj", "em_s_t", "em_w_t"}) {
        QWidget *field = child<QWidget>(win, name);
        QCOMPARE(field->focusPolicy(), Qt::ClickFocus);
        QTest::mouseClick(field, Qt::LeftButton);
        QCOMPARE(focused(), field);
    }
}

void FourthYearWindowTest::enterInFirstYearRecomputesYearAndGraduation()
{
    saveRow();
    openWindow();
    QTest::mouseClick(child<QCheckBox>(win, "cbx_1"), Qt::LeftButton);
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("5.0"));
    QCOMPARE(shown(win, "em_by_cj"), QStringLiteral("2.0"));
    // Typed over by the operator: the next year total writes it again.
    typeInto("em_xn_t", QStringLiteral("77"));

    typeInto("em_c1", QStringLiteral("90"));
    QTest::keyClick(focused(), Qt::Key_Return);
    QCOMPARE(focused(), child<QWidget>(win, "em_c2"));
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("5.0"));
    QCOMPARE(shown(win, "sle_dj"), QStringLiteral("不及格"));
    QCOMPARE(shown(win, "em_by_cj"), QStringLiteral("17.0")); // 90 / 6 + 5 / 2
    QCOMPARE(shown(win, "sle_by_dj"), QStringLiteral("不及格"));
    QCOMPARE(colourOf(win, "sle_by_dj"), rt::color(common::kGradeRed));

    // Exact tenths: 93, 100, 62 and a year total of 35 reach 60. A click elsewhere leaves a field.
    typeInto("em_s_t", QStringLiteral("30"));
    typeInto("em_c3", QStringLiteral("62"));
    typeInto("em_c2", QStringLiteral("100"));
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("35.0"));
    QCOMPARE(shown(win, "em_by_cj"), QStringLiteral("42.0"));
    typeInto("em_c1", QStringLiteral("93"));
    QCOMPARE(shown(win, "em_by_cj"), QStringLiteral("59.0"));
    typeInto("em_s_t", QString());
    QCOMPARE(shown(win, "em_by_cj"), QStringLiteral("60.0"));
    QCOMPARE(shown(win, "sle_by_dj"), QStringLiteral("及格"));
    QCOMPARE(colourOf(win, "sle_by_dj"), rt::color(common::kGradeGreen));
    QCOMPARE(boxes->count(), 0);
}

void FourthYearWindowTest::unchangedEarlierYearsComputeNothing()
{
    saveRow();
    openWindow();
    typeEarlierYears(QString());
    QCOMPARE(focused(), child<QWidget>(win, "em_s1"));
    for (const char *name : {"em_by_cj", "sle_by_dj", "em_xn_t", "sle_dj"})
        QVERIFY2(shown(win, name).isEmpty(), name);

    // Leaving the height always scores it, and the year total fills the graduation fields.
    QTest::keyClick(focused(), Qt::Key_Tab);
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("0.0"));
    QCOMPARE(shown(win, "em_by_cj"), QStringLiteral("0.0"));
    QVERIFY(shown(win, "sle_by_dj").isEmpty());
}

void FourthYearWindowTest::absenceDoesNotForceTheGraduationGrade()
{
    saveRow();
    openWindow();
    typeEarlierYears(QStringLiteral("90"));
    typeInto("em_s_t", QStringLiteral("40"));
    typeInto("em_f_t", QStringLiteral("40"));
    QTest::mouseClick(child<QCheckBox>(win, "cbx_59"), Qt::LeftButton);
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("59.0"));
    QCOMPARE(shown(win, "sle_dj"), QStringLiteral("不及格"));
    QCOMPARE(shown(win, "em_by_cj"), QStringLiteral("74.0"));
    QCOMPARE(shown(win, "sle_by_dj"), QStringLiteral("及格"));
    QCOMPARE(colourOf(win, "sle_by_dj"), rt::color(common::kGradeGreen));

    QTest::mouseClick(child<QCheckBox>(win, "cbx_59"), Qt::LeftButton);
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("80.0"));
    QCOMPARE(shown(win, "em_by_cj"), QStringLiteral("85.0"));
    QCOMPARE(shown(win, "sle_by_dj"), QStringLiteral("良好"));
}

void FourthYearWindowTest::bonusesAboveHundredCountAsHundred()
{
    saveRow();
    openWindow();
    typeEarlierYears(QStringLiteral("90"));
    typeInto("em_s_t", QStringLiteral("60"));
    typeInto("em_f_t", QStringLiteral("40"));
    for (const char *box : {"cbx_1", "cbx_2", "cbx_3", "cbx_4"})
        QTest::mouseClick(child<QCheckBox>(win, box), Qt::LeftButton);
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("120.0"));
    QCOMPARE(shown(win, "em_by_cj"), QStringLiteral("95.0"));
    QCOMPARE(shown(win, "sle_by_dj"), QStringLiteral("优秀"));
}

void FourthYearWindowTest::sexChangeRefreshesTheGraduationScore()
{
    saveRow();
    openWindow();
    typeEarlierYears(QStringLiteral("80"));
    typeInto("em_w", QStringLiteral("60"));
    QTest::keyClick(focused(), Qt::Key_Tab);
    QCOMPARE(shown(win, "em_w_t"), QStringLiteral("15.0"));
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("15.0"));
    QCOMPARE(shown(win, "em_by_cj"), QStringLiteral("47.0"));

    QTest::mouseClick(child<QRadioButton>(win, "rb_sex_woman"), Qt::LeftButton);
    QCOMPARE(shown(win, "em_w_t"), QStringLiteral("20.0"));
    QCOMPARE(shown(win, "em_xn_t"), QStringLiteral("20.0"));
    QCOMPARE(shown(win, "em_by_cj"), QStringLiteral("50.0"));
    QTRY_COMPARE(focused(), child<QWidget>(win, "em_w"));
    // The earlier-year scores stay as typed.
    QCOMPARE(shown(win, "em_c1"), QStringLiteral("80.0"));
    QCOMPARE(boxes->count(), 0);
}

void FourthYearWindowTest::missingWeightNoticeLeavesTheGraduationScore()
{
    saveRow();
    openWindow();
    typeAndLeave("em_c1", QStringLiteral("90"));
    QCOMPARE(shown(win, "em_by_cj"), QStringLiteral("15.0"));
    child(win, "em_f_t")->setText(QStringLiteral("12"));
    typeInto("em_f", QStringLiteral("3500"));
    QTest::keyClick(focused(), Qt::Key_Tab);
    QCOMPARE(boxes->count(), 1);
    QCOMPARE(boxes->boxes.last().title, QStringLiteral("提示"));
    QCOMPARE(boxes->boxes.last().text, QStringLiteral("如要得到肺活量成绩，请先正确输入体重！"));
    // No year total after the notice, so no graduation score either.
    QCOMPARE(shown(win, "em_f_t"), QStringLiteral("12.0"));
    QCOMPARE(shown(win, "em_by_cj"), QStringLiteral("15.0"));
}

QTEST_MAIN(FourthYearWindowTest)
#include "tst_w_jsq_dx4.moc"
