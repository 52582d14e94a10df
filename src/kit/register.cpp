#include "kit/register.h"

#include "kit/toolbar_state.h"
#include "kit/uo_toolbarutil.h"
#include "kit/w_genapp_toolbars.h"
#include "runtime/registry.h"

#include <QMainWindow>
#include <QToolBar>

namespace kit {

void registerWindows()
{
    rt::windows().registerClass(QStringLiteral("w_genapp_toolbars"), rt::WindowType::Response,
                                [](QWidget *parent) { return new w_genapp_toolbars(parent); });

    // The application's toolbar text setting follows the labels of every frame toolbar shown.
    QObject::connect(&rt::windows(), &rt::WindowRegistry::windowShown, &rt::windows(), [](QWidget *window) {
        if (auto *frame = qobject_cast<QMainWindow *>(window)) {
            for (QToolBar *toolbar : frame->findChildren<QToolBar *>(Qt::FindDirectChildrenOnly)) {
                if (!toolbar->property(uo_toolbarutil::kWindowClassProperty).toString().isEmpty())
                    keepToolbarTextInStep(toolbar);
            }
        }
    });
}

} // namespace kit
