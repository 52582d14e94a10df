#include "score/year_score_window.h"

#include "common/band_tables.h"
#include "common/grade_scale.h"
#include "common/height_weight.h"
#include "common/weight_limits.h"
#include "common/year_total.h"
#include "runtime/busy_cursor.h"
#include "runtime/colors.h"
#include "runtime/fonts.h"
#include "runtime/messagebox.h"
#include "runtime/static_text.h"
#include "runtime/units.h"
#include "score/my_maskedit.h"
#include "settings/w_xm_dx.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

namespace score {

namespace {

using common::TestItem;

constexpr long kItemLabelColor = rt::rgb(0, 0, 128);
constexpr long kUnitLabelColor = rt::rgb(128, 0, 0);
constexpr long kFrameTitleColor = rt::rgb(0, 0, 255);
constexpr long kEditBack = rt::rgb(166, 202, 240);

enum RowIndex { kHeight, kWeight, kStep, kRun1000, kRun800, kVital, kRun50, kJump, kReach, kSitUps, kGrip };

struct RowSpec {
    TestItem item;
    const char *label;
    const char *labelText;
    int labelWidth;
    const char *unit; // null: the item has no unit label
    const char *unitText;
    const char *input;
    const char *score; // null: the height row's score stands in the weight row
};

// Top to bottom, as the inputs follow each other in the Tab sequence.
constexpr std::array<RowSpec, 11> kRows = {{
    {TestItem::HeightStandardWeight, "st_s1", "身高", 343, "st_13", "厘米", "em_s1", nullptr},
    {TestItem::HeightStandardWeight, "st_s2", "体重", 343, "st_14", "公斤", "em_s2", "em_s_t"},
    {TestItem::StepTest, "st_t", "台阶试验", 343, nullptr, nullptr, "em_t", "em_t_t"},
    {TestItem::Run1000, "st_1", "1000米跑（男）", 393, "st_11", "分.秒", "em_1", "em_1_t"},
    {TestItem::Run800, "st_8", "800米跑（女）", 366, "st_88", "分.秒", "em_8", "em_8_t"},
    {TestItem::VitalCapacityIndex, "st_f", "肺活量", 343, nullptr, nullptr, "em_f", "em_f_t"},
    {TestItem::Run50, "st_5", "50米跑", 343, "st_55", "秒", "em_5", "em_5_t"},
    {TestItem::StandingLongJump, "st_l", "立定跳远", 343, "st_ll", "厘米", "em_l", "em_l_t"},
    {TestItem::SitAndReach, "st_z", "坐位体前屈", 343, "st_zz", "厘米", "em_z", "em_z_t"},
    {TestItem::SitUps, "st_y", "仰卧起坐（女）", 393, "st_yy", "（次/1分钟）", "em_y", "em_y_t"},
    {TestItem::GripIndex, "st_w", "握力体重指数", 343, nullptr, nullptr, "em_w", "em_w_t"},
}};

// The edits a change of sex walks through: the inputs in tab order without the vital capacity,
// which follows the weight.
constexpr std::array<int, 10> kSexWalk = {kHeight, kWeight, kStep, kRun1000, kRun800,
                                          kRun50,  kJump,   kReach, kSitUps, kGrip};

// The rows the settings switch on and off.
constexpr std::array<int, 8> kOptionalRows = {kStep, kRun1000, kRun800, kRun50, kJump, kReach, kGrip, kSitUps};

// Inputs emptied when the window opens, in this order.
constexpr std::array<int, 11> kClearedOnOpen = {kHeight, kWeight, kReach, kRun50, kJump, kStep,
                                                kRun1000, kRun800, kVital, kSitUps, kGrip};

constexpr std::array<const char *, 4> kBonusNames = {"cbx_1", "cbx_2", "cbx_3", "cbx_4"};
constexpr std::array<const char *, 4> kBonusTexts = {
    "1、出勤率达到98%，并认真锻炼。（加５分）",
    "2、获等级运动员称号。（加５分）",
    "3、比赛获名次。（加５分）",
    "4、学生体育干部工作认真负责。（加５分）",
};

void place(QWidget *control, const Geometry &g) { rt::placeControl(control, g.x, g.y, g.width, g.height); }

QString text(const char *s) { return QString::fromUtf8(s); }

// A label drawn greyed while disabled.
QLabel *makeLabel(QWidget *parent, const char *name, const char *caption, int points, long color)
{
    QLabel *label = rt::plainLabel(text(caption), parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(rt::font(QStringLiteral("Arial"), points));
    rt::setTextColor(label, color);
    QPalette pal = label->palette();
    pal.setColor(QPalette::Disabled, QPalette::WindowText,
                 QApplication::palette().color(QPalette::Disabled, QPalette::WindowText));
    label->setPalette(pal);
    return label;
}

QGroupBox *makeFrame(QWidget *parent, const char *name, const char *title, int points, int weight, long color,
                     const Geometry &g)
{
    auto *box = new QGroupBox(text(title), parent);
    box->setObjectName(QLatin1String(name));
    box->setFont(rt::font(QStringLiteral("Arial"), points, weight));
    rt::setTextColor(box, color);
    box->setFocusPolicy(Qt::NoFocus);
    place(box, g);
    return box;
}

QCheckBox *makeBox(QWidget *parent, const char *name, const char *caption, const Geometry &g)
{
    auto *box = new QCheckBox(text(caption), parent);
    box->setObjectName(QLatin1String(name));
    box->setFont(rt::font(QStringLiteral("Arial"), 9));
    rt::setTextColor(box, rt::syscolor::WindowText);
    place(box, g);
    return box;
}

QPushButton *makeButton(QWidget *parent, const char *name, const char *caption, int points, const Geometry &g)
{
    auto *button = new QPushButton(text(caption), parent);
    button->setObjectName(QLatin1String(name));
    button->setFont(rt::font(QStringLiteral("Arial"), points));
    button->setAutoDefault(false);
    button->setDefault(false);
    place(button, g);
    return button;
}

QRadioButton *makeRadio(QWidget *parent, const char *name, const char *caption, long color, const Geometry &g)
{
    auto *radio = new QRadioButton(text(caption), parent);
    radio->setObjectName(QLatin1String(name));
    radio->setFont(rt::font(QStringLiteral("Arial"), 14, 700));
    rt::setTextColor(radio, color);
    radio->setFocusPolicy(Qt::ClickFocus); // chosen with the mouse, no tab stop
    place(radio, g);
    return radio;
}

} // namespace

YearScoreWindow::YearScoreWindow(const YearParameters &parameters, QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), params_(parameters)
{
    setObjectName(QLatin1String(params_.className));
    setWindowTitle(text(params_.title));
    rt::setBackColor(this, rt::syscolor::ButtonFace);
    rt::sizeWindow(this, params_.width, params_.height);
    createControls();
    applyTabOrder();
}

void YearScoreWindow::createControls()
{
    const ItemPanelLayout &p = params_.panel;
    const RightPanelLayout &r = params_.right;

    std::vector<QGroupBox *> frames;
    frames.push_back(makeFrame(this, "gb_4", "项目成绩", 8, 400, kFrameTitleColor, p.gb_4));

    QLabel *st_111 = makeLabel(this, "st_111", "成绩（分）", 9, rt::syscolor::WindowText);
    place(st_111, p.st_111);

    for (int i = 0; i < int(kRows.size()); ++i) {
        const RowSpec &row = kRows[i];
        Row &rw = rows_[i];
        const int dy = 100 * i;
        rw.label = makeLabel(this, row.label, row.labelText, 8, kItemLabelColor);
        rt::placeControl(rw.label, i == kWeight ? p.weightLabelX : p.labelX, p.labelY + dy, row.labelWidth, 56);
        if (row.unit) {
            rw.unit = makeLabel(this, row.unit, row.unitText, 8, kUnitLabelColor);
            if (i == kHeight)
                rt::placeControl(rw.unit, p.unitX, p.heightUnitY, 247, 60);
            else
                rt::placeControl(rw.unit, p.unitX, p.unitY + dy, 343, 56);
        }
        rw.input = new my_maskedit(this, my_maskedit::Mask::Input);
        rw.input->setObjectName(QLatin1String(row.input));
        rt::placeControl(rw.input, p.inputX, p.inputY + dy, 251, 80);
        connect(rw.input, &my_maskedit::losefocus, this, [this, i] { inputLeft(i); });
        if (row.score) {
            rw.score = new my_maskedit(this, my_maskedit::Mask::Score);
            rw.score->setObjectName(QLatin1String(row.score));
            rt::placeControl(rw.score, p.scoreX, p.scoreY + dy, 210, 80);
        }
    }
    // The height edit's own getfocus selects the whole text again, as the edit class does.
    connect(rows_[kHeight].input, &my_maskedit::getfocus, rows_[kHeight].input, &QLineEdit::selectAll);

    frames.push_back(makeFrame(this, "gb_sex", "性别", 8, 400, kFrameTitleColor, r.gb_sex));
    rb_sex_man = makeRadio(this, "rb_sex_man", "男", rt::rgb(0, 0, 128), r.rb_sex_man);
    rb_sex_woman = makeRadio(this, "rb_sex_woman", "女", rt::rgb(128, 0, 128), r.rb_sex_woman);
    auto *sexGroup = new QButtonGroup(this);
    sexGroup->addButton(rb_sex_man);
    sexGroup->addButton(rb_sex_woman);
    rb_sex_man->setChecked(true);
    connect(rb_sex_man, &QRadioButton::clicked, this, &YearScoreWindow::sexClicked);
    connect(rb_sex_woman, &QRadioButton::clicked, this, &YearScoreWindow::sexClicked);

    frames.push_back(makeFrame(this, "gb_6", params_.title, 8, 400, kFrameTitleColor, r.gb_6));
    em_xn_t = new my_maskedit(this, my_maskedit::Mask::Score);
    em_xn_t->setObjectName(QStringLiteral("em_xn_t"));
    em_xn_t->setFont(rt::font(QStringLiteral("Arial"), 26, 700));
    rt::setTextColor(em_xn_t, rt::rgb(128, 0, 0));
    place(em_xn_t, r.em_xn_t);
    sle_dj = new QLineEdit(this);
    sle_dj->setObjectName(QStringLiteral("sle_dj"));
    sle_dj->setFont(rt::font(QStringLiteral("Arial"), 26, 700));
    rt::setTextColor(sle_dj, rt::syscolor::WindowText);
    rt::setBackColor(sle_dj, kEditBack);
    place(sle_dj, r.sle_dj);

    frames.push_back(makeFrame(this, "gb_3", "加分", 9, 700, rt::rgb(255, 0, 255), r.gb_3));
    for (int i = 0; i < 4; ++i) {
        cbx_bonus[i] = makeBox(this, kBonusNames[i], kBonusTexts[i], r.cbx[i]);
        connect(cbx_bonus[i], &QCheckBox::clicked, this, [this] { xn(); });
    }
    frames.push_back(makeFrame(this, "gb_5", "降分", 9, 700, rt::rgb(255, 0, 0), r.gb_5));
    cbx_59 = makeBox(this, "cbx_59", "无故缺勤超1/10或病、事假超1/3。（最高为５９分）", r.cbx_59);
    connect(cbx_59, &QCheckBox::clicked, this, [this] { xn(); });

    cb_2 = makeButton(this, "cb_2", "项目设置", 9, r.cb_2);
    connect(cb_2, &QPushButton::clicked, this, &YearScoreWindow::settingsClicked);
    cb_1 = makeButton(this, "cb_1", "关闭", 8, r.cb_1);
    connect(cb_1, &QPushButton::clicked, this, &QWidget::close);

    // The frames lie behind the controls they frame.
    for (QGroupBox *frame : frames)
        frame->lower();

    // The Tab sequence; among equal values the order listed here.
    const TabScheme &t = params_.tabs;
    int sequence = 0;
    for (int i = 0; i < int(rows_.size()); ++i)
        tabStops_.push_back({t.firstInput + i * t.inputStep, sequence++, rows_[i].input});
    for (int i = 0; i < int(rows_.size()); ++i) {
        if (rows_[i].score)
            tabStops_.push_back({t.scoreEdits[i], sequence++, rows_[i].score});
    }
    for (int i = 0; i < 4; ++i)
        tabStops_.push_back({t.boxes[i], sequence++, cbx_bonus[i]});
    tabStops_.push_back({t.boxes[4], sequence++, cbx_59});
    tabStops_.push_back({t.cb_2, sequence++, cb_2});
    tabStops_.push_back({t.em_xn_t, sequence++, em_xn_t});
    tabStops_.push_back({t.sle_dj, sequence++, sle_dj});
    tabStops_.push_back({t.cb_1, sequence++, cb_1});
}

void YearScoreWindow::addTabStop(QWidget *control, int tabValue)
{
    tabStops_.push_back({tabValue, int(tabStops_.size()), control});
    applyTabOrder();
}

void YearScoreWindow::applyTabOrder()
{
    std::vector<TabStop> order = tabStops_;
    std::stable_sort(order.begin(), order.end(), [](const TabStop &a, const TabStop &b) {
        return a.value != b.value ? a.value < b.value : a.sequence < b.sequence;
    });
    QWidget *previous = nullptr;
    for (const TabStop &stop : order) {
        stop.control->setFocusPolicy(stop.value > 0 ? Qt::StrongFocus : Qt::ClickFocus);
        if (stop.value <= 0)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, stop.control);
        previous = stop.control;
    }
}

QWidget *YearScoreWindow::firstTabStop() const
{
    const TabStop *first = nullptr;
    for (const TabStop &stop : tabStops_) {
        if (stop.value > 0 && (!first || stop.value < first->value
                               || (stop.value == first->value && stop.sequence < first->sequence)))
            first = &stop;
    }
    return first ? first->control : nullptr;
}

common::Sex YearScoreWindow::sex() const
{
    return rb_sex_man->isChecked() ? common::Sex::Male : common::Sex::Female;
}

void YearScoreWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    rt::centerOnScreen(this);
    if (QWidget *first = firstTabStop())
        first->setFocus(Qt::OtherFocusReason);
}

