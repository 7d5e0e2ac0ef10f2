#pragma once

#include <QString>

#include <ostream>

// Texts in failure messages as texts. Every test file that compares Qt texts includes
// this, so that all of them print alike.
inline void PrintTo(const QString &text, std::ostream *out) { *out << '"' << text.toStdString() << '"'; }
