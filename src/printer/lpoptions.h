#pragma once

// The user's own printer options file (~/.cups/lpoptions), the per-user destinations that libcups and
// the lpoptions tool read: "Default name options" names the user's default printer, "Dest name options"
// holds a printer's options.

#include <QList>
#include <QPair>
#include <QString>

namespace printer {

using OptionList = QList<QPair<QString, QString>>;

class UserOptionsFile {
public:
    // The file of the user named by HOME.
    static QString path();
    // Makes printerName the user's default, keeping every printer's options.
    static bool setDefault(const QString& printerName);
    // Adds or replaces options of printerName, keeping the rest of the file.
    static bool setOptions(const QString& printerName, const OptionList& options);
};

} // namespace printer
