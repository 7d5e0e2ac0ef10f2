#include "dbaccess/IBUpdateSQL.h"

#include <algorithm>
#include <cctype>

std::vector<std::string> &TIBUpdateSQL::SQL(TUpdateKind kind)
{
    switch (kind) {
    case TUpdateKind::ukModify: return ModifySQL;
    case TUpdateKind::ukInsert: return InsertSQL;
    default: return DeleteSQL;
    }
}

bool TIBUpdateSQL::IsEmpty(const std::vector<std::string> &lines)
{
    return std::all_of(lines.begin(), lines.end(), [](const std::string &line) {
        return std::all_of(line.begin(), line.end(), [](unsigned char c) { return std::isspace(c); });
    });
}

TIBSQL &TIBUpdateSQL::Query(TUpdateKind kind, TIBDatabase *database, TIBTransaction *transaction)
{
    return Bind(queries_[static_cast<int>(kind)], SQL(kind), database, transaction);
}

TIBSQL &TIBUpdateSQL::RefreshQuery(TIBDatabase *database, TIBTransaction *transaction)
{
    return Bind(refresh_, RefreshSQL, database, transaction);
}

TIBSQL &TIBUpdateSQL::Bind(std::unique_ptr<TIBSQL> &query, const std::vector<std::string> &lines, TIBDatabase *database,
                           TIBTransaction *transaction)
{
    if (!query) {
        query = std::make_unique<TIBSQL>();
        ++created_;
    }
    query->SetDatabase(database);
    query->SetTransaction(transaction);
    query->SetSQL(lines);
    return *query;
}
