#include "app/m_main.h"

#include "app/d_start.h"
#include "app/globals.h"
#include "app/pictures.h"
#include "app/w_main1.h"
#include "kit/uo_toolbarutil.h"
#include "runtime/registry.h"

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QWidget>
#include <algorithm>
#include <vector>

namespace {

using Cmd = m_main::Command;

struct MenuItem {
    const char *name;
    int level; // 0 the menu bar, 1 a dropdown, 2 a cascade
    const char *text;
    const char *microHelp;
    const char *shortcut;
    Cmd command;
    const char *window; // the class an OpenWindow item opens
    const char *toolbarItemName;
    const char *toolbarItemText;
    int toolbarItemOrder;
    int toolbarItemSpace;
    bool enabled;
};

// The menu tree in the order it is built and shown.
constexpr MenuItem kItems[] = {
    {"m_file", 0, "系统管理(&S)", "", "", Cmd::None, "", "", "", 0, 0, true},
    {"m_工具栏设置b", 1, "工具栏设置(&B)", "工具栏设置(&B)", "", Cmd::ToolbarSettings, "w_genapp_toolbars", "", "", 0, 0, true},
    {"m_-34", 1, "-", "", "", Cmd::None, "", "", "", 0, 0, true},
    {"m_重新登录", 1, "重新登录\tAlt+I", "重新登录[Alt+I]", "Alt+I", Cmd::Relogin, "", "RunSCC!", "重新登录", 10, 2, true},
    {"m_-2", 1, "-", "", "", Cmd::None, "", "", "", 0, 0, true},
    {"m_退出系统", 1, "退出系统\tAlt+X", "退出系统[Alt+X]", "Alt+X", Cmd::Exit, "", "Exit!", "退出系统", 10, 2, true},
    {"m_项目设置", 0, "项目设置", "", "", Cmd::None, "", "", "", 0, 0, true},
    {"m_大学0", 1, "大学", "", "", Cmd::None, "", "", "", 0, 0, true},
    {"m_大一", 2, "大一项目", "大一项目设置", "", Cmd::OpenWindow, "w_xm_dx1", "FullBuild!", "大一项目", 1, 0, true},
    {"m_大二", 2, "大二项目", "大二项目设置", "", Cmd::OpenWindow, "w_xm_dx2", "FullBuild!", "大二项目", 3, 2, true},
    {"m_大三", 2, "大三项目", "大三项目设置", "", Cmd::OpenWindow, "w_xm_dx3", "FullBuild!", "大三项目", 5, 2, true},
    {"m_大四", 2, "大四项目", "大四项目设置", "", Cmd::OpenWindow, "w_xm_dx4", "FullBuild!", "大四项目", 7, 2, true},
    {"m_成绩计算", 0, "成绩计算", "", "", Cmd::None, "", "", "", 0, 0, true},
    {"m_大学", 1, "大学", "", "", Cmd::None, "", "", "", 0, 0, true},
    {"m_1", 2, "大一成绩计算", "大一成绩计算", "", Cmd::OpenWindow, "w_jsq_dx1", "Properties!", "大一成绩", 2, 0, true},
    {"m_2", 2, "大二成绩计算", "大二成绩计算", "", Cmd::OpenWindow, "w_jsq_dx2", "Properties!", "大二成绩", 4, 0, true},
    {"m_3", 2, "大三成绩计算", "大三成绩计算", "", Cmd::OpenWindow, "w_jsq_dx3", "Properties!", "大三成绩", 6, 0, true},
    {"m_4", 2, "大四成绩计算", "", "", Cmd::OpenWindow, "w_jsq_dx4", "Properties!", "大四成绩", 8, 0, true},
    {"m_-8", 2, "-", "", "", Cmd::None, "", "", "", 0, 0, true},
    {"m_毕业成绩", 2, "毕业成绩计算", "初中毕业成绩", "", Cmd::OpenWindow, "w_jsq_by", "EditObject!", "毕业成绩", 9, 2, true},
    {"m_工具", 0, "工具", "", "", Cmd::None, "", "", "", 0, 0, true},
    {"m_计算器", 1, "计算器", "计算器", "", Cmd::OpenWindow, "w_4", "", "", 0, 0, true},
    {"m_导航", 0, "导航", "", "", Cmd::Navigate, "", "", "", 0, 0, true},
    {"m_帮助", 0, "帮助", "", "", Cmd::None, "", "", "", 0, 0, true},
    {"m_-4", 1, "-", "", "", Cmd::None, "", "", "", 0, 0, true},
    {"m_-5", 1, "-", "", "", Cmd::None, "", "", "", 0, 0, true},
    {"m_关于", 1, "技术支持", "", "", Cmd::OpenWindow, "w_about", "", "", 0, 0, true},
    {"m_0", 0, "Version 3.0 Build 0101", "", "", Cmd::None, "", "", "", 0, 0, false},
};
constexpr int kItemCount = int(std::size(kItems));

QString u(const char *text) { return QString::fromUtf8(text); }

} // namespace

