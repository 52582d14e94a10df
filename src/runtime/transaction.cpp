#include "runtime/transaction.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>

#include <sql.h>
#include <sqlext.h>

namespace rt {

namespace {

// The driver's diagnostic text; Qt's own words ("QODBC: Unable to …") only where the driver said nothing.
QString errorText(const QSqlError &e)
{
    const QString db = e.databaseText().trimmed();
    return db.isEmpty() ? e.driverText().trimmed() : db;
}

// A statement that only reads; anything else may write and so belongs to the transaction.
bool isRead(const QString &sql)
{
    const QString statement = sql.trimmed();
    for (const QLatin1String keyword : {QLatin1String("SELECT"), QLatin1String("WITH")}) {
        if (statement.startsWith(keyword, Qt::CaseInsensitive)
            && (statement.size() == keyword.size() || !statement.at(keyword.size()).isLetterOrNumber()))
            return true;
    }
    return false;
}

// The connection's ODBC handle, or null for another driver.
SQLHDBC odbcHandle(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    if (handle.metaType() != QMetaType::fromType<SQLHANDLE>())
        return nullptr;
    return *static_cast<const SQLHANDLE *>(handle.constData());
}

} // namespace

Transaction::Transaction(QString connectionName) : connectionName_(std::move(connectionName)) {}

Transaction::~Transaction()
{
    if (connected_)
        disconnect();
}

QString Transaction::connectStringOf(const QString &dbparm)
{
    // ConnectString = '…', the key in any case, blanks allowed around "=".
    const QLatin1String key("ConnectString");
    for (qsizetype at = dbparm.indexOf(key, 0, Qt::CaseInsensitive); at >= 0;
         at = dbparm.indexOf(key, at + 1, Qt::CaseInsensitive)) {
        qsizetype i = at + key.size();
        auto skipBlanks = [&] {
            while (i < dbparm.size() && dbparm.at(i).isSpace())
                ++i;
        };
        skipBlanks();
        if (i >= dbparm.size() || dbparm.at(i) != u'=')
            continue;
        ++i;
        skipBlanks();
        if (i >= dbparm.size() || dbparm.at(i) != u'\'')
            continue;
        const qsizetype end = dbparm.indexOf(u'\'', i + 1);
        if (end >= 0)
            return dbparm.mid(i + 1, end - i - 1);
    }
    return QString();
}

QSqlDatabase Transaction::database() const { return QSqlDatabase::database(connectionName_, false); }

bool Transaction::isConnected() const { return connected_; }

void Transaction::setError(const QString &text, long code)
{
    SQLCode = code;
    SQLErrText = text;
}

void Transaction::setErrorOf(const QSqlError &error)
{
    setError(errorText(error));
    SQLDBCode = error.nativeErrorCode().toLong();
}

void Transaction::setSuccess()
{
    SQLCode = 0;
    SQLDBCode = 0;
    SQLErrText.clear();
}

int Transaction::connect()
{
    if (connected_) {
        setError(QStringLiteral("Transaction already connected"));
        return -1;
    }
    if (DBMS.compare(QLatin1String("ODBC"), Qt::CaseInsensitive) != 0) {
        setError(QStringLiteral("Unsupported DBMS: %1").arg(DBMS));
        return -1;
    }
    if (QSqlDatabase::contains(connectionName_))
        QSqlDatabase::removeDatabase(connectionName_);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), connectionName_);
    if (!db.isValid()) {
        setError(QStringLiteral("The ODBC driver of Qt SQL is not available"));
        QSqlDatabase::removeDatabase(connectionName_);
        return -1;
    }

    // Qt's ODBC driver puts "DSN=" before a plain name and appends ";UID=" and ";PWD=" itself, so a
    // connect string of DSN, UID and PWD goes over as its parts and reaches ODBC as written.
    const QString cs = connectStringOf(DBParm);
    QString dsn, uid, pwd, rest;
    for (const QString &pair : cs.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int eq = pair.indexOf(QLatin1Char('='));
        const QString key = pair.left(eq).trimmed().toUpper();
        const QString value = eq < 0 ? QString() : pair.mid(eq + 1);
        if (key == QLatin1String("DSN") && dsn.isEmpty())
            dsn = value;
        else if (key == QLatin1String("UID") && uid.isEmpty())
            uid = value;
        else if (key == QLatin1String("PWD") && pwd.isEmpty())
            pwd = value;
        else
            rest += pair + QLatin1Char(';');
    }
    if (!rest.isEmpty() || dsn.isEmpty()) {
        db.setDatabaseName(cs); // a full string with DRIVER= is passed on unchanged
    } else {
        db.setDatabaseName(dsn);
        db.setUserName(uid.isEmpty() ? LogId : uid);
        db.setPassword(pwd.isEmpty() ? LogPass : pwd);
    }
    if (!db.open()) {
        setErrorOf(db.lastError());
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName_);
        return -1;
    }
    connected_ = true;
    lost_ = false;
    pending_ = false;
    fitLockWait();
    setSuccess();
    return 0;
}

int Transaction::disconnect()
{
    if (!connected_) {
        setError(QStringLiteral("Transaction not connected"));
        return -1;
    }
    statements_.clear();
    {
        QSqlDatabase db = database();
        if (pending_ && !lost_)
            db.rollback();
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName_);
    connected_ = false;
    lost_ = false;
    pending_ = false;
    setSuccess();
    return 0;
}

