#include "app/book.h"

#include "common/data_source.h"
#include "runtime/application.h"
#include "runtime/busy_cursor.h"
#include "runtime/messagebox.h"
#include "runtime/registry.h"
#include "runtime/transaction.h"

void book::create()
{
    rt::application().appName = QStringLiteral("book");
    rt::message() = rt::Message{};
}

bool book::open(const QString &)
{
    rt::Transaction &sqlca = rt::sqlca();
    common::useProgramDataSource(sqlca);
    {
        rt::BusyCursor busy;
        sqlca.connect();
    }
    if (sqlca.SQLCode != 0) {
        rt::messageBox(QStringLiteral("数据库连接失败"), sqlca.SQLErrText);
        return false;
    }
    connected_ = true;

    if (rt::windows().hasClass(QStringLiteral("w_flash")))
        rt::windows().open(QStringLiteral("w_flash"));
    // Every frame toolbar of the run is made with user control off.
    rt::application().toolbarUserControl = false;
    return true;
}

void book::close()
{
    if (!connected_)
        return;
    rt::BusyCursor busy;
    rt::sqlca().disconnect();
    connected_ = false;
}

void book::destroy() { rt::message() = rt::Message{}; }
