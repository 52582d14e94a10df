#pragma once
// The transaction object: connection settings and the outcome of the last statement, over Qt SQL's
// ODBC driver. SQLCode is 0 on success, 100 when a query found no row, -1 on an error; SQLErrText
// then carries the driver's own message.
//
// The connection holds nothing between actions: a read runs on its own and ends with its last row
// read, so other programs and other PCs can write while windows are open. With AutoCommit off, the
// first write opens a transaction that only COMMIT or ROLLBACK ends. After any failure the connection
// is left clean. A connection found lost, or left unfit by a failure that a new one would not have (an
// embedded database file's I/O, read-only, moved, corrupt or full errors), is closed and made again;
// so, before the next statement, is one whose database file was replaced (a backup restored over it)
// or has become writable since it was made.
//
// A statement or COMMIT that meets another connection's lock waits for it once, at most as long as the
// data source says (the SQLite driver's Timeout, PostgreSQL's lock_timeout), and goes on once it is gone.
#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
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

    // Set before connect(), for a run that must give up within the data source's wait: connecting then
    // waits for no lock, and a statement outside a transaction, or a transaction from its first
    // statement to its COMMIT, waits for other connections' locks once in all, at most as long as the
    // SQLite driver's Timeout. (A server waits for each statement, up to its lock_timeout.)
    void setWaitOnce(bool once) { waitOnce_ = once; }

    // CONNECT / DISCONNECT / COMMIT / ROLLBACK: 0 on success; the outcome is also in SQLCode.
    // A COMMIT that fails rolls the transaction back.
    int connect();
    int disconnect();
    int commit();
    int rollback();
    bool isConnected() const;

    // The rows a statement returned, each with its columns in order (NULL as a null QVariant).
    using Rows = QList<QVariantList>;

    // Runs one statement with bound parameters ('?' placeholders); a float binds as a real. Each
    // statement text is prepared once per connection and reused. SQLCode: 0 done, 100 a query
    // without a row, -1 error. SQLNRows: the rows touched, or the rows a query returned.
    // A read that fails because the connection was lost is run once more on a new connection;
    // a write is not: it fails, and the next statement finds the connection made again.
    Rows execute(const QString &sql, const QVariantList &params = {});

    // The last statement or COMMIT failed because its connection was lost, and a new connection
    // already stands in its place: the transaction's work went with the old one (nothing of it is
    // pending), and a caller whose work stores the same state however often it runs may run it once
    // more. A COMMIT whose connection was lost may have gone through or not. ROLLBACK leaves this as
    // it was.
    bool connectionMadeAgain() const { return madeAgain_; }

    // The ODBC connect string held by DBParm's ConnectString='…', as ODBC receives it.
    static QString connectStringOf(const QString &dbparm);

    QSqlDatabase database() const;
    const QString &connectionName() const { return connectionName_; }

private:
    void setError(const QString &text, long code = -1);
    void setErrorOf(const QSqlError &error);
    void setSuccess();
    // Runs the statement once; false after setting the error.
    bool run(const QString &sql, const QVariantList &params, bool read, Rows &rows);
    QSqlQuery *statement(const QString &sql);
    // Closes and opens the connection again: nothing open, nothing prepared. False when it cannot.
    bool reopen();
    bool connectionLost() const;
    // Settles what the new connection needs: the lock wait and the database file it is bound to.
    void opened();
    // Ends the driver's transaction, drops the statements and closes the connection.
    void closeConnection();
    // A failure after which only a new connection works again, whatever its cause.
    bool needsNewConnection(const QSqlError &error) const;
    // SQLite: the database file is no longer the one the connection was made on, or is writable now
    // where it was not then.
    bool fileChanged() const;
    bool commitWaiting(QSqlDatabase &db);
    // SQLite: true, after a pause, when a try that began `tryBegun` ms into the wait `waited` met another
    // connection's lock and another try can end within the data source's wait.
    bool tryAgain(const QSqlError &error, const QElapsedTimer &waited, qint64 tryBegun);
    int endTransaction(bool commit);

    QString connectionName_;
    bool connected_ = false;
    bool lost_ = false;    // the connection went away; it is made again at the next statement
    bool pending_ = false; // a write waits for COMMIT or ROLLBACK
    bool unfit_ = false;   // the last statement's failure leaves the connection of no more use
    bool madeAgain_ = false; // the last failure lost its connection, and a new one is made
    QString source_;       // the connect string as given, the data source first, without user and password
    bool sqlite_ = false;
    int lockWait_ = 0;     // ms a COMMIT, and with the own wait a statement, waits for a lock (SQLite)
    bool waitOnce_ = false;
    bool ownWait_ = false; // the SQLite driver's own wait is cut: this object waits, within waited_
    QElapsedTimer waited_; // since the statement or transaction began
    struct DatabaseFile {
        QByteArray path;   // empty where unknown
        quint64 device = 0, inode = 0;
        bool writable = false;
    } file_;
    QHash<QString, QSqlQuery> statements_;
};

// The one transaction object of the program.
Transaction &sqlca();

} // namespace rt
