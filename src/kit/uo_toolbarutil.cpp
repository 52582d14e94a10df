#include "kit/uo_toolbarutil.h"

#include "runtime/fonts.h"

#include <QFontMetrics>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

uo_toolbarutil *&guo_toolbarutil()
{
    // Lives until the program ends; nothing replaces it once made.
    static uo_toolbarutil *object = nullptr;
    return object;
}

QString uo_toolbarutil::toolbarClassFor(int runtimeMajorVersion)
{
    return QStringLiteral("FNFIXEDBAR%1").arg(runtimeMajorVersion * 10);
}

void uo_toolbarutil::detach()
{
    il_ptoolbar = nullptr;
}

bool uo_toolbarutil::of_inittoolbar(QWidget *aw_frame, int ai_size)
{
    if (!aw_frame) {
        detach();
        return false;
    }
    il_hframe = aw_frame;
    QToolBar *found = nullptr;
    const auto toolbars = aw_frame->findChildren<QToolBar *>(Qt::FindDirectChildrenOnly);
    for (QToolBar *toolbar : toolbars) {
        if (toolbar->property(kWindowClassProperty).toString() == is_toolclassname) {
            found = toolbar;
            break;
        }
    }
    if (!found) {
        // The earlier frame's toolbar may be gone: never write into it again.
        detach();
        return false;
    }
    il_ptoolbar = found;
    if (ai_size > 16) {
        il_hbitmap = QSize(ai_size, ai_size);
        ii_iconsize = ai_size;
    }
    return true;
}

void uo_toolbarutil::of_settoolbarfont(const QString &as_fontname, int ai_fontsize, const QString &as_extent)
{
    if (il_ptoolbar)
        fn_toolbarsetfont(il_ptoolbar, as_fontname, ai_fontsize, il_hbitmap, as_extent);
}

void uo_toolbarutil::of_toolbarshowtext(bool ib_show)
{
    if (il_ptoolbar)
        fn_toolbarshowtext(il_ptoolbar, ib_show);
    if (ib_show)
        of_displayseperator();
    else if (ii_iconsize > 16)
        of_adjusttoolbariconsize();
}

void uo_toolbarutil::of_displayseperator()
{
    if (!il_ptoolbar)
        return;
    const auto gaps = il_ptoolbar->findChildren<QWidget *>();
    for (QWidget *gap : gaps) {
        const int space = gap->property(kSpaceProperty).toInt();
        if (space > 0)
            gap->setFixedSize(space * kLabelledSeparator, space * kLabelledSeparator);
    }
}

void uo_toolbarutil::of_adjusttoolbariconsize()
{
    if (ii_iconsize <= 16 || !il_ptoolbar)
        return;
    const int size = ii_iconsize;
    il_ptoolbar->setIconSize(QSize(size, size));
    // Labels-off buttons: the icon with a raised edge, size + 7 wide and size + 6 high.
    const auto buttons = il_ptoolbar->findChildren<QToolButton *>();
    for (QToolButton *button : buttons) {
        if (button->defaultAction() && !button->defaultAction()->isSeparator()) {
            button->setMinimumSize(0, 0);
            button->setFixedSize(size + 7, size + 6);
        }
    }
}

void uo_toolbarutil::fn_toolbarsetfont(QToolBar *toolbar, const QString &fontname, int fontsize, QSize bitmap,
                                       const QString &str)
{
    const QFont font = rt::fontOfTextSize(fontname, fontsize);
    toolbar->setFont(font);
    if (bitmap.isValid())
        toolbar->setIconSize(bitmap);
    // Every labelled button is at least as wide as the sample text.
    const QFontMetrics metrics(font);
    const int labelWidth = metrics.horizontalAdvance(str) + 8;
    const auto buttons = toolbar->findChildren<QToolButton *>();
    for (QToolButton *button : buttons) {
        if (button->defaultAction())
            button->setFont(font);
    }
    toolbar->setProperty("rt_labelwidth", labelWidth);
}

void uo_toolbarutil::fn_toolbarshowtext(QToolBar *toolbar, bool bshow)
{
    toolbar->setToolButtonStyle(bshow ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
    const int labelWidth = toolbar->property("rt_labelwidth").toInt();
    const auto buttons = toolbar->findChildren<QToolButton *>();
    for (QToolButton *button : buttons) {
        if (!button->defaultAction())
            continue;
        // Labelled buttons size themselves to icon and label; unlabelled ones to the icon.
        button->setMinimumSize(0, 0);
        button->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        if (bshow)
            button->setMinimumWidth(labelWidth);
    }
}
