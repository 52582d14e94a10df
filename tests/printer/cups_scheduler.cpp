#include "cups_scheduler.h"

#include <cups/cups.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <cstring>

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr int start_timeout_ms = 20000;
constexpr int stop_timeout_ms = 10000;
constexpr int tool_timeout_ms = 30000;

QString findTool(const QString& name)
{
    return QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin"),
                                                 QStringLiteral("/sbin"), QStringLiteral("/bin")});
}

// A connection attempt to the address, not waited for; -1 when it cannot be made.
// A socket listening on a free port of 127.0.0.1, with its address; -1 when there is none.
int listenOnLoopback(int backlog, sockaddr_in& address)
{
    address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    socklen_t length = sizeof address;
    if (fd >= 0
        && (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, backlog) != 0
            || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int startConnecting(const sockaddr_in& address)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    return fd;
}

// The attempt completes (or fails) within the time.
bool settles(int fd, int ms)
{
    pollfd entry{fd, POLLOUT, 0};
    return ::poll(&entry, 1, ms) > 0;
}

bool writeFile(const QString& fileName, const QString& text)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    return file.write(text.toUtf8()) >= 0;
}

} // namespace

CupsScheduler::CupsScheduler()
    : m_dir(QDir::tempPath() + QStringLiteral("/fmcups-XXXXXX"))
{
}

CupsScheduler::~CupsScheduler()
{
    stop();
}

QString CupsScheduler::path(const QString& relative) const
{
    return m_dir.path() + QLatin1Char('/') + relative;
}

QString CupsScheduler::socketPath() const { return path(QStringLiteral("cups.sock")); }
QString CupsScheduler::homePath() const { return path(QStringLiteral("home")); }
QString CupsScheduler::userOptionsPath() const { return homePath() + QStringLiteral("/.cups/lpoptions"); }

QString CupsScheduler::logTail() const
{
    QFile log(path(QStringLiteral("log/error_log")));
    if (!log.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(log.readAll().right(2000));
}

bool CupsScheduler::start()
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary directory");
        return false;
    }
    // The scheduler runs as root and hands its children to the lp user: the folders must be reachable.
    QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                            | QFileDevice::ReadGroup | QFileDevice::ExeGroup
                                            | QFileDevice::ReadOther | QFileDevice::ExeOther);
    for (const char* folder : {"etc", "spool/tmp", "cache", "state", "log", "home"})
        if (!QDir().mkpath(path(QLatin1String(folder)))) {
            m_error = QStringLiteral("cannot create %1").arg(QLatin1String(folder));
            return false;
        }

    const QString cupsd = findTool(QStringLiteral("cupsd"));
    if (cupsd.isEmpty()) {
        m_error = QStringLiteral("cupsd not installed (package cups-daemon)");
        return false;
    }

    const QString conf = QStringLiteral(
        "Listen %1\n"
        "LogLevel warn\n"
        "Browsing No\n"
        "BrowseLocalProtocols none\n"
        "DefaultAuthType None\n"
        "WebInterface No\n"
        "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
        "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n"
        "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                             .arg(socketPath());
    // No User/Group lines: cupsd refuses root there and keeps its default unprivileged user for children.
    const QString files = QStringLiteral(
        "FileDevice Yes\n"
        "SystemGroup root\n"
        "ServerRoot %1/etc\n"
        "RequestRoot %1/spool\n"
        "TempDir %1/spool/tmp\n"
        "CacheDir %1/cache\n"
        "StateDir %1/state\n"
        "AccessLog %1/log/access_log\n"
        "ErrorLog %1/log/error_log\n"
        "PageLog %1/log/page_log\n"
        "Printcap %1/printcap\n")
                              .arg(m_dir.path());
    if (!writeFile(path(QStringLiteral("etc/cupsd.conf")), conf)
        || !writeFile(path(QStringLiteral("etc/cups-files.conf")), files)) {
        m_error = QStringLiteral("cannot write the configuration");
        return false;
    }

    // This process and every tool it starts reach only the private scheduler and the private options.
    qputenv("CUPS_SERVER", socketPath().toUtf8());
    qputenv("CUPS_SERVERROOT", path(QStringLiteral("etc")).toUtf8());
    qputenv("HOME", homePath().toUtf8());
    qunsetenv("LPDEST");
    qunsetenv("PRINTER");
    cupsSetServer(socketPath().toUtf8().constData());

    m_process.setProcessChannelMode(QProcess::MergedChannels);
    // A test that crashes or is killed takes its scheduler with it, frozen or not.
    const pid_t parent = ::getpid();
    m_process.setChildProcessModifier([parent] {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(1);
    });
    m_process.start(cupsd, {QStringLiteral("-f"), QStringLiteral("-c"), path(QStringLiteral("etc/cupsd.conf")),
                            QStringLiteral("-s"), path(QStringLiteral("etc/cups-files.conf"))});
    if (!m_process.waitForStarted(start_timeout_ms)) {
        m_error = QStringLiteral("cupsd did not start: %1").arg(m_process.errorString());
        return false;
    }
    m_pid = m_process.processId();

    const QDeadlineTimer deadline(start_timeout_ms);
    while (!deadline.hasExpired()) {
        if (m_process.state() != QProcess::Running) {
            m_error = QStringLiteral("cupsd ended: %1 %2").arg(QString::fromUtf8(m_process.readAll()), logTail());
            return false;
        }
        http_t* http = httpConnect2(socketPath().toUtf8().constData(), 0, nullptr, AF_UNSPEC,
                                    HTTP_ENCRYPTION_NEVER, 1, 1000, nullptr);
        if (http) {
            httpClose(http);
            return true;
        }
        QThread::msleep(100);
    }
    m_error = QStringLiteral("cupsd did not answer within %1 ms: %2").arg(start_timeout_ms).arg(logTail());
    stop();
    return false;
}

