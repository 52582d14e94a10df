#include "postgres_server.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <algorithm>

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kStartTimeoutMs = 30000;
constexpr int kStopTimeoutMs = 15000;
constexpr int kToolTimeoutMs = 60000;

// The newest installed server's programs (Debian: /usr/lib/postgresql/<version>/bin).
QString serverBinaries()
{
    QDir root(QStringLiteral("/usr/lib/postgresql"));
    QStringList versions = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(), [](const QString &a, const QString &b) { return a.toInt() > b.toInt(); });
    for (const QString &v : versions)
        if (QFile::exists(root.filePath(v + QStringLiteral("/bin/initdb"))))
            return root.filePath(v + QStringLiteral("/bin"));
    return QString();
}

// As root, the server's programs run as the postgres user; otherwise as the user running the test.
struct ServerUser {
    bool switchUser = false;
    uid_t uid = 0;
    gid_t gid = 0;
};

ServerUser serverUser()
{
    ServerUser user;
    if (::geteuid() != 0)
        return user;
    if (const passwd *pw = ::getpwnam("postgres")) {
        user.switchUser = true;
        user.uid = pw->pw_uid;
        user.gid = pw->pw_gid;
    }
    return user;
}

// A TCP port on 127.0.0.1 that nobody listens on at the moment.
int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

