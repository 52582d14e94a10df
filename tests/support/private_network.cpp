#include "private_network.h"

#include <cerrno>
#include <cstring>

#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace private_network {

QString enter()
{
    if (::unshare(CLONE_NEWNET) != 0)
        return QStringLiteral("no network namespace of its own (%1); it needs root").arg(QString::fromLocal8Bit(std::strerror(errno)));
    if (!setLoopback(true))
        return QStringLiteral("cannot switch the private loopback on");
    return QString();
}

bool setLoopback(bool on)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool done = ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    if (done) {
        request.ifr_flags = short(on ? (request.ifr_flags | IFF_UP) : (request.ifr_flags & ~IFF_UP));
        done = ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    }
    ::close(fd);
    return done;
}

} // namespace private_network

Outage::Outage(std::function<bool()> cut, std::function<bool()> mend, std::chrono::milliseconds cap)
    : mend_(std::move(mend)), cut_(cut())
{
    if (!cut_)
        return;
    watch_ = std::thread([this, cap] {
        std::unique_lock lock(mutex_);
        if (!ended_.wait_for(lock, cap, [this] { return over_; })) {
            over_ = true;
            mended_ = mend_();
        }
    });
}

Outage::~Outage() { restore(); }

bool Outage::restore()
{
    if (!cut_)
        return false;
    {
        std::lock_guard lock(mutex_);
        if (!over_) {
            over_ = true;
            mended_ = mend_();
        }
    }
    ended_.notify_all();
    if (watch_.joinable())
        watch_.join();
    return mended_;
}

Outage Outage::loopbackOff(std::chrono::milliseconds cap)
{
    return Outage([] { return private_network::setLoopback(false); }, [] { return private_network::setLoopback(true); }, cap);
}