void YearScoreWindow::closeEvent(QCloseEvent *event)
{
    // Closed by the window manager: the same as "关闭".
    event->accept();
}

// ---- opening and the settings button

long YearScoreWindow::retrieveSelection()
{
    dw_4.setTransObject(rt::sqlca());
    return dw_4.retrieve(QLatin1String(params_.studyYearCode));
}

void YearScoreWindow::copyFlags()
{
    const long current = dw_4.getRow();
    for (int i = 0; i < common::kItemFlagCount; ++i)
        selection_.flags[i] = dw_4.getItemString(current, QLatin1String(common::kItemFlagColumns[i]));
}

void YearScoreWindow::showMessage(const Message &message)
{
    rt::messageBox(text(message.title), text(message.text));
}

bool YearScoreWindow::openEvent()
{
    long rowNumber = retrieveSelection();
    while (rowNumber < 1) {
        if (rowNumber < 0) {
            // A data source that cannot be read: the settings window could not help.
            rt::messageBox(QStringLiteral("错误"), dw_4.lastError(), rt::Icon::StopSign);
            return false;
        }
        showMessage(params_.setUpFirst);
        rt::message().doubleParm = 0;
        if (rt::windows().open(QLatin1String(params_.settingsWindow), parentWidget()) < 0)
            return false; // no settings window to set the year up in
        const bool saveFailed = rt::message().doubleParm == settings::kClosedAfterFailedSave;
        // The row may be there all the same: stored by an earlier Save of that window, or by another PC.
        rowNumber = retrieveSelection();
        if (rowNumber < 1 && saveFailed)
            return false; // the row cannot be stored, and the settings window has said why
    }
    copyFlags();
    checked();
    for (int i : kClearedOnOpen)
        rows_[i].input->setText(QString());
    return true;
}

