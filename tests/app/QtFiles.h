#pragma once

#include "Files.h"

#include <QString>

// The shared file helpers in Qt's texts; settings files are UTF-8, as are the paths here.
inline QString ReadTextFile(const QString &path) { return QString::fromStdString(ReadFile(path.toStdString())); }
inline void WriteTextFile(const QString &path, const QString &text)
{
    WriteFile(path.toStdString(), text.toStdString());
}
