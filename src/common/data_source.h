#pragma once
// How the program reaches its data: the ODBC data source vemka with the program's fixed password,
// AutoCommit off. The program's sqlca and the weight-limit loader connect alike.
namespace rt {
class Transaction;
}

namespace common {

void useProgramDataSource(rt::Transaction &tr);

} // namespace common
