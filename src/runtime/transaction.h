#pragma once
// The transaction object: connection settings and the outcome of the last statement, over Qt SQL's
// ODBC driver. SQLCode is 0 on success, 100 when a query found no row, -1 on an error; SQLErrText
// then carries the driver's own message.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace rt {

class Transaction {
public:
    explicit Transaction(QString connectionName = QStringLiteral("sqlca"));
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    QString DBMS;
    bool AutoCommit = true;
    QString DBParm;
    QString LogId;
    QString LogPass;

    long SQLCode = 0;
    long SQLDBCode = 0;
    long SQLNRows = 0;
    QString SQLErrText;

    // CONNECT / DISCONNECT / COMMIT / ROLLBACK: 0 on success; the outcome is also in SQLCode.
    // A COMMIT that fails rolls the transaction back.
    int connect();
    int disconnect();
    int commit();
    int rollback();
    bool isConnected() const;

    // Runs one statement with bound parameters ('?' placeholders). A float binds as a real.
    // SQLCode: 0 done, 100 a SELECT without a row, -1 error. SQLNRows: rows touched, or 1 for a
    // SELECT, which then stands on its first row.
    QSqlQuery execute(const QString &sql, const QVariantList &params = {});

    // The ODBC connect string held by DBParm's ConnectString='…', as ODBC receives it.
    static QString connectStringOf(const QString &dbparm);

    QSqlDatabase database() const;
    const QString &connectionName() const { return connectionName_; }

private:
    void setError(const QString &text, long code = -1);
    void setSuccess();
    void beginIfManual();
    int endTransaction(bool commit);

    QString connectionName_;
    bool connected_ = false;
};

// The one transaction object of the program.
Transaction &sqlca();

} // namespace rt
