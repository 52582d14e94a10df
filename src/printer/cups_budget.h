#pragma once

// The time one operation on the printing system may wait for the scheduler, all its requests together: libcups
// connects with a wait of 30 s and lets a request wait as long as its connection's timeout says, so every wait
// of libcups's shared connection (the one Qt's print support uses too) is bound to the budget, and once the
// budget is spent libcups is cut off from the scheduler, so that every further request fails at once. A scheduler
// that trickles its answer never lets a wait time out: at the end of the budget its connections are shut down, as
// if it had dropped them.

#include <cups/http.h>

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>

#include <memory>

namespace printer {

class ConnectionCutter;

class SchedulerBudget {
public:
    SchedulerBudget();
    // Drops the shared connection (a wait cut short may still get its answer later) and lets libcups reach the
    // scheduler again.
    ~SchedulerBudget();
    SchedulerBudget(const SchedulerBudget&) = delete;
    SchedulerBudget& operator=(const SchedulerBudget&) = delete;

    // libcups's shared connection, bound to this budget; null once the time is spent, or when the scheduler
    // takes no connection within it.
    http_t* connection();
    bool spent() const;
    // Gives a dialog's next step the whole time again; a budget cut off stays so.
    void restart();
    // Between two steps of a dialog nothing waits for the scheduler: its connections are left alone.
    void pause();

private:
    static int onTimeout(http_t* http, void* data);
    void bind(http_t* http);
    void cutOff();

    QDeadlineTimer m_deadline;
    bool m_connected = false;
    bool m_cutOff = false;
    QByteArray m_server; // the scheduler, while libcups is cut off from it
    std::unique_ptr<ConnectionCutter> m_cutter;
};

// While a dialog is open: each step (the work of one pass of the event loop, from the first event after a wait
// for events up to the next wait) has a budget's time anew.
class DialogSteps : public QObject {
public:
    explicit DialogSteps(SchedulerBudget* budget);
    ~DialogSteps() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    SchedulerBudget* m_budget;
    bool m_inStep = false;
};

} // namespace printer
