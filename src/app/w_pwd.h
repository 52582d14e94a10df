#pragma once
// The start window: greets the operator and offers the login ("登录(&L)"), which opens the frame and
// styles its toolbar, and the exit ("退出(&X)").
#include <QWidget>

class pfc_picture_command_button;

class w_pwd : public QWidget {
    Q_OBJECT
public:
    explicit w_pwd(QWidget *parent = nullptr);

    void login();
    void exit();

private:
    pfc_picture_command_button *uo_3_;
    pfc_picture_command_button *uo_4_;
};