bool CupsScheduler::isRunning() const
{
    return m_pid > 0 && ::kill(pid_t(m_pid), 0) == 0;
}

void CupsScheduler::freeze()
{
    if (m_pid > 0)
        ::kill(pid_t(m_pid), SIGSTOP);
}

void CupsScheduler::thaw()
{
    if (m_pid > 0)
        ::kill(pid_t(m_pid), SIGCONT);
}

bool CupsScheduler::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return true;
    thaw(); // a frozen scheduler would not see the request to end
    ::kill(pid_t(m_pid), SIGTERM);
    if (!m_process.waitForFinished(stop_timeout_ms)) {
        ::kill(pid_t(m_pid), SIGKILL);
        m_process.waitForFinished(stop_timeout_ms);
    }
    return m_process.state() == QProcess::NotRunning;
}

bool CupsScheduler::run(const QString& tool, const QStringList& arguments, const QString& home)
{
    m_output.clear();
    const QString program = findTool(tool);
    if (program.isEmpty()) {
        m_error = QStringLiteral("%1 not installed (package cups-client)").arg(tool);
        return false;
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.isEmpty() ? homePath() : home);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(tool_timeout_ms)) {
        process.kill();
        process.waitForFinished(stop_timeout_ms);
        m_error = QStringLiteral("%1 did not finish").arg(tool);
        return false;
    }
    m_output = QString::fromUtf8(process.readAll());
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        m_error = QStringLiteral("%1 %2 failed: %3").arg(tool, arguments.join(QLatin1Char(' ')),
                                                       m_output);
        return false;
    }
    return true;
}

bool CupsScheduler::addQueue(const QString& name, const QString& ppd, const QStringList& extra)
{
    QStringList arguments{QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                          QStringLiteral("file:///dev/null")};
    if (ppd.isEmpty())
        arguments << QStringLiteral("-m") << QStringLiteral("raw");
    else
        arguments << QStringLiteral("-P") << ppd;
    return run(QStringLiteral("lpadmin"), arguments + extra);
}

