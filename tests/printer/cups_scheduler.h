#pragma once

// A private CUPS scheduler for the tests: its own configuration, spool, cache, state and log folders in a
// temporary directory, its own socket (CUPS_SERVER), and the user's options under a temporary HOME.
// Queues print to file:///dev/null, so nothing is ever printed.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

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

// A scheduler address that drops connection attempts unanswered, as a server behind a firewall does: a local
// port whose listening socket takes no connection and whose queue of pending ones is full, so that the system
// drops every further attempt (it neither accepts nor refuses it).
class Blackhole {
public:
    Blackhole();
    ~Blackhole();
    Blackhole(const Blackhole&) = delete;
    Blackhole& operator=(const Blackhole&) = delete;

    // True when a connection attempt to the address is seen to go unanswered.
    bool isValid() const { return m_valid; }
    QByteArray address() const; // "127.0.0.1:port"

private:
    int m_listener = -1;
    std::vector<int> m_pending;
    int m_port = 0;
    bool m_valid = false;
};

// A scheduler address that takes every connection and its request, and then answers one byte at a time, as a
// scheduler does at the end of a link that all but stalls: a local port on 127.0.0.1.
class TricklingServer {
public:
    explicit TricklingServer(std::chrono::milliseconds interval = std::chrono::milliseconds(150));
    ~TricklingServer();
    TricklingServer(const TricklingServer&) = delete;
    TricklingServer& operator=(const TricklingServer&) = delete;

    bool isValid() const { return m_listener >= 0; }
    QByteArray address() const; // "127.0.0.1:port"

private:
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_server;
};

// Takes every connection on a socket path and closes it at once, as a scheduler does that goes away between
// taking a connection and answering it.
class ClosingSocket {
public:
    explicit ClosingSocket(const QString& path);
    ~ClosingSocket();
    ClosingSocket(const ClosingSocket&) = delete;
    ClosingSocket& operator=(const ClosingSocket&) = delete;

    bool isValid() const { return m_listener >= 0; }

private:
    QByteArray m_path;
    int m_listener = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_closer;
};
