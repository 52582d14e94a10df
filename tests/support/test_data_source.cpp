#include "test_data_source.h"

#include "common/data_source.h"
#include "postgres_server.h"
#include "runtime/transaction.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <QUuid>
#include <cstdio>
#include <memory>

namespace {

const QString kPassword = QStringLiteral("pelvok3864"); // fixed in the application object
const QString kRole = QStringLiteral("fitmarkel");
// The README's bounds for a server that stops answering (libpq's options, through psqlODBC's pqopt):
// connecting gives up after 5 s, data unacknowledged for 3 s ends the connection, and a connection
// waiting for an answer probes the server after 2 s of silence, every second.
const QString kNetworkLimits =
    QStringLiteral("connect_timeout=5 keepalives=1 keepalives_idle=2 keepalives_interval=1 tcp_user_timeout=3000");

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

// Debian registers psqlODBC with CommLog=1, and when a process's last connection closes the driver
// falls back to that entry whatever the data source says: it writes /tmp/psqlodbc_*.log. The process
// reads a copy of the system's driver list with the log off, as the README tells a PC to set it.
bool useDriversWithoutLog(const QTemporaryDir &dir, QString &error)
{
    const QByteArray system = qgetenv("ODBCSYSINI");
    QFile drivers(QString::fromLocal8Bit(system.isEmpty() ? QByteArray("/etc") : system) + QStringLiteral("/odbcinst.ini"));
    if (!drivers.open(QIODevice::ReadOnly | QIODevice::Text)) {
        error = QStringLiteral("cannot read ") + drivers.fileName();
        return false;
    }
    static const QRegularExpression commLog(QStringLiteral("^\\s*CommLog\\s*="), QRegularExpression::CaseInsensitiveOption);
    QStringList lines = QString::fromUtf8(drivers.readAll()).split(QLatin1Char('\n'));
    for (QString &line : lines)
        if (commLog.match(line).hasMatch())
            line = QStringLiteral("CommLog=0");
    QFile copy(dir.filePath(QStringLiteral("odbcinst.ini")));
    if (!copy.open(QIODevice::WriteOnly | QIODevice::Text) || copy.write(lines.join(QLatin1Char('\n')).toUtf8()) < 0) {
        error = QStringLiteral("cannot write odbcinst.ini");
        return false;
    }
    qputenv("ODBCSYSINI", dir.path().toLocal8Bit());
    return true;
}

// What the process shares: its folder with the odbc.ini that ODBCINI names, and for PostgreSQL the
// server. Made at the first fixture, gone at exit (the server stopped by its process id).
struct ProcessSource {
    QTemporaryDir dir;
    std::unique_ptr<PostgresServer> server;
    QString error;

