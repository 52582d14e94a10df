#include "kit/w_genapp_toolbars.h"

#include "kit/toolbar_state.h"
#include "kit/uo_toolbarutil.h"
#include "runtime/application.h"
#include "runtime/colors.h"
#include "runtime/fonts.h"
#include "runtime/units.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>

namespace kit {

namespace {

enum class Kind { Radio, Button, Check, Group };

struct ControlDef {
    const char *name;
    Kind kind;
    const char16_t *caption;
    int x, y, width, height;
    int tabOrder;
    int alignment; // the ToolbarAlignment a radio button sets
};

// In creation order; the radio buttons stand like the frame's edges, floating in the middle.
constexpr ControlDef kControls[] = {
    {"rb_floating", Kind::Radio, u"浮动(&F)", 485, 284, 293, 72, 0, kFloating},
    {"rb_bottom", Kind::Radio, u"底部(&B)", 485, 424, 297, 72, 0, kAlignBottom},
    {"rb_right", Kind::Radio, u"右边(&R)", 869, 284, 302, 72, 0, kAlignRight},
    {"rb_top", Kind::Radio, u"顶部(&T)", 485, 132, 297, 72, 0, kAlignTop},
    {"rb_left", Kind::Radio, u"左边(&L)", 105, 284, 293, 72, 0, kAlignLeft},
    {"cb_done", Kind::Button, u"关闭(&X)", 919, 716, 302, 92, 30, -1},
    {"cb_visible", Kind::Button, u"隐藏(&H)", 914, 604, 302, 92, 20, -1},
    {"cbx_showtips", Kind::Check, u"显示提示(&P)", 69, 708, 439, 72, 0, -1},
    {"cbx_showtext", Kind::Check, u"显示文字(&E)", 73, 600, 457, 72, 0, -1},
    {"gb_1", Kind::Group, u"工具栏位置", 55, 44, 1157, 492, 10, -1},
};

constexpr long kBackColor = 12632256; // RGB(192,192,192)
constexpr long kBoxTextColor = 134217729;

const QString kHideCaption = QStringLiteral("隐藏(&H)");
const QString kShowCaption = QStringLiteral("显示(&D)");

} // namespace

w_genapp_toolbars::w_genapp_toolbars(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("工具栏设置"));
    rt::setBackColor(this, kBackColor);
    rt::sizeWindow(this, 1317, 988);
    createControls();
    rt::centerOnScreen(this);
}

void w_genapp_toolbars::createControls()
{
    alignments_ = new QButtonGroup(this);
    alignments_->setExclusive(true);
    QGroupBox *group = nullptr;
    QList<QWidget *> tabChain;
    for (const ControlDef &def : kControls) {
        const QString caption = QString::fromUtf16(def.caption);
        QWidget *control = nullptr;
        bool bold = false;
        switch (def.kind) {
        case Kind::Radio: {
            auto *radio = new QRadioButton(caption, this);
            alignments_->addButton(radio, def.alignment);
            control = radio;
            bold = true;
            break;
        }
        case Kind::Button: {
            // Enter presses the focused button, or the default button "隐藏(&H)"/"显示(&D)".
            auto *button = new QPushButton(caption, this);
            button->setAutoDefault(true);
            control = button;
            break;
        }
        case Kind::Check:
            control = new QCheckBox(caption, this);
            bold = true;
            break;
        case Kind::Group:
            group = new QGroupBox(caption, this);
            control = group;
            break;
        }
        control->setObjectName(QString::fromLatin1(def.name));
        control->setFont(rt::font(QStringLiteral("MS Sans Serif"), 8, bold ? 700 : 400));
        rt::placeControl(control, def.x, def.y, def.width, def.height);
        if (def.kind == Kind::Radio || def.kind == Kind::Check) {
            rt::setBackColor(control, kBackColor);
            rt::setTextColor(control, kBoxTextColor);
        } else if (def.kind == Kind::Group) {
            rt::setBackColor(control, kBackColor);
            rt::setTextColor(control, rt::syscolor::WindowText);
        }
        // Controls of tab order 0 take the focus by a click only.
        if (def.kind != Kind::Group)
            control->setFocusPolicy(def.tabOrder > 0 ? Qt::StrongFocus : Qt::ClickFocus);
    }
    // The group box frames the radio buttons from behind.
    group->lower();

    cb_visible = findChild<QPushButton *>(QStringLiteral("cb_visible"));
    cb_visible->setDefault(true);
    auto *cb_done = findChild<QPushButton *>(QStringLiteral("cb_done"));
    cbx_showtips = findChild<QCheckBox *>(QStringLiteral("cbx_showtips"));
    cbx_showtext = findChild<QCheckBox *>(QStringLiteral("cbx_showtext"));
    setTabOrder(cb_visible, cb_done);

    connect(alignments_, &QButtonGroup::idClicked, this, [this](int alignment) {
        if (toolbar_)
            toolbar_->setAlignment(alignment);
    });
    connect(cb_visible, &QPushButton::clicked, this, &w_genapp_toolbars::cb_visible_clicked);
    connect(cbx_showtips, &QCheckBox::clicked, this, [](bool checked) { rt::application().setToolbarTips(checked); });
    connect(cbx_showtext, &QCheckBox::clicked, this, [](bool checked) {
        if (uo_toolbarutil *util = guo_toolbarutil())
            util->of_toolbarshowtext(checked);
    });
    connect(cb_done, &QPushButton::clicked, this, &QWidget::close);
}

bool w_genapp_toolbars::openEvent()
{
    iw_window = qobject_cast<QMainWindow *>(rt::message().powerObjectParm.data());
    toolbar_ = FrameToolbarState::of(iw_window);
    if (toolbar_) {
        keepToolbarTextInStep(toolbar_->toolbar());
        if (QAbstractButton *radio = alignments_->button(toolbar_->alignment()))
            radio->setChecked(true);
    }
    showVisibility(!toolbar_ || toolbar_->isVisible());
    cbx_showtext->setChecked(rt::application().toolbarText());
    cbx_showtips->setChecked(rt::application().toolbarTips());
    cb_visible->setFocus();
    return true;
}

void w_genapp_toolbars::showVisibility(bool visible)
{
    offersHide_ = visible;
    cb_visible->setText(visible ? kHideCaption : kShowCaption);
}

// Decided by what the button offers, which the opening took from the frame; the frame is not read again.
void w_genapp_toolbars::cb_visible_clicked()
{
    const bool show = !offersHide_;
    if (toolbar_)
        toolbar_->setVisible(show);
    showVisibility(show);
}

// The dialog has no cancel: Esc does nothing.
void w_genapp_toolbars::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace kit
