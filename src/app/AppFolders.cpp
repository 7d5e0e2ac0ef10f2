#include "app/AppFolders.h"

#include <QDir>
#include <QStandardPaths>

namespace {

QString withSlash(QString path)
{
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

} // namespace

QString UserAppDataFolder()
{
    return withSlash(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}

QString CommonAppDataFolder() { return withSlash(QStringLiteral("/var/lib")); }

bool EnsureFolder(const QString &path) { return QDir().mkpath(path); }
