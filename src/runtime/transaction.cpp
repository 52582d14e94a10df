#include "runtime/transaction.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>

namespace rt {

namespace {

QString errorText(const QSqlError &e)
{
    const QString driver = e.driverText().trimmed();
    const QString db = e.databaseText().trimmed();
    if (driver.isEmpty())
        return db;
    if (db.isEmpty() || driver.contains(db))
        return driver;
    return db + QLatin1Char('\n') + driver;
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
    static const QRegularExpression re(QStringLiteral("ConnectString\\s*=\\s*'([^']*)'"),
                                       QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(dbparm);
    return m.hasMatch() ? m.captured(1) : QString();
}

QSqlDatabase Transaction::database() const { return QSqlDatabase::database(connectionName_, false); }

bool Transaction::isConnected() const { return connected_; }

void Transaction::setError(const QString &text, long code)
{
    SQLCode = code;
    SQLErrText = text;
}

void Transaction::setSuccess()
{
    SQLCode = 0;
    SQLDBCode = 0;
    SQLErrText.clear();
}

void Transaction::beginIfManual()
{
    if (!AutoCommit)
        database().transaction();
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
        setError(errorText(db.lastError()));
        SQLDBCode = db.lastError().nativeErrorCode().toLong();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName_);
        return -1;
    }
    connected_ = true;
    beginIfManual();
    setSuccess();
    return 0;
}

int Transaction::disconnect()
{
    if (!connected_) {
        setError(QStringLiteral("Transaction not connected"));
        return -1;
    }
    {
        QSqlDatabase db = database();
        if (!AutoCommit)
            db.rollback();
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName_);
    connected_ = false;
    setSuccess();
    return 0;
}

int Transaction::commit() { return endTransaction(true); }

int Transaction::rollback() { return endTransaction(false); }

int Transaction::endTransaction(bool commit)
{
    if (!connected_) {
        setError(QStringLiteral("Transaction not connected"));
        return -1;
    }
    if (AutoCommit) {
        setSuccess();
        return 0;
    }
    QSqlDatabase db = database();
    const bool ok = commit ? db.commit() : db.rollback();
    if (!ok) {
        setError(errorText(db.lastError()));
        if (commit)
            db.rollback(); // a failed COMMIT leaves nothing half-written behind
    }
    beginIfManual();
    if (!ok)
        return -1;
    setSuccess();
    return 0;
}

QSqlQuery Transaction::execute(const QString &sql, const QVariantList &params)
{
    SQLNRows = 0;
    if (!connected_) {
        setError(QStringLiteral("Transaction not connected"));
        return QSqlQuery();
    }
    QSqlQuery q(database());
    q.setForwardOnly(true);
    if (!q.prepare(sql)) {
        setError(errorText(q.lastError()));
        return q;
    }
    for (const QVariant &p : params)
        q.addBindValue(p);
    if (!q.exec()) {
        setError(errorText(q.lastError()));
        return q;
    }
    setSuccess();
    if (q.isSelect()) {
        if (!q.next()) {
            SQLCode = q.lastError().isValid() ? -1 : 100;
            if (SQLCode < 0)
                SQLErrText = errorText(q.lastError());
            return q;
        }
        SQLNRows = 1;
    } else {
        SQLNRows = q.numRowsAffected();
    }
    return q;
}

Transaction &sqlca()
{
    static Transaction transaction(QStringLiteral("sqlca"));
    return transaction;
}

} // namespace rt
