#include "session/DestinationSession.h"

#include <algorithm>
#include <cctype>

namespace {

std::string trim(const std::string &s)
{
    const auto b = s.find_first_not_of(' ');
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

bool lessIgnoringCase(const std::string &a, const std::string &b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
        return std::toupper(x) < std::toupper(y);
    });
}

} // namespace

std::string ComposeDatabaseName(const TConnectionSettings &s)
{
    if (!s.Remote)
        return s.DatabaseFile;
    switch (s.Protocol) {
    case TServerProtocol::spTCP: return s.Server + ":" + trim(s.DatabaseFile);
    case TServerProtocol::spNamedPipe: return "\\\\" + s.Server + "\\" + trim(s.DatabaseFile);
    case TServerProtocol::spSPX: return s.Server + "@" + trim(s.DatabaseFile);
    }
    return s.DatabaseFile;
}

void ConnectDatabase(TIBDatabase &database, const TConnectionSettings &settings)
{
    if (database.Connected())
        database.Close();
    database.Params = {"user_name=" + settings.User, "password=" + settings.Password,
                       "lc_ctype=" + settings.CharacterSet};
    database.SetSQLDialect(settings.Dialect);
    database.SetDatabaseName(ComposeDatabaseName(settings));
    database.Open();
}

std::vector<std::string> LoadTableList(TIBQuery &query, bool showSystemTables)
{
    query.Close();
    query.SetSQL({TableListStatement(showSystemTables)});
    query.Open();
    std::vector<std::string> names;
    for (query.First(); !query.Eof(); query.Next())
        names.push_back(query.Fields(0)->AsString());
    query.Close();
    std::stable_sort(names.begin(), names.end(), lessIgnoringCase);
    return names;
}

int CountRecords(TIBSQL &statement, const std::string &tableName)
{
    statement.SetSQL({CountStatement(tableName), ""});
    statement.ExecQuery();
    const int count = statement.FieldAsInteger(0);
    statement.Close();
    return count;
}

std::string RecordCountText(int count) { return std::to_string(count) + " records"; }