bool Transaction::reopen()
{
    statements_.clear();
    pending_ = false;
    QSqlDatabase db = database();
    db.close();
    lost_ = !db.open();
    if (lost_)
        setErrorOf(db.lastError());
    else
        fitLockWait();
    return !lost_;
}

bool Transaction::connectionLost() const
{
    SQLHDBC hdbc = odbcHandle(database());
    SQLUINTEGER dead = SQL_CD_FALSE;
    // A driver that cannot tell counts as connected.
    return hdbc && SQL_SUCCEEDED(SQLGetConnectAttr(hdbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)) && dead == SQL_CD_TRUE;
}

void Transaction::fitLockWait()
{
    // The SQLite ODBC driver waits for a lock by itself, for its data source's Timeout, and SQLite's
    // own wait comes on top of every try: a blocked statement waited twice the Timeout. Without
    // SQLite's own wait, it waits the Timeout once.
    SQLHDBC hdbc = odbcHandle(database());
    char dbms[32] = {};
    if (hdbc && SQL_SUCCEEDED(SQLGetInfo(hdbc, SQL_DBMS_NAME, dbms, sizeof dbms, nullptr)) && qstrcmp(dbms, "SQLite") == 0)
        QSqlQuery(database()).exec(QStringLiteral("PRAGMA busy_timeout = 0"));
}

int Transaction::commit() { return endTransaction(true); }

int Transaction::rollback() { return endTransaction(false); }

int Transaction::endTransaction(bool commit)
{
    if (!connected_) {
        setError(QStringLiteral("Transaction not connected"));
        return -1;
    }
    if (!pending_) {
        // Nothing was written since the last COMMIT or ROLLBACK: no transaction is open.
        setSuccess();
        return 0;
    }
    QSqlDatabase db = database();
    pending_ = false;
    if (commit ? db.commit() : db.rollback()) {
        setSuccess();
        return 0;
    }
    const QSqlError failure = db.lastError();
    // After a failed COMMIT nothing stays half-written: it is rolled back. Where the ROLLBACK fails
    // too, the database may already have ended the transaction by itself (SQLite does after a full
    // disk) or the connection is gone; a new connection is the one state known to be clean.
    const bool clean = (commit && db.rollback()) || reopen();
    if (commit || !clean) {
        setErrorOf(failure);
        return -1;
    }
    setSuccess();
    return 0;
}

QSqlQuery *Transaction::statement(const QString &sql)
{
    auto it = statements_.find(sql);
    if (it != statements_.end())
        return &it.value();
    QSqlQuery q(database());
    q.setForwardOnly(true);
    if (!q.prepare(sql)) {
        setErrorOf(q.lastError());
        return nullptr;
    }
    return &statements_.insert(sql, std::move(q)).value();
}

bool Transaction::run(const QString &sql, const QVariantList &params, bool read, Rows &rows)
{
    rows.clear();
    const bool opensTransaction = !read && !AutoCommit && !pending_;
    QSqlQuery *q = statement(sql);
    if (!q)
        return false;
    if (opensTransaction) {
        QSqlDatabase db = database();
        if (!db.transaction()) {
            setErrorOf(db.lastError());
            return false;
        }
        pending_ = true;
    }
    for (int i = 0; i < params.size(); ++i)
        q->bindValue(i, params[i]);
    bool ok = q->exec();
    if (ok && q->isSelect()) {
        const int columns = q->record().count();
        while (q->next()) {
            QVariantList row;
            row.reserve(columns);
            for (int c = 0; c < columns; ++c)
                row << q->value(c);
            rows << row;
        }
        ok = !q->lastError().isValid();
        SQLNRows = rows.size();
    } else if (ok) {
        SQLNRows = q->numRowsAffected();
    }
    if (!ok) {
        setErrorOf(q->lastError());
        statements_.remove(sql); // prepared afresh next time
        if (opensTransaction) {
            // Nothing else is in the transaction that this write began: end it at once.
            pending_ = false;
            if (!database().rollback())
                reopen();
        }
        return false;
    }
    const bool query = q->isSelect();
    q->finish(); // the read ends here: no cursor, no lock stays behind
    setSuccess();
    if (query && rows.isEmpty())
        SQLCode = 100;
    return true;
}

Transaction::Rows Transaction::execute(const QString &sql, const QVariantList &params)
{
    SQLNRows = 0;
    Rows rows;
    if (!connected_) {
        setError(QStringLiteral("Transaction not connected"));
        return rows;
    }
    if (lost_ && !reopen())
        return rows;
    const bool read = isRead(sql);
    const bool inTransaction = pending_;
    if (run(sql, params, read, rows) || !connectionLost())
        return rows;

    // The connection went away under the statement: make it again. A read runs once more; a write
    // keeps its failure, since what became of it is not known.
    const QString failure = SQLErrText;
    const long code = SQLDBCode;
    if (reopen() && read && !inTransaction && run(sql, params, read, rows))
        return rows;
    setError(failure);
    SQLDBCode = code;
    return rows;
}

Transaction &sqlca()
{
    static Transaction transaction(QStringLiteral("sqlca"));
    return transaction;
}

} // namespace rt