    ProcessSource()
    {
        if (!dir.isValid()) {
            error = QStringLiteral("no temporary folder");
            return;
        }
        if (!useDriversWithoutLog(dir, error))
            return;
        QString definition;
        if (TestDataSource::source() == TestDataSource::Source::PostgreSQL) {
            server = std::make_unique<PostgresServer>();
            // The department's set-up as the README gives it; a lock is waited for as long as the
            // SQLite source's Timeout, so the tests of both wait alike.
            if (!server->start(kPassword)
                || !server->psql(QStringLiteral("postgres"), QStringLiteral("postgres"), {QStringLiteral("-f"), QStringLiteral(FM_DATA_DIR "/postgresql-setup.sql")})
                || !server->psql(QStringLiteral("postgres"), QStringLiteral("postgres"), {QStringLiteral("-c"), QStringLiteral("ALTER ROLE fitmarkel SET lock_timeout = '1s'")})) {
                error = server->error();
                return;
            }
            definition = QStringLiteral("Driver=PostgreSQL Unicode\nServername=127.0.0.1\nPort=%1\nDatabase=vemka\nUsername=%2\n"
                                        "CommLog=0\npqopt=%3\n")
                             .arg(server->port())
                             .arg(kRole, kNetworkLimits);
        } else {
            definition = QStringLiteral("Driver=SQLite3\nDatabase=%1\nTimeout=1000\nNoCreat=1\n").arg(dir.filePath(QStringLiteral("vemka.db")));
        }
        QFile ini(dir.filePath(QStringLiteral("odbc.ini")));
        if (!ini.open(QIODevice::WriteOnly | QIODevice::Text)) {
            error = QStringLiteral("cannot write odbc.ini");
            return;
        }
        QTextStream(&ini) << "[vemka]\n" << definition;
        qputenv("ODBCINI", ini.fileName().toLocal8Bit());
    }
};

ProcessSource &processSource()
{
    static ProcessSource source;
    return source;
}

void removeFiles(const QString &db)
{
    for (const char *suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(db + QLatin1String(suffix));
}

bool isPostgres() { return TestDataSource::source() == TestDataSource::Source::PostgreSQL; }

} // namespace

TestDataSource::Source TestDataSource::source()
{
    return qgetenv("FM_TEST_SOURCE") == "postgresql" ? Source::PostgreSQL : Source::SQLite;
}

QString TestDataSource::connectString()
{
    if (isPostgres())
        // Without the network limits: the fixture's own sessions outlast an outage made for the program.
        return QStringLiteral("DRIVER={PostgreSQL Unicode};Servername=127.0.0.1;Port=%1;Database=vemka;UID=%2;PWD=%3;CommLog=0")
            .arg(processSource().server ? processSource().server->port() : 0)
            .arg(kRole, kPassword);
    return QStringLiteral("DRIVER=SQLite3;Database=%1;Timeout=1000").arg(processSource().dir.filePath(QStringLiteral("vemka.db")));
}

TestDataSource::TestDataSource(Content content)
    : connection_(QStringLiteral("fixture-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    if (!processSource().error.isEmpty()) {
        error_ = processSource().error;
        return;
    }
    disconnectSqlca();
    prepare(content);
}

bool TestDataSource::prepare(Content content)
{
    if (isPostgres()) {
        QStringList commands{QStringLiteral("-c"), QStringLiteral("DROP DATABASE IF EXISTS vemka WITH (FORCE)")};
        if (content != NoDatabase)
            commands << QStringLiteral("-c") << QStringLiteral("CREATE DATABASE vemka OWNER fitmarkel ENCODING 'UTF8' TEMPLATE template0");
        if (!processSource().server->psql(QStringLiteral("postgres"), QStringLiteral("postgres"), commands)) {
            error_ = processSource().server->error();
            return false;
        }
    } else {
        removeFiles(databasePath());
    }
    if (content == NoDatabase)
        return true;

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), connection_);
    db.setDatabaseName(connectString());
    if (!db.open()) {
        error_ = db.lastError().text();
        return false;
    }
    if (content == Empty)
        return true;
    QFile schema(QStringLiteral(FM_DATA_DIR "/schema.sql"));
    if (!schema.open(QIODevice::ReadOnly | QIODevice::Text)) {
        error_ = QStringLiteral("cannot read schema.sql");
        return false;
    }
    QStringList lines;
    for (const QString &line : QString::fromUtf8(schema.readAll()).split(QLatin1Char('\n')))
        if (!line.trimmed().startsWith(QLatin1String("--")))
            lines << line;
    for (const QString &stmt : lines.join(QLatin1Char('\n')).split(QLatin1Char(';'))) {
        if (stmt.trimmed().isEmpty())
            continue;
        QSqlQuery q(db);
        if (!q.exec(stmt)) {
            error_ = q.lastError().text();
            return false;
        }
    }
    if (content == SchemaAndWeights)
        return loadCsv(db, QStringLiteral(FM_DATA_DIR "/weight-limits-men.csv"), QStringLiteral("dx1234_m"), error_)
               && loadCsv(db, QStringLiteral(FM_DATA_DIR "/weight-limits-women.csv"), QStringLiteral("dx1234_w"), error_);
    return true;
}

TestDataSource::~TestDataSource()
{
    disconnectSqlca();
    if (QSqlDatabase::contains(connection_)) {
        QSqlDatabase::database(connection_, false).close();
        QSqlDatabase::removeDatabase(connection_);
    }
    if (!isPostgres())
        removeFiles(databasePath());
}

QString TestDataSource::folder() const { return processSource().dir.path(); }
QString TestDataSource::databasePath() const { return processSource().dir.filePath(QStringLiteral("vemka.db")); }
QString TestDataSource::iniPath() const { return processSource().dir.filePath(QStringLiteral("odbc.ini")); }