m_main::m_main(QMainWindow *parentWindow, QMenuBar *bar, QToolBar *toolbar)
    : QObject(parentWindow), parentWindow_(parentWindow)
{
    QMenu *menus[3] = {nullptr, nullptr, nullptr}; // the open dropdown or cascade of each level
    struct Button {
        int order;
        int index;
        QAction *action;
    };
    std::vector<Button> buttons;

    for (int i = 0; i < kItemCount; ++i) {
        const MenuItem &item = kItems[i];
        const bool hasChildren = i + 1 < kItemCount && kItems[i + 1].level > item.level;
        QAction *action = nullptr;
        if (hasChildren) {
            QMenu *menu = new QMenu(u(item.text), parentWindow);
            menu->setObjectName(u(item.name));
            // Every separator line is drawn, also two in a row at the top of a dropdown.
            menu->setSeparatorsCollapsible(false);
            action = menu->menuAction();
            if (item.level == 0)
                bar->addMenu(menu);
            else
                menus[item.level - 1]->addMenu(menu);
            menus[item.level] = menu;
        } else if (u(item.text) == QLatin1String("-")) {
            action = menus[item.level - 1]->addSeparator();
        } else {
            action = new QAction(u(item.text), parentWindow);
            if (item.level == 0)
                bar->addAction(action);
            else
                menus[item.level - 1]->addAction(action);
        }
        action->setObjectName(u(item.name));
        action->setEnabled(item.enabled);
        action->setStatusTip(u(item.microHelp));
        if (*item.shortcut)
            action->setShortcut(QKeySequence(u(item.shortcut)));
        if (*item.toolbarItemName) {
            action->setIcon(pictures::icon(u(item.toolbarItemName)));
            action->setIconVisibleInMenu(false);
            // The button's label and tooltip.
            action->setIconText(u(item.toolbarItemText));
            action->setToolTip(u(item.toolbarItemText));
            buttons.push_back(Button{item.toolbarItemOrder, i, action});
        }
        if (item.command != Cmd::None) {
            const Command command = item.command;
            const QString target = u(item.window);
            connect(action, &QAction::triggered, this, [this, command, target] { run(command, target); });
        }
    }

    // Ascending order, equal orders in menu order; a gap where the item asks for space.
    std::stable_sort(buttons.begin(), buttons.end(), [](const Button &a, const Button &b) { return a.order < b.order; });
    for (const Button &button : buttons) {
        const int space = kItems[button.index].toolbarItemSpace;
        if (space > 0) {
            auto *gap = new QWidget(toolbar);
            gap->setObjectName(QStringLiteral("gap_") + u(kItems[button.index].name));
            gap->setProperty(uo_toolbarutil::kSpaceProperty, space);
            // Square, so the gap holds in a toolbar of either orientation.
            gap->setFixedSize(space * kSpacingUnit, space * kSpacingUnit);
            toolbar->addWidget(gap);
        }
        toolbar->addAction(button.action);
    }
}

QAction *m_main::item(const QString &name) const
{
    return parentWindow_->findChild<QAction *>(name);
}

void m_main::run(Command command, const QString &target)
{
    rt::WindowRegistry &windows = rt::windows();
    switch (command) {
    case Command::None:
        break;
    case Command::ToolbarSettings:
        windows.openWithParm(target, windows.window(QStringLiteral("w_main1")), parentWindow_);
        break;
    case Command::Relogin:
        // The start window opens before the frame closes, so the program keeps an open window.
        windows.open(QStringLiteral("w_pwd"));
        rt::closeWindow(parentWindow_);
        break;
    case Command::Exit:
        rt::closeWindow(parentWindow_);
        break;
    case Command::OpenWindow:
        // Main windows (the calculator) open on their own; response windows over the frame.
        windows.open(target, windows.typeOf(target) == rt::WindowType::Response ? parentWindow_ : nullptr);
        break;
    case Command::Navigate:
        navigate();
        break;
    }
}

void m_main::navigate()
{
    // The frame and its controls are reached through the frame's global variable.
    auto *frame = qobject_cast<w_main1 *>(rt::windows().window(QStringLiteral("w_main1")));
    if (!frame)
        return;
    if (!button_flag()) {
        frame->dw_main()->setVisible(true);
        frame->p_2()->setVisible(false);
        button_flag() = true;
    } else {
        frame->dw_main()->setVisible(false);
        const QSize outer = frame->outerSizeUnits();
        frame->placeInClient(frame->p_2(), 0, 210, outer.width(), std::max(0, outer.height() - 515));
        frame->p_2()->setVisible(true);
        button_flag() = false;
    }
}
