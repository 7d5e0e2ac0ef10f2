#pragma once

#include <QString>

// Where the program keeps things on this system. Both folders end with "/".

// The user's own settings folder (the settings file lives here).
QString UserAppDataFolder();
// The folder shared by all users of the machine.
QString CommonAppDataFolder();
// Creates every missing level of the folder; false when that is not permitted.
bool EnsureFolder(const QString &path);
