#include "settings/w_xm_dx.h"

#include "kit/pfc_picture_command_button.h"
#include "runtime/busy_cursor.h"
#include "runtime/colors.h"
#include "runtime/fonts.h"
#include "runtime/messagebox.h"
#include "runtime/units.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QGroupBox>
#include <QPainter>
#include <QRadioButton>
#include <QRect>
#include <algorithm>
#include <utility>

namespace settings {

const std::array<StudyYearVariant, 4> kStudyYearVariants = {{
    {"w_xm_dx1", "41", "大学一年级项目", 1424, {978, 1164, 360, 60, "Save!"}, {1435, 1164, 360, 60, nullptr}},
    {"w_xm_dx2", "42", "大学二年级项目", 1428, {983, 1168, 361, 60, nullptr}, {1440, 1168, 361, 70, nullptr}},
    {"w_xm_dx3", "43", "大学三年级项目", 1420, {987, 1168, 360, 60, "Save!"}, {1440, 1168, 360, 70, "Close!"}},
    {"w_xm_dx4", "44", "大学四年级项目", 1408, {987, 1164, 361, 60, "Save!"}, {1445, 1164, 361, 60, "Close!"}},
}};

const StudyYearVariant *variantOf(const QString &className)
{
    for (const auto &v : kStudyYearVariants)
        if (className == QLatin1String(v.className))
            return &v;
    return nullptr;
}

const std::array<ItemRadio, 13> kItemRadios = {{
    {"rb_t_m", "xm_t_m"}, {"rb_1_m", "xm_1_m"}, {"rb_5_m", "xm_5_m"}, {"rb_l_m", "xm_l_m"}, {"rb_z_m", "xm_z_m"},
    {"rb_w_m", "xm_w_m"}, {"rb_t_w", "xm_t_w"}, {"rb_8_w", "xm_8_w"}, {"rb_5_w", "xm_5_w"}, {"rb_l_w", "xm_l_w"},
    {"rb_z_w", "xm_z_w"}, {"rb_y_w", "xm_y_w"}, {"rb_w_w", "xm_w_w"},
}};

namespace {

const QString kTitleNotice = QStringLiteral("注意");

enum class Style { R1, R2, G1, G2, G3 };

struct TextStyle {
    int points;
    int weight;
    long color;
};

constexpr TextStyle styleOf(Style s)
{
    switch (s) {
    case Style::R1:
        return {9, 400, rt::rgb(0, 0, 255)};
    case Style::R2:
        return {9, 400, rt::rgb(255, 0, 255)};
    case Style::G1:
        return {9, 400, rt::syscolor::WindowText};
    case Style::G2:
        return {9, 700, rt::rgb(0, 0, 128)};
    case Style::G3:
        return {12, 700, rt::rgb(0, 0, 255)};
    }
    return {9, 400, rt::syscolor::WindowText};
}

enum class Kind { Radio, FixedRadio, Box, InnerBox, Form };

struct ControlDef {
    const char *name;
    Kind kind;
    const char *text;
    int x, y, width, height;
    Style style;
    bool toFront;
};

// The radio buttons, group boxes and the hidden form control in creation order (the two picture
// buttons come first).
constexpr ControlDef kControls[] = {
    {"rb_w_w", Kind::Radio, "握力体重指数（20分）", 1019, 968, 626, 92, Style::R1, false},
    {"rb_z_w", Kind::Radio, "坐位体前屈（20分）", 1019, 780, 571, 92, Style::R1, false},
    {"rb_l_w", Kind::Radio, "立定跳远（30分）", 1019, 652, 517, 84, Style::R1, false},
    {"rb_5_w", Kind::Radio, "50米跑（30分）", 1019, 560, 471, 92, Style::R1, false},
    {"gb_6", Kind::InnerBox, nullptr, 983, 272, 791, 264, Style::G2, false},
    {"rb_2", Kind::FixedRadio, "肺活量体重指数（15分）", 1019, 212, 681, 76, Style::R1, false},
    {"rb_1", Kind::FixedRadio, "身高标准体重（15分）", 1019, 140, 626, 76, Style::R1, false},
    {"dw_1", Kind::Form, nullptr, 608, 436, 686, 400, Style::G1, false},
    {"rb_9", Kind::FixedRadio, "肺活量体重指数（15分）", 128, 212, 681, 76, Style::R1, false},
    {"rb_8", Kind::FixedRadio, "身高标准体重（15分）", 128, 140, 626, 76, Style::R1, false},
    {"rb_w_m", Kind::Radio, "握力体重指数（20分）", 128, 972, 626, 92, Style::R1, false},
    {"rb_y_w", Kind::Radio, "仰卧起坐（女）（20分）", 1019, 876, 681, 92, Style::R2, false},
    {"rb_z_m", Kind::Radio, "坐位体前屈（20分）", 128, 796, 571, 92, Style::R1, false},
    {"rb_l_m", Kind::Radio, "立定跳远（30分）", 128, 648, 517, 84, Style::R1, false},
    {"rb_5_m", Kind::Radio, "50米跑（30分）", 128, 556, 471, 92, Style::R1, false},
    {"rb_1_m", Kind::Radio, "1000米跑（男）（20分）", 128, 424, 699, 92, Style::R2, false},
    {"rb_t_m", Kind::Radio, "台阶试验（20分）", 128, 336, 517, 92, Style::R1, false},
    {"gb_1", Kind::InnerBox, nullptr, 96, 268, 782, 264, Style::G1, false},
    {"gb_2", Kind::InnerBox, nullptr, 96, 496, 782, 268, Style::G1, false},
    {"gb_3", Kind::InnerBox, nullptr, 96, 728, 782, 360, Style::G1, false},
    {"gb_4", Kind::Box, "男", 41, 44, 901, 1088, Style::G3, false},
    {"rb_t_w", Kind::Radio, "台阶试验（20分）", 1019, 336, 517, 92, Style::R1, true},
    {"rb_8_w", Kind::Radio, "800米跑（女）（20分）", 1019, 424, 677, 92, Style::R2, true},
    {"gb_7", Kind::InnerBox, nullptr, 983, 500, 791, 264, Style::G2, false},
    {"gb_8", Kind::InnerBox, nullptr, 983, 728, 791, 364, Style::G2, false},
    {"gb_5", Kind::Box, "女", 937, 44, 891, 1088, Style::G3, false},
};

constexpr int kWindowWidth = 1897;

void applyStyle(QWidget *w, Style s)
{
    const TextStyle t = styleOf(s);
    w->setFont(rt::font(QStringLiteral("Arial"), t.points, t.weight));
    rt::setTextColor(w, t.color);
    rt::setBackColor(w, rt::syscolor::ButtonFace);
}

QRect unitsOf(const ControlDef &c) { return QRect(c.x, c.y, c.width, c.height); }

// The classic group box: an etched frame whose top edge runs through the middle of the caption line,
// caption or not, and an unfilled inside, so that neighbouring boxes overlapping by a few units show
// both frames and the radio buttons stand on the window's own colour.
class FrameBox : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const QFontMetrics fm(font());
        const QRect frame = rect().adjusted(0, fm.height() / 2, -1, -1);
        p.setPen(palette().color(QPalette::Dark));
        p.drawRect(frame.adjusted(0, 0, -1, -1));
        p.setPen(palette().color(QPalette::Light));
        p.drawRect(frame.adjusted(1, 1, 0, 0));
        if (title().isEmpty())
            return;
        const QRect caption(fm.averageCharWidth(), 0, fm.horizontalAdvance(title()) + 4, fm.height());
        p.fillRect(caption, palette().color(QPalette::Window));
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(caption, Qt::AlignCenter, title());
    }
};

