#pragma once
// The about box: whom to contact for technical support and upgrades, a link to the upgrade site that
// opens in the system's browser, and "关闭(&X)".
#include <QWidget>

class w_about : public QWidget {
    Q_OBJECT
public:
    explicit w_about(QWidget *parent = nullptr);

    static QString upgradeUrl() { return QStringLiteral("https://www.example.org/fitmarkel/"); }

protected:
    void paintEvent(QPaintEvent *event) override;
};
