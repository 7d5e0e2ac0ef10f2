#pragma once

#include "engine/VxIBase.h"

#include <ctime>
#include <string>
#include <vector>

// The SQL script of script mode: a fixed header, optionally a CONNECT command, one line
// per row that produced a statement, optionally COMMIT WORK, lines ended by CR LF.
class TSQLScript {
public:
    struct TConnect {
        std::string DatabaseName, User, Password;
    };

    std::vector<std::string> Lines;

    void Clear()
    {
        Lines.clear();
        records_ = 0;
    }
    // Header lines 1 to 9 ("SET SQL DIALECT n;", "SET NAMES NONE;"), then the CONNECT
    // line and an empty line when asked for.
    void AddHeader(const std::string &dialectText, std::time_t now, const TConnect *connect);
    // Collects the statement the component built for its current row, if it built one.
    // Clearing it afterwards keeps a skipped or failed row from repeating the statement
    // of the row before it.
    void AddRecord(TVxImportBaseComponent &component);
    bool HasRecords() const { return records_ > 0; }
    // The empty line and "COMMIT WORK;" when asked for, then the final empty line.
    void Finish(bool commit);
    std::string Text() const;
    // Writes the script in one piece: a temporary file renamed over the target, so a
    // failure never leaves half a script behind.
    void WriteToFile(const std::string &fileName) const;

private:
    int records_ = 0;
};

// Script mode for a component, as the prerequisites window and the runner both run it:
// statements instead of changes, literals isql accepts, the script started anew with its
// header, and every row's statement collected.
void PrepareScriptRun(TVxImportBaseComponent &component, TSQLScript &script, int sqlDialect,
                      const std::string &dialectText, std::time_t now, const TSQLScript::TConnect *connect);
// Ends the script and writes it, unless no row produced a statement: then no file is
// written (an earlier one stays as it was). True when written.
bool WriteScript(TSQLScript &script, bool commit, const std::string &fileName);

// SQL options a Firebird isql can run: text literals between apostrophes, field names
// that need it between double quotes in dialect 3 (bare in dialect 1), and a field
// handler that writes dates, times and timestamps as ISO literals.
void ApplyFirebirdSQLOptions(TVxImportBaseComponent &component, int sqlDialect);
