#include "runtime/system.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace rt {

int run(const QString &commandLine)
{
    QStringList args = QProcess::splitCommand(commandLine);
    if (args.isEmpty())
        return -1;
    const QString program = args.takeFirst();
    return QProcess::startDetached(program, args) ? 1 : -1;
}

bool fileExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

QString currentDirectory() { return QDir::currentPath(); }

} // namespace rt
