#include "score/graduation_panel.h"

#include "common/graduation.h"
#include "runtime/colors.h"
#include "runtime/fonts.h"
#include "runtime/units.h"
#include "score/my_maskedit.h"
#include "score/w_jsq_by.h"
#include "score/year_score_window.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

namespace score {

namespace {

void place(QWidget *control, const Geometry &g) { rt::placeControl(control, g.x, g.y, g.width, g.height); }

struct LabelSpec {
    const char *name;
    const char *text;
    Geometry geometry;
};
// In the window's order of creation.
constexpr LabelSpec kLabels[] = {
    {"st_4", "大三成绩", {1527, 548, 320, 60}},
    {"st_3", "大二成绩", {1527, 448, 320, 72}},
    {"st_2", "大一成绩", {1527, 344, 320, 60}},
};

struct EditSpec {
    const char *name;
    Geometry geometry;
};
constexpr EditSpec kEarlierYears[] = {
    {"em_c3", {1851, 536, 219, 96}},
    {"em_c2", {1851, 432, 219, 96}},
    {"em_c1", {1851, 324, 224, 96}},
};

constexpr Geometry kByCj{2272, 332, 635, 144};
constexpr Geometry kByDj{2272, 484, 635, 144};
constexpr Geometry kFrameEarlier{1504, 276, 745, 368};
constexpr Geometry kFrameResult{2240, 276, 699, 368};

constexpr long kFieldBack = rt::rgb(166, 202, 240);

// Ahead of the window's own sequence, which starts at 40.
constexpr int kEarlierYearTabs[] = {10, 20, 30};

} // namespace

GraduationPanel::GraduationPanel(QWidget *window) : QObject(window)
{
    for (const LabelSpec &def : kLabels)
        graduationLabel(window, def.name, def.text, 10, 400, rt::rgb(0, 0, 0), def.geometry);

    my_maskedit **edits[] = {&em_c3, &em_c2, &em_c1};
    for (int i = 0; i < 3; ++i) {
        auto *edit = graduationScoreEdit(window, kEarlierYears[i].name, 12, kEarlierYears[i].geometry);
        connect(edit, &my_maskedit::modified, this, &GraduationPanel::earlierYearChanged);
        *edits[i] = edit;
    }

    em_by_cj = graduationScoreEdit(window, "em_by_cj", 24, kByCj);
    rt::setTextColor(em_by_cj, rt::rgb(128, 0, 0));

    sle_by_dj = graduationGradeField(window, 24, 700, kFieldBack, kByDj);

    // The results take a click but are no tab stops.
    em_by_cj->setFocusPolicy(Qt::ClickFocus);
    sle_by_dj->setFocusPolicy(Qt::ClickFocus);
    QWidget::setTabOrder(em_c1, em_c2);
    QWidget::setTabOrder(em_c2, em_c3);

    // The frames lie behind the controls they frame.
    auto *gb_1 = new QGroupBox(QStringLiteral("毕业成绩"), window);
    gb_1->setObjectName(QStringLiteral("gb_1"));
    gb_1->setFont(rt::font(QStringLiteral("Arial"), 9));
    rt::setTextColor(gb_1, rt::rgb(0, 0, 255));
    place(gb_1, kFrameResult);
    auto *gb_2 = new QGroupBox(window);
    gb_2->setObjectName(QStringLiteral("gb_2"));
    place(gb_2, kFrameEarlier);
    for (QGroupBox *frame : {gb_1, gb_2}) {
        frame->setFocusPolicy(Qt::NoFocus);
        frame->lower();
    }
}

void GraduationPanel::refresh(int fourthYearTotal)
{
    const common::GraduationResult result =
        common::fourthYearGraduation(em_c1->value(), em_c2->value(), em_c3->value(), fourthYearTotal);
    em_by_cj->setText(QString::number(result.score));
    showGrade(sle_by_dj, result.grade);
}

void GraduationPanel::attachTo(YearScoreWindow *window)
{
    window->setTotalHook([panel = QPointer<GraduationPanel>(this)](int yearTotal) {
        if (panel)
            panel->refresh(yearTotal);
    });
    connect(this, &GraduationPanel::earlierYearChanged, window, [window] { window->xn(); });
    my_maskedit *const edits[] = {em_c1, em_c2, em_c3};
    for (int i = 0; i < 3; ++i)
        window->addTabStop(edits[i], kEarlierYearTabs[i]);
    window->addTabStop(em_by_cj, 0);
    window->addTabStop(sle_by_dj, 0);
}

YearScoreWindow *createFourthYearWindow(QWidget *parent)
{
    auto *window = new YearScoreWindow(yearParameters(4), parent);
    auto *panel = new GraduationPanel(window);
    panel->attachTo(window);
    return window;
}

} // namespace score
