#include "runtime/transaction.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QThread>

#include <odbcinst.h>
#include <sql.h>
#include <sqlext.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The value of a connect string's key (in any case), or a null QString.
QString attributeOf(const QString &connectString, QLatin1String key)
{
    for (const QString &pair : connectString.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        if (eq > 0 && pair.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return pair.mid(eq + 1).trimmed();
    }
    return QString();
}

// A key of a section of odbc.ini (the data sources) or odbcinst.ini (the drivers), as the driver
// manager finds it; empty where there is none.
QString profileString(const QString &section, const char *key, const char *file)
{
    char value[1024] = {};
    SQLGetPrivateProfileString(section.toLocal8Bit().constData(), key, "", value, sizeof value, file);
    return QString::fromLocal8Bit(value);
}

// How long the SQLite ODBC driver waits for another connection's lock, in ms, as it reads it: the
// connect string's Timeout, else its data source's; 100 s when there is none, 1000 s for one out of
// 1 to 1000000.
int sqliteTimeoutOf(const QString &connectString)
{
    QString timeout = attributeOf(connectString, QLatin1String("Timeout"));
    const QString dsn = attributeOf(connectString, QLatin1String("DSN"));
    if (timeout.isNull() && !dsn.isEmpty())
        timeout = profileString(dsn, "Timeout", "odbc.ini");
    bool number = false;
    const long ms = timeout.toLong(&number, 0);
    if (!number)
        return 100000;
    return ms < 1 || ms > 1000000 ? 1000000 : int(ms);
}

// Whether the connect string reaches the SQLite ODBC driver: its DRIVER, or the Driver of its data
// source, is that driver's library or the name that odbcinst.ini registers the library under.
bool reachesSqlite(const QString &connectString)
{
    QString driver = attributeOf(connectString, QLatin1String("DRIVER"));
    const QString dsn = attributeOf(connectString, QLatin1String("DSN"));
    if (driver.isNull() && !dsn.isEmpty())
        driver = profileString(dsn, "Driver", "odbc.ini");
    driver.remove(QLatin1Char('{')).remove(QLatin1Char('}'));
    const QString library = driver.contains(QLatin1Char('/')) ? driver : profileString(driver, "Driver", "odbcinst.ini");
    const QString file = QFileInfo(library).fileName();
    return file.startsWith(QLatin1String("libsqlite")) && file.contains(QLatin1String("odbc"));
}

// SQLite's primary result codes: the native error codes of the SQLite ODBC driver.
enum SqliteCode {
    kSqliteBusy = 5,
    kSqliteReadOnly = 8, // also a database file moved or replaced under the connection
    kSqliteIoError = 10,
    kSqliteCorrupt = 11,
    kSqliteFull = 13,
    kSqliteCantOpen = 14, // the file, or its journal
    kSqliteNotADatabase = 26,
};

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

    // Qt's ODBC driver puts "DSN=" before the database name unless that holds "DRIVER=" or "SERVER=",
    // and appends ";UID=" and ";PWD=" itself. So the data source's name goes over first and without
    // its key, the other attributes after it, the user and the password apart, and ODBC receives the
    // connect string as written, the data source's name first.
    const QString cs = connectStringOf(DBParm);
    QString dsn, uid, pwd;
    QStringList rest;
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
            rest << pair;
    }
    source_ = (dsn.isEmpty() ? rest : QStringList{QStringLiteral("DSN=") + dsn} + rest).join(QLatin1Char(';'));
    // The SQLite driver waits for a lock as long as its Timeout at every statement and already at
    // connecting (it reads the schema): with the one wait, its own is cut to 1 ms and this object waits.
    ownWait_ = waitOnce_ && reachesSqlite(cs);
    if (ownWait_) {
        rest.removeIf([](const QString &pair) {
            return pair.section(QLatin1Char('='), 0, 0).trimmed().compare(QLatin1String("Timeout"), Qt::CaseInsensitive) == 0;
        });
        rest << QStringLiteral("Timeout=1");
    }
    QString name = rest.join(QLatin1Char(';'));
    if (!dsn.isEmpty()) {
        name = name.isEmpty() ? dsn : dsn + QLatin1Char(';') + name;
        if (name.contains(QLatin1String("DRIVER="), Qt::CaseInsensitive) || name.contains(QLatin1String("SERVER="), Qt::CaseInsensitive))
            name.prepend(QLatin1String("DSN=")); // passed on as it is
    }
    db.setDatabaseName(name);
    db.setUserName(uid.isEmpty() ? LogId : uid);
    db.setPassword(pwd.isEmpty() ? LogPass : pwd);
    if (!db.open()) {
        setErrorOf(db.lastError());
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName_);
        return -1;
    }
    connected_ = true;
    lost_ = false;
    pending_ = false;
    unfit_ = false;
    opened();
    setSuccess();
    return 0;
}

