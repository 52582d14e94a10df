#include "kit/uo_microbarutil.h"

#include "runtime/fonts.h"
#include "runtime/registry.h"

#include <QMainWindow>
#include <QStatusBar>

void uo_microbarutil::of_initmicrobar(QWidget *aw_frame, int runtimeMajorVersion)
{
    if (!aw_frame)
        return;
    const QString className = rt::windows().classOf(aw_frame);
    auto *frame = qobject_cast<QMainWindow *>(aw_frame);
    if (!frame || className.isEmpty() || rt::windows().typeOf(className) != rt::WindowType::MdiFrame)
        return;
    // Only a frame that already has its status bar: asking QMainWindow for one would create it.
    auto *bar = frame->findChild<QStatusBar *>(QString(), Qt::FindDirectChildrenOnly);
    if (!bar)
        return;
    if (runtimeMajorVersion < 6 || runtimeMajorVersion > 8)
        return;
    // The font is a Win32 LOGFONT height: a negative one is the character height in pixels.
    bar->setFont(rt::fontOfTextSize(QStringLiteral("宋体"), -kFontHeight));
    bar->setFixedHeight(kBarHeight);
}
