#pragma once
// A network namespace of the test process's own. A server the test starts afterwards listens on its
// 127.0.0.1, and switching its loopback off makes every packet go unanswered, as a pulled cable
// does; nothing outside the process sees it, and it ends with the process.
#include <QString>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace private_network {

// Moves the process into a namespace of its own with the loopback on. The namespace is the calling
// thread's: call it first in main(), before any thread is started. Empty on success, else why not
// (it needs root).
QString enter();
// Switches the loopback on or off; false when it cannot.
bool setLoopback(bool on);

} // namespace private_network

// An outage for as long as the object lives: `cut` at construction, `mend` at restore() or at the
// end. Should the code under test wait for longer than `cap`, the outage is mended from another
// thread, so that the wait ends and the test can report how long it took.
class Outage {
public:
    Outage(std::function<bool()> cut, std::function<bool()> mend, std::chrono::milliseconds cap);
    ~Outage();
    Outage(const Outage &) = delete;
    Outage &operator=(const Outage &) = delete;

    bool isCut() const { return cut_; }
    // Mends it now, unless the cap has mended it already; true when it was cut and is mended.
    bool restore();

    // The private namespace's loopback switched off.
    static Outage loopbackOff(std::chrono::milliseconds cap);

private:
    std::function<bool()> mend_;
    bool cut_ = false;
    bool mended_ = false;
    std::mutex mutex_;
    std::condition_variable ended_;
    bool over_ = false;
    std::thread watch_;
};