void YearScoreWindow::settingsClicked()
{
    rt::windows().open(QLatin1String(params_.settingsWindow), this);
    const long rowNumber = retrieveSelection();
    if (rowNumber < 0) {
        rt::messageBox(QStringLiteral("错误"), dw_4.lastError(), rt::Icon::StopSign);
        return;
    }
    if (rowNumber == 0) {
        showMessage(params_.setUpFirst);
        return;
    }
    copyFlags();
    checked();
}

// ---- tested items

long YearScoreWindow::checked()
{
    settingEnabled_ = true;
    const common::TestedItems tested = common::testedItems(selection_, sex());
    for (int i : kOptionalRows) {
        const bool on = tested[common::indexOf(kRows[i].item)];
        Row &rw = rows_[i];
        rw.label->setEnabled(on);
        if (rw.unit)
            rw.unit->setEnabled(on);
        rw.input->setEnabled(on);
        rw.score->setEnabled(on);
    }
    settingEnabled_ = false;
    return 0;
}

// ---- total and grade

int YearScoreWindow::xn()
{
    common::YearTotalInput in;
    for (const Row &rw : rows_) {
        if (!rw.score)
            continue;
        const int item = common::indexOf(kRows[&rw - rows_.data()].item);
        in.counted[item] = rw.score->isEnabled();
        // A disabled score edit is not read.
        in.scores[item] = in.counted[item] ? rw.score->value() : 0.0f;
    }
    for (int i = 0; i < 4; ++i)
        in.bonus[i] = cbx_bonus[i]->isChecked();
    in.absence = cbx_59->isChecked();

    const common::YearTotal total = common::yearTotal(in);
    if (total.grade.color)
        rt::setTextColor(sle_dj, *total.grade.color);
    em_xn_t->setText(QString::number(total.score));
    sle_dj->setText(total.grade.word);
    if (totalHook_)
        totalHook_(total.score);
    return 0;
}