bool TestDataSource::exec(const QString &sql, const QVariantList &params)
{
    if (!QSqlDatabase::contains(connection_)) {
        error_ = QStringLiteral("no database");
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

bool TestDataSource::anotherSessionHoldsTransaction()
{
    if (isPostgres())
        return scalar(QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE datname = current_database() "
                                     "AND state LIKE 'idle in transaction%' AND pid <> pg_backend_pid()"))
                   .toInt()
               > 0;
    // Any lock another session holds keeps an exclusive writer out; this one does not wait for it.
    const QString name = connection_ + QStringLiteral("-probe");
    bool held = false;
    {
        QSqlDatabase probe = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name);
        probe.setDatabaseName(QStringLiteral("DRIVER=SQLite3;Database=%1;Timeout=1").arg(databasePath()));
        if (probe.open()) {
            QSqlQuery q(probe);
            held = !q.exec(QStringLiteral("BEGIN EXCLUSIVE"));
            if (!held)
                q.exec(QStringLiteral("ROLLBACK"));
        }
        probe.close();
    }
    QSqlDatabase::removeDatabase(name);
    return held;
}

bool TestDataSource::refuseWrites()
{
    if (isPostgres())
        return exec(QStringLiteral("ALTER DATABASE vemka SET default_transaction_read_only = on"));
    return exec(QStringLiteral("CREATE TRIGGER refuse_insert BEFORE INSERT ON xmsz BEGIN SELECT RAISE(ABORT, 'xmsz is read-only'); END"))
           && exec(QStringLiteral("CREATE TRIGGER refuse_update BEFORE UPDATE ON xmsz BEGIN SELECT RAISE(ABORT, 'xmsz is read-only'); END"));
}

bool TestDataSource::cutConnectionAtCommit(int times)
{
    if (!isPostgres()) {
        error_ = QStringLiteral("an embedded database has no session to end");
        return false;
    }
    // A deferred trigger runs as the COMMIT begins; a sequence counts outside the transactions it ends.
    return exec(QStringLiteral("CREATE SEQUENCE commit_cuts"))
           && exec(QStringLiteral("CREATE FUNCTION cut_at_commit() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                                  "IF nextval('commit_cuts') <= %1 THEN PERFORM pg_terminate_backend(pg_backend_pid()); "
                                  "PERFORM pg_sleep(10); END IF; RETURN NULL; END $$")
                        .arg(times))
           && exec(QStringLiteral("CREATE CONSTRAINT TRIGGER cut_at_commit AFTER INSERT OR UPDATE ON xmsz "
                                  "DEFERRABLE INITIALLY DEFERRED FOR EACH ROW EXECUTE FUNCTION cut_at_commit()"));
}

bool TestDataSource::stopServer()
{
    if (!isPostgres()) {
        error_ = QStringLiteral("an embedded database has no server");
        return false;
    }
    return processSource().server->stop();
}

bool TestDataSource::startServer()
{
    if (!isPostgres() || !processSource().server->startAgain()) {
        error_ = isPostgres() ? processSource().server->error() : QStringLiteral("an embedded database has no server");
        return false;
    }
    // The fixture's own session went with the server.
    return reconnect();
}

bool TestDataSource::freezeServer(bool frozen)
{
    if (!isPostgres() || !processSource().server->freeze(frozen)) {
        error_ = isPostgres() ? processSource().server->error() : QStringLiteral("an embedded database has no server");
        return false;
    }
    return true;
}

bool TestDataSource::psql(const QStringList &arguments, const QString &folder)
{
    if (!isPostgres() || !processSource().server->psql(kRole, QStringLiteral("vemka"), arguments, folder)) {
        error_ = isPostgres() ? processSource().server->error() : QStringLiteral("psql needs a PostgreSQL server");
        return false;
    }
    return true;
}

