#include "common/data_source.h"

#include "runtime/transaction.h"

namespace common {

void useProgramDataSource(rt::Transaction &tr)
{
    tr.DBMS = QStringLiteral("ODBC");
    tr.AutoCommit = false;
    tr.DBParm = QStringLiteral("ConnectString='DSN=vemka;PWD=pelvok3864'");
}

} // namespace common