// ---- scoring

void YearScoreWindow::inputLeft(int rowIndex)
{
    if (settingEnabled_ || placingFocus_)
        return;
    scoreRow(rowIndex);
}

void YearScoreWindow::scoreRow(int rowIndex)
{
    switch (rowIndex) {
    case kHeight:
        sg();
        break;
    case kWeight:
        sg();
        scoreVitalCapacity(); // the index divides by the weight
        break;
    case kVital:
        scoreVitalCapacity();
        break;
    default:
        scoreBandItem(rowIndex);
        break;
    }
}

void YearScoreWindow::scoreBandItem(int rowIndex)
{
    Row &rw = rows_[rowIndex];
    const int points = common::scoreItem(kRows[rowIndex].item, sex(), rw.input->value());
    rw.score->setText(QString::number(points));
    xn();
}

void YearScoreWindow::scoreVitalCapacity()
{
    const common::VitalCapacityScore s =
        common::scoreVitalCapacity(rows_[kVital].input->value(), rows_[kWeight].input->value(), sex());
    if (s.missingWeight) {
        // The score shown before stays, and the total is not recomputed.
        showMessage(params_.missingWeight);
        return;
    }
    rows_[kVital].score->setText(QString::number(s.points));
    xn();
}

int YearScoreWindow::sg()
{
    using Outcome = common::HeightWeightScore::Outcome;
    const auto lookup = [this](common::Sex sex, float height) {
        rt::BusyCursor busy;
        if (!walking_)
            return common::lookupWeightLimits(sex, height);
        if (!walkLookup_ || walkLookup_->sex != sex || walkLookup_->height != height)
            walkLookup_ = WalkLookup{sex, height, common::lookupWeightLimits(sex, height)};
        return walkLookup_->answer;
    };
    const common::HeightWeightScore r = common::scoreHeightWeight(
        {rows_[kHeight].input->value(), rows_[kWeight].input->value()}, sex(), lookup);
    h = r.body.height;
    w = r.body.weight;
    if (r.outcome == Outcome::Scored) {
        z1 = r.limits[0];
        z2 = r.limits[1];
        z3 = r.limits[2];
        z4 = r.limits[3];
    }
    rows_[kWeight].score->setText(QString::number(r.points));
    xn();

    // A weight is judged only against the row of its own height; without one it scores 0 and says so.
    QString problem;
    rt::Icon icon = rt::Icon::Exclamation;
    if (r.outcome == Outcome::NoRow || r.outcome == Outcome::InvalidRow) {
        problem = QStringLiteral("体重标准中没有身高 %1 厘米的数据，身高标准体重按0分计。").arg(r.wholeHeight());
    } else if (r.outcome == Outcome::QueryFailed) {
        problem = r.error;
        icon = rt::Icon::StopSign;
    }
    if (!problem.isEmpty()) {
        // A change of sex looks the same height up twice: one message is enough.
        if (walking_ && walkMessages_.contains(problem))
            return 0;
        if (walking_)
            walkMessages_.append(problem);
        rt::messageBox(QStringLiteral("错误"), problem, icon);
    }
    return 0;
}