// A radio button answers a click anywhere on its rectangle, not only on its mark and caption.
class ItemRadioButton : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    bool hitButton(const QPoint &pos) const override { return rect().contains(pos); }
};

pfc_picture_command_button *makeButton(QWidget *window, const char *name, const QString &text,
                                       const ButtonVariant &v, bool enabled)
{
    auto *b = new pfc_picture_command_button(window);
    b->setObjectName(QLatin1String(name));
    b->buttontext = text;
    if (v.bitmapname)
        b->bitmapname = QLatin1String(v.bitmapname);
    b->place(v.x, v.y, v.width);
    b->setEnabled(enabled);
    b->constructor();
    return b;
}

} // namespace

} // namespace settings

using namespace settings;

w_xm_dx::w_xm_dx(const StudyYearVariant &variant, QWidget *parent, std::unique_ptr<d_xmsz> form)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), variant_(variant),
      dw_1_(form ? std::move(form) : std::make_unique<d_xmsz>(rt::sqlca()))
{
    setWindowTitle(QString::fromUtf8(variant.title));
    rt::setBackColor(this, rt::syscolor::ButtonFace);
    rt::sizeWindow(this, kWindowWidth, variant.height);
    createControls();
    rt::centerOnScreen(this);
}

w_xm_dx::~w_xm_dx() = default;

