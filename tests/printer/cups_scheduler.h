#pragma once

// A private CUPS scheduler for the tests: its own configuration, spool, cache, state and log folders in a
// temporary directory, its own socket (CUPS_SERVER), and the user's options under a temporary HOME.
// Queues print to file:///dev/null, so nothing is ever printed.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class CupsScheduler {
public:
    // Keeps the scheduler frozen for its lifetime; it goes on again whatever becomes of the test.
    class Frozen {
    public:
        explicit Frozen(CupsScheduler& scheduler)
            : m_scheduler(scheduler)
        {
            m_scheduler.freeze();
        }
        ~Frozen() { m_scheduler.thaw(); }
        Frozen(const Frozen&) = delete;
        Frozen& operator=(const Frozen&) = delete;

    private:
        CupsScheduler& m_scheduler;
    };

    CupsScheduler();
    ~CupsScheduler();

    // Writes the configuration, points this process at the scheduler, starts it and waits (bounded)
    // until it answers. On failure error() says why.
    bool start();
    // Stops the scheduler by its process id; true when it has ended.
    bool stop();
    bool isRunning() const;
    qint64 pid() const { return m_pid; }
    // Stops the scheduler where it stands (it keeps its connections but answers nothing) and lets it go on.
    void freeze();
    void thaw();

    // Runs a CUPS tool (lpadmin, cupsdisable, …) against the scheduler, bounded in time, for the user whose
    // home is given (the private home when empty); output() holds what it printed.
    bool run(const QString& tool, const QStringList& arguments, const QString& home = QString());
    QString output() const { return m_output; }
    // A queue on file:///dev/null with the given PPD file, or the raw driver when ppd is empty.
    bool addQueue(const QString& name, const QString& ppd, const QStringList& extra = {});

    QString socketPath() const;
    QString homePath() const;
    QString userOptionsPath() const; // the user's lpoptions file
    QString error() const { return m_error; }

private:
    QString path(const QString& relative) const;
    QString logTail() const;

    QTemporaryDir m_dir;
    QProcess m_process;
    qint64 m_pid = 0;
    QString m_error;
    QString m_output;
};
