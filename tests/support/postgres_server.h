#pragma once
// A private PostgreSQL server for the tests: initdb into a temporary folder, its own socket folder and
// a free port on 127.0.0.1, password authentication only. Run as root, the server's programs run as
// the unprivileged `postgres` user (they refuse root). The server is stopped by its process id when
// the object goes, and it ends with the test process if that dies first.
#include <QString>
#include <QTemporaryDir>
#include <sys/types.h>

class PostgresServer {
public:
    PostgresServer();
    ~PostgresServer();
    PostgresServer(const PostgresServer &) = delete;
    PostgresServer &operator=(const PostgresServer &) = delete;

    // Creates the cluster (the superuser `postgres` with `superuserPassword`) and starts the server.
    bool start(const QString &superuserPassword);
    // Stops the server (fast shutdown: sessions are cut); true when it has ended.
    bool stop();
    // Starts the stopped server again on the same port.
    bool startAgain();
    bool isRunning() const { return pid_ > 0; }
    // Freezes the server's main process (SIGSTOP) or lets it go on. Frozen, its host still accepts
    // connections on the port, and nothing answers them; sessions already open go on working.
    bool freeze(bool frozen);

    int port() const { return port_; }
    QString socketFolder() const;
    // Runs psql over TCP as `user` (whose password is the superuser's) on the database, in
    // `folder` when given; false with error() on failure.
    bool psql(const QString &user, const QString &database, const QStringList &arguments, const QString &folder = {});
    QString error() const { return error_; }

private:
    QString path(const QString &relative) const;
    bool runAsServerUser(const QStringList &command, const QString &log);
    bool launch();
    QString logTail() const;

    QTemporaryDir dir_;
    QString bin_;
    QString password_;
    int port_ = 0;
    pid_t pid_ = 0;
    QString error_;
};
