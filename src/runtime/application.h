#pragma once
// The application object's properties that windows read and change.
#include <QObject>
#include <QString>

namespace rt {

class Application : public QObject {
    Q_OBJECT
public:
    static Application &instance();

    QString appName;
    QString microHelpDefault = QStringLiteral("就绪");
    bool toolbarUserControl = true;

    bool toolbarText() const { return toolbarText_; }
    void setToolbarText(bool on);
    bool toolbarTips() const { return toolbarTips_; }
    void setToolbarTips(bool on);

signals:
    void toolbarTextChanged(bool on);
    void toolbarTipsChanged(bool on);

private:
    bool toolbarText_ = false;
    bool toolbarTips_ = true;
};

inline Application &application() { return Application::instance(); }

} // namespace rt