void w_xm_dx::createControls()
{
    cb_2_ = makeButton(this, "cb_2", QStringLiteral("关闭(&X)"), variant_.close, true);
    cb_1_ = makeButton(this, "cb_1", QStringLiteral("保存（&S)"), variant_.save, false);
    connect(cb_2_, &pfc_picture_command_button::clicked, this, [this] { close(); });
    connect(cb_1_, &pfc_picture_command_button::clicked, this, [this] { save(); });

    // Each untitled inner box makes the radio buttons that lie wholly inside it exclusive; the two
    // fixed items of a sex lie in no inner box and stay checked together.
    QList<QPair<QRect, QButtonGroup *>> innerBoxes;
    for (const ControlDef &c : kControls) {
        if (c.kind == Kind::InnerBox) {
            auto *group = new QButtonGroup(this);
            group->setObjectName(QLatin1String(c.name));
            group->setExclusive(true);
            groups_ << group;
            innerBoxes.append({unitsOf(c), group});
        }
    }

    QList<QWidget *> boxes;
    for (const ControlDef &c : kControls) {
        QWidget *w = nullptr;
        if (c.kind == Kind::Form) {
            // The hidden control that stands for the form; the form itself is dw_1_.
            w = new QWidget(this);
            w->setFocusPolicy(Qt::NoFocus);
            w->hide();
        } else if (c.kind == Kind::Box || c.kind == Kind::InnerBox) {
            auto *box = new FrameBox(c.text ? QString::fromUtf8(c.text) : QString(), this);
            box->setFocusPolicy(Qt::NoFocus);
            boxes << box;
            w = box;
            applyStyle(w, c.style);
            box->setAutoFillBackground(false); // overlapping boxes must not paint over each other's frames
        } else {
            auto *rb = new ItemRadioButton(QString::fromUtf8(c.text), this);
            rb->setAutoExclusive(false);
            // A click takes the focus, so Enter or Space after choosing no longer reaches Close; Tab never
            // stops on a radio button.
            rb->setFocusPolicy(Qt::ClickFocus);
            if (c.kind == Kind::FixedRadio) {
                rb->setChecked(true);
                rb->setEnabled(false);
            } else {
                for (const auto &[rect, group] : innerBoxes)
                    if (rect.contains(unitsOf(c)))
                        group->addButton(rb);
                // Driven by the click, which also comes for an already checked button; code changes raise none.
                connect(rb, &QAbstractButton::clicked, this, [this] { setSaveEnabled(true); });
            }
            w = rb;
            applyStyle(w, c.style);
            // The style colours the caption; the check mark keeps the window-text colour, and a
            // disabled button (the fixed items) is greyed out as usual.
            QPalette pal = rb->palette();
            pal.setColor(QPalette::Text, rt::color(rt::syscolor::WindowText));
            const QPalette plain = QApplication::palette(rb);
            for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text})
                pal.setColor(QPalette::Disabled, role, plain.color(QPalette::Disabled, role));
            rb->setPalette(pal);
        }
        w->setObjectName(QLatin1String(c.name));
        rt::placeControl(w, c.x, c.y, c.width, c.height);
        if (c.toFront)
            w->raise();
    }
    // The boxes are drawn behind the buttons they hold and never take their clicks.
    for (QWidget *box : boxes)
        box->lower();

    // Tab visits the two buttons by their tab orders; at equal orders Save comes first.
    tabStops_ = {cb_1_->command_button(), cb_2_->command_button()};
    if (variant_.close.tabOrder < variant_.save.tabOrder)
        std::swap(tabStops_[0], tabStops_[1]);
}

