#pragma once
// The splash window: the title picture for two seconds or until a click; then the start window opens
// and the splash closes, in one step, so there is never a second start window.
#include <QWidget>

class QLabel;
class QTimer;

class w_flash : public QWidget {
    Q_OBJECT
public:
    explicit w_flash(QWidget *parent = nullptr);

    static constexpr int kIntervalMs = 2000;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void finish();

    QLabel *p_1_;
    QTimer *timer_;
    bool finished_ = false;
};