long TestDataSource::connectSqlca()
{
    rt::Transaction &sqlca = rt::sqlca();
    if (sqlca.isConnected())
        sqlca.disconnect();
    common::useProgramDataSource(sqlca);
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

bool TestDataSource::reconnect()
{
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    db.close();
    if (!db.open()) {
        error_ = db.lastError().text();
        return false;
    }
    return true;
}

bool TestDataSource::moveDatabaseTo(const QString &folder)
{
    if (isPostgres()) {
        error_ = QStringLiteral("a server's database has no file to move");
        return false;
    }
    QSqlDatabase::database(connection_, false).close();
    const QString target = QDir(folder).filePath(QStringLiteral("vemka.db"));
    if (!QFile::copy(databasePath(), target) || !QFile::remove(databasePath()) || !QFile::link(target, databasePath())) {
        error_ = QStringLiteral("cannot move the database to ") + folder;
        return false;
    }
    return reconnect();
}

bool TestDataSource::replaceDatabaseWith(const QString &file)
{
    if (isPostgres() || std::rename(QFile::encodeName(file).constData(), QFile::encodeName(databasePath()).constData()) != 0) {
        error_ = QStringLiteral("cannot rename ") + file;
        return false;
    }
    return reconnect();
}

// ---- another session

OtherSession::OtherSession() : name_(QStringLiteral("other-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name_);
    db.setDatabaseName(TestDataSource::connectString());
    if (!db.open())
        error_ = db.lastError().text();
}

OtherSession::~OtherSession()
{
    if (isOpen())
        release();
    {
        QSqlDatabase db = QSqlDatabase::database(name_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name_);
}

bool OtherSession::isOpen() const { return QSqlDatabase::database(name_, false).isOpen(); }

bool OtherSession::exec(const QString &sql)
{
    QSqlQuery q(QSqlDatabase::database(name_, false));
    if (!q.exec(sql)) {
        error_ = q.lastError().text();
        return false;
    }
    while (q.isSelect() && q.next()) {
    }
    return true;
}

bool OtherSession::begin()
{
    // SQLite: the write lock at once, so that a writer of the program waits from its first statement.
    return isPostgres() ? QSqlDatabase::database(name_, false).transaction() : exec(QStringLiteral("BEGIN IMMEDIATE"));
}

bool OtherSession::commit()
{
    QSqlDatabase db = QSqlDatabase::database(name_, false);
    if (isPostgres() ? db.commit() : exec(QStringLiteral("COMMIT")))
        return true;
    if (isPostgres())
        error_ = db.lastError().text();
    return false;
}

bool OtherSession::holdWriteLock()
{
    return begin() && (!isPostgres() || exec(QStringLiteral("LOCK TABLE xmsz IN SHARE ROW EXCLUSIVE MODE")));
}

bool OtherSession::lockOutReaders()
{
    if (!isPostgres())
        return exec(QStringLiteral("BEGIN EXCLUSIVE"));
    QSqlDatabase db = QSqlDatabase::database(name_, false);
    return db.transaction() && exec(QStringLiteral("LOCK TABLE xmsz, dx1234_m, dx1234_w IN ACCESS EXCLUSIVE MODE"));
}

bool OtherSession::holdRows()
{
    if (!isPostgres())
        return exec(QStringLiteral("BEGIN")) && exec(QStringLiteral("SELECT COUNT(*) FROM xmsz"));
    QSqlDatabase db = QSqlDatabase::database(name_, false);
    return db.transaction() && exec(QStringLiteral("SELECT nj FROM xmsz FOR UPDATE"));
}

bool OtherSession::refuseCommits()
{
    if (!isPostgres())
        return holdRows();
    refusing_ = exec(QStringLiteral("CREATE OR REPLACE FUNCTION refuse_commit() RETURNS trigger LANGUAGE plpgsql "
                                    "AS $$ BEGIN RAISE EXCEPTION 'xmsz refuses the commit'; END $$"))
                && exec(QStringLiteral("CREATE CONSTRAINT TRIGGER refuse_commit AFTER INSERT OR UPDATE ON xmsz "
                                       "DEFERRABLE INITIALLY DEFERRED FOR EACH ROW EXECUTE FUNCTION refuse_commit()"));
    return refusing_;
}

bool OtherSession::release()
{
    if (!isPostgres())
        return exec(QStringLiteral("ROLLBACK"));
    if (refusing_) {
        refusing_ = false;
        return exec(QStringLiteral("DROP TRIGGER refuse_commit ON xmsz"));
    }
    QSqlDatabase db = QSqlDatabase::database(name_, false);
    return db.rollback();
}
