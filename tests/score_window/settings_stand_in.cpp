#include "settings_stand_in.h"

#include "runtime/registry.h"

#include <QTimer>

namespace standin {

std::deque<std::function<void()>> &actions()
{
    static std::deque<std::function<void()>> queue;
    return queue;
}

int &openings()
{
    static int n = 0;
    return n;
}

namespace {

class StandInSettings : public QWidget {
public:
    explicit StandInSettings(QWidget *parent) : QWidget(parent, Qt::Dialog) { resize(200, 100); }

protected:
    void showEvent(QShowEvent *event) override
    {
        QWidget::showEvent(event);
        ++openings();
        QTimer::singleShot(0, this, [this] {
            if (!standin::actions().empty()) {
                const auto action = standin::actions().front();
                standin::actions().pop_front();
                action();
            }
            close();
        });
    }
};

} // namespace

void registerSettingsWindows()
{
    for (const char *name : {"w_xm_dx1", "w_xm_dx2", "w_xm_dx3"})
        rt::windows().registerClass(QLatin1String(name), rt::WindowType::Response,
                                    [](QWidget *parent) { return new StandInSettings(parent); });
}

} // namespace standin
