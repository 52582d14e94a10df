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

namespace {

// The process's own folder with its odbc.ini; ODBCINI points at it for the whole process.
QTemporaryDir &processFolder()
{
    static QTemporaryDir dir;
    static const bool written = [] {
        QFile ini(dir.filePath(QStringLiteral("odbc.ini")));
        if (!ini.open(QIODevice::WriteOnly | QIODevice::Text))
            return false;
        QTextStream(&ini) << "[vemka]\nDriver=" << sqliteDriver() << "\nDatabase="
                          << dir.filePath(QStringLiteral("vemka.db")) << "\nTimeout=1000\nNoCreat=1\n";
        qputenv("ODBCINI", dir.filePath(QStringLiteral("odbc.ini")).toLocal8Bit());
        return true;
    }();
    Q_UNUSED(written);
    return dir;
}

void removeFiles(const QString &db)
{
    for (const char *suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(db + QLatin1String(suffix));
}

} // namespace

TestDataSource::TestDataSource(Content content)
    : connection_(QStringLiteral("fixture-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    if (!processFolder().isValid()) {
        error_ = QStringLiteral("no temporary folder");
        return;
    }
    disconnectSqlca();
    removeFiles(databasePath());
    if (content == NoDatabase)
        return;

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
    removeFiles(databasePath());
}

QString TestDataSource::folder() const { return processFolder().path(); }
QString TestDataSource::databasePath() const { return processFolder().filePath(QStringLiteral("vemka.db")); }
QString TestDataSource::iniPath() const { return processFolder().filePath(QStringLiteral("odbc.ini")); }

bool TestDataSource::exec(const QString &sql, const QVariantList &params)
{
    if (!QSqlDatabase::contains(connection_)) {
        error_ = QStringLiteral("no database file");
        return false;
    }
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
    if (!QSqlDatabase::contains(connection_))
        return QVariant();
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
    if (QSqlDatabase::contains(connection_)) {
        QSqlDatabase::database(connection_, false).close();
        QSqlDatabase::removeDatabase(connection_);
    }
    removeFiles(databasePath());
}
