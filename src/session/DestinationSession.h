#pragma once

#include "dbaccess/IBCustomDataSet.h"
#include "dbaccess/IBDatabase.h"
#include "dbaccess/IBSQL.h"
#include "session/DestinationStatements.h"

#include <string>
#include <vector>

// How the program attaches to its destination and lists it: shared by the main window
// and the command-line runner so that both attach and count exactly alike.

enum class TServerProtocol { spTCP, spNamedPipe, spSPX };

struct TConnectionSettings {
    bool Remote = false;
    std::string Server;
    TServerProtocol Protocol = TServerProtocol::spTCP;
    std::string DatabaseFile; // a path or an alias; a path on the server when remote
    std::string User;
    std::string Password;
    std::string CharacterSet = "NONE";
    int Dialect = 1;
};

// The name handed to the attach: the file text as typed when local; otherwise the server
// text (untrimmed) and the trimmed file text joined as the protocol wants it.
std::string ComposeDatabaseName(const TConnectionSettings &settings);

// Replaces the parameters by the three lines, sets the dialect and the name, and attaches
// (detaching first when attached).
void ConnectDatabase(TIBDatabase &database, const TConnectionSettings &settings);

// The table names, sorted alphabetically without regard to case.
std::vector<std::string> LoadTableList(TIBQuery &query, bool showSystemTables);
// "select count(*) from T" on the statement; the first column of its row.
int CountRecords(TIBSQL &statement, const std::string &tableName);
// "1250 records"
std::string RecordCountText(int count);

inline constexpr const char *SNoTableFound = "No table found in Database : Cannot run Import !";
