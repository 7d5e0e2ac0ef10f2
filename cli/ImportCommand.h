#pragma once

#include "CommandLine.h"
#include "DestinationSession.h"

#include <string>
#include <vector>

// Exit statuses of an import run.
enum TImportExit { ieCompleted = 0, ieFailed = 1, ieConfiguration = 2, ieCancelled = 3 };

// Runs a saved specification against a destination table, as the program's Import path
// does, without windows. Prints the result on stdout; returns the exit status.
int RunImportCommand(const TCommandLine &args);

// The connection the --database, --user, --password, --charset and --dialect options name;
// raises EUsageError for a dialect other than 1 or 3.
TConnectionSettings ConnectionSettingsFrom(const TCommandLine &args);

// The options the import command takes (besides the connection ones).
const std::vector<TCommandLine::Option> &ImportOptions();