bool w_xm_dx::focusNextPrevChild(bool next)
{
    // A clicked radio button holds the focus without being a Tab stop, and Qt would go on from it to its
    // neighbours in creation order and come back to it. Tab and Shift+Tab go round the two buttons
    // only, from a radio button to the first or the last of them, passing over Save while it is off.
    const int count = int(tabStops_.size());
    const auto at = std::find(tabStops_.begin(), tabStops_.end(), focusWidget());
    int index = at != tabStops_.end() ? int(at - tabStops_.begin()) : next ? -1 : count;
    for (int step = 0; step < count; ++step) {
        index = (index + (next ? 1 : count - 1)) % count;
        if (tabStops_[index]->isEnabled()) {
            tabStops_[index]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return false;
}

QRadioButton *w_xm_dx::radio(const char *name) const
{
    return findChild<QRadioButton *>(QLatin1String(name), Qt::FindDirectChildrenOnly);
}

bool w_xm_dx::saveEnabled() const
{
    return cb_1_->isEnabled() && !cb_1_->command_button()->testAttribute(Qt::WA_ForceDisabled);
}

void w_xm_dx::setSaveEnabled(bool on)
{
    cb_1_->command_button()->setEnabled(on);
    cb_1_->setEnabled(on);
}

void w_xm_dx::clearItemRadios()
{
    // An exclusive group keeps its checked button; lift the rule while clearing.
    for (QButtonGroup *g : groups_)
        g->setExclusive(false);
    for (const ItemRadio &item : kItemRadios)
        radio(item.radio)->setChecked(false);
    for (QButtonGroup *g : groups_)
        g->setExclusive(true);
}

bool w_xm_dx::openEvent()
{
    clearItemRadios();
    dw_1_->setTransObject(rt::sqlca());
    const QString code = QLatin1String(variant_.code);
    const long n = dw_1_->retrieve(code);
    if (n > 0) {
        for (const ItemRadio &item : kItemRadios) {
            if (dw_1_->getItemString(1, QLatin1String(item.column)) == QLatin1String("1"))
                radio(item.radio)->setChecked(true);
        }
    } else if (n < 0) {
        // A year whose settings cannot be read is not offered as a new one: its saved row may exist.
        rt::messageBox(kTitleNotice, QStringLiteral("项目设置不能读取！\n") + dw_1_->lastError(), rt::Icon::Exclamation);
        readFailed_ = true;
        setSaveEnabled(false);
    } else if (dw_1_->insertRow(0) == -1) {
        rt::messageBox(kTitleNotice, QStringLiteral("新建设置不能执行！"));
        setSaveEnabled(false);
    } else {
        setSaveEnabled(true);
    }
    cb_2_->command_button()->setFocus();
    return true;
}

void w_xm_dx::saveFailed(const QString &reason)
{
    saveFailed_ = true;
    QString text = QStringLiteral("保存失败！");
    if (!reason.isEmpty())
        text += QLatin1Char('\n') + reason;
    rt::messageBox(kTitleNotice, text, rt::Icon::Exclamation);
}

void w_xm_dx::save()
{
    const long row = dw_1_->getRow();
    if (row < 1) {
        // No row to write: the year's settings are not saved. After a failed read only a new opening
        // reads them again, so the operator is told to reopen the window.
        saveFailed(readFailed_ ? QStringLiteral("本窗口的项目设置未能读取，请关闭后重新打开。") : QString());
        return;
    }
    for (const ItemRadio &item : kItemRadios)
        dw_1_->setItem(row, QLatin1String(item.column),
                       radio(item.radio)->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    dw_1_->setItem(row, QStringLiteral("nj"), QLatin1String(variant_.code));
    dw_1_->acceptText();

    // A refused write and a COMMIT that did not go through both fail the save; the row counts as
    // stored only after the COMMIT. The transaction ends before the message: nothing waits on the
    // database while the operator reads it. The Save writes the one row with the window's values, so
    // where its connection was found lost (a restarted server) and made again, it runs once more on
    // the new one: even after a COMMIT that may have gone through, that stores the same row.
    rt::Transaction &sqlca = rt::sqlca();
    bool stored = false;
    QString reason;
    {
        rt::BusyCursor busy;
        for (int run = 1;; ++run) {
            stored = dw_1_->update(false) == 1;
            reason = dw_1_->lastError();
            if (stored && sqlca.commit() != 0) {
                stored = false;
                reason = sqlca.SQLErrText;
            }
            if (stored)
                break;
            sqlca.rollback();
            if (run == 2 || !sqlca.connectionMadeAgain())
                break;
        }
    }
    if (!stored) {
        saveFailed(reason);
        return;
    }
    dw_1_->resetUpdate();
    saveFailed_ = false;
    setSaveEnabled(false);
}

void w_xm_dx::closeEvent(QCloseEvent *event)
{
    // The opener learns that the year's row could not be stored.
    rt::message().doubleParm = saveFailed_ ? settings::kClosedAfterFailedSave : 0;
    QWidget::closeEvent(event);
}
