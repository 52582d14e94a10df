#pragma once
// The runtime's system functions the windows call.
#include <QString>

namespace rt {

// Starts a command line and returns without waiting: 1 started, -1 not.
int run(const QString &commandLine);
bool fileExists(const QString &path);
QString currentDirectory();
// The major version of the runtime the program runs on.
constexpr int kRuntimeMajorVersion = 8;

} // namespace rt
