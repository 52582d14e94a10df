// One call of the printer object in a process of its own, for the printer tests of programs that change options
// at once and of a user environment without HOME:
//
//   printer_call [--account-home DIR] [--wait] setpaper NAME NUMBER
//   printer_call [--account-home DIR] [--wait] setorientation NAME VALUE
//
// --account-home: HOME unset, and DIR mounted over the account's home in a mount namespace of the process's own
// (it needs root), so that nothing outside the process sees it.
// --wait: prints "ready" and makes the call once a line arrives on standard input.
// Prints the call's result. Exits 0 once the call is made, 2 on wrong use, 3 when the environment cannot be made.

#include "printer/n_printer.h"

#include <QCoreApplication>
#include <QVariant>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

constexpr int exit_usage = 2;
constexpr int exit_environment = 3;

bool homeFromAccount(const char* folder)
{
    const passwd* account = ::getpwuid(::getuid());
    if (!account || ::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
        || ::mount(folder, account->pw_dir, nullptr, MS_BIND, nullptr) != 0) {
        std::fprintf(stderr, "no private account home (%s); it needs root\n", std::strerror(errno));
        return false;
    }
    return ::unsetenv("HOME") == 0;
}

} // namespace

int main(int argc, char** argv)
{
    int at = 1;
    const char* accountHome = nullptr;
    bool wait = false;
    for (; at < argc && std::strncmp(argv[at], "--", 2) == 0; ++at) {
        if (std::strcmp(argv[at], "--account-home") == 0 && at + 1 < argc)
            accountHome = argv[++at];
        else if (std::strcmp(argv[at], "--wait") == 0)
            wait = true;
        else
            return exit_usage;
    }
    if (argc - at != 3)
        return exit_usage;
    const std::string command = argv[at];
    const QString name = QString::fromLocal8Bit(argv[at + 1]);
    const int value = std::atoi(argv[at + 2]);
    if (command != "setpaper" && command != "setorientation")
        return exit_usage;
    // Before libcups is first used: it takes the home once.
    if (accountHome && !homeFromAccount(accountHome))
        return exit_environment;

    int one = 1;
    QCoreApplication application(one, argv);
    if (wait) {
        std::puts("ready");
        std::fflush(stdout);
        char line[16];
        if (!std::fgets(line, sizeof line, stdin))
            return exit_usage;
    }
    printer::n_printer object;
    int result = 0;
    if (command == "setpaper") {
        result = object.of_setpapersize(name, value, 0, 0);
    } else {
        QVariant orientation(value);
        int paper = 0, width = 0, length = 0;
        result = object.of_printer(name, 103, orientation, paper, width, length);
    }
    std::printf("%d\n", result);
    return 0;
}
