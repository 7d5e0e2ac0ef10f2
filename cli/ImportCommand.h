#pragma once

#include "CommandLine.h"
#include "session/DestinationSession.h"
#include "session/ImportSession.h"

#include <string>
#include <vector>

// Exit statuses of an import run. A run that completed although some rows failed keeps
// (and commits) its good rows but says so, so that a scheduled job notices.
enum TImportExit { ieCompleted = 0, ieFailed = 1, ieConfiguration = 2, ieCancelled = 3, ieCompletedWithErrors = 4 };

// The status a run that ended so exits with.
int ImportExitStatus(TImportOutcome outcome);

// Runs a saved specification against a destination table, as the program's Import path
// does, without windows. Prints the result on stdout; returns the exit status.
int RunImportCommand(const TCommandLine &args);

// The connection the --database, --user, --password, --charset and --dialect options name;
// raises EUsageError for a dialect other than 1 or 3. Without --dialect it asks for 3, which
// the attach lowers to the database's own dialect.
TConnectionSettings ConnectionSettingsFrom(const TCommandLine &args);

// The options the import command takes (besides the connection ones).
const std::vector<TCommandLine::Option> &ImportOptions();
