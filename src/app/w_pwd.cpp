#include "app/w_pwd.h"

#include "app/pictures.h"
#include "kit/f_create_toolbarutil.h"
#include "kit/pfc_picture_command_button.h"
#include "kit/uo_toolbarutil.h"
#include "runtime/colors.h"
#include "runtime/fonts.h"
#include "runtime/registry.h"
#include "runtime/static_text.h"
#include "runtime/units.h"

#include <QGroupBox>
#include <QLabel>

namespace {

constexpr rt::StaticText kTexts[] = {
    {"st_2", "欢迎使用", 114, 92, 517, 92, 16, 700, rt::rgb(255, 0, 255)},
    {"st_3", "（大学）", 795, 132, 274, 60, 10, 700, rt::rgb(0, 255, 0)},
    {"st_1", "Fitmarkel", 114, 228, 960, 84, 12, 700, rt::rgb(0, 0, 255)},
};

} // namespace

w_pwd::w_pwd(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("登录管理系统....."));
    setWindowIcon(pictures::icon(QStringLiteral("OleGenReg!")));
    rt::setBackColor(this, rt::syscolor::ButtonFace);
    rt::resizeWindow(this, 1682, 612);

    auto *gb_1 = new QGroupBox(this);
    gb_1->setObjectName(QStringLiteral("gb_1"));
    gb_1->setFont(rt::font(QStringLiteral("宋体"), 16, 400));
    rt::setTextColor(gb_1, rt::syscolor::WindowText);
    rt::placeControl(gb_1, 55, 20, 1047, 392);

    for (const rt::StaticText &t : kTexts)
        rt::addStaticText(this, t, QStringLiteral("宋体"));

    uo_3_ = new pfc_picture_command_button(this);
    uo_3_->setObjectName(QStringLiteral("uo_3"));
    uo_3_->buttontext = QStringLiteral("登录(&L)");
    uo_3_->bitmapname = QStringLiteral("Custom079!");
    uo_3_->place(1143, 180, 361);
    uo_3_->constructor();
    connect(uo_3_, &pfc_picture_command_button::clicked, this, &w_pwd::login);

    uo_4_ = new pfc_picture_command_button(this);
    uo_4_->setObjectName(QStringLiteral("uo_4"));
    uo_4_->buttontext = QStringLiteral("退出(&X)");
    uo_4_->bitmapname = QStringLiteral("Exit!");
    uo_4_->place(1143, 312, 361);
    uo_4_->constructor();
    connect(uo_4_, &pfc_picture_command_button::clicked, this, &w_pwd::exit);

    setTabOrder(uo_3_->command_button(), uo_4_->command_button());
    rt::centerOnScreen(this);
}

void w_pwd::login()
{
    rt::WindowRegistry &windows = rt::windows();
    windows.open(QStringLiteral("w_main1"));
    f_create_toolbarutil(guo_toolbarutil());
    // Without a utility object the frame keeps its toolbar's plain look.
    if (uo_toolbarutil *util = guo_toolbarutil()) {
        if (util->of_inittoolbar(windows.window(QStringLiteral("w_main1")), 24)) {
            util->of_settoolbarfont(QStringLiteral("Courier New"), -11, QStringLiteral("12345"));
            util->of_toolbarshowtext(true);
        }
    }
    rt::closeWindow(this);
}

void w_pwd::exit() { rt::closeWindow(this); }