// ---- change of sex

void YearScoreWindow::sexClicked()
{
    // The walk of the focus through the inputs, made as explicit calls: an edit that would take the
    // focus (an enabled one, under the previous sex) has the one before it scored as it is left.
    walking_ = true;
    walkMessages_.clear();
    walkLookup_.reset();
    std::array<bool, kSexWalk.size()> scored{};
    int holder = -1; // position in the walk of the edit that would hold the focus
    for (int k = 0; k < int(kSexWalk.size()); ++k) {
        if (!rows_[kSexWalk[k]].input->isEnabled())
            continue;
        if (holder >= 0) {
            scoreRow(kSexWalk[holder]);
            scored[holder] = true;
        }
        holder = k;
    }
    // Then what the walk left out: the edit it ended in and the disabled ones, under the new sex.
    for (int k = 0; k < int(kSexWalk.size()); ++k) {
        if (!scored[k])
            scoreRow(kSexWalk[k]);
    }
    checked();
    xn();
    walking_ = false;

    if (holder >= 0) {
        my_maskedit *edit = rows_[kSexWalk[holder]].input;
        if (edit->isEnabled()) {
            placingFocus_ = true;
            edit->setFocus(Qt::OtherFocusReason);
            edit->selectAll();
            placingFocus_ = false;
        }
    }
}

} // namespace score
