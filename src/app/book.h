#pragma once
// The application object: its events run in the order create, open, (the event loop), close, destroy.
#include <QString>

class book {
public:
    // Sets the application's name and makes the global objects.
    void create();
    // Sets up and connects sqlca; on failure shows "数据库连接失败" with the driver's text and returns
    // false, with no window open. On success opens the splash window and returns true.
    bool open(const QString &commandline);
    void idle() {}
    // Disconnects sqlca, once.
    void close();
    void destroy();

private:
    bool connected_ = false;
};
