#include "test_data_source.h"

#include "runtime/transaction.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <QUuid>

namespace {

QString sqliteDriver()
{
    // Registered by Debian's libsqliteodbc; a full path works where it is not registered.
    return QStringLiteral("SQLite3");
}

bool loadCsv(QSqlDatabase &db, const QString &file, const QString &table, QString &error)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        error = QStringLiteral("cannot read ") + file;
        return false;
    }
    QTextStream in(&f);
    in.readLine(); // header
    while (!in.atEnd()) {
        const QStringList cols = in.readLine().split(QLatin1Char(','));
        if (cols.size() < 5)
            continue;
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO %1 (s, z1, z2, z3, z4) VALUES (?, ?, ?, ?, ?)").arg(table));
        q.addBindValue(cols[0].toInt());
        for (int i = 1; i <= 4; ++i)
            q.addBindValue(cols[i].toDouble());
        if (!q.exec()) {
            error = q.lastError().text();
            return false;
        }
    }
    return true;
}

} // namespace

TestDataSource::TestDataSource(Content content, const QString &dsn)
    : connection_(QStringLiteral("fixture-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    hadOdbcIni_ = qEnvironmentVariableIsSet("ODBCINI");
    previousOdbcIni_ = qgetenv("ODBCINI");
    if (!dir_.isValid()) {
        error_ = QStringLiteral("no temporary folder");
        return;
    }
    QFile ini(iniPath());
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Text)) {
        error_ = QStringLiteral("cannot write odbc.ini");
        return;
    }
    QTextStream(&ini) << "[" << dsn << "]\nDriver=" << sqliteDriver() << "\nDatabase=" << databasePath()
                      << "\nTimeout=1000\n";
    ini.close();
    qputenv("ODBCINI", iniPath().toLocal8Bit());

    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), connection_);
        db.setDatabaseName(QStringLiteral("DRIVER=%1;Database=%2;Timeout=1000").arg(sqliteDriver(), databasePath()));
        if (!db.open()) {
            error_ = db.lastError().text();
            return;
        }
        if (content == Empty)
            return;
        QFile schema(QStringLiteral(FM_DATA_DIR "/schema.sql"));
        if (!schema.open(QIODevice::ReadOnly | QIODevice::Text)) {
            error_ = QStringLiteral("cannot read schema.sql");
            return;
        }
        QString text = QString::fromUtf8(schema.readAll());
        QStringList lines;
        for (const QString &line : text.split(QLatin1Char('\n')))
            if (!line.trimmed().startsWith(QLatin1String("--")))
                lines << line;
        for (const QString &stmt : lines.join(QLatin1Char('\n')).split(QLatin1Char(';'))) {
            if (stmt.trimmed().isEmpty())
                continue;
            QSqlQuery q(db);
            if (!q.exec(stmt)) {
                error_ = q.lastError().text();
                return;
            }
        }
        if (content == SchemaAndWeights) {
            if (!loadCsv(db, QStringLiteral(FM_DATA_DIR "/weight-limits-men.csv"), QStringLiteral("dx1234_m"), error_)
                || !loadCsv(db, QStringLiteral(FM_DATA_DIR "/weight-limits-women.csv"), QStringLiteral("dx1234_w"),
                            error_))
                return;
        }
    }
}

TestDataSource::~TestDataSource()
{
    disconnectSqlca();
    if (QSqlDatabase::contains(connection_)) {
        QSqlDatabase::database(connection_, false).close();
        QSqlDatabase::removeDatabase(connection_);
    }
    if (hadOdbcIni_)
        qputenv("ODBCINI", previousOdbcIni_);
    else
        qunsetenv("ODBCINI");
}

QString TestDataSource::databasePath() const { return dir_.filePath(QStringLiteral("vemka.db")); }
QString TestDataSource::iniPath() const { return dir_.filePath(QStringLiteral("odbc.ini")); }

bool TestDataSource::exec(const QString &sql, const QVariantList &params)
{
    QSqlQuery q(QSqlDatabase::database(connection_));
    q.prepare(sql);
    for (const QVariant &p : params)
        q.addBindValue(p);
    if (!q.exec()) {
        error_ = q.lastError().text();
        return false;
    }
    return true;
}

QVariant TestDataSource::scalar(const QString &sql, const QVariantList &params)
{
    QSqlQuery q(QSqlDatabase::database(connection_));
    q.prepare(sql);
    for (const QVariant &p : params)
        q.addBindValue(p);
    if (!q.exec() || !q.next())
        return QVariant();
    return q.value(0);
}

int TestDataSource::count(const QString &table)
{
    return scalar(QStringLiteral("SELECT COUNT(*) FROM ") + table).toInt();
}

long TestDataSource::connectSqlca()
{
    rt::Transaction &sqlca = rt::sqlca();
    if (sqlca.isConnected())
        sqlca.disconnect();
    sqlca.DBMS = QStringLiteral("ODBC");
    sqlca.AutoCommit = false;
    sqlca.DBParm = QStringLiteral("ConnectString='DSN=vemka;PWD=pelvok3864'");
    sqlca.connect();
    return sqlca.SQLCode;
}

void TestDataSource::disconnectSqlca()
{
    if (rt::sqlca().isConnected())
        rt::sqlca().disconnect();
}

void TestDataSource::removeDatabaseFile()
{
    if (QSqlDatabase::contains(connection_))
        QSqlDatabase::database(connection_, false).close();
    QFile::remove(databasePath());
}
