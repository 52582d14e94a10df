#pragma once
// A private data source named vemka for one test, with the program's schema and default weight
// limits. The source of the process is SQLite (a fresh file reached through the SQLite ODBC driver)
// or, when FM_TEST_SOURCE is "postgresql", a private PostgreSQL server reached through psqlODBC: the
// server is started at the first fixture of the process and stopped by its process id at exit.
// The driver manager reads a data source's definition once per process, so every fixture of a process
// uses the same odbc.ini; each fixture starts the database afresh. One fixture at a time.
#include <QString>
#include <QTemporaryDir>
#include <QVariantList>

class TestDataSource {
public:
    enum class Source { SQLite, PostgreSQL };
    static Source source();

    // NoDatabase: no database at all, so connecting fails with the driver's text. Empty: a database
    // without tables.
    enum Content { NoDatabase, Empty, SchemaOnly, SchemaAndWeights };
    explicit TestDataSource(Content content = SchemaAndWeights);
    ~TestDataSource();
    TestDataSource(const TestDataSource &) = delete;
    TestDataSource &operator=(const TestDataSource &) = delete;

    bool isValid() const { return error_.isEmpty(); }
    QString error() const { return error_; }
    QString databasePath() const; // SQLite: the database file
    QString iniPath() const;
    QString folder() const;

    // Statements on the database through a connection of the fixture's own, committed at once.
    bool exec(const QString &sql, const QVariantList &params = {});
    // The first column of the first row of a query, or an invalid QVariant.
    QVariant scalar(const QString &sql, const QVariantList &params = {});
    int count(const QString &table);

    // True while another session holds a transaction open on the database: SQLite, a lock that keeps
    // a writer out; PostgreSQL, a session "idle in transaction".
    bool anotherSessionHoldsTransaction();
    // From now on the database refuses every write to xmsz: SQLite by a trigger, PostgreSQL as a
    // read-only database for every new session.
    bool refuseWrites();
    // PostgreSQL: the next `times` COMMITs of a change to xmsz lose their connection: the server ends
    // the session before the change is committed. Changes this fixture makes count too.
    bool cutConnectionAtCommit(int times);
    // PostgreSQL: stops the server, which cuts every session, and starts it again.
    bool stopServer();
    bool startServer();
    bool restartServer() { return stopServer() && startServer(); }
    // PostgreSQL: freezes the server's main process or lets it go on; frozen, new connections get
    // no answer while the host still accepts them.
    bool freezeServer(bool frozen);

    // PostgreSQL: runs psql with `arguments` as the program's role on the database, in `folder`.
    bool psql(const QStringList &arguments, const QString &folder);

    // The ODBC connect string of the fixture's connections, without the data source name.
    static QString connectString();

    // Connects the program's sqlca as the application object does; returns its SQLCode.
    static long connectSqlca();
    static void disconnectSqlca();

    // Takes the database away behind the program's back (for failure paths).
    void removeDatabaseFile();
    // SQLite: moves the database file into `folder` (a filesystem of the test's own) and leaves a
    // symbolic link in its place, so the data source reaches it there.
    bool moveDatabaseTo(const QString &folder);
    // SQLite: puts `file` in the database's place by a rename, as a backup restored with mv does.
    bool replaceDatabaseWith(const QString &file);

private:
    bool prepare(Content content);
    // The fixture's own connection, made again on the file that is there now.
    bool reconnect();
    QString connection_;
    QString error_;
};

// Another program's session on the test's database, to hold locks behind sqlca's back. Belongs to the
// thread that makes it.
class OtherSession {
public:
    OtherSession();
    ~OtherSession();
    OtherSession(const OtherSession &) = delete;
    OtherSession &operator=(const OtherSession &) = delete;

    bool isOpen() const;
    bool exec(const QString &sql);
    // A transaction of the session's own, for statements that then wait for its commit() or release().
    bool begin();
    bool commit();
    QString error() const { return error_; }

    // A write lock on xmsz: the program's writes to it wait for the data source's timeout, then fail.
    bool holdWriteLock();
    // Every reader of the settings and weight tables waits for the data source's timeout, then fails.
    bool lockOutReaders();
    // The program's COMMIT of a row of xmsz fails: SQLite, an open read keeps the writer from its
    // exclusive lock; PostgreSQL, a deferred check refuses the row at COMMIT.
    bool refuseCommits();
    // Reads xmsz in an open transaction and keeps what that holds: SQLite, a shared lock on the file,
    // which keeps a writer's COMMIT waiting; PostgreSQL, a lock on the rows read (FOR UPDATE), which
    // keeps an UPDATE of them waiting.
    bool holdRows();
    // Ends what the session holds or refuses.
    bool release();

private:
    QString name_;
    QString error_;
    bool refusing_ = false;
};
