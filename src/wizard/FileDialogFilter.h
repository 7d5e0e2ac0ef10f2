#pragma once

#include <QStringList>

// Turns a classic filter text, "Description|*.a;*.b|Description|*.c", into the name
// filters of a file dialog: "Description (*.a *.b)", … A description that already shows
// its patterns in parentheses gets the real ones instead, and "*.*" becomes "*", which
// here is what "every file" means.
QStringList NameFiltersFromFilter(const QString &filter);