// Starts `command` as the server user with its output in `log`. The child ends with this process.
pid_t spawn(const QStringList &command, const QString &log)
{
    const ServerUser user = serverUser();
    std::vector<QByteArray> args;
    for (const QString &a : command)
        args.push_back(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const QByteArray logFile = log.toLocal8Bit();
    const pid_t parent = ::getpid();

    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    // Child: only async-signal-safe calls from here on.
    const int out = ::open(logFile.constData(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (out >= 0) {
        ::dup2(out, STDOUT_FILENO);
        ::dup2(out, STDERR_FILENO);
    }
    if (user.switchUser && (::setgroups(0, nullptr) != 0 || ::setgid(user.gid) != 0 || ::setuid(user.uid) != 0))
        ::_exit(126);
    // Set after the change of user, which clears it.
    ::prctl(PR_SET_PDEATHSIG, SIGINT);
    if (::getppid() != parent)
        ::_exit(1);
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

bool waitForExit(pid_t pid, int timeoutMs, int *status)
{
    const QDeadlineTimer deadline(timeoutMs);
    do {
        if (::waitpid(pid, status, WNOHANG) == pid)
            return true;
        QThread::msleep(20);
    } while (!deadline.hasExpired());
    return false;
}

} // namespace

PostgresServer::PostgresServer() : dir_(QDir::tempPath() + QStringLiteral("/fmpg-XXXXXX")), bin_(serverBinaries()) {}

PostgresServer::~PostgresServer() { stop(); }

QString PostgresServer::path(const QString &relative) const { return dir_.path() + QLatin1Char('/') + relative; }

QString PostgresServer::socketFolder() const { return path(QStringLiteral("socket")); }

QString PostgresServer::logTail() const
{
    QFile log(path(QStringLiteral("server.log")));
    if (!log.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(log.readAll().right(1500));
}

bool PostgresServer::runAsServerUser(const QStringList &command, const QString &log)
{
    const pid_t pid = spawn(command, log);
    int status = 0;
    if (pid < 0 || !waitForExit(pid, kToolTimeoutMs, &status)) {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
        }
        error_ = QStringLiteral("%1 did not finish").arg(command.first());
        return false;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        QFile f(log);
        f.open(QIODevice::ReadOnly);
        error_ = QStringLiteral("%1 failed: %2").arg(command.first(), QString::fromUtf8(f.readAll().right(1500)));
        return false;
    }
    return true;
}

bool PostgresServer::start(const QString &superuserPassword)
{
    password_ = superuserPassword;
    if (bin_.isEmpty()) {
        error_ = QStringLiteral("no PostgreSQL server installed (package postgresql)");
        return false;
    }
    if (!dir_.isValid() || !QDir().mkpath(socketFolder())) {
        error_ = QStringLiteral("no temporary folder");
        return false;
    }
    QFile pw(path(QStringLiteral("superuser-password")));
    if (!pw.open(QIODevice::WriteOnly) || pw.write(superuserPassword.toUtf8() + '\n') < 0) {
        error_ = QStringLiteral("cannot write the password file");
        return false;
    }
    pw.close();
    const ServerUser user = serverUser();
    if (user.switchUser) {
        for (const QString &p : {dir_.path(), socketFolder(), pw.fileName()})
            if (::chown(p.toLocal8Bit().constData(), user.uid, user.gid) != 0) {
                error_ = QStringLiteral("cannot hand %1 to the postgres user").arg(p);
                return false;
            }
    }
    if (!runAsServerUser({bin_ + QStringLiteral("/initdb"), QStringLiteral("--pgdata=") + path(QStringLiteral("data")),
                          QStringLiteral("--username=postgres"), QStringLiteral("--pwfile=") + pw.fileName(),
                          QStringLiteral("--auth-local=scram-sha-256"), QStringLiteral("--auth-host=scram-sha-256"),
                          QStringLiteral("--encoding=UTF8"), QStringLiteral("--locale=C.UTF-8"), QStringLiteral("--no-sync"),
                          QStringLiteral("--no-instructions")},
                         path(QStringLiteral("initdb.log"))))
        return false;
    // A port taken between choosing and binding: try another.
    for (int attempt = 0; attempt < 5; ++attempt) {
        port_ = freePort();
        if (launch())
            return true;
        if (!logTail().contains(QLatin1String("could not bind")))
            return false;
    }
    return false;
}

bool PostgresServer::launch()
{
    pid_ = spawn({bin_ + QStringLiteral("/postgres"), QStringLiteral("-D"), path(QStringLiteral("data")),
                  QStringLiteral("-p"), QString::number(port_), QStringLiteral("-k"), socketFolder(),
                  QStringLiteral("-c"), QStringLiteral("listen_addresses=127.0.0.1"),
                  QStringLiteral("-c"), QStringLiteral("fsync=off"), QStringLiteral("-c"), QStringLiteral("full_page_writes=off")},
                 path(QStringLiteral("server.log")));
    if (pid_ < 0) {
        pid_ = 0;
        error_ = QStringLiteral("cannot start postgres");
        return false;
    }
    // Ready once postmaster.pid says so (its eighth line).
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (!deadline.hasExpired()) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = 0;
            error_ = QStringLiteral("postgres ended: %1").arg(logTail());
            return false;
        }
        QFile pidFile(path(QStringLiteral("data/postmaster.pid")));
        if (pidFile.open(QIODevice::ReadOnly)) {
            const QList<QByteArray> lines = pidFile.readAll().split('\n');
            if (lines.size() > 7 && lines[7].trimmed() == "ready")
                return true;
        }
        QThread::msleep(20);
    }
    error_ = QStringLiteral("postgres did not get ready: %1").arg(logTail());
    stop();
    return false;
}

bool PostgresServer::stop()
{
    if (pid_ <= 0)
        return true;
    int status = 0;
    ::kill(pid_, SIGINT);
    ::kill(pid_, SIGCONT); // a frozen server takes the signal too
    if (!waitForExit(pid_, kStopTimeoutMs, &status)) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
    }
    pid_ = 0;
    return true;
}

bool PostgresServer::freeze(bool frozen)
{
    if (pid_ <= 0 || ::kill(pid_, frozen ? SIGSTOP : SIGCONT) != 0) {
        error_ = QStringLiteral("no server to freeze or thaw");
        return false;
    }
    return true;
}

bool PostgresServer::startAgain() { return pid_ > 0 || launch(); }

bool PostgresServer::psql(const QString &user, const QString &database, const QStringList &arguments, const QString &folder)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PGPASSWORD"), password_);
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(bin_ + QStringLiteral("/psql"),
            QStringList{QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                        QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(port_),
                        QStringLiteral("-U"), user, QStringLiteral("-d"), database}
                + arguments);
    if (!p.waitForFinished(kToolTimeoutMs)) {
        p.kill();
        p.waitForFinished();
        error_ = QStringLiteral("psql did not finish");
        return false;
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        error_ = QStringLiteral("psql %1: %2").arg(arguments.join(QLatin1Char(' ')), QString::fromUtf8(p.readAll()));
        return false;
    }
    return true;
}
