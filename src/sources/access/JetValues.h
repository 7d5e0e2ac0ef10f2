#pragma once

#include "sources/access/MdbFile.h"
#include "values/Variant.h"

#include <span>
#include <string>

namespace sources::access {

// The text of a Jet 4 or later text field: UTF-16LE, or, behind the marker FF FE, runs
// of one byte a character (the compressed form) and of two, a zero byte between them.
std::string JetText(std::span<const unsigned char> bytes);

// Access 2019's extended date and time: 42 characters, the day (0 is 1 January of year 1),
// the time of day in ticks of 100 ns, and a version, separated by colons. A value that
// is not of that form raises EAccessError.
Variant ExtendedDateTime(std::span<const unsigned char> bytes);

} // namespace sources::access
