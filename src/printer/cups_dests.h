#pragma once

// Destinations as libcups reads them (the scheduler's queues with the user's options), the default printer that
// the environment sets, and the user's options file, which every program on the desktop shares.

#include <cups/cups.h>

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <memory>
#include <optional>

namespace printer {

struct DestDeleter {
    void operator()(cups_dest_t* dest) const { cupsFreeDests(1, dest); }
};
using DestPtr = std::unique_ptr<cups_dest_t, DestDeleter>;

QString option(const cups_dest_t* dest, const char* name);
// Queue names are case-insensitive in CUPS.
bool sameName(const QString& a, const QString& b);

// A destination's name as CUPS spells it: a queue, or one of the user's instances of it as "queue/instance"; both
// parts compare case-insensitively, as CUPS compares them.
struct DestName {
    explicit DestName(const QByteArray& spelled);
    explicit DestName(const QString& name) : DestName(name.toUtf8()) {}
    bool operator==(const DestName& other) const;
    QByteArray queue;
    QByteArray instance; // empty for the queue itself
    const char* instanceOrNull() const { return instance.isEmpty() ? nullptr : instance.constData(); }
};
QString nameOf(const cups_dest_t* dest);

// A queue, or an instance the user's options define, with the user's options for it; null for an empty name
// (which would ask for the default printer).
DestPtr namedDest(http_t* http, const QString& name);

// The default printer that the environment sets for the user's programs, as libcups reads it: LPDEST, or else
// PRINTER unless it is "lp". Set but empty, it names no printer, and the user's programs then have no default.
// nullopt when the environment sets none.
std::optional<QString> defaultFromEnvironment();

using Options = QList<QPair<QByteArray, QByteArray>>;

// Stores options as the user's own for a destination that the scheduler lists (a queue, or "queue/instance" as
// the lpoptions tool names one), takes out the ones named in removed, and with makeDefault makes it the user's
// default printer. Only the destination's own lines change in the user's options file (the one libcups reads), and
// with makeDefault the Default line it replaces; every other line is written back as it was. Writers of this object
// exclude each other from reading the file until their change is written. True once libcups reads the change;
// otherwise the file is left as it was.
bool storeUserOptions(http_t* http, const QString& name, const Options& options, const QList<QByteArray>& removed,
                      bool makeDefault);

} // namespace printer
