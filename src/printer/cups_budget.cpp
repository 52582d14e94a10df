#include "printer/cups_budget.h"

#include <cups/cups.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>

#include <algorithm>
#include <cstring>

// libcups's accessor for the calling thread's shared scheduler connection, the one its functions use when they
// are handed CUPS_HTTP_DEFAULT, as Qt's print support does. Exported by libcups, though not in its headers.
extern "C" http_t* _cupsConnect(void);

namespace printer {

namespace {

// One operation, or one step of an open dialog, waits this long at most for the scheduler. A request that starts
// just before the end still waits up to a second for the scheduler to take it (libcups waits that long for its
// 100-continue whatever the connection's timeout says), so an operation ends within about 4 s.
constexpr int budget_ms = 3000;
// A wait looks at its budget this often.
constexpr int slice_ms = 200;
// A server name that names no scheduler: a path that is no socket, refused at once.
constexpr char no_scheduler[] = "/";

// Closes libcups's shared connection of this thread; the next request opens a new one to the same server.
void dropSharedConnection()
{
    const QByteArray server = cupsServer();
    cupsSetServer(server.constData());
}

} // namespace

SchedulerBudget::SchedulerBudget()
    : m_deadline(budget_ms)
{
}

SchedulerBudget::~SchedulerBudget()
{
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
    if (!m_cutOff)
        m_deadline.setRemainingTime(budget_ms);
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

DialogSteps::DialogSteps(std::function<void()> startStep)
    : m_startStep(std::move(startStep))
{
    QCoreApplication::instance()->installEventFilter(this);
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            [this] { m_inStep = false; });
}

DialogSteps::~DialogSteps()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

bool DialogSteps::eventFilter(QObject* /*watched*/, QEvent* /*event*/)
{
    if (!m_inStep) {
        m_inStep = true;
        m_startStep();
    }
    return false;
}

} // namespace printer
