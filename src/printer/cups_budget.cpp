#include "printer/cups_budget.h"

#include <cups/cups.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include <dirent.h>
#include <sys/socket.h>
#include <sys/stat.h>

// libcups's accessor for the calling thread's shared scheduler connection, the one its functions use when they
// are handed CUPS_HTTP_DEFAULT, as Qt's print support does. Exported by libcups, though not in its headers.
extern "C" http_t* _cupsConnect(void);

namespace printer {

namespace {

// One operation, or one step of an open dialog, waits this long at most for the scheduler; once it is over, what
// is still under way ends within a fraction of a second.
constexpr int budget_ms = 3000;
// A wait looks at its budget this often.
constexpr int slice_ms = 200;
// Once the time is spent, a connection that libcups makes to the scheduler lasts this long at most.
constexpr int cut_interval_ms = 20;
// A server name that names no scheduler: a path that is no socket, refused at once.
constexpr char no_scheduler[] = "/";

// Closes libcups's shared connection of this thread; the next request opens a new one to the same server.
void dropSharedConnection()
{
    const QByteArray server = cupsServer();
    cupsSetServer(server.constData());
}

// The address at the other end of a connected socket; empty for any other descriptor.
QByteArray peerOf(int fd)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (fd < 0 || ::getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0 || length == 0)
        return QByteArray();
    return QByteArray(reinterpret_cast<const char*>(&address), qsizetype(length));
}

// Shuts down every socket of the process connected to one of the addresses: each wait on it ends at once, and
// libcups takes the connection for dropped.
void shutDownConnectionsTo(const std::vector<QByteArray>& peers)
{
    DIR* folder = ::opendir("/proc/self/fd");
    if (!folder)
        return;
    while (const dirent* entry = ::readdir(folder)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        struct stat status {};
        if (end == entry->d_name || *end || fd == ::dirfd(folder) || ::fstat(int(fd), &status) != 0
            || !S_ISSOCK(status.st_mode))
            continue;
        if (std::find(peers.begin(), peers.end(), peerOf(int(fd))) != peers.end())
            ::shutdown(int(fd), SHUT_RDWR);
    }
    ::closedir(folder);
}

} // namespace

// Cuts libcups's connections to the scheduler once the time is spent, whatever libcups is waiting for on them: a
// scheduler that sends a byte now and then never lets one of libcups's waits time out, so libcups alone never
// looks at the budget. It goes on cutting every connection libcups makes anew until the budget ends, or until
// an open dialog waits for its next event.
class ConnectionCutter {
public:
    using Clock = std::chrono::steady_clock;

    ConnectionCutter()
        : m_thread([this] { run(); })
    {
    }
    ~ConnectionCutter()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    ConnectionCutter(const ConnectionCutter&) = delete;
    ConnectionCutter& operator=(const ConnectionCutter&) = delete;

    // Cuts from the deadline on; nullopt cuts nothing until the next deadline.
    void cutFrom(std::optional<Clock::time_point> deadline)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_deadline = deadline;
        }
        m_changed.notify_all();
    }
    // The scheduler at the other end of a connection libcups made.
    void watch(int fd)
    {
        const QByteArray peer = peerOf(fd);
        const std::lock_guard lock(m_mutex);
        if (!peer.isEmpty() && std::find(m_peers.begin(), m_peers.end(), peer) == m_peers.end())
            m_peers.push_back(peer);
    }

private:
    void run()
    {
        std::unique_lock lock(m_mutex);
        while (!m_stop) {
            if (!m_deadline) {
                m_changed.wait(lock);
            } else if (Clock::now() < *m_deadline) {
                m_changed.wait_until(lock, *m_deadline);
            } else {
                const std::vector<QByteArray> peers = m_peers;
                lock.unlock();
                shutDownConnectionsTo(peers);
                lock.lock();
                m_changed.wait_for(lock, std::chrono::milliseconds(cut_interval_ms));
            }
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::optional<Clock::time_point> m_deadline;
    std::vector<QByteArray> m_peers;
    bool m_stop = false;
    std::thread m_thread;
};

SchedulerBudget::SchedulerBudget()
    : m_deadline(budget_ms)
    , m_cutter(std::make_unique<ConnectionCutter>())
{
    m_cutter->cutFrom(ConnectionCutter::Clock::now() + std::chrono::milliseconds(budget_ms));
}

SchedulerBudget::~SchedulerBudget()
{
    m_cutter.reset();
    if (m_cutOff)
        cupsSetServer(m_server.constData());
    else
        dropSharedConnection();
}

bool SchedulerBudget::spent() const
{
    return m_cutOff || m_deadline.hasExpired();
}

void SchedulerBudget::restart()
{
    if (m_cutOff) {
        m_cutter->cutFrom(ConnectionCutter::Clock::now());
        return;
    }
    m_deadline.setRemainingTime(budget_ms);
    m_cutter->cutFrom(ConnectionCutter::Clock::now() + std::chrono::milliseconds(budget_ms));
}

void SchedulerBudget::pause()
{
    m_cutter->cutFrom(std::nullopt);
}

http_t* SchedulerBudget::connection()
{
    if (spent()) {
        cutOff();
        return nullptr;
    }
    if (!m_connected) {
        // libcups connects with a wait of 30 s of its own: it connects only once the scheduler has taken a
        // connection within the budget (a scheduler behind a firewall that drops connection attempts takes none).
        const int left = int(std::max<qint64>(m_deadline.remainingTime(), 1));
        http_t* probe = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, HTTP_ENCRYPTION_NEVER, 1, left,
                                     nullptr);
        if (!probe) {
            cutOff();
            return nullptr;
        }
        m_cutter->watch(httpGetFd(probe));
        httpClose(probe);
        m_connected = true;
    }
    http_t* http = _cupsConnect();
    if (http)
        bind(http);
    return http;
}

void SchedulerBudget::bind(http_t* http)
{
    m_cutter->watch(httpGetFd(http));
    // A wait lasts a slice at most, and no longer than what is left: 1 ms once the budget is spent.
    const int wait = int(std::clamp<qint64>(m_deadline.remainingTime(), 1, slice_ms));
    httpSetTimeout(http, wait / 1000.0, &onTimeout, this);
}

int SchedulerBudget::onTimeout(http_t* http, void* data)
{
    auto* self = static_cast<SchedulerBudget*>(data);
    if (self->spent()) {
        self->cutOff();
        return 0;
    }
    self->bind(http);
    return 1;
}

void SchedulerBudget::cutOff()
{
    if (m_cutOff)
        return;
    m_server = cupsServer();
    // libcups compares its server name with its connection's before every request and reconnects when they
    // differ: a name that is no scheduler's closes the connection at the next request and fails that one and
    // every further one at once, Qt's too. cupsSetServer() cannot be used here: it closes the connection, which
    // may be the one inside the wait that ends now.
    std::strcpy(const_cast<char*>(cupsServer()), no_scheduler);
    m_cutOff = true;
}

DialogSteps::DialogSteps(SchedulerBudget* budget)
    : m_budget(budget)
{
    QCoreApplication::instance()->installEventFilter(this);
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this, [this] {
        m_inStep = false;
        if (m_budget)
            m_budget->pause();
    });
}

DialogSteps::~DialogSteps()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

bool DialogSteps::eventFilter(QObject* /*watched*/, QEvent* /*event*/)
{
    if (!m_inStep) {
        m_inStep = true;
        if (m_budget)
            m_budget->restart();
    }
    return false;
}

} // namespace printer
