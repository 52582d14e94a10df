#include "score/w_jsq_by.h"

#include "common/graduation.h"
#include "runtime/colors.h"
#include "runtime/fonts.h"
#include "runtime/static_text.h"
#include "runtime/units.h"
#include "score/my_maskedit.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <span>

namespace score {

void showGrade(QLineEdit *field, const common::Grade &grade)
{
    if (grade.color)
        rt::setTextColor(field, *grade.color);
    field->setText(grade.word);
}

namespace {
void place(QWidget *control, const Geometry &g) { rt::placeControl(control, g.x, g.y, g.width, g.height); }
} // namespace

QLabel *graduationLabel(QWidget *parent, const char *name, const char *text, int points, int weight, long color,
                        const Geometry &g)
{
    QLabel *label = rt::plainLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(rt::font(QStringLiteral("Arial"), points, weight));
    rt::setTextColor(label, color);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(label, g);
    return label;
}

my_maskedit *graduationScoreEdit(QWidget *parent, const char *name, int points, const Geometry &g)
{
    auto *edit = new my_maskedit(parent, my_maskedit::Mask::Score);
    edit->setObjectName(QLatin1String(name));
    edit->setFont(rt::font(QStringLiteral("Arial"), points, 700));
    place(edit, g);
    return edit;
}

QLineEdit *graduationGradeField(QWidget *parent, int points, int weight, long back, const Geometry &g)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(QStringLiteral("sle_by_dj"));
    field->setFont(rt::font(QStringLiteral("Arial"), points, weight));
    rt::setTextColor(field, rt::syscolor::WindowText);
    rt::setBackColor(field, back);
    place(field, g);
    return field;
}

} // namespace score

namespace {

constexpr int kWidth = 1531;
constexpr int kHeight = 1448;
constexpr long kResultBack = rt::rgb(255, 251, 240);

using score::Geometry;

// The label column, one row per year, then the result and its grade.
struct LabelSpec {
    const char *name;
    const char *text;
    long color;
    Geometry geometry;
};
constexpr long kYearLabelColor = rt::rgb(128, 0, 0);
constexpr long kResultLabelColor = rt::rgb(0, 0, 255);
constexpr LabelSpec kLabels[] = {
    {"st_6", "大学四年级成绩（50%）", kYearLabelColor, {69, 640, 873, 72}},
    {"st_5", "等级", kResultLabelColor, {370, 976, 192, 72}},
    {"st_4", "大学毕业成绩", kResultLabelColor, {78, 840, 503, 72}},
    {"st_3", "大学三年级成绩（16.67%）", kYearLabelColor, {64, 456, 974, 72}},
    {"st_2", "大学二年级成绩（16.67%）", kYearLabelColor, {64, 252, 974, 72}},
    {"st_1", "大学一年级成绩（16.67%）", kYearLabelColor, {64, 56, 974, 72}},
};

constexpr Geometry kC1{1015, 40, 402, 112};
constexpr Geometry kC2{1015, 244, 402, 112};
constexpr Geometry kC3{1015, 444, 402, 112};
constexpr Geometry kC4{1019, 632, 402, 112};
constexpr Geometry kByCj{1015, 812, 402, 112};
constexpr Geometry kByDj{1015, 952, 407, 116};
constexpr Geometry kClose{1111, 1128, 320, 88};

my_maskedit *scoreEdit(QWidget *parent, const char *name, const Geometry &g)
{
    return score::graduationScoreEdit(parent, name, 14, g);
}

} // namespace

w_jsq_by::w_jsq_by(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("w_jsq_by"));
    setWindowTitle(QStringLiteral("毕业成绩计算"));
    rt::setBackColor(this, rt::syscolor::ButtonFace);
    rt::sizeWindow(this, kWidth, kHeight);

    auto makeLabel = [this](const LabelSpec &def) {
        score::graduationLabel(this, def.name, def.text, 12, 700, def.color, def.geometry);
    };

    // The window's order of creation: the fourth-year label, the fields, the button, the other labels.
    makeLabel(kLabels[0]);
    em_c4 = scoreEdit(this, "em_c4", kC4);
    em_by_cj = scoreEdit(this, "em_by_cj", kByCj);
    rt::setBackColor(em_by_cj, kResultBack);
    em_c3 = scoreEdit(this, "em_c3", kC3);
    em_c2 = scoreEdit(this, "em_c2", kC2);
    em_c1 = scoreEdit(this, "em_c1", kC1);

    cb_1 = new QPushButton(QStringLiteral("关闭(&X)"), this);
    cb_1->setObjectName(QStringLiteral("cb_1"));
    cb_1->setFont(rt::font(QStringLiteral("Arial"), 9));
    cb_1->setAutoDefault(false);
    cb_1->setDefault(false);
    score::place(cb_1, kClose);

    sle_by_dj = score::graduationGradeField(this, 12, 400, kResultBack, kByDj);

    for (const LabelSpec &def : std::span(kLabels).subspan(1))
        makeLabel(def);

    // The result fields take a click but are no tab stops.
    em_by_cj->setFocusPolicy(Qt::ClickFocus);
    sle_by_dj->setFocusPolicy(Qt::ClickFocus);
    QWidget::setTabOrder(em_c1, em_c2);
    QWidget::setTabOrder(em_c2, em_c3);
    QWidget::setTabOrder(em_c3, em_c4);
    QWidget::setTabOrder(em_c4, cb_1);

    for (my_maskedit *edit : {em_c1, em_c2, em_c3, em_c4})
        connect(edit, &my_maskedit::modified, this, [this] { by(); });
    connect(cb_1, &QPushButton::clicked, this, &QWidget::close);

    em_c1->setFocus(Qt::OtherFocusReason);
    rt::centerOnScreen(this);
}

int w_jsq_by::by()
{
    const common::GraduationResult result =
        common::graduation(em_c1->value(), em_c2->value(), em_c3->value(), em_c4->value());
    em_by_cj->setText(QString::number(result.score));
    score::showGrade(sle_by_dj, result.grade);
    return 0;
}

void w_jsq_by::closeEvent(QCloseEvent *event)
{
    // A close box drawn by the window manager closes the window as "关闭" does.
    event->accept();
}