int Transaction::disconnect()
{
    if (!connected_) {
        setError(QStringLiteral("Transaction not connected"));
        return -1;
    }
    if (pending_ && !lost_)
        database().rollback();
    closeConnection();
    QSqlDatabase::removeDatabase(connectionName_);
    connected_ = false;
    lost_ = false;
    pending_ = false;
    setSuccess();
    return 0;
}

void Transaction::closeConnection()
{
    statements_.clear();
    pending_ = false;
    unfit_ = false;
    QSqlDatabase db = database();
    if (sqlite_ && db.isOpen() && !db.rollback()) {
        // The driver refuses to disconnect while it counts a transaction as open, and the connection
        // then stays, database file and all. Where SQLite ended the transaction by itself (a full disk,
        // an I/O error), the driver still counts it: a BEGIN gives it one to end.
        db.transaction();
        QSqlQuery(db).exec(QStringLiteral("BEGIN"));
        db.rollback();
    }
    db.close();
}

bool Transaction::reopen()
{
    closeConnection();
    QSqlDatabase db = database();
    lost_ = !db.open();
    if (lost_)
        setErrorOf(db.lastError());
    else
        opened();
    return !lost_;
}

bool Transaction::connectionLost() const
{
    SQLHDBC hdbc = odbcHandle(database());
    SQLUINTEGER dead = SQL_CD_FALSE;
    // A driver that cannot tell counts as connected.
    return hdbc && SQL_SUCCEEDED(SQLGetConnectAttr(hdbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)) && dead == SQL_CD_TRUE;
}

void Transaction::opened()
{
    SQLHDBC hdbc = odbcHandle(database());
    char dbms[32] = {};
    sqlite_ = hdbc && SQL_SUCCEEDED(SQLGetInfo(hdbc, SQL_DBMS_NAME, dbms, sizeof dbms, nullptr)) && qstrcmp(dbms, "SQLite") == 0;
    lockWait_ = 0;
    file_ = DatabaseFile();
    if (!sqlite_)
        return; // a server waits for its locks itself, as long as its lock_timeout says
    // The SQLite ODBC driver gives SQLite a busy handler that waits up to the data source's Timeout,
    // then tries a busy statement again itself until the Timeout has passed since its own first try:
    // a statement blocked for good waited twice the Timeout. Without SQLite's wait (busy_timeout 0)
    // the driver's own wait is left, once. A COMMIT, though, the driver tries only ten times 10 ms
    // apart: commitWaiting() tries it again within the Timeout.
    QSqlQuery(database()).exec(QStringLiteral("PRAGMA busy_timeout = 0"));
    lockWait_ = sqliteTimeoutOf(source_);

    // The file the connection is bound to, as SQLite opened it: read-only where it could not be written.
    char name[4096] = {};
    struct stat st = {};
    if (SQL_SUCCEEDED(SQLGetInfo(hdbc, SQL_DATABASE_NAME, name, sizeof name, nullptr)) && ::stat(name, &st) == 0) {
        file_.path = name;
        file_.device = st.st_dev;
        file_.inode = st.st_ino;
        file_.writable = ::access(name, W_OK) == 0;
    }
}

bool Transaction::fileChanged() const
{
    struct stat st = {};
    // No file there at all: the connection keeps the one it has, and a write to it says why.
    if (file_.path.isEmpty() || ::stat(file_.path.constData(), &st) != 0)
        return false;
    if (quint64(st.st_dev) != file_.device || quint64(st.st_ino) != file_.inode)
        return true; // replaced (a backup restored over it): only a new connection sees the new file
    return !file_.writable && ::access(file_.path.constData(), W_OK) == 0;
}