Blackhole::Blackhole()
{
    sockaddr_in address;
    // A backlog of 0 keeps one pending connection; the system drops the attempts beyond it.
    m_listener = listenOnLoopback(0, address);
    if (m_listener < 0)
        return;
    m_port = ntohs(address.sin_port);
    for (int i = 0; i < 4 && !m_valid; ++i) {
        const int fd = startConnecting(address);
        if (fd < 0)
            return;
        if (settles(fd, 300)) {
            m_pending.push_back(fd); // taken into the queue
        } else {
            m_valid = true; // unanswered: the queue is full
            ::close(fd);
        }
    }
}

Blackhole::~Blackhole()
{
    for (const int fd : m_pending)
        ::close(fd);
    if (m_listener >= 0)
        ::close(m_listener);
}

QByteArray Blackhole::address() const
{
    return "127.0.0.1:" + QByteArray::number(m_port);
}

TricklingServer::TricklingServer(std::chrono::milliseconds interval)
{
    sockaddr_in address;
    m_listener = listenOnLoopback(16, address);
    if (m_listener < 0)
        return;
    m_port = ntohs(address.sin_port);
    m_server = std::thread([this, interval] {
        // The answer to any request, far longer than a test waits for it whole.
        static const QByteArray answer = QByteArrayLiteral(
            "HTTP/1.1 200 OK\r\nContent-Type: application/ipp\r\nContent-Length: 9\r\n\r\n"
            "\x02\x00\x00\x00\x00\x00\x00\x01\x03");
        struct Client {
            int fd;
            qsizetype sent;
        };
        std::vector<Client> clients;
        auto next = std::chrono::steady_clock::now() + interval;
        while (!m_stop) {
            std::vector<pollfd> entries{{m_listener, POLLIN, 0}};
            for (const Client& client : clients)
                entries.push_back({client.fd, POLLIN, 0});
            const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next - std::chrono::steady_clock::now());
            ::poll(entries.data(), entries.size(), int(std::clamp<qint64>(wait.count(), 0, 50)));
            if (entries[0].revents & POLLIN) {
                const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
                if (fd >= 0)
                    clients.push_back({fd, 0});
            }
            // What the clients send is taken and left unread; a client that is gone is forgotten.
            for (std::size_t i = 1; i < entries.size(); ++i) {
                if (!(entries[i].revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                char request[4096];
                if (::recv(entries[i].fd, request, sizeof request, 0) == 0 || (entries[i].revents & POLLERR)) {
                    ::close(entries[i].fd);
                    clients.erase(std::remove_if(clients.begin(), clients.end(),
                                                 [fd = entries[i].fd](const Client& client) { return client.fd == fd; }),
                                  clients.end());
                }
            }
            if (std::chrono::steady_clock::now() < next)
                continue;
            next += interval;
            for (Client& client : clients)
                if (client.sent < answer.size() && ::send(client.fd, answer.constData() + client.sent, 1, MSG_NOSIGNAL) == 1)
                    ++client.sent;
        }
        for (const Client& client : clients)
            ::close(client.fd);
    });
}

TricklingServer::~TricklingServer()
{
    m_stop = true;
    if (m_server.joinable())
        m_server.join();
    if (m_listener >= 0)
        ::close(m_listener);
}

QByteArray TricklingServer::address() const
{
    return "127.0.0.1:" + QByteArray::number(m_port);
}

ClosingSocket::ClosingSocket(const QString& path)
    : m_path(QFile::encodeName(path))
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(m_path.size()) >= sizeof address.sun_path)
        return;
    std::memcpy(address.sun_path, m_path.constData(), size_t(m_path.size()));
    ::unlink(m_path.constData());
    m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listener < 0)
        return;
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::listen(m_listener, 16) != 0) {
        ::close(m_listener);
        m_listener = -1;
        return;
    }
    m_closer = std::thread([this] {
        while (!m_stop) {
            pollfd entry{m_listener, POLLIN, 0};
            if (::poll(&entry, 1, 50) > 0) {
                const int connection = ::accept(m_listener, nullptr, nullptr);
                if (connection >= 0)
                    ::close(connection);
            }
        }
    });
}

ClosingSocket::~ClosingSocket()
{
    m_stop = true;
    if (m_closer.joinable())
        m_closer.join();
    if (m_listener >= 0) {
        ::close(m_listener);
        ::unlink(m_path.constData());
    }
}
