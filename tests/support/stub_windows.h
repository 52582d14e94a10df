#pragma once
// Stand-ins for window classes a test opens but does not examine: plain windows under the real names.
#include "runtime/registry.h"

#include <QStringList>
#include <functional>

// Registers each name as a response window of 200 × 100 px; `made` is told the class of each one made.
void registerStubWindows(const QStringList &names, const std::function<void(const QString &)> &made = {});
// Registers a plain main window under `name`, without parent.
void registerStubMainWindow(const QString &name);
// Deletes every top-level window opened through the registry (a frame takes its own menus with it).
void deleteRegisteredWindows();