bool Transaction::needsNewConnection(const QSqlError &error) const
{
    if (!sqlite_)
        return false; // a lost server is told by the driver itself
    // SQLite keeps a connection bound to the file and the state it had: after these only a new
    // connection finds the file as it is now. After a full disk or an I/O error SQLite also ends the
    // transaction by itself, which the driver does not notice.
    switch (error.nativeErrorCode().toInt()) {
    case kSqliteReadOnly:
    case kSqliteIoError:
    case kSqliteCorrupt:
    case kSqliteFull:
    case kSqliteCantOpen:
    case kSqliteNotADatabase:
        return true;
    default:
        // SQLite ended the transaction by itself and the driver still counts it as open.
        return error.databaseText().contains(QLatin1String("no transaction is active"));
    }
}

bool Transaction::commitWaiting(QSqlDatabase &db)
{
    // SQLite: a COMMIT waits for every other connection's read to end. Each try of the driver takes
    // about 0.1 s; another follows only while it can end within the data source's Timeout. With the
    // driver's wait cut, the COMMIT has what is left of its transaction's one wait.
    QElapsedTimer own;
    own.start();
    const QElapsedTimer &waited = ownWait_ ? waited_ : own;
    for (;;) {
        const qint64 begun = waited.elapsed();
        if (db.commit())
            return true;
        if (!tryAgain(db.lastError(), waited, begun))
            return false;
    }
}

bool Transaction::tryAgain(const QSqlError &error, const QElapsedTimer &waited, qint64 tryBegun)
{
    constexpr int kPause = 10; // ms; a try of the driver with its wait cut takes about as long
    if (!sqlite_ || error.nativeErrorCode().toInt() != kSqliteBusy)
        return false;
    const qint64 now = waited.elapsed();
    if (now + (now - tryBegun) + kPause > lockWait_)
        return false;
    QThread::msleep(kPause);
    return true;
}

int Transaction::commit()
{
    madeAgain_ = false;
    return endTransaction(true);
}

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
    if (commit ? commitWaiting(db) : db.rollback()) {
        setSuccess();
        return 0;
    }
    const QSqlError failure = db.lastError();
    const bool lost = commit && connectionLost();
    // After a failed COMMIT nothing stays half-written: it is rolled back. Where the ROLLBACK fails
    // too, the database may already have ended the transaction by itself (SQLite does after a full
    // disk) or the connection is gone; a new connection is the one state known to be clean. So it is
    // after a failure that leaves the connection unfit.
    const bool clean = (commit && !lost && !needsNewConnection(failure) && db.rollback()) || reopen();
    if (commit || !clean) {
        setErrorOf(failure);
        if (lost && clean)
            madeAgain_ = true;
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
    for (qint64 begun = waited_.elapsed(); !q.prepare(sql); begun = waited_.elapsed()) {
        if (ownWait_ && tryAgain(q.lastError(), waited_, begun))
            continue; // the schema is read under another connection's exclusive lock
        setErrorOf(q.lastError());
        unfit_ = needsNewConnection(q.lastError());
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
    qint64 begun = waited_.elapsed();
    bool ok = q->exec();
    while (!ok && ownWait_ && tryAgain(q->lastError(), waited_, begun)) {
        begun = waited_.elapsed();
        ok = q->exec();
    }
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
        const QSqlError failure = q->lastError();
        setErrorOf(failure);
        statements_.remove(sql); // prepared afresh next time
        if (needsNewConnection(failure)) {
            unfit_ = true; // execute() makes it again
        } else if (opensTransaction) {
            // Nothing else is in the transaction that this write began: end it at once.
            pending_ = false;
            unfit_ = !database().rollback();
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
    madeAgain_ = false;
    Rows rows;
    if (!connected_) {
        setError(QStringLiteral("Transaction not connected"));
        return rows;
    }
    if (!pending_)
        waited_.start(); // a statement of its own, or the first of a transaction
    if (lost_ && !reopen())
        return rows;
    if (!pending_ && fileChanged() && !reopen())
        return rows;
    const bool read = isRead(sql);
    const bool inTransaction = pending_;
    if (run(sql, params, read, rows))
        return rows;
    const bool lost = connectionLost();
    if (!unfit_ && !lost)
        return rows;

    // The connection went away under the statement, or its failure left it of no more use: make it
    // again. A read runs once more; a write keeps its failure and is not repeated behind the caller's
    // back, which learns that its transaction went with the old connection.
    const QString failure = SQLErrText;
    const long code = SQLDBCode;
    const bool runAgain = read && !inTransaction;
    if (reopen()) {
        if (runAgain && run(sql, params, read, rows))
            return rows;
        madeAgain_ = lost && !runAgain;
    }
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
